#pragma once
// The PDF writer behind TRLPDFFilter.
//
// It writes a PDF file in one forward pass: object numbers that something
// written earlier has to refer to (the page tree, the shared resources, a
// stream's length, a font) are reserved ahead and written later. Each page is
// one page object and one uncompressed content stream; fonts and pictures are
// shared by all pages and written once, at the end or just before the page
// that first shows them. Every line ends with CR LF; texts are Windows-1252
// bytes, declared as WinAnsiEncoding.
//
// The writer knows nothing of the page storage: the filter walks the stored
// objects of a page and calls one drawing operation per object. Coordinates
// are report pixels (96 per inch, origin at the top left); the writer turns
// them into points with the origin at the bottom left.
//
// The file is never written in place. It is built under a temporary name
// beside the target, created exclusively, and renamed over the target only
// once complete; an error or an abandoned document removes the temporary
// file and leaves any earlier file of that name as it was.

#include "platform/graphics.h"
#include "report/storage/RLGraphicStorage.h"

#include <QImage>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

struct TRLMetaFontMetrics;

// ---------------------------------------------------------------------------
// Settings shared by the filter and the writer

enum class TRLPDFFilterImageFormat { ifBitmap, ifJPeg, ifOriginal };

enum class TRLPDFFilterDashPatternType { dpRegular, dpSolid, dp33, dp1222, dp2121, dp23535, dp13232 };

// The document information dictionary.
class TRLPDFFilterDocumentInfo {
public:
    const QString &Title() const { return FTitle; }
    void SetTitle(const QString &v) { FTitle = v; }
    const QString &Subject() const { return FSubject; }
    void SetSubject(const QString &v) { FSubject = v; }
    const QString &Author() const { return FAuthor; }
    void SetAuthor(const QString &v) { FAuthor = v; }
    const QString &KeyWords() const { return FKeyWords; }
    void SetKeyWords(const QString &v) { FKeyWords = v; }
    const QString &Creator() const { return FCreator; }
    void SetCreator(const QString &v) { FCreator = v; }
    const QString &Producer() const { return FProducer; }
    void SetProducer(const QString &v) { FProducer = v; }

    // Copies every field; nullptr clears them all.
    void Assign(const TRLPDFFilterDocumentInfo *source);
    void Clear() { Assign(nullptr); }
    friend bool operator==(const TRLPDFFilterDocumentInfo &, const TRLPDFFilterDocumentInfo &) = default;

private:
    QString FTitle;
    QString FSubject;
    QString FAuthor;
    QString FKeyWords;
    QString FCreator;
    QString FProducer;
};

// ---------------------------------------------------------------------------
// Number and text formats

// (pixels / 96) × 72.
double PDF_PixelsToPoints(double pixels);
// Fixed notation with at most 4 decimals, no trailing zeros and no trailing
// point: 0 -> "0", 2.5 -> "2.5", 2 -> "2". Independent of the locale.
std::string PDF_FloatToStr(double value);
// A length in pixels as points, written as PDF_FloatToStr(PDF_PixelsToPoints(pixels)) is.
std::string PDF_PixelsToStr(long long pixels);
// Decimal digits left-padded with zeros to `width`.
std::string PDF_Zeros(long long value, int width);
// "n 0 R".
std::string PDF_IndirectObjStr(int objectNumber);
// "D:YYYYMMDDHHmmSS" in local time, no time zone.
std::string PDF_CurrentDateTimeStr();
// A Windows-1252 text for a PDF literal string: "(", ")" and backslash get a
// backslash; bytes below 32, 127 and 128 to 159 become a backslash and three
// octal digits (128 to 159 are the typographic signs of Windows-1252, which a
// WinAnsi font shows from that byte); other bytes stay as they are.
std::string PDF_EncodeText(std::string_view text);
// The dash operator for a border dash pattern; empty for dpRegular.
std::string PDF_GetDashPattern(TRLPDFFilterDashPatternType pattern);
// round(size × 14.5 / 12), a size of 0 counting as 10.
int PDF_CalcTextLeadingPointSize(int fontSize);

// The creation date written when output is deterministic.
inline constexpr const char *PDF_FixedDateTimeStr = "D:20000101000000";

// ---------------------------------------------------------------------------

class TRLPDFWriter {
public:
    // Fills metrics for a font that is not one of the 14 standard fonts.
    // GetMetaFontMetrics unless replaced.
    using FontMetricsProvider = std::function<void(const QString &name, TFontStyles style, TRLMetaFontMetrics &)>;

    TRLPDFWriter();
    // Abandons an unfinished document.
    ~TRLPDFWriter();
    TRLPDFWriter(const TRLPDFWriter &) = delete;
    TRLPDFWriter &operator=(const TRLPDFWriter &) = delete;

    TRLPDFFilterImageFormat ImageFormat() const { return FImageFormat; }
    void SetImageFormat(TRLPDFFilterImageFormat format) { FImageFormat = format; }
    // A fixed creation date, so that the same pages give the same bytes.
    // For tests.
    bool Deterministic() const { return FDeterministic; }
    void SetDeterministic(bool value) { FDeterministic = value; }
    void SetFontMetricsProvider(FontMetricsProvider provider) { FFontMetrics = std::move(provider); }
    // The quality of pictures compressed to JPEG (1..100).
    int JpegQuality() const { return FJpegQuality; }
    void SetJpegQuality(int quality) { FJpegQuality = quality; }

    // Starts the file: header, information and catalog objects. `printSize`
    // is the page size in pixels as oriented; pages without a size of their
    // own get it. Raises EFCreateError when the file cannot be created.
    void BeginDoc(const QString &fileName, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    // The same into memory: the document is appended to `memory` (which
    // must outlive it); an abandoned document takes its bytes back out.
    void BeginDoc(std::string &memory, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    // Writes a picture for the next page and returns its 1-based number.
    // `original` may hold the picture's own file bytes: a JPEG file is then
    // copied as it is (JPEG and original formats). Raises "Unknown
    // imageformat" for a format value outside the three.
    int WriteImage(const QImage &image, std::string_view original = {});

    // One page of `width` × `height` pixels (0 takes the print size).
    void BeginPage(int width, int height);
    void Pixel(const TRect &bounds, const TRLMetaColor &color);
    void Line(TPoint from, TPoint to, const TRLMetaPen &pen);
    void Rectangle(const TRect &bounds, const TRLMetaPen &pen, const TRLMetaBrush &brush);
    void FillRect(const TRect &bounds, const TRLMetaBrush &brush);
    void Ellipse(const TRect &bounds, const TRLMetaPen &pen, const TRLMetaBrush &brush);
    void Polygon(std::span<const TPoint> points, const TRLMetaPen &pen, const TRLMetaBrush &brush);
    void Polyline(std::span<const TPoint> points, const TRLMetaPen &pen);
    // A stored text: `text` is the display text (macros expanded), `font`
    // a 96-pixels-per-inch font with the text's name, size, style and colour.
    void Text(const TRect &bounds, TPoint origin, TRLMetaTextAlignment alignment, TRLMetaTextLayout layout,
              TRLMetaTextFlags flags, std::string_view text, const TFont &font);
    // A picture written by WriteImage, stretched into `bounds`.
    void Image(const TRect &bounds, int imageNumber);
    void SetClipRect(const TRect &bounds);
    void ResetClipRect();
    void EndPage();

    // Fonts, resources, page tree, cross-reference table and trailer; then
    // the file takes its name. Raises an error (and keeps nothing) when a
    // font's metrics cannot be read or the file cannot be written.
    void EndDoc();
    // Drops the document: the temporary file is removed, the target untouched.
    void Abandon();
    bool Active() const { return FOutputStream != nullptr; }

    int PageCount() const { return static_cast<int>(FPages.size()); }
    int FontCount() const { return static_cast<int>(FFonts.size()); }
    int ImageCount() const { return static_cast<int>(FImages.size()); }
    // The temporary file being written, empty when none (for tests).
    QString TemporaryFileName() const;

    class Output;

private:
    struct FontEntry {
        QString Name; // at most 127 characters
        TFontStyles Style = 0;
        int ObjectNumber = 0;
    };

    void beginDoc(std::unique_ptr<Output> output, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    int ReserveObjNumber();
    int AllocObjNumber();
    // Records the offset of object `number` (0 allocates one) and returns it.
    int StartObj(int number);
    void BeginDictionaryObj(int number);
    void EndDictionaryObj();
    void BeginPlainObj(int number);
    void EndPlainObj();
    void BeginStream();
    std::int64_t EndStream();
    void WriteLengthObj(int number, std::int64_t length);

    void Write(std::string_view bytes);
    // Formatting in place: Room gives space for n bytes in the output
    // buffer, Advance takes what was put between start and end.
    char *Room(size_t n);
    void Advance(const char *end, const char *start);
    void WriteLn(std::string_view line);
    // Numbers in the PDF_FloatToStr form separated by spaces, then `tail`
    // and the end of line.
    void WriteNumbers(std::initializer_list<double> values, std::string_view tail);
    // The same for lengths in pixels, written in points.
    void WritePixels(std::initializer_list<long long> pixels, std::string_view tail);
    void WritePoint(int x, int y, std::string_view tail);
    void WriteRect(const TRect &r, std::string_view tail);
    void WriteColor(const TRLMetaColor &c, std::string_view tail);
    void WriteInt(long long value);
    void WriteEncodedText(std::string_view text);
    void WritePen(const TRLMetaPen &pen);
    void WritePaint(bool close, const TRLMetaPen &pen, const TRLMetaBrush &brush);
    int RegisterFont(const QString &name, TFontStyles style);
    void WriteFont(int index);
    void RequirePage(const char *operation) const;

    std::unique_ptr<Output> FOutputStream;
    std::int64_t FWritePos = 0;
    char FLastByte = 0;
    std::vector<std::int64_t> FObjects; // offset by object number - 1; -1 until written
    int FObjectCount = 0;
    std::vector<int> FReserveds;
    int FMaxReserved = 0;
    std::vector<FontEntry> FFonts;
    std::vector<int> FImages;
    std::vector<int> FPages;
    TPoint FPrintSize;
    TPoint FPageSize;
    std::int64_t FXRefOfs = 0;
    std::int64_t FStreamStart = 0;
    int FContentsObjAt = 0;
    int FLengthObjAt = 0;
    int FPageTreeObjAt = 0;
    int FResourcesObjAt = 0;
    int FCatalogObjAt = 0;
    int FInfoObjAt = 0;
    int FClipDepth = 0;
    bool FInPage = false;
    TRLPDFFilterImageFormat FImageFormat = TRLPDFFilterImageFormat::ifJPeg;
    bool FDeterministic = false;
    int FJpegQuality = 90;
    FontMetricsProvider FFontMetrics;
    bool FColorCached = false;
    TRLMetaColor FCachedColor;
    std::string FCachedColorText;
};

} // namespace prenso
