// The progress window as the user meets it: a long report is printed, the
// engine's own window shows its progress, and a click on its Cancel button
// stops the preparation with nothing printed and nothing said; a print
// started from the modal preview is stopped the same way, and the preview is
// usable again after it. The keyboard presses Cancel too.
#include "data/LineTable.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLFeedBack.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewForm.h"
#include "report/windows/RLPrintDialog.h"
#include "report/windows/RLWindows.h"
#include "support/capture_filter.h"
#include "support/test_support.h"

#include "dialog_fixture.h"
#include "preview_fixture.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace prenso;

namespace {

// The visible progress window, if one is open.
TfrmRLFeedBack *openProgressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *feedBack = qobject_cast<TfrmRLFeedBack *>(w); feedBack && feedBack->isVisible())
            return feedBack;
    return nullptr;
}

// A printer that takes its time over each page, so that the run is still
// going when the operator gets to the Cancel button.
class SlowPrinter : public test::CaptureFilter {
public:
    SlowPrinter()
    {
        SetDisplayName(QStringLiteral("Impressora lenta"));
        SetShowProgress(true);
    }

protected:
    void InternalDrawPage(TRLGraphicPage *page) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        CaptureFilter::InternalDrawPage(page);
    }
};

using PrintFromThePreview = test::DialogTest;

} // namespace

TEST(ProgressWindowOfAPreparation, ItsCancelButtonStopsTheReportWithNothingPrinted)
{
    const test::Attended attended; // the test is the operator who clicks
    InstallRLWindows();
    TLineTable table;
    TDataSource source(&table);
    TRLReport report;
    report.SetName(QStringLiteral("longo"));
    report.SetDataSource(&source);
    report.SetPrintDialog(false);
    ASSERT_TRUE(report.ShowProgress());
    auto *band = report.AddChild<TRLBand>();
    band->SetAutoSize(true);
    auto *text = band->AddChild<TRLDBText>();
    text->SetBounds(16, 0, 41, 16);
    text->SetDataSource(&source);
    text->SetDataField(QStringLiteral("LINHA"));
    table.CreateDataSet();
    constexpr int kLines = 50000;
    for (int i = 1; i <= kLines; ++i)
        table.AppendLine(i, "linha " + std::to_string(i));

    test::CaptureFilter capture;
    report.SetDefaultFilter(&capture);
    int boxes = 0;
    test::ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &) { ++boxes; });

    // The click comes as the user's would: on the visible window's button,
    // once the bar shows the preparation well under way, delivered when the
    // window lets pending events through.
    TfrmRLFeedBack *window = nullptr;
    int progressAtClick = 0;
    std::function<void()> clickWhenUnderWay = [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *feedBack = qobject_cast<TfrmRLFeedBack *>(w);
            if (feedBack && feedBack->isVisible() && feedBack->ProgressBar->value() >= 200) {
                window = feedBack;
                progressAtClick = feedBack->ProgressBar->value();
                EXPECT_EQ(feedBack->windowTitle(), LS().LS_PrintingInProgressStr);
                EXPECT_EQ(feedBack->ProgressBar->maximum(), kLines);
                QTest::mouseClick(feedBack->BitBtnCancel, Qt::LeftButton);
                return;
            }
        }
        QTimer::singleShot(1, clickWhenUnderWay);
    };
    QTimer::singleShot(0, clickWhenUnderWay);
    report.Print();

    ASSERT_NE(window, nullptr) << "the preparation ended before its window was seen";
    EXPECT_TRUE(report.Canceled());
    EXPECT_EQ(report.ReportState(), TRLReportState::rsAbout);
    EXPECT_EQ(capture.beginDocs, 0) << "something was printed";
    EXPECT_TRUE(capture.pages.empty());
    EXPECT_EQ(boxes, 0) << "a cancel is not an error";
    // It stopped soon after the click: the pages stored hold the lines done
    // by then, far from the whole report.
    size_t linesStored = 0;
    for (int i = 0; i < report.Pages().PageCount(); ++i)
        linesStored += test::capturePage(*report.Pages().Pages(i)).texts.size();
    EXPECT_GE(linesStored, static_cast<size_t>(progressAtClick));
    EXPECT_LT(linesStored, static_cast<size_t>(kLines / 2));
    // The window went with the preparation.
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfrmRLFeedBack *>(w), nullptr);
}

// The engine opens the window with its Cancel button as the window's focus,
// so the keys that press a focused button press it.
TEST(ProgressWindowOfAnOperation, SpaceAndEnterPressItsCancelButton)
{
    const test::Attended attended;
    InstallRLWindows();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        int cancels = 0;
        const std::unique_ptr<TRLProgress> progress =
            RLUserInterface().OpenProgress(LS().LS_FilterInProgressStr, 1, [&] { ++cancels; });
        TfrmRLFeedBack *window = openProgressWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(test::becomesActive(window));
        EXPECT_EQ(QApplication::focusWidget(), window->BitBtnCancel);
        test::keyThroughWindow(window, key);
        EXPECT_EQ(cancels, 1);
    }
}

// The preview is modal; the progress window of a print started from it must
// still take the operator's click (a window the preview blocked would never
// see it), and the preview must be the operator's again once the print has
// stopped.
TEST_F(PrintFromThePreview, ItsProgressWindowTakesTheCancelClickAndGivesThePreviewBack)
{
    InstallRLWindows();
    const TRLPreviewDefaults savedDefaults = PreviewDefaults();
    const auto kept = std::make_shared<TRLGraphicStorage>();
    TRLGraphicStorage *storage = kept.get();
    constexpr int kPages = 400;
    test::addPages(*storage, test::numberedPages(kPages));
    SlowPrinter printer;
    SetSelectedFilter(&printer);

    // The operator, step by step, each step once the window it needs is there.
    int progressAtClick = 0;
    bool cancelled = false, pageTurned = false;
    QTimer operatorAtTheScreen;
    operatorAtTheScreen.setInterval(2);
    enum class Step { Print, Confirm, Cancel, UsePreview, Done } step = Step::Print;
    TRLPreviewForm *preview = nullptr;
    QObject::connect(&operatorAtTheScreen, &QTimer::timeout, [&] {
        switch (step) {
        case Step::Print:
            if (TRLPreviewForm::OpenForms().empty() || !QApplication::activeModalWidget())
                return;
            preview = TRLPreviewForm::OpenForms().back();
            step = Step::Confirm;
            // The click runs the whole print, and the steps below come from
            // its loops; this timer does not fire again until its slot returns.
            QTimer::singleShot(0, preview, [&] {
                test::clickThroughWindow(preview->SpeedButtonPrint);
                step = Step::UsePreview;
            });
            return;
        case Step::Confirm:
            if (auto *dialog = qobject_cast<TRLPrintDialog *>(QApplication::activeModalWidget())) {
                EXPECT_EQ(dialog->ComboBoxFilters->currentText(), printer.GetDisplayLabel());
                step = Step::Cancel;
                test::clickThroughWindow(dialog->ButtonOk);
            }
            return;
        case Step::Cancel:
            if (TfrmRLFeedBack *window = openProgressWindow(); window && window->ProgressBar->value() >= 20) {
                progressAtClick = window->ProgressBar->value();
                step = Step::Done;
                test::clickThroughWindow(window->BitBtnCancel);
                cancelled = true;
            }
            return;
        case Step::UsePreview:
            step = Step::Done;
            EXPECT_EQ(openProgressWindow(), nullptr) << "the window went with the print";
            EXPECT_TRUE(test::becomesActive(preview)) << "the keyboard is back with the preview";
            test::keyThroughWindow(preview, Qt::Key_PageDown);
            pageTurned = preview->Preview()->PageIndex() == 1;
            test::keyThroughWindow(preview, Qt::Key_Escape);
            return;
        case Step::Done: return;
        }
    });
    operatorAtTheScreen.start();
    // Closes the preview should the operator get stuck, so the test fails
    // instead of waiting.
    QTimer::singleShot(20000, [] {
        for (TRLPreviewForm *form : TRLPreviewForm::OpenForms())
            form->close();
    });
    PreviewPages(*storage, TRLPreviewOptions(), true);
    PreviewDefaults() = savedDefaults;

    ASSERT_TRUE(cancelled) << "the operator never got to the Cancel button";
    EXPECT_EQ(printer.pages.size(), static_cast<size_t>(progressAtClick)) << "pages printed after the click";
    EXPECT_LT(progressAtClick, kPages);
    EXPECT_EQ(printer.endDocs, 1) << "the document is ended";
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(pageTurned) << "the preview took no keys after the print";
}
