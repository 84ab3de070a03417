#include "report/windows/RLFindDialog.h"

#include "platform/system/messagebox.h"
#include "platform/widgets/radiogroup.h"
#include "report/RLConsts.h"
#include "report/windows/RLDialogUtils.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace prenso {

TfrmRLFindDialog::TfrmRLFindDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmRLFindDialog"));
    setModal(false);

    LabelTextToFind = new QLabel(QStringLiteral("Te&xto:"), this);
    LabelTextToFind->setObjectName(QStringLiteral("LabelTextToFind"));
    EditTextToFind = new QLineEdit(this);
    EditTextToFind->setObjectName(QStringLiteral("EditTextToFind"));
    EditTextToFind->setMinimumWidth(220);
    LabelTextToFind->setBuddy(EditTextToFind);
    BitBtnFindNext = new QPushButton(QStringLiteral("&Próxima"), this);
    BitBtnFindNext->setObjectName(QStringLiteral("BitBtnFindNext"));
    BitBtnFindNext->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    CheckBoxWholeWords = new QCheckBox(QStringLiteral("Palavras &inteiras"), this);
    CheckBoxWholeWords->setObjectName(QStringLiteral("CheckBoxWholeWords"));
    CheckBoxMatchCase = new QCheckBox(QStringLiteral("Diferenciar &maiúsculas e minúsculas"), this);
    CheckBoxMatchCase->setObjectName(QStringLiteral("CheckBoxMatchCase"));
    RadioGroupDirection = new TRadioGroup(QStringLiteral(" Direção "), this);
    RadioGroupDirection->setObjectName(QStringLiteral("RadioGroupDirection"));

    // Relabelled from the engine's texts in the user's language.
    const TRLLocaleStrings &ls = LS();
    setWindowTitle(ls.LS_FindCaptionStr);
    LabelTextToFind->setText(ls.LS_TextToFindStr + u':');
    BitBtnFindNext->setText(ls.LS_FindNextStr);
    BitBtnCancel->setText(ls.LS_CancelStr);
    CheckBoxWholeWords->setText(ls.LS_WholeWordsStr);
    CheckBoxMatchCase->setText(ls.LS_MatchCaseStr);
    RadioGroupDirection->setTitle(u' ' + ls.LS_DirectionCaptionStr + u' ');
    RadioGroupDirection->AddItem(ls.LS_DirectionUpStr);
    RadioGroupDirection->AddItem(ls.LS_DirectionDownStr);
    RadioGroupDirection->SetItemIndex(1);
    RadioGroupDirection->setMinimumSize(110, 64);

    auto *grid = new QGridLayout(this);
    grid->addWidget(LabelTextToFind, 0, 0);
    grid->addWidget(EditTextToFind, 0, 1, 1, 2);
    auto *checks = new QVBoxLayout;
    checks->addWidget(CheckBoxWholeWords);
    checks->addWidget(CheckBoxMatchCase);
    checks->addStretch();
    grid->addLayout(checks, 1, 0, 1, 2);
    grid->addWidget(RadioGroupDirection, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(BitBtnFindNext);
    buttons->addWidget(BitBtnCancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtnFindNext, &QPushButton::clicked, this, [this] { BitBtnFindNextClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::close);
}

QString TfrmRLFindDialog::Text() const
{
    return EditTextToFind->text();
}

TRLFindOptions TfrmRLFindDialog::Options() const
{
    TRLFindOptions options = 0;
    if (CheckBoxWholeWords->isChecked())
        options |= static_cast<TRLFindOptions>(TRLFindOption::foWholeWords);
    if (CheckBoxMatchCase->isChecked())
        options |= static_cast<TRLFindOptions>(TRLFindOption::foMatchCase);
    if (RadioGroupDirection->ItemIndex() == 0)
        options |= static_cast<TRLFindOptions>(TRLFindOption::foFindUp);
    return options;
}

void TfrmRLFindDialog::SetOptions(TRLFindOptions options)
{
    CheckBoxWholeWords->setChecked(HasFindOption(options, TRLFindOption::foWholeWords));
    CheckBoxMatchCase->setChecked(HasFindOption(options, TRLFindOption::foMatchCase));
    RadioGroupDirection->SetItemIndex(HasFindOption(options, TRLFindOption::foFindUp) ? 0 : 1);
}

void TfrmRLFindDialog::Open()
{
    if (!isVisible()) {
        adjustSize();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    show();
    raise();
    activateWindow();
    EditTextToFind->setFocus();
    EditTextToFind->selectAll();
}

void TfrmRLFindDialog::BitBtnFindNextClick()
{
    if (!OnFind || OnFind(Text(), Options()))
        return;
    // The message box takes the focus for a moment; that must not close
    // the dialog as leaving it for another window does.
    FShowingMessage = true;
    showPlainMessage(LS().LS_NotFoundStr);
    FShowingMessage = false;
    // The box has no owner to give the keyboard back to (see
    // hideGivingBackTheKeyboard); the search goes on from here.
    activateWindow();
}

void TfrmRLFindDialog::setVisible(bool visible)
{
    if (visible)
        QDialog::setVisible(true);
    else
        dialogs::hideGivingBackTheKeyboard(this, [this] { QDialog::setVisible(false); });
}

void TfrmRLFindDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() && !FShowingMessage)
        close();
}

} // namespace prenso
