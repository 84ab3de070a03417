#include "platform/printing/printers.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace prenso;
using namespace prenso::printing;

TEST(UserDefaultPrinter, NewFileHoldsJustTheDefault)
{
    EXPECT_EQ(withDefaultDestination(QString(), QStringLiteral("Alpha")), QStringLiteral("Default Alpha\n"));
}

TEST(UserDefaultPrinter, KeepsOptionsAndOtherLines)
{
    const QString before = QStringLiteral("# written by hand\n"
                                          "Dest Alpha media=A4 sides=two-sided-long-edge\n"
                                          "Default Beta copies=2\n"
                                          "Dest Beta/draft print-quality=3\n");
    EXPECT_EQ(withDefaultDestination(before, QStringLiteral("Alpha")),
              QStringLiteral("# written by hand\n"
                             "Default Alpha media=A4 sides=two-sided-long-edge\n"
                             "Dest Beta copies=2\n"
                             "Dest Beta/draft print-quality=3\n"));
}

TEST(UserDefaultPrinter, InstanceIsItsOwnDestinationAndNamesIgnoreCase)
{
    const QString before = QStringLiteral("Default Beta\nDest Beta/draft cpi=12");
    // The instance line becomes the default; the plain queue is no longer it.
    EXPECT_EQ(withDefaultDestination(before, QStringLiteral("beta/DRAFT")),
              QStringLiteral("Dest Beta\nDefault Beta/draft cpi=12\n"));
    // A queue without a line of its own gets one at the end.
    EXPECT_EQ(withDefaultDestination(before, QStringLiteral("Gamma")),
              QStringLiteral("Dest Beta\nDest Beta/draft cpi=12\nDefault Gamma\n"));
}

TEST(UserDefaultPrinter, RepeatedWritesLeaveOneDefault)
{
    QString text;
    for (const char *name : {"A", "B", "C", "B"})
        text = withDefaultDestination(text, QString::fromLatin1(name));
    EXPECT_EQ(text, QStringLiteral("Dest A\nDefault B\nDest C\n"));
}

class UserOptionsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("HOME", m_oldHome); }

    test::TempDir m_home;
    QByteArray m_oldHome;
};

TEST_F(UserOptionsFile, WritesOnlyTheHomeFolderFile)
{
    EXPECT_EQ(userOptionsFilePath(), m_home.file(QStringLiteral(".cups/lpoptions")));
    ASSERT_TRUE(setUserDefaultPrinter(QStringLiteral("Alpha")));
    ASSERT_TRUE(setUserDefaultPrinter(QStringLiteral("Beta")));
    EXPECT_EQ(test::readFile(userOptionsFilePath()), "Dest Alpha\nDefault Beta\n");
    EXPECT_EQ(test::listFolder(m_home.path()), QStringList{QStringLiteral(".cups")});
    EXPECT_EQ(test::listFolder(m_home.file(QStringLiteral(".cups"))), QStringList{QStringLiteral("lpoptions")});
    // The folder is private to the user, as the printing tools make it.
    EXPECT_EQ(QFileInfo(m_home.file(QStringLiteral(".cups"))).permissions() & 0x0077, 0);
}

TEST_F(UserOptionsFile, RefusesNamesThatCannotBeAQueue)
{
    EXPECT_FALSE(setUserDefaultPrinter(QString()));
    EXPECT_FALSE(setUserDefaultPrinter(QStringLiteral("two words")));
    EXPECT_FALSE(setUserDefaultPrinter(QStringLiteral("line\nbreak")));
    EXPECT_FALSE(QFile::exists(userOptionsFilePath()));
}

TEST(PrinterInformation, LocalQueueIsKnownByItsDeviceUri)
{
    for (const char *printerUri : {"ipp://localhost/printers/Alpha", "ipp://127.0.0.1:631/printers/Alpha", ""}) {
        const PrinterInformation info = describeDestination(
            QStringLiteral("Alpha"), QStringLiteral("socket://10.0.0.5:9100"), QString::fromLatin1(printerUri));
        EXPECT_EQ(info.printerName, QStringLiteral("Alpha"));
        EXPECT_EQ(info.portName, QStringLiteral("socket://10.0.0.5:9100"));
        EXPECT_TRUE(info.serverName.isEmpty()) << printerUri;
        EXPECT_TRUE(info.shareName.isEmpty()) << printerUri;
    }
}

TEST(PrinterInformation, RemoteQueueIsItsServerAndQueueName)
{
    const PrinterInformation info = describeDestination(QStringLiteral("Sala"), QString(),
                                                        QStringLiteral("ipp://printhost.example:631/printers/Sala_2"));
    EXPECT_EQ(info.serverName, QStringLiteral("printhost.example"));
    EXPECT_EQ(info.shareName, QStringLiteral("Sala_2"));

    const PrinterInformation cls =
        describeDestination(QStringLiteral("All"), QString(), QStringLiteral("ipps://10.1.2.3/classes/Everyone"));
    EXPECT_EQ(cls.serverName, QStringLiteral("10.1.2.3"));
    EXPECT_EQ(cls.shareName, QStringLiteral("Everyone"));
}
