// A shell launcher written by the setup screen, run as the business system
// runs it: with the form's path as its only argument. The printer's name is
// full of shell syntax and the path full of blanks; the form must reach that
// printer, and nothing the name spells may run.
#include "app/Principal.h"
#include "platform/widgets/radiogroup.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace prenso;
using namespace prenso::test;

namespace {

class Launcher : public PrinterServerTest {};

TEST_F(Launcher, ShellLauncherPrintsOnTheNamedQueueAndRunsNothingElse)
{
    // Each piece would make the canary file if the shell read the name as code.
    const QString queue =
        QStringLiteral("Fila;touch${IFS}canary;`touch${IFS}canary`$(touch${IFS}canary)|tee${IFS}canary&");
    SocketListener other, named;
    cupsd->addRawQueue(QStringLiteral("Outra"), other.port());
    cupsd->addRawQueue(queue, named.port());

    QStringList boxes;
    const ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &text) { boxes << text; });
    TfrmPrincipal screen(QStringList{QStringLiteral("Prenso")});
    screen.SetLauncherProgram(QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso"));
    const int item = static_cast<int>(screen.rgpImpressora->Items().indexOf(queue));
    ASSERT_GE(item, 0) << screen.rgpImpressora->Items().join(u' ').toStdString();
    screen.rgpImpressora->findChildren<QRadioButton *>()[item]->click();
    screen.ckbSalvaNomeImpressora->click();
    screen.ckbImprimirSemDialogo->click();
    TempDir dir;
    const QString launcher = dir.file(QStringLiteral("imprime nota"));
    screen.edtArquivo->setText(launcher);
    QTest::mouseClick(screen.btnSalvar, Qt::LeftButton);
    ASSERT_EQ(boxes, QStringList());

    QDir().mkpath(dir.file(QStringLiteral("formulários do dia")));
    const QString form = dir.file(QStringLiteral("formulários do dia/nota fiscal 1.txt"));
    writeFile(form, "NOTA FISCAL 4711\r\nVALOR 10,00\r\n");
    QProcess run;
    run.setWorkingDirectory(dir.path());
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(launcher, {form});
    ASSERT_TRUE(run.waitForFinished(60000)) << "the program must not hang";
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();

    const std::vector<std::string> jobs = named.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    const QString pdf = dir.file(QStringLiteral("job.pdf"));
    writeFile(pdf, jobs.front());
    EXPECT_EQ(NonBlankLines(PdfTextPages(pdf).value(0)).value(0).simplified(), QStringLiteral("NOTA FISCAL 4711"));
    EXPECT_TRUE(other.jobs().empty());
    QFile::remove(pdf);
    EXPECT_EQ(listFolder(dir.path()),
              (QStringList{QStringLiteral("formulários do dia"), QStringLiteral("imprime nota")}))
        << "the canary shows that part of the name ran as a command";
}

// A launcher with a PDF folder archives: each form lands there as an archive
// PDF named after it, and nothing goes to the printer.
TEST_F(Launcher, ShellLauncherWithAPdfFolderArchivesTheFormUnderItsName)
{
    SocketListener queue;
    cupsd->addRawQueue(QStringLiteral("Balcao"), queue.port());
    QStringList boxes;
    const ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &text) { boxes << text; });
    TfrmPrincipal screen(QStringList{QStringLiteral("Prenso")});
    screen.SetLauncherProgram(QStringLiteral(PRENSO_BINARY_DIR "/bin/Prenso"));
    const int item = static_cast<int>(screen.rgpImpressora->Items().indexOf(QStringLiteral("Balcao")));
    ASSERT_GE(item, 0);
    screen.rgpImpressora->findChildren<QRadioButton *>()[item]->click();
    TempDir dir;
    const QString archive = dir.file(QStringLiteral("notas de hoje"));
    QDir().mkpath(archive);
    screen.edtPastaPdf->setText(archive);
    const QString launcher = dir.file(QStringLiteral("arquiva"));
    screen.edtArquivo->setText(launcher);
    QTest::mouseClick(screen.btnSalvar, Qt::LeftButton);
    ASSERT_EQ(boxes, QStringList());

    const QString form = dir.file(QStringLiteral("nota fiscal 1.v2.txt"));
    writeFile(form, "NOTA FISCAL 4712\r\nVALOR 10,00\r\n");
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(launcher, {form});
    ASSERT_TRUE(run.waitForFinished(60000)) << "the program must not hang";
    EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();

    EXPECT_EQ(listFolder(archive), QStringList{QStringLiteral("nota fiscal 1.v2.pdf")});
    const QString pdf = archive + QStringLiteral("/nota fiscal 1.v2.pdf");
    EXPECT_TRUE(PdfA1bValid(pdf));
    EXPECT_EQ(NonBlankLines(PdfTextPages(pdf).value(0)).value(0).simplified(), QStringLiteral("NOTA FISCAL 4712"));
    EXPECT_TRUE(queue.waitForJobs(1, 2000).empty()) << "an archived form is not printed";
}

} // namespace
