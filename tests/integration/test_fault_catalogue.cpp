// The catalogue of faults the program must come through as the business
// system runs it: a process of its own, a private print server, switches on
// its command line. Each case says how the run must end (its status and what
// it says), whether the form reaches the printer, and, for every case, that
// nothing is left beside the program or in its temporary folder.
#include "support/pdf_probe.h"
#include "support/program_run.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <csignal>
#include <functional>

using namespace prenso;
using namespace prenso::test;

namespace {

QString programFolder()
{
    return QStringLiteral(PRENSO_BINARY_DIR "/bin");
}

struct Fault {
    const char *name;
    QStringList switches; // after /ARQ=FORM and /IMPS=Fila /DLG=NAO
    int status;           // how the run ends
    const char *says;     // a part of what it writes on standard error ("" for nothing)
    bool prints;          // whether the form reaches the printer
};

void PrintTo(const Fault &f, std::ostream *os)
{
    *os << f.name;
}

class FaultCatalogue : public PrinterServerTest, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Fila"), printer.port());
        before = listFolder(programFolder());
        form = forms.file(QStringLiteral("nota fiscal.txt"));
        writeFile(form, "NOTA FISCAL N\xBA 1\r\nA\xC7\xDA"
                        "CAR CRISTAL 5KG      12,50\r\n");
    }

    void TearDown() override
    {
        if (!IsSkipped()) {
            QStringList now = listFolder(programFolder());
            now.removeIf([&](const QString &n) { return before.contains(n); });
            EXPECT_EQ(now, QStringList()) << "left beside the program";
            EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the program's TMPDIR";
        }
        PrinterServerTest::TearDown();
    }

    TempDir tmp, forms;
    QString form;
    QStringList before;
    SocketListener printer;
};

TEST_P(FaultCatalogue, EndsAsItMust)
{
    const Fault &f = GetParam();
    ProgramOptions options;
    options.tmpDir = tmp.path();
    const ProgramResult r = runProgram(
        QStringList{QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Fila"), QStringLiteral("/DLG=NAO")} +
            f.switches,
        options);
    ASSERT_TRUE(r.finished) << "hung; stderr: " << r.err.toStdString();
    EXPECT_FALSE(r.crashed) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, f.status) << r.err.toStdString();
    if (*f.says) {
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(f.says))) << r.err.toStdString();
    } else {
        EXPECT_EQ(r.err, QString());
    }
    const std::vector<std::string> jobs = printer.waitForJobs(1, f.prints ? 30000 : 1000);
    EXPECT_EQ(jobs.size(), f.prints ? 1u : 0u);
    if (f.prints && !jobs.empty()) {
        EXPECT_TRUE(probe::pdfText(jobs[0]).contains(QStringLiteral("NOTA"))) << "the form was lost";
    }
}

// Font sizes at which not one character of a line fits: blank pages would
// pass for the printed form.
const Fault kFontSizes[] = {
    {"font_size_too_large", {QStringLiteral("/FOS=100000")}, 1, "/FOS=100000", false},
    {"font_size_largest_int", {QStringLiteral("/FOS=2147483647")}, 1, "/FOS=2147483647", false},
    {"font_size_smallest_int", {QStringLiteral("/FOS=-2147483648")}, 1, "/FOS=-2147483648", false},
    {"font_size_large_but_fitting", {QStringLiteral("/FOS=200")}, 0, "", true},
    {"font_size_negative", {QStringLiteral("/FOS=-12")}, 1, "/FOS=-12", false},
};
std::string caseName(const ::testing::TestParamInfo<Fault> &fault)
{
    return fault.param.name;
}
INSTANTIATE_TEST_SUITE_P(FontSizes, FaultCatalogue, ::testing::ValuesIn(kFontSizes), caseName);

// ---------------------------------------------------------------------------
// Told to stop: a caller's time-out, Ctrl+C, the end of a session, while the
// program lays out the pages or while it sends them. Whatever the moment,
// the run ends with 128 + the signal's number, nothing of it stays beside the
// program, in its temporary folder or in the print queue, and nothing prints.

enum class Moment { LayingOut, Sending };

struct Stop {
    int signal;
    Moment moment;
};

class StopCatalogue : public PrinterServerTest, public ::testing::WithParamInterface<Stop> {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Fila"), printer.port());
        before = listFolder(programFolder());
        form = forms.file(QStringLiteral("longo.txt"));
        std::string text;
        for (int i = 1; i <= 60000; ++i)
            text += "Linha " + std::to_string(i) +
                    " do relat\xF3rio de cobran\xE7"
                    "a\r\n";
        writeFile(form, text);
    }

    void TearDown() override
    {
        if (!IsSkipped()) {
            QStringList now = listFolder(programFolder());
            now.removeIf([&](const QString &n) { return before.contains(n); });
            EXPECT_EQ(now, QStringList()) << "left beside the program";
            EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the program's TMPDIR";
        }
        PrinterServerTest::TearDown();
    }

    // The job has files of its own (the line table's scratch file, page
    // files) but nothing on the print server yet.
    bool layingOut() const
    {
        QStringList now = listFolder(programFolder());
        now.removeIf([&](const QString &n) { return before.contains(n); });
        return (!now.isEmpty() || !listFolder(tmp.path()).isEmpty()) &&
               cupsd->jobStates(QStringLiteral("Fila")).empty();
    }
    bool sending() const
    {
        const std::vector<int> states = cupsd->jobStates(QStringLiteral("Fila"));
        return !states.empty() && states.back() < 7;
    }

    TempDir tmp, forms;
    QString form;
    QStringList before;
    SocketListener printer;
};

TEST_P(StopCatalogue, LeavesNothingAndEndsWithTheSignalsStatus)
{
    const Stop &s = GetParam();
    bool sent = false;
    ProgramOptions options;
    options.tmpDir = tmp.path();
    options.whileRunning = [&](qint64 pid) {
        if (!sent && (s.moment == Moment::LayingOut ? layingOut() : sending())) {
            ::kill(static_cast<pid_t>(pid), s.signal);
            sent = true;
        }
    };
    const ProgramResult r =
        runProgram({QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Fila"), QStringLiteral("/DLG=NAO")}, options);
    ASSERT_TRUE(sent) << "the moment never came; stderr: " << r.err.toStdString();
    ASSERT_TRUE(r.finished) << "hung after the signal";
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 128 + s.signal) << r.err.toStdString();
    for (const int state : cupsd->jobStates(QStringLiteral("Fila")))
        EXPECT_GE(state, 7) << "a job stayed in the queue";
    EXPECT_TRUE(printer.waitForJobs(1, 1000).empty()) << "something printed";
}

std::string stopName(const ::testing::TestParamInfo<Stop> &stop)
{
    const char *signal = stop.param.signal == SIGTERM ? "term" : stop.param.signal == SIGINT ? "int" : "hup";
    return std::string(signal) + (stop.param.moment == Moment::LayingOut ? "_laying_out" : "_sending");
}
INSTANTIATE_TEST_SUITE_P(Signals, StopCatalogue,
                         ::testing::Values(Stop{SIGTERM, Moment::LayingOut}, Stop{SIGTERM, Moment::Sending},
                                           Stop{SIGINT, Moment::LayingOut}, Stop{SIGINT, Moment::Sending},
                                           Stop{SIGHUP, Moment::LayingOut}, Stop{SIGHUP, Moment::Sending}),
                         stopName);

} // namespace
