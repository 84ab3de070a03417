#pragma once
// The engine's print dialog: printer, print filter and its form option, the
// pages, the number of copies and odd or even pages, asked for before a
// report or the preview prints.
//
// The dialog is made for one use: the caller sets the fields, calls Execute
// and reads the answer back. The print job (TRLPrintJob::Ask) applies the
// answer to the printer wrapper and SelectedFilter, where it outlives the
// dialog, as the later prints of the program expect.

#include "report/RLUserInterface.h"
#include "report/RLUtils.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace prenso {

class TRLCustomPrintFilter;
struct TRLLocaleStrings;

namespace printing {
class AdvertisedPrinterSearch;
struct AdvertisedPrinter;
} // namespace printing

enum class TRLPrintDialogOption : std::uint8_t {
    rpoPrintToFile,
    rpoPageNums,
    rpoSelection,
    rpoWarning,
    rpoHelp,
    rpoDisablePrintToFile
};
using TRLPrintDialogOptions = TSet<TRLPrintDialogOption>;

class TRLPrintDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRLPrintDialog(QWidget *parent = nullptr);
    ~TRLPrintDialog() override;

    // Fills the printer and filter lists, shows the fields and waits for the
    // operator. On OK the controls are read back into the fields; the result
    // is whether OK closed the window. A printer chosen in the list is
    // selected in the printer wrapper at once (its setup button works on it);
    // everything else is only answered (Answer).
    // Where nobody can answer (no display, an unattended run) it raises
    // ENoOperator instead of waiting.
    bool Execute();
    // The operator's answer after OK, for the print job to apply.
    void Answer(TRLPrintDialogRequest &request) const;

    // Writing MaxPage drags ToPage along while ToPage still is the last page.
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int value);
    int FromPage() const { return FFromPage; }
    void SetFromPage(int value) { FFromPage = value; }
    int ToPage() const { return FToPage; }
    void SetToPage(int value) { FToPage = value; }
    TRLPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TRLPrintDialogOptions value) { FOptions = value; }
    TRLPrintRange PrintRange() const { return FPrintRange; }
    // A page list such as 1;3;5-12;4, for the selection range.
    const QString &PageRanges() const { return FPageRanges; }
    int Copies() const { return FCopies; }
    void SetCopies(int value) { FCopies = value; }
    bool PrintToFile() const { return FPrintToFile; }
    const QString &FileName() const { return FFileName; }
    void SetFileName(const QString &value) { FFileName = value; }
    // The orientation of the pages to print; a filter with form options
    // preselects its option by it.
    TRLPageOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TRLPageOrientation value) { FOrientation = value; }

    // The controls, owned by the window; each carries its name as objectName.
    QGroupBox *GroupBoxPrinter = nullptr;
    QLabel *LabelPrinterName = nullptr;
    QComboBox *ComboBoxPrinterNames = nullptr;
    QPushButton *ButtonPrinterSetup = nullptr;
    QLabel *LabelFilterName = nullptr;
    QComboBox *ComboBoxFilters = nullptr;
    QCheckBox *CheckBoxPrintToFile = nullptr;
    QLabel *LabelOptions = nullptr;
    QComboBox *ComboBoxOptions = nullptr;
    QLabel *LabelCharTable = nullptr;
    QComboBox *ComboBoxCharTable = nullptr;
    QGroupBox *GroupBoxPages = nullptr;
    QRadioButton *RadioButtonPagesAll = nullptr;
    QRadioButton *RadioButtonPagesInterval = nullptr;
    QLabel *LabelFromPage = nullptr;
    QLineEdit *EditFromPage = nullptr;
    QLabel *LabelToPage = nullptr;
    QLineEdit *EditToPage = nullptr;
    QRadioButton *RadioButtonPagesSelect = nullptr;
    QLineEdit *EditPageSelection = nullptr;
    QLabel *LabelPageSelectionHint = nullptr;
    QGroupBox *GroupBoxCopies = nullptr;
    QLabel *LabelCopies = nullptr;
    QLineEdit *EditCopies = nullptr;
    QLabel *LabelOddPages = nullptr;
    QComboBox *ComboBoxOddPages = nullptr;
    QPushButton *ButtonOk = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // Closing the dialog gives the keyboard back to the window it was opened
    // over.
    void setVisible(bool visible) override;

private:
    // The controls, box by box, in the tab order.
    void BuildControls();
    void BuildPrinterBox(const TRLLocaleStrings &ls);
    void BuildPagesBox(const TRLLocaleStrings &ls);
    void BuildCopiesBox(const TRLLocaleStrings &ls);
    void BuildButtons(const TRLLocaleStrings &ls);
    void ConnectControls();
    void FillPrinterList();
    void FillFilterList();
    void ShowFilterOptions();
    void FieldsToControls();
    void ControlsToFields();
    void PrinterChosen();
    void AdvertisedPrinterFound(const printing::AdvertisedPrinter &found);
    void ButtonPrinterSetupClick();
    TRLCustomPrintFilter *FilterOfEntry(int index) const;

    int FMaxPage = 9999;
    int FToPage = 9999;
    int FMinPage = 1;
    int FFromPage = 1;
    TRLPrintDialogOptions FOptions{TRLPrintDialogOption::rpoPrintToFile, TRLPrintDialogOption::rpoPageNums,
                                   TRLPrintDialogOption::rpoSelection, TRLPrintDialogOption::rpoWarning,
                                   TRLPrintDialogOption::rpoDisablePrintToFile};
    TRLPrintRange FPrintRange = TRLPrintRange::rprAllPages;
    QString FPageRanges;
    int FCopies;
    bool FPrintToFile = false;
    QString FFileName;
    TRLPageOrientation FOrientation = TRLPageOrientation::poPortrait;
    int FPrinterIndex = -1;
    TRLPrintOddEvenPages FOddEven = TRLPrintOddEvenPages::odAllPages;
    bool FFilterChosen = false;
    TRLCustomPrintFilter *FFilter = nullptr;
    int FFilterOption = -1;
    int FFilterCharTable = -1;
    // The filters behind the entries of ComboBoxFilters after the first.
    std::vector<TRLCustomPrintFilter *> FFilterEntries;
    // Looks for the printers the network advertises while the dialog is open.
    std::unique_ptr<printing::AdvertisedPrinterSearch> FSearch;
};

// Shows the print dialog for `request` (TRLPrintDialogRequest lives with the
// engine's user-interface hooks). False when the operator cancelled; the
// request is then left as it was.
bool ExecutePrintDialog(TRLPrintDialogRequest &request, QWidget *parent = nullptr);

} // namespace prenso
