#pragma once
// The preview window: a toolbar (print, page navigation, zoom, save, split
// view, edit, close), the page field and page count, the zoom box, keyboard
// navigation and the text search, around one or two previews of the same
// pages.
//
// A report opens it through PreviewPages. Printing and saving go through two
// replaceable actions, since the windows that ask how to print and where to
// save live elsewhere; a window without an action has that button disabled.

#include "report/pagination/RLReport.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QToolButton;

namespace prenso {

class TRLGraphicStorage;
struct TRLLocaleStrings;
class TRLPreview;
class TRLPreviewForm;
class TfrmRLFindDialog;

using TRLPreviewAction = std::function<void(TRLPreviewForm &)>;

// What the print and save buttons do. An action may throw: the window shows
// the error once the focus is back where it was.
struct TRLPreviewActions {
    TRLPreviewAction Print;
    TRLPreviewAction Save;
};
// The actions every new preview window starts with; empty until the program
// sets them.
TRLPreviewActions &PreviewActions();

// Zoom codes of the program-wide defaults besides a percentage.
inline constexpr double PreviewZoomFullWidth = -1;
inline constexpr double PreviewZoomFullPage = -2;
inline constexpr double PreviewZoomMultiplePages = -3;

// The program-wide preview settings, taken when a report's preview options
// say to use the defaults. Closing a preview window stores its window state
// here, so the next one opens as the user left the last.
struct TRLPreviewDefaults {
    TRLPreviewOptions Options; // an empty caption keeps the window's own
    double Zoom = 100;         // a percentage, or one of the codes above
};
TRLPreviewDefaults &PreviewDefaults();
// The window settings a report's preview options stand for.
const TRLPreviewOptions &ChosenPreviewOptions(const TRLPreviewOptions &reportOptions);

// Opens a preview window on the pages with the report's preview options
// (or the program-wide defaults, as those options say). A modal window
// returns when it is closed, answering whether the user printed from it; a
// window that is not modal stays open, frees itself when closed, and the
// answer is false.
bool PreviewPages(TRLGraphicStorage &pages, const TRLPreviewOptions &options, bool modal);
// Closes every preview window showing these pages.
void ClosePreview(TRLGraphicStorage &pages);

class TRLPreviewForm : public QDialog {
    Q_OBJECT
public:
    explicit TRLPreviewForm(QWidget *parent = nullptr);
    ~TRLPreviewForm() override;

    // Preview windows open now, oldest first.
    static const std::vector<TRLPreviewForm *> &OpenForms();

    QWidget *PanelContainer = nullptr;
    QWidget *PanelTools = nullptr;
    QToolButton *SpeedButtonPrint = nullptr;
    QToolButton *SpeedButtonFirst = nullptr;
    QToolButton *SpeedButtonPrior = nullptr;
    QToolButton *SpeedButtonNext = nullptr;
    QToolButton *SpeedButtonLast = nullptr;
    QToolButton *SpeedButtonZoomDown = nullptr;
    QToolButton *SpeedButtonZoomUp = nullptr;
    QToolButton *SpeedButtonClose = nullptr;
    QToolButton *SpeedButtonSave = nullptr;
    QToolButton *SpeedButtonViews = nullptr;
    QToolButton *SpeedButtonEdit = nullptr;
    QToolButton *SpeedButtonSend = nullptr;
    QFrame *Bevel1 = nullptr;
    QFrame *Bevel3 = nullptr;
    QFrame *Bevel4 = nullptr;
    QFrame *Bevel5 = nullptr;
    QFrame *Bevel6 = nullptr;
    QWidget *PanelPages = nullptr;
    QLabel *LabelPage = nullptr;
    QLineEdit *EditPageNo = nullptr;
    QLabel *LabelOf = nullptr;
    QLabel *PanelPageCount = nullptr;
    QWidget *PanelZoom = nullptr;
    QComboBox *ComboBoxZoom = nullptr;
    QWidget *PanelAbout = nullptr;
    QToolButton *SpeedButtonAbout = nullptr;
    QTimer *TimerRepeat = nullptr;

    // The preview the toolbar acts on, and all of them.
    TRLPreview *Preview() const { return FPreviewList.at(static_cast<size_t>(FPreviewIndex)); }
    const std::vector<TRLPreview *> &Previews() const { return FPreviewList; }
    // Created on first use.
    TfrmRLFindDialog *FindDialog();

    void SetPrintAction(TRLPreviewAction action);
    void SetSaveAction(TRLPreviewAction action);
    // Set by a print action that printed.
    bool Printed() const { return FPrinted; }
    void SetPrinted(bool printed) { FPrinted = printed; }

    // A percentage, or one of the fitting codes, which keep fitting while
    // the window changes size until another zoom is chosen.
    void ApplyZoom(double zoomOrCode);
    // Position, window state, border icons, help, caption and form style.
    void ApplyOptions(const TRLPreviewOptions &options);
    // The zoom box shows the active preview's zoom, unless the user is typing in it.
    void ShowZoom();

    // The keyboard table; true when the key was one of it.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

    void SpeedButtonPrintClick();
    void SpeedButtonSaveClick();
    void SpeedButtonViewsClick();
    void SpeedButtonEditClick();
    void SpeedButtonZoomDownClick();
    void SpeedButtonZoomUpClick();
    // The zoom box's and the page field's text, as it stands, take effect.
    void ComboBoxZoomChange();
    void EditPageNoChange();
    void OpenFindDialog();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The toolbar, made group by group; the order in which the groups are
    // made is the tab order of the page field and the zoom box.
    void BuildToolbar();
    void BuildButtons();
    void BuildPagePanel();
    void BuildZoomPanel();
    void BuildAboutPanel();
    void ConnectButtons();
    void ConnectZoomBox();
    void ConnectPageField();
    void RelabelZoomBox(const TRLLocaleStrings &ls);
    void Relabel();
    TRLPreview *AddPreview();
    void SetActivePreview(TRLPreview *preview);
    void PreviewChangeView(TRLPreview &preview);
    void StartRepeat(int direction);
    void StepRepeat();
    void TimerRepeatTimer();
    void RunAction(const TRLPreviewAction &action);
    void EndZoomEditing();

    QSplitter *FSplitter = nullptr;
    std::vector<TRLPreview *> FPreviewList;
    int FPreviewIndex = 0;
    bool FEditingZoom = false;
    bool FEditingPageNo = false;
    TfrmRLFindDialog *FFindDialog = nullptr;
    TRLPreviewAction FPrintAction;
    TRLPreviewAction FSaveAction;
    bool FPrinted = false;
    int FRepeatDirection = 0;
    QElapsedTimer FRepeatClock; // since the button was pressed
    double FFitCode = 0;        // the fitting zoom in force, 0 for none
    double FFitZoom = 0;        // the zoom it gave last
};

} // namespace prenso
