#include "report/filters/pdf/RLPDFWriter.h"

#include "platform/graphics/canvas.h"
#include "platform/system/errors.h"
#include "report/filters/pdf/RLPDFArchive.h"
#include "report/filters/pdf/RLPDFFile.h"
#include "report/filters/pdf/RLPDFFontMetrics.h"
#include "report/filters/pdf/RLPDFOutput.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace prenso {

// ---------------------------------------------------------------------------
// Document information

void TRLPDFFilterDocumentInfo::Assign(const TRLPDFFilterDocumentInfo *source)
{
    if (source)
        *this = *source;
    else
        *this = TRLPDFFilterDocumentInfo();
}

namespace {

TRLMetaColor metaColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return TRLMetaColor{static_cast<std::uint8_t>(GetRValue(rgb)), static_cast<std::uint8_t>(GetGValue(rgb)),
                        static_cast<std::uint8_t>(GetBValue(rgb))};
}

} // namespace

// ---------------------------------------------------------------------------
// Writer

TRLPDFWriter::TRLPDFWriter() : FFontMetrics(GetMetaFontMetrics)
{}

TRLPDFWriter::~TRLPDFWriter()
{
    Abandon();
}

QString TRLPDFWriter::TemporaryFileName() const
{
    return FFile ? FFile->Output().TempName() : QString();
}

void TRLPDFWriter::Abandon()
{
    FFile.reset();
    FInPage = false;
}

void TRLPDFWriter::WritePoint(int x, int y, std::string_view tail)
{
    FFile->WritePixels({x, static_cast<long long>(FPageSize.Y) - y}, tail);
}

void TRLPDFWriter::WriteRect(const TRect &r, std::string_view tail)
{
    FFile->WritePixels({r.Left, static_cast<long long>(FPageSize.Y) - r.Bottom,
                        static_cast<long long>(r.Right) - r.Left, static_cast<long long>(r.Bottom) - r.Top},
                       tail);
}

void TRLPDFWriter::WriteColor(const TRLMetaColor &c, std::string_view tail)
{
    // Pages repeat a handful of colours thousands of times.
    if (!FColorCached || c != FCachedColor) {
        char buf[3 * kPDFFloatChars];
        char *p = PDFFormatFloat(buf, c.Red / 255.0);
        *p++ = ' ';
        p = PDFFormatFloat(p, c.Green / 255.0);
        *p++ = ' ';
        p = PDFFormatFloat(p, c.Blue / 255.0);
        FCachedColorText.assign(buf, p);
        FCachedColor = c;
        FColorCached = true;
    }
    char *const start = FFile->Room(FCachedColorText.size() + kPDFLineRoom);
    std::memcpy(start, FCachedColorText.data(), FCachedColorText.size());
    FFile->Advance(PDFPutTail(start + FCachedColorText.size(), tail), start);
}

void TRLPDFWriter::BeginDoc(const QString &fileName, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    Abandon();
    beginDoc(std::make_unique<TRLPDFOutput>(fileName), printSize, info, fileName);
}

void TRLPDFWriter::BeginDoc(std::string &memory, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    Abandon();
    beginDoc(std::make_unique<TRLPDFOutput>(&memory), printSize, info, QString());
}

void TRLPDFWriter::BeginDoc(TRLPDFSink &sink, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    Abandon();
    beginDoc(std::make_unique<TRLPDFOutput>(&sink), printSize, info, QString());
}

void TRLPDFWriter::beginDoc(std::unique_ptr<TRLPDFOutput> output, TPoint printSize,
                            const TRLPDFFilterDocumentInfo &info, const QString &name)
{
    FFonts.Clear();
    FImages.clear();
    FPages.clear();
    FClipDepth = 0;
    FColorCached = false;
    FPrintSize = printSize;
    FPageSize = printSize;
    FFile = std::make_unique<TRLPDFFile>(std::move(output));
    FFile->SetStrictLayout(FArchive);
    const QDateTime created =
        FDeterministic ? QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC) : QDateTime::currentDateTime();
    try {
        // The archive's metadata and output intent came with 1.4.
        FFile->WriteLn(FArchive ? "%PDF-1.4" : "%PDF-1.2");
        // A comment of bytes above 127 tells transfer programs that the file
        // is binary (the JPEG streams are).
        FFile->WriteLn("%\xE2\xE3\xCF\xD3");

        FInfoObjAt = FFile->BeginDictionaryObj(0);
        // An archive is read in other time zones: its moment says its own.
        std::string date;
        if (FArchive)
            date = PDFArchiveDate(created);
        else
            date = FDeterministic ? std::string(PDF_FixedDateTimeStr) : PDF_CurrentDateTimeStr();
        FFile->WriteLn("/CreationDate(" + date + ")");
        const std::pair<const char *, const QString *> fields[] = {
            {"/Title", &info.Title()},       {"/Subject", &info.Subject()}, {"/Author", &info.Author()},
            {"/Keywords", &info.KeyWords()}, {"/Creator", &info.Creator()}, {"/Producer", &info.Producer()}};
        for (const auto &[key, value] : fields)
            if (!value->isEmpty())
                FFile->WriteLn(key + PDFInfoString(*value));
        FFile->EndDictionaryObj();

        FCatalogObjAt = FFile->BeginDictionaryObj(0);
        FFile->WriteLn("/Type/Catalog");
        FPageTreeObjAt = FFile->ReserveObjNumber();
        FFile->WriteLn("/Pages " + PDF_IndirectObjStr(FPageTreeObjAt));
        int metadata = 0, outputIntent = 0;
        if (FArchive) {
            metadata = FFile->ReserveObjNumber();
            outputIntent = FFile->ReserveObjNumber();
            FFile->WriteLn("/Metadata " + PDF_IndirectObjStr(metadata));
            FFile->WriteLn("/OutputIntents [ " + PDF_IndirectObjStr(outputIntent) + " ]");
        }
        FFile->EndDictionaryObj();
        if (FArchive)
            WriteArchiveObjects(metadata, outputIntent, info, created);
        FIdSeed = name.toStdString() + '\n' + created.toString(Qt::ISODateWithMs).toStdString();

        FResourcesObjAt = FFile->ReserveObjNumber();
    } catch (...) {
        Abandon();
        throw;
    }
}

void TRLPDFWriter::WriteArchiveObjects(int metadata, int outputIntent, const TRLPDFFilterDocumentInfo &info,
                                       const QDateTime &created)
{
    // Readers look for the metadata as it is: the stream is not compressed.
    FFile->WriteStreamObj(metadata, "/Type/Metadata/Subtype/XML", PDFArchiveMetadata(info, created));
    const int profile = FFile->ReserveObjNumber();
    FFile->BeginDictionaryObj(outputIntent);
    FFile->WriteLn("/Type/OutputIntent/S/GTS_PDFA1");
    FFile->WriteLn("/OutputConditionIdentifier(" PRENSO_SRGB_CONDITION ")");
    FFile->WriteLn("/Info(" PRENSO_SRGB_CONDITION ")");
    FFile->WriteLn("/DestOutputProfile " + PDF_IndirectObjStr(profile));
    FFile->EndDictionaryObj();
    FFile->WriteStreamObj(profile, "/N 3", SRGBProfile());
}

int TRLPDFWriter::WriteImage(const QImage &image, std::string_view original)
{
    if (!Active() || FInPage)
        throw std::logic_error("TRLPDFWriter::WriteImage outside a document or inside a page");
    FImages.push_back(WritePDFImage(*FFile, image, original, FImageFormat, FJpegQuality));
    return static_cast<int>(FImages.size());
}

void TRLPDFWriter::RequirePage(const char *operation) const
{
    if (!FInPage)
        throw std::logic_error(std::string("TRLPDFWriter::") + operation + " outside a page");
}

void TRLPDFWriter::BeginPage(int width, int height, double unitX, double unitY)
{
    if (!Active() || FInPage)
        throw std::logic_error("TRLPDFWriter::BeginPage outside a document or inside a page");
    if (!(unitX > 0) || !(unitY > 0))
        throw std::logic_error("TRLPDFWriter::BeginPage with a unit of no size");
    FPageSize = TPoint{width > 0 ? width : FPrintSize.X, height > 0 ? height : FPrintSize.Y};
    FUnitY = unitY;
    const int page = FFile->AllocObjNumber();
    FPages.push_back(page);
    FFile->BeginDictionaryObj(page);
    FFile->WriteLn("/Type/Page");
    FFile->WriteLn("/Parent " + PDF_IndirectObjStr(FPageTreeObjAt));
    FFile->WriteLn("/Resources " + PDF_IndirectObjStr(FResourcesObjAt));
    FFile->WriteLn("/MediaBox [ 0 0 " + PDF_FloatToStr(PDF_PixelsToPoints(FPageSize.X * unitX)) + ' ' +
                   PDF_FloatToStr(PDF_PixelsToPoints(FPageSize.Y * unitY)) + " ]");
    FContentsObjAt = FFile->ReserveObjNumber();
    FFile->WriteLn("/Contents " + PDF_IndirectObjStr(FContentsObjAt));
    FFile->EndDictionaryObj();

    FLengthObjAt = FFile->ReserveObjNumber();
    FFile->BeginDictionaryObj(FContentsObjAt);
    FFile->WriteLn("/Length " + PDF_IndirectObjStr(FLengthObjAt));
    FFile->BeginStream();
    if (unitX != 1 || unitY != 1)
        FFile->WriteNumbers({unitX, 0, 0, unitY, 0, 0}, " cm");
    FInPage = true;
    FClipDepth = 0;
}

void TRLPDFWriter::EndPage()
{
    RequirePage("EndPage");
    // A clip set and never reset would leave the graphics state unbalanced.
    for (; FClipDepth > 0; --FClipDepth)
        FFile->WriteLn("Q");
    const std::int64_t length = FFile->EndStream();
    FFile->WriteLengthObj(FLengthObjAt, length);
    FInPage = false;
    FPageSize = FPrintSize;
}

void TRLPDFWriter::WritePen(const TRLMetaPen &pen)
{
    const bool clear = pen.Style() == MetaPenStyleClear;
    if (clear)
        FFile->WriteLn("0 w");
    else
        FFile->WriteNumbers({PDF_PixelsToPoints(pen.Width())}, " w");
    FFile->WriteLn("0 J");
    switch (pen.Style()) {
    case MetaPenStyleClear: break;
    case MetaPenStyleDash: FFile->WriteLn("[3] 0 d"); break;
    case MetaPenStyleDot: FFile->WriteLn("[1] 0 d"); break;
    case MetaPenStyleDashDot: FFile->WriteLn("[2 1] 0 d"); break;
    case MetaPenStyleDashDotDot: FFile->WriteLn("[3 5] 6 d"); break;
    default: // solid, inside frame, and codes this program does not know
        FFile->WriteLn("[] 0 d");
        break;
    }
    WriteColor(pen.Color(), " RG");
}

// Paints the current path: filled unless the brush is clear, outlined
// unless the pen is clear, as the canvas draws the shape.
void TRLPDFWriter::WritePaint(bool close, const TRLMetaPen &pen, const TRLMetaBrush &brush)
{
    const bool stroke = pen.Style() != MetaPenStyleClear;
    const bool fill = brush.Style() != MetaBrushStyleClear;
    if (fill && stroke)
        FFile->WriteLn(close ? "b" : "B");
    else if (fill)
        FFile->WriteLn("f");
    else if (stroke)
        FFile->WriteLn(close ? "s" : "S");
    else
        FFile->WriteLn("n");
}

void TRLPDFWriter::Pixel(const TRect &bounds, const TRLMetaColor &color)
{
    RequirePage("Pixel");
    // A pixel covers at least one pixel, as on the canvas.
    TRect r = bounds;
    r.Right = std::max(SatAdd(r.Left, 1), r.Right);
    r.Bottom = std::max(SatAdd(r.Top, 1), r.Bottom);
    FFile->WriteLn("0 w");
    FFile->WriteLn("0 J");
    WriteColor(color, " rg");
    WriteRect(r, " re");
    FFile->WriteLn("f");
}

void TRLPDFWriter::Line(TPoint from, TPoint to, const TRLMetaPen &pen)
{
    RequirePage("Line");
    WritePen(pen);
    WritePoint(from.X, from.Y, " m");
    WritePoint(to.X, to.Y, " l");
    FFile->WriteLn(pen.Style() == MetaPenStyleClear ? "n" : "S");
}

void TRLPDFWriter::Rectangle(const TRect &bounds, const TRLMetaPen &pen, const TRLMetaBrush &brush)
{
    RequirePage("Rectangle");
    WritePen(pen);
    WriteColor(brush.Color(), " rg");
    WriteRect(bounds, " re");
    WritePaint(false, pen, brush);
}

void TRLPDFWriter::FillRect(const TRect &bounds, const TRLMetaBrush &brush)
{
    RequirePage("FillRect");
    FFile->WriteLn("0 w");
    WriteColor(brush.Color(), " rg");
    WriteRect(bounds, " re");
    FFile->WriteLn("f");
}

void TRLPDFWriter::Ellipse(const TRect &bounds, const TRLMetaPen &pen, const TRLMetaBrush &brush)
{
    RequirePage("Ellipse");
    WritePen(pen);
    WriteColor(brush.Color(), " rg");
    const double cx = (static_cast<double>(bounds.Left) + bounds.Right) / 2.0;
    const double cy = (static_cast<double>(bounds.Top) + bounds.Bottom) / 2.0;
    const double rx = (static_cast<double>(bounds.Right) - bounds.Left) / 2.0;
    const double ry = (static_cast<double>(bounds.Bottom) - bounds.Top) / 2.0;
    std::string path;
    for (int k = 0; k < 36; ++k) {
        const double angle = k * 2.0 * std::numbers::pi / 36.0;
        const double x = cx + std::cos(angle) * rx;
        const double y = cy + std::sin(angle) * ry;
        path += PDF_FloatToStr(PDF_PixelsToPoints(x)) + ' ' + PDF_FloatToStr(PDF_PixelsToPoints(FPageSize.Y - y));
        path += k == 0 ? " m " : " l ";
    }
    FFile->WriteLn(path);
    WritePaint(true, pen, brush);
}

void TRLPDFWriter::Polygon(std::span<const TPoint> points, const TRLMetaPen &pen, const TRLMetaBrush &brush)
{
    RequirePage("Polygon");
    if (points.empty())
        return;
    WritePen(pen);
    WriteColor(brush.Color(), " rg");
    for (size_t i = 0; i < points.size(); ++i)
        WritePoint(points[i].X, points[i].Y, i == 0 ? " m " : " l ");
    WritePaint(true, pen, brush);
}

void TRLPDFWriter::Polyline(std::span<const TPoint> points, const TRLMetaPen &pen)
{
    RequirePage("Polyline");
    if (points.empty())
        return;
    WritePen(pen);
    for (size_t i = 0; i < points.size(); ++i)
        WritePoint(points[i].X, points[i].Y, i == 0 ? " m " : " l ");
    FFile->WriteLn(pen.Style() == MetaPenStyleClear ? "n" : "S");
}

void TRLPDFWriter::Text(const TRect &bounds, TPoint origin, TRLMetaTextAlignment alignment, TRLMetaTextLayout layout,
                        TRLMetaTextFlags flags, std::string_view text, const TFont &font)
{
    RequirePage("Text");
    const FontResource &metrics = font.Resource();
    const int a = metrics.width(std::string_view("1"));
    FFile->WriteLn("q");
    WriteColor(metaColor(font.Color()), " rg");
    // Bounds may lie anywhere in the int range (a damaged page, a text
    // "to the right edge" of INT_MAX): positions are worked out in 64 bits
    // and written as they come, like every other coordinate of the page.
    const long long left = bounds.Left, top = bounds.Top, right = bounds.Right, bottom = bounds.Bottom;
    const long long pageHeight = FPageSize.Y;
    if (!(flags & MetaTextFlagAutoSize)) {
        // The clip is one digit wider on the side the text runs to, so that
        // a text measured a little narrower than a reader's font still shows.
        long long clipLeft = left, clipRight = right;
        switch (alignment) {
        case MetaTextAlignmentRight: clipLeft -= a; break;
        case MetaTextAlignmentCenter:
        case MetaTextAlignmentJustify:
            clipLeft -= a / 2;
            clipRight += a / 2;
            break;
        default: clipRight += a; break;
        }
        FFile->WritePixels({clipLeft, pageHeight - bottom, clipRight - clipLeft, bottom - top}, " re");
        FFile->WriteLn("W n");
    }
    const long long tw = metrics.width(text);
    const long long th = metrics.height();
    long long x;
    switch (alignment) {
    case MetaTextAlignmentRight: x = right - tw - a; break;
    case MetaTextAlignmentCenter: x = (left + right - tw) / 2; break;
    default: x = origin.X; break;
    }
    long long base;
    switch (layout) {
    case MetaTextLayoutCenter: base = pageHeight - (th + (top + bottom - th) / 2); break;
    case MetaTextLayoutBottom: base = pageHeight - bottom; break;
    default: base = pageHeight - top - th; break;
    }
    WriteTextRun(font, x, base + th / 4, text, tw);
    FFile->WriteLn("Q");
}

void TRLPDFWriter::DeviceText(const TRect *clip, int x, int y, std::string_view text, const TFont &font,
                              const TRLMetaBrush &brush)
{
    RequirePage("DeviceText");
    const FontResource &metrics = font.Resource();
    const long long tw = metrics.width(text);
    FFile->WriteLn("q");
    const bool fill = brush.Style() == MetaBrushStyleSolid;
    if (clip) {
        WriteRect(*clip, " re");
        FFile->WriteLn("W n");
    }
    if (fill) {
        WriteColor(brush.Color(), " rg");
        if (clip)
            WriteRect(*clip, " re");
        else
            FFile->WritePixels({x, static_cast<long long>(FPageSize.Y) - y - metrics.height(), tw, metrics.height()},
                               " re");
        FFile->WriteLn("f");
    }
    WriteColor(metaColor(font.Color()), " rg");
    WriteTextRun(font, x, static_cast<long long>(FPageSize.Y) - y - metrics.ascent, text, tw);
    FFile->WriteLn("Q");
}

void TRLPDFWriter::WriteTextRun(const TFont &font, long long x, long long baseline, std::string_view text,
                                long long width)
{
    const int fontNumber = FFonts.Register(*FFile, font.Name(), font.Style(), font.Resource().face);
    FFonts.NoteShown(fontNumber, text);
    FFile->WriteLn("BT");
    FFile->Write("/F");
    FFile->WriteInt(fontNumber);
    FFile->Write(" ");
    // The size the text was laid out with: the face as realised, which a
    // font of no height (the default) or of a cell height has as well as one
    // given in points.
    const int points = MulDiv(font.Resource().emPixels, 72, font.PixelsPerInch());
    if (FUnitY == 1) {
        FFile->WriteInt(points);
        FFile->WriteLn(" Tf");
    } else {
        FFile->WriteNumbers({points / FUnitY}, " Tf");
    }
    FFile->WritePixels({x, baseline}, " Td");
    FFile->Write("(");
    FFile->WriteEncodedText(text);
    FFile->WriteLn(") Tj");
    FFile->WriteLn("ET");
    if (font.Style() & (fsUnderline | fsStrikeOut))
        WriteTextLines(font, x, baseline, width);
}

// A font's underline and strike-out are lines the canvas draws with the
// text; a PDF font has neither, so they are drawn here, where the font's
// own metrics put them, in the text's colour.
void TRLPDFWriter::WriteTextLines(const TFont &font, long long x, long long baseline, long long width)
{
    const QFontMetricsF fm(font.Resource().font);
    const double thickness = std::max(1.0, fm.lineWidth());
    WriteColor(metaColor(font.Color()), " RG");
    FFile->WriteNumbers({PDF_PixelsToPoints(thickness)}, " w");
    FFile->WriteLn("0 J");
    FFile->WriteLn("[] 0 d");
    auto line = [&](double y) {
        FFile->WriteNumbers({PDF_PixelsToPoints(static_cast<double>(x)), PDF_PixelsToPoints(y)}, " m");
        FFile->WriteNumbers({PDF_PixelsToPoints(static_cast<double>(x + width)), PDF_PixelsToPoints(y)}, " l");
        FFile->WriteLn("S");
    };
    if (font.Style() & fsUnderline)
        line(static_cast<double>(baseline) - fm.underlinePos());
    if (font.Style() & fsStrikeOut)
        line(static_cast<double>(baseline) + fm.strikeOutPos());
}

void TRLPDFWriter::Image(const TRect &bounds, int imageNumber)
{
    RequirePage("Image");
    if (imageNumber < 1 || imageNumber > static_cast<int>(FImages.size()))
        return;
    FFile->WriteLn("q");
    FFile->WriteLn("1 0 0 1 " + PDF_PixelsToStr(bounds.Left) + ' ' +
                   PDF_PixelsToStr(static_cast<long long>(FPageSize.Y) - bounds.Bottom) + " cm");
    FFile->WriteLn(PDF_PixelsToStr(static_cast<long long>(bounds.Right) - bounds.Left) + " 0 0 " +
                   PDF_PixelsToStr(static_cast<long long>(bounds.Bottom) - bounds.Top) + " 0 0 cm");
    FFile->WriteLn("/Image" + std::to_string(imageNumber) + " Do");
    FFile->WriteLn("Q");
}

void TRLPDFWriter::SetClipRect(const TRect &bounds)
{
    RequirePage("SetClipRect");
    FFile->WriteLn("q");
    // A clip without width or height means no clipping on the canvas; here
    // it only opens the level that the reset closes.
    if (bounds.Right != bounds.Left && bounds.Bottom != bounds.Top) {
        WriteRect(bounds, " re");
        FFile->WriteLn("W n");
    }
    ++FClipDepth;
}

void TRLPDFWriter::ResetClipRect()
{
    RequirePage("ResetClipRect");
    // A reset without a set would close a level the page never opened.
    if (FClipDepth == 0)
        return;
    FFile->WriteLn("Q");
    --FClipDepth;
}

void TRLPDFWriter::EndDoc()
{
    if (!Active())
        throw std::logic_error("TRLPDFWriter::EndDoc without a document");
    try {
        if (FInPage)
            EndPage();
        using Embedding = TRLPDFFonts::Embedding;
        FFonts.WriteAll(*FFile, FFontMetrics,
                        FArchive      ? Embedding::Required
                        : FEmbedFonts ? Embedding::WhereFaceAllows
                                      : Embedding::Off);

        FFile->BeginDictionaryObj(FResourcesObjAt);
        FFile->WriteLn("/ProcSet [ /PDF/Text/ImageB/ImageC ]");
        FFile->WriteLn("/Font <<");
        for (int i = 1; i <= FFonts.Count(); ++i)
            FFile->WriteLn("/F" + std::to_string(i) + ' ' + PDF_IndirectObjStr(FFonts.ObjectNumber(i)));
        FFile->WriteLn(">>");
        FFile->WriteLn("/XObject <<");
        for (size_t i = 0; i < FImages.size(); ++i)
            FFile->WriteLn("/Image" + std::to_string(i + 1) + ' ' + PDF_IndirectObjStr(FImages[i]));
        FFile->WriteLn(">>");
        FFile->EndDictionaryObj();

        FFile->BeginDictionaryObj(FPageTreeObjAt);
        FFile->WriteLn("/Type/Pages");
        FFile->WriteLn("/Count " + std::to_string(FPages.size()));
        FFile->WriteLn("/MediaBox [ 0 0 " + PDF_FloatToStr(PDF_PixelsToPoints(FPrintSize.X)) + ' ' +
                       PDF_FloatToStr(PDF_PixelsToPoints(FPrintSize.Y)) + " ]");
        std::string kids = "/Kids [ ";
        for (const int page : FPages)
            kids += PDF_IndirectObjStr(page) + ' ';
        FFile->WriteLn(kids + "]");
        FFile->EndDictionaryObj();

        // Made from the file's name, the moment to the millisecond and what
        // was written.
        const std::string id = FArchive ? PDFDocumentId(FIdSeed + '\n' + std::to_string(FFile->WritePos()) + '\n' +
                                                        std::to_string(FPages.size()))
                                        : std::string();
        FFile->Finish(FCatalogObjAt, FInfoObjAt, id);
        FFile.reset();
    } catch (...) {
        Abandon();
        throw;
    }
}

} // namespace prenso
