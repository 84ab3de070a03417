// The real program, run as the business system runs it, printing the sample
// forms on queues of the private print server. What reaches the printer at
// the end of the queue is read back with the poppler tools and compared with
// the form itself and with the pages the engine lays out for it in this
// process with the same switches.
//
// Every case also proves that the program ends on its own, within bounds, and
// leaves nothing behind: neither beside the program nor in its TMPDIR.
#include "app/Principal.h"
#include "platform/system/codepage.h"
#include "report/filters/RLFilters.h"
#include "support/capture_filter.h"
#include "support/driverless_printer.h"
#include "support/escp_reader.h"
#include "support/pdf_probe.h"
#include "support/pdf_tools.h"
#include "support/program_run.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace prenso;
using namespace prenso::test;
using namespace prenso::test::probe;

namespace {

constexpr double kA4Width = 595, kA4Height = 842; // points, as the print system measures A4

QString programFolder()
{
    return QStringLiteral(PRENSO_BINARY_DIR "/bin");
}

// Whitespace is where pdftotext and the form may differ: it rebuilds runs of
// spaces from the glyph positions. Everything else must be the same.
QString squeezed(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (QChar c : line)
        if (!c.isSpace())
            out.append(c);
    return out;
}

// The form's lines as the program prints them, read with rules of this test's
// own: CR LF line ends, Windows-1252 text, a Ctrl-Z ends the file where a line
// would begin and ends the line's text inside one, a leading form feed is a
// page break and is not printed, at most 250 characters are kept.
struct FormLine {
    QString text;
    bool breaksPage = false;
};

std::vector<FormLine> formLines(const QString &path)
{
    const std::string bytes = readFile(path);
    std::vector<FormLine> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '\x1a')
            break;
        line = line.substr(0, line.find('\x1a')).substr(0, 250);
        FormLine fl;
        if (!line.empty() && line[0] == '\f') {
            fl.breaksPage = true;
            line.erase(0, 1);
        }
        fl.text = cp1252::decode(line);
        lines.push_back(fl);
        start = end + 1;
    }
    return lines;
}

// The pages the engine lays out for the same switches, caught in this process
// before they would go to a printer.
std::vector<CapturedPage> pagesInProcess(const QStringList &switches)
{
    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")} + switches);
    CaptureFilter capture;
    capture.SetShowProgress(false);
    SetSelectedFilter(&capture);
    form.FormCreate();
    SetSelectedFilter(nullptr);
    return capture.pages;
}

// Where each form line landed: the (0-based) page of the document on which it
// was found, following the lines in order. Empty lines have nowhere to be
// found and get -1. Lines not found in order are reported.
std::vector<int> locateLines(const std::vector<FormLine> &lines, const QStringList &pages, QStringList &missing)
{
    std::vector<std::pair<int, QString>> printed;
    for (int p = 0; p < pages.size(); ++p)
        for (const QString &row : pages[p].split(u'\n'))
            if (!squeezed(row).isEmpty())
                printed.emplace_back(p, squeezed(row));
    std::vector<int> pageOf;
    size_t next = 0;
    for (const FormLine &line : lines) {
        const QString want = squeezed(line.text);
        if (want.isEmpty()) {
            pageOf.push_back(-1);
            continue;
        }
        size_t at = next;
        while (at < printed.size() && printed[at].second != want)
            ++at;
        if (at == printed.size()) {
            missing.append(line.text);
            pageOf.push_back(-1);
            continue;
        }
        pageOf.push_back(printed[at].first);
        next = at + 1;
    }
    return pageOf;
}

// Read from the form with this test's own rules: every line of `form` is on
// the printed `pages` (their texts), in order, and a line that begins with a
// form feed opens a page.
void expectFormPrinted(const QString &form, const QStringList &pages)
{
    const std::vector<FormLine> lines = formLines(form);
    QStringList missing;
    const std::vector<int> pageOf = locateLines(lines, pages, missing);
    EXPECT_TRUE(missing.isEmpty()) << "not printed (or out of order): " << missing.join(u" | ").toStdString();
    int breaks = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].breaksPage || pageOf[i] < 0)
            continue;
        ++breaks;
        const QStringList rows = pages[pageOf[i]].split(u'\n');
        auto first = std::find_if(rows.begin(), rows.end(), [](const QString &s) { return !squeezed(s).isEmpty(); });
        ASSERT_NE(first, rows.end());
        EXPECT_EQ(squeezed(*first), squeezed(lines[i].text)) << "form line " << i + 1 << " must open its page";
        for (size_t j = i; j-- > 0;) {
            if (pageOf[j] >= 0) {
                EXPECT_LT(pageOf[j], pageOf[i]) << "form line " << i + 1 << " shares a page with line " << j + 1;
                break;
            }
        }
    }
    const bool hasFormFeeds = std::any_of(lines.begin(), lines.end(), [](const FormLine &l) { return l.breaksPage; });
    EXPECT_EQ(breaks > 0, hasFormFeeds);
}

// Leftovers: names in `folder` that were not there before.
QStringList newNames(const QString &folder, const QStringList &before)
{
    QStringList now = listFolder(folder);
    now.removeIf([&](const QString &n) { return before.contains(n); });
    return now;
}

class ProgramPrints : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Alpha"), alpha.port());
        cupsd->addRawQueue(QStringLiteral("Beta"), beta.port());
        binBefore = listFolder(programFolder());
    }

    void TearDown() override
    {
        if (!IsSkipped()) {
            EXPECT_EQ(newNames(programFolder(), binBefore), QStringList()) << "left beside the program";
            EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the program's TMPDIR";
        }
        PrinterServerTest::TearDown();
    }

    ProgramResult run(const QStringList &switches, std::function<void(qint64)> whileRunning = {},
                      QProcessEnvironment extra = {})
    {
        ProgramOptions options;
        options.tmpDir = tmp.path();
        options.timeoutMs = 90000;
        options.whileRunning = std::move(whileRunning);
        options.extra = extra;
        const ProgramResult r = runProgram(switches, options);
        EXPECT_TRUE(r.finished) << "the program hung and was killed after " << r.elapsedMs
                                << " ms; stderr: " << r.err.toStdString();
        EXPECT_FALSE(r.crashed) << r.err.toStdString();
        return r;
    }

public:
    // Whether the print server holds a job of `queue`: the program creates
    // it when it starts sending the document and sends it page by page.
    bool jobOnServer(const QString &queue) const { return !cupsd->jobStates(queue).empty(); }

protected:
    // A form long enough that printing it takes a good while.
    QString longForm(int lines)
    {
        std::string text;
        for (int i = 1; i <= lines; ++i)
            text += "Linha " + std::to_string(i) +
                    " do formul\xe1rio de cobran\xe7"
                    "a, pe\xe7"
                    "as e servi\xe7os\r\n";
        const QString path = forms.file(QStringLiteral("longo.txt"));
        writeFile(path, text);
        return path;
    }

    SocketListener alpha, beta;
    TempDir tmp, forms;
    QStringList binBefore;
};

// ---------------------------------------------------------------------------
// The sample forms, each on a queue chosen by name or by index.

struct SampleCase {
    const char *name;
    QStringList extraSwitches; // besides /ARQ=
    const char *queue;         // where the job must arrive
    bool landscape;
    std::vector<const char *> mustRead; // UTF-8 texts with accents that must come through
};

void PrintTo(const SampleCase &c, std::ostream *os)
{
    *os << c.name << ' ' << c.extraSwitches.join(u' ').toStdString();
}

class SampleForms : public ProgramPrints, public ::testing::WithParamInterface<SampleCase> {};

TEST_P(SampleForms, ArriveWithThePagesTheLayoutPromises)
{
    const SampleCase &c = GetParam();
    const QString form = samplePath(QString::fromLatin1(c.name));
    // Unattended, as the business system prints from its server.
    const QStringList switches =
        QStringList{QStringLiteral("/ARQ=") + form, QStringLiteral("/DLG=NAO")} + c.extraSwitches;

    const QString accessLog = cupsd->folder() + QStringLiteral("/log/access_log");
    const qint64 logged = QFileInfo(accessLog).size();
    const ProgramResult r = run(switches);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString()) << "a printed form has nothing to say";
    // The printer list and the queue's description are asked for once each,
    // however the switches name the queue: read ahead while the program
    // starts, they are what the job uses.
    QFile log(accessLog);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    log.seek(logged);
    QStringList asked;
    for (const QByteArray &line : log.readAll().split('\n'))
        asked.append(QString::fromLatin1(line.split(' ').value(10)));
    EXPECT_EQ(asked.count(QStringLiteral("CUPS-Get-Printers")), 1) << asked.join(u' ').toStdString();
    EXPECT_EQ(asked.count(QStringLiteral("Get-Printer-Attributes")), 2) << asked.join(u' ').toStdString();

    SocketListener &target = QByteArray(c.queue) == "Alpha" ? alpha : beta;
    SocketListener &other = &target == &alpha ? beta : alpha;
    const std::vector<std::string> jobs = target.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u) << "no job reached " << c.queue;
    const std::string &pdf = jobs[0];
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_TRUE(other.jobs().empty()) << "the other queue printed too";
    // A sound file whose every font travels with it.
    TempDir arrived;
    const QString file = arrived.file(QStringLiteral("job.pdf"));
    writeFile(file, pdf);
    EXPECT_TRUE(QpdfCheckClean(file));
    const QList<PdfFontInfo> fonts = PdfFonts(file);
    EXPECT_FALSE(fonts.isEmpty());
    for (const PdfFontInfo &f : fonts)
        EXPECT_TRUE(f.embedded && f.subset) << f.name.toStdString();

    // The same switches in this process: the pages the layout promises.
    const std::vector<CapturedPage> promised = pagesInProcess(switches);
    ASSERT_FALSE(promised.empty());
    for (const CapturedPage &p : promised)
        ASSERT_EQ(p.orientation, c.landscape ? TRLPageOrientation::poLandscape : TRLPageOrientation::poPortrait);

    EXPECT_EQ(pdfPageCount(pdf), static_cast<int>(promised.size()));
    const std::vector<QSizeF> sizes = pdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), promised.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_NEAR(sizes[i].width(), c.landscape ? kA4Height : kA4Width, 1) << "page " << i + 1;
        EXPECT_NEAR(sizes[i].height(), c.landscape ? kA4Width : kA4Height, 1) << "page " << i + 1;
    }
    EXPECT_TRUE(pdfInfoField(pdf, QStringLiteral("Title"))
                    .endsWith(c.landscape ? QStringLiteral("frmPrincipal.rlrPaisagem\"")
                                          : QStringLiteral("frmPrincipal.rlrRetrato\"")))
        << pdfInfoField(pdf, QStringLiteral("Title")).toStdString();

    const QStringList pages = pdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), static_cast<qsizetype>(promised.size()));

    // Every line the layout put on page n is on page n of the paper, in order.
    for (size_t p = 0; p < promised.size(); ++p) {
        const QStringList rows = pages[static_cast<qsizetype>(p)].split(u'\n');
        qsizetype row = 0;
        for (const CapturedText &t : promised[p].texts) {
            const QString want = squeezed(cp1252::decode(t.text));
            if (want.isEmpty())
                continue;
            while (row < rows.size() && squeezed(rows[row]) != want)
                ++row;
            ASSERT_LT(row, rows.size()) << "page " << p + 1 << " lacks \"" << cp1252::decode(t.text).toStdString()
                                        << "\"";
            ++row;
        }
    }

    expectFormPrinted(form, pages);

    const QString all = pages.join(u'\n');
    for (const char *text : c.mustRead)
        EXPECT_TRUE(all.contains(QString::fromUtf8(text))) << "\"" << text << "\" did not come through";
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SampleForms,
    ::testing::Values(SampleCase{"nota.txt",
                                 {QStringLiteral("/IMPS=beta")},
                                 "Beta",
                                 false,
                                 {"DISTRIBUIDORA SÃO JOÃO LTDA", "ramal 21 — atendimento", "AÇÚCAR CRISTAL"}},
                      SampleCase{"nota.txt",
                                 {QStringLiteral("/ORI=PAISAGEM"), QStringLiteral("/IMPI=0")},
                                 "Alpha",
                                 true,
                                 {"DESTINATÁRIO: AÇOUGUE E PADARIA CONCEIÇÃO ME"}},
                      SampleCase{"relatorio132.txt",
                                 {QStringLiteral("/IMPS=ALPHA")},
                                 "Alpha",
                                 false,
                                 {"RELATÓRIO DE CONTAS A RECEBER — POSIÇÃO"}},
                      // Lines over 200 characters turn the job to landscape whatever /ORI says.
                      SampleCase{
                          "largo.txt", {QStringLiteral("/ORI=RETRATO"), QStringLiteral("/IMPI=1")}, "Beta", true, {}},
                      SampleCase{"etiquetas.txt",
                                 {QStringLiteral("/IMPI=1")},
                                 "Beta",
                                 false,
                                 {"SR(A). CÉLIA BRANDÃO", "SR(A). MÁRCIO ESTÊVÃO"}}),
    [](const ::testing::TestParamInfo<SampleCase> &param) {
        QString name = QString::fromLatin1(param.param.name).section(u'.', 0, 0) + u'_' +
                       (param.param.landscape ? QStringLiteral("landscape") : QStringLiteral("portrait")) + u'_' +
                       QString::fromLatin1(param.param.queue);
        return name.toStdString();
    });

// ---------------------------------------------------------------------------
// Where the program is installed.

// The program copied into a folder it may not write to, as where programs
// are installed: the job's scratch file goes to the user's temporary folder
// instead, the form prints and nothing is said. Only when the temporary
// folder refuses too is it an error, before anything is printed. Root writes
// anywhere, so as root the copy runs as an unprivileged user.
TEST_F(ProgramPrints, ReadOnlyProgramFolderPrintsAndReportsNothing)
{
    TempDir home;
    ::chmod(home.path().toLocal8Bit().constData(), 0755);
    const QString exe = home.file(QStringLiteral("Prenso"));
    ASSERT_TRUE(QFile::copy(programPath(), exe));
    ::chmod(exe.toLocal8Bit().constData(), 0755);
    const QString form = home.file(QStringLiteral("form.txt"));
    writeFile(form, "linha 1\r\nlinha 2\r\n");
    ::chmod(form.toLocal8Bit().constData(), 0644);
    ::chmod(home.path().toLocal8Bit().constData(), 0555);
    struct Case {
        mode_t tmpMode;
        int exitCode;
        size_t jobs;
    };
    for (const Case &c : {Case{0777, 0, 1}, Case{0555, 1, 0}}) {
        SCOPED_TRACE(c.tmpMode == 0777 ? "temporary folder writable" : "temporary folder read-only too");
        alpha.clear();
        ::chmod(tmp.path().toLocal8Bit().constData(), c.tmpMode);
        ProgramOptions options;
        options.tmpDir = tmp.path();
        options.program = exe;
        // Qt's runtime folder must be the user's own; without one it makes
        // one in the temporary folder.
        options.extra.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString());
        if (!OrdinaryUserPrefix(options.prefix))
            GTEST_SKIP() << "setpriv is needed to run as an unprivileged user";
        const ProgramResult r = runProgram(
            {QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=ALPHA"), QStringLiteral("/DLG=NAO")}, options);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_EQ(alpha.waitForJobs(c.jobs, c.jobs ? 30000 : 1000).size(), c.jobs) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(QStringLiteral("Prenso:")), c.exitCode != 0) << r.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot create file \"%1/R").arg(home.path())))
                << r.err.toStdString();
        }
        EXPECT_EQ(listFolder(home.path()), (QStringList{QStringLiteral("Prenso"), QStringLiteral("form.txt")}));
        ::chmod(tmp.path().toLocal8Bit().constData(), 0777);
        // Qt's own runtime folder of the other user is no leftover of ours.
        for (const QString &n : listFolder(tmp.path()))
            if (n.startsWith(QStringLiteral("runtime-")))
                QDir(tmp.file(n)).removeRecursively();
        EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the temporary folder";
    }
    ::chmod(home.path().toLocal8Bit().constData(), 0755);
}

// ---------------------------------------------------------------------------
// Printing goes wrong.

// Runs `action` once while the program sends its document: as soon as the
// server holds the job, the program is held still, the action runs and the
// program goes on. Holding it makes the moment certain however fast this
// machine prints; the form is long enough to be sent for a good while.
struct MidJob {
    const ProgramPrints *test;
    QString queue;
    std::function<void()> action;
    bool done = false;

    void operator()(qint64 pid)
    {
        if (done || !test->jobOnServer(queue))
            return;
        ::kill(static_cast<pid_t>(pid), SIGSTOP);
        action();
        done = true;
        ::kill(static_cast<pid_t>(pid), SIGCONT);
    }
};

// A queue that takes no jobs is a clear error before anything is sent; one
// that stops taking jobs once the program's job was taken still prints that
// job, all of it, as the print server promised when it took it.
TEST_F(ProgramPrints, QueueThatStopsAcceptingRefusesNewJobsOnly)
{
    auto reject = [this] {
        QString out;
        EXPECT_EQ(cupsd->runTool(QStringLiteral("cupsreject"), {QStringLiteral("Alpha")}, &out), 0)
            << out.toStdString();
    };
    const QString form = longForm(60000);
    reject();
    ProgramResult r = run({QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Alpha"), QStringLiteral("/DLG=NAO")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Prenso: Printer driver error: "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("not accepting jobs"))) << r.err.toStdString();
    EXPECT_EQ(cupsd->jobStates(QStringLiteral("Alpha")), std::vector<int>());

    ASSERT_EQ(cupsd->runTool(QStringLiteral("cupsaccept"), {QStringLiteral("Alpha")}), 0);
    MidJob midJob{this, QStringLiteral("Alpha"), reject};
    r = run({QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Alpha"), QStringLiteral("/DLG=NAO")},
            std::ref(midJob));
    ASSERT_TRUE(midJob.done) << "the program sent no job; stderr: " << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<std::string> jobs = alpha.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const QStringList pages = probe::pdfPageTexts(jobs[0]);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.back().contains(QStringLiteral("Linha 60000 "))) << "the form was cut short";
}

// The print queue shows each job under its form's file name, as the print
// system's own commands name theirs, for a document and for a dot-matrix
// printer's raw job alike; the document keeps its own title.
TEST_F(ProgramPrints, JobsAreNamedAfterTheirForms)
{
    const QString form = forms.file(QStringLiteral("nota fiscal 1.txt"));
    writeFile(form, "NOTA FISCAL 1\r\n");
    for (const QStringList &extra : {QStringList(), QStringList{QStringLiteral("/MAT=RLDraftFilter1")}}) {
        SCOPED_TRACE(extra.join(u' ').toStdString());
        alpha.clear();
        const ProgramResult r =
            run(QStringList{QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Alpha"), QStringLiteral("/DLG=NAO")} +
                extra);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const std::vector<std::string> jobs = alpha.waitForJobs(1);
        ASSERT_EQ(jobs.size(), 1u);
        const std::map<std::string, std::string> job = cupsd->lastJobAttributes(QStringLiteral("Alpha"));
        EXPECT_EQ(job.count("job-name") ? job.at("job-name") : "<none>", "nota fiscal 1.txt");
        if (extra.isEmpty()) {
            EXPECT_TRUE(pdfInfoField(jobs[0], QStringLiteral("Title")).endsWith(QStringLiteral("rlrRetrato\"")));
        }
    }
}

// The print server goes away while the program sends its document: the
// operator hears of it, the run ends with status 1 and nothing reaches the
// printer.
TEST_F(ProgramPrints, ServerStoppedMidJobIsAClearError)
{
    MidJob midJob{this, QStringLiteral("Beta"), [this] { cupsd->stop(); }};
    const ProgramResult r =
        run({QStringLiteral("/ARQ=") + longForm(60000), QStringLiteral("/IMPS=Beta"), QStringLiteral("/DLG=NAO")},
            std::ref(midJob));
    ASSERT_TRUE(midJob.done) << "the program sent no job; stderr: " << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Prenso: Printer driver error: "))) << r.err.toStdString();
    EXPECT_LT(r.elapsedMs, 60000);
    ASSERT_TRUE(cupsd->start()) << cupsd->error().toStdString();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(beta.jobs().empty());
}

// The printer drops the line after a few kilobytes. The program had handed
// the whole document to the server by then, so it has done its part: it ends
// quietly, and what reached the printer is the start of the document. (What
// the server then makes of the job depends on how much its backend had
// pushed into the connection, which varies from run to run.)
TEST_F(ProgramPrints, PrinterThatDropsTheLineLeavesTheJobToTheServer)
{
    SocketListener cut(8192);
    cupsd->addRawQueue(QStringLiteral("Cut"), cut.port());
    const ProgramResult r =
        run({QStringLiteral("/ARQ=") + longForm(12000), QStringLiteral("/IMPS=Cut"), QStringLiteral("/DLG=NAO")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString());

    const std::vector<std::string> got = cut.waitForJobs(1);
    ASSERT_GE(got.size(), 1u) << "nothing reached the printer";
    EXPECT_EQ(got[0].size(), 8192u);
    EXPECT_EQ(got[0].substr(0, 5), "%PDF-");
}

// Unattended, a printer the switches name that is not there is an error:
// the form never comes out on another printer, where nobody would look.
TEST_F(ProgramPrints, UnattendedPrinterNotFoundPrintsNowhere)
{
    struct Case {
        QStringList switches;
        int exitCode;
        const char *queue; // where the form arrives, or nullptr
    };
    const std::vector<Case> cases = {
        {{"/IMPS=GAMMA"}, 1, nullptr}, {{"/IMPS=GAMMA", "/IMPI=1"}, 1, nullptr}, {{"/IMPI=2"}, 1, nullptr},
        {{"/IMPI=-1"}, 1, nullptr},    {{"/IMPS=BETA", "/IMPI=7"}, 0, "Beta"},   {{"/IMPI=1"}, 0, "Beta"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switches.join(u' ').toStdString());
        alpha.clear();
        beta.clear();
        const ProgramResult r = run(
            QStringList{QStringLiteral("/ARQ=") + samplePath(QStringLiteral("nota.txt")), QStringLiteral("/DLG=NAO")} +
            c.switches);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(QStringLiteral("Prenso: Printer not found.")), c.queue == nullptr)
            << r.err.toStdString();
        const size_t wanted = c.queue ? 1 : 0;
        SocketListener &target = c.queue && QByteArray(c.queue) == "Alpha" ? alpha : beta;
        SocketListener &other = &target == &alpha ? beta : alpha;
        EXPECT_EQ(target.waitForJobs(wanted, wanted ? 30000 : 500).size(), wanted);
        EXPECT_TRUE(other.jobs().empty());
    }
}

// No print server at all: the printer named cannot be found, said plainly and
// at once.
TEST_F(ProgramPrints, NoPrintServerIsAClearError)
{
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("CUPS_SERVER"), forms.file(QStringLiteral("nobody-listens.sock")));
    const ProgramResult r = run({QStringLiteral("/ARQ=") + samplePath(QStringLiteral("nota.txt")),
                                 QStringLiteral("/IMPS=Alpha"), QStringLiteral("/DLG=NAO")},
                                {}, extra);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Prenso: Printer not found."))) << r.err.toStdString();
    EXPECT_LT(r.elapsedMs, 30000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(alpha.jobs().empty());
}

// ---------------------------------------------------------------------------
// A driverless printer: a queue the print server made from what the printer
// says it takes (lpadmin -m everywhere), with no driver of its own.

class DriverlessPrints : public ProgramPrints {
protected:
    void SetUp() override
    {
        ProgramPrints::SetUp();
        if (IsSkipped())
            return;
        if (!printer.running())
            GTEST_SKIP() << "the driverless printer could not start: " << printer.error().toStdString();
        cupsd->addDriverlessQueue(QStringLiteral("Eve"), printer.uri());
    }

    // Waits until the print server is done with the newest job of the queue
    // (canceled, aborted or completed); false if it is not within a minute.
    bool serverDoneWith(const QString &queue)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do {
            const std::vector<int> states = cupsd->jobStates(queue);
            if (!states.empty() && states.back() >= 7)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    DriverlessPrinter printer;
};

// The printer takes PDF, so the server hands it the program's document as a
// PDF (after its own PDF-to-PDF pass): the pages the layout promises arrive,
// with every line of the form in order and its accents.
TEST_F(DriverlessPrints, FormArrivesAsPdfWithThePagesTheLayoutPromises)
{
    const QString form = samplePath(QStringLiteral("nota.txt"));
    const QStringList switches{QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=EVE"), QStringLiteral("/DLG=NAO")};
    const ProgramResult r = run(switches);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString()) << "a printed form has nothing to say";

    const std::vector<DriverlessPrinter::Document> docs = printer.waitForDocuments(1);
    ASSERT_EQ(docs.size(), 1u) << "nothing reached the printer; its log ends with: "
                               << printer.log().right(1500).toStdString();
    EXPECT_EQ(docs[0].format, QStringLiteral("application/pdf"));
    EXPECT_EQ(docs[0].jobName, QStringLiteral("nota.txt"));
    const std::string &pdf = docs[0].bytes;
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_TRUE(alpha.jobs().empty() && beta.jobs().empty()) << "another queue printed too";

    const std::vector<CapturedPage> promised = pagesInProcess(switches);
    ASSERT_FALSE(promised.empty());
    const QStringList pages = pdfPageTexts(pdf);
    EXPECT_EQ(pages.size(), static_cast<qsizetype>(promised.size()));
    expectFormPrinted(form, pages);
    const QString all = pages.join(u'\n');
    for (const char *text : {"DISTRIBUIDORA SÃO JOÃO LTDA", "ramal 21 — atendimento", "AÇÚCAR CRISTAL"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(text))) << "\"" << text << "\" did not come through";
}

// The queue the server made from the printer's own answer is laid out as the
// toolkit's printer would, with the papers and margins the printer gave.
TEST_F(DriverlessPrints, TheQueuesDescriptionLaysOutTheToolkitsSheet)
{
    expectTheToolkitsSheets(QStringLiteral("Eve"));
}

// The dot-matrix form is a raw job of ESC/P bytes. The server passes raw
// bytes on untouched, and its IPP backend offers them to the printer as
// application/octet-stream, the one format that says "see for yourself" (also
// to a printer that lists application/vnd.cups-raw). A driverless printer
// knows its formats by their first bytes (PDF, PostScript, JPEG, PNG, PWG
// raster, Apple raster); ESC/P is none of them, so it would turn the
// document down after the server took the job, and the run would look
// printed.
TEST_F(DriverlessPrints, DraftFormIsRefusedBeforeItIsSentToADriverlessPrinter)
{
    // Such a printer recognises documents by their first bytes and turns
    // down a dot-matrix printer's commands after the server took the job,
    // which then counts as printed: the run must say so before anything is
    // sent, while a raw queue still gets the form.
    const QString form = samplePath(QStringLiteral("nota.txt"));
    const QStringList draft{QStringLiteral("/ARQ=") + form, QStringLiteral("/MAT=RLDraftFilter1"),
                            QStringLiteral("/DLG=NAO")};
    ProgramResult r = run(draft + QStringList{QStringLiteral("/IMPS=ALPHA")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<std::string> raw = alpha.waitForJobs(1);
    ASSERT_EQ(raw.size(), 1u);
    const EscpReader escp(raw[0]);
    EXPECT_TRUE(escp.errors().empty()) << escp.errors().front();
    EXPECT_FALSE(escp.pages().empty());

    r = run(draft + QStringList{QStringLiteral("/IMPS=EVE")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("The printer \"Eve\" is a driverless queue"))) << r.err.toStdString();
    EXPECT_TRUE(cupsd->jobStates(QStringLiteral("Eve")).empty()) << "a job reached the server";
    EXPECT_TRUE(printer.documents().empty()) << "the printer got a document";
}

} // namespace
