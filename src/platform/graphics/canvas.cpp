#include "platform/graphics/canvas.h"

#include "platform/graphics/facememory.h"
#include "platform/graphics/fontconfiguration.h"
#include "platform/graphics/pictures.h"
#include "platform/system/codepage.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace prenso {

namespace {

// The platform's device coordinates are limited to 27 bits; beyond that
// drawing is pointless and the rasteriser's fixed-point arithmetic suffers.
constexpr int kMaxDeviceCoord = 1 << 27;
int dev(int v)
{
    return std::clamp(v, -kMaxDeviceCoord, kMaxDeviceCoord);
}

constexpr int kMaxEmPixels = 16384;
constexpr int kDefaultEmPixels = 13; // a zero height asks for the default: 10 points at 96 dpi

quint16 be16(const QByteArray &t, int off)
{
    return static_cast<quint16>((static_cast<unsigned char>(t[off]) << 8) | static_cast<unsigned char>(t[off + 1]));
}

void ensureSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The forms name the usual office faces; the metric-compatible free faces
    // stand in for them when they are not installed.
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Times"), QStringLiteral("Liberation Serif"));
}

// Cell ascent and descent in font units, from OS/2 (the platform's cell) or,
// without it, from hhea.
bool cellMetrics(const fonts::FontFace &face, int &asc, int &desc)
{
    const QByteArray os2 = face.table("OS/2");
    if (os2.size() >= 78) {
        asc = be16(os2, 74);
        desc = be16(os2, 76);
        if (asc + desc > 0)
            return true;
    }
    const QByteArray hhea = face.table("hhea");
    if (hhea.size() >= 8) {
        asc = static_cast<qint16>(be16(hhea, 4));
        desc = -static_cast<qint16>(be16(hhea, 6));
        return asc + desc > 0;
    }
    return false;
}

int unitsPerEm(const fonts::FontFace &face)
{
    const QByteArray head = face.table("head");
    return head.size() >= 54 ? be16(head, 18) : 0;
}

QFont makeQFont(const QString &name, int em, TFontStyles style, TFontPitch pitch)
{
    QFont f(name);
    f.setPixelSize(em);
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    f.setKerning(false);
    if (pitch == TFontPitch::fpFixed) {
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
    }
    return f;
}

// The face a font resolves to, for its tables and glyph runs. Asked without
// the fallback faces the toolkit would gather for characters the face lacks:
// only its first face is taken here, and gathering the others (a sorted
// search of every installed font) cost as much as loading the face.
QRawFont primaryFace(QFont font)
{
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoFontMerging));
    return QRawFont::fromFont(font);
}

// The code page's characters, to map them to glyphs.
QString codePageCharacters()
{
    QString all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = QChar(cp1252::toUnicode(static_cast<unsigned char>(b)));
    return all;
}

// The em that gives a positive height as the cell height.
int emForCellHeight(const fonts::FontFace *face, int unitsPerEm, int height)
{
    int a = 0, d = 0;
    if (face && unitsPerEm > 0 && cellMetrics(*face, a, d))
        return RoundCoord(static_cast<double>(height) * unitsPerEm / (a + d));
    return height;
}

void setCell(FontResource &res, int unitsPerEm, int a, int d)
{
    const double scale = static_cast<double>(res.emPixels) / unitsPerEm;
    res.ascent = RoundCoord(a * scale);
    res.descent = RoundCoord(d * scale);
}

// The cell and advances of a remembered face from its tables; false when
// they do not give them after all.
bool measureFromTables(FontResource &res, const std::array<quint32, 256> &glyphs)
{
    int a = 0, d = 0;
    const int upm = unitsPerEm(*res.face);
    std::array<double, 256> adv{};
    if (upm <= 0 || !cellMetrics(*res.face, a, d) ||
        !DesignAdvances(*res.face, res.emPixels, glyphs.data(), 256, adv.data()))
        return false;
    setCell(res, upm, a, d);
    res.glyphs = glyphs;
    for (int b = 0; b < 256; ++b)
        res.advances[b] = RoundCoord(adv[b]);
    return true;
}

// The font as the toolkit realises it. A face measured from its own tables
// is remembered for later runs, which then measure it the same way.
void realiseByToolkit(FontResource &res, const QString &key)
{
    res.realised = primaryFace(res.font);
    std::call_once(res.realisedOnce, [] {}); // realised: rawFont() has it
    res.face = fonts::FontFace::fromRawFont(res.realised);
    const QString all = codePageCharacters();
    int a = 0, d = 0;
    if (!res.face || !cellMetrics(*res.face, a, d)) {
        // No outline face at all: fall back to the toolkit's own metrics.
        const QFontMetrics fm(res.font);
        res.ascent = fm.ascent();
        res.descent = fm.descent();
        for (int b = 0; b < 256; ++b)
            res.advances[b] = fm.horizontalAdvance(all[b]);
        return;
    }
    setCell(res, res.realised.unitsPerEm(), a, d);
    const QList<quint32> glyphs = res.realised.glyphIndexesForString(all);
    if (glyphs.size() != 256)
        return;
    std::copy(glyphs.begin(), glyphs.end(), res.glyphs.begin());
    std::array<double, 256> adv{};
    if (DesignAdvances(*res.face, res.realised.pixelSize(), res.glyphs.data(), 256, adv.data())) {
        if (res.realised.pixelSize() == res.emPixels && res.realised.unitsPerEm() == unitsPerEm(*res.face))
            fonts::rememberFace(key, res.realised, res.glyphs);
    } else {
        const QList<QPointF> asked = res.realised.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        for (int b = 0; b < 256 && b < asked.size(); ++b)
            adv[b] = asked[b].x();
    }
    for (int b = 0; b < 256; ++b)
        res.advances[b] = RoundCoord(adv[b]);
}

std::shared_ptr<FontResource> build(const QString &name, int height, TFontStyles style, TFontPitch pitch)
{
    const QString key = fonts::faceKey(name, style & fsBold, style & fsItalic, pitch == TFontPitch::fpFixed);
    fonts::awaitFontConfiguration();
    std::optional<fonts::RememberedFace> remembered = fonts::rememberedFace(key);
    if (!remembered)
        ensureSubstitutes();
    auto res = std::make_shared<FontResource>();
    int em = kDefaultEmPixels;
    if (height < 0) {
        em = height == std::numeric_limits<int>::min() ? kMaxEmPixels : -height;
    } else if (height > 0) {
        if (remembered) {
            em = emForCellHeight(remembered->face.get(), unitsPerEm(*remembered->face), height);
        } else {
            const QRawFont probe = primaryFace(makeQFont(name, 1000, style, pitch));
            em = emForCellHeight(fonts::FontFace::fromRawFont(probe).get(), probe.unitsPerEm(), height);
        }
    }
    em = std::clamp(em, 1, kMaxEmPixels);
    res->emPixels = em;
    res->font = makeQFont(name, em, style, pitch);
    if (remembered) {
        res->face = std::move(remembered->face);
        if (!measureFromTables(*res, remembered->glyphs)) {
            res->face.reset();
            ensureSubstitutes();
            realiseByToolkit(*res, key);
        }
    } else {
        realiseByToolkit(*res, key);
    }
    if (std::all_of(res->advances.begin(), res->advances.end(),
                    [&](int advance) { return advance == res->advances[0]; }))
        res->uniformAdvance = res->advances[0];
    return res;
}

} // namespace

bool DesignAdvances(const fonts::FontFace &face, double pixelSize, const quint32 *glyphs, int count, double *advances)
{
    if (pixelSize <= 0 || face.hasTable("fvar") || !face.hasTable("glyf"))
        return false;
    const QByteArray head = face.table("head");
    const QByteArray hhea = face.table("hhea");
    const QByteArray hmtx = face.table("hmtx");
    if (head.size() < 54 || hhea.size() < 36)
        return false;
    const long long unitsPerEm = be16(head, 18);
    const int metrics = be16(hhea, 34);
    if (unitsPerEm < 16 || metrics < 1 || hmtx.size() < 4LL * metrics)
        return false;
    // The size the toolkit asks for, in 64ths of a pixel, as a 16.16 scale
    // from font units; the advance in 16.16 pixels, kept to the 64th. Both
    // round the way the rasteriser's fixed-point helpers do.
    const long long requested = static_cast<long long>(std::llround(pixelSize * 64));
    const long long scale = ((requested << 16) + unitsPerEm / 2) / unitsPerEm;
    for (int i = 0; i < count; ++i) {
        const int entry = std::min<long long>(glyphs[i], metrics - 1);
        const long long units = be16(hmtx, 4 * entry);
        const long long linear = (units * scale + 32) / 64;
        advances[i] = static_cast<double>(linear >> 10) / 64.0;
    }
    return true;
}

int FontResource::width(const QString &text) const
{
    long long w = 0;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) { // most characters: no table search
            w += advances[u];
            continue;
        }
        bool ok = false;
        const unsigned char b = cp1252::fromUnicode(u, &ok);
        if (ok) {
            w += advances[b];
        } else if (const QRawFont &raw = rawFont(); raw.isValid()) {
            const QList<quint32> g = raw.glyphIndexesForString(QString(ch));
            if (!g.isEmpty())
                w += RoundCoord(raw.advancesForGlyphIndexes(g, QRawFont::UseDesignMetrics).value(0).x());
        }
    }
    return w > 2147483647LL ? 2147483647 : static_cast<int>(w);
}

const QRawFont &FontResource::rawFont() const
{
    std::call_once(realisedOnce, [this] {
        if (!face)
            return; // the toolkit found no outline face for the font either
        fonts::awaitFontConfiguration();
        ensureSubstitutes();
        realised = primaryFace(font);
    });
    return realised;
}

namespace {

QHash<QString, std::shared_ptr<const FontResource>> &realisedFonts()
{
    static QHash<QString, std::shared_ptr<const FontResource>> cache;
    return cache;
}

} // namespace

void FontResource::forgetAll()
{
    realisedFonts().clear();
}

std::shared_ptr<const FontResource> FontResource::get(const QString &name, int height, TFontStyles style,
                                                      TFontPitch pitch)
{
    auto &cache = realisedFonts();
    const QString key = name.toLower() + u'|' + QString::number(height) + u'|' + QString::number(style & 15) + u'|' +
                        QString::number(static_cast<int>(pitch));
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    // Zooming a preview asks for many sizes; fonts in use keep their own
    // reference, so dropping the table now and then only costs a rebuild.
    if (cache.size() >= 256)
        cache.clear();
    auto res = build(name, height, style & 15, pitch);
    cache.insert(key, res);
    return res;
}

// ---------------------------------------------------------------------------

TCanvas::TCanvas(QPaintDevice *device, int pixelsPerInch)
    : m_ownPainter(std::make_unique<QPainter>(device)), m_painter(m_ownPainter.get())
{
    m_ppi = pixelsPerInch > 0 ? pixelsPerInch
                              : (device && device->logicalDpiY() > 0 ? device->logicalDpiY() : kDesignPixelsPerInch);
    m_font.SetPixelsPerInch(m_ppi);
    m_font.SetSize(8);
}

TCanvas::TCanvas(QPainter &painter, int pixelsPerInch) : m_painter(&painter)
{
    m_ppi = pixelsPerInch > 0 ? pixelsPerInch : kDesignPixelsPerInch;
    m_font.SetPixelsPerInch(m_ppi);
    m_font.SetSize(8);
}

TCanvas::~TCanvas()
{
    if (m_ownPainter && m_ownPainter->isActive())
        m_ownPainter->end();
}

QPaintDevice *TCanvas::Device() const
{
    return m_painter ? m_painter->device() : nullptr;
}

namespace {

QPainter::CompositionMode compositionFor(TPenMode mode)
{
    switch (mode) {
    case TPenMode::pmBlack: return QPainter::RasterOp_ClearDestination;
    case TPenMode::pmWhite: return QPainter::RasterOp_SetDestination;
    case TPenMode::pmNot: return QPainter::RasterOp_NotDestination;
    case TPenMode::pmNotCopy: return QPainter::RasterOp_NotSource;
    case TPenMode::pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case TPenMode::pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case TPenMode::pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case TPenMode::pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case TPenMode::pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case TPenMode::pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case TPenMode::pmMask: return QPainter::RasterOp_SourceAndDestination;
    case TPenMode::pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case TPenMode::pmXor: return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case TPenMode::pmCopy:
    case TPenMode::pmNop:
    default: return QPainter::CompositionMode_SourceOver;
    }
}

QColor qcolor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QBrush qbrush(const TBrush &b)
{
    switch (b.Style) {
    case TBrushStyle::bsClear: return QBrush(Qt::NoBrush);
    case TBrushStyle::bsHorizontal: return QBrush(qcolor(b.Color), Qt::HorPattern);
    case TBrushStyle::bsVertical: return QBrush(qcolor(b.Color), Qt::VerPattern);
    case TBrushStyle::bsFDiagonal: return QBrush(qcolor(b.Color), Qt::FDiagPattern);
    case TBrushStyle::bsBDiagonal: return QBrush(qcolor(b.Color), Qt::BDiagPattern);
    case TBrushStyle::bsCross: return QBrush(qcolor(b.Color), Qt::CrossPattern);
    case TBrushStyle::bsDiagCross: return QBrush(qcolor(b.Color), Qt::DiagCrossPattern);
    case TBrushStyle::bsSolid:
    default: return QBrush(qcolor(b.Color));
    }
}

// Lengths of the platform's one-pixel dashes, on and off.
QList<qreal> dashesFor(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psDash: return {18, 6};
    case TPenStyle::psDot: return {3, 3};
    case TPenStyle::psDashDot: return {9, 6, 3, 6};
    case TPenStyle::psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

} // namespace

void TCanvas::applyShapeState(bool usePen, bool useBrush)
{
    QPainter &p = *m_painter;
    p.setCompositionMode(compositionFor(m_pen.Mode));
    if (!usePen || m_pen.Style == TPenStyle::psClear) {
        p.setPen(Qt::NoPen);
    } else {
        QPen pen(qcolor(m_pen.Color));
        if (m_pen.Width <= 1) {
            pen.setWidth(0);
            pen.setCapStyle(Qt::FlatCap); // a line leaves out its end point
            pen.setJoinStyle(Qt::MiterJoin);
            const QList<qreal> dashes = dashesFor(m_pen.Style);
            if (!dashes.isEmpty())
                pen.setDashPattern(dashes);
        } else {
            // Wide pens are solid whatever their style, with round ends.
            pen.setWidth(std::min(m_pen.Width, kMaxDeviceCoord));
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
        }
        p.setPen(pen);
    }
    p.setBrush(useBrush ? qbrush(m_brush) : QBrush(Qt::NoBrush));
    // A solid brush is also the background that shows in the gaps of dashes.
    if (m_brush.Style == TBrushStyle::bsSolid) {
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(QBrush(qcolor(m_brush.Color)));
    } else {
        p.setBackgroundMode(Qt::TransparentMode);
    }
}

void TCanvas::finishShapeState()
{
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->setBackgroundMode(Qt::TransparentMode);
}

void TCanvas::LineTo(int x, int y)
{
    const TPoint from = m_penPos;
    m_penPos = {x, y};
    if (m_pen.Mode == TPenMode::pmNop || (from.X == x && from.Y == y))
        return;
    applyShapeState(true, false);
    m_painter->drawLine(dev(from.X), dev(from.Y), dev(x), dev(y));
    finishShapeState();
}

bool TCanvas::beginBoxShape(int x1, int y1, int x2, int y2, TRect &box)
{
    if (m_pen.Mode == TPenMode::pmNop)
        return false;
    box = TRect{dev(std::min(x1, x2)), dev(std::min(y1, y2)), dev(std::max(x1, x2)), dev(std::max(y1, y2))};
    if (box.Right == box.Left || box.Bottom == box.Top)
        return false;
    applyShapeState(true, true);
    return true;
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    TRect box;
    if (!beginBoxShape(left, top, right, bottom, box))
        return;
    const int l = box.Left, t = box.Top, r = box.Right, b = box.Bottom;
    QPainter &p = *m_painter;
    if (m_pen.Style == TPenStyle::psClear) {
        // Without an outline the platform fills one pixel less each way.
        p.drawRect(QRect(l, t, r - l - 1, b - t - 1));
    } else if (m_pen.Width <= 1) {
        p.drawRect(QRect(l, t, r - l - 1, b - t - 1));
    } else {
        const double w = m_pen.Width;
        QRectF outline(l + 0.5, t + 0.5, r - l - 1, b - t - 1);
        if (m_pen.Style == TPenStyle::psInsideFrame)
            outline = QRectF(l + w / 2, t + w / 2, std::max(0.0, r - l - w), std::max(0.0, b - t - w));
        p.drawRect(outline);
    }
    finishShapeState();
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    TRect box;
    if (!beginBoxShape(left, top, right, bottom, box))
        return;
    const int l = box.Left, t = box.Top, r = box.Right, b = box.Bottom;
    const double rx = std::clamp(cornerWidth / 2.0, 0.0, (r - l) / 2.0);
    const double ry = std::clamp(cornerHeight / 2.0, 0.0, (b - t) / 2.0);
    m_painter->drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), rx, ry);
    finishShapeState();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    TRect box;
    if (!beginBoxShape(x1, y1, x2, y2, box))
        return;
    const int l = box.Left, t = box.Top, r = box.Right, b = box.Bottom;
    if (m_pen.Style != TPenStyle::psInsideFrame || m_pen.Width <= 1) {
        m_painter->drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    } else {
        const double w = m_pen.Width;
        m_painter->drawEllipse(QRectF(l + w / 2, t + w / 2, std::max(0.0, r - l - w), std::max(0.0, b - t - w)));
    }
    finishShapeState();
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (m_pen.Mode == TPenMode::pmNop || points.empty())
        return;
    QPolygon poly(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        poly.setPoint(static_cast<int>(i), dev(points[i].X), dev(points[i].Y));
    applyShapeState(true, true);
    m_painter->drawPolygon(poly, Qt::OddEvenFill);
    finishShapeState();
}

void TCanvas::Polyline(std::span<const TPoint> points)
{
    if (m_pen.Mode == TPenMode::pmNop || points.size() < 2)
        return;
    QPolygon poly(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        poly.setPoint(static_cast<int>(i), dev(points[i].X), dev(points[i].Y));
    applyShapeState(true, false);
    m_painter->drawPolyline(poly);
    finishShapeState();
}

void TCanvas::FillRect(const TRect &r)
{
    // A fill ignores the pen's raster mode and a clear brush fills nothing.
    if (m_brush.Style == TBrushStyle::bsClear)
        return;
    const int l = dev(r.Left), t = dev(r.Top), rr = dev(r.Right), b = dev(r.Bottom);
    if (rr <= l || b <= t)
        return;
    m_painter->fillRect(QRect(l, t, rr - l, b - t), qbrush(m_brush));
}

void TCanvas::drawText(int x, int y, const QString *wide, std::string_view bytes, const TRect *clip)
{
    const FontResource &res = m_font.Resource();
    QPainter &p = *m_painter;
    x = dev(x);
    y = dev(y);

    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    int w = 0;
    if (wide) {
        glyphs.reserve(static_cast<size_t>(wide->size()));
        for (QChar ch : *wide) {
            bool ok = false;
            const unsigned char b = cp1252::fromUnicode(ch.unicode(), &ok);
            quint32 g = 0;
            int adv = 0;
            if (ok) {
                g = res.glyphs[b];
                adv = res.advances[b];
            } else if (res.rawFont().isValid()) {
                const QList<quint32> gl = res.rawFont().glyphIndexesForString(QString(ch));
                g = gl.value(0);
                adv = res.width(QString(ch));
            }
            glyphs.push_back(g);
            positions.emplace_back(w, 0);
            w += adv;
        }
    } else {
        glyphs.reserve(bytes.size());
        positions.reserve(bytes.size());
        for (unsigned char b : bytes) {
            glyphs.push_back(res.glyphs[b]);
            positions.emplace_back(w, 0);
            w += res.advances[b];
        }
    }

    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (clip) {
        const TRect c{dev(clip->Left), dev(clip->Top), dev(clip->Right), dev(clip->Bottom)};
        const QRect qr(c.Left, c.Top, std::max(0, c.Right - c.Left), std::max(0, c.Bottom - c.Top));
        if (m_clipped)
            p.setClipRect(qr, Qt::IntersectClip);
        else
            p.setClipRect(qr);
        if (m_brush.Style == TBrushStyle::bsSolid)
            p.fillRect(qr, qcolor(m_brush.Color));
    } else if (m_brush.Style == TBrushStyle::bsSolid) {
        p.fillRect(QRect(x, y, w, res.height()), qcolor(m_brush.Color));
    }
    if (!glyphs.empty() && res.rawFont().isValid()) {
        QGlyphRun run;
        run.setRawFont(res.rawFont());
        run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
        run.setPositions(QList<QPointF>(positions.begin(), positions.end()));
        run.setUnderline(m_font.Style() & fsUnderline);
        run.setStrikeOut(m_font.Style() & fsStrikeOut);
        p.setPen(qcolor(m_font.Color()));
        p.drawGlyphRun(QPointF(x, y + res.ascent), run);
    } else if (!glyphs.empty()) {
        p.setFont(res.font);
        p.setPen(qcolor(m_font.Color()));
        p.drawText(QPointF(x, y + res.ascent), wide ? *wide : cp1252::decode(bytes));
    }
    p.restore();
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    drawText(x, y, nullptr, text, nullptr);
    m_penPos = {SatAdd(x, TextWidth(text)), y};
}

void TCanvas::TextOut(int x, int y, const QString &text)
{
    drawText(x, y, &text, {}, nullptr);
    m_penPos = {SatAdd(x, TextWidth(text)), y};
}

void TCanvas::TextRect(const TRect &r, int x, int y, std::string_view text)
{
    drawText(x, y, nullptr, text, &r);
}

void TCanvas::Draw(int x, int y, const TGraphic &graphic)
{
    StretchDraw(TRect{x, y, x + graphic.Width(), y + graphic.Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect &r, const TGraphic &graphic)
{
    graphic.Draw(*this, r);
}

void TCanvas::DrawImage(const TRect &r, const QImage &image)
{
    const int l = dev(r.Left), t = dev(r.Top), rr = dev(r.Right), b = dev(r.Bottom);
    if (image.isNull() || rr <= l || b <= t)
        return;
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->drawImage(QRect(l, t, rr - l, b - t), image);
}

void TCanvas::SetClipRect(const TRect &r)
{
    const TRect c{dev(r.Left), dev(r.Top), dev(r.Right), dev(r.Bottom)};
    m_painter->setClipRect(QRect(c.Left, c.Top, std::max(0, c.Right - c.Left), std::max(0, c.Bottom - c.Top)));
    m_clipped = true;
    m_clip = c;
}

void TCanvas::ResetClipRect()
{
    m_painter->setClipping(false);
    m_clipped = false;
    m_clip = TRect{};
}

QImage TCanvas::Grab(const TRect &source)
{
    QImage out(std::max(0, source.Width()), std::max(0, source.Height()), QImage::Format_RGB32);
    out.fill(Qt::white);
    if (auto *img = dynamic_cast<QImage *>(Device())) {
        QPainter p(&out);
        p.drawImage(QPoint(0, 0), *img, QRect(source.Left, source.Top, source.Width(), source.Height()));
    }
    return out;
}

TCanvas &MeasureCanvas()
{
    // Never destroyed: it outlives every page that may still measure at exit.
    static QImage *image = [] {
        auto *img = new QImage(1, 1, QImage::Format_RGB32);
        const int dotsPerMetre = RoundCoord(MillimetresToDots(1000, kDesignPixelsPerInch));
        img->setDotsPerMeterX(dotsPerMetre);
        img->setDotsPerMeterY(dotsPerMetre);
        img->fill(Qt::white);
        return img;
    }();
    static TCanvas *canvas = new TCanvas(image, kDesignPixelsPerInch);
    return *canvas;
}

} // namespace prenso
