#include "platform/graphics/fontmetrics.h"

#include "platform/graphics/canvas.h"
#include "platform/system/codepage.h"

#include <QRawFont>

#include <cmath>

namespace prenso::fonts {

namespace {

int u16(const QByteArray &t, int off)
{
    return (static_cast<unsigned char>(t[off]) << 8) | static_cast<unsigned char>(t[off + 1]);
}
int s16(const QByteArray &t, int off)
{
    return static_cast<qint16>(u16(t, off));
}
qint32 s32(const QByteArray &t, int off)
{
    return static_cast<qint32>((static_cast<quint32>(u16(t, off)) << 16) | static_cast<quint32>(u16(t, off + 2)));
}

} // namespace

OutlineMetricsResult outlineMetrics(const QString &name, TFontStyles style, int emPixels, OutlineFontMetrics &out)
{
    // The face is realised through the same path as every drawn text, so the
    // metrics describe exactly the face the pages are drawn with.
    TFont font;
    font.SetName(name);
    font.SetStyle(style);
    font.SetHeight(-emPixels);
    const FontResource &res = font.Resource();
    if (!res.face)
        return OutlineMetricsResult::NotOutlineFont;
    const fonts::FontFace &face = *res.face;
    const QByteArray head = face.table("head");
    if (head.isEmpty())
        return OutlineMetricsResult::NotOutlineFont;
    const QByteArray hhea = face.table("hhea");
    const QByteArray os2 = face.table("OS/2");
    const QByteArray post = face.table("post");
    if (head.size() < 54 || hhea.size() < 36 || os2.size() < 78 || post.size() < 8)
        return OutlineMetricsResult::Failed;
    const int upm = u16(head, 18);
    if (upm <= 0)
        return OutlineMetricsResult::Failed;

    const double scale = static_cast<double>(emPixels) / upm;
    auto px = [scale](int units) { return RoundCoord(units * scale); };

    out.trueTypeOutlines = face.hasTable("glyf");
    out.family = face.familyName();
    out.unitsPerEm = upm;
    out.fontBox = TRect{px(s16(head, 36)), px(s16(head, 42)), px(s16(head, 40)), px(s16(head, 38))};
    out.italicAngle = RoundCoord(s32(post, 4) / 65536.0 * 10.0);
    out.ascent = px(u16(os2, 74));
    out.descent = px(u16(os2, 76));
    out.internalLeading = out.ascent + out.descent - emPixels;
    out.maxWidth = px(u16(hhea, 10));
    out.avgWidth = px(s16(os2, 2));

    // Cap and x heights are in OS/2 from version 2 on; older faces are
    // measured on their own H and x.
    const int version = u16(os2, 0);
    if (version >= 2 && os2.size() >= 90) {
        out.xHeight = px(s16(os2, 86));
        out.capHeight = px(s16(os2, 88));
    } else {
        const QRawFont &raw = res.rawFont();
        auto glyphTop = [&](char16_t ch) {
            const QList<quint32> g = raw.glyphIndexesForString(QString(QChar(ch)));
            if (g.isEmpty() || g[0] == 0)
                return 0;
            return RoundCoord(-raw.boundingRect(g[0]).top());
        };
        out.capHeight = glyphTop(u'H');
        out.xHeight = glyphTop(u'x');
    }

    // Control characters are never printed as glyphs (the toolkit maps some
    // of them to the space glyph), so the range starts at the space.
    out.firstChar = -1;
    out.lastChar = -1;
    for (int b = 32; b < 256; ++b) {
        if (res.glyphs[b] != 0) {
            if (out.firstChar < 0)
                out.firstChar = b;
            out.lastChar = b;
        }
    }
    if (out.firstChar < 0)
        out.firstChar = out.lastChar = 0;
    return OutlineMetricsResult::Ok;
}

} // namespace prenso::fonts
