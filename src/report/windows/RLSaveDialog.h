#pragma once
// The engine's save dialog: an output format (a save filter, or the engine's
// own page-file format), a file name and the pages, asked for before the
// preview saves a report.
//
// Made for one use: the caller suggests a file name, calls Execute and reads
// the fields back. The chosen format is left in SelectedFilter.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace prenso {

class TRLCustomSaveFilter;

enum class TRLSaveRange : std::uint8_t { rprAllPages, rprSelection, rprPageNums };

class TRLSaveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRLSaveDialog(QWidget *parent = nullptr);
    ~TRLSaveDialog() override;

    // Fills the format list, shows the fields and waits for the operator. On
    // OK the controls are read back into the fields and SelectedFilter; the
    // result is whether OK closed the window. Where nobody can answer (no
    // display, an unattended run) it raises ENoOperator instead of waiting.
    bool Execute();

    // Gives `fileName` the extension of the chosen format, replacing the one
    // it has.
    void ApplyExt(QString &fileName) const;

    const QString &FileName() const { return FFileName; }
    void SetFileName(const QString &value) { FFileName = value; }
    // Writing MaxPage drags ToPage along while ToPage still is the last page.
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int value);
    int FromPage() const { return FFromPage; }
    void SetFromPage(int value) { FFromPage = value; }
    int ToPage() const { return FToPage; }
    void SetToPage(int value) { FToPage = value; }
    TRLSaveRange SaveRange() const { return FSaveRange; }

    // The controls, owned by the window; each carries its name as objectName.
    QLabel *LabelUseFilter = nullptr;
    QComboBox *ComboBoxFilters = nullptr;
    QLabel *LabelFileName = nullptr;
    QLineEdit *EditFileName = nullptr;
    QToolButton *SpeedButtonLookup = nullptr;
    QGroupBox *GroupBoxPages = nullptr;
    QRadioButton *RadioButtonPagesAll = nullptr;
    QRadioButton *RadioButtonPagesInterval = nullptr;
    QLabel *LabelFromPage = nullptr;
    QLineEdit *EditFromPage = nullptr;
    QLabel *LabelToPage = nullptr;
    QLineEdit *EditToPage = nullptr;
    QRadioButton *RadioButtonPagesSelect = nullptr;
    QPushButton *ButtonSave = nullptr;
    QPushButton *ButtonCancel = nullptr;
    // The platform's file-save dialog behind SpeedButtonLookup.
    QFileDialog *SaveDialog = nullptr;

    // Closing the dialog gives the keyboard back to the window it was opened
    // over.
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void FillFilterList();
    void FieldsToControls();
    void ControlsToFields();
    void SpeedButtonLookupClick();
    TRLCustomSaveFilter *FilterOfEntry(int index) const;

    QString FFileName;
    int FMaxPage = 9999;
    int FToPage = 9999;
    int FMinPage = 1;
    int FFromPage = 1;
    TRLSaveRange FSaveRange = TRLSaveRange::rprAllPages;
    // The filters behind the entries of ComboBoxFilters after the first.
    std::vector<TRLCustomSaveFilter *> FFilterEntries;
};

// What the preview asks of the save dialog, and what the operator answered.
// The chosen format is left in SelectedFilter (none for the engine's own).
struct TRLSaveDialogRequest {
    // Asked: the number of pages (0 when unknown) and the name to suggest.
    int MaxPage = 0;
    QString FileName;
    // Answered on OK: the name, given the chosen format's extension when it
    // has none, and the pages (1..MaxPage for all pages).
    TRLSaveRange SaveRange = TRLSaveRange::rprAllPages;
    int FromPage = 1;
    int ToPage = 9999;
};

// Shows the save dialog for `request`. False when the operator cancelled;
// the request is then left as it was.
bool ExecuteSaveDialog(TRLSaveDialogRequest &request, QWidget *parent = nullptr);

} // namespace prenso
