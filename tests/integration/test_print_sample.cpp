// The README's first command on a machine with no printer and no display:
// scripts/print-sample (what scripts/run-sample runs once the program is
// built) prints the sample form through a print server of its own, ends
// within seconds, and leaves the printed pages as a PDF file where it says,
// and nothing else behind.
#include "support/pdf_probe.h"
#include "support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

using namespace prenso::test;

namespace {

QStringList sampleServers()
{
    return QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("prenso-sample-*")}, QDir::Dirs);
}

TEST(PrintSample, PrintsTheSampleWithoutPrinterOrDisplay)
{
    TempDir out, tmp;
    const QStringList serversBefore = sampleServers();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "PRENSO_DIALOGS", "CUPS_SERVER"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("PRENSO_SAMPLE_DIR"), out.path());
    env.insert(QStringLiteral("PRENSO_PROGRAM"), QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso"));
    env.insert(QStringLiteral("TMPDIR"), tmp.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), out.path());
    QProcess script;
    script.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    script.start(QStringLiteral(PRENSO_SOURCE_DIR "/scripts/print-sample"), QStringList());
    ASSERT_TRUE(script.waitForFinished(60000)) << "print-sample did not end";
    const QString said = QString::fromLocal8Bit(script.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(script.readAllStandardError());
    EXPECT_LT(clock.elapsed(), 20000);
    ASSERT_EQ(script.exitCode(), 0) << err.toStdString();

    const QString pdf = out.file(QStringLiteral("nota.pdf"));
    EXPECT_TRUE(said.contains(pdf)) << "it must say where the pages are: " << said.toStdString();
    const std::string bytes = readFile(pdf);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(probe::pdfPageCount(bytes), 3);
    EXPECT_TRUE(probe::pdfText(bytes).contains(QStringLiteral("DISTRIBUIDORA SÃO JOÃO LTDA")));

    EXPECT_EQ(sampleServers(), serversBefore) << "the print server's folder stayed";
    QStringList left = listFolder(tmp.path());
    EXPECT_EQ(left, QStringList()) << "left in TMPDIR";
}

} // namespace
