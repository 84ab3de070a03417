// The save dialog, driven as the operator drives it: the formats offered,
// the extension each gives a file name, the pages and the name chosen.
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/windows/RLSaveDialog.h"

#include "dialog_fixture.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace prenso;

namespace {

using SaveDialog = test::DialogTest;

// A save filter without a label whose extension comes without the point.
class BareSaveFilter : public TRLCustomSaveFilter {
public:
    BareSaveFilter() { SetDefaultExt(QStringLiteral("xls")); }
    ~BareSaveFilter() override { BeginDestroy(); }

protected:
    void InternalBeginDoc() override {}
    void InternalEndDoc() override {}
    void InternalNewPage() override {}
    void InternalDrawPage(TRLGraphicPage *) override {}
};

// Each format gives a file name its extension, and the lookup button asks
// the platform's file dialog for a name of that format, starting at the name
// typed so far.
TEST_F(SaveDialog, FormatsAndTheirExtensions)
{
    test::TempDir dir;
    TRLPDFFilter pdf;
    BareSaveFilter bare;
    TRLDraftFilter draft; // a print filter: never a format to save in
    draft.SetName(QStringLiteral("RLDraftFilter1"));
    struct Case {
        TRLCustomFilter *selected;
        int choose; // -1: the entry shown at the start is kept
        int shown;
        QString lookup, name, withExt;
        TRLCustomFilter *chosen;
    };
    const QString own = "QuortaReport (Open Source) (*.qrf)", pdfs = "Documento PDF (*.pdf)";
    const std::vector<Case> cases = {
        {nullptr, -1, 0, own, "relatorio", "relatorio.qrf", nullptr},
        {&draft, -1, 0, own, "relatorio.pdf", "relatorio.qrf", nullptr},
        {&pdf, -1, 1, pdfs, "relatorio", "relatorio.pdf", &pdf},
        {&pdf, -1, 1, pdfs, "pasta.v2/relatorio.txt", "pasta.v2/relatorio.pdf", &pdf},
        {nullptr, 2, 0, "(*.xls)", "relatorio", "relatorio.xls", &bare}, // no label, extension without the point
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.withExt.toStdString());
        SetSelectedFilter(c.selected);
        TRLSaveDialog dialog;
        dialog.SetFileName(dir.file("relatorio"));
        QComboBox *list = dialog.ComboBoxFilters;
        QFileDialog *files = dialog.SaveDialog;
        const QString ext = c.withExt.section('.', -1);
        ASSERT_TRUE(execute(dialog, dialog.ButtonSave, [&] {
            EXPECT_EQ(items(list), (QStringList{"Padrão", "Documento PDF", ""}));
            EXPECT_EQ(list->currentIndex(), c.shown);
            EXPECT_EQ(dialog.focusWidget(), list);
            // Page Down opens the list and leaves the choice as it was.
            QTest::keyClick(list, Qt::Key_PageDown);
            EXPECT_TRUE(list->view()->isVisible());
            EXPECT_EQ(list->currentIndex(), c.shown);
            list->hidePopup();
            if (c.choose >= 0)
                choose(list, c.choose);
            QTimer::singleShot(0, files, [&] {
                EXPECT_EQ(files->nameFilters(), QStringList(c.lookup));
                EXPECT_EQ(files->selectedFiles(), QStringList(dir.file("relatorio." + ext)));
                files->selectFile(dir.file("novo"));
                static_cast<QDialog *>(files)->accept();
            });
            QTest::mouseClick(dialog.SpeedButtonLookup, Qt::LeftButton);
        }));
        EXPECT_EQ(dialog.FileName(), dir.file("novo." + ext));
        EXPECT_EQ(SelectedFilter(), c.chosen);
        QString name = c.name;
        dialog.ApplyExt(name);
        EXPECT_EQ(name, c.withExt);
    }
}

TEST_F(SaveDialog, PagesAndName)
{
    struct Case {
        bool ok;
        std::function<void(TRLSaveDialog &)> acts;
        TRLSaveRange range;
        int from, to;
        QString fileName;
    };
    using enum TRLSaveRange;
    const std::vector<Case> cases = {
        {true, [](TRLSaveDialog &) {}, rprAllPages, 1, 12, "relatorio"},
        {true,
         [](TRLSaveDialog &d) {
             type(d.EditFromPage, "2");
             type(d.EditToPage, "5");
             type(d.EditFileName, "/tmp/novo");
         },
         rprPageNums, 2, 5, "/tmp/novo"},
        {true, [](TRLSaveDialog &d) { type(d.EditFromPage, "x"); }, rprPageNums, 0, 12, "relatorio"},
        {false, [](TRLSaveDialog &d) { type(d.EditFileName, "outro"); }, rprAllPages, 1, 12, "relatorio"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case &c = cases[i];
        TRLSaveDialog dialog;
        dialog.SetMaxPage(12);
        dialog.SetFileName("relatorio");
        EXPECT_EQ(execute(dialog, c.ok ? dialog.ButtonSave : dialog.ButtonCancel,
                          [&] {
                              // The selection can never be chosen, not even by a click.
                              QTest::mouseClick(dialog.RadioButtonPagesSelect, Qt::LeftButton, {}, QPoint(6, 8));
                              EXPECT_FALSE(dialog.RadioButtonPagesSelect->isEnabled() ||
                                           dialog.RadioButtonPagesSelect->isChecked());
                              c.acts(dialog);
                          }),
                  c.ok);
        EXPECT_EQ(dialog.SaveRange(), c.range);
        EXPECT_EQ(dialog.FromPage(), c.from);
        EXPECT_EQ(dialog.ToPage(), c.to);
        EXPECT_EQ(dialog.FileName(), c.fileName);
    }
}

} // namespace
