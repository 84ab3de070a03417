#include "report/windows/RLPreviewForm.h"

#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "platform/system/session.h"
#include "report/RLConsts.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLFindDialog.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewGlyphs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#ifndef PRENSO_VERSION
#error "PRENSO_VERSION is set by the build from the project version"
#endif

namespace prenso {
namespace {

using glyphs::Glyph;
using glyphs::glyphIcon;

constexpr int kRepeatIntervalMs = 100;
constexpr int kRepeatDelayMs = 500;
constexpr int kSplitterWidth = 3;
// The window codes of the preview options.
constexpr int kWindowStateMinimized = 1;
constexpr int kWindowStateMaximized = 2;
constexpr int kPositionScreenCenter = 0;
constexpr int kBorderIconSystemMenu = 1;
constexpr int kBorderIconMinimize = 2;
constexpr int kBorderIconMaximize = 4;
constexpr int kBorderIconHelp = 8;
constexpr int kFormStyleNormal = 0;

// The preview windows of the session that are open.
struct OpenPreviewForms {
    std::vector<TRLPreviewForm *> forms;
};

std::vector<TRLPreviewForm *> &openForms()
{
    return Session::current().part<OpenPreviewForms>().forms;
}

// A toolbar button with its picture and, when given, its caption beside it.
QToolButton *toolButton(QWidget *parent, const char *name, Glyph glyph, const QString &caption = {})
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(glyphIcon(glyph));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    // Buttons never take the focus, so keys keep reaching the page.
    b->setFocusPolicy(Qt::NoFocus);
    if (!caption.isEmpty()) {
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

QFrame *makeBevel(QWidget *parent, const char *name)
{
    auto *bevel = new QFrame(parent);
    bevel->setObjectName(QLatin1String(name));
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

// Every captioned button gets an accelerator: the first character of its
// caption whose upper case is a letter A-Z or a digit that no earlier button
// took.
void addAccelerators(const std::vector<QToolButton *> &buttons)
{
    QString taken;
    for (QToolButton *button : buttons) {
        const QString caption = button->text();
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar upper = caption[i].toUpper();
            const bool eligible = (upper >= u'A' && upper <= u'Z') || (upper >= u'0' && upper <= u'9');
            if (!eligible || taken.contains(upper))
                continue;
            taken += upper;
            button->setText(caption.left(i) + u'&' + caption.mid(i));
            break;
        }
    }
}

} // namespace

TRLPreviewActions &PreviewActions()
{
    return Session::current().part<TRLPreviewActions>();
}

TRLPreviewDefaults &PreviewDefaults()
{
    return Session::current().part<TRLPreviewDefaults>();
}

const TRLPreviewOptions &ChosenPreviewOptions(const TRLPreviewOptions &reportOptions)
{
    return reportOptions.Defaults == TRLPreviewOptionsDefaults::pdIgnoreDefaults ? reportOptions
                                                                                 : PreviewDefaults().Options;
}

bool PreviewPages(TRLGraphicStorage &pages, const TRLPreviewOptions &options, bool modal)
{
    const TRLPreviewOptions chosen = ChosenPreviewOptions(options);
    auto *form = new TRLPreviewForm;
    form->Preview()->SetPages(&pages);
    form->ApplyZoom(PreviewDefaults().Zoom);
    form->ShowZoom();
    form->ApplyOptions(chosen);
    if (modal) {
        if (dialogsAutomatic()) {
            // Nobody is there to close it: shown, then closed as if at once.
            form->show();
            QCoreApplication::processEvents();
            form->close();
        } else {
            form->exec();
        }
        const bool printed = form->Printed();
        delete form;
        return printed;
    }
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    form->raise();
    form->activateWindow();
    return false;
}

void ClosePreview(TRLGraphicStorage &pages)
{
    const std::vector<TRLPreviewForm *> forms = openForms();
    for (TRLPreviewForm *form : forms) {
        const auto &previews = form->Previews();
        if (std::any_of(previews.begin(), previews.end(), [&](TRLPreview *p) { return p->Pages() == &pages; }))
            form->close();
    }
}

TRLPreviewForm::TRLPreviewForm(QWidget *parent) : QDialog(parent)
{
    openForms().push_back(this);
    setObjectName(QStringLiteral("RLPreviewForm"));
    setWindowTitle(QStringLiteral("Pré-visualização"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(815, 375);
    setSizeGripEnabled(false);

    BuildToolbar();
    PanelContainer = new QWidget(this);
    PanelContainer->setObjectName(QStringLiteral("PanelContainer"));
    FSplitter = new QSplitter(Qt::Vertical, PanelContainer);
    FSplitter->setHandleWidth(kSplitterWidth);
    FSplitter->setChildrenCollapsible(false);
    auto *containerLayout = new QVBoxLayout(PanelContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    containerLayout->addWidget(FSplitter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PanelTools);
    layout->addWidget(PanelContainer, 1);

    AddPreview();
    Relabel();
    SetPrintAction(PreviewActions().Print);
    SetSaveAction(PreviewActions().Save);
    // The window sees keys before its controls do.
    qApp->installEventFilter(this);
}

TRLPreviewForm::~TRLPreviewForm()
{
    qApp->removeEventFilter(this);
    // Hiding the window later takes the focus from its fields, which must
    // not reach a window that is half destroyed.
    for (QObject *child : findChildren<QObject *>())
        QObject::disconnect(child, nullptr, this, nullptr);
    auto &forms = openForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    for (TRLPreview *preview : FPreviewList)
        preview->OnChangeView = nullptr;
}

const std::vector<TRLPreviewForm *> &TRLPreviewForm::OpenForms()
{
    return openForms();
}

void TRLPreviewForm::BuildToolbar()
{
    PanelTools = new QWidget(this);
    PanelTools->setObjectName(QStringLiteral("PanelTools"));
    auto *bar = new QHBoxLayout(PanelTools);
    bar->setContentsMargins(4, 3, 4, 3);
    bar->setSpacing(2);

    BuildButtons();
    BuildPagePanel();
    BuildZoomPanel();
    BuildAboutPanel();
    for (QWidget *w : std::initializer_list<QWidget *>{
             SpeedButtonPrint, SpeedButtonSave, SpeedButtonSend, Bevel1, SpeedButtonFirst, SpeedButtonPrior, PanelPages,
             SpeedButtonNext, SpeedButtonLast, Bevel3, SpeedButtonZoomDown, PanelZoom, SpeedButtonZoomUp, Bevel4,
             SpeedButtonViews, SpeedButtonEdit, Bevel5, SpeedButtonClose, Bevel6})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(PanelAbout);

    TimerRepeat = new QTimer(this);
    TimerRepeat->setObjectName(QStringLiteral("TimerRepeat"));
    TimerRepeat->setInterval(kRepeatIntervalMs);

    ConnectButtons();
    ConnectZoomBox();
    ConnectPageField();
}

void TRLPreviewForm::BuildButtons()
{
    SpeedButtonPrint = toolButton(PanelTools, "SpeedButtonPrint", Glyph::Print, QStringLiteral("Imprimir"));
    SpeedButtonFirst = toolButton(PanelTools, "SpeedButtonFirst", Glyph::First);
    SpeedButtonPrior = toolButton(PanelTools, "SpeedButtonPrior", Glyph::Prior);
    SpeedButtonNext = toolButton(PanelTools, "SpeedButtonNext", Glyph::Next);
    SpeedButtonLast = toolButton(PanelTools, "SpeedButtonLast", Glyph::Last);
    SpeedButtonZoomDown = toolButton(PanelTools, "SpeedButtonZoomDown", Glyph::ZoomDown);
    SpeedButtonZoomUp = toolButton(PanelTools, "SpeedButtonZoomUp", Glyph::ZoomUp);
    SpeedButtonClose = toolButton(PanelTools, "SpeedButtonClose", Glyph::Close, QStringLiteral("Fechar"));
    SpeedButtonSave = toolButton(PanelTools, "SpeedButtonSave", Glyph::Save, QStringLiteral("Salvar"));
    SpeedButtonViews = toolButton(PanelTools, "SpeedButtonViews", Glyph::Views);
    SpeedButtonEdit = toolButton(PanelTools, "SpeedButtonEdit", Glyph::Edit);
    SpeedButtonEdit->setCheckable(true);
    SpeedButtonSend = toolButton(PanelTools, "SpeedButtonSend", Glyph::Send, QStringLiteral("Enviar"));
    // Sending is given to handlers that this program never sets: a button
    // that can never work is left out rather than shown greyed.
    SpeedButtonSend->setEnabled(false);
    SpeedButtonSend->setVisible(false);
    Bevel1 = makeBevel(PanelTools, "Bevel1");
    Bevel3 = makeBevel(PanelTools, "Bevel3");
    Bevel4 = makeBevel(PanelTools, "Bevel4");
    Bevel5 = makeBevel(PanelTools, "Bevel5");
    Bevel6 = makeBevel(PanelTools, "Bevel6");
}

void TRLPreviewForm::BuildPagePanel()
{
    PanelPages = new QWidget(PanelTools);
    PanelPages->setObjectName(QStringLiteral("PanelPages"));
    LabelPage = new QLabel(QStringLiteral("Página"), PanelPages);
    LabelPage->setObjectName(QStringLiteral("LabelPage"));
    EditPageNo = new QLineEdit(PanelPages);
    EditPageNo->setObjectName(QStringLiteral("EditPageNo"));
    EditPageNo->setFixedWidth(48);
    EditPageNo->setAlignment(Qt::AlignRight);
    LabelOf = new QLabel(QStringLiteral("de"), PanelPages);
    LabelOf->setObjectName(QStringLiteral("LabelOf"));
    PanelPageCount = new QLabel(QStringLiteral("99999"), PanelPages);
    PanelPageCount->setObjectName(QStringLiteral("PanelPageCount"));
    PanelPageCount->setFrameShape(QFrame::StyledPanel);
    PanelPageCount->setFrameShadow(QFrame::Sunken);
    PanelPageCount->setMinimumWidth(48);
    PanelPageCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *pages = new QHBoxLayout(PanelPages);
    pages->setContentsMargins(4, 0, 4, 0);
    for (QWidget *w : {static_cast<QWidget *>(LabelPage), static_cast<QWidget *>(EditPageNo),
                       static_cast<QWidget *>(LabelOf), static_cast<QWidget *>(PanelPageCount)})
        pages->addWidget(w);
}

void TRLPreviewForm::BuildAboutPanel()
{
    PanelAbout = new QWidget(PanelTools);
    PanelAbout->setObjectName(QStringLiteral("PanelAbout"));
    SpeedButtonAbout = toolButton(PanelTools, "SpeedButtonAbout", Glyph::About);
    SpeedButtonAbout->setParent(PanelAbout);
    SpeedButtonAbout->setToolTip(QStringLiteral("Prenso " PRENSO_VERSION));
    auto *about = new QHBoxLayout(PanelAbout);
    about->setContentsMargins(0, 0, 0, 0);
    about->addWidget(SpeedButtonAbout);
}

void TRLPreviewForm::ConnectButtons()
{
    connect(SpeedButtonPrint, &QToolButton::clicked, this, [this] { SpeedButtonPrintClick(); });
    connect(SpeedButtonSave, &QToolButton::clicked, this, [this] { SpeedButtonSaveClick(); });
    connect(SpeedButtonFirst, &QToolButton::clicked, this, [this] { Preview()->FirstPage(); });
    connect(SpeedButtonLast, &QToolButton::clicked, this, [this] { Preview()->LastPage(); });
    // Prior and next act on the press and repeat while the button is held.
    connect(SpeedButtonPrior, &QToolButton::pressed, this, [this] { StartRepeat(-1); });
    connect(SpeedButtonNext, &QToolButton::pressed, this, [this] { StartRepeat(+1); });
    connect(SpeedButtonPrior, &QToolButton::released, TimerRepeat, &QTimer::stop);
    connect(SpeedButtonNext, &QToolButton::released, TimerRepeat, &QTimer::stop);
    connect(TimerRepeat, &QTimer::timeout, this, [this] { TimerRepeatTimer(); });
    connect(SpeedButtonZoomDown, &QToolButton::clicked, this, [this] { SpeedButtonZoomDownClick(); });
    connect(SpeedButtonZoomUp, &QToolButton::clicked, this, [this] { SpeedButtonZoomUpClick(); });
    connect(SpeedButtonViews, &QToolButton::clicked, this, [this] { SpeedButtonViewsClick(); });
    connect(SpeedButtonEdit, &QToolButton::clicked, this, [this] { SpeedButtonEditClick(); });
    connect(SpeedButtonClose, &QToolButton::clicked, this, &QDialog::close);
}

// The page field acts at every change of its text, as the zoom box does
// (see ConnectZoomBox), and shows the page in force again once the editing
// ends.
void TRLPreviewForm::ConnectPageField()
{
    connect(EditPageNo, &QLineEdit::textEdited, this, [this] {
        FEditingPageNo = true;
        EditPageNoChange();
    });
    connect(EditPageNo, &QLineEdit::editingFinished, this, [this] {
        FEditingPageNo = false;
        EditPageNo->setText(QString::number(Preview()->PageNumber()));
    });
}

void TRLPreviewForm::Relabel()
{
    const TRLLocaleStrings &ls = LS();
    setWindowTitle(ls.LS_PreviewStr);
    SpeedButtonPrint->setText(ls.LS_PrintStr);
    SpeedButtonPrint->setToolTip(ls.LS_PrintStr);
    SpeedButtonFirst->setToolTip(ls.LS_FirstPageStr);
    SpeedButtonPrior->setToolTip(ls.LS_PriorPageStr);
    SpeedButtonNext->setToolTip(ls.LS_NextPageStr);
    SpeedButtonLast->setToolTip(ls.LS_LastPageStr);
    SpeedButtonZoomDown->setToolTip(ls.LS_ZoomOutStr);
    SpeedButtonZoomUp->setToolTip(ls.LS_ZoomInStr);
    SpeedButtonViews->setToolTip(ls.LS_DivideScreenStr);
    SpeedButtonSave->setText(ls.LS_SaveStr);
    SpeedButtonSave->setToolTip(ls.LS_SaveToFileStr);
    SpeedButtonEdit->setToolTip(ls.LS_EditStr);
    SpeedButtonSend->setText(ls.LS_SendStr);
    SpeedButtonSend->setToolTip(ls.LS_SendToStr);
    SpeedButtonClose->setText(ls.LS_CloseStr);
    SpeedButtonClose->setToolTip(ls.LS_CloseStr);
    LabelPage->setText(ls.LS_PageStr);
    LabelOf->setText(ls.LS_OfStr);
    PanelPageCount->setText(QStringLiteral("0"));
    RelabelZoomBox(ls);
    addAccelerators({SpeedButtonPrint, SpeedButtonFirst, SpeedButtonPrior, SpeedButtonNext, SpeedButtonLast,
                     SpeedButtonZoomDown, SpeedButtonZoomUp, SpeedButtonClose, SpeedButtonSave, SpeedButtonViews,
                     SpeedButtonEdit, SpeedButtonSend});
}

TRLPreview *TRLPreviewForm::AddPreview()
{
    auto *preview = new TRLPreview(FSplitter);
    preview->setObjectName(QStringLiteral("Preview%1").arg(FPreviewList.size() + 1));
    if (!FPreviewList.empty()) {
        const TRLPreview *first = FPreviewList.front();
        preview->SetPages(first->Pages());
        preview->SetMultipleMode(first->MultipleMode());
        preview->SetZoomFactor(first->ZoomFactor());
        preview->SetPageIndex(first->PageIndex());
    }
    preview->OnChangeView = [this](TRLPreview &p) { PreviewChangeView(p); };
    FSplitter->addWidget(preview);
    FPreviewList.push_back(preview);
    // Stacked with equal heights.
    const int count = static_cast<int>(FPreviewList.size());
    FSplitter->setSizes(QList<int>(count, std::max(1, FSplitter->height() / count)));
    return preview;
}

void TRLPreviewForm::SetActivePreview(TRLPreview *preview)
{
    const auto it = std::find(FPreviewList.begin(), FPreviewList.end(), preview);
    if (it == FPreviewList.end())
        return;
    FPreviewIndex = static_cast<int>(it - FPreviewList.begin());
    SpeedButtonEdit->setChecked(preview->Editing());
    PreviewChangeView(*preview);
}

void TRLPreviewForm::PreviewChangeView(TRLPreview &preview)
{
    if (&preview != Preview())
        return;
    // A fitting zoom follows the window's size until the user picks another.
    if (FFitCode != 0) {
        if (preview.ZoomFactor() == FFitZoom)
            ApplyZoom(FFitCode);
        else
            FFitCode = 0;
    }
    PanelPageCount->setText(QString::number(preview.PageCount()));
    if (!FEditingPageNo)
        EditPageNo->setText(QString::number(preview.PageNumber()));
    ShowZoom();
}

void TRLPreviewForm::ApplyOptions(const TRLPreviewOptions &options)
{
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (options.BorderIcons & kBorderIconSystemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (options.BorderIcons & kBorderIconMinimize)
        flags |= Qt::WindowMinimizeButtonHint;
    if (options.BorderIcons & kBorderIconMaximize)
        flags |= Qt::WindowMaximizeButtonHint;
    if (options.BorderIcons & kBorderIconHelp)
        flags |= Qt::WindowContextHelpButtonHint;
    if (options.FormStyle != kFormStyleNormal)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    if (options.Position == kPositionScreenCenter)
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    if (options.WindowState == kWindowStateMaximized)
        setWindowState(Qt::WindowMaximized);
    else if (options.WindowState == kWindowStateMinimized)
        setWindowState(Qt::WindowMinimized);
    else
        setWindowState(Qt::WindowNoState);
    if (!options.Caption.isEmpty())
        setWindowTitle(options.Caption);
}

void TRLPreviewForm::SetPrintAction(TRLPreviewAction action)
{
    FPrintAction = std::move(action);
    SpeedButtonPrint->setEnabled(static_cast<bool>(FPrintAction));
}

void TRLPreviewForm::SetSaveAction(TRLPreviewAction action)
{
    FSaveAction = std::move(action);
    SpeedButtonSave->setEnabled(static_cast<bool>(FSaveAction));
}

void TRLPreviewForm::RunAction(const TRLPreviewAction &action)
{
    if (!action)
        return;
    const QPointer<QWidget> focused = focusWidget();
    // An error leaves the action as it leaves any command of the window:
    // shown in a box, with the window still open.
    std::optional<QString> error;
    try {
        action(*this);
    } catch (const SilentAbort &) {
    } catch (const Exception &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (focused)
        focused->setFocus();
    else
        EditPageNo->setFocus();
    if (error) {
        showErrorBox(*error);
        // The box has no owner to give the keyboard back to (see
        // hideGivingBackTheKeyboard): the window takes it back itself.
        activateWindow();
    }
}

void TRLPreviewForm::SpeedButtonPrintClick()
{
    RunAction(FPrintAction);
}

void TRLPreviewForm::SpeedButtonSaveClick()
{
    RunAction(FSaveAction);
}

void TRLPreviewForm::SpeedButtonViewsClick()
{
    if (FPreviewList.size() == 1) {
        AddPreview();
        return;
    }
    TRLPreview *last = FPreviewList.back();
    FPreviewList.pop_back();
    last->OnChangeView = nullptr;
    if (FPreviewIndex >= static_cast<int>(FPreviewList.size()))
        SetActivePreview(FPreviewList.front());
    delete last;
}

void TRLPreviewForm::SpeedButtonEditClick()
{
    Preview()->SetEditing(SpeedButtonEdit->isChecked());
}

void TRLPreviewForm::EditPageNoChange()
{
    bool ok = false;
    const int number = EditPageNo->text().trimmed().toInt(&ok);
    if (ok)
        Preview()->SetPageIndex(number - 1);
}

void TRLPreviewForm::StartRepeat(int direction)
{
    FRepeatDirection = direction;
    FRepeatClock.start();
    StepRepeat();
    TimerRepeat->start();
}

void TRLPreviewForm::StepRepeat()
{
    if (FRepeatDirection < 0)
        Preview()->PriorPage();
    else
        Preview()->NextPage();
}

void TRLPreviewForm::TimerRepeatTimer()
{
    if (FRepeatClock.elapsed() > kRepeatDelayMs)
        StepRepeat();
}

TfrmRLFindDialog *TRLPreviewForm::FindDialog()
{
    if (!FFindDialog) {
        FFindDialog = new TfrmRLFindDialog(this);
        FFindDialog->OnFind = [this](const QString &text, TRLFindOptions options) {
            return Preview()->FindText(text, HasFindOption(options, TRLFindOption::foWholeWords),
                                       HasFindOption(options, TRLFindOption::foMatchCase),
                                       HasFindOption(options, TRLFindOption::foFindUp));
        };
    }
    return FFindDialog;
}

void TRLPreviewForm::OpenFindDialog()
{
    FindDialog()->Open();
}

bool TRLPreviewForm::HandleKey(int key, Qt::KeyboardModifiers modifiers)
{
    TRLPreview *p = Preview();
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape: close(); return true;
    case Qt::Key_PageUp: ctrl ? p->PageTop() : p->PriorPage(); return true;
    case Qt::Key_PageDown: ctrl ? p->PageBottom() : p->NextPage(); return true;
    case Qt::Key_End: ctrl ? p->LastPage() : p->PageRight(); return true;
    case Qt::Key_Home: ctrl ? p->FirstPage() : p->PageLeft(); return true;
    case Qt::Key_Left: ctrl ? p->HalfPageLeft() : p->ScrollLeft(); return true;
    case Qt::Key_Up: ctrl ? p->HalfPageUp() : p->ScrollUp(); return true;
    case Qt::Key_Right: ctrl ? p->HalfPageRight() : p->ScrollRight(); return true;
    case Qt::Key_Down: ctrl ? p->HalfPageDown() : p->ScrollDown(); return true;
    case Qt::Key_F:
    case Qt::Key_F3:
        if (!ctrl)
            return false;
        OpenFindDialog();
        return true;
    default: return false;
    }
}

bool TRLPreviewForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto *preview = qobject_cast<TRLPreview *>(watched))
            SetActivePreview(preview);
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // In the page field and the zoom box the plain caret keys edit the text.
    const bool inField = widget == EditPageNo || widget == ComboBoxZoom->lineEdit();
    const bool caretKey = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right || key->key() == Qt::Key_Home ||
                          key->key() == Qt::Key_End;
    if (inField && caretKey && !(key->modifiers() & Qt::ControlModifier))
        return false;
    return HandleKey(key->key(), key->modifiers());
}

void TRLPreviewForm::closeEvent(QCloseEvent *event)
{
    TimerRepeat->stop();
    const Qt::WindowStates state = windowState();
    PreviewDefaults().Options.WindowState = state & Qt::WindowMaximized   ? kWindowStateMaximized
                                            : state & Qt::WindowMinimized ? kWindowStateMinimized
                                                                          : 0;
    if (FFindDialog)
        FFindDialog->close();
    // Ends the loop of a modal window; one that is not modal frees itself.
    QDialog::closeEvent(event);
}

} // namespace prenso
