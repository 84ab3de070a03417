// The catalogue of faults the program must come through as the business
// system runs it: a process of its own, a private print server, switches on
// its command line. Each case says how the run must end (its status and what
// it says), whether the form reaches the printer, and, for every case, that
// nothing is left beside the program or in its temporary folder.
#include "support/pdf_probe.h"
#include "support/pdf_tools.h"
#include "support/program_run.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <csignal>
#include <functional>
#include <memory>

using namespace prenso;
using namespace prenso::test;

namespace {

QString programFolder()
{
    return QStringLiteral(PRENSO_BINARY_DIR "/bin");
}

class FaultCatalogue;

// Where the program runs: besides the built program and its temporary
// folder, a copy of the program in a folder of the case's making, another
// temporary folder, a command to run it under. Returns false (the case is
// skipped) when the machine cannot make the place.
using Place = std::function<bool(FaultCatalogue &, ProgramOptions &)>;

struct Fault {
    const char *name;
    QStringList switches; // after /ARQ=FORM and /IMPS=Fila /DLG=NAO
    int status;           // how the run ends
    const char *says;     // a part of what it writes on standard error ("" for nothing)
    bool prints;          // whether the form reaches the printer
    Place place = {};
    int lines = 2; // the form's length
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
        std::string text = "NOTA FISCAL N\xBA 1\r\n";
        for (int i = 2; i <= GetParam().lines; ++i)
            text += "A\xC7\xDA"
                    "CAR CRISTAL 5KG      12,50\r\n";
        writeFile(form, text);
    }

public:
    // A copy of the program in `folder`, to be run instead of the built one.
    QString copyProgramTo(const QString &folder, ProgramOptions &options)
    {
        QDir().mkpath(folder);
        options.program = folder + QStringLiteral("/Prenso");
        if (!QFile::copy(programPath(), options.program))
            return QString();
        QFile::setPermissions(options.program, QFile::permissions(programPath()));
        programCopyFolder = folder;
        return options.program;
    }
    // Beside the copy of the program, like beside the built one.
    QString programCopyFolder;
    // A file of the user's that the run must leave as it was.
    QString victim;
    std::unique_ptr<ScopedTmpfs> mounted, mountedTmp;
    TempDir place;

    void TearDown() override
    {
        if (!IsSkipped()) {
            QStringList now = listFolder(programFolder());
            now.removeIf([&](const QString &n) { return before.contains(n); });
            EXPECT_EQ(now, QStringList()) << "left beside the program";
            EXPECT_EQ(listFolder(tmp.path()), QStringList()) << "left in the program's TMPDIR";
            if (!programCopyFolder.isEmpty()) {
                QStringList besideCopy = listFolder(programCopyFolder);
                besideCopy.removeIf(
                    [](const QString &n) { return n == u"Prenso" || n.startsWith(u"filler") || n == u"R"; });
                EXPECT_EQ(besideCopy, QStringList()) << "left beside the program's copy";
            }
        }
        if (!victim.isEmpty()) {
            EXPECT_EQ(readFile(victim), "a file of the user's") << "the program touched a file it did not make";
        }
        mounted.reset();
        mountedTmp.reset();
        PrinterServerTest::TearDown();
    }

protected:
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
    if (f.place && !f.place(*this, options))
        GTEST_SKIP() << "this machine cannot make the place of the case (it needs root for a small disk)";
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

// Fills a small disk to its last byte.
void fill(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    const QByteArray byte(1, 'x');
    while (filler.write(byte) == 1) {
    }
}

// A program folder of its own on a small disk, filled when `full`.
Place programOnSmallDisk(bool full)
{
    return [full](FaultCatalogue &c, ProgramOptions &options) {
        c.mounted = std::make_unique<ScopedTmpfs>(c.place.file(QStringLiteral("disk")), 64 * 1024);
        if (!c.mounted->ok() || c.copyProgramTo(c.mounted->path(), options).isEmpty())
            return false;
        if (full)
            fill(c.mounted->path());
        return true;
    };
}

// A temporary folder on a small disk, filled.
bool fullTemporaryFolder(FaultCatalogue &c, ProgramOptions &options)
{
    c.mountedTmp = std::make_unique<ScopedTmpfs>(c.place.file(QStringLiteral("tmp")), 256);
    if (!c.mountedTmp->ok())
        return false;
    fill(c.mountedTmp->path());
    options.extra.insert(QStringLiteral("TMPDIR"), c.mountedTmp->path());
    return true;
}

// The scratch file's folder and the temporary folder both full.
bool everyFolderFull(FaultCatalogue &c, ProgramOptions &options)
{
    return programOnSmallDisk(true)(c, options) && fullTemporaryFolder(c, options);
}

// The program in a folder whose path leaves no room for the scratch file's
// name within its 300 characters; a file of the user's named as that path
// cut to 300 characters would be.
bool programInALongFolder(FaultCatalogue &c, ProgramOptions &options)
{
    QString folder = c.place.path();
    while (folder.size() < 298)
        folder += QStringLiteral("/") + QString(std::min<qsizetype>(200, 298 - folder.size() - 1), u'p');
    folder = folder.left(298);
    if (c.copyProgramTo(folder, options).isEmpty())
        return false;
    c.victim = folder + QStringLiteral("/R");
    writeFile(c.victim, "a file of the user's");
    return true;
}

// A file size limit smaller than the job's scratch file.
bool smallFileSizeLimit(FaultCatalogue &, ProgramOptions &options)
{
    options.prefix = {QStringLiteral("prlimit"), QStringLiteral("--fsize=4096"), QStringLiteral("--")};
    return true;
}

// As under cron or a service: no runtime folder named; the toolkit's remark
// about it is not the program's to say.
bool noRuntimeFolder(FaultCatalogue &, ProgramOptions &options)
{
    options.extra.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString());
    return true;
}

bool missingTemporaryFolder(FaultCatalogue &c, ProgramOptions &options)
{
    options.extra.insert(QStringLiteral("TMPDIR"), c.place.file(QStringLiteral("gone")));
    return true;
}

// Where the job's files go: a folder that cannot take them makes the job take
// the next place or end, before anything prints, with a message that names
// the file and the system's reason; never a cut path, never someone else's
// file deleted, never half a run reported as failed after the form printed.
const Fault kFiles[] = {
    {"program_folder_full", {}, 0, "", true, programOnSmallDisk(true)},
    {"program_and_temporary_folders_full", {}, 1, "No space left on device", false, everyFolderFull},
    {"temporary_folder_full", {}, 1, "No space left on device", false, fullTemporaryFolder, 400},
    {"temporary_folder_missing", {}, 1, "gone/~qr", false, missingTemporaryFolder},
    {"program_folder_path_too_long", {}, 0, "", true, programInALongFolder},
    {"file_size_limit", {}, 1, "File too large", false, smallFileSizeLimit, 400},
    {"no_runtime_folder", {}, 0, "", true, noRuntimeFolder},
};
INSTANTIATE_TEST_SUITE_P(Files, FaultCatalogue, ::testing::ValuesIn(kFiles), caseName);

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

// The print library keeps a printer's description in a file of its own in
// TMPDIR while the toolkit reads it; a stop in that moment must take it too,
// and nothing of the same kind that is not this run's.
TEST_F(StopCatalogue, TakesThePrintLibrarysFileButNoOneElses)
{
    TempDir other;
    ProgramOptions options;
    options.tmpDir = tmp.path();
    QString own, old, foreign;
    bool sent = false;
    options.whileRunning = [&](qint64 pid) {
        if (own.isEmpty()) {
            const QString prefix = QStringLiteral("%1").arg(pid, 5, 16, QChar(u'0'));
            own = tmp.file(prefix + QStringLiteral("6b268c19"));
            old = tmp.file(prefix + QStringLiteral("00000001"));
            foreign = tmp.file(QStringLiteral("%1").arg(pid + 1, 5, 16, QChar(u'0')) + QStringLiteral("6b268c19"));
            for (const QString &f : {own, old, foreign})
                writeFile(f, "*PPD-Adobe: \"4.3\"\n");
            QFile made(old);
            EXPECT_TRUE(made.open(QIODevice::ReadWrite) && made.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                                                            QFileDevice::FileModificationTime));
        }
        // Laying out: a file of the job's own is there, beside ours.
        QStringList made = listFolder(programFolder()) + listFolder(tmp.path());
        made.removeIf([&](const QString &n) {
            return before.contains(n) || tmp.file(n) == own || tmp.file(n) == old || tmp.file(n) == foreign;
        });
        if (!sent && !made.isEmpty() && cupsd->jobStates(QStringLiteral("Fila")).empty()) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
            sent = true;
        }
    };
    const ProgramResult r =
        runProgram({QStringLiteral("/ARQ=") + form, QStringLiteral("/IMPS=Fila"), QStringLiteral("/DLG=NAO")}, options);
    ASSERT_TRUE(sent);
    EXPECT_EQ(r.exitCode, 128 + SIGTERM) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_TRUE(QFile::exists(old)) << "made before the run";
    EXPECT_TRUE(QFile::exists(foreign)) << "another process's";
    QFile::remove(old);
    QFile::remove(foreign);
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
