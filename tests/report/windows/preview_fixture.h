#pragma once
// Preview windows on pages built in memory: A4 pages of text lines in a
// fixed-pitch font, placed as the form report places them.

#include "platform/system/component.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "report/windows/RLFindDialog.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewBox.h"
#include "report/windows/RLPreviewForm.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace prenso::test {

using PageTexts = std::vector<std::vector<std::string>>;

inline constexpr int kLineLeft = 54;
inline constexpr int kLineTop = 38;
inline constexpr int kLineHeight = 16;

// Fills a storage with one page per entry, one text object per line.
inline void addPages(TRLGraphicStorage &storage, const PageTexts &pages)
{
    storage.SetPaperWidth(210);
    storage.SetPaperHeight(297);
    storage.SetOrientation(TRLPageOrientation::poPortrait);
    for (const auto &lines : pages) {
        auto page = std::make_unique<TRLGraphicSurface>();
        page->SetWidth(794);
        page->SetHeight(1123);
        page->SetOrientation(TRLPageOrientation::poPortrait);
        page->SetPaperWidth(210);
        page->SetPaperHeight(297);
        page->Font().SetName(QStringLiteral("Courier New"));
        page->Font().SetSize(10);
        page->Open();
        for (size_t row = 0; row < lines.size(); ++row)
            page->TextOut(kLineLeft, kLineTop + static_cast<int>(row) * kLineHeight, lines[row]);
        page->Close();
        storage.Add(std::move(page));
    }
}

// `count` pages whose first line names the page ("PAGE n").
inline PageTexts numberedPages(int count)
{
    PageTexts pages;
    for (int i = 1; i <= count; ++i)
        pages.push_back({"PAGE " + std::to_string(i), "line of text"});
    return pages;
}

class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetActiveLocaleForTesting(TRLLanguage::Portuguese);
        setMessageBoxHook([this](BoxKind, const QString &, const QString &text) { messages << text; });
        savedDefaults = PreviewDefaults();
    }
    void TearDown() override
    {
        form.reset();
        PreviewDefaults() = savedDefaults;
        setMessageBoxHook(nullptr);
        SetActiveLocaleForTesting(std::nullopt);
    }

    // A storage held by the test (its owner keeps it alive after the
    // previews let go of it).
    TRLGraphicStorage &MakePages(const PageTexts &pages)
    {
        hold.Reset(std::make_shared<TRLGraphicStorage>());
        storage = hold.get();
        addPages(*storage, pages);
        return *storage;
    }

    // A preview window on the pages, shown at a fixed size.
    TRLPreviewForm &Open(const PageTexts &pages, QSize size = QSize(900, 700))
    {
        MakePages(pages);
        form = std::make_unique<TRLPreviewForm>();
        form->resize(size);
        form->Preview()->SetPages(storage);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    TRLPreview &Preview() { return *form->Preview(); }

    template <class T>
    T *Child(const char *name)
    {
        T *child = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // Types into a field and presses Enter.
    void Type(QWidget *field, const QString &text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        for (QChar ch : text) {
            if (ch.unicode() < 128) {
                QTest::keyClick(field, ch.toLatin1());
                continue;
            }
            // Letters beyond ASCII arrive as text, as an input method sends them.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(field, &press);
        }
        QTest::keyClick(field, Qt::Key_Return);
        Settle();
    }

    // Scroll bars are shown and hidden after a layout, and the layout
    // follows once more.
    static void Settle() { QTest::qWait(20); }

    static QString ScreenshotPath(const QString &name)
    {
        const QString dir = QStringLiteral(PRENSO_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
        return dir + u'/' + name;
    }

    TComponent owner;
    TRLStorageHold hold{&owner};
    TRLGraphicStorage *storage = nullptr;
    std::unique_ptr<TRLPreviewForm> form;
    QStringList messages;
    TRLPreviewDefaults savedDefaults;
};

} // namespace prenso::test
