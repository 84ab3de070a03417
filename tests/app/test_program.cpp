// The real program as a process, with bad input of the kinds operators give.
// Every case must end with a clear message and leave no file behind, neither
// beside the program nor in the temporary folder.
#include "support/test_support.h"

#include <QDir>
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
};

class Program : public ::testing::Test {
protected:
    QString program() const { return QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso"); }

    Result runProgram(const QStringList &args, const QString &exe = QString(), const QStringList &prefix = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PRENSO_DIALOGS"), QStringLiteral("auto"));
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.path());
        p.setProcessEnvironment(env);
        const QString exePath = exe.isEmpty() ? program() : exe;
        if (prefix.isEmpty())
            p.start(exePath, args);
        else
            p.start(prefix.first(), prefix.mid(1) + QStringList{exePath} + args);
        EXPECT_TRUE(p.waitForFinished(30000)) << "the program must not hang";
        return Result{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
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

// Run unattended, the preview opens on the prepared pages and is closed at
// once; nothing is printed and nothing is said.
TEST_F(Program, PreviewOpensAndClosesUnattended)
{
    const Result r = runProgram(
        {QStringLiteral("/ARQ=") + test::samplePath(QStringLiteral("nota.txt")), QStringLiteral("/VIS=SIM")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.err.contains(QStringLiteral("Prenso:"))) << "no box was shown: " << r.err.toStdString();
}

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
    p.start(program(), {QStringLiteral("/ARQ=") + test::samplePath(QStringLiteral("nota.txt"))});
    ASSERT_TRUE(p.waitForFinished(30000)) << "the program must not hang";
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Printer not found."))) << err.toStdString();
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
        {{QStringLiteral("/FOS=abc"), QStringLiteral("/ARQ=x")},
         QStringLiteral("''abc'' is not a valid integer value.")},
        {{QStringLiteral("/IMPI="), QStringLiteral("/ARQ=x")}, QStringLiteral("'''' is not a valid integer value.")},
    };
    for (const Case &c : cases) {
        const Result r = runProgram(c.args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString() << " / expected " << c.message.toStdString();
    }
}

TEST_F(Program, NoArqPrintsNothingAndEnds)
{
    const Result r = runProgram({QStringLiteral("/ORI=PAISAGEM"), QStringLiteral("/XYZ=1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.err.contains(QStringLiteral("linha(s)")));
}

TEST_F(Program, ReadOnlyProgramFolderFailsAtTheScratchFileAfterTheWork)
{
    // The program copied into a folder it may not write to. Root writes
    // anywhere, so as root the copy runs as an unprivileged user.
    TempDir home;
    ::chmod(home.path().toLocal8Bit().constData(), 0755);
    const QString exe = home.file(QStringLiteral("Prenso"));
    ASSERT_TRUE(QFile::copy(program(), exe));
    ::chmod(exe.toLocal8Bit().constData(), 0755);
    const QString form = home.file(QStringLiteral("form.txt"));
    test::writeFile(form, "linha 1\r\nlinha 2\r\n");
    ::chmod(form.toLocal8Bit().constData(), 0644);
    ::chmod(home.path().toLocal8Bit().constData(), 0555);
    QStringList prefix;
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            GTEST_SKIP() << "setpriv is needed to run as an unprivileged user";
        prefix = {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"), QStringLiteral("--")};
    }
    const Result r = runProgram({QStringLiteral("/ARQ=") + form, QStringLiteral("/VIS=SIM")}, exe, prefix);
    ::chmod(home.path().toLocal8Bit().constData(), 0755);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot create file \"%1/R").arg(home.path()))) << r.err.toStdString();
    EXPECT_EQ(test::listFolder(home.path()), (QStringList{QStringLiteral("Prenso"), QStringLiteral("form.txt")}));
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
    const Result r = runProgram({QStringLiteral("/ARQ=") + form}, QString(), prefix);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Cannot open file \"%1\". Permission denied").arg(form)))
        << r.err.toStdString();
}
