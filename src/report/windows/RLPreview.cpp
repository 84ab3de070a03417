#include "report/windows/RLPreview.h"

#include "platform/graphics/canvas.h"
#include "platform/system/codepage.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLPreviewBox.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPdfWriter>
#include <QScrollBar>
#include <QStyle>
#include <QSvgGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace prenso {
namespace {

constexpr int kScrollStep = 10;
constexpr int kWheelNotch = 120;
constexpr double kZoomStep = 10;
// A4 portrait at 96 pixels per inch, for a preview that knows no page size.
constexpr QSize kFallbackPageSize(794, 1123);

// Letters and digits of the code page, accented letters included: what may
// not touch a whole word.
const std::array<bool, 256> &wordBytes()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QChar c(cp1252::toUnicode(static_cast<unsigned char>(b)));
            t[static_cast<size_t>(b)] = c.isLetter() || c.isDigit();
        }
        return t;
    }();
    return table;
}

// Every byte in upper case as the user's language writes it, where that is
// one character of the code page again (so the fold keeps positions).
const std::array<unsigned char, 256> &upperBytes()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        const QLocale locale;
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const QString upper = locale.toUpper(QString(QChar(cp1252::toUnicode(byte))));
            bool ok = false;
            const unsigned char u = upper.size() == 1 ? cp1252::fromUnicode(upper.front().unicode(), &ok) : 0;
            t[static_cast<size_t>(b)] = ok ? u : byte;
        }
        return t;
    }();
    return table;
}

// The searched text as page bytes; false when it holds a character that no
// page can hold, so that it cannot match.
bool encodeExactly(const QString &text, std::string &out)
{
    out.clear();
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        bool ok = false;
        const unsigned char b = cp1252::fromUnicode(c.unicode(), &ok);
        if (!ok)
            return false;
        out.push_back(static_cast<char>(b));
    }
    return true;
}

class TextMatcher {
public:
    TextMatcher(std::string needle, bool wholeWords, bool matchCase)
        : FNeedle(std::move(needle)), FWholeWords(wholeWords), FMatchCase(matchCase)
    {
        if (!FMatchCase)
            fold(FNeedle, FNeedle);
    }
    size_t Length() const { return FNeedle.size(); }

    // Start of the first match at or after `from`, or npos.
    size_t Next(std::string_view text, size_t from)
    {
        const std::string_view hay = prepare(text);
        for (size_t at = hay.find(FNeedle, from); at != std::string_view::npos; at = hay.find(FNeedle, at + 1))
            if (atBoundaries(text, at))
                return at;
        return std::string_view::npos;
    }

    // Start of the last match that starts before `before`, or npos.
    size_t Prior(std::string_view text, size_t before)
    {
        if (before == 0)
            return std::string_view::npos;
        const std::string_view hay = prepare(text);
        for (size_t at = hay.rfind(FNeedle, before - 1); at != std::string_view::npos;
             at = at == 0 ? std::string_view::npos : hay.rfind(FNeedle, at - 1))
            if (atBoundaries(text, at))
                return at;
        return std::string_view::npos;
    }

private:
    static void fold(std::string_view in, std::string &out)
    {
        const auto &upper = upperBytes();
        out.resize(in.size());
        for (size_t i = 0; i < in.size(); ++i)
            out[i] = static_cast<char>(upper[static_cast<unsigned char>(in[i])]);
    }
    std::string_view prepare(std::string_view text)
    {
        if (FMatchCase)
            return text;
        fold(text, FFolded);
        return FFolded;
    }
    // An end of the searched text that is a letter or digit must not touch
    // another one; an end that is a blank or a sign is a boundary itself.
    bool atBoundaries(std::string_view text, size_t at) const
    {
        if (!FWholeWords)
            return true;
        const auto &word = wordBytes();
        auto isWord = [&](char c) { return word[static_cast<unsigned char>(c)]; };
        const size_t end = at + FNeedle.size();
        if (isWord(FNeedle.front()) && at > 0 && isWord(text[at - 1]))
            return false;
        if (isWord(FNeedle.back()) && end < text.size() && isWord(text[end]))
            return false;
        return true;
    }

    std::string FNeedle;
    bool FWholeWords;
    bool FMatchCase;
    std::string FFolded;
};

// The page painted at its own pixel size onto a white picture.
QImage pagePicture(TRLGraphicPage &page)
{
    QImage image(std::max(1, page.Width()), std::max(1, page.Height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image, kDesignPixelsPerInch);
    TRLCanvasPainter(canvas).Paint(page, TRect{0, 0, page.Width(), page.Height()});
    return image;
}

// The page drawn once more, through the same page painting, onto a device
// that records vectors.
void paintPageOnto(QPaintDevice &device, TRLGraphicPage &page)
{
    TCanvas canvas(&device, kDesignPixelsPerInch);
    TRLCanvasPainter(canvas).Paint(page, TRect{0, 0, page.Width(), page.Height()});
}

} // namespace

TRLPreview::TRLPreview(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setSingleStep(2 * kScrollStep);
    verticalScrollBar()->setSingleStep(2 * kScrollStep);
    for (int i = 0; i < BoxCount; ++i) {
        FBoxes[static_cast<size_t>(i)] = new TRLPreviewBox(this, i, viewport());
        FBoxes[static_cast<size_t>(i)]->setVisible(i < FVisibleBoxes);
    }
    FPopup = new QMenu(this);
    FPopup->addAction(QStringLiteral("Copiar como Bitmap"), this, [this] {
        if (FPopupBox)
            CopyAsBitmap(FPopupBox->PageIndex());
    });
    FPopup->addAction(QStringLiteral("Copiar como MetaFile"), this, [this] {
        if (FPopupBox)
            CopyAsMetafile(FPopupBox->PageIndex());
    });
    Layout();
}

TRLPreview::~TRLPreview()
{
    OnChangeView = nullptr;
    SetPages(nullptr);
}

int TRLPreview::PageCount() const
{
    return FPages ? FPages->PageCount() : 0;
}

void TRLPreview::SetPages(TRLGraphicStorage *pages)
{
    if (pages == FPages.get())
        return;
    // The storage shown so far is freed here when nothing else holds it.
    FPages.Reset(pages);
    FPageIndex = -1;
    FLastFind = {};
    ++FGeneration;
    ClearSelection();
    Layout();
    FirstPage();
}

void TRLPreview::SetPageIndex(int index)
{
    if (index < 0 || index >= PageCount() || index == FPageIndex)
        return;
    FPageIndex = index;
    ScrollTo(0, 0);
    Layout();
}

int TRLPreview::PageNumber() const
{
    return PageCount() > 0 ? FPageIndex + 1 : 0;
}

void TRLPreview::SetZoomFactor(double zoom)
{
    if (zoom < MinZoom || zoom == FZoomFactor)
        return;
    FZoomFactor = zoom;
    Layout();
}

void TRLPreview::SetMultipleMode(bool multiple)
{
    const int visible = multiple ? BoxCount : 1;
    if (visible == FVisibleBoxes)
        return;
    FVisibleBoxes = visible;
    Layout();
}

void TRLPreview::SetEditing(bool editing)
{
    if (editing == FEditing)
        return;
    FEditing = editing;
    if (!FEditing)
        ClearSelection();
}

void TRLPreview::ClearSelection()
{
    for (TRLPreviewBox *box : FBoxes)
        box->SetSelectedObject(-1);
}

void TRLPreview::FirstPage()
{
    if (PageCount() > 0)
        SetPageIndex(0);
}

void TRLPreview::LastPage()
{
    if (PageCount() > 0)
        SetPageIndex(std::max(0, PageCount() - FVisibleBoxes));
}

void TRLPreview::NextPage()
{
    if (PageCount() > 0)
        SetPageIndex(std::min(PageCount() - 1, FPageIndex + FVisibleBoxes));
}

void TRLPreview::PriorPage()
{
    if (PageCount() > 0)
        SetPageIndex(std::max(0, FPageIndex - FVisibleBoxes));
}

void TRLPreview::PageTop()
{
    verticalScrollBar()->setValue(0);
}

void TRLPreview::PageBottom()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TRLPreview::PageLeft()
{
    horizontalScrollBar()->setValue(0);
}

void TRLPreview::PageRight()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
}

void TRLPreview::HalfPageUp()
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() - viewport()->height());
}

void TRLPreview::HalfPageDown()
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + viewport()->height());
}

void TRLPreview::HalfPageLeft()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - viewport()->width());
}

void TRLPreview::HalfPageRight()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + viewport()->width());
}

void TRLPreview::ScrollUp()
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() - kScrollStep);
}

void TRLPreview::ScrollDown()
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + kScrollStep);
}

void TRLPreview::ScrollLeft()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - kScrollStep);
}

void TRLPreview::ScrollRight()
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + kScrollStep);
}

void TRLPreview::ScrollTo(int x, int y)
{
    const bool wasLayingOut = FLayingOut;
    FLayingOut = true;
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
    FLayingOut = wasLayingOut;
}

QSize TRLPreview::ClientSize() const
{
    return maximumViewportSize();
}

QSize TRLPreview::StoragePageSize() const
{
    if (FPages) {
        if (FPages->OrientedWidth() > 0 && FPages->OrientedHeight() > 0)
            return {FPages->OrientedWidth(), FPages->OrientedHeight()};
        // Pages stored without a paper description still know their size.
        if (FPages->PageCount() > 0)
            if (TRLGraphicPage *first = FPages->Pages(0); first && first->Width() > 0 && first->Height() > 0)
                return {first->Width(), first->Height()};
    }
    return kFallbackPageSize;
}

QSize TRLPreview::PageSizeOf(int pageIndex) const
{
    if (FPages && pageIndex >= 0 && pageIndex < PageCount())
        if (TRLGraphicPage *page = FPages->Pages(pageIndex); page && page->Width() > 0 && page->Height() > 0)
            return {page->Width(), page->Height()};
    return StoragePageSize();
}

// The zooms that fit are rounded down: a zoom rounded up could leave the
// page a few pixels wider than the window and bring up a scroll bar for them.
double TRLPreview::GetZoomFactorFullPage() const
{
    if (PageCount() == 0)
        return 100;
    const QSize page = StoragePageSize();
    const QSize client = ClientSize();
    return std::min(std::floor((client.width() * 100.0 - 700) / page.width()),
                    std::floor((client.height() * 100.0 - 700) / page.height()));
}

double TRLPreview::GetZoomFactorFullWidth() const
{
    if (PageCount() == 0)
        return 100;
    const QSize page = StoragePageSize();
    const QSize client = ClientSize();
    double zoom = std::floor((client.width() * 100.0 - 700) / page.width());
    // A page taller than the window brings the vertical scroll bar, which
    // takes its width from the page.
    if (page.height() * zoom / 100 + TRLPreviewBox::ShadowSize > client.height()) {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
        zoom = std::floor(((client.width() - bar) * 100.0 - 700) / page.width());
    }
    return zoom;
}

// Each of the boxes side by side has its own frame and shadow to fit.
double TRLPreview::GetZoomFactorMultiplePages() const
{
    if (PageCount() == 0)
        return 100;
    const QSize page = StoragePageSize();
    const QSize client = ClientSize();
    const double boxWidth = (client.width() - 7.0 * FVisibleBoxes) / FVisibleBoxes;
    return std::min(std::floor(boxWidth * 100 / page.width()),
                    std::floor((client.height() * 100.0 - 700) / page.height()));
}

void TRLPreview::ZoomFullPage()
{
    SetMultipleMode(false);
    SetZoomFactor(GetZoomFactorFullPage());
}

void TRLPreview::ZoomFullWidth()
{
    SetMultipleMode(false);
    SetZoomFactor(GetZoomFactorFullWidth());
}

void TRLPreview::ZoomMultiplePages()
{
    SetMultipleMode(true);
    SetZoomFactor(GetZoomFactorMultiplePages());
}

void TRLPreview::ZoomPage(int index)
{
    SetPageIndex(index);
    if (MultipleMode())
        ZoomFullWidth();
    else
        ZoomMultiplePages();
}

void TRLPreview::Layout()
{
    if (FLayingOut)
        return;
    FLayingOut = true;
    std::array<QSize, BoxCount> sizes{};
    int totalWidth = 0, totalHeight = 0;
    for (int i = 0; i < FVisibleBoxes; ++i) {
        const QSize page = PageSizeOf(std::max(FPageIndex, 0) + i);
        const QSize box(RoundCoord(page.width() * FZoomFactor / 100) + TRLPreviewBox::ShadowSize,
                        RoundCoord(page.height() * FZoomFactor / 100) + TRLPreviewBox::ShadowSize);
        sizes[static_cast<size_t>(i)] = box;
        totalWidth += box.width();
        totalHeight = std::max(totalHeight, box.height());
    }
    const QSize client = viewport()->size();
    QScrollBar *hbar = horizontalScrollBar();
    QScrollBar *vbar = verticalScrollBar();
    hbar->setRange(0, std::max(0, totalWidth - client.width()));
    hbar->setPageStep(std::max(1, client.width()));
    vbar->setRange(0, std::max(0, totalHeight - client.height()));
    vbar->setPageStep(std::max(1, client.height()));
    int x = totalWidth < client.width() ? (client.width() - totalWidth) / 2 : -hbar->value();
    const int top = totalHeight < client.height() ? (client.height() - totalHeight) / 2 : -vbar->value();
    for (int i = 0; i < BoxCount; ++i) {
        TRLPreviewBox *box = FBoxes[static_cast<size_t>(i)];
        if (i >= FVisibleBoxes) {
            box->hide();
            continue;
        }
        const QSize size = sizes[static_cast<size_t>(i)];
        box->setGeometry(x, top + (totalHeight - size.height()) / 2, size.width(), size.height());
        box->show();
        box->update();
        x += size.width();
    }
    FLastSize = client;
    FLayingOut = false;
    if (OnChangeView)
        OnChangeView(*this);
}

void TRLPreview::UpdateBoxes()
{
    for (TRLPreviewBox *box : FBoxes)
        box->update();
}

bool TRLPreview::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        const bool handled = QAbstractScrollArea::viewportEvent(event);
        if (viewport()->size() != FLastSize)
            Layout();
        return handled;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TRLPreview::scrollContentsBy(int, int)
{
    Layout();
}

// Ctrl with the wheel zooms as the zoom buttons do. The wheel alone scrolls
// and, once the page is scrolled to its end, turns to the next page (or back
// to the end of the prior one), one page per notch.
void TRLPreview::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        FWheelRest += delta;
        for (; FWheelRest >= kWheelNotch; FWheelRest -= kWheelNotch)
            SetZoomFactor(FZoomFactor + kZoomStep);
        for (; FWheelRest <= -kWheelNotch; FWheelRest += kWheelNotch)
            SetZoomFactor(std::max(FZoomFactor - kZoomStep, MinZoom));
        event->accept();
        return;
    }
    const QScrollBar *vbar = verticalScrollBar();
    const bool atBottom = delta < 0 && vbar->value() >= vbar->maximum();
    const bool atTop = delta > 0 && vbar->value() <= vbar->minimum();
    if (PageCount() == 0 || event->angleDelta().x() != 0 || !(atBottom || atTop)) {
        FWheelRest = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    FWheelRest += delta;
    if (FWheelRest <= -kWheelNotch) {
        FWheelRest = 0;
        if (FPageIndex < PageCount() - 1)
            NextPage();
    } else if (FWheelRest >= kWheelNotch) {
        FWheelRest = 0;
        if (FPageIndex > 0) {
            PriorPage();
            PageBottom();
        }
    }
    event->accept();
}

// Brings a part of a box into view, in the middle of the window along each
// direction it had to move, so that the lines around it show too.
void TRLPreview::EnsureVisible(const QRect &boxRect, const TRLPreviewBox *box)
{
    if (boxRect.isEmpty())
        return;
    const QRect r = boxRect.translated(box->pos());
    const QRect client = viewport()->rect();
    if (r.top() < 0 || r.bottom() > client.bottom())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + r.center().y() - client.center().y());
    if (r.left() < 0 || r.right() > client.right())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + r.center().x() - client.center().x());
}

bool TRLPreview::FindText(const QString &AText, bool AWholeWords, bool AMatchCase, bool AFindBackward)
{
    const int count = PageCount();
    std::string needle;
    if (count == 0 || FPageIndex < 0 || !encodeExactly(AText, needle) || needle.empty())
        return false;
    TextMatcher matcher(std::move(needle), AWholeWords, AMatchCase);
    const int step = AFindBackward ? -1 : 1;
    // On the page of the last match the search goes on from that match;
    // anywhere else it starts afresh.
    bool resume = FLastFind.Found && FLastFind.PageIndex == FPageIndex;
    if (!resume) {
        FLastFind = {};
        UpdateBoxes();
    }
    for (int pageIndex = FPageIndex; pageIndex >= 0 && pageIndex < count; pageIndex += step, resume = false) {
        TRLGraphicPage *page = FPages->Pages(pageIndex);
        if (!page)
            continue;
        const int objects = page->ObjectCount();
        const int first = resume ? FLastFind.ObjectIndex : (AFindBackward ? objects - 1 : 0);
        for (int i = first; i >= 0 && i < objects; i += step) {
            const TRLGraphicObject *object = page->Objects(i);
            if (object->Kind() != TRLGraphicKind::Text)
                continue;
            const std::string text = static_cast<const TRLTextObject *>(object)->DisplayText();
            size_t at;
            if (resume && i == first)
                at = AFindBackward
                         ? matcher.Prior(text, static_cast<size_t>(FLastFind.TextStart))
                         : matcher.Next(text, static_cast<size_t>(FLastFind.TextStart + FLastFind.TextLength));
            else
                at = AFindBackward ? matcher.Prior(text, text.size()) : matcher.Next(text, 0);
            if (at == std::string::npos)
                continue;
            FLastFind = {pageIndex, i, true, static_cast<int>(at), static_cast<int>(matcher.Length())};
            ClearSelection();
            SetPageIndex(pageIndex);
            UpdateBoxes();
            // The match may lie below what a zoomed page shows.
            EnsureVisible(FBoxes[0]->FoundTextRect(), FBoxes[0]);
            return true;
        }
    }
    return false;
}

void TRLPreview::ShowPopup(TRLPreviewBox *box, const QPoint &globalPos)
{
    if (box->PageIndex() < 0)
        return;
    FPopupBox = box;
    FPopup->exec(globalPos);
    FPopupBox = nullptr;
}

void TRLPreview::CopyAsBitmap(int pageIndex)
{
    TRLGraphicPage *page = FPages && pageIndex >= 0 ? FPages->Pages(pageIndex) : nullptr;
    if (!page)
        return;
    QApplication::clipboard()->setImage(pagePicture(*page));
}

// Linux has no metafile; what drawing programs and office suites paste as a
// drawing is SVG, and PDF where they take that instead. Both go on the
// clipboard, painted by the same page painting as the screen and the printer.
void TRLPreview::CopyAsMetafile(int pageIndex)
{
    TRLGraphicPage *page = FPages && pageIndex >= 0 ? FPages->Pages(pageIndex) : nullptr;
    if (!page)
        return;
    const QSize size(std::max(1, page->Width()), std::max(1, page->Height()));
    auto *mime = new QMimeData;
    {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        writer.setResolution(kDesignPixelsPerInch);
        writer.setPageSize(QPageSize(QSizeF(size.width() * 0.75, size.height() * 0.75), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setCreator(QApplication::applicationName());
        paintPageOnto(writer, *page);
        mime->setData(QStringLiteral("application/pdf"), pdf.data());
    }
    {
        QBuffer svg;
        svg.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(kDesignPixelsPerInch);
        paintPageOnto(generator, *page);
        mime->setData(QStringLiteral("image/svg+xml"), svg.data());
    }
    QApplication::clipboard()->setMimeData(mime);
}

} // namespace prenso
