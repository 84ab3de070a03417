#include "report/windows/RLSaveDialog.h"

#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/filters/RLFilters.h"
#include "report/windows/RLDialogUtils.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace prenso {

using dialogs::named;
using dialogs::numberOf;
using dialogs::numberText;
using dialogs::placeText;

namespace {

// The engine's own page-file format, offered as the first entry.
const QString kOwnFormatLabel = QStringLiteral("QuortaReport (Open Source)");
const QString kOwnFormatExt = QStringLiteral(".qrf");

// Save filters may give their extension with or without the point.
QString dottedExt(const QString &ext)
{
    return ext.isEmpty() || ext.startsWith(u'.') ? ext : u'.' + ext;
}

// Where the extension of a file name starts (its last point, if it is in the
// last part of the path), or -1 when it has none.
int extensionStart(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(u'.');
    return dot > fileName.lastIndexOf(u'/') ? dot : -1;
}

} // namespace

TRLSaveDialog::TRLSaveDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("RLSaveDialog"));
    setWindowTitle(LS().LS_SaveStr);
    setFixedSize(391, 224);
    dialogs::useDesignedFont(this);
    BuildControls();
}

TRLSaveDialog::~TRLSaveDialog() = default;

void TRLSaveDialog::BuildControls()
{
    const TRLLocaleStrings &ls = LS();

    ComboBoxFilters = named(new QComboBox(this), "ComboBoxFilters");
    ComboBoxFilters->setGeometry(108, 12, 269, 21);
    ComboBoxFilters->installEventFilter(this);
    LabelUseFilter = named(new QLabel(ls.LS_UseFilterStr, this), "LabelUseFilter");
    LabelUseFilter->setBuddy(ComboBoxFilters);
    placeText(LabelUseFilter, 12, 16, 86, 13, ComboBoxFilters);
    EditFileName = named(new QLineEdit(this), "EditFileName");
    EditFileName->setGeometry(108, 40, 249, 21);
    LabelFileName = named(new QLabel(ls.LS_FileNameStr, this), "LabelFileName");
    LabelFileName->setBuddy(EditFileName);
    placeText(LabelFileName, 12, 44, 84, 13, EditFileName);
    SpeedButtonLookup = named(new QToolButton(this), "SpeedButtonLookup");
    SpeedButtonLookup->setText(QStringLiteral("..."));
    SpeedButtonLookup->setGeometry(356, 40, 21, 21);
    SpeedButtonLookup->setFocusPolicy(Qt::NoFocus);

    GroupBoxPages = named(new QGroupBox(u' ' + ls.LS_PageRangeStr + u' ', this), "GroupBoxPages");
    GroupBoxPages->setGeometry(12, 68, 365, 101);
    RadioButtonPagesAll = named(new QRadioButton(ls.LS_AllStr, GroupBoxPages), "RadioButtonPagesAll");
    placeText(RadioButtonPagesAll, 8, 20, 113, 17);
    RadioButtonPagesAll->setChecked(true);
    RadioButtonPagesInterval = named(new QRadioButton(ls.LS_PagesStr, GroupBoxPages), "RadioButtonPagesInterval");
    placeText(RadioButtonPagesInterval, 8, 44, 61, 17);
    EditFromPage = named(new QLineEdit(GroupBoxPages), "EditFromPage");
    EditFromPage->setGeometry(88, 44, 41, 21);
    EditFromPage->setFocusPolicy(Qt::ClickFocus);
    LabelFromPage = named(new QLabel(ls.LS_RangeFromStr, GroupBoxPages), "LabelFromPage");
    placeText(LabelFromPage, 68, 45, 15, 13, EditFromPage);
    EditToPage = named(new QLineEdit(GroupBoxPages), "EditToPage");
    EditToPage->setGeometry(160, 44, 41, 21);
    EditToPage->setFocusPolicy(Qt::ClickFocus);
    LabelToPage = named(new QLabel(ls.LS_RangeToStr, GroupBoxPages), "LabelToPage");
    placeText(LabelToPage, 136, 45, 18, 13, EditToPage);
    dialogs::makeRoom(RadioButtonPagesInterval, {LabelFromPage, EditFromPage, LabelToPage, EditToPage});
    RadioButtonPagesSelect = named(new QRadioButton(ls.LS_SelectionStr, GroupBoxPages), "RadioButtonPagesSelect");
    placeText(RadioButtonPagesSelect, 8, 68, 73, 17);

    ButtonSave = named(new QPushButton(ls.LS_SaveStr, this), "ButtonSave");
    ButtonSave->setGeometry(220, 184, 75, 25);
    ButtonSave->setDefault(true);
    ButtonCancel = named(new QPushButton(ls.LS_CancelStr, this), "ButtonCancel");
    ButtonCancel->setGeometry(304, 184, 75, 25);
    ButtonCancel->setAutoDefault(false);

    SaveDialog = named(new QFileDialog(this), "SaveDialog");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);

    // Typing a page number chooses the page range.
    for (QLineEdit *field : {EditFromPage, EditToPage})
        connect(field, &QLineEdit::textEdited, RadioButtonPagesInterval,
                [this] { RadioButtonPagesInterval->setChecked(true); });
    connect(SpeedButtonLookup, &QToolButton::clicked, this, [this] { SpeedButtonLookupClick(); });
    connect(ButtonSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRLSaveDialog::setVisible(bool visible)
{
    if (visible)
        QDialog::setVisible(true);
    else
        dialogs::hideGivingBackTheKeyboard(this, [this] { QDialog::setVisible(false); });
}

void TRLSaveDialog::SetMaxPage(int value)
{
    if (FToPage == FMaxPage)
        FToPage = value;
    FMaxPage = value;
}

bool TRLSaveDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Page Down on the format list opens it instead of jumping to its end.
    if (watched == ComboBoxFilters && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_PageDown) {
        ComboBoxFilters->showPopup();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TRLSaveDialog::Execute()
{
    FillFilterList();
    FieldsToControls();
    dialogs::centerOnScreen(this);
    ComboBoxFilters->setFocus();
    // A window nobody can see or answer would wait for ever.
    if (dialogsAutomatic())
        throw ENoOperator(QStringLiteral("The save dialog needs someone to answer it, and there is no display to "
                                         "show it on"));
    if (exec() != QDialog::Accepted)
        return false;
    ControlsToFields();
    return true;
}

// The first entry is the engine's own format; then every save filter, also
// one without a label, since a save filter is only ever chosen here.
void TRLSaveDialog::FillFilterList()
{
    FFilterEntries.clear();
    ComboBoxFilters->clear();
    ComboBoxFilters->addItem(LS().LS_DefaultStr);
    int selected = 0;
    for (TRLCustomFilter *filter : ActiveFilters()) {
        auto *saveFilter = dynamic_cast<TRLCustomSaveFilter *>(filter);
        if (!saveFilter)
            continue;
        FFilterEntries.push_back(saveFilter);
        ComboBoxFilters->addItem(saveFilter->GetDisplayLabel());
        if (saveFilter == SelectedFilter())
            selected = ComboBoxFilters->count() - 1;
    }
    ComboBoxFilters->setCurrentIndex(selected);
}

TRLCustomSaveFilter *TRLSaveDialog::FilterOfEntry(int index) const
{
    if (index < 1 || index > static_cast<int>(FFilterEntries.size()))
        return nullptr;
    return FFilterEntries[index - 1];
}

void TRLSaveDialog::FieldsToControls()
{
    RadioButtonPagesAll->setChecked(FSaveRange == TRLSaveRange::rprAllPages);
    RadioButtonPagesSelect->setChecked(FSaveRange == TRLSaveRange::rprSelection);
    RadioButtonPagesInterval->setChecked(FSaveRange == TRLSaveRange::rprPageNums);
    EditFileName->setText(FFileName);
    EditFromPage->setText(numberText(FFromPage));
    EditToPage->setText(numberText(FToPage));
    RadioButtonPagesInterval->setEnabled(true);
    EditFromPage->setEnabled(true);
    EditToPage->setEnabled(true);
    // Saving a selection of pages is not offered.
    RadioButtonPagesSelect->setEnabled(false);
}

void TRLSaveDialog::ControlsToFields()
{
    FFileName = EditFileName->text();
    if (RadioButtonPagesAll->isChecked())
        FSaveRange = TRLSaveRange::rprAllPages;
    else if (RadioButtonPagesSelect->isChecked())
        FSaveRange = TRLSaveRange::rprSelection;
    else if (RadioButtonPagesInterval->isChecked())
        FSaveRange = TRLSaveRange::rprPageNums;
    switch (FSaveRange) {
    case TRLSaveRange::rprAllPages:
        FFromPage = FMinPage;
        FToPage = FMaxPage;
        break;
    case TRLSaveRange::rprSelection:
        FFromPage = numberOf(EditFromPage->text());
        FToPage = FFromPage;
        break;
    case TRLSaveRange::rprPageNums:
        FFromPage = numberOf(EditFromPage->text());
        FToPage = numberOf(EditToPage->text());
        break;
    }
    if (ComboBoxFilters->currentIndex() >= 0)
        SetSelectedFilter(FilterOfEntry(ComboBoxFilters->currentIndex()));
}

void TRLSaveDialog::ApplyExt(QString &fileName) const
{
    const TRLCustomSaveFilter *filter = FilterOfEntry(ComboBoxFilters->currentIndex());
    const QString ext = filter ? dottedExt(filter->DefaultExt()) : kOwnFormatExt;
    const int start = extensionStart(fileName);
    fileName = (start >= 0 ? fileName.left(start) : fileName) + ext;
}

void TRLSaveDialog::SpeedButtonLookupClick()
{
    const TRLCustomSaveFilter *filter = FilterOfEntry(ComboBoxFilters->currentIndex());
    const QString label = filter ? filter->GetDisplayLabel() : kOwnFormatLabel;
    const QString ext = filter ? dottedExt(filter->DefaultExt()) : kOwnFormatExt;
    SaveDialog->setNameFilter(label + QStringLiteral(" (*") + ext + u')');
    SaveDialog->setDefaultSuffix(ext.mid(1));
    SaveDialog->selectFile(EditFileName->text());
    // Unattended, nobody could pick a file: the name stays as it is.
    if (dialogsAutomatic())
        return;
    if (SaveDialog->exec() == QDialog::Accepted && !SaveDialog->selectedFiles().isEmpty())
        EditFileName->setText(SaveDialog->selectedFiles().constFirst());
}

bool ExecuteSaveDialog(TRLSaveDialogRequest &request, QWidget *parent)
{
    TRLSaveDialog dialog(parent);
    if (request.MaxPage > 0)
        dialog.SetMaxPage(request.MaxPage);
    dialog.SetFileName(request.FileName);
    if (!dialog.Execute())
        return false;
    request.FileName = dialog.FileName();
    if (extensionStart(request.FileName) < 0)
        dialog.ApplyExt(request.FileName);
    request.SaveRange = dialog.SaveRange();
    request.FromPage = dialog.FromPage();
    request.ToPage = dialog.ToPage();
    return true;
}

} // namespace prenso
