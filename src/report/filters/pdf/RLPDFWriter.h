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
// Where the bytes go (a file written safely, memory, a print job) is
// RLPDFOutput's business; the file's object structure RLPDFFile's; fonts,
// pictures and number formats have files of their own.

#include "platform/graphics/valuetypes.h"
#include "report/filters/pdf/RLPDFFonts.h"
#include "report/filters/pdf/RLPDFFormat.h"
#include "report/filters/pdf/RLPDFImages.h"
#include "report/storage/RLGraphicStorage.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

class TRLPDFFile;
class TRLPDFOutput;
class TRLPDFSink;

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

class TRLPDFWriter {
public:
    // Fills the widths and descriptor of every font written with them (all
    // embedded fonts; without embedding, those not among the 14 standard
    // fonts). GetMetaFontMetrics unless replaced.
    using FontMetricsProvider = TRLPDFFonts::FontMetricsProvider;

    TRLPDFWriter();
    // Abandons an unfinished document.
    ~TRLPDFWriter();
    TRLPDFWriter(const TRLPDFWriter &) = delete;
    TRLPDFWriter &operator=(const TRLPDFWriter &) = delete;

    TRLPDFFilterImageFormat ImageFormat() const { return FImageFormat; }
    void SetImageFormat(TRLPDFFilterImageFormat format) { FImageFormat = format; }
    // A fixed creation date, so that the same pages give the same bytes.
    // For tests.
    void SetDeterministic(bool value) { FDeterministic = value; }
    void SetFontMetricsProvider(FontMetricsProvider provider) { FFontMetrics = std::move(provider); }
    // Whether fonts carry the program of their face (cut down to the
    // characters shown), so that the document shows the same everywhere:
    // on by default. Off, the 14 standard names stay references to the
    // reader's own fonts and other fonts are widths and a descriptor.
    void SetEmbedFonts(bool value) { FEmbedFonts = value; }
    // Whether the document is an archive file (PDF/A-1b): every font embedded
    // (a face that cannot be is an error), XMP metadata, the sRGB output
    // intent, a file identifier and the strict object layout. Off by default.
    void SetArchive(bool value) { FArchive = value; }

    // Starts the file: header, information and catalog objects. `printSize`
    // is the page size in pixels as oriented; pages without a size of their
    // own get it. Raises EFCreateError when the file cannot be created.
    void BeginDoc(const QString &fileName, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    // The same into memory: the document is appended to `memory` (which
    // must outlive it); an abandoned document takes its bytes back out.
    void BeginDoc(std::string &memory, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    // The same into a sink that takes the bytes as they come (a print job).
    // The sink must outlive the document; an abandoned document is the
    // sink owner's to cancel.
    void BeginDoc(TRLPDFSink &sink, TPoint printSize, const TRLPDFFilterDocumentInfo &info);
    // Writes a picture for the next page and returns its 1-based number.
    // `original` may hold the picture's own file bytes: a JPEG file is then
    // copied as it is (JPEG and original formats). Raises "Unknown
    // imageformat" for a format value outside the three.
    int WriteImage(const QImage &image, std::string_view original = {});

    // One page of `width` × `height` pixels (0 takes the print size). The
    // pixels are report pixels unless `unitX` and `unitY` say how many report
    // pixels one of them is (a printer's pixels at 1200 per inch are 0.08):
    // then every coordinate, length and text of the page is in those units.
    void BeginPage(int width, int height, double unitX = 1, double unitY = 1);
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
    // A text as the canvas draws it (the printer's pages): the top left
    // corner of its cell at (x, y), its baseline the font's ascent below,
    // cut at `clip` when one is given, on the box a solid brush fills (the
    // clip, else the text's cell).
    void DeviceText(const TRect *clip, int x, int y, std::string_view text, const TFont &font,
                    const TRLMetaBrush &brush);
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
    bool Active() const { return FFile != nullptr; }

    int PageCount() const { return static_cast<int>(FPages.size()); }
    int FontCount() const { return FFonts.Count(); }
    int ImageCount() const { return static_cast<int>(FImages.size()); }
    // The temporary file being written, empty when none (for tests).
    QString TemporaryFileName() const;

private:
    void beginDoc(std::unique_ptr<TRLPDFOutput> output, TPoint printSize, const TRLPDFFilterDocumentInfo &info,
                  const QString &name);
    // The archive's metadata and output intent, referred to by the catalog.
    void WriteArchiveObjects(int metadata, int outputIntent, const TRLPDFFilterDocumentInfo &info,
                             const QDateTime &created);
    void WritePoint(int x, int y, std::string_view tail);
    void WriteRect(const TRect &r, std::string_view tail);
    void WriteColor(const TRLMetaColor &c, std::string_view tail);
    void WritePen(const TRLMetaPen &pen);
    void WritePaint(bool close, const TRLMetaPen &pen, const TRLMetaBrush &brush);
    // Font, position and text of a text object, then its underline and
    // strike-out.
    void WriteTextRun(const TFont &font, long long x, long long baseline, std::string_view text, long long width);
    void WriteTextLines(const TFont &font, long long x, long long baseline, long long width);
    void RequirePage(const char *operation) const;

    std::unique_ptr<TRLPDFFile> FFile;
    TRLPDFFonts FFonts;
    std::vector<int> FImages;
    std::vector<int> FPages;
    TPoint FPrintSize;
    TPoint FPageSize;
    int FContentsObjAt = 0;
    int FLengthObjAt = 0;
    int FPageTreeObjAt = 0;
    int FResourcesObjAt = 0;
    int FCatalogObjAt = 0;
    int FInfoObjAt = 0;
    int FClipDepth = 0;
    double FUnitY = 1;
    bool FInPage = false;
    TRLPDFFilterImageFormat FImageFormat = TRLPDFFilterImageFormat::ifJPeg;
    bool FDeterministic = false;
    bool FEmbedFonts = true;
    bool FArchive = false;
    std::string FIdSeed; // what the file identifier is made from
    // The quality of pictures compressed to JPEG (1..100).
    int FJpegQuality = 90;
    FontMetricsProvider FFontMetrics;
    bool FColorCached = false;
    TRLMetaColor FCachedColor;
    std::string FCachedColorText;
};

} // namespace prenso
