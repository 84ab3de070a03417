#include "report/windows/RLPrintDialog.h"

#include "platform/printing/printerlist.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/filters/RLFilters.h"
#include "report/printing/RLPrinters.h"
#include "report/windows/RLDialogUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace prenso {

using dialogs::named;
using dialogs::numberOf;
using dialogs::numberText;
using dialogs::placeText;

namespace {

// The window's controls sit inside a border of this width.
constexpr int kBorderWidth = 8;
constexpr int kClientWidth = 561;
constexpr int kClientHeight = 291;

// A group box's caption, set off from its frame.
QString framed(const QString &text)
{
    return u' ' + text + u' ';
}

QComboBox *dropDownList(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *list = named(new QComboBox(parent), name);
    list->setEditable(false);
    list->setGeometry(left, top, width, 21);
    return list;
}

QLineEdit *edit(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setGeometry(left, top, width, 21);
    return field;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, QWidget *buddy)
{
    auto *l = named(new QLabel(text, parent), name);
    l->setBuddy(buddy);
    return l;
}

// Selecting a printer brings back its default settings; the printer that is
// selected already keeps what the operator chose for it under "Propriedades".
void selectPrinter(int index)
{
    if (index >= 0 && index != RLPrinter().PrinterIndex())
        RLPrinter().SetPrinterIndex(index);
}

int oddPagesItem(TRLPrintOddEvenPages oddEven)
{
    return oddEven == TRLPrintOddEvenPages::odOddPagesOnly    ? 0
           : oddEven == TRLPrintOddEvenPages::odEvenPagesOnly ? 1
                                                              : 2;
}

TRLPrintOddEvenPages oddEvenOfItem(int item)
{
    return item == 0   ? TRLPrintOddEvenPages::odOddPagesOnly
           : item == 1 ? TRLPrintOddEvenPages::odEvenPagesOnly
                       : TRLPrintOddEvenPages::odAllPages;
}

} // namespace

TRLPrintDialog::TRLPrintDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      FCopies(RLPrinter().Copies())
{
    setObjectName(QStringLiteral("RLPrintDialog"));
    setWindowTitle(LS().LS_PrintStr);
    setFixedSize(kClientWidth + 2 * kBorderWidth, kClientHeight + 2 * kBorderWidth);
    dialogs::useDesignedFont(this);
    BuildControls();
    EditCopies->setText(numberText(RLPrinter().Copies()));
    ComboBoxOddPages->setCurrentIndex(oddPagesItem(RLPrinter().OddEven()));
    LabelOptions->hide();
    ComboBoxOptions->hide();
}

TRLPrintDialog::~TRLPrintDialog() = default;

void TRLPrintDialog::BuildControls()
{
    const TRLLocaleStrings &ls = LS();
    // Creation order is the tab order: the printer box, the pages box, the
    // copies box, then OK and Cancel.
    BuildPrinterBox(ls);
    BuildPagesBox(ls);
    BuildCopiesBox(ls);
    BuildButtons(ls);
    ConnectControls();
}

void TRLPrintDialog::BuildPrinterBox(const TRLLocaleStrings &ls)
{
    GroupBoxPrinter = named(new QGroupBox(framed(ls.LS_PrinterStr), this), "GroupBoxPrinter");
    GroupBoxPrinter->setGeometry(kBorderWidth, kBorderWidth, 561, 105);
    ComboBoxPrinterNames = dropDownList(GroupBoxPrinter, "ComboBoxPrinterNames", 68, 20, 365);
    LabelPrinterName = label(GroupBoxPrinter, "LabelPrinterName", ls.LS_NameStr + u':', ComboBoxPrinterNames);
    placeText(LabelPrinterName, 12, 24, 31, 13, ComboBoxPrinterNames);
    ButtonPrinterSetup = named(new QPushButton(QStringLiteral("Propriedades"), GroupBoxPrinter), "ButtonPrinterSetup");
    ButtonPrinterSetup->setGeometry(440, 20, 109, 21);
    ButtonPrinterSetup->setFocusPolicy(Qt::ClickFocus);
    ButtonPrinterSetup->setAutoDefault(false);
    ComboBoxFilters = dropDownList(GroupBoxPrinter, "ComboBoxFilters", 68, 44, 365);
    LabelFilterName = label(GroupBoxPrinter, "LabelFilterName", ls.LS_UseFilterStr + u':', ComboBoxFilters);
    placeText(LabelFilterName, 12, 48, 47, 13, ComboBoxFilters);
    CheckBoxPrintToFile = named(new QCheckBox(ls.LS_PrintToFileStr, GroupBoxPrinter), "CheckBoxPrintToFile");
    placeText(CheckBoxPrintToFile, 440, 48, 113, 17);
    CheckBoxPrintToFile->setFocusPolicy(Qt::ClickFocus);
    ComboBoxOptions = dropDownList(GroupBoxPrinter, "ComboBoxOptions", 96, 68, 161);
    LabelOptions = label(GroupBoxPrinter, "LabelOptions", QString(), ComboBoxOptions);
    LabelOptions->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ComboBoxCharTable = dropDownList(GroupBoxPrinter, "ComboBoxCharTable", 336, 68, 97);
    LabelCharTable = label(GroupBoxPrinter, "LabelCharTable", ls.LS_CharTableStr + u':', ComboBoxCharTable);
    LabelCharTable->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeText(LabelCharTable, 264, 72, 65, 13, ComboBoxCharTable);
}

void TRLPrintDialog::BuildPagesBox(const TRLLocaleStrings &ls)
{
    GroupBoxPages = named(new QGroupBox(framed(ls.LS_PageRangeStr), this), "GroupBoxPages");
    GroupBoxPages->setGeometry(kBorderWidth, kBorderWidth + 108, 261, 145);
    RadioButtonPagesAll = named(new QRadioButton(ls.LS_AllStr, GroupBoxPages), "RadioButtonPagesAll");
    placeText(RadioButtonPagesAll, 12, 24, 113, 17);
    RadioButtonPagesAll->setChecked(true);
    RadioButtonPagesInterval = named(new QRadioButton(ls.LS_PagesStr, GroupBoxPages), "RadioButtonPagesInterval");
    placeText(RadioButtonPagesInterval, 12, 48, 81, 17);
    EditFromPage = edit(GroupBoxPages, "EditFromPage", 116, 44, 49);
    EditFromPage->setFocusPolicy(Qt::ClickFocus);
    LabelFromPage = label(GroupBoxPages, "LabelFromPage", ls.LS_RangeFromStr + u':', EditFromPage);
    placeText(LabelFromPage, 96, 48, 15, 13, EditFromPage);
    EditToPage = edit(GroupBoxPages, "EditToPage", 196, 44, 49);
    EditToPage->setFocusPolicy(Qt::ClickFocus);
    LabelToPage = label(GroupBoxPages, "LabelToPage", ls.LS_RangeToStr + u':', EditToPage);
    placeText(LabelToPage, 172, 48, 18, 13, EditToPage);
    dialogs::makeRoom(RadioButtonPagesInterval, {LabelFromPage, EditFromPage, LabelToPage, EditToPage});
    RadioButtonPagesSelect = named(new QRadioButton(ls.LS_SelectionStr, GroupBoxPages), "RadioButtonPagesSelect");
    placeText(RadioButtonPagesSelect, 12, 72, 65, 17);
    EditPageSelection = edit(GroupBoxPages, "EditPageSelection", 96, 68, 149);
    LabelPageSelectionHint = named(new QLabel(ls.LS_PageSelectionHint, GroupBoxPages), "LabelPageSelectionHint");
    dialogs::placeWrapped(LabelPageSelectionHint, 12, 96, 237, 41);
}

void TRLPrintDialog::BuildCopiesBox(const TRLLocaleStrings &ls)
{
    GroupBoxCopies = named(new QGroupBox(framed(ls.LS_CopiesStr), this), "GroupBoxCopies");
    GroupBoxCopies->setGeometry(kBorderWidth + 268, kBorderWidth + 108, 293, 145);
    EditCopies = edit(GroupBoxCopies, "EditCopies", 108, 20, 49);
    LabelCopies = label(GroupBoxCopies, "LabelCopies", ls.LS_NumberOfCopiesStr + u':', EditCopies);
    placeText(LabelCopies, 12, 24, 89, 13, EditCopies);
    ComboBoxOddPages = dropDownList(GroupBoxCopies, "ComboBoxOddPages", 108, 44, 161);
    ComboBoxOddPages->addItems({ls.LS_OddPagesOnly, ls.LS_EvenPagesOnly, ls.LS_AllOddAndEven});
    LabelOddPages =
        label(GroupBoxCopies, "LabelOddPages", ls.LS_OddPages + u'/' + ls.LS_EvenPages + u':', ComboBoxOddPages);
    LabelOddPages->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeText(LabelOddPages, 28, 48, 73, 13, ComboBoxOddPages);
}

void TRLPrintDialog::BuildButtons(const TRLLocaleStrings &ls)
{
    ButtonOk = named(new QPushButton(ls.LS_OkStr, this), "ButtonOk");
    ButtonOk->setGeometry(kBorderWidth + 402, kBorderWidth + 266, 75, 25);
    ButtonOk->setDefault(true);
    ButtonCancel = named(new QPushButton(ls.LS_CancelStr, this), "ButtonCancel");
    ButtonCancel->setGeometry(kBorderWidth + 486, kBorderWidth + 266, 75, 25);
    ButtonCancel->setAutoDefault(false);
}

void TRLPrintDialog::ConnectControls()
{
    // Typing a page number or a page list chooses the range it belongs to.
    for (QLineEdit *field : {EditFromPage, EditToPage})
        connect(field, &QLineEdit::textEdited, RadioButtonPagesInterval,
                [this] { RadioButtonPagesInterval->setChecked(true); });
    connect(EditPageSelection, &QLineEdit::textEdited, RadioButtonPagesSelect,
            [this] { RadioButtonPagesSelect->setChecked(true); });
    connect(ComboBoxPrinterNames, &QComboBox::activated, this, [this] { PrinterChosen(); });
    connect(ComboBoxFilters, &QComboBox::activated, this, [this] { ShowFilterOptions(); });
    connect(ButtonPrinterSetup, &QPushButton::clicked, this, [this] { ButtonPrinterSetupClick(); });
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRLPrintDialog::setVisible(bool visible)
{
    if (visible)
        QDialog::setVisible(true);
    else
        dialogs::hideGivingBackTheKeyboard(this, [this] { QDialog::setVisible(false); });
}

void TRLPrintDialog::SetMaxPage(int value)
{
    if (FToPage == FMaxPage)
        FToPage = value;
    FMaxPage = value;
}

bool TRLPrintDialog::Execute()
{
    FillPrinterList();
    FillFilterList();
    FieldsToControls();
    dialogs::centerOnScreen(this);
    ComboBoxPrinterNames->setFocus();
    // A window nobody can see or answer would wait for ever.
    if (dialogsAutomatic())
        throw ENoOperator(QStringLiteral("The print dialog needs someone to answer it, and there is no display to "
                                         "show it on"));
    // Printers the network advertises join the list as they are found, after
    // the queues, without keeping the dialog from showing.
    FSearch = std::make_unique<printing::AdvertisedPrinterSearch>(
        [this](const printing::AdvertisedPrinter &found) {
            QMetaObject::invokeMethod(
                this, [this, found] { AdvertisedPrinterFound(found); }, Qt::QueuedConnection);
        },
        printing::AdvertisedPrinterSearch::Until::stopped);
    const auto stopSearch = qScopeGuard([this] { FSearch.reset(); });
    if (exec() != QDialog::Accepted)
        return false;
    ControlsToFields();
    return true;
}

void TRLPrintDialog::FillPrinterList()
{
    TRLPrinterWrapper &printer = RLPrinter();
    printer.Refresh();
    const QString current = printer.PrinterName();
    const int count = static_cast<int>(printer.Printers().size());
    ComboBoxPrinterNames->clear();
    int selected = -1;
    for (int i = 0; i < count; ++i) {
        ComboBoxPrinterNames->addItem(printer.PrinterDisplayName(i));
        // With two printers of one name the later one wins.
        if (printer.Printers()[static_cast<size_t>(i)].Name == current)
            selected = i;
    }
    if (selected < 0 && count > 0)
        selected = 0;
    ComboBoxPrinterNames->setCurrentIndex(selected);
    ButtonPrinterSetup->setEnabled(selected >= 0);
}

void TRLPrintDialog::AdvertisedPrinterFound(const printing::AdvertisedPrinter &found)
{
    TRLPrinterWrapper &printer = RLPrinter();
    for (const TRLPrinterEntry &entry : printer.Printers()) {
        if (entry.Name.compare(found.name, Qt::CaseInsensitive) == 0)
            return;
    }
    const int index = printer.AddAdvertisedPrinter(found);
    if (index == ComboBoxPrinterNames->count())
        ComboBoxPrinterNames->addItem(printer.PrinterDisplayName(index));
}

// The first entry stands for no filter (the printer driver prints); then the
// print filters that have a label to show, the spool filter not among them.
void TRLPrintDialog::FillFilterList()
{
    FFilterEntries.clear();
    ComboBoxFilters->clear();
    ComboBoxFilters->addItem(LS().LS_DefaultStr);
    int selected = 0;
    for (TRLCustomFilter *filter : ActiveFilters()) {
        auto *printFilter = dynamic_cast<TRLCustomPrintFilter *>(filter);
        if (!printFilter || printFilter->GetDisplayLabel().isEmpty())
            continue;
        FFilterEntries.push_back(printFilter);
        ComboBoxFilters->addItem(printFilter->GetDisplayLabel());
        if (printFilter == SelectedFilter())
            selected = ComboBoxFilters->count() - 1;
    }
    ComboBoxFilters->setCurrentIndex(selected);
    ComboBoxFilters->setEnabled(ComboBoxFilters->count() > 1);
    ShowFilterOptions();
}

TRLCustomPrintFilter *TRLPrintDialog::FilterOfEntry(int index) const
{
    if (index < 1 || index > static_cast<int>(FFilterEntries.size()))
        return nullptr;
    return FFilterEntries[index - 1];
}

void TRLPrintDialog::ShowFilterOptions()
{
    TRLCustomPrintFilter *filter = FilterOfEntry(ComboBoxFilters->currentIndex());
    const QStringList options = filter ? filter->Options() : QStringList();
    const QStringList tables = filter ? filter->CharTables() : QStringList();
    ComboBoxOptions->clear();
    ComboBoxCharTable->clear();
    ComboBoxCharTable->addItems(tables);
    ComboBoxCharTable->setCurrentIndex(tables.isEmpty() ? -1 : filter->CharTableIndex());
    LabelCharTable->setVisible(!tables.isEmpty());
    ComboBoxCharTable->setVisible(!tables.isEmpty());
    if (options.isEmpty()) {
        LabelOptions->hide();
        ComboBoxOptions->hide();
        return;
    }
    // The filter picks its preferred option for the pages' orientation.
    filter->SetOrientation(FOrientation);
    LabelOptions->setText(filter->OptionsLabel() + u':');
    placeText(LabelOptions, 12, 72, 77, 13, ComboBoxOptions);
    ComboBoxOptions->addItems(options);
    ComboBoxOptions->setCurrentIndex(filter->OptionIndex());
    LabelOptions->show();
    ComboBoxOptions->show();
}

void TRLPrintDialog::FieldsToControls()
{
    using enum TRLPrintDialogOption;
    RadioButtonPagesAll->setChecked(FPrintRange == TRLPrintRange::rprAllPages);
    RadioButtonPagesSelect->setChecked(FPrintRange == TRLPrintRange::rprSelection);
    RadioButtonPagesInterval->setChecked(FPrintRange == TRLPrintRange::rprPageNums);
    EditFromPage->setText(numberText(FFromPage));
    EditToPage->setText(numberText(FToPage));
    EditCopies->setText(numberText(FCopies));
    EditPageSelection->setText(FPageRanges);
    ComboBoxOddPages->setCurrentIndex(oddPagesItem(RLPrinter().OddEven()));

    CheckBoxPrintToFile->setVisible(FOptions.has(rpoPrintToFile));
    CheckBoxPrintToFile->setEnabled(!FOptions.has(rpoDisablePrintToFile));
    CheckBoxPrintToFile->setChecked(FPrintToFile);
    RadioButtonPagesInterval->setEnabled(FOptions.has(rpoPageNums));
    EditFromPage->setEnabled(FOptions.has(rpoPageNums));
    EditToPage->setEnabled(FOptions.has(rpoPageNums));
    RadioButtonPagesSelect->setEnabled(FOptions.has(rpoSelection));
    EditPageSelection->setEnabled(FOptions.has(rpoSelection));
    setWindowFlag(Qt::WindowContextHelpButtonHint, FOptions.has(rpoHelp));
}

void TRLPrintDialog::ControlsToFields()
{
    if (RadioButtonPagesSelect->isChecked())
        FPrintRange = TRLPrintRange::rprSelection;
    else if (RadioButtonPagesInterval->isChecked())
        FPrintRange = TRLPrintRange::rprPageNums;
    else
        FPrintRange = TRLPrintRange::rprAllPages;
    switch (FPrintRange) {
    case TRLPrintRange::rprSelection: FPageRanges = EditPageSelection->text(); [[fallthrough]];
    case TRLPrintRange::rprAllPages:
        FFromPage = FMinPage;
        FToPage = FMaxPage;
        break;
    case TRLPrintRange::rprPageNums:
        FFromPage = numberOf(EditFromPage->text());
        FToPage = numberOf(EditToPage->text());
        break;
    }
    FCopies = numberOf(EditCopies->text());
    FPrintToFile = CheckBoxPrintToFile->isChecked();
    FPrinterIndex = ComboBoxPrinterNames->currentIndex();
    FOddEven = oddEvenOfItem(ComboBoxOddPages->currentIndex());
    FFilterChosen = ComboBoxFilters->currentIndex() >= 0;
    FFilter = FFilterChosen ? FilterOfEntry(ComboBoxFilters->currentIndex()) : nullptr;
    FFilterOption = ComboBoxOptions->currentIndex();
    FFilterCharTable = ComboBoxCharTable->count() > 0 ? ComboBoxCharTable->currentIndex() : -1;
}

void TRLPrintDialog::Answer(TRLPrintDialogRequest &request) const
{
    request.PrintRange = FPrintRange;
    request.FromPage = FFromPage;
    request.ToPage = FToPage;
    request.PageRanges = FPageRanges;
    request.Copies = FCopies;
    request.PrintToFile = FPrintToFile;
    request.PrinterIndex = FPrinterIndex;
    request.OddEven = FOddEven;
    request.FilterChosen = FFilterChosen;
    request.Filter = FFilter;
    request.FilterOption = FFilterOption;
    request.FilterCharTable = FFilterCharTable;
}

void TRLPrintDialog::PrinterChosen()
{
    const int index = ComboBoxPrinterNames->currentIndex();
    selectPrinter(index);
    ButtonPrinterSetup->setEnabled(index >= 0);
}

void TRLPrintDialog::ButtonPrinterSetupClick()
{
    // Reading the printer can take a moment. The hourglass is this window's
    // own, so that the setup window over it keeps the ordinary pointer.
    ButtonPrinterSetup->setEnabled(false);
    setCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        unsetCursor();
        ButtonPrinterSetup->setEnabled(true);
    });
    // An error must not leave through the event loop: it is shown here, as
    // the program shows any error of an event handler, and the dialog stays.
    try {
        if (!RLPrinter().ExecuteSetup())
            showPlainMessage(LS().LS_PrintDialogError);
    } catch (const SilentAbort &) {
    } catch (const Exception &e) {
        showErrorBox(e.message());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

bool ExecutePrintDialog(TRLPrintDialogRequest &request, QWidget *parent)
{
    TRLPrintDialog dialog(parent);
    if (request.MaxPage > 0)
        dialog.SetMaxPage(request.MaxPage);
    dialog.SetOrientation(request.Orientation);
    dialog.SetCopies(request.Copies);
    if (!dialog.Execute())
        return false;
    dialog.Answer(request);
    return true;
}

} // namespace prenso
