// Where the draft filter's bytes go: program command lines taken apart
// without a shell, names that hold shell syntax, local ports and files.
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/process.h"
#include "report/filters/draft/RLDraftDevice.h"
#include "support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace prenso;
using prenso::test::readFile;
using prenso::test::TempDir;
using prenso::test::writeFile;

TEST(DraftProgramCommand, ProgramThenArgumentsThenPlaceholders)
{
    auto c = DraftProgramCommand(QStringLiteral("lp -d %p -o raw %f"), QStringLiteral("Matricial"),
                                 QStringLiteral("/tmp/x"));
    EXPECT_EQ(c.Program, QStringLiteral("lp"));
    EXPECT_EQ(c.Arguments, (QStringList{QStringLiteral("-d"), QStringLiteral("Matricial"), QStringLiteral("-o"),
                                        QStringLiteral("raw"), QStringLiteral("/tmp/x")}));
    // No blank: a program without parameters.
    c = DraftProgramCommand(QStringLiteral("/usr/bin/print-it"), QStringLiteral("P"), QStringLiteral("F"));
    EXPECT_EQ(c.Program, QStringLiteral("/usr/bin/print-it"));
    EXPECT_TRUE(c.Arguments.isEmpty());
    // Placeholders in any case, inside arguments; a printer name with blanks
    // stays one argument.
    c = DraftProgramCommand(QStringLiteral("send --to=%P --file=%F"), QStringLiteral("Sala 2"), QStringLiteral("f"));
    EXPECT_EQ(c.Arguments, (QStringList{QStringLiteral("--to=Sala 2"), QStringLiteral("--file=f")}));
    // Quotes group blanks; a doubled quote inside them is a quote.
    c = DraftProgramCommand(QStringLiteral("cp %f \"/a folder/say \"\"hi\"\"\""), QString(), QStringLiteral("f"));
    EXPECT_EQ(c.Arguments, (QStringList{QStringLiteral("f"), QStringLiteral("/a folder/say \"hi\"")}));
    // A program in quotes may hold blanks.
    c = DraftProgramCommand(QStringLiteral("\"/opt/My Tools/out\" %f"), QString(), QStringLiteral("f"));
    EXPECT_EQ(c.Program, QStringLiteral("/opt/My Tools/out"));
    EXPECT_EQ(c.Arguments, (QStringList{QStringLiteral("f")}));
    c = DraftProgramCommand(QStringLiteral("  x"), QString(), QString());
    EXPECT_EQ(c.Program, QString());
}

TEST(DraftProgramCommand, PlaceholdersAreReplacedOnceAndOnlyThemselves)
{
    // A printer called "%f" does not become the file name.
    EXPECT_EQ(DraftExpandPlaceholders(QStringLiteral("%p-%f"), QStringLiteral("%f"), QStringLiteral("F")),
              QStringLiteral("%f-F"));
    EXPECT_EQ(DraftExpandPlaceholders(QStringLiteral("%P%F%%%x%"), QStringLiteral("p"), QStringLiteral("f")),
              QStringLiteral("pf%%%x%"));
}

namespace {

// Writes a small document through a device of kind dkProgram whose command
// line copies the handed file into `dest`.
void printThroughProgram(const QString &printerName, const QString &commandLine)
{
    TRLDraftDevice device;
    TRLDraftDeviceTarget target;
    target.Kind = TRLDeviceKind::dkProgram;
    target.PrinterName = printerName;
    target.DevicePath = commandLine;
    device.Open(target);
    device.Write("bytes");
    device.Close();
}

} // namespace

TEST(DraftDevice, PrinterNamesWithShellSyntaxAreData)
{
    TempDir dir;
    // Were any of these read by a shell, it would leave a canary file in the
    // current folder.
    const QStringList names = {
        QStringLiteral("a\"b'c"),
        QStringLiteral("x; touch canary1"),
        QStringLiteral("$(touch canary2)"),
        QStringLiteral("`touch canary3`"),
        QStringLiteral("two words && more"),
        QStringLiteral("line\nbreak"),
        QStringLiteral("-rf"),
        QStringLiteral("> out | in < *"),
    };
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        printThroughProgram(name, QStringLiteral("/bin/cp %f \"%1/%p\"").arg(dir.path()));
    }
    process::waitForStartedPrograms();
    for (const QString &name : names)
        EXPECT_EQ(readFile(dir.file(name)), "bytes") << name.toStdString();
    for (const char *canary : {"canary1", "canary2", "canary3"}) {
        EXPECT_FALSE(QFile::exists(QString::fromLatin1(canary)));
        EXPECT_FALSE(QFile::exists(dir.file(QString::fromLatin1(canary))));
    }
    EXPECT_EQ(prenso::test::listFolder(dir.path()).size(), names.size());
}

TEST(DraftDevice, AbortRemovesTheTemporaryFileAndStartsNothing)
{
    TempDir dir;
    const QStringList before = prenso::test::listFolder(files::tempFolder());
    const int registered = files::registeredTempFileCount();
    {
        TRLDraftDevice device;
        TRLDraftDeviceTarget target;
        target.Kind = TRLDeviceKind::dkProgram;
        target.DevicePath = QStringLiteral("/bin/cp %f ") + dir.file(QStringLiteral("copy"));
        device.Open(target);
        EXPECT_TRUE(QFile::exists(device.DeviceFileName()));
        EXPECT_EQ(files::registeredTempFileCount(), registered + 1);
        device.Write("half");
        device.Abort();
        EXPECT_FALSE(QFile::exists(device.DeviceFileName()));
    }
    {
        // Going away unfinished is an abort too.
        TRLDraftDevice device;
        TRLDraftDeviceTarget target;
        target.Kind = TRLDeviceKind::dkProgram;
        target.DevicePath = QStringLiteral("/bin/cp %f ") + dir.file(QStringLiteral("copy"));
        device.Open(target);
    }
    process::waitForStartedPrograms();
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("copy"))));
    EXPECT_EQ(prenso::test::listFolder(files::tempFolder()), before);
    EXPECT_EQ(files::registeredTempFileCount(), registered);
}

TEST(DraftDevice, PortsThatNameLocalFiles)
{
    TempDir dir;
    TRLDraftDeviceTarget target;
    target.Kind = TRLDeviceKind::dkPrinterPort;

    // file: creates (or empties) the file it names.
    const QString made = dir.file(QStringLiteral("made by port.prn"));
    target.PrinterPort = QStringLiteral("file://") + QString(made).replace(u' ', QStringLiteral("%20"));
    {
        TRLDraftDevice device;
        device.Open(target);
        EXPECT_FALSE(device.SpoolsRaw());
        EXPECT_EQ(device.DeviceFileName(), target.PrinterPort);
        device.Write("abc");
        device.Close();
    }
    EXPECT_EQ(readFile(made), "abc");

    // parallel: and serial: ports are the print server's: the bytes go as a
    // raw job on the queue (here there is none to take it), never straight
    // into the device.
    const QString port = dir.file(QStringLiteral("lp0"));
    writeFile(port, "");
    for (const QString &uri :
         {QStringLiteral("parallel:") + port, QStringLiteral("serial:") + port + QStringLiteral("?baud=9600")}) {
        SCOPED_TRACE(uri.toStdString());
        target.PrinterPort = uri;
        TRLDraftDevice spooled;
        EXPECT_THROW(spooled.Open(target), Exception);
    }
    EXPECT_EQ(readFile(port), "");
}

TEST(DraftDevice, FileNamesMustBeGivenAndWritable)
{
    TempDir dir;
    TRLDraftDeviceTarget target;
    target.Kind = TRLDeviceKind::dkFileName;
    TRLDraftDevice device;
    EXPECT_THROW(device.Open(target), EInOutError);
    target.DevicePath = dir.file(QStringLiteral("missing/out.prn"));
    EXPECT_THROW(device.Open(target), EInOutError);
    target.DevicePath = dir.file(QStringLiteral("out.prn"));
    writeFile(target.DevicePath, "old contents that are longer");
    device.Open(target);
    device.Write("new");
    device.Close();
    EXPECT_EQ(readFile(target.DevicePath), "new");
}
