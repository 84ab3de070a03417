// Printing in an office whose network advertises printers (scripts/office:
// a system bus, avahi-daemon and printers that announce themselves, on a
// loopback network of the test's own). The printer list stays the server's
// queues whatever the network does; an advertised printer is used only when
// it is asked for, and one that does not answer costs a bounded wait.
// Outside the office these tests skip.
#include "report/printing/RLPrinters.h"
#include "report/windows/RLPrintDialog.h"
#include "support/driverless_printer.h"
#include "support/operator.h"
#include "support/pdf_tools.h"
#include "support/program_run.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QComboBox>
#include <QPushButton>

using namespace prenso;
using namespace prenso::test;

namespace {

class Office : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        if (!DriverlessPrinter::inOffice())
            GTEST_SKIP() << "runs in the office only (scripts/office)";
        cupsd->addRawQueue(QStringLiteral("Q0"), q0.port());
        cupsd->addRawQueue(QStringLiteral("Q1"), q1.port());
        form = forms.file(QStringLiteral("form.txt"));
        writeFile(form, "NOTA DO ESCRITORIO\r\nlinha 2\r\n");
    }

    // An advertised printer that sorts before the queues, as the one that
    // moved indices did.
    std::unique_ptr<DriverlessPrinter> advertise(const QString &name)
    {
        auto printer = DriverlessPrinter::advertised(name);
        EXPECT_TRUE(printer->running()) << printer->error().toStdString();
        return printer;
    }

    ProgramResult run(const QStringList &switches)
    {
        ProgramOptions options;
        options.tmpDir = tmp.path();
        options.timeoutMs = 60000;
        const ProgramResult r = runProgram(QStringList{QStringLiteral("/ARQ=") + form} + switches, options);
        EXPECT_TRUE(r.finished) << "the program hung and was killed after " << r.elapsedMs << " ms";
        return r;
    }

    SocketListener q0, q1;
    TempDir forms, tmp;
    QString form;
};

} // namespace

TEST_F(Office, AnIndexStaysOnItsQueueWhileAPrinterComesAndGoes)
{
    std::unique_ptr<DriverlessPrinter> passing;
    for (const char *moment : {"before", "while advertised", "after it left"}) {
        SCOPED_TRACE(moment);
        if (std::string_view(moment) == "while advertised")
            passing = advertise(QStringLiteral("AA Passando"));
        else if (passing)
            passing->stop();
        q0.clear();
        q1.clear();
        const ProgramResult r = run({QStringLiteral("/IMPI=1"), QStringLiteral("/DLG=NAO")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(q1.waitForJobs(1).size(), 1u);
        EXPECT_EQ(q0.jobs().size(), 0u);
    }
}

// A printer asleep, announced still: a job that does not use it never waits
// for it, and the server is not asked to make a queue for it.
TEST_F(Office, AnAsleepPrinterCostsOtherJobsNothing)
{
    const auto asleep = advertise(QStringLiteral("AA Dormindo"));
    asleep->freeze();
    const QString pdf = tmp.file(QStringLiteral("arquivo.pdf"));
    struct Case {
        const char *what;
        QStringList switches;
    };
    for (const Case &c :
         {Case{"a print on a queue", {QStringLiteral("/IMPI=0"), QStringLiteral("/DLG=NAO")}},
          Case{"an archive file", {QStringLiteral("/PDF=") + pdf, QStringLiteral("/IMPS=AA_DORMINDO")}},
          Case{"the dot-matrix form on a queue",
               {QStringLiteral("/IMPS=Q0"), QStringLiteral("/MAT=RLDraftFilter1"), QStringLiteral("/DLG=NAO")}}}) {
        SCOPED_TRACE(c.what);
        const ProgramResult r = run(c.switches);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_FALSE(cupsd->temporaryQueueNames().contains(QStringLiteral("AA_Dormindo")))
            << "the asleep printer was asked for";
    }
    EXPECT_EQ(q0.waitForJobs(2).size(), 2u);
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(Office, ANameThatIsNoQueueFindsTheAdvertisedPrinter)
{
    const auto office = advertise(QStringLiteral("AA Recepcao"));
    struct Case {
        const char *what;
        QString name;
    };
    // By the name the printing system gives it (as `lp -d` takes it) and by
    // the name it announces.
    for (const Case &c : {Case{"destination name", QStringLiteral("aa_recepcao")},
                          Case{"announced name", QStringLiteral("AA Recepcao")}}) {
        SCOPED_TRACE(c.what);
        const size_t before = office->documents().size();
        const ProgramResult r = run({QStringLiteral("/IMPS=") + c.name, QStringLiteral("/DLG=NAO")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const auto documents = office->waitForDocuments(before + 1);
        ASSERT_EQ(documents.size(), before + 1);
        const QString arrived = tmp.file(QStringLiteral("arrived.pdf"));
        writeFile(arrived, documents.back().bytes);
        EXPECT_TRUE(PdfTextPages(arrived).join(u'\n').contains(QStringLiteral("NOTA DO ESCRITORIO")));
        QFile::remove(arrived);
        EXPECT_EQ(q0.jobs().size() + q1.jobs().size(), 0u);
    }
}

TEST_F(Office, AnAdvertisedPrinterThatDoesNotAnswerEndsTheRunNamed)
{
    const auto asleep = advertise(QStringLiteral("AA Desligada"));
    asleep->freeze();
    const ProgramResult r = run({QStringLiteral("/IMPS=AA_DESLIGADA"), QStringLiteral("/DLG=NAO")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("AA_Desligada"))) << r.err.toStdString();
    EXPECT_EQ(q0.jobs().size() + q1.jobs().size(), 0u);
}

TEST_F(Office, ThePrintDialogListsAdvertisedPrintersAfterTheQueues)
{
    const auto office = advertise(QStringLiteral("AA Sala"));
    const Attended attended;
    QStringList listed;
    const AnswerWhenOpen<TRLPrintDialog> operatorAnswers(
        [&](TRLPrintDialog &dialog) {
            QComboBox *printers = dialog.ComboBoxPrinterNames;
            // The queues at once; the network's printers as they are found.
            EXPECT_GE(printers->count(), 2);
            EXPECT_EQ(printers->itemText(0), QStringLiteral("Q0"));
            EXPECT_TRUE(QTest::qWaitFor([&] { return printers->findText(QStringLiteral("AA_Sala")) >= 0; }, 10000));
            // One that comes while the dialog is open joins it too.
            const auto late = advertise(QStringLiteral("AA Chegando"));
            EXPECT_TRUE(QTest::qWaitFor([&] { return printers->findText(QStringLiteral("AA_Chegando")) >= 0; }, 10000));
            for (int i = 0; i < printers->count(); ++i)
                listed << printers->itemText(i);
            QTest::mouseClick(dialog.ButtonCancel, Qt::LeftButton);
        },
        "RLPrintDialog", 30000);
    TRLPrintDialog dialog;
    EXPECT_FALSE(dialog.Execute());
    ASSERT_GE(listed.size(), 3);
    EXPECT_EQ(listed.mid(0, 2), (QStringList{QStringLiteral("Q0"), QStringLiteral("Q1")}));
    EXPECT_TRUE(listed.mid(2).contains(QStringLiteral("AA_Sala"))) << listed.join(u',').toStdString();
    EXPECT_TRUE(listed.mid(2).contains(QStringLiteral("AA_Chegando"))) << listed.join(u',').toStdString();
}
