// A form printed from the command line shows the print dialog, and what the
// operator chooses there reaches the print server: the printer offered first
// is the one the switches chose, another one picked takes the job, the paper
// chosen under "Propriedades" is the paper the job arrives on (the pages made
// to fit it), and "no filter" sends the pages through the printer driver even
// when the switches named the dot-matrix filter.
#include "app/Principal.h"
#include "report/windows/RLPrintDialog.h"
#include "support/operator.h"
#include "support/pdf_probe.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QPageSetupDialog>
#include <QPushButton>

using namespace prenso;
using namespace prenso::test;
using namespace prenso::test::probe;

namespace {

using Answer = std::function<void(TRLPrintDialog &)>;

class DialogToQueue : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        cupsd->addRawQueue(QStringLiteral("Alpha"), alpha.port());
        cupsd->addRawQueue(QStringLiteral("Beta"), beta.port());
        // A full page and a bit: the last line of a page is where a paper
        // too short would cut.
        std::string text;
        for (int i = 1; i <= 150; ++i)
            text += "linha " + std::to_string(1000 + i) + " do formulario\r\n";
        form = forms.file(QStringLiteral("form.txt"));
        writeFile(form, text);
    }

    // The job the operator answers with `answer` and OK.
    void run(const QStringList &switches, const Answer &answer)
    {
        const AnswerWhenOpen<TRLPrintDialog> operatorAnswers(
            [&](TRLPrintDialog &dialog) {
                answer(dialog);
                QTest::mouseClick(dialog.ButtonOk, Qt::LeftButton);
            },
            "RLPrintDialog");
        TfrmPrincipal job(QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + form} + switches);
        EXPECT_FALSE(job.aborted());
    }

    const Attended attended;
    SocketListener alpha, beta;
    TempDir forms;
    QString form;
};

const Answer nothing = [](TRLPrintDialog &) {};

TEST_F(DialogToQueue, WhatTheOperatorChoosesReachesTheQueue)
{
    struct Case {
        const char *what;
        QStringList switches;
        Answer answer;
        const char *offered; // the printer the dialog offers first
        const char *queue;   // where the job arrives
        QSizeF sheet;        // points
        bool pdf;            // else raw dot-matrix bytes
    };
    const auto pickBeta = [](TRLPrintDialog &d) { choose(d.ComboBoxPrinterNames, 1); };
    const auto letterInSetup = [](TRLPrintDialog &d) {
        const AnswerWhenOpen<QPageSetupDialog> setupAnswers([](QPageSetupDialog &setup) {
            auto *sizes = setup.findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
            ASSERT_NE(sizes, nullptr);
            sizes->setCurrentIndex(sizes->findText(QStringLiteral("Letter"), Qt::MatchStartsWith));
            setup.accept();
        });
        QTest::mouseClick(d.ButtonPrinterSetup, Qt::LeftButton);
    };
    const auto noFilter = [](TRLPrintDialog &d) { choose(d.ComboBoxFilters, 0); };
    const QSizeF a4(595, 842), letter(612, 792);
    const std::vector<Case> cases = {
        {"as the switches chose", {"/IMPI=1"}, nothing, "Beta", "Beta", a4, true},
        {"another printer", {"/IMPS=ALPHA"}, pickBeta, "Alpha", "Beta", a4, true},
        {"an unknown name falls back, in sight", {"/IMPS=GAMMA"}, nothing, "Alpha", "Alpha", a4, true},
        {"Letter under Propriedades", {}, letterInSetup, "Alpha", "Alpha", letter, true},
        {"no filter instead of the switch's", {"/MAT=RLDraftFilter1"}, noFilter, "Alpha", "Alpha", a4, true},
        {"the switch's filter", {"/MAT=RLDraftFilter1"}, nothing, "Alpha", "Alpha", a4, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        alpha.clear();
        beta.clear();
        QString offered;
        run(c.switches, [&](TRLPrintDialog &d) {
            offered = d.ComboBoxPrinterNames->currentText();
            c.answer(d);
        });
        EXPECT_EQ(offered, QString::fromLatin1(c.offered));
        SocketListener &target = QByteArray(c.queue) == "Alpha" ? alpha : beta;
        SocketListener &other = &target == &alpha ? beta : alpha;
        const std::vector<std::string> jobs = target.waitForJobs(1);
        ASSERT_EQ(jobs.size(), 1u) << "nothing reached " << c.queue;
        EXPECT_TRUE(other.jobs().empty());
        if (!c.pdf) {
            EXPECT_NE(jobs[0].substr(0, 5), "%PDF-");
            EXPECT_NE(jobs[0].find("linha 1150"), std::string::npos);
            continue;
        }
        ASSERT_EQ(jobs[0].substr(0, 5), "%PDF-");
        const std::vector<QSizeF> sizes = pdfPageSizes(jobs[0]);
        ASSERT_EQ(sizes.size(), 2u);
        for (const QSizeF &size : sizes) {
            EXPECT_NEAR(size.width(), c.sheet.width(), 1);
            EXPECT_NEAR(size.height(), c.sheet.height(), 1);
        }
        // Every line is on the paper, the last of each page too.
        const QString text = pdfText(jobs[0]);
        for (int i = 1; i <= 150; ++i)
            EXPECT_TRUE(text.contains(QStringLiteral("linha %1").arg(1000 + i))) << "line " << i << " missing";
    }
}

} // namespace
