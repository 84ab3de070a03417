// The print dialog, driven as the operator drives it: what each choice gives
// back to the caller, and what reaches the printer wrapper and the selected
// filter once the answer is applied, as a print job does.
#include "report/filters/RLPrintJob.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/windows/RLPrintDialog.h"
#include "report/windows/RLSaveDialog.h"

#include "dialog_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace prenso;

namespace {

using PrintDialog = test::DialogTest;
using Acts = std::function<void(TRLPrintDialog &)>;

TRLPrintDialogRequest answerOf(const TRLPrintDialog &dialog)
{
    TRLPrintDialogRequest answer;
    dialog.Answer(answer);
    return answer;
}

TEST_F(PrintDialog, PageRangeChoices)
{
    struct Case {
        int maxPage; // 0: the report is not prepared and MaxPage is not set
        Acts acts;
        TRLPrintRange range;
        int from, to;
        QString pageRanges;
    };
    using enum TRLPrintRange;
    const auto typeFirst3 = [](TRLPrintDialog &d) {
        type(d.EditFromPage, "3");
        type(d.EditToPage, "");
    };
    const auto typeThenAll = [&](TRLPrintDialog &d) {
        typeFirst3(d);
        d.RadioButtonPagesAll->click();
    };
    const std::vector<Case> cases = {
        {12, [](TRLPrintDialog &) {}, rprAllPages, 1, 12, ""},
        {0, [](TRLPrintDialog &) {}, rprAllPages, 1, 9999, ""},
        {12, typeFirst3, rprPageNums, 3, 0, ""},
        {12, [](TRLPrintDialog &d) { type(d.EditPageSelection, "1;3;5-12;4"); }, rprSelection, 1, 12, "1;3;5-12;4"},
        {12, typeThenAll, rprAllPages, 1, 12, ""},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case &c = cases[i];
        TRLPrintDialog dialog;
        if (c.maxPage)
            dialog.SetMaxPage(c.maxPage);
        ASSERT_TRUE(execute(dialog, dialog.ButtonOk, [&] {
            EXPECT_EQ(dialog.EditToPage->text(), QString::number(c.maxPage ? c.maxPage : 9999));
            c.acts(dialog);
        }));
        EXPECT_EQ(dialog.PrintRange(), c.range);
        EXPECT_EQ(dialog.FromPage(), c.from);
        EXPECT_EQ(dialog.ToPage(), c.to);
        EXPECT_EQ(dialog.PageRanges(), c.pageRanges);
    }
}

// Copies and odd/even pages reach the printer wrapper on OK only, with the
// answer; a printer chosen is selected at once, so it stays chosen after
// Cancel too.
TEST_F(PrintDialog, WhatReachesThePrinter)
{
    struct Case {
        bool ok;
        TRLPrintOddEvenPages before;
        QString copies;
        int oddEvenItem;
        int wantCopies;
        TRLPrintOddEvenPages want;
    };
    for (const Case &c : std::vector<Case>{
             {true, TRLPrintOddEvenPages::odAllPages, "2", 0, 2, TRLPrintOddEvenPages::odOddPagesOnly},
             {true, TRLPrintOddEvenPages::odOddPagesOnly, "abc", 1, 0, TRLPrintOddEvenPages::odEvenPagesOnly},
             {true, TRLPrintOddEvenPages::odEvenPagesOnly, "", 2, 0, TRLPrintOddEvenPages::odAllPages},
             {false, TRLPrintOddEvenPages::odEvenPagesOnly, "3", 0, 1, TRLPrintOddEvenPages::odEvenPagesOnly}}) {
        SCOPED_TRACE(c.copies.toStdString());
        RLPrinter().SetOddEven(c.before);
        RLPrinter().SetPrinterIndex(1);
        RLPrinter().SetCopies(1);
        TRLPrintDialog dialog;
        EXPECT_EQ(execute(dialog, c.ok ? dialog.ButtonOk : dialog.ButtonCancel,
                          [&] {
                              EXPECT_EQ(dialog.focusWidget(), dialog.ComboBoxPrinterNames);
                              EXPECT_EQ(dialog.ComboBoxOddPages->currentIndex(), static_cast<int>(c.before));
                              EXPECT_EQ(dialog.ComboBoxPrinterNames->currentIndex(), 1);
                              choose(dialog.ComboBoxPrinterNames, 0);
                              EXPECT_EQ(RLPrinter().PrinterIndex(), 0);
                              type(dialog.EditCopies, c.copies);
                              choose(dialog.ComboBoxOddPages, c.oddEvenItem);
                          }),
                  c.ok);
        if (c.ok)
            ApplyPrintChoice(answerOf(dialog));
        EXPECT_EQ(RLPrinter().PrinterIndex(), 0);
        EXPECT_EQ(dialog.Copies(), c.wantCopies);
        EXPECT_EQ(RLPrinter().Copies(), c.wantCopies);
        EXPECT_EQ(RLPrinter().OddEven(), c.want);
    }
}

TEST_F(PrintDialog, FiltersAndTheirForms)
{
    SpoolFilterInstance(); // registered, but without a label to show
    TRLPDFFilter pdf;      // a save filter: never a print choice
    TRLDraftFilter draft;
    struct Case {
        bool labelled, selected;
        TRLPageOrientation orientation;
        Acts acts;
        QStringList entries;
        int shownForm; // -1: no forms shown
        TRLCustomFilter *chosen;
        int form;                                            // the draft filter's after OK (-1: not looked at)
        TRLDraftCharTable table = TRLDraftCharTable::ctNone; // the draft filter's after OK
    };
    const QStringList both{"Padrão", "RLDraftFilter1"};
    const auto nothing = [](TRLPrintDialog &) {};
    const auto chooseDraft132 = [](TRLPrintDialog &d) {
        choose(d.ComboBoxFilters, 1);
        choose(d.ComboBoxOptions, 2);
        choose(d.ComboBoxCharTable, 4); // PC860
    };
    const std::vector<Case> cases = {
        {false, false, TRLPageOrientation::poPortrait, nothing, {"Padrão"}, -1, nullptr, -1},
        {true, true, TRLPageOrientation::poPortrait, nothing, both, 1, &draft, 1},
        {true, true, TRLPageOrientation::poLandscape, nothing, both, 2, &draft, 2},
        {true, false, TRLPageOrientation::poLandscape, nothing, both, -1, nullptr, 2},
        {true, false, TRLPageOrientation::poPortrait, chooseDraft132, both, -1, &draft, 2, TRLDraftCharTable::ctPC860},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case &c = cases[i];
        draft.SetName(c.labelled ? QStringLiteral("RLDraftFilter1") : QString());
        draft.SetCharTable(TRLDraftCharTable::ctNone);
        SetSelectedFilter(c.selected ? &draft : nullptr);
        TRLPrintDialog dialog;
        dialog.SetOrientation(c.orientation);
        ASSERT_TRUE(execute(dialog, dialog.ButtonOk, [&] {
            EXPECT_EQ(items(dialog.ComboBoxFilters), c.entries);
            EXPECT_EQ(dialog.ComboBoxFilters->isEnabled(), c.entries.size() > 1);
            EXPECT_EQ(dialog.ComboBoxOptions->isVisible() && dialog.LabelOptions->text() == "Formulário:",
                      c.shownForm >= 0);
            EXPECT_EQ(items(dialog.ComboBoxOptions),
                      c.shownForm < 0 ? QStringList() : QStringList({"Padrão", "80 Colunas", "132 Colunas"}));
            EXPECT_EQ(dialog.ComboBoxOptions->currentIndex(), c.shownForm);
            // The draft filter's character tables beside its forms.
            EXPECT_EQ(dialog.ComboBoxCharTable->isVisible() && dialog.LabelCharTable->text() == "Caracteres:",
                      c.shownForm >= 0);
            EXPECT_EQ(items(dialog.ComboBoxCharTable),
                      c.shownForm < 0
                          ? QStringList()
                          : QStringList({"Padrão", "PC437", "PC850", "PC858", "PC860", "ABICOMP", "BRASCII"}));
            c.acts(dialog);
        }));
        EXPECT_EQ(SelectedFilter(), c.selected ? &draft : nullptr) << "only the answer chooses";
        ApplyPrintChoice(answerOf(dialog));
        EXPECT_EQ(SelectedFilter(), c.chosen);
        EXPECT_TRUE(c.form < 0 || draft.OptionIndex() == c.form);
        EXPECT_EQ(draft.CharTable(), c.table);
    }
}

// A printer the print server does not know cannot be set up: the dialog says
// so and stays, ready for another try. Without printers there is nothing to
// set up.
TEST_F(PrintDialog, PrinterSetup)
{
    for (const QStringList &printers : {QStringList{"Alpha"}, QStringList{}}) {
        usePrinters(printers);
        boxes.clear();
        TRLPrintDialog dialog;
        EXPECT_FALSE(execute(dialog, dialog.ButtonCancel, [&] {
            EXPECT_EQ(dialog.ButtonPrinterSetup->isEnabled(), !printers.isEmpty());
            QTest::mouseClick(dialog.ButtonPrinterSetup, Qt::LeftButton);
            EXPECT_EQ(boxes, QStringList(printers.isEmpty() ? 0 : 1, "plain: Problemas com o diálogo da impressora"));
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.ButtonPrinterSetup->isEnabled(), !printers.isEmpty());
        }));
    }
}

// Where nobody can answer, neither dialog waits: each is an error that says
// why, and the request is left as it was.
TEST_F(PrintDialog, UnattendedDialogsRefuseToWait)
{
    unattended();
    TRLPrintDialogRequest print{.MaxPage = 7, .Copies = 2, .PageRanges = "stale"};
    try {
        ExecutePrintDialog(print);
        ADD_FAILURE() << "the print dialog did not refuse";
    } catch (const ENoOperator &e) {
        EXPECT_TRUE(e.message().contains("no display")) << e.message().toStdString();
    }
    EXPECT_EQ(print.PageRanges, "stale");
    EXPECT_EQ(print.ToPage, 9999);

    TRLSaveDialogRequest save{.MaxPage = 3, .FileName = "relatorio"};
    EXPECT_THROW(ExecuteSaveDialog(save), ENoOperator);
    EXPECT_EQ(save.FileName, "relatorio");
    EXPECT_TRUE(boxes.isEmpty());
}

} // namespace

// A dialog that closes while it has the keyboard hands it back to the window
// it was opened over; left to the display, keys typed next reached no window.
TEST_F(PrintDialog, ClosingGivesTheKeyboardBackToTheWindowBelow)
{
    struct Case {
        const char *what;
        std::function<void(QWidget &below)> openAndClose;
    };
    const auto whenActive = [](QDialog &dialog) { EXPECT_TRUE(test::becomesActive(&dialog)); };
    const Case cases[] = {
        {"print dialog, OK",
         [&](QWidget &below) {
             TRLPrintDialog dialog(&below);
             execute(dialog, dialog.ButtonOk, [&] { whenActive(dialog); });
         }},
        {"print dialog, Cancel",
         [&](QWidget &below) {
             TRLPrintDialog dialog(&below);
             execute(dialog, dialog.ButtonCancel, [&] { whenActive(dialog); });
         }},
        {"save dialog, Cancel",
         [&](QWidget &below) {
             TRLSaveDialog dialog(&below);
             execute(dialog, dialog.ButtonCancel, [&] { whenActive(dialog); });
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QWidget below;
        below.show();
        below.activateWindow();
        ASSERT_TRUE(test::becomesActive(&below));
        c.openAndClose(below);
        EXPECT_TRUE(test::becomesActive(&below));
    }
}
