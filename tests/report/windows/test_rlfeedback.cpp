#include "report/RLConsts.h"
#include "report/windows/RLFeedBack.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

using namespace prenso;

namespace {

// Counts the events of some types that reach a widget.
class EventCounter : public QObject {
public:
    EventCounter(QObject *target, std::initializer_list<QEvent::Type> types) : m_types(types)
    {
        target->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (m_types.contains(event->type()))
            ++count;
        return false;
    }

private:
    QList<QEvent::Type> m_types;
};

class ProgressWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetActiveLocaleForTesting(TRLLanguage::Portuguese);
        if (const char *v = std::getenv("PRENSO_DIALOGS"))
            savedDialogs = v;
    }
    void TearDown() override
    {
        SetActiveLocaleForTesting(std::nullopt);
        if (savedDialogs)
            ::setenv("PRENSO_DIALOGS", savedDialogs->c_str(), 1);
        else
            ::unsetenv("PRENSO_DIALOGS");
    }
    // Finish waits for a real press, as it does for the user.
    static void attendedDialogs() { ::setenv("PRENSO_DIALOGS", "attended", 1); }
    static void unattendedDialogs() { ::setenv("PRENSO_DIALOGS", "auto", 1); }

    std::optional<std::string> savedDialogs;
};

int bottomGap(const TfrmRLFeedBack &w)
{
    return w.height() - w.BitBtnCancel->geometry().bottom() - 1;
}

// What the user must be able to read and reach: every control lies inside
// the window and none covers another, and the label and the button are wide
// and tall enough for their texts.
void expectReadable(const TfrmRLFeedBack &w)
{
    QList<QWidget *> controls{w.LabelStepName, w.ProgressBar, w.BitBtnCancel};
    if (w.ProgressBarStage)
        controls.append(w.ProgressBarStage);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QRect at = controls[i]->geometry();
        EXPECT_TRUE(w.rect().contains(at)) << controls[i]->metaObject()->className() << " reaches out of the window";
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(at.intersects(controls[j]->geometry()))
                << controls[i]->metaObject()->className() << " " << i << " covers "
                << controls[j]->metaObject()->className() << " " << j;
    }
    const QFontMetrics label = w.LabelStepName->fontMetrics();
    EXPECT_GE(w.LabelStepName->width(), label.horizontalAdvance(w.LabelStepName->text()))
        << w.LabelStepName->text().toStdString();
    EXPECT_GE(w.LabelStepName->height(), label.height());
    const QFontMetrics button = w.BitBtnCancel->fontMetrics();
    EXPECT_GT(w.BitBtnCancel->width(), button.horizontalAdvance(w.BitBtnCancel->text()))
        << w.BitBtnCancel->text().toStdString();
    EXPECT_GT(w.BitBtnCancel->height(), button.height());
}

} // namespace

// In every language of the engine the window shows that language's texts,
// whole and apart from each other, with one bar or with two.
TEST_F(ProgressWindow, ShowsItsTextsInEveryLanguage)
{
    for (TRLLanguage language : {TRLLanguage::English, TRLLanguage::Portuguese, TRLLanguage::French,
                                 TRLLanguage::Spanish, TRLLanguage::Italian, TRLLanguage::German}) {
        SetActiveLocaleForTesting(language);
        const TRLLocaleStrings &texts = LocaleTable(language);
        for (int levels : {1, 3}) {
            SCOPED_TRACE(texts.LS_PrintStr.toStdString() + " " + std::to_string(levels));
            TfrmRLFeedBack w(LS().LS_PrintingInProgressStr, levels);
            w.show();
            EXPECT_EQ(w.windowTitle(), texts.LS_PrintingInProgressStr);
            EXPECT_EQ(w.LabelStepName->text(), texts.LS_WaitStr);
            EXPECT_EQ(w.BitBtnCancel->text(), texts.LS_CancelStr);
            expectReadable(w);
            w.StepCaption(texts.LS_PreparingReportStr);
            expectReadable(w);
        }
    }
}

TEST_F(ProgressWindow, OneLevelStartsEmptyWithCancelFocused)
{
    TfrmRLFeedBack w(LS().LS_PrintingInProgressStr, 1);
    EXPECT_EQ(w.ProgressBar->minimum(), 0);
    EXPECT_EQ(w.ProgressBar->maximum(), 100);
    EXPECT_EQ(w.ProgressBar->value(), 0);
    EXPECT_EQ(w.ProgressBarStage, nullptr);
    EXPECT_FALSE(w.BitBtnCancel->isDefault());
    EXPECT_EQ(w.TimerBlink->interval(), 300);
    EXPECT_FALSE(w.TimerBlink->isActive());
    EXPECT_FALSE(w.Canceled());
    EXPECT_FALSE(w.Finished());
    EXPECT_FALSE(w.OnCancel());
    EXPECT_FALSE(w.isModal());

    w.show();
    EXPECT_EQ(w.focusWidget(), w.BitBtnCancel);
}

// The second bar sits 2 pixels below the first, as wide and as tall; the
// window grows by just that, and the button keeps its distance to the
// bottom edge.
TEST_F(ProgressWindow, StageBarForTwoOrMoreLevels)
{
    TfrmRLFeedBack one(QStringLiteral("t"), 1);
    TfrmRLFeedBack three(QStringLiteral("t"), 3);
    ASSERT_NE(three.ProgressBarStage, nullptr);
    const QRect main = three.ProgressBar->geometry(), stage = three.ProgressBarStage->geometry();
    EXPECT_EQ(stage.left(), main.left());
    EXPECT_EQ(stage.size(), main.size());
    EXPECT_EQ(stage.top() - main.bottom() - 1, 2);
    EXPECT_EQ(main, one.ProgressBar->geometry());
    EXPECT_EQ(three.ProgressBarStage->maximum(), 3);
    EXPECT_EQ(three.ProgressBarStage->value(), 0);
    EXPECT_EQ(three.height(), one.height() + main.height() + 2);
    EXPECT_EQ(three.width(), one.width());
    EXPECT_EQ(three.BitBtnCancel->x(), one.BitBtnCancel->x());
    EXPECT_EQ(bottomGap(three), bottomGap(one));
    EXPECT_GT(bottomGap(one), 0);

    TfrmRLFeedBack two(QStringLiteral("t"), 2);
    EXPECT_NE(two.ProgressBarStage, nullptr);
    for (int levels : {0, -3}) {
        TfrmRLFeedBack none(QStringLiteral("t"), levels);
        EXPECT_EQ(none.ProgressBarStage, nullptr) << levels;
        EXPECT_EQ(none.height(), one.height()) << levels;
    }
}

TEST_F(ProgressWindow, StepCaptionIsPaintedBeforeAnyEventIsProcessed)
{
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    w.show();
    QCoreApplication::processEvents();
    EventCounter paints(w.LabelStepName, {QEvent::Paint});

    const QString phase = QStringLiteral("Preparando o relatório e calculando totais...");
    w.StepCaption(phase);
    EXPECT_EQ(w.LabelStepName->text(), phase);
    EXPECT_GE(paints.count, 1);
    EXPECT_GE(w.LabelStepName->width(), w.LabelStepName->fontMetrics().horizontalAdvance(phase));
}

TEST_F(ProgressWindow, BarsCountTicksLevelsAndRestarts)
{
    TfrmRLFeedBack w(QStringLiteral("t"), 3);
    w.SetMax(4);
    EXPECT_EQ(w.ProgressBar->maximum(), 4);
    w.Tick();
    w.Tick();
    w.Tick();
    EXPECT_EQ(w.ProgressBar->value(), 3);

    // A new maximum during a run starts the bar again at 0.
    w.SetMax(10);
    EXPECT_EQ(w.ProgressBar->value(), 0);
    EXPECT_EQ(w.ProgressBar->maximum(), 10);
    for (int i = 0; i < 10; ++i)
        w.Tick();
    EXPECT_EQ(w.ProgressBar->value(), 10);
    // Past the end the bar starts over.
    w.Tick();
    EXPECT_EQ(w.ProgressBar->value(), 0);

    w.Tick();
    w.NextLevel();
    EXPECT_EQ(w.ProgressBarStage->value(), 1);
    EXPECT_EQ(w.ProgressBar->value(), 0);
    w.NextLevel();
    EXPECT_EQ(w.ProgressBarStage->value(), 2);

    // An empty count shows an empty bar, not a busy indicator.
    w.SetMax(0);
    EXPECT_NE(w.ProgressBar->maximum(), w.ProgressBar->minimum());
    EXPECT_EQ(w.ProgressBar->value(), 0);

    TfrmRLFeedBack single(QStringLiteral("t"), 1);
    EXPECT_THROW(single.NextLevel(), std::logic_error);
}

TEST_F(ProgressWindow, TickLetsPendingEventsThrough)
{
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    bool timerRan = false;
    bool queuedRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    QMetaObject::invokeMethod(
        &w, [&] { queuedRan = true; }, Qt::QueuedConnection);
    w.Tick();
    EXPECT_TRUE(timerRan);
    EXPECT_TRUE(queuedRan);
}

TEST_F(ProgressWindow, ClickDuringARunningLoopCancelsIt)
{
    TfrmRLFeedBack w(LS().LS_FilterInProgressStr, 1);
    int calls = 0;
    TfrmRLFeedBack *seenSender = nullptr;
    bool seenFlag = false;
    w.SetOnCancel([&](TfrmRLFeedBack *sender, bool &cancelIt) {
        ++calls;
        seenSender = sender;
        seenFlag = cancelIt;
    });
    w.show();
    w.SetMax(100000);

    QTimer::singleShot(30, w.BitBtnCancel, [&] { w.BitBtnCancel->click(); });
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    while (!w.Canceled() && clock.elapsed() < 5000) {
        w.Tick();
        ++ticks;
        QThread::usleep(200);
    }
    EXPECT_TRUE(w.Canceled());
    EXPECT_GT(ticks, 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seenSender, &w);
    EXPECT_TRUE(seenFlag);
    EXPECT_FALSE(w.Finished());
    // Cancelling leaves the window for its caller to free.
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ProgressWindow, CancelHandlerMayRefuseAndIsToldOfEveryPress)
{
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    int calls = 0;
    w.SetOnCancel([&](TfrmRLFeedBack *, bool &cancelIt) {
        ++calls;
        cancelIt = calls >= 2;
    });
    w.BitBtnCancel->click();
    EXPECT_FALSE(w.Canceled());
    w.BitBtnCancel->click();
    EXPECT_TRUE(w.Canceled());
    w.BitBtnCancel->click();
    EXPECT_EQ(calls, 3);
}

TEST_F(ProgressWindow, EscapeAndCloseBoxCancelWithoutHidingTheWindow)
{
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    int calls = 0;
    w.SetOnCancel([&](TfrmRLFeedBack *, bool &) { ++calls; });
    w.show();

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &esc);
    EXPECT_TRUE(w.Canceled());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(w.isVisible());

    EXPECT_FALSE(w.close());
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ProgressWindow, FinishWaitsForThePressAndDoesNotCancel)
{
    attendedDialogs();
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    int cancels = 0;
    w.SetOnCancel([&](TfrmRLFeedBack *, bool &) { ++cancels; });
    w.show();
    EventCounter blinks(w.LabelStepName, {QEvent::Show, QEvent::Hide});

    bool waitedForPress = false;
    QTimer::singleShot(800, &w, [&] {
        waitedForPress = !w.Finished();
        EXPECT_EQ(w.LabelStepName->text(), QStringLiteral("Concluído"));
        EXPECT_EQ(w.BitBtnCancel->text(), QStringLiteral("Fechar"));
        EXPECT_TRUE(w.BitBtnCancel->isDefault());
        EXPECT_TRUE(w.TimerBlink->isActive());
        // Escape is no cancel key any more.
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &esc);
        EXPECT_FALSE(w.Finished());
        w.BitBtnCancel->click();
    });
    // Should the press get lost, fail instead of hanging the test run.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        ADD_FAILURE() << "Finish still waiting 20 s after the press";
        std::abort();
    });
    guard.start(20000);

    w.Finish();
    guard.stop();
    EXPECT_TRUE(waitedForPress);
    EXPECT_TRUE(w.Finished());
    EXPECT_FALSE(w.Canceled());
    EXPECT_EQ(cancels, 0);
    // 800 ms at 300 ms a beat: the finished text went off and on again.
    EXPECT_GE(blinks.count, 2);
}

TEST_F(ProgressWindow, FinishReturnsAtOnceWhenUnattended)
{
    unattendedDialogs();
    TfrmRLFeedBack w(QStringLiteral("t"), 1);
    int cancels = 0;
    w.SetOnCancel([&](TfrmRLFeedBack *, bool &) { ++cancels; });
    QElapsedTimer clock;
    clock.start();
    w.Finish();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(w.Finished());
    EXPECT_FALSE(w.Canceled());
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(w.LabelStepName->text(), QStringLiteral("Concluído"));
    EXPECT_EQ(w.BitBtnCancel->text(), QStringLiteral("Fechar"));
}
