// Finding texts through the find dialog: direction, letter case, whole words
// with accented letters, going on from the last match, the not-found
// message, the outline around the matched characters, and where the keyboard
// goes when the dialog closes.
#include "platform/widgets/radiogroup.h"
#include "support/operator.h"

#include "preview_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <vector>

using namespace prenso;
using namespace prenso::test;

namespace {

// Windows-1252: "AÇÃO CORRETIVA E REAÇÃO", "ação ações ação", "ÚLTIMA AÇÃO".
const PageTexts kPages = {
    {"VENDAS DO DIA", "A\xC7\xC3O CORRETIVA E REA\xC7\xC3O",
     "a\xE7\xE3o a\xE7\xF5"
     "es a\xE7\xE3o",
     "TOTAL GERAL"},
    {"NADA AQUI"},
    {"\xDALTIMA A\xC7\xC3O"},
};

struct Hit {
    int page, object, start; // page -1: the not-found message
};
constexpr Hit kNotFound{-1, -1, -1};

struct Search {
    const char *what;
    QString text;
    bool wholeWords, matchCase, upward;
    int startPage;
    std::vector<Hit> hits; // one press of the find-next button each
};

class FindTest : public PreviewWindowTest {
protected:
    TfrmRLFindDialog &Dialog()
    {
        form->OpenFindDialog();
        return *form->FindDialog();
    }
};

} // namespace

TEST_F(FindTest, FindNextWalksTheMatchesInTheChosenDirection)
{
    const QString acao = QStringLiteral("ação");
    const Search searches[] = {
        {"letter case ignored, continuing within a line and onto later pages",
         acao,
         false,
         false,
         false,
         0,
         {{0, 1, 0}, {0, 1, 19}, {0, 2, 0}, {0, 2, 11}, {2, 0, 7}, kNotFound}},
        {"whole words: not inside REAÇÃO nor AÇÕES",
         QStringLiteral("AÇÃO"),
         true,
         false,
         false,
         0,
         {{0, 1, 0}, {0, 2, 0}, {0, 2, 11}, {2, 0, 7}, kNotFound}},
        {"whole words: a word's beginning is no match", QStringLiteral("açõ"), true, false, false, 0, {kNotFound}},
        {"the same without whole words", QStringLiteral("açõ"), false, false, false, 0, {{0, 2, 5}}},
        {"matching case skips the capitals", acao, false, true, false, 0, {{0, 2, 0}, {0, 2, 11}, kNotFound}},
        {"upward from the last page",
         QStringLiteral("AÇÃO"),
         true,
         false,
         true,
         2,
         {{2, 0, 7}, {0, 2, 11}, {0, 2, 0}, {0, 1, 0}, kNotFound}},
        {"upward with nothing before the first object of the first page",
         QStringLiteral("vendas"),
         false,
         false,
         true,
         0,
         {{0, 0, 0}, kNotFound}},
        {"a text no page can hold", QStringLiteral("ação →"), false, false, false, 0, {kNotFound}},
    };
    for (const Search &s : searches) {
        SCOPED_TRACE(s.what);
        Open(kPages);
        Preview().SetPageIndex(s.startPage);
        messages.clear();
        TfrmRLFindDialog &dialog = Dialog();
        EXPECT_TRUE(dialog.isVisible());
        dialog.EditTextToFind->setText(s.text);
        dialog.CheckBoxWholeWords->setChecked(s.wholeWords);
        dialog.CheckBoxMatchCase->setChecked(s.matchCase);
        dialog.SetOptions(static_cast<TRLFindOptions>(dialog.Options() & 3) | (s.upward ? 4 : 0));
        for (size_t i = 0; i < s.hits.size(); ++i) {
            SCOPED_TRACE("press " + std::to_string(i + 1));
            const Hit &hit = s.hits[i];
            QTest::mouseClick(dialog.BitBtnFindNext, Qt::LeftButton);
            if (hit.page < 0) {
                EXPECT_EQ(messages, QStringList{QStringLiteral("Não encontrado")});
                continue;
            }
            EXPECT_TRUE(messages.isEmpty());
            const TRLFindPosition &found = Preview().LastFind();
            EXPECT_TRUE(found.Found);
            EXPECT_EQ(found.PageIndex, hit.page);
            EXPECT_EQ(found.ObjectIndex, hit.object);
            EXPECT_EQ(found.TextStart, hit.start);
            EXPECT_EQ(Preview().PageIndex(), hit.page) << "the match's page is shown";
        }
    }
}

// Closed with its own key or button, the dialog gives the keyboard back to
// the preview, where the keys typed next must go (on a display without a
// window manager they went to no window at all). Closed because the user
// went to another window, it leaves the keyboard there. After the not-found
// message, which takes the keyboard while it shows, the dialog has it again.
TEST_F(FindTest, WhereTheKeyboardGoesWhenTheDialogClosesOrItsMessageDoes)
{
    QWidget elsewhere; // another window of the program; the message box too
    enum class Goes { ToThePreview, ToTheDialog, Elsewhere };
    struct Case {
        const char *what;
        std::function<void(TfrmRLFindDialog &)> act;
        Goes goes;
    };
    const Case cases[] = {
        {"Escape", [](TfrmRLFindDialog &d) { keyThroughWindow(&d, Qt::Key_Escape); }, Goes::ToThePreview},
        {"the Cancel button", [](TfrmRLFindDialog &d) { clickThroughWindow(d.BitBtnCancel); }, Goes::ToThePreview},
        {"another window taken",
         [&](TfrmRLFindDialog &) {
             elsewhere.show();
             elsewhere.activateWindow();
         },
         Goes::Elsewhere},
        {"the not-found message answered",
         [&](TfrmRLFindDialog &d) {
             setMessageBoxHook([&](BoxKind, const QString &, const QString &text) {
                 messages << text;
                 elsewhere.show();
                 elsewhere.activateWindow();
                 EXPECT_TRUE(becomesActive(&elsewhere));
                 elsewhere.hide();
             });
             d.EditTextToFind->setText(QStringLiteral("nowhere to be found"));
             clickThroughWindow(d.BitBtnFindNext);
             EXPECT_EQ(messages, QStringList{QStringLiteral("Não encontrado")});
         },
         Goes::ToTheDialog},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Open(kPages);
        TfrmRLFindDialog &dialog = Dialog();
        ASSERT_TRUE(becomesActive(&dialog));
        c.act(dialog);
        QWidget *active = c.goes == Goes::ToThePreview  ? static_cast<QWidget *>(form.get())
                          : c.goes == Goes::ToTheDialog ? static_cast<QWidget *>(&dialog)
                                                        : &elsewhere;
        EXPECT_TRUE(becomesActive(active));
        EXPECT_EQ(dialog.isVisible(), c.goes == Goes::ToTheDialog);
        QTest::qWait(20); // nothing takes the keyboard away again
        EXPECT_EQ(QApplication::activeWindow(), active);
        elsewhere.hide();
    }
}

TEST_F(FindTest, DialogTextsAndOptions)
{
    Open(kPages);
    TfrmRLFindDialog &dialog = Dialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Procurar"));
    EXPECT_EQ(dialog.LabelTextToFind->text(), QStringLiteral("Te&xto:"));
    EXPECT_EQ(dialog.RadioGroupDirection->title(), QStringLiteral(" Direção "));
    EXPECT_EQ(dialog.Options(), 0) << "downward, no options";
    EXPECT_EQ(dialog.focusWidget(), dialog.EditTextToFind);
    for (TRLFindOptions options = 0; options < 8; ++options) {
        dialog.SetOptions(options);
        EXPECT_EQ(dialog.Options(), options);
    }
    QTest::mouseClick(dialog.BitBtnCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

// The outline goes round the matched characters only, measured in the page's
// font at the zoom: five characters of an 8-pixel fixed-pitch font at 100 %.
TEST_F(FindTest, OutlineSurroundsTheMatchedCharacters)
{
    struct Case {
        double zoom;
    };
    const Case cases[] = {{100}, {200}, {50}};
    std::vector<std::string> lines(60, "filler line");
    lines.push_back("ITEM 3      TOTAL GERAL       99,00");
    for (const Case &c : cases) {
        SCOPED_TRACE("zoom " + std::to_string(c.zoom));
        Open({lines});
        Preview().SetZoomFactor(c.zoom);
        ASSERT_TRUE(Preview().FindText(QStringLiteral("total"), false, false, false));
        TRLPreviewBox *box = Preview().Boxes(0);
        const QRect outline = box->FoundTextRect();
        const double scale = c.zoom / 100;
        const double advance = 8 * scale; // Courier New 10 pt at 96 pixels per inch
        EXPECT_NEAR(outline.width(), 5 * advance, 1 + 5 * scale);
        // Half a space in from the line's origin, then the 12 characters before it.
        EXPECT_NEAR(outline.left() - box->PageArea().left(), (kLineLeft + advance / scale / 2 + 12 * 8) * scale,
                    2 + 2 * scale);
        // The line is near the foot of the page: the view scrolled to it.
        const QRect inView = outline.translated(box->pos());
        EXPECT_GE(inView.top(), 0);
        EXPECT_LE(inView.bottom(), Preview().viewport()->height());

        // Drawn inverting what is under it: black over the white paper.
        const QImage image = box->grab().toImage();
        EXPECT_EQ(image.pixelColor(outline.left() - 3, outline.center().y()), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(outline.center().x(), outline.bottom() + 3), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(outline.left() - 6, outline.center().y()), QColor(Qt::white));
    }
}

TEST_F(FindTest, ScreenshotOfAFoundText)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i) {
        std::string line = std::to_string(4000 + i);
        line.append("  CLIENTE JOS\xC9 DA CONCEI\xC7\xC3O   PARCELA ").append(std::to_string(i % 12 + 1));
        line.append("/12   R$ ").append(std::to_string(100 + i * 13)).append(",00");
        lines.push_back(std::move(line));
    }
    lines.push_back("TOTAL DA P\xC1GINA   R$ 9.876,00");
    Open({lines, lines}, QSize(1000, 720));
    Preview().SetZoomFactor(150);
    TfrmRLFindDialog &dialog = Dialog();
    dialog.EditTextToFind->setText(QStringLiteral("PÁGINA"));
    dialog.CheckBoxWholeWords->setChecked(true);
    QTest::mouseClick(dialog.BitBtnFindNext, Qt::LeftButton);
    ASSERT_TRUE(Preview().LastFind().Found);
    dialog.close();
    EXPECT_TRUE(form->grab().save(ScreenshotPath(QStringLiteral("preview_found.png"))));
}
