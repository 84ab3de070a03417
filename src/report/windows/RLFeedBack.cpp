#include "report/windows/RLFeedBack.h"

#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/windows/RLDialogUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <stdexcept>

namespace prenso {
namespace {

// The window was drawn for a small bitmap sans-serif that Linux does not
// have; Liberation Sans keeps Arial's widths, which come closest, and any
// sans-serif will do where it is missing.
QFont sansSerifOfHeight(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

QProgressBar *makeBar(QWidget *parent, const QRect &geometry, int maximum)
{
    auto *bar = new QProgressBar(parent);
    bar->setGeometry(geometry);
    bar->setTextVisible(false);
    // A range of 0..0 would make the bar a busy indicator; an empty count
    // must look empty instead.
    bar->setRange(0, maximum > 0 ? maximum : 1);
    bar->setValue(0);
    return bar;
}

// One step forward. Past the end the bar starts over from the beginning, so
// that an operation that runs longer than announced still shows movement.
void stepIt(QProgressBar *bar)
{
    const int next = bar->value() + 1;
    bar->setValue(next > bar->maximum() ? bar->minimum() : next);
}

} // namespace

TfrmRLFeedBack::TfrmRLFeedBack(const QString &ATitle, int ALevels, QWidget *AOwner)
    : QDialog(AOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(ATitle);
    setWindowModality(AOwner ? Qt::WindowModal : Qt::NonModal);
    setFont(sansSerifOfHeight(11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);

    LabelStepName = new QLabel(this);
    LabelStepName->setFont(sansSerifOfHeight(12));
    LabelStepName->move(14, 12);
    LabelStepName->resize(39, 13);

    ProgressBar = makeBar(this, QRect(14, 28, 355, 17), 100);

    BitBtnCancel = new QPushButton(this);
    BitBtnCancel->setGeometry(151, 65, 85, 25);
    BitBtnCancel->setText(LS().LS_CancelStr);
    BitBtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtnCancel, &QPushButton::clicked, this, [this] { BitBtnCancelClick(); });

    TimerBlink = new QTimer(this);
    TimerBlink->setInterval(300);
    connect(TimerBlink, &QTimer::timeout, this, [this] { TimerBlinkTimer(); });

    int clientHeight = DesignedClientHeight;
    if (ALevels >= 2) {
        const QRect main = ProgressBar->geometry();
        ProgressBarStage = makeBar(this, main.translated(0, main.height() + 2), ALevels);
        // The button sits at a fixed distance from the bottom edge, so it
        // moves down with the window.
        const int extra = main.height() + 2;
        clientHeight += extra;
        BitBtnCancel->move(BitBtnCancel->x(), BitBtnCancel->y() + extra);
    }
    setFixedSize(DesignedClientWidth, clientHeight);

    StepCaption(LS().LS_WaitStr);
    // Space and Enter must press Cancel however the window is given the
    // focus; a dialog focused itself takes neither.
    setFocusProxy(BitBtnCancel);
    BitBtnCancel->setFocus();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int outerHeight = DesignedOuterHeight + (clientHeight - DesignedClientHeight);
        move(area.x() + (area.width() - DesignedOuterWidth) / 2, area.y() + (area.height() - outerHeight) / 2);
    }
}

TfrmRLFeedBack::~TfrmRLFeedBack()
{
    // Hidden here, while it still is this window: the base class would hide
    // it without giving the keyboard back.
    hide();
}

void TfrmRLFeedBack::setVisible(bool visible)
{
    if (visible)
        QDialog::setVisible(true);
    else
        dialogs::hideGivingBackTheKeyboard(this, [this] { QDialog::setVisible(false); });
}

void TfrmRLFeedBack::SetMax(int N)
{
    ProgressBar->setRange(0, N > 0 ? N : 1);
    ProgressBar->setValue(0);
}

void TfrmRLFeedBack::StepCaption(const QString &ACaption)
{
    LabelStepName->setText(ACaption);
    LabelStepName->adjustSize();
    // The caller goes on working without processing events until its next
    // Tick: the new phase must be on screen now, not then.
    LabelStepName->repaint();
}

void TfrmRLFeedBack::Tick()
{
    stepIt(ProgressBar);
    // A long run ticks once per record, a hundred thousand times for a long
    // form; pending messages are processed at most every few milliseconds,
    // which the eye cannot tell from every tick and the cancel button still
    // answers at once.
    if (!FEventClock.isValid() || FEventClock.elapsed() >= kEventIntervalMs) {
        QCoreApplication::processEvents();
        FEventClock.restart();
    }
}

void TfrmRLFeedBack::NextLevel()
{
    if (!ProgressBarStage)
        throw std::logic_error("TfrmRLFeedBack::NextLevel on a window of one level");
    stepIt(ProgressBarStage);
    ProgressBar->setValue(0);
}

void TfrmRLFeedBack::Finish()
{
    StepCaption(LS().LS_FinishedStr);
    BitBtnCancel->setText(LS().LS_CloseStr);
    BitBtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtnCancel->setDefault(true);
    FOkKind = true;
    TimerBlink->start();

    if (dialogsAutomatic()) {
        BitBtnCancelClick();
        return;
    }
    // Waiting on a window nobody can see would never end.
    if (!isVisible())
        show();
    while (!FFinished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TfrmRLFeedBack::BitBtnCancelClick()
{
    if (FOkKind) {
        FFinished = true;
        return;
    }
    FCanceled = true;
    if (FOnCancel)
        FOnCancel(this, FCanceled);
}

void TfrmRLFeedBack::TimerBlinkTimer()
{
    LabelStepName->setVisible(!LabelStepName->isVisible());
}

void TfrmRLFeedBack::keyPressEvent(QKeyEvent *event)
{
    // Escape presses Cancel while the operation runs; it must never hide the
    // window under the caller, and the Close button of Finish is not a
    // cancel button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!FOkKind)
            BitBtnCancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmRLFeedBack::closeEvent(QCloseEvent *event)
{
    // The caller owns the window and frees it when its operation ends; the
    // close box only does what the button does (cancel, or end the wait).
    event->ignore();
    BitBtnCancel->click();
}

} // namespace prenso
