// Starting programs without a shell, and files handed to them that must
// outlive the program reading them.
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/process.h"
#include "support/test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace prenso;
using prenso::test::readFile;
using prenso::test::TempDir;

namespace {

QString handedFile(const std::string &contents)
{
    QString path;
    const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
    EXPECT_EQ(::write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
    ::close(fd);
    return path;
}

} // namespace

TEST(SplitArguments, BlanksSeparateQuotesGroup)
{
    EXPECT_EQ(process::splitArguments(QStringLiteral("  a  b\tc ")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(process::splitArguments(QStringLiteral("\"a b\" c\"d e\"f")),
              (QStringList{QStringLiteral("a b"), QStringLiteral("cd ef")}));
    EXPECT_EQ(process::splitArguments(QStringLiteral("\"\" x")), (QStringList{QString(), QStringLiteral("x")}));
    EXPECT_EQ(process::splitArguments(QStringLiteral("\"say \"\"hi\"\"\"")),
              (QStringList{QStringLiteral("say \"hi\"")}));
    EXPECT_EQ(process::splitArguments(QStringLiteral("'single quotes' are $(data)")),
              (QStringList{QStringLiteral("'single"), QStringLiteral("quotes'"), QStringLiteral("are"),
                           QStringLiteral("$(data)")}));
    EXPECT_EQ(process::splitArguments(QStringLiteral("\"unclosed quote")),
              (QStringList{QStringLiteral("unclosed quote")}));
    EXPECT_TRUE(process::splitArguments(QString()).isEmpty());
}

TEST(StartProgram, MissingProgramIsAnError)
{
    const int pending = process::pendingProgramCount();
    for (const QString &program : {QStringLiteral("/no/such/program"), QStringLiteral("no-such-program-anywhere")}) {
        try {
            process::startProgram(program, {}, QString());
            ADD_FAILURE() << "started " << program.toStdString();
        } catch (const Exception &e) {
            EXPECT_TRUE(e.message().contains(program)) << e.message().toStdString();
        }
    }
    EXPECT_THROW(process::startProgram(QString(), {}), Exception);
    // Not executable.
    TempDir dir;
    prenso::test::writeFile(dir.file(QStringLiteral("plain.txt")), "echo hi\n");
    EXPECT_THROW(process::startProgram(dir.file(QStringLiteral("plain.txt")), {}), Exception);
    EXPECT_EQ(process::pendingProgramCount(), pending);
}

TEST(StartProgram, ArgumentsAreDataNotShellSyntax)
{
    TempDir dir;
    const QStringList names = {QStringLiteral("$(touch canary)"), QStringLiteral("a; b"),      QStringLiteral("`x`"),
                               QStringLiteral("it's \"quoted\""), QStringLiteral("new\nline"), QStringLiteral("*")};
    QStringList paths;
    for (const QString &n : names)
        paths << dir.file(n);
    process::startProgram(QStringLiteral("touch"), paths); // found in PATH
    process::waitForStartedPrograms();
    // The untracked program may not have been collected yet: wait for the files.
    QElapsedTimer t;
    t.start();
    while (prenso::test::listFolder(dir.path()).size() < names.size() && t.elapsed() < 5000)
        ::usleep(10000);
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(prenso::test::listFolder(dir.path()), expected);
    EXPECT_FALSE(QFile::exists(QStringLiteral("canary")));
}

TEST(StartProgram, HandedFileLivesUntilTheProgramHasFinished)
{
    TempDir dir;
    const QString file = handedFile("the document");
    const int registered = files::registeredTempFileCount();
    const QString copy = dir.file(QStringLiteral("copy"));
    // A program that reads its file only after a while.
    QElapsedTimer t;
    t.start();
    process::startProgram(QStringLiteral("/bin/sh"),
                          {QStringLiteral("-c"), QStringLiteral("sleep 0.4; cp \"$0\" \"$1\""), file, copy}, file);
    EXPECT_EQ(process::pendingProgramCount(), 1);
    process::reapFinishedPrograms(); // still running: nothing goes
    EXPECT_TRUE(QFile::exists(file));
    process::waitForStartedPrograms();
    EXPECT_GE(t.elapsed(), 350);
    EXPECT_EQ(readFile(copy), "the document");
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(files::registeredTempFileCount(), registered - 1);
    EXPECT_EQ(process::pendingProgramCount(), 0);
}

TEST(StartProgram, FinishedProgramsFilesGoWithoutWaiting)
{
    const QString file = handedFile("x");
    process::startProgram(QStringLiteral("/bin/true"), {}, file);
    QElapsedTimer t;
    t.start();
    while (process::pendingProgramCount() > 0 && t.elapsed() < 5000) {
        ::usleep(10000);
        process::reapFinishedPrograms();
    }
    EXPECT_EQ(process::pendingProgramCount(), 0);
    EXPECT_FALSE(QFile::exists(file));
}

// A temporary file still listed when the program returns from main is
// removed at exit, and the removal finds its list still there.
TEST(StartProgram, TemporaryFilesLeftAtTheEndGoAtExit)
{
    QProcess helper;
    helper.start(QStringLiteral(PRENSO_BINARY_DIR "/bin/program_end_helper"), {QStringLiteral("--leave")});
    ASSERT_TRUE(helper.waitForFinished(20000));
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    const QString left = QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(left.isEmpty());
    EXPECT_FALSE(QFile::exists(left)) << left.toStdString();
}

TEST(StartProgram, ProgramEndWaitsForProgramsStillReading)
{
    // A helper program hands a file to a program that reads it half a second
    // later and then ends at once: the file must still be there.
    TempDir dir;
    const QString copy = dir.file(QStringLiteral("copy"));
    QProcess helper;
    QElapsedTimer t;
    t.start();
    helper.start(QStringLiteral(PRENSO_BINARY_DIR "/bin/program_end_helper"), {copy});
    ASSERT_TRUE(helper.waitForFinished(20000));
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    EXPECT_GE(t.elapsed(), 450);
    EXPECT_EQ(readFile(copy), "handed to a program at the very end");
    const QString handed = QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();
    EXPECT_FALSE(handed.isEmpty());
    EXPECT_FALSE(QFile::exists(handed)) << handed.toStdString();
}
