// The real program as a process, with bad input of the kinds operators give.
// Every case must end with a clear message and leave no file behind, neither
// beside the program nor in the temporary folder.
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace prenso;
using prenso::test::TempDir;

namespace {

struct Result {
    int exitCode = -1;
    QString err;
    QString out;
};

class Program : public ::testing::Test {
protected:
    QString program() const { return QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso"); }

    // Runs the program with nobody at the screen (PRENSO_DIALOGS=auto on the
    // offscreen platform) unless `dialogs` says otherwise: "attended" lets
    // windows that do not wait show; an empty text runs it as on a machine
    // without a display, leaving the platform to the program.
    Result runProgram(const QStringList &args, const QString &exe = QString(), const QStringList &prefix = {},
                      const QString &dialogs = QStringLiteral("auto"))
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (dialogs.isEmpty()) {
            for (const char *name : {"QT_QPA_PLATFORM", "PRENSO_DIALOGS", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(name));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("PRENSO_DIALOGS"), dialogs);
        }
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.path());
        p.setProcessEnvironment(env);
        const QString exePath = exe.isEmpty() ? program() : exe;
        if (prefix.isEmpty())
            p.start(exePath, args);
        else
            p.start(prefix.first(), prefix.mid(1) + QStringList{exePath} + args);
        EXPECT_TRUE(p.waitForFinished(30000)) << "the program must not hang";
        return Result{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()),
                      QString::fromLocal8Bit(p.readAllStandardOutput())};
    }

    void SetUp() override
    {
        binBefore = test::listFolder(QStringLiteral(PRENSO_BINARY_DIR "/bin"));
        ::chmod(tmp.path().toLocal8Bit().constData(), 0777);
    }
    void TearDown() override
    {
        EXPECT_EQ(test::listFolder(QStringLiteral(PRENSO_BINARY_DIR "/bin")), binBefore);
        QStringList left = test::listFolder(tmp.path());
        // Qt's own runtime folder when the program runs as another user.
        left.removeIf([](const QString &n) { return n.startsWith(QStringLiteral("runtime-")); });
        EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
    }

    TempDir forms;
    TempDir tmp;
    QStringList binBefore;
};

} // namespace

TEST_F(Program, NoPrinterAtAllIsAClearError)
{
    // No print server is reachable from this environment.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), tmp.file(QStringLiteral("no-such-server.sock")));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PRENSO_DIALOGS"), QStringLiteral("auto"));
    env.insert(QStringLiteral("TMPDIR"), tmp.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.path());
    p.setProcessEnvironment(env);
    p.start(program(),
            {QStringLiteral("/ARQ=") + test::samplePath(QStringLiteral("nota.txt")), QStringLiteral("/DLG=NAO")});
    ASSERT_TRUE(p.waitForFinished(30000)) << "the program must not hang";
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Printer not found."))) << err.toStdString();
    EXPECT_EQ(p.exitCode(), 1);
}

TEST_F(Program, BadInputGivesAClearMessage)
{
    struct Case {
        QStringList args;
        QString message;
    };
    const QString missing = forms.file(QStringLiteral("nao-existe.txt"));
    const std::vector<Case> cases = {
        {{QStringLiteral("/ARQ=") + missing}, QStringLiteral("Cannot open file \"%1\".").arg(missing)},
        {{QStringLiteral("/ARQ=") + forms.path()}, QStringLiteral("Cannot open file \"%1\".").arg(forms.path())},
        {{QStringLiteral("/FOS=abc"), QStringLiteral("/ARQ=x")}, QStringLiteral("'abc' is not a valid integer value.")},
        {{QStringLiteral("/IMPI="), QStringLiteral("/ARQ=x")}, QStringLiteral("'' is not a valid integer value.")},
        {{QStringLiteral("/ARQ=") + test::samplePath(QStringLiteral("nota.txt")), QStringLiteral("/MAT=RLDraftFilter1"),
          QStringLiteral("/TAB=XYZ")},
         QStringLiteral("/TAB=XYZ não é uma tabela de caracteres conhecida. As tabelas são: PC437,")},
    };
    for (const Case &c : cases) {
        const Result r = runProgram(c.args + QStringList{QStringLiteral("/DLG=NAO")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Prenso: ") + c.message))
            << r.err.toStdString() << " / expected " << c.message.toStdString();
    }
}

// Nobody can answer a window: the print dialog, the preview and the setup
// screen are each an error that says what to do instead, at once, never a
// wait; on a machine without any display as well as in an unattended run.
TEST_F(Program, NobodyAtTheScreenIsAnErrorNotAWait)
{
    struct Case {
        QStringList args;
        QString mode; // PRENSO_DIALOGS, or empty for a machine without a display
        QString message;
    };
    const QString form = QStringLiteral("/ARQ=") + test::samplePath(QStringLiteral("nota.txt"));
    const QString dialog = QStringLiteral("Para imprimir sem ele, use /DLG=NAO.");
    const QString setup = QStringLiteral("Não há tela para mostrar a tela de configuração.");
    const std::vector<Case> cases = {
        {{form}, "auto", dialog},
        {{form}, "", dialog},
        {{form, QStringLiteral("/DLG=SIM")}, "auto", dialog},
        {{form, QStringLiteral("/VIS=SIM"), QStringLiteral("/DLG=NAO")}, "auto", "deixe de lado /VIS=SIM"},
        {{}, "auto", setup},
        {{}, "", setup},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString() + " / " + c.mode.toStdString());
        QElapsedTimer clock;
        clock.start();
        const Result r = runProgram(c.args, QString(), {}, c.mode);
        EXPECT_LT(clock.elapsed(), 15000);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
}

// Switches without /ARQ: nothing to print, so nothing is tried and nothing
// said (a job would fail here, where there is neither a file nor a printer),
// and the program ends at once.
TEST_F(Program, NoArqPrintsNothingAndEnds)
{
    // The toolkit's own options are arguments like any other: the mode is
    // command-line mode, and nothing of them reaches the toolkit.
    for (const QStringList &args :
         {QStringList{"/ORI=PAISAGEM", "/XYZ=1"}, QStringList{"/DLG=NAO", "/IMPI=3", "/FOS=9"}, QStringList{"palavra"},
          QStringList{"-reverse"}, QStringList{"-platform", "xcb"}, QStringList{"-style", "fusion"}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        QElapsedTimer clock;
        clock.start();
        const Result r = runProgram(args);
        EXPECT_LT(clock.elapsed(), 15000);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_FALSE(r.err.contains(QStringLiteral("Prenso:"))) << r.err.toStdString();
    }
}

// --help, /? and --version are answered on standard output before the
// toolkit starts: run on a platform that does not exist, where making the
// toolkit would abort the process, they still end with 0 and say nothing on
// standard error, so no window could have opened. A misspelt word is an
// unknown switch like any other: ignored, silently.
TEST_F(Program, HelpAndVersionAnswerWithoutToolkit)
{
    struct Case {
        QStringList args;
        QStringList out; // what standard output shows
        bool whole;      // ... and nothing else
        bool toolkit;    // the run may start the toolkit (offscreen)
    };
    const QStringList usage = {QStringLiteral("Usage: prenso"), QStringLiteral("/ARQ=file"),
                               QStringLiteral("/PDF=file"),     QStringLiteral("/MAT=RLDraftFilter1"),
                               QStringLiteral("/DLG=NAO"),      QStringLiteral("Exit status")};
    const QString missing = QStringLiteral("/ARQ=") + forms.file(QStringLiteral("nao-existe.txt"));
    const std::vector<Case> cases = {
        {{QStringLiteral("--help")}, usage, false, false},
        {{QStringLiteral("/?")}, usage, false, false},
        {{missing, QStringLiteral("--help")}, usage, false, false},
        {{QStringLiteral("--version")}, {QStringLiteral("Prenso " PRENSO_VERSION "\n")}, true, false},
        {{QStringLiteral("--hepl")}, {}, true, true},
        {{QStringLiteral("/HELP")}, {}, true, true},
    };
    const QStringList noToolkit = {QStringLiteral("/usr/bin/env"), QStringLiteral("QT_QPA_PLATFORM=no-such-platform")};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Result r = runProgram(c.args, QString(), c.toolkit ? QStringList{} : noToolkit);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err.toStdString(), "");
        if (c.whole) {
            EXPECT_EQ(r.out.toStdString(), c.out.join(QString()).toStdString());
        }
        for (const QString &text : c.out)
            EXPECT_TRUE(r.out.contains(text)) << r.out.toStdString() << " / expected " << text.toStdString();
    }
}

// A caller that starts the program without a shell hands over the double
// quotes of a batch line as they are; the command line drops them.
TEST_F(Program, QuotesAreDroppedAsTheCommandLineDropsThem)
{
    const QString form = forms.file(QStringLiteral("nota fiscal.txt"));
    test::writeFile(form, "LINHA\r\n");
    const QString pdf = forms.file(QStringLiteral("arquivo.pdf"));
    const Result r = runProgram({QStringLiteral("/ARQ=\"") + form + u'"', QStringLiteral("/PDF=\"") + pdf + u'"'});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(Program, UnreadableFormIsAClearError)
{
    // Root reads every file, so as root the program runs as an unprivileged user.
    QStringList prefix;
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            GTEST_SKIP() << "setpriv is needed to run as an unprivileged user";
        prefix = {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"), QStringLiteral("--")};
    }
    ::chmod(forms.path().toLocal8Bit().constData(), 0755);
    const QString form = forms.file(QStringLiteral("fechado.txt"));
    test::writeFile(form, "linha\r\n");
    ::chmod(form.toLocal8Bit().constData(), 0);
    const Result r = runProgram({QStringLiteral("/ARQ=") + form, QStringLiteral("/DLG=NAO")}, QString(), prefix);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot open file \"%1\". Permission denied").arg(form)))
        << r.err.toStdString();
}

// The business system writes its file names in its own code page: the
// program opens exactly the bytes it is given (the shell's printf makes
// them, as no text argument of the test could), and its messages read them
// in that code page.
TEST_F(Program, FileNamesAreTheCallersBytes)
{
    struct Case {
        QByteArray form, pdf; // names under `forms`; the form exists unless `message` is given
        QString message;
    };
    const std::vector<Case> cases = {
        {"rel\\0363rio.txt", "sa\\0355da \\0200.pdf", {}},
        {"rel\\0303\\0263rio.txt", "sa\\0303\\0255da.pdf", {}},
        {"falt\\0363.txt", "x.pdf", QStringLiteral("Cannot open file \"%1/faltó.txt\".")},
    };
    // Each argument goes through printf %b before the program gets it.
    const QStringList shell = {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                               QStringLiteral("p=$1; shift; for a; do set -- \"$@\" \"$(printf %b \"$a\")\"; shift; "
                                              "done; exec \"$p\" \"$@\""),
                               QStringLiteral("sh")};
    const auto bytesOf = [](const QByteArray &escaped) {
        QProcess printf;
        printf.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("printf %b \"$0\""), QString::fromLatin1(escaped)});
        printf.waitForFinished();
        return printf.readAllStandardOutput();
    };
    const QByteArray folder = forms.path().toUtf8() + '/';
    for (const Case &c : cases) {
        SCOPED_TRACE(c.form.toStdString());
        const QByteArray form = folder + bytesOf(c.form), pdf = folder + bytesOf(c.pdf);
        if (c.message.isEmpty()) {
            test::writeFile(forms.file(QStringLiteral("f.txt")), "LINHA DO FORMULARIO\r\n");
            ASSERT_EQ(::rename(forms.file(QStringLiteral("f.txt")).toUtf8().constData(), form.constData()), 0);
        }
        const Result r = runProgram({QStringLiteral("/ARQ=") + forms.path() + u'/' + QString::fromLatin1(c.form),
                                     QStringLiteral("/PDF=") + forms.path() + u'/' + QString::fromLatin1(c.pdf)},
                                    QString(), shell);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.err.contains(c.message.arg(forms.path()))) << r.err.toStdString();
            continue;
        }
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString read = forms.file(QStringLiteral("lido.pdf"));
        ASSERT_EQ(::rename(pdf.constData(), read.toUtf8().constData()), 0) << "the PDF is named by the bytes given";
        EXPECT_TRUE(test::PdfTextPages(read).value(0).contains(QStringLiteral("LINHA DO FORMULARIO")));
        ::unlink(form.constData());
        ::unlink(read.toUtf8().constData());
    }
}
