// The preview window driven as the user drives it: toolbar, page field, zoom
// box, keys, wheel, split view, editing mode, copy menu and the entry a
// report opens it with.
#include "support/operator.h"

#include "preview_fixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace prenso;
using namespace prenso::test;

namespace {

// Lines as the business system writes them: codes, names, amounts.
PageTexts formPages(int count)
{
    PageTexts pages;
    for (int p = 1; p <= count; ++p) {
        std::vector<std::string> lines;
        lines.push_back("DISTRIBUIDORA S\xC3O JO\xC3O LTDA                     RELAT\xD3RIO DE VENDAS              "
                        "P\xC1GINA " +
                        std::to_string(p));
        lines.push_back(std::string(100, '-'));
        for (int r = 0; r < 40; ++r)
            lines.push_back(std::to_string(1000 + p * 40 + r) + "  CLIENTE JOS\xC9 DA CONCEI\xC7\xC3O " +
                            std::to_string(r) +
                            "   A\xC7\xDA"
                            "CAR CRISTAL 5KG   " +
                            std::to_string(r * 7 % 90 + 10) + ",50");
        lines.push_back("TOTAL GERAL DA P\xC1GINA   R$ 12.345,67");
        pages.push_back(std::move(lines));
    }
    return pages;
}

QPoint boxPointOfPagePixel(TRLPreviewBox *box, QPoint pagePixel)
{
    const QRect area = box->PageArea();
    const QPointF scale = box->PageScale(*box->Page());
    return area.topLeft() + QPoint(int(pagePixel.x() * scale.x()), int(pagePixel.y() * scale.y()));
}

double zoomShown(QComboBox *box)
{
    QString text = box->currentText();
    return text.remove(u'%').replace(u',', u'.').toDouble();
}

} // namespace

TEST_F(PreviewWindowTest, ToolbarMovesBetweenPages)
{
    struct Case {
        const char *what;
        bool multiple;
        int start;
        const char *button;
        int expected;
    };
    const Case cases[] = {
        {"last page in multiple mode shows the last three", true, 0, "SpeedButtonLast", 2},
        {"next in multiple mode stops at the last page", true, 3, "SpeedButtonNext", 4},
        {"prior in multiple mode moves back three", true, 4, "SpeedButtonPrior", 1},
        {"prior near the start stops at the first page", true, 1, "SpeedButtonPrior", 0},
        {"next in single mode", false, 0, "SpeedButtonNext", 1},
        {"last in single mode", false, 0, "SpeedButtonLast", 4},
        {"first", false, 3, "SpeedButtonFirst", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Open(numberedPages(5));
        Preview().SetMultipleMode(c.multiple);
        Preview().SetPageIndex(c.start);
        QTest::mouseClick(Child<QToolButton>(c.button), Qt::LeftButton);
        EXPECT_EQ(Preview().PageIndex(), c.expected);
        EXPECT_EQ(Child<QLineEdit>("EditPageNo")->text(), QString::number(c.expected + 1));
        EXPECT_EQ(Child<QLabel>("PanelPageCount")->text(), QStringLiteral("5"));
        for (int i = 0; i < Preview().VisibleBoxes(); ++i)
            EXPECT_EQ(Preview().Boxes(i)->PageIndex(), c.expected + i < 5 ? c.expected + i : -1) << "box " << i;
    }
}

TEST_F(PreviewWindowTest, HeldNextButtonRepeatsAfterHalfASecond)
{
    Open(numberedPages(30));
    auto *next = Child<QToolButton>("SpeedButtonNext");
    QTest::mousePress(next, Qt::LeftButton);
    EXPECT_EQ(Preview().PageIndex(), 1) << "one page at the press";
    QTest::qWait(300);
    EXPECT_EQ(Preview().PageIndex(), 1) << "no repeat before half a second";
    QTest::qWait(700);
    QTest::mouseRelease(next, Qt::LeftButton);
    const int reached = Preview().PageIndex();
    EXPECT_GE(reached, 2);
    QTest::qWait(300);
    EXPECT_EQ(Preview().PageIndex(), reached) << "releasing stops it";
}

TEST_F(PreviewWindowTest, TwoPagesInMultipleModeLeaveAnEmptyCrossedBox)
{
    Open(numberedPages(2));
    Type(Child<QComboBox>("ComboBoxZoom")->lineEdit(), QStringLiteral("Várias páginas"));
    ASSERT_TRUE(Preview().MultipleMode());
    EXPECT_EQ(Preview().Boxes(1)->PageIndex(), 1);
    EXPECT_EQ(Preview().horizontalScrollBar()->maximum(), 0) << "the three boxes fit side by side";
    TRLPreviewBox *empty = Preview().Boxes(2);
    ASSERT_EQ(empty->PageIndex(), -1);
    ASSERT_TRUE(empty->isVisible());

    const QImage image = empty->grab().toImage();
    const QRect area = empty->PageArea();
    const int x = area.left() + area.width() / 4;
    const int y = area.top() + (x - area.left()) * area.height() / area.width();
    bool onDiagonal = false;
    for (int dy = -1; dy <= 1; ++dy)
        onDiagonal = onDiagonal || image.pixelColor(x, y + dy) == QColor(Qt::black);
    EXPECT_TRUE(onDiagonal) << "a diagonal crosses the box at " << x << "," << y;
    EXPECT_EQ(image.pixelColor(area.center().x(), area.top() + area.height() / 5), QColor(128, 128, 128));
    EXPECT_EQ(Preview().Boxes(1)->grab().toImage().pixelColor(area.center().x(), area.top() + 2), QColor(Qt::white));
}

TEST_F(PreviewWindowTest, ZoomBoxTakesRowsAndTypedValues)
{
    struct Case {
        QString typed;
        std::function<void(TRLPreview &)> check;
    };
    const Case cases[] = {
        {QStringLiteral("75,5%"), [](TRLPreview &p) { EXPECT_DOUBLE_EQ(p.ZoomFactor(), 75.5); }},
        {QStringLiteral("250"), [](TRLPreview &p) { EXPECT_DOUBLE_EQ(p.ZoomFactor(), 250); }},
        {QStringLiteral("5"), [](TRLPreview &p) { EXPECT_DOUBLE_EQ(p.ZoomFactor(), 100) << "no row chosen"; }},
        {QStringLiteral("x"), [](TRLPreview &p) { EXPECT_DOUBLE_EQ(p.ZoomFactor(), 100); }},
        {QStringLiteral("50%"), [](TRLPreview &p) { EXPECT_DOUBLE_EQ(p.ZoomFactor(), 50); }},
        {QStringLiteral("500%"),
         [](TRLPreview &p) {
             // Too large to keep whole: painted part by part, still with its text.
             EXPECT_DOUBLE_EQ(p.ZoomFactor(), 500);
             const QImage shown = p.viewport()->grab().toImage();
             int dark = 0;
             for (int y = 10; y < shown.height(); y += 2) // inside the page's frame
                 for (int x = 10; x < shown.width(); x += 2)
                     dark += qGray(shown.pixel(x, y)) < 100;
             EXPECT_GT(dark, 200) << "the first line, five times its size";
         }},
        {QStringLiteral("Largura da página"),
         [](TRLPreview &p) {
             EXPECT_FALSE(p.MultipleMode());
             EXPECT_EQ(p.horizontalScrollBar()->maximum(), 0) << "the width fits";
             EXPECT_GT(p.Boxes(0)->width(), p.viewport()->width() - 40) << "and is used";
         }},
        {QStringLiteral("Página inteira"),
         [](TRLPreview &p) {
             EXPECT_FALSE(p.MultipleMode());
             EXPECT_LE(p.Boxes(0)->height(), p.viewport()->height());
             EXPECT_LE(p.Boxes(0)->width(), p.viewport()->width());
             EXPECT_EQ(p.verticalScrollBar()->maximum(), 0);
         }},
        {QStringLiteral("Várias páginas"),
         [](TRLPreview &p) {
             EXPECT_EQ(p.VisibleBoxes(), 3);
             EXPECT_EQ(p.horizontalScrollBar()->maximum(), 0) << "three pages side by side fit";
             EXPECT_GE(p.Boxes(0)->x(), 0);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Open(numberedPages(5));
        auto *zoom = Child<QComboBox>("ComboBoxZoom");
        Type(zoom->lineEdit(), c.typed);
        c.check(Preview());
        EXPECT_EQ(zoom->currentIndex(), -1) << "the box shows the zoom, no row";
        EXPECT_DOUBLE_EQ(zoomShown(zoom), Preview().ZoomFactor());
    }
}

TEST_F(PreviewWindowTest, ZoomButtonsStepByTenAndStopAtTen)
{
    struct Case {
        double start;
        const char *button;
        double expected;
    };
    const Case cases[] = {
        {15, "SpeedButtonZoomDown", 10},
        {10, "SpeedButtonZoomDown", 10},
        {100, "SpeedButtonZoomDown", 90},
        {100, "SpeedButtonZoomUp", 110},
    };
    Open(numberedPages(3));
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.button) + " from " + std::to_string(c.start));
        Preview().SetZoomFactor(c.start);
        QTest::mouseClick(Child<QToolButton>(c.button), Qt::LeftButton);
        EXPECT_DOUBLE_EQ(Preview().ZoomFactor(), c.expected);
        EXPECT_DOUBLE_EQ(zoomShown(Child<QComboBox>("ComboBoxZoom")), c.expected);
    }
}

TEST_F(PreviewWindowTest, KeyboardTable)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page; // expected page index
        int h, v; // expected scroll positions; -1 the end of the range
    };
    // From page 2 scrolled to (50, 50) at 200 %.
    const Case cases[] = {
        {Qt::Key_PageDown, Qt::NoModifier, 3, 0, 0},
        {Qt::Key_PageUp, Qt::NoModifier, 1, 0, 0},
        {Qt::Key_PageDown, Qt::ControlModifier, 2, 50, -1},
        {Qt::Key_PageUp, Qt::ControlModifier, 2, 50, 0},
        {Qt::Key_End, Qt::ControlModifier, 4, 0, 0},
        {Qt::Key_Home, Qt::ControlModifier, 0, 0, 0},
        {Qt::Key_End, Qt::NoModifier, 2, -1, 50},
        {Qt::Key_Home, Qt::NoModifier, 2, 0, 50},
        {Qt::Key_Left, Qt::NoModifier, 2, 40, 50},
        {Qt::Key_Right, Qt::NoModifier, 2, 60, 50},
        {Qt::Key_Up, Qt::NoModifier, 2, 50, 40},
        {Qt::Key_Down, Qt::NoModifier, 2, 50, 60},
        {Qt::Key_Left, Qt::ControlModifier, 2, 0, 50},
        {Qt::Key_Up, Qt::ControlModifier, 2, 50, 0},
    };
    Open(numberedPages(5));
    Preview().SetZoomFactor(200);
    for (const Case &c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        Preview().SetPageIndex(2);
        Preview().horizontalScrollBar()->setValue(50);
        Preview().verticalScrollBar()->setValue(50);
        Preview().setFocus();
        QTest::keyClick(&Preview(), c.key, c.modifiers);
        EXPECT_EQ(Preview().PageIndex(), c.page);
        EXPECT_EQ(Preview().horizontalScrollBar()->value(), c.h < 0 ? Preview().horizontalScrollBar()->maximum() : c.h);
        EXPECT_EQ(Preview().verticalScrollBar()->value(), c.v < 0 ? Preview().verticalScrollBar()->maximum() : c.v);
    }
    // The half-page moves go by the preview's own size.
    Preview().verticalScrollBar()->setValue(0);
    QTest::keyClick(&Preview(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Preview().verticalScrollBar()->value(),
              std::min(Preview().viewport()->height(), Preview().verticalScrollBar()->maximum()));

    QTest::keyClick(&Preview(), Qt::Key_F, Qt::NoModifier);
    EXPECT_FALSE(form->FindDialog()->isVisible()) << "F alone is not handled";
    QTest::keyClick(&Preview(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(form->FindDialog()->isVisible());
    form->FindDialog()->close();

    // Keys reach the window before its controls: Page Down in the page field turns the page.
    Child<QLineEdit>("EditPageNo")->setFocus();
    QTest::keyClick(Child<QLineEdit>("EditPageNo"), Qt::Key_PageDown);
    EXPECT_EQ(Preview().PageIndex(), 3);
    QTest::keyClick(&Preview(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(PreviewWindowTest, PageFieldShowsTheTypedPage)
{
    struct Case {
        QString typed;
        int expected;
    };
    const Case cases[] = {{QStringLiteral("3"), 2},
                          {QStringLiteral("abc"), 2},
                          {QStringLiteral("99"), 2},
                          {QStringLiteral("1"), 0},
                          {QStringLiteral("5"), 4}};
    Open(numberedPages(5));
    auto *field = Child<QLineEdit>("EditPageNo");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Type(field, c.typed);
        EXPECT_EQ(Preview().PageIndex(), c.expected);
        EXPECT_EQ(field->text(), QString::number(c.expected + 1)) << "the field shows the page again";
    }
}

// Both fields act at every keystroke, not only on Enter, and keep what was
// typed until Enter ends the editing (a layout in between must not replace
// the text under the user's fingers).
TEST_F(PreviewWindowTest, ZoomBoxAndPageFieldActAsTheUserTypes)
{
    struct Keystroke {
        char key;
        double zoom; // expected after it
        int page;    // expected page index after it
    };
    struct Case {
        const char *field;
        std::vector<Keystroke> keys;
        QString typed; // the field's text before Enter
        QString afterEnter;
    };
    const Case cases[] = {
        {"zoom", {{'1', 100, 0}, {'5', 15, 0}, {'0', 150, 0}}, "150", "150%"},
        {"zoom", {{'8', 100, 0}, {'0', 80, 0}, {'x', 80, 0}}, "80x", "80%"},
        {"page", {{'1', 100, 0}, {'2', 100, 11}}, "12", "12"},
        {"page", {{'9', 100, 8}, {'9', 100, 8}}, "99", "9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed.toStdString());
        Open(numberedPages(12));
        QLineEdit *field = std::string(c.field) == "zoom" ? Child<QComboBox>("ComboBoxZoom")->lineEdit()
                                                          : Child<QLineEdit>("EditPageNo");
        field->setFocus();
        field->clear();
        for (const Keystroke &k : c.keys) {
            QTest::keyClick(field, k.key);
            Settle();
            EXPECT_DOUBLE_EQ(Preview().ZoomFactor(), k.zoom) << "after " << k.key;
            EXPECT_EQ(Preview().PageIndex(), k.page) << "after " << k.key;
        }
        EXPECT_EQ(field->text(), c.typed);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(field->text(), c.afterEnter);
    }
}

TEST_F(PreviewWindowTest, SplitViewAddsASecondPreviewOfTheSamePages)
{
    Open(numberedPages(4));
    Preview().SetPageIndex(2);
    auto *views = Child<QToolButton>("SpeedButtonViews");
    QTest::mouseClick(views, Qt::LeftButton);
    ASSERT_EQ(form->Previews().size(), 2u);
    TRLPreview *second = form->Previews()[1];
    EXPECT_EQ(second->Pages(), storage);
    EXPECT_NEAR(second->height(), form->Previews()[0]->height(), 3) << "stacked with equal heights";

    // Entering the second makes the toolbar act on it.
    second->setFocus();
    QTest::mouseClick(Child<QToolButton>("SpeedButtonFirst"), Qt::LeftButton);
    EXPECT_EQ(second->PageIndex(), 0);
    EXPECT_EQ(form->Previews()[0]->PageIndex(), 2);
    EXPECT_EQ(Child<QLineEdit>("EditPageNo")->text(), QStringLiteral("1"));

    QTest::mouseClick(views, Qt::LeftButton);
    ASSERT_EQ(form->Previews().size(), 1u);
    EXPECT_EQ(form->Preview(), form->Previews()[0]);
    EXPECT_EQ(Child<QLineEdit>("EditPageNo")->text(), QStringLiteral("3"));
}

TEST_F(PreviewWindowTest, TextsFollowTheUsersLanguageWithAccelerators)
{
    struct Case {
        TRLLanguage language;
        const char *title, *print, *save, *close, *send, *fullWidth;
    };
    // "Send" finds its S taken by "Save" and takes the next letter.
    const Case cases[] = {
        {TRLLanguage::Portuguese, "Pré-visualização", "&Imprimir", "&Salvar", "&Fechar", "&Enviar",
         "Largura da página"},
        {TRLLanguage::English, "Preview", "&Print", "&Save", "&Close", "S&end", "Entire width"},
    };
    for (const Case &c : cases) {
        SetActiveLocaleForTesting(c.language);
        Open(numberedPages(1));
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(Child<QToolButton>("SpeedButtonPrint")->text(), QString::fromUtf8(c.print));
        EXPECT_EQ(Child<QToolButton>("SpeedButtonSave")->text(), QString::fromUtf8(c.save));
        EXPECT_EQ(Child<QToolButton>("SpeedButtonClose")->text(), QString::fromUtf8(c.close));
        EXPECT_EQ(Child<QToolButton>("SpeedButtonSend")->text(), QString::fromUtf8(c.send));
        EXPECT_EQ(Child<QComboBox>("ComboBoxZoom")->itemText(8), QString::fromUtf8(c.fullWidth));
        EXPECT_EQ(Child<QLabel>("PanelPageCount")->text(), QStringLiteral("1"));
    }
}

TEST_F(PreviewWindowTest, EditingModeSelectsTheObjectUnderTheClick)
{
    Open({{"first line", "second line", "third line"}});
    TRLPreviewBox *box = Preview().Boxes(0);
    const QPoint secondLine = boxPointOfPagePixel(box, {kLineLeft + 20, kLineTop + kLineHeight + 5});
    QTest::mouseClick(box, Qt::LeftButton, {}, secondLine);
    EXPECT_EQ(box->SelectedObject(), -1) << "no selection outside editing mode";

    QTest::mouseClick(Child<QToolButton>("SpeedButtonEdit"), Qt::LeftButton);
    ASSERT_TRUE(Preview().Editing());
    QTest::mouseClick(box, Qt::LeftButton, {}, secondLine);
    EXPECT_EQ(box->SelectedObject(), 1);
    EXPECT_TRUE(form->grab().save(ScreenshotPath(QStringLiteral("preview_editing.png"))));
    QTest::mouseClick(box, Qt::LeftButton, {}, boxPointOfPagePixel(box, {700, 1000}));
    EXPECT_EQ(box->SelectedObject(), -1) << "nothing there";
    QTest::mouseClick(box, Qt::LeftButton, {}, secondLine);
    QTest::mouseClick(Child<QToolButton>("SpeedButtonEdit"), Qt::LeftButton);
    EXPECT_FALSE(Preview().Editing());
    EXPECT_EQ(box->SelectedObject(), -1) << "leaving editing mode clears the selection";
}

TEST_F(PreviewWindowTest, DoubleClickSwitchesBetweenMultiplePagesAndFullWidth)
{
    Open(numberedPages(6));
    Preview().SetPageIndex(1);
    QTest::mouseDClick(Preview().Boxes(0), Qt::LeftButton);
    EXPECT_TRUE(Preview().MultipleMode());
    EXPECT_EQ(Preview().PageIndex(), 1);
    QTest::mouseDClick(Preview().Boxes(2), Qt::LeftButton);
    EXPECT_FALSE(Preview().MultipleMode());
    EXPECT_EQ(Preview().PageIndex(), 3) << "the clicked box's page";
    EXPECT_EQ(Preview().horizontalScrollBar()->maximum(), 0);
}

TEST_F(PreviewWindowTest, WheelScrollsTurnsPagesAtTheEndAndZoomsWithCtrl)
{
    struct Case {
        const char *what;
        Qt::KeyboardModifiers modifiers;
        int delta;
        bool fromBottom;
        int page;
        double zoom;
    };
    const Case cases[] = {
        {"down within the page scrolls", Qt::NoModifier, -120, false, 2, 100},
        {"down at the end turns the page", Qt::NoModifier, -120, true, 3, 100},
        {"up at the top goes back", Qt::NoModifier, 120, false, 1, 100},
        {"ctrl up zooms in", Qt::ControlModifier, 120, false, 2, 110},
        {"ctrl down zooms out", Qt::ControlModifier, -240, false, 2, 80},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Open(numberedPages(5));
        Preview().SetPageIndex(2);
        QScrollBar *vbar = Preview().verticalScrollBar();
        ASSERT_GT(vbar->maximum(), 0);
        vbar->setValue(c.fromBottom ? vbar->maximum() : 0);
        const QPointF at = Preview().viewport()->rect().center();
        QWheelEvent wheel(at, Preview().viewport()->mapToGlobal(at), {}, QPoint(0, c.delta), Qt::NoButton, c.modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Preview().viewport(), &wheel);
        EXPECT_EQ(Preview().PageIndex(), c.page);
        EXPECT_DOUBLE_EQ(Preview().ZoomFactor(), c.zoom);
        if (c.page == 1) {
            EXPECT_EQ(vbar->value(), vbar->maximum()) << "the prior page shows its end";
        }
        if (c.page == 2 && c.zoom == 100) {
            EXPECT_GT(vbar->value(), 0);
        }
    }
}

TEST_F(PreviewWindowTest, PrintAndSaveRunTheirActionsAndShowTheirErrors)
{
    Open(numberedPages(2));
    auto *print = Child<QToolButton>("SpeedButtonPrint");
    auto *save = Child<QToolButton>("SpeedButtonSave");
    auto *send = Child<QToolButton>("SpeedButtonSend");
    EXPECT_FALSE(print->isEnabled()) << "nothing to print with yet";
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(send->isEnabled());
    EXPECT_FALSE(send->isVisible());

    int printed = 0;
    form->SetPrintAction([&](TRLPreviewForm &f) {
        ++printed;
        f.SetPrinted(true);
    });
    form->SetSaveAction([](TRLPreviewForm &) { throw Exception(QStringLiteral("Disco cheio")); });
    Preview().setFocus();
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(printed, 1);
    EXPECT_TRUE(form->Printed());
    // The error box takes the keyboard while it shows, as a real one does.
    QWidget box;
    setMessageBoxHook([&](BoxKind, const QString &, const QString &text) {
        messages << text;
        box.show();
        box.activateWindow();
        EXPECT_TRUE(becomesActive(&box));
        box.hide();
    });
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Disco cheio.")});
    EXPECT_TRUE(form->isVisible()) << "an error leaves the window open";
    EXPECT_TRUE(becomesActive(form.get())) << "the keyboard is back with the window";
    EXPECT_EQ(QApplication::focusWidget(), &Preview()) << "the focus is back where it was";
}

TEST_F(PreviewWindowTest, CopyMenuPutsThePageOnTheClipboard)
{
    Open(formPages(1));
    TRLPreviewBox *box = Preview().Boxes(0);
    auto copyWith = [&](int action) {
        QApplication::clipboard()->clear();
        QTimer::singleShot(0, [&, action] {
            QMenu *menu = Preview().Popup();
            menu->actions().at(action)->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), box->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(box, &event);
        return QApplication::clipboard()->mimeData();
    };
    ASSERT_EQ(Preview().Popup()->actions().at(0)->text(), QStringLiteral("Copiar como Bitmap"));
    ASSERT_EQ(Preview().Popup()->actions().at(1)->text(), QStringLiteral("Copiar como MetaFile"));

    const QImage image = qvariant_cast<QImage>(copyWith(0)->imageData());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(794, 1123)) << "the page at its own pixel size";
    int dark = 0;
    for (int x = kLineLeft; x < kLineLeft + 300; ++x)
        dark += qGray(image.pixel(x, kLineTop + 6)) < 128;
    EXPECT_GT(dark, 20) << "the first line is on it";

    const QMimeData *vector = copyWith(1);
    EXPECT_TRUE(vector->data(QStringLiteral("application/pdf")).startsWith("%PDF"));
    EXPECT_TRUE(vector->data(QStringLiteral("image/svg+xml")).contains("<svg"));
}

TEST_F(PreviewWindowTest, PreviewPagesOpensTheWindowAReportAsksFor)
{
    const test::Attended attended; // the window waits to be closed, as for the user
    MakePages(numberedPages(3));
    TRLPreviewOptions options;
    options.Defaults = TRLPreviewOptionsDefaults::pdIgnoreDefaults;
    options.Caption = QStringLiteral("Notas do dia");
    options.WindowState = 0;
    PreviewDefaults().Options.WindowState = 2;
    PreviewDefaults().Zoom = PreviewZoomFullPage;
    PreviewActions().Print = [](TRLPreviewForm &f) { f.SetPrinted(true); };

    bool checked = false;
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(TRLPreviewForm::OpenForms().size(), 1u);
        TRLPreviewForm *open = TRLPreviewForm::OpenForms().front();
        EXPECT_TRUE(open->isModal());
        EXPECT_EQ(open->windowTitle(), QStringLiteral("Notas do dia"));
        EXPECT_EQ(open->Preview()->Pages(), storage);
        // Scroll bars come and go after the layout settles.
        EXPECT_TRUE(QTest::qWaitFor([&] { return open->Preview()->verticalScrollBar()->maximum() == 0; }, 2000))
            << "opened at full page";
        QTest::mouseClick(open->findChild<QToolButton *>(QStringLiteral("SpeedButtonPrint")), Qt::LeftButton);
        checked = true;
        ClosePreview(*storage);
    });
    const bool printed = PreviewPages(*storage, options, true);
    PreviewActions() = {};
    EXPECT_TRUE(checked);
    EXPECT_TRUE(printed);
    EXPECT_TRUE(TRLPreviewForm::OpenForms().empty()) << "the window is freed";
    EXPECT_EQ(PreviewDefaults().Options.WindowState, 0) << "closing stores the window state";
    EXPECT_EQ(storage->ReferenceCount(), 1) << "only the owner holds the pages again";
}

// A window that is not modal may outlive the report that made its pages.
TEST_F(PreviewWindowTest, ThePreviewKeepsItsPagesAfterTheirMakerLetsGo)
{
    Open(numberedPages(3));
    const std::weak_ptr<TRLGraphicStorage> watch = hold.shared();
    hold.Reset(nullptr);
    storage = nullptr;
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(Child<QLabel>("PanelPageCount")->text(), QStringLiteral("3"));
    QTest::mouseClick(Child<QToolButton>("SpeedButtonNext"), Qt::LeftButton);
    EXPECT_EQ(Preview().PageIndex(), 1);
    form.reset();
    EXPECT_TRUE(watch.expired()) << "the window took its pages along";
}

TEST_F(PreviewWindowTest, ScreenshotsOfFullWidthAndMultiplePages)
{
    Open(formPages(5), QSize(1000, 720));
    auto *zoom = Child<QComboBox>("ComboBoxZoom");
    Type(zoom->lineEdit(), QStringLiteral("Largura da página"));
    EXPECT_EQ(Preview().horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(form->grab().save(ScreenshotPath(QStringLiteral("preview_full_width.png"))));
    Type(zoom->lineEdit(), QStringLiteral("Várias páginas"));
    QTest::mouseClick(Child<QToolButton>("SpeedButtonNext"), Qt::LeftButton);
    EXPECT_EQ(Preview().Boxes(2)->PageIndex(), -1) << "pages 4 and 5 and an empty box";
    Settle();
    EXPECT_TRUE(form->grab().save(ScreenshotPath(QStringLiteral("preview_multiple.png"))));
}
