// Files and ports written byte by byte, and what a queue's device URI says
// about where its bytes go.
#include "platform/io/outputfile.h"
#include "platform/printing/rawspool.h"
#include "platform/system/errors.h"
#include "support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace prenso;
using prenso::test::TempDir;

TEST(DeviceUri, LocalFilesAndPorts)
{
    using printing::localDeviceFileOfUri;
    bool file = false;
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("file:/tmp/out.prn"), &file), QStringLiteral("/tmp/out.prn"));
    EXPECT_TRUE(file);
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("file:///tmp/a%20b.prn")), QStringLiteral("/tmp/a b.prn"));
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("file://localhost/dev/null")), QStringLiteral("/dev/null"));
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("FILE:/dev/null")), QStringLiteral("/dev/null"));
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("parallel:/dev/lp0"), &file), QStringLiteral("/dev/lp0"));
    EXPECT_FALSE(file);
    EXPECT_EQ(localDeviceFileOfUri(QStringLiteral("serial:/dev/ttyS0?baud=9600+bits=8")), QStringLiteral("/dev/ttyS0"));
    // Everything else goes through the print server.
    for (const char *uri :
         {"socket://10.0.0.5:9100", "usb://Maker/Model?serial=1", "ipp://host/printers/p", "lpd://host/queue",
          "file://otherhost/tmp/x", "file:relative.prn", "server\\share", "", "parallel:", ":/dev/lp0"}) {
        EXPECT_EQ(localDeviceFileOfUri(QString::fromLatin1(uri), &file), QString()) << uri;
        EXPECT_FALSE(file);
    }
}

TEST(OutputFile, EveryFailureIsAnInputOutputError)
{
    TempDir dir;
    files::OutputFile f;
    EXPECT_THROW(f.create(dir.file(QStringLiteral("missing/x"))), EInOutError);
    EXPECT_THROW(f.openExisting(dir.file(QStringLiteral("absent"))), EInOutError);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("absent"))));
    EXPECT_THROW(f.write("x"), EInOutError);
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        f.openExisting(QStringLiteral("/dev/full"));
        try {
            f.write("x");
            ADD_FAILURE() << "wrote to a full device";
        } catch (const EInOutError &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("/dev/full"))) << e.message().toStdString();
        }
        f.close();
    }
    f.create(dir.file(QStringLiteral("ok")));
    f.write(std::string(200000, 'a'));
    f.close();
    EXPECT_EQ(QFile(dir.file(QStringLiteral("ok"))).size(), 200000);
}
