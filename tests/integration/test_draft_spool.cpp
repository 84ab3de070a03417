// The draft filter against the private print server: raw jobs carry exactly
// the filter's bytes to the printer at the end of the queue, and a queue
// that refuses work gives an error instead of a silent loss.
#include "platform/printing/printjob.h"
#include "platform/system/errors.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "support/escp_reader.h"

#include "integration/printer_server_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace prenso;
using namespace prenso::test;

namespace {

const std::string kReset = std::string("\x1B\x40\x1B\x78\x30", 5);
const std::string kCPP10 = "\x1B\x50\x12";

class DraftSpool : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Matrix"), printer.port());
        ResetRLPrinterForTesting();
        RLPrinter().SetPrinterName(QStringLiteral("Matrix"));
        ASSERT_EQ(RLPrinter().PrinterName(), QStringLiteral("Matrix"));
        filter.SetShowProgress(false);
        filter.SetOrientation(TRLPageOrientation::poPortrait);
        filter.SetCPPSelection(TRLCPPSelection::csFixed10CPP);
        filter.SetEjectMethod(TRLDraftEjectMethod::ejForceWithCode);
        hold.Reset(std::make_shared<TRLGraphicStorage>());
        storage = hold.get();
        storage->SetPaperWidth(210);
        storage->SetPaperHeight(297);
        storage->SetOrientation(TRLPageOrientation::poPortrait);
    }

    // A page with two lines of text at the printer's first column and line,
    // wherever the queue's unprintable margin puts them.
    void addPage(const std::string &first, const std::string &second)
    {
        TRLPrinterMetrics m;
        RLPrinter().SetPaperSize(210, 297, TRLPageOrientation::poPortrait, false, false);
        RLPrinter().LoadMetrics(m);
        const int cutX =
            m.PhysicalWidth ? RoundCoord(static_cast<double>(storage->OrientedWidth()) * m.MarginLeft / m.PhysicalWidth)
                            : 0;
        const int cutY =
            m.PhysicalHeight
                ? RoundCoord(static_cast<double>(storage->OrientedHeight()) * m.MarginTop / m.PhysicalHeight)
                : 0;
        auto page = std::make_unique<TRLGraphicSurface>();
        page->SetWidth(storage->OrientedWidth());
        page->SetHeight(storage->OrientedHeight());
        int y = cutY;
        for (const std::string &s : {first, second}) {
            auto *t = page->NewObject<TRLTextObject>();
            t->SetText(s);
            t->SetOrigin(TPoint{cutX, y});
            t->SetBoundsRect(TRect{cutX, y, cutX + 400, y + 16});
            t->SetTextFlags(MetaTextFlagAutoSize);
            t->Font().SetName(QStringLiteral("Courier New"));
            t->Font().SetSize(10);
            y += 16;
        }
        storage->Add(std::move(page));
    }

    static std::string pageBytes(const std::string &first, const std::string &second)
    {
        return kCPP10 + first + "\r\n" + second + "\x0C";
    }

    SocketListener printer;
    TComponent owner;
    TRLStorageHold hold{&owner};
    TRLDraftFilter filter;
    TRLGraphicStorage *storage = nullptr;
};

} // namespace

TEST_F(DraftSpool, RawJobOnTheQueueDeliversExactlyTheBytes)
{
    filter.SetDeviceKind(TRLDeviceKind::dkPrinter);
    addPage("FIRST PAGE", "line two");
    addPage("SECOND PAGE", "accents: a\xE7\xE3o");
    filter.SetAccentMethod(TRLDraftAccentMethod::amSustain);
    filter.FilterPages(storage);
    const std::vector<std::string> jobs = printer.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const std::string expected =
        kReset + pageBytes("FIRST PAGE", "line two") + pageBytes("SECOND PAGE", "accents: a\xE7\xE3o");
    EXPECT_EQ(jobs[0], expected) << hexDiff(expected, jobs[0]);
    EXPECT_TRUE(filter.DeviceFileName().isEmpty());
}

TEST_F(DraftSpool, NetworkPortGetsTheSameBytesAsARawJob)
{
    // The queue's port is socket://127.0.0.1:PORT, no local device file:
    // the default device kind hands the bytes to the server.
    ASSERT_EQ(filter.DeviceKind(), TRLDeviceKind::dkPrinterPort);
    addPage("PORT", "bytes");
    RLPrinter().SetCopies(2);
    filter.FilterPages(storage);
    RLPrinter().SetCopies(1);
    const std::vector<std::string> jobs = printer.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const std::string expected = kReset + pageBytes("PORT", "bytes") + pageBytes("PORT", "bytes");
    EXPECT_EQ(jobs[0], expected) << hexDiff(expected, jobs[0]);
    EXPECT_EQ(filter.DeviceFileName(), QStringLiteral("socket://127.0.0.1:%1").arg(printer.port()));
}

TEST_F(DraftSpool, QueueThatRefusesJobsIsAnError)
{
    QString words;
    ASSERT_EQ(cupsd->runTool(QStringLiteral("cupsreject"), {QStringLiteral("Matrix")}, &words), 0)
        << words.toStdString();
    filter.SetDeviceKind(TRLDeviceKind::dkPrinter);
    addPage("never", "printed");
    try {
        filter.FilterPages(storage);
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Matrix"))) << e.message().toStdString();
    }
    EXPECT_TRUE(printer.waitForJobs(1, 1500).empty());
}

TEST_F(DraftSpool, FailedRunCancelsTheJobInsteadOfPrintingHalfOfIt)
{
    filter.SetDeviceKind(TRLDeviceKind::dkPrinter);
    filter.SetPrinterFamily(TRLPrinterFamily::fmCustom);
    filter.SetCommands(
        {QStringLiteral("CR=13"), QStringLiteral("LF=10"), QStringLiteral("FF=12"), QStringLiteral("BoldOn=bold")});
    addPage("first page prints", "fine");
    auto page = std::make_unique<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(1123);
    auto *t = page->NewObject<TRLTextObject>();
    t->SetText("bold");
    t->Font().SetName(QStringLiteral("Courier New"));
    t->Font().SetSize(10);
    t->Font().SetStyle(MetaFontStyleBold);
    storage->Add(std::move(page));
    EXPECT_THROW(filter.FilterPages(storage), EConvertError);
    // The first page had reached the server before the error; the job was
    // cancelled, so it never reaches the printer.
    const std::vector<std::string> jobs = printer.waitForJobs(1, 3000);
    for (const std::string &job : jobs)
        EXPECT_EQ(job.find("fine"), std::string::npos) << "half a document was printed";
}

TEST_F(DraftSpool, QueueThatIsGoneIsAnError)
{
    filter.SetDeviceKind(TRLDeviceKind::dkPrinter);
    addPage("x", "y");
    cupsd->removeQueue(QStringLiteral("Matrix"));
    EXPECT_ANY_THROW(filter.FilterPages(storage));
}

TEST_F(DraftSpool, ServerGoingAwayMidJobIsAnError)
{
    // A raw job whose server stops while bytes are still being sent: the
    // writes (or the finish) fail and say so; nothing is lost silently.
    printing::PrintServerJob job;
    job.start(QStringLiteral("Matrix"), QStringLiteral("QuortaReport"));
    ASSERT_TRUE(job.active());
    job.write("first bytes");
    cupsd->stop();
    bool failed = false;
    try {
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i < 256; ++i)
            job.write(chunk);
        job.finish();
    } catch (const Exception &e) {
        failed = true;
        EXPECT_TRUE(e.message().contains(QStringLiteral("Matrix"))) << e.message().toStdString();
    }
    EXPECT_TRUE(failed);
    EXPECT_FALSE(job.active());
    ASSERT_TRUE(cupsd->start());
    EXPECT_TRUE(printer.waitForJobs(1, 1500).empty());
}

namespace {

// A pseudo-terminal plays the line of a dot-matrix printer on a local port:
// what is written to its terminal side arrives here as the line carried it.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_terminal = QString::fromLocal8Bit(::ptsname(m_master));
        // Held open here too, so that the line stays up between writers.
        if (!m_terminal.isEmpty())
            m_held = ::open(m_terminal.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~PseudoTerminal()
    {
        if (m_held >= 0)
            ::close(m_held);
        if (m_master >= 0)
            ::close(m_master);
    }
    const QString &terminal() const { return m_terminal; }

    // What the line carried until `count` bytes came or `ms` passed.
    std::string read(size_t count, int ms) const
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

private:
    int m_master = -1;
    int m_held = -1;
    QString m_terminal;
};

} // namespace

// A queue on a serial line, or on a terminal named as a file: the line gets
// the stream byte for byte (a terminal left to process its output turns each
// line feed into CR LF).
TEST_F(DraftSpool, ALocalLineGetsExactlyTheStream)
{
    PseudoTerminal line;
    ASSERT_FALSE(line.terminal().isEmpty()) << "no pseudo-terminal";
    for (const QString &uri : {QStringLiteral("serial:") + line.terminal() + QStringLiteral("?baud=9600"),
                               QStringLiteral("file:") + line.terminal()}) {
        SCOPED_TRACE(uri.toStdString());
        QString words;
        ASSERT_EQ(cupsd->runTool(
                      QStringLiteral("lpadmin"),
                      {QStringLiteral("-p"), QStringLiteral("Line"), QStringLiteral("-E"), QStringLiteral("-v"), uri},
                      &words),
                  0)
            << words.toStdString();
        ResetRLPrinterForTesting();
        RLPrinter().SetPrinterName(QStringLiteral("Line"));
        ASSERT_EQ(RLPrinter().PrinterName(), QStringLiteral("Line"));
        storage->Clear();
        addPage("LINE ONE", "line two");
        filter.FilterPages(storage);
        const std::string expected = kReset + pageBytes("LINE ONE", "line two");
        std::string got = line.read(expected.size(), 10000);
        // Then a moment more, for bytes the line added.
        got += line.read(64, 300);
        EXPECT_EQ(got, expected) << hexDiff(expected, got);
        cupsd->removeQueue(QStringLiteral("Line"));
    }
}
