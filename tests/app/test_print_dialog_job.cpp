// A form printed from the command line asks the operator first: what each
// choice in the print dialog does to the job that follows (which pages, how
// many copies, which filter and form), and what Cancel does (nothing printed,
// nothing shown, nothing left behind). The operator is the test, answering
// the real dialog that the job opens and waits on.
#include "app/Principal.h"
#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/pagination/RLReport.h"
#include "report/printing/RLPrinters.h"
#include "report/windows/RLPrintDialog.h"
#include "support/capture_filter.h"
#include "support/operator.h"
#include "support/test_support.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>

#include <map>

using namespace prenso;
using namespace prenso::test;

namespace {

using Answer = std::function<void(TRLPrintDialog &)>;

class DialogJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Four pages, each opening with its number.
        form = dir.file(QStringLiteral("form.txt"));
        writeFile(form, "pagina 1\r\n\fpagina 2\r\n\fpagina 3\r\n\fpagina 4\r\n");
        capture.SetName(QStringLiteral("Captura"));
        capture.emulateCopies(true);
        SetSelectedFilter(&capture);
        // No printers: the capturing filter prints (the printer list is
        // looked at with the print server, in the integration tests).
        printing::setPrinterListSourceForTesting([] { return QStringList(); });
        ResetRLPrinterForTesting();
        setMessageBoxHook([this](BoxKind, const QString &, const QString &text) { boxes << text; });
        binBefore = listFolder(files::executableFolder());
    }
    void TearDown() override
    {
        job.reset();
        setMessageBoxHook({});
        SetSelectedFilter(nullptr);
        printing::setPrinterListSourceForTesting({});
        ResetRLPrinterForTesting();
        EXPECT_EQ(listFolder(files::executableFolder()), binBefore) << "left beside the program";
    }

    // Runs the program's start-up on the form with `switches`, the operator
    // answering the print dialog with `answer` and then pressing `button`.
    // The form's dot-matrix filter writes to draft.prn in the test's folder.
    TfrmPrincipal &run(const QStringList &switches, const Answer &answer, const char *button = "ButtonOk")
    {
        const AnswerWhenOpen<TRLPrintDialog> operatorAnswers(
            [&](TRLPrintDialog &dialog) {
                answer(dialog);
                QTest::mouseClick(dialog.findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
            },
            "RLPrintDialog");
        job = std::make_unique<TfrmPrincipal>(TfrmPrincipal::NoCreate{},
                                              QStringList{QStringLiteral("Prenso"), QStringLiteral("/ARQ=") + form} +
                                                  switches);
        job->RLDraftFilter1->SetShowProgress(false);
        job->RLDraftFilter1->SetDeviceKind(TRLDeviceKind::dkFileName);
        job->RLDraftFilter1->SetDevicePath(draftOutput());
        job->RunFormCreate();
        return *job;
    }
    QString draftOutput() const { return dir.file(QStringLiteral("draft.prn")); }

    // The numbers of the pages the capturing filter was given, in order.
    std::vector<int> printedPages() const
    {
        std::vector<int> numbers;
        for (const CapturedPage &page : capture.pages)
            numbers.push_back(page.texts.empty() ? 0 : page.texts.front().text.back() - '0');
        return numbers;
    }

    const Attended attended;
    TempDir dir;

    QString form;
    CaptureFilter capture;
    QStringList boxes, binBefore;
    std::unique_ptr<TfrmPrincipal> job;
};

const Answer nothing = [](TRLPrintDialog &) {};

TEST_F(DialogJob, PagesTheOperatorChooses)
{
    struct Case {
        const char *what;
        Answer answer;
        std::vector<int> pages;
    };
    const auto range = [](const char *from, const char *to) {
        return [=](TRLPrintDialog &d) {
            type(d.EditFromPage, from);
            type(d.EditToPage, to);
        };
    };
    const auto list = [](const char *pages, int oddEvenItem = 2) {
        return [=](TRLPrintDialog &d) {
            type(d.EditPageSelection, pages);
            choose(d.ComboBoxOddPages, oddEvenItem);
        };
    };
    const std::vector<Case> cases = {
        {"all pages", nothing, {1, 2, 3, 4}},
        {"a range", range("2", "3"), {2, 3}},
        {"a range left open at its end", range("3", ""), {3, 4}},
        {"a range past the last page", range("3", "9"), {3, 4}},
        {"a page list", list("4;1-2"), {1, 2, 4}},
        {"odd pages", [](TRLPrintDialog &d) { choose(d.ComboBoxOddPages, 0); }, {1, 3}},
        {"even pages", [](TRLPrintDialog &d) { choose(d.ComboBoxOddPages, 1); }, {2, 4}},
        {"even pages of a list", list("2-4", 1), {2, 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        capture.pages.clear();
        run({}, c.answer);
        EXPECT_FALSE(job->aborted());
        EXPECT_EQ(printedPages(), c.pages);
        EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'|').toStdString();
    }
}

TEST_F(DialogJob, CopiesTheOperatorChooses)
{
    struct Case {
        const char *copies;
        std::vector<int> pages;
    };
    // A field left empty or holding no number still prints: one copy.
    for (const Case &c :
         std::vector<Case>{{"2", {1, 2, 3, 4, 1, 2, 3, 4}}, {"", {1, 2, 3, 4}}, {"abc", {1, 2, 3, 4}}}) {
        SCOPED_TRACE(c.copies);
        capture.pages.clear();
        run({}, [&](TRLPrintDialog &d) {
            EXPECT_EQ(d.EditCopies->text(), "1");
            type(d.EditCopies, c.copies);
        });
        EXPECT_EQ(printedPages(), c.pages);
    }
}

// The filter list offers the capturing filter and the form's dot-matrix
// filter; the dot-matrix filter's form follows the pages' orientation until
// the operator picks another.
TEST_F(DialogJob, FilterAndFormTheOperatorChooses)
{
    struct Case {
        const char *what;
        QStringList switches;
        int filterEntry; // -1: as offered
        int formEntry;   // -1: as offered
        bool captured;   // else the dot-matrix filter printed
        int form;        // the dot-matrix filter's form after the job
    };
    const QStringList draft{QStringLiteral("/MAT=RLDraftFilter1")};
    const std::vector<Case> cases = {
        {"the switch's filter, its form by orientation", draft, -1, -1, false, 1},
        {"the switch's filter on 132 columns", draft, -1, 2, false, 2},
        {"another filter than the switch's", draft, 1, -1, true, 1},
        {"the dot-matrix filter instead of the selected", {}, 2, -1, false, 1},
    };
    std::map<int, std::string> outputByForm;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        capture.pages.clear();
        SetSelectedFilter(&capture);
        QFile::remove(draftOutput());
        QStringList offered;
        run(c.switches + QStringList{QStringLiteral("/FOS=10")}, [&](TRLPrintDialog &d) {
            offered = items(d.ComboBoxFilters);
            if (c.filterEntry >= 0)
                choose(d.ComboBoxFilters, c.filterEntry);
            if (c.formEntry >= 0)
                choose(d.ComboBoxOptions, c.formEntry);
        });
        EXPECT_EQ(offered, (QStringList{LS().LS_DefaultStr, "Captura", "RLDraftFilter1"}));
        EXPECT_EQ(capture.pages.empty(), !c.captured);
        EXPECT_EQ(job->RLDraftFilter1->OptionIndex(), c.form);
        const std::string bytes = QFile::exists(draftOutput()) ? readFile(draftOutput()) : std::string();
        EXPECT_EQ(bytes.empty(), c.captured);
        if (!c.captured) {
            EXPECT_NE(bytes.find("pagina 4"), std::string::npos);
            outputByForm[c.form] = bytes;
        }
    }
    EXPECT_NE(outputByForm[1], outputByForm[2]) << "the form chosen made no difference to the print";
}

// Cancel, by button or by Escape: the job ends silently. Nothing printed, no
// box, the line table's scratch file gone, the report marked cancelled.
TEST_F(DialogJob, CancelEndsTheJobSilently)
{
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        capture.pages.clear();
        if (escape)
            run(
                {}, [](TRLPrintDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }, "ButtonCancel");
        else
            run({}, nothing, "ButtonCancel");
        EXPECT_TRUE(job->aborted());
        EXPECT_TRUE(capture.pages.empty());
        EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'|').toStdString();
        EXPECT_TRUE(job->rlrRetrato->Canceled());
        EXPECT_FALSE(job->cdsLinhaRelatorio.Active());
    }
}

} // namespace
