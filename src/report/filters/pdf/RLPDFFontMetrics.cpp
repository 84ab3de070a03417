#include "report/filters/pdf/RLPDFFontMetrics.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/fontmetrics.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"

#include <algorithm>

namespace prenso {

void GetMetaFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics)
{
    // Size 750 on the 96-dpi measuring canvas is 1000 pixels per em.
    TFont font;
    font.SetPixelsPerInch(kDesignPixelsPerInch);
    font.SetName(fontName);
    font.SetStyle(fontStyle);
    font.SetSize(750);
    const int em = -font.Height();

    fonts::OutlineFontMetrics om;
    switch (fonts::outlineMetrics(fontName, fontStyle, em, om)) {
    case fonts::OutlineMetricsResult::NotOutlineFont:
        throw Exception(QStringLiteral("Invalid font for GetOutlineTextMetrics"));
    case fonts::OutlineMetricsResult::Failed: throw Exception(QStringLiteral("GetOutlineTextMetrics failed"));
    case fonts::OutlineMetricsResult::Ok: break;
    }
    const std::string name = cp1252::encode(fontName);
    metrics.TrueType = om.trueTypeOutlines;
    metrics.BaseFont = name;
    metrics.FirstChar = om.firstChar & 255;
    metrics.LastChar = om.lastChar & 255;
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(font);
    for (int code = metrics.FirstChar; code <= metrics.LastChar; ++code) {
        const char ch = static_cast<char>(code);
        metrics.Widths[static_cast<size_t>(code)] = canvas.TextWidth(std::string_view(&ch, 1));
    }
    TRLMetaFontDescriptor &d = metrics.FontDescriptor;
    d.Name = name;
    d.Styles.clear();
    if (fontStyle & fsBold)
        d.Styles += "Bold";
    if (fontStyle & fsItalic)
        d.Styles += "Italic";
    if (fontStyle & fsUnderline)
        d.Styles += "Underline";
    if (fontStyle & fsStrikeOut)
        d.Styles += "StrikeOut";
    d.Flags = 32;
    d.FontBBox = om.fontBox;
    d.MissingWidth = 0;
    d.StemV = 0;
    d.StemH = 0;
    d.ItalicAngle = om.italicAngle;
    d.CapHeight = om.capHeight;
    d.XHeight = om.xHeight;
    d.Ascent = om.ascent;
    d.Descent = om.descent;
    d.Leading = om.internalLeading;
    d.MaxWidth = om.maxWidth;
    d.AvgWidth = om.avgWidth;
}

void GetCanvasFontMetrics(const QString &fontName, TFontStyles fontStyle, TRLMetaFontMetrics &metrics)
{
    try {
        GetMetaFontMetrics(fontName, fontStyle, metrics);
        return;
    } catch (const Exception &) {
        // A face without outline tables: what the canvas measures it with.
    }
    TFont font;
    font.SetPixelsPerInch(kDesignPixelsPerInch);
    font.SetName(fontName);
    font.SetStyle(fontStyle);
    font.SetSize(750);
    const FontResource &res = font.Resource();
    const std::string name = cp1252::encode(fontName);
    metrics = TRLMetaFontMetrics();
    metrics.BaseFont = name;
    metrics.FirstChar = 32;
    metrics.LastChar = 255;
    int widest = 0;
    long long sum = 0;
    for (int code = metrics.FirstChar; code <= metrics.LastChar; ++code) {
        const int w = res.advances[static_cast<size_t>(code)];
        metrics.Widths[static_cast<size_t>(code)] = w;
        widest = std::max(widest, w);
        sum += w;
    }
    TRLMetaFontDescriptor &d = metrics.FontDescriptor;
    d.Name = name;
    d.Flags = 32;
    d.FontBBox = TRect{0, res.ascent, widest, -res.descent};
    d.CapHeight = res.ascent * 7 / 10;
    d.XHeight = res.ascent / 2;
    d.Ascent = res.ascent;
    d.Descent = res.descent;
    d.Leading = std::max(0, res.height() - res.emPixels);
    d.MaxWidth = widest;
    d.AvgWidth = static_cast<int>(sum / (metrics.LastChar - metrics.FirstChar + 1));
}

} // namespace prenso
