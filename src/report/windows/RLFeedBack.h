#pragma once
// The progress window of long engine operations (preparing a report, running
// a filter). It does no work itself: the running operation calls SetMax, Tick
// and the rest, and every Tick lets pending events through, which is when a
// click on the Cancel button is seen. Cancelling only sets a flag (and tells
// OnCancel); the operation reads it and stops.

#include "report/RLUserInterface.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace prenso {

class TfrmRLFeedBack;

// Told when the user presses Cancel; cancelIt comes in true and the handler
// may set it back to false to keep the operation running.
using TRLFeedBackCancelEvent = std::function<void(TfrmRLFeedBack *sender, bool &cancelIt)>;

class TfrmRLFeedBack : public QDialog, public TRLProgress {
    Q_OBJECT
public:
    // The size the window was laid out for, frame and caption included, and
    // the client area that leaves inside a 3-pixel dialog frame with a
    // 21-pixel caption bar.
    static constexpr int DesignedOuterWidth = 393;
    static constexpr int DesignedOuterHeight = 129;
    static constexpr int DesignedClientWidth = 387;
    static constexpr int DesignedClientHeight = 102;

    // A window with the given caption. With two or more levels it carries a
    // second bar (one step per level) and is taller by that bar. With an
    // owner (the window the operation was started from) it stays above it
    // and is modal to it: the owner takes no input while its operation runs,
    // and a modal owner does not keep the Cancel button from being pressed.
    // The Cancel button is the window's focus, whatever gives the window the
    // focus. The caller shows it and sets OnCancel.
    explicit TfrmRLFeedBack(const QString &ATitle, int ALevels = 1, QWidget *AOwner = nullptr);
    ~TfrmRLFeedBack() override;

    // The controls, owned by the window. ProgressBarStage is null with fewer
    // than two levels.
    QPushButton *BitBtnCancel = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QTimer *TimerBlink = nullptr;
    QLabel *LabelStepName = nullptr;
    QProgressBar *ProgressBarStage = nullptr;

    // The main bar counts from 0 to N.
    void SetMax(int N) override;
    // Names the current phase; painted at once, before any event is processed.
    void StepCaption(const QString &ACaption) override;
    // One step on the main bar, then every pending event is processed.
    void Tick() override;
    // One step on the stage bar and the main bar back to 0. Throws
    // std::logic_error on a window without a stage bar.
    void NextLevel() override;
    // Shows the finished state (blinking text, the button turned into a
    // default Close button) and waits until the user presses it. Returns at
    // once, as if pressed, when dialogs run unattended.
    void Finish();

    void BitBtnCancelClick();
    void TimerBlinkTimer();

    bool Canceled() const { return FCanceled; }
    bool Finished() const { return FFinished; }
    const TRLFeedBackCancelEvent &OnCancel() const { return FOnCancel; }
    void SetOnCancel(TRLFeedBackCancelEvent handler) { FOnCancel = std::move(handler); }

    // Hiding the window, or freeing it, gives the keyboard back to its owner.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TRLFeedBackCancelEvent FOnCancel;
    bool FCanceled = false;
    bool FFinished = false;
    static constexpr int kEventIntervalMs = 15;
    QElapsedTimer FEventClock; // since messages were last processed
    bool FOkKind = false;      // the button is the Close button of Finish
};

} // namespace prenso
