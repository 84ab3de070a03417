// Both dialogs in Portuguese and in English: every text shows whole and runs
// into no other control, and no control reaches out of its box. The windows
// are written to screenshots/ in the build folder for a look by eye.
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/windows/RLPrintDialog.h"
#include "report/windows/RLSaveDialog.h"

#include "dialog_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace prenso;

namespace {

using DialogLook = test::DialogTest;

bool isText(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) || qobject_cast<const QRadioButton *>(w) ||
           qobject_cast<const QCheckBox *>(w);
}

// Where a control puts ink: a text no wider than it needs (on the side it is
// aligned to), any other control all over.
QRect inkOf(const QWidget *w)
{
    QRect ink = w->geometry();
    const auto *label = qobject_cast<const QLabel *>(w);
    if (!isText(w) || (label && label->wordWrap()))
        return ink;
    const int used = std::min(ink.width(), w->sizeHint().width());
    if (label && label->alignment() & Qt::AlignRight)
        ink.setLeft(ink.right() + 1 - used);
    else
        ink.setWidth(used);
    return ink;
}

void expectTidy(QWidget &window, const QString &screenshot)
{
    QList<const QWidget *> controls;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (w->isVisible() && !w->isWindow() && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
            controls << w;
    }
    for (const QWidget *w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
        if (!isText(w))
            continue;
        const auto *label = qobject_cast<const QLabel *>(w);
        if (label && label->wordWrap()) {
            EXPECT_GE(w->height(), w->heightForWidth(w->width())) << "text cut";
        } else {
            EXPECT_GE(w->width(), w->sizeHint().width()) << "text cut";
        }
        for (const QWidget *other : controls) {
            const bool apart = other == w || other->parentWidget() != w->parentWidget();
            EXPECT_TRUE(apart || !inkOf(w).intersects(inkOf(other))) << other->objectName().toStdString();
        }
    }
    QDir().mkpath(PRENSO_BINARY_DIR "/screenshots");
    EXPECT_TRUE(window.grab().save(PRENSO_BINARY_DIR "/screenshots/" + screenshot + ".png"));
}

// Looked at while the dialogs wait for the operator, as the operator sees them.
TEST_F(DialogLook, TextsFitAndNothingOverlaps)
{
    for (const auto &[language, tag] : {std::pair{TRLLanguage::Portuguese, "pt"}, {TRLLanguage::English, "en"}}) {
        SCOPED_TRACE(tag);
        const QString suffix = QString::fromLatin1(tag);
        SetActiveLocaleForTesting(language);
        TRLDraftFilter draft; // chosen, so that its forms show too
        draft.SetName("RLDraftFilter1");
        SetSelectedFilter(&draft);
        TRLPrintDialog print;
        print.SetMaxPage(12);
        EXPECT_FALSE(
            execute(print, print.ButtonCancel, [&] { expectTidy(print, QStringLiteral("print_dialog_") + suffix); }));

        TRLPDFFilter pdf;
        SetSelectedFilter(&pdf);
        TRLSaveDialog save;
        save.SetFileName("relatorio");
        EXPECT_FALSE(
            execute(save, save.ButtonCancel, [&] { expectTidy(save, QStringLiteral("save_dialog_") + suffix); }));
    }
}

} // namespace
