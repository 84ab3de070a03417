// The progress window of a preparation, as the user meets it: a long report
// is printed, the engine's own window shows its progress, and a click on its
// Cancel button stops the preparation with nothing printed and nothing said.
#include "data/LineTable.h"
#include "platform/messagebox.h"
#include "report/RLConsts.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLFeedBack.h"
#include "report/windows/RLWindows.h"
#include "support/capture_filter.h"
#include "support/test_support.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace prenso;

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
