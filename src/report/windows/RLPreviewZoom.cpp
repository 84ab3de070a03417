// The preview window's zoom: the zoom box with its rows (percentages, then
// the fitting zooms), the zoom buttons, and a fitting zoom that keeps
// fitting while the window changes size.
#include "report/RLConsts.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <array>

namespace prenso {
namespace {

constexpr double kZoomStep = 10;

const std::array<double, 8> kZoomRows = {500, 200, 150, 100, 75, 50, 25, 10};
constexpr int kRowFullWidth = 8;
constexpr int kRowFullPage = 9;
constexpr int kRowMultiplePages = 10;

// The zoom as the box shows it: the number in the user's notation and "%".
QString zoomText(double zoom)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(zoom, 'g', 6) + u'%';
}

// A typed zoom: without "%", with "," read as the decimal point; 0 when it
// is no number.
double parseZoom(QString text)
{
    text.remove(u'%');
    text.replace(u',', u'.');
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

void TRLPreviewForm::BuildZoomPanel()
{
    PanelZoom = new QWidget(PanelTools);
    PanelZoom->setObjectName(QStringLiteral("PanelZoom"));
    ComboBoxZoom = new QComboBox(PanelZoom);
    ComboBoxZoom->setObjectName(QStringLiteral("ComboBoxZoom"));
    ComboBoxZoom->setEditable(true);
    ComboBoxZoom->setInsertPolicy(QComboBox::NoInsert);
    // Completing "5" to "500%" would turn a typed value into another.
    ComboBoxZoom->setCompleter(nullptr);
    ComboBoxZoom->setMaxVisibleItems(11);
    ComboBoxZoom->setMinimumContentsLength(14);
    for (double zoom : kZoomRows)
        ComboBoxZoom->addItem(zoomText(zoom));
    ComboBoxZoom->addItem(QStringLiteral("Largura da página"));
    ComboBoxZoom->addItem(QStringLiteral("Página inteira"));
    ComboBoxZoom->addItem(QStringLiteral("Várias páginas"));
    auto *zoom = new QHBoxLayout(PanelZoom);
    zoom->setContentsMargins(2, 0, 2, 0);
    zoom->addWidget(ComboBoxZoom);
}

// The zoom box and the page field act at every change of their text, as
// the user types it (typing 150 passes through 15 %). While the user edits
// one, it keeps what was typed; Enter, or leaving it, ends the editing, and
// it shows the zoom or the page in force again.
void TRLPreviewForm::ConnectZoomBox()
{
    connect(ComboBoxZoom->lineEdit(), &QLineEdit::textEdited, this, [this] {
        FEditingZoom = true;
        ComboBoxZoomChange();
    });
    connect(ComboBoxZoom->lineEdit(), &QLineEdit::editingFinished, this, [this] { EndZoomEditing(); });
    connect(ComboBoxZoom, qOverload<int>(&QComboBox::activated), this, [this] {
        ComboBoxZoomChange();
        EndZoomEditing();
    });
}

void TRLPreviewForm::RelabelZoomBox(const TRLLocaleStrings &ls)
{
    ComboBoxZoom->setItemText(kRowFullWidth, ls.LS_EntireWidthStr);
    ComboBoxZoom->setItemText(kRowFullPage, ls.LS_EntirePageStr);
    ComboBoxZoom->setItemText(kRowMultiplePages, ls.LS_MultiplePagesStr);
}

void TRLPreviewForm::ShowZoom()
{
    if (FEditingZoom)
        return;
    const QSignalBlocker block(ComboBoxZoom);
    ComboBoxZoom->setCurrentIndex(-1);
    ComboBoxZoom->setEditText(zoomText(Preview()->ZoomFactor()));
}

void TRLPreviewForm::ApplyZoom(double zoomOrCode)
{
    TRLPreview *preview = Preview();
    // Cleared first: the layouts below would otherwise see a stale fit.
    FFitCode = 0;
    if (zoomOrCode == PreviewZoomFullWidth)
        preview->ZoomFullWidth();
    else if (zoomOrCode == PreviewZoomFullPage)
        preview->ZoomFullPage();
    else if (zoomOrCode == PreviewZoomMultiplePages)
        preview->ZoomMultiplePages();
    else if (zoomOrCode > 0)
        preview->SetZoomFactor(zoomOrCode);
    if (zoomOrCode < 0) {
        FFitCode = zoomOrCode;
        FFitZoom = preview->ZoomFactor();
    }
}

void TRLPreviewForm::SpeedButtonZoomDownClick()
{
    Preview()->SetZoomFactor(std::max(Preview()->ZoomFactor() - kZoomStep, TRLPreview::MinZoom));
    EndZoomEditing();
}

void TRLPreviewForm::SpeedButtonZoomUpClick()
{
    Preview()->SetZoomFactor(Preview()->ZoomFactor() + kZoomStep);
    EndZoomEditing();
}

void TRLPreviewForm::ComboBoxZoomChange()
{
    const QString text = ComboBoxZoom->currentText();
    int row = ComboBoxZoom->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (row < 0) {
        const double typed = parseZoom(text);
        if (typed >= TRLPreview::MinZoom) {
            FFitCode = 0;
            Preview()->SetZoomFactor(typed);
        } else {
            row = ComboBoxZoom->currentIndex();
        }
    }
    if (row >= 0 && row < static_cast<int>(kZoomRows.size()))
        ApplyZoom(kZoomRows[static_cast<size_t>(row)]);
    else if (row == kRowFullWidth)
        ApplyZoom(PreviewZoomFullWidth);
    else if (row == kRowFullPage)
        ApplyZoom(PreviewZoomFullPage);
    else if (row == kRowMultiplePages)
        ApplyZoom(PreviewZoomMultiplePages);
}

void TRLPreviewForm::EndZoomEditing()
{
    FEditingZoom = false;
    ShowZoom();
}

} // namespace prenso
