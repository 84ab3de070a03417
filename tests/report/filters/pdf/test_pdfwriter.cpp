// The PDF writer on its own: pages are drawn through its operations and the
// files are judged by qpdf, pdfinfo, pdftotext and pdftoppm.

#include "platform/graphics/canvas.h"
#include "platform/io/streams.h"
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/filters/pdf/RLJpeg.h"
#include "report/filters/pdf/RLPDFFontMetrics.h"
#include "report/filters/pdf/RLPDFWriter.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <csignal>
#include <iomanip>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace prenso;
using namespace prenso::test;

namespace {

// A4 portrait at 96 pixels per inch.
constexpr TPoint kA4{794, 1123};

TFont makeFont(const QString &name, int size, TFontStyles style = 0, TColor color = clBlack)
{
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    font.SetStyle(style);
    font.SetColor(color);
    return font;
}

TFont courierNew(int size = 10, TFontStyles style = 0)
{
    return makeFont(QStringLiteral("Courier New"), size, style);
}

// A text as a text control records it: bounds of its measured size at the
// origin, left aligned, top layout.
void textAt(TRLPDFWriter &w, int x, int y, std::string_view text, const TFont &font,
            TRLMetaTextFlags flags = MetaTextFlagNoSplit)
{
    const FontResource &r = font.Resource();
    w.Text(TRect{x, y, x + r.width(text), y + r.height()}, TPoint{x, y}, MetaTextAlignmentLeft, MetaTextLayoutTop,
           flags, text, font);
}

TRLPDFFilterDocumentInfo plainInfo()
{
    TRLPDFFilterDocumentInfo info;
    info.SetCreator(QStringLiteral("test"));
    return info;
}

TRLMetaPen pen(TRLMetaPenStyle style, int width, TRLMetaColor color = {0, 0, 0})
{
    TRLMetaPen p;
    p.SetStyle(style);
    p.SetWidth(width);
    p.SetColor(color);
    return p;
}

TRLMetaBrush brush(TRLMetaBrushStyle style, TRLMetaColor color)
{
    TRLMetaBrush b;
    b.SetStyle(style);
    b.SetColor(color);
    return b;
}

QImage solidImage(int w, int h, QColor color, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    img.fill(color);
    return img;
}

// The numbers of the objects in file order ("n 0 obj" at a line start).
std::vector<int> objectOrder(const std::string &pdf)
{
    std::vector<int> order;
    static const QRegularExpression re(QStringLiteral("(?:^|\\n)(\\d+) 0 obj"));
    auto it = re.globalMatch(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size())));
    while (it.hasNext())
        order.push_back(it.next().captured(1).toInt());
    return order;
}

// The line that follows the first line equal to `line`.
std::string lineAfter(const std::string &pdf, const std::string &line)
{
    const size_t at = pdf.find("\r\n" + line + "\r\n");
    if (at == std::string::npos)
        return "<no line " + line + ">";
    const size_t start = at + line.size() + 4;
    return pdf.substr(start, pdf.find("\r\n", start) - start);
}

// The content stream of page `index` (0-based).
std::string pageContent(const std::string &pdf, int index = 0)
{
    size_t page = 0;
    for (int i = 0; i <= index; ++i) {
        page = pdf.find("/Type/Page\r\n", i == 0 ? 0 : page + 1);
        if (page == std::string::npos)
            return std::string();
    }
    const size_t start = pdf.find("stream\r\n", page);
    const size_t end = pdf.find("endstream", start);
    if (start == std::string::npos || end == std::string::npos)
        return std::string();
    return pdf.substr(start + 8, end - start - 8);
}

int count(const std::string &hay, const std::string &needle)
{
    int n = 0;
    for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size()))
        ++n;
    return n;
}

// The lines of a content stream.
QStringList contentLines(const std::string &content)
{
    QStringList lines = QString::fromLatin1(content.data(), static_cast<qsizetype>(content.size()))
                            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines;
}

// The four numbers before " re" on the line `at` of a content stream.
std::vector<double> numbersOf(const QString &line)
{
    std::vector<double> v;
    for (const QString &part : line.split(u' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double d = part.toDouble(&ok);
        if (ok)
            v.push_back(d);
    }
    return v;
}

double pt(double pixels)
{
    return pixels * 72.0 / 96.0;
}

// One page written with `draw` and finished; returns the file's bytes.
template <class Draw>
std::string onePage(const QString &path, Draw draw, TRLPDFWriter *writer = nullptr)
{
    TRLPDFWriter own;
    TRLPDFWriter &w = writer ? *writer : own;
    w.BeginDoc(path, kA4, plainInfo());
    w.BeginPage(kA4.X, kA4.Y);
    draw(w);
    w.EndPage();
    w.EndDoc();
    return readFile(path);
}

// Fonts as references and widths only: the file's own structure, as the
// tests of its layout read it.
struct PlainFontsWriter : TRLPDFWriter {
    PlainFontsWriter() { SetEmbedFonts(false); }
};

bool near(QRgb pixel, QColor expected, int tolerance = 40)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

} // namespace

// ---------------------------------------------------------------------------
// Number and text formats

TEST(PdfFormats, FloatToStrHasAtMostFourDecimalsAndNoTrailingZeros)
{
    const std::pair<double, const char *> cases[] = {{0, "0"},
                                                     {2.5, "2.5"},
                                                     {2, "2"},
                                                     {1.5, "1.5"},
                                                     {0.75, "0.75"},
                                                     {-3.25, "-3.25"},
                                                     {1.0 / 3, "0.3333"},
                                                     {2.0 / 3, "0.6667"},
                                                     {-0.00001, "0"},
                                                     {1e9, "1000000000"},
                                                     {595.5, "595.5"},
                                                     {842.25, "842.25"},
                                                     {0.00005001, "0.0001"}};
    for (const auto &[value, expected] : cases)
        EXPECT_EQ(PDF_FloatToStr(value), expected) << "for " << value;
    EXPECT_EQ(PDF_FloatToStr(std::numeric_limits<double>::quiet_NaN()), "0");
}

// The writer formats most numbers by scaling them to integers; that must give
// exactly what a correctly rounded conversion to four decimals gives, also for
// values on and around the ties of the fifth decimal and far from the page.
TEST(PdfFormats, FloatToStrAgreesWithCorrectRounding)
{
    auto reference = [](double value) {
        char buf[400];
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
        std::string s(buf, res.ptr);
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
        return s == "-0" ? std::string("0") : s;
    };
    std::vector<double> values;
    for (int px = -3000; px <= 3000; ++px)
        values.push_back(px * 0.75);
    for (int c = 0; c <= 255; ++c)
        values.push_back(c / 255.0);
    for (int k = -2000; k <= 2000; ++k) {
        values.push_back(k / 20000.0);         // exactly on a tie where representable
        values.push_back(k / 20000.0 + 1e-12); // just beside it
        values.push_back(k * 0.00005000000001);
    }
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> wide(-1e12, 1e12), narrow(-2000, 2000);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(wide(random));
        values.push_back(narrow(random));
    }
    values.insert(values.end(), {1e15, -1e15, 1e300, -1e300, 5e-324, 0.99995, 0.00005, -0.00005, 12345678.12345});
    for (const double v : values)
        ASSERT_EQ(PDF_FloatToStr(v), reference(v)) << "for " << std::setprecision(20) << v;
    // Coordinates in pixels take a shorter way that must write the same.
    for (long long px = -5000; px <= 5000; ++px)
        ASSERT_EQ(PDF_PixelsToStr(px), reference(PDF_PixelsToPoints(static_cast<double>(px)))) << "for " << px;
    for (const long long px : {2147483647LL, -2147483648LL, 4294967295LL})
        ASSERT_EQ(PDF_PixelsToStr(px), reference(PDF_PixelsToPoints(static_cast<double>(px)))) << "for " << px;
}

TEST(PdfFormats, PixelsToPointsZerosAndReferences)
{
    EXPECT_DOUBLE_EQ(PDF_PixelsToPoints(96), 72);
    EXPECT_DOUBLE_EQ(PDF_PixelsToPoints(1), 0.75);
    EXPECT_EQ(PDF_Zeros(17, 10), "0000000017");
    EXPECT_EQ(PDF_Zeros(0, 10), "0000000000");
    EXPECT_EQ(PDF_Zeros(12345678901LL, 10), "12345678901");
    EXPECT_EQ(PDF_IndirectObjStr(12), "12 0 R");
}

TEST(PdfFormats, CurrentDateTimeIsLocalTimeWithoutZone)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const std::string s = PDF_CurrentDateTimeStr();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^D:\\d{14}$")).match(QString::fromStdString(s)).hasMatch()) << s;
    const QDateTime t = QDateTime::fromString(QString::fromStdString(s.substr(2)), QStringLiteral("yyyyMMddHHmmss"));
    EXPECT_GE(t, before.addMSecs(-before.time().msec()));
    EXPECT_LE(t, after);
}

TEST(PdfFormats, EncodeTextEscapesDelimitersControlsAndTypographicSigns)
{
    EXPECT_EQ(PDF_EncodeText("a(b)c"), "a\\(b\\)c");
    EXPECT_EQ(PDF_EncodeText("C:\\dir"), "C:\\\\dir");
    EXPECT_EQ(PDF_EncodeText("a\tb"), "a\\011b");
    EXPECT_EQ(PDF_EncodeText(std::string_view("\0\r\n\x1F\x7F", 5)), "\\000\\015\\012\\037\\177");
    // Windows-1252: euro 0x80, em dash 0x97, right quote 0x92, ellipsis 0x85.
    EXPECT_EQ(PDF_EncodeText("\x80\x97\x92\x85\x9F"), "\\200\\227\\222\\205\\237");
    // Latin-1 letters and the space stay bytes.
    EXPECT_EQ(PDF_EncodeText("caf\xE9 \xA0\xFF"), "caf\xE9 \xA0\xFF");
    EXPECT_EQ(PDF_EncodeText(""), "");
}

TEST(PdfFormats, DashPatternsAndLeading)
{
    using D = TRLPDFFilterDashPatternType;
    EXPECT_EQ(PDF_GetDashPattern(D::dpRegular), "");
    EXPECT_EQ(PDF_GetDashPattern(D::dpSolid), "[] 0 d");
    EXPECT_EQ(PDF_GetDashPattern(D::dp33), "[3] 0 d");
    EXPECT_EQ(PDF_GetDashPattern(D::dp1222), "[2] 0 d");
    EXPECT_EQ(PDF_GetDashPattern(D::dp2121), "[2 1] 0 d");
    EXPECT_EQ(PDF_GetDashPattern(D::dp23535), "[3 5] 6 d");
    EXPECT_EQ(PDF_GetDashPattern(D::dp13232), "[2 3] 11 d");
    // round(size × 14.5 / 12) with halves to even; 0 counts as 10.
    EXPECT_EQ(PDF_CalcTextLeadingPointSize(0), 12);
    EXPECT_EQ(PDF_CalcTextLeadingPointSize(10), 12);
    EXPECT_EQ(PDF_CalcTextLeadingPointSize(12), 14); // 14.5
    EXPECT_EQ(PDF_CalcTextLeadingPointSize(36), 44); // 43.5
    EXPECT_EQ(PDF_CalcTextLeadingPointSize(8), 10);
}

// ---------------------------------------------------------------------------
// File structure

// The order that reservations produce: the page tree (3) and the resources
// (4) are reserved at the start and written last; the contents (6), their
// length (7) and the font (8) are reserved while the page (5) is written.
TEST(PdfStructure, OnePageOneStandardFontHasTheReservedObjectOrder)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("one.pdf"));
    PlainFontsWriter plain;
    const std::string pdf = onePage(
        path, [](TRLPDFWriter &w) { textAt(w, 40, 40, "Hello", makeFont(QStringLiteral("Helvetica"), 12)); }, &plain);
    EXPECT_EQ(objectOrder(pdf), (std::vector<int>{1, 2, 5, 6, 7, 8, 4, 3}));
    EXPECT_EQ(lineAfter(pdf, "xref"), "0 9");
    EXPECT_NE(pdf.find("/Type/Font/Subtype/Type1/Name/F1/BaseFont/Helvetica/Encoding/WinAnsiEncoding"),
              std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
    QMap<QString, QString> info;
    ASSERT_TRUE(PdfInfo(path, &info));
    EXPECT_EQ(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("595.5 x 842.25 pts")));
}

// Every cross-reference entry must point at its object, startxref at the
// table, and each /Length at the real stream size: a reader that trusts the
// table (as viewers do) would otherwise fail where qpdf only warns.
TEST(PdfStructure, CrossReferenceOffsetsAndStreamLengthsAreExact)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("xref.pdf"));
    PlainFontsWriter w;
    w.SetImageFormat(TRLPDFFilterImageFormat::ifBitmap);
    w.BeginDoc(path, kA4, plainInfo());
    for (int p = 0; p < 3; ++p) {
        const int image = p == 1 ? w.WriteImage(solidImage(5, 5, Qt::blue)) : 0;
        w.BeginPage(kA4.X, kA4.Y);
        textAt(w, 40, 40, "page " + std::to_string(p + 1), courierNew());
        if (image)
            w.Image(TRect{100, 100, 150, 150}, image);
        w.EndPage();
    }
    w.EndDoc();
    const std::string pdf = readFile(path);

    const size_t startxref = std::stoul(lineAfter(pdf, "startxref"));
    ASSERT_EQ(pdf.compare(startxref, 6, "xref\r\n"), 0);
    const std::string sizeLine = lineAfter(pdf, "xref");
    const int size = std::stoi(sizeLine.substr(2));
    size_t at = startxref + 6 + sizeLine.size() + 2;
    ASSERT_EQ(pdf.substr(at, 20), "0000000000 65535 f\r\n");
    for (int n = 1; n < size; ++n) {
        at += 20;
        const std::string entry = pdf.substr(at, 20);
        ASSERT_EQ(entry.substr(10), " 00000 n\r\n") << "entry " << n;
        const size_t offset = std::stoul(entry.substr(0, 10));
        EXPECT_EQ(pdf.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0)
            << "object " << n << " at " << offset;
    }
    EXPECT_EQ(lineAfter(pdf, "trailer"), "<<");
    EXPECT_NE(pdf.find("/Size " + std::to_string(size) + "\r\n"), std::string::npos);

    // Each stream's /Length n 0 R names an object holding the byte count
    // from the data's start to "endstream" (less an end of line added there).
    static const QRegularExpression lengthRef(QStringLiteral("/Length (\\d+) 0 R"));
    const QString text = QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size()));
    auto it = lengthRef.globalMatch(text);
    int streams = 0;
    while (it.hasNext()) {
        const auto m = it.next();
        const size_t data = pdf.find("stream\r\n", static_cast<size_t>(m.capturedEnd())) + 8;
        const size_t end = pdf.find("endstream", data);
        const std::string lenObj = m.captured(1).toStdString() + " 0 obj\r\n";
        const size_t lenAt = pdf.find("\n" + lenObj);
        ASSERT_NE(lenAt, std::string::npos);
        const size_t length = std::stoul(pdf.substr(lenAt + 1 + lenObj.size()));
        EXPECT_TRUE(length == end - data || length + 2 == end - data) << "stream " << streams;
        ++streams;
    }
    EXPECT_EQ(streams, 4); // three pages and one picture

    // No line ends without its carriage return.
    for (size_t i = 0; i < pdf.size(); ++i) {
        if (pdf[i] == '\n') {
            ASSERT_EQ(pdf[i - 1], '\r') << "bare line feed at " << i;
        }
    }
    EXPECT_TRUE(QpdfCheckClean(path));
}

// Fonts met on later pages and pictures between pages interleave allocated
// and reserved numbers; the file must stay consistent however they mix.
TEST(PdfStructure, ManyPagesWithLateFontsAndPicturesStayConsistent)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("mix.pdf"));
    TRLPDFWriter w;
    w.BeginDoc(path, kA4, plainInfo());
    const QString names[] = {QStringLiteral("Courier New"), QStringLiteral("Helvetica"), QStringLiteral("Arial"),
                             QStringLiteral("Times-Roman")};
    for (int p = 0; p < 8; ++p) {
        std::vector<int> images;
        for (int i = 0; i < p % 3; ++i)
            images.push_back(w.WriteImage(solidImage(4 + i, 3, QColor(p * 30, 0, i * 100))));
        w.BeginPage(kA4.X, kA4.Y);
        textAt(w, 40, 40, "Page " + std::to_string(p + 1), makeFont(names[p % 4], 10, p >= 4 ? fsBold : 0));
        for (size_t i = 0; i < images.size(); ++i)
            w.Image(TRect{100, 100 + 50 * static_cast<int>(i), 140, 130 + 50 * static_cast<int>(i)}, images[i]);
        w.EndPage();
    }
    w.EndDoc();
    EXPECT_EQ(w.FontCount(), 8);
    EXPECT_EQ(w.ImageCount(), 7);
    EXPECT_TRUE(QpdfCheckClean(path));
    const QStringList pages = PdfTextPages(path);
    ASSERT_EQ(pages.size(), 8);
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(NonBlankLines(pages[p]).join(u'|').trimmed(), QStringLiteral("Page %1").arg(p + 1));
}

// Without any page the file still has its page tree, so that it opens.
TEST(PdfStructure, DocumentWithoutPages)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("empty.pdf"));
    TRLPDFWriter w;
    w.BeginDoc(path, kA4, plainInfo());
    w.EndDoc();
    const std::string pdf = readFile(path);
    EXPECT_NE(pdf.find("/Count 0\r\n"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
}

TEST(PdfStructure, DeterministicOutputRepeatsByteForByte)
{
    TempDir dir;
    auto write = [&](const QString &name) {
        TRLPDFWriter w;
        w.SetDeterministic(true);
        return onePage(
            dir.file(name), [](TRLPDFWriter &page) { textAt(page, 10, 10, "same", courierNew()); }, &w);
    };
    const std::string a = write(QStringLiteral("a.pdf"));
    const std::string b = write(QStringLiteral("b.pdf"));
    EXPECT_EQ(a, b);
    EXPECT_NE(a.find(std::string("/CreationDate(") + PDF_FixedDateTimeStr + ")"), std::string::npos);

    // Without the switch the date is today's.
    const std::string c = onePage(dir.file(QStringLiteral("c.pdf")), [](TRLPDFWriter &) {});
    EXPECT_NE(c.find("/CreationDate(D:" + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toStdString()),
              std::string::npos);
}

TEST(PdfStructure, DocumentInformationInOrderAndReadableBeyondAscii)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("info.pdf"));
    TRLPDFFilterDocumentInfo info;
    info.SetTitle(QStringLiteral("Relatório — março (2024) €"));
    info.SetAuthor(QStringLiteral("Ana"));
    info.SetKeyWords(QStringLiteral("a\\b"));
    info.SetCreator(QStringLiteral("Prenso"));
    TRLPDFWriter w;
    w.BeginDoc(path, kA4, info);
    w.BeginPage(0, 0);
    w.EndPage();
    w.EndDoc();
    const std::string pdf = readFile(path);
    // Empty fields are left out; the others follow the date in their order.
    const size_t date = pdf.find("/CreationDate("), title = pdf.find("/Title("), author = pdf.find("/Author(Ana)"),
                 keys = pdf.find("/Keywords(a\\\\b)"), creator = pdf.find("/Creator(Prenso)");
    ASSERT_NE(title, std::string::npos);
    ASSERT_NE(author, std::string::npos);
    ASSERT_NE(keys, std::string::npos);
    ASSERT_NE(creator, std::string::npos);
    EXPECT_TRUE(date < title && title < author && author < keys && keys < creator);
    EXPECT_EQ(pdf.find("/Subject"), std::string::npos);
    EXPECT_EQ(pdf.find("/Producer"), std::string::npos);

    EXPECT_TRUE(QpdfCheckClean(path));
    QMap<QString, QString> fields;
    ASSERT_TRUE(PdfInfo(path, &fields));
    EXPECT_EQ(fields.value(QStringLiteral("Title")), QStringLiteral("Relatório — março (2024) €"));
    EXPECT_EQ(fields.value(QStringLiteral("Keywords")), QStringLiteral("a\\b"));
    // A page of no size of its own takes the document's.
    EXPECT_TRUE(fields.value(QStringLiteral("Page size")).startsWith(QStringLiteral("595.5 x 842.25 pts")));
}

// ---------------------------------------------------------------------------
// Texts

// Windows-1252 texts come back from a reader, accents and the typographic
// signs of 128 to 159 included, page by page.
TEST(PdfText, LinesComeBackPageByPageWithAccentsAndTypographicSigns)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("text.pdf"));
    const std::vector<std::vector<std::string>> pages = {
        {"RELAT\xD3RIO DE VENDAS", "Cliente: Jos\xE9 Concei\xE7\xE3o", "Total \x80 1.234,56 \x97 pago"},
        {"\x93"
         "aspas\x94 \x91simples\x92 \x85 \x95 item",
         "\x8A\x9A\x8E\x9E \x9F \x99 \x84 \x86\x87 \x89"},
        {"\xC0\xC1\xC2\xC3\xC7\xC9\xCA\xCD\xD3\xD4\xD5\xDA\xDC \xE0\xE1\xE2\xE3\xE7\xE9\xEA\xED\xF3\xF4\xF5\xFA\xFC"}};
    const QStringList expected[] = {{QStringLiteral("RELATÓRIO DE VENDAS"), QStringLiteral("Cliente: José Conceição"),
                                     QStringLiteral("Total € 1.234,56 — pago")},
                                    {QStringLiteral("“aspas” ‘simples’ … • item"), QStringLiteral("ŠšŽž Ÿ ™ „ †‡ ‰")},
                                    {QStringLiteral("ÀÁÂÃÇÉÊÍÓÔÕÚÜ àáâãçéêíóôõúü")}};
    TRLPDFWriter w;
    w.BeginDoc(path, kA4, plainInfo());
    const TFont font = courierNew(10);
    for (const auto &lines : pages) {
        w.BeginPage(kA4.X, kA4.Y);
        int y = 60;
        for (const std::string &line : lines) {
            textAt(w, 40, y, line, font);
            y += font.Resource().height();
        }
        w.EndPage();
    }
    w.EndDoc();
    EXPECT_TRUE(QpdfCheckClean(path));
    const QStringList got = PdfTextPages(path);
    ASSERT_EQ(got.size(), 3);
    for (int p = 0; p < 3; ++p) {
        QStringList lines = NonBlankLines(got[p]);
        for (QString &l : lines)
            l = l.trimmed();
        EXPECT_EQ(lines, expected[p]) << "page " << p + 1;
    }
}

TEST(PdfText, DelimitersBackslashAndTabAreEscaped)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("escape.pdf"));
    const std::string pdf =
        onePage(path, [](TRLPDFWriter &w) { textAt(w, 40, 40, "f(x) = C:\\temp\tend", courierNew()); });
    EXPECT_NE(pageContent(pdf).find("(f\\(x\\) = C:\\\\temp\\011end) Tj"), std::string::npos) << pageContent(pdf);
    EXPECT_TRUE(QpdfCheckClean(path));
    EXPECT_TRUE(PdfTextPages(path).value(0).contains(QStringLiteral("f(x) = C:\\temp")))
        << PdfTextPages(path).value(0).toStdString();
}

TEST(PdfText, EmptyTextStillGivesItsTextObject)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("emptytext.pdf"));
    const std::string content = pageContent(onePage(path, [](TRLPDFWriter &w) {
        w.Text(TRect{10, 10, 100, 30}, TPoint{10, 10}, MetaTextAlignmentLeft, MetaTextLayoutTop, 0, "", courierNew());
    }));
    const QStringList lines = contentLines(content);
    const int bt = static_cast<int>(lines.indexOf(QStringLiteral("BT")));
    ASSERT_GE(bt, 0) << content;
    EXPECT_TRUE(lines.value(bt + 1).startsWith(QStringLiteral("/F1 10 Tf")));
    EXPECT_EQ(lines.value(bt + 3), QStringLiteral("() Tj"));
    EXPECT_EQ(lines.value(bt + 4), QStringLiteral("ET"));
    EXPECT_TRUE(QpdfCheckClean(path));
}

// "Courier New" is no standard name (CourierNew matches none): it becomes a
// TrueType font with the widths of the face the pages were measured with.
TEST(PdfText, CourierNewIsTrueTypeWithWidthsAndItsOwnDescriptor)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("cn.pdf"));
    PlainFontsWriter plain;
    const std::string pdf = onePage(
        path, [](TRLPDFWriter &w) { textAt(w, 40, 40, "Mono", courierNew()); }, &plain);
    const size_t font = pdf.find("/Type/Font/Subtype/TrueType/Name/F1/BaseFont/CourierNew\r\n");
    ASSERT_NE(font, std::string::npos);
    TRLMetaFontMetrics m;
    GetMetaFontMetrics(QStringLiteral("Courier New"), 0, m);
    EXPECT_EQ(lineAfter(pdf.substr(font - 2), "/Type/Font/Subtype/TrueType/Name/F1/BaseFont/CourierNew"),
              "/FirstChar " + std::to_string(m.FirstChar));
    // A monospaced face: every width is the same, 600 thousandths for this one.
    const size_t widths = pdf.find("/Widths [\r\n", font);
    const size_t end = pdf.find("]\r\n", widths);
    const QStringList values = QString::fromStdString(pdf.substr(widths + 11, end - widths - 11))
                                   .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    EXPECT_EQ(values.size(), m.LastChar - m.FirstChar + 1);
    EXPECT_EQ(values.value(static_cast<int>('M') - m.FirstChar), QStringLiteral("600"));
    EXPECT_EQ(values.filter(QRegularExpression(QStringLiteral("^600$"))).size(), values.size());
    // 18 widths to a line.
    EXPECT_EQ(count(lineAfter(pdf, "/Widths ["), " "), 18);
    EXPECT_NE(pdf.find("/FontDescriptor 9 0 R\r\n/Encoding/WinAnsiEncoding\r\n>> endobj"), std::string::npos);
    EXPECT_NE(pdf.find("9 0 obj <<\r\n/Type/FontDescriptor\r\n/FontName/CourierNew\r\n/Flags 32\r\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/Descent -"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
    // The reader agrees with the widths: "Mono" is 4 × 0.6 em at 10 points.
    const QList<PdfWord> words = PdfWords(path);
    ASSERT_EQ(words.size(), 1);
    EXPECT_NEAR(words[0].xMax - words[0].xMin, 24.0, 0.01);
}

TEST(PdfText, OneFontInTwoStylesGivesTwoFontsAndRepeatsReuseThem)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("styles.pdf"));
    PlainFontsWriter w;
    w.BeginDoc(path, kA4, plainInfo());
    for (int page = 0; page < 2; ++page) {
        w.BeginPage(kA4.X, kA4.Y);
        textAt(w, 40, 40, "plain", courierNew());
        textAt(w, 40, 60, "bold", courierNew(10, fsBold));
        textAt(w, 40, 80, "again", makeFont(QStringLiteral("COURIER NEW"), 14)); // letter case ignored
        w.EndPage();
    }
    w.EndDoc();
    EXPECT_EQ(w.FontCount(), 2);
    const std::string pdf = readFile(path);
    EXPECT_NE(pdf.find("/Name/F1/BaseFont/CourierNew\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Name/F2/BaseFont/CourierNew,Bold\r\n"), std::string::npos);
    EXPECT_EQ(count(pdf, "/Type/FontDescriptor"), 2);
    EXPECT_NE(pageContent(pdf, 1).find("/F1 14 Tf"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
}

// Standard names are found without spaces and without regard to case, and a
// family's plain face takes the variant of the style.
TEST(PdfText, StandardFontsByNameAndStyle)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("std.pdf"));
    PlainFontsWriter plain;
    const std::string pdf = onePage(
        path,
        [](TRLPDFWriter &w) {
            textAt(w, 40, 40, "a", makeFont(QStringLiteral("courier"), 10));
            textAt(w, 40, 60, "b", makeFont(QStringLiteral("Courier"), 10, fsBold | fsItalic));
            textAt(w, 40, 80, "c", makeFont(QStringLiteral("Times-Roman"), 10, fsItalic));
            textAt(w, 40, 100, "d", makeFont(QStringLiteral("Helvetica-Bold"), 10));
            textAt(w, 40, 120, "e", makeFont(QStringLiteral("Zapf Dingbats"), 10));
        },
        &plain);
    EXPECT_NE(pdf.find("/Name/F1/BaseFont/Courier/"), std::string::npos);
    EXPECT_NE(pdf.find("/Name/F2/BaseFont/Courier-BoldOblique/"), std::string::npos);
    EXPECT_NE(pdf.find("/Name/F3/BaseFont/Times-Italic/"), std::string::npos);
    EXPECT_NE(pdf.find("/Name/F4/BaseFont/Helvetica-Bold/"), std::string::npos);
    EXPECT_NE(pdf.find("/Name/F5/BaseFont/ZapfDingbats/"), std::string::npos);
    EXPECT_EQ(pdf.find("TrueType"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
}

// The clip of a text is one "1" wider on the side the text runs to; a text
// that sizes itself is not clipped.
TEST(PdfText, ClipIsWidenedByTheWidthOfOneOnTheSideTheTextRuns)
{
    TempDir dir;
    const TFont font = courierNew(12);
    const int a = font.Resource().width(std::string_view("1"));
    ASSERT_GT(a, 0);
    const TRect bounds{100, 200, 300, 220};
    auto clipOf = [&](TRLMetaTextAlignment alignment, TRLMetaTextFlags flags) {
        const std::string content = pageContent(onePage(dir.file(QStringLiteral("clip.pdf")), [&](TRLPDFWriter &w) {
            w.Text(bounds, TPoint{100, 200}, alignment, MetaTextLayoutTop, flags, "text", font);
        }));
        const QStringList lines = contentLines(content);
        const int wn = static_cast<int>(lines.indexOf(QStringLiteral("W n")));
        return wn > 0 ? numbersOf(lines[wn - 1]) : std::vector<double>{};
    };
    const double h = pt(20), y = pt(kA4.Y - 220);
    auto expectClip = [&](const std::vector<double> &clip, double left, double right) {
        ASSERT_EQ(clip.size(), 4u);
        EXPECT_NEAR(clip[0], pt(left), 1e-3);
        EXPECT_NEAR(clip[1], y, 1e-3);
        EXPECT_NEAR(clip[2], pt(right - left), 1e-3);
        EXPECT_NEAR(clip[3], h, 1e-3);
    };
    expectClip(clipOf(MetaTextAlignmentLeft, 0), 100, 300 + a);
    expectClip(clipOf(MetaTextAlignmentRight, 0), 100 - a, 300);
    expectClip(clipOf(MetaTextAlignmentCenter, 0), 100 - a / 2, 300 + a / 2);
    expectClip(clipOf(MetaTextAlignmentJustify, MetaTextFlagNoSplit), 100 - a / 2, 300 + a / 2);
    EXPECT_TRUE(clipOf(MetaTextAlignmentLeft, MetaTextFlagAutoSize).empty());
}

// Where a reader puts the words: right-aligned texts end one "1" before the
// right edge, centred ones sit in the middle, left ones start at the origin;
// every layout keeps the text inside its bounds vertically.
TEST(PdfText, ReaderPlacesAlignedAndLaidOutTextsInsideTheirBounds)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("place.pdf"));
    const TFont font = courierNew(10);
    const int a = font.Resource().width(std::string_view("1"));
    onePage(path, [&](TRLPDFWriter &w) {
        w.Text(TRect{100, 100, 400, 160}, TPoint{110, 100}, MetaTextAlignmentLeft, MetaTextLayoutTop, 0, "Left", font);
        w.Text(TRect{100, 200, 400, 260}, TPoint{100, 200}, MetaTextAlignmentRight, MetaTextLayoutBottom, 0, "Right",
               font);
        w.Text(TRect{100, 300, 400, 360}, TPoint{100, 300}, MetaTextAlignmentCenter, MetaTextLayoutCenter, 0, "Centre",
               font);
    });
    EXPECT_TRUE(QpdfCheckClean(path));
    const QList<PdfWord> words = PdfWords(path);
    ASSERT_EQ(words.size(), 3);
    const int th = font.Resource().height();
    // Left, top: starts at the origin, in the first line of the bounds.
    EXPECT_NEAR(words[0].xMin, pt(110), 0.01);
    EXPECT_GE(words[0].yMin, pt(100) - 1);
    EXPECT_LE(words[0].yMax, pt(100 + th) + 1);
    // Right, bottom: ends a "1" before the right edge, on the last line.
    EXPECT_NEAR(words[1].xMax, pt(400 - a), 0.01);
    EXPECT_GE(words[1].yMin, pt(260 - th) - 1);
    EXPECT_LE(words[1].yMax, pt(260) + 1);
    // Centre, centre.
    EXPECT_NEAR((words[2].xMin + words[2].xMax) / 2, pt(250), pt(1));
    EXPECT_NEAR((words[2].yMin + words[2].yMax) / 2, pt(330), pt(th) / 2);
}

// Bounds at the ends of the int range (a text "to the right edge" stored as
// INT_MAX, or a damaged page): the clip widened by a digit must not wrap
// around and hide the text it belongs to.
TEST(PdfText, TextsWithBoundsAtTheEndsOfTheIntRangeStillShow)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("extreme.pdf"));
    const TFont font = courierNew(14);
    const int top[] = {100, 300, 500};
    onePage(path, [&](TRLPDFWriter &w) {
        w.Text(TRect{100, top[0], INT_MAX, top[0] + 30}, TPoint{100, top[0]}, MetaTextAlignmentLeft, MetaTextLayoutTop,
               0, "WWWW", font);
        w.Text(TRect{INT_MIN, top[1], 400, top[1] + 30}, TPoint{0, top[1]}, MetaTextAlignmentRight, MetaTextLayoutTop,
               0, "WWWW", font);
        w.Text(TRect{INT_MIN + 10, top[2], INT_MAX - 10, top[2] + 30}, TPoint{0, top[2]}, MetaTextAlignmentJustify,
               MetaTextLayoutTop, 0, "WWWW", font);
    });
    EXPECT_TRUE(QpdfCheckClean(path));
    const QImage page = RenderPage(path, 1);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        int dark = 0;
        for (int y = top[i]; y < top[i] + 30; ++y)
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(dark, 20) << "the text was clipped away";
    }
}

// Dark pixels of an image, and of two images laid over each other the
// fewest that only one of them has, the second moved by up to `shift`
// pixels each way (a reader and the screen may place a text a pixel apart).
int inkOf(const QImage &image)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

int inkDifference(const QImage &a, const QImage &b, int shift)
{
    int best = INT_MAX;
    for (int dy = -shift; dy <= shift; ++dy)
        for (int dx = -shift; dx <= shift; ++dx) {
            int differ = 0;
            for (int y = shift; y < a.height() - shift; ++y)
                for (int x = shift; x < a.width() - shift; ++x)
                    differ += (qGray(a.pixel(x, y)) < 128) != (qGray(b.pixel(x + dx, y + dy)) < 128);
            best = std::min(best, differ);
        }
    return best;
}

// An embedded font is the face the pages were measured with, cut down to
// the characters shown: the reader needs no font of its own, finds the
// text, and draws the glyphs the screen draws (a wrong glyph or another
// face shows as a large difference). The standard names embed their face
// too.
TEST(PdfText, EmbeddedFontsAreSubsetsOfTheFaceThatDrawTheSameGlyphs)
{
    struct Row {
        const char *name;
        TFontStyles style;
    };
    const Row rows[] = {
        {"Courier New", 0},
        {"Arial", fsBold},
        {"Times New Roman", fsItalic | fsUnderline},
        {"Courier", 0},
    };
    const std::string text = "A\xE7\xE3o \x97 \x80 \x93ok\x94 1234";
    TempDir dir;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const TFont font = makeFont(QString::fromLatin1(row.name), 20, row.style);
        const QString path = dir.file(QStringLiteral("embedded.pdf"));
        onePage(path, [&](TRLPDFWriter &w) { textAt(w, 40, 40, text, font); });

        EXPECT_TRUE(QpdfCheckClean(path));
        const QList<PdfFontInfo> fonts = PdfFonts(path);
        ASSERT_EQ(fonts.size(), 1);
        EXPECT_TRUE(fonts[0].embedded);
        EXPECT_TRUE(fonts[0].subset);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+\\S+$")).match(fonts[0].name).hasMatch())
            << fonts[0].name.toStdString();
        EXPECT_EQ(NonBlankLines(PdfTextPages(path).value(0)), QStringList{QStringLiteral("Ação — € “ok” 1234")});

        // The face's own glyphs at the size and places the file gives them:
        // the point size, the design advances, the baseline a quarter of the
        // text's height above its bottom.
        QImage face(500, 80, QImage::Format_RGB32);
        face.fill(Qt::white);
        {
            QRawFont raw = font.Resource().rawFont();
            raw.setPixelSize(20 * 96.0 / 72.0);
            const QList<quint32> glyphs = raw.glyphIndexesForString(cp1252::decode(text));
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
            const int th = font.Resource().height();
            QList<QPointF> positions;
            QPointF at(20, 20 + th - th / 4);
            for (const QPointF &advance : advances) {
                positions.append(at);
                at += advance;
            }
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            QPainter painter(&face);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        const QImage page = RenderPage(path, 1, 96).copy(20, 20, 500, 80);
        const int ink = inkOf(face);
        EXPECT_GT(ink, 300);
        if (!(row.style & fsUnderline)) {
            EXPECT_LT(inkDifference(face, page, 2), ink / 5) << "of " << ink << " inked pixels";
            continue;
        }
        // A PDF font has no underline: the line under the text is drawn.
        int longest = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0, run = 0; x < page.width(); ++x) {
                run = qGray(page.pixel(x, y)) < 128 ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        EXPECT_GT(longest, font.Resource().width(text) * 9 / 10);
    }
}

TEST(PdfText, FontColourAndSize)
{
    TempDir dir;
    const std::string content = pageContent(onePage(dir.file(QStringLiteral("c.pdf")), [](TRLPDFWriter &w) {
        textAt(w, 10, 10, "x", makeFont(QStringLiteral("Arial"), 18, 0, RGBColor(255, 0, 51)));
    }));
    const QStringList lines = contentLines(content);
    EXPECT_EQ(lines.value(0), QStringLiteral("q"));
    EXPECT_EQ(lines.value(1), QStringLiteral("1 0 0.2 rg"));
    EXPECT_TRUE(content.find("/F1 18 Tf") != std::string::npos);
}

// ---------------------------------------------------------------------------
// Shapes, judged on the rendered page (96 dpi, so pixels are report pixels)

TEST(PdfShapes, RenderedShapesFollowPenAndBrush)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("shapes.pdf"));
    const TRLMetaColor red{255, 0, 0}, blue{0, 0, 255}, green{0, 160, 0}, black{0, 0, 0};
    onePage(path, [&](TRLPDFWriter &w) {
        // A frame: black pen, clear brush, the inside stays paper.
        w.Rectangle(TRect{50, 50, 150, 150}, pen(MetaPenStyleSolid, 3), brush(MetaBrushStyleClear, black));
        // A filled box without a frame.
        w.Rectangle(TRect{200, 50, 300, 150}, pen(MetaPenStyleClear, 1), brush(MetaBrushStyleSolid, red));
        w.FillRect(TRect{350, 50, 450, 150}, brush(MetaBrushStyleSolid, blue));
        w.Ellipse(TRect{50, 200, 250, 300}, pen(MetaPenStyleSolid, 1, black), brush(MetaBrushStyleSolid, green));
        const TPoint triangle[] = {{300, 300}, {400, 300}, {350, 200}};
        w.Polygon(triangle, pen(MetaPenStyleClear, 0), brush(MetaBrushStyleSolid, blue));
        w.Line(TPoint{50, 400}, TPoint{450, 400}, pen(MetaPenStyleSolid, 4, red));
        const TPoint zigzag[] = {{50, 450}, {100, 500}, {150, 450}};
        w.Polyline(zigzag, pen(MetaPenStyleSolid, 4, blue));
        w.Pixel(TRect{600, 600, 600, 600}, red); // no size: still one pixel
        // Clipped: only the part inside 500..550 shows.
        w.SetClipRect(TRect{500, 50, 550, 150});
        w.FillRect(TRect{450, 50, 700, 150}, brush(MetaBrushStyleSolid, red));
        w.ResetClipRect();
        // Drawn with a clear pen: nothing.
        w.Line(TPoint{50, 700}, TPoint{450, 700}, pen(MetaPenStyleClear, 4));
    });
    EXPECT_TRUE(QpdfCheckClean(path));
    const QImage page = RenderPage(path, 1);
    ASSERT_EQ(page.size(), QSize(kA4.X, kA4.Y));
    auto at = [&](int x, int y) { return page.pixel(x, y); };
    EXPECT_TRUE(near(at(100, 100), Qt::white));
    EXPECT_TRUE(near(at(50, 100), Qt::black));
    EXPECT_TRUE(near(at(250, 100), Qt::red));
    EXPECT_TRUE(near(at(400, 100), Qt::blue));
    EXPECT_TRUE(near(at(150, 250), QColor(0, 160, 0)));
    EXPECT_TRUE(near(at(60, 215), Qt::white)); // outside the ellipse, inside its bounds
    EXPECT_TRUE(near(at(350, 280), Qt::blue));
    EXPECT_TRUE(near(at(310, 210), Qt::white));
    EXPECT_TRUE(near(at(250, 400), Qt::red));
    EXPECT_TRUE(near(at(100, 497), Qt::blue));
    EXPECT_TRUE(near(at(600, 600), Qt::red));
    EXPECT_TRUE(near(at(525, 100), Qt::red));
    EXPECT_TRUE(near(at(475, 100), Qt::white));
    EXPECT_TRUE(near(at(600, 100), Qt::white));
    EXPECT_TRUE(near(at(250, 700), Qt::white));
}

TEST(PdfShapes, PenOperatorsByStyle)
{
    TempDir dir;
    const std::pair<TRLMetaPenStyle, const char *> styles[] = {
        {MetaPenStyleSolid, "[] 0 d"},      {MetaPenStyleDash, "[3] 0 d"},         {MetaPenStyleDot, "[1] 0 d"},
        {MetaPenStyleDashDot, "[2 1] 0 d"}, {MetaPenStyleDashDotDot, "[3 5] 6 d"}, {MetaPenStyleInsideFrame, "[] 0 d"}};
    for (const auto &[style, dash] : styles) {
        // Structured bindings are not captured by lambdas before C++20's
        // later fix, which not every compiler has.
        const TRLMetaPenStyle lineStyle = style;
        const QStringList lines =
            contentLines(pageContent(onePage(dir.file(QStringLiteral("pen.pdf")), [&](TRLPDFWriter &w) {
                w.Line(TPoint{0, 0}, TPoint{96, 96}, pen(lineStyle, 2, {255, 128, 0}));
            })));
        EXPECT_EQ(lines, (QStringList{QStringLiteral("1.5 w"), QStringLiteral("0 J"), QString::fromLatin1(dash),
                                      QStringLiteral("1 0.502 0 RG"), QStringLiteral("0 842.25 m"),
                                      QStringLiteral("72 770.25 l"), QStringLiteral("S")}))
            << "style " << int(style);
    }
    const QStringList clear =
        contentLines(pageContent(onePage(dir.file(QStringLiteral("pen.pdf")), [&](TRLPDFWriter &w) {
            w.Line(TPoint{0, 0}, TPoint{96, 96}, pen(MetaPenStyleClear, 2));
        })));
    EXPECT_EQ(clear.value(0), QStringLiteral("0 w"));
    EXPECT_FALSE(clear.value(2).endsWith(QStringLiteral(" d")));
    EXPECT_EQ(clear.last(), QStringLiteral("n"));
}

TEST(PdfShapes, EllipseIsThirtySixPointsOnOneLine)
{
    TempDir dir;
    const QStringList lines = contentLines(pageContent(onePage(dir.file(QStringLiteral("e.pdf")), [](TRLPDFWriter &w) {
        w.Ellipse(TRect{0, 0, 96, 48}, pen(MetaPenStyleSolid, 1), brush(MetaBrushStyleSolid, {255, 255, 255}));
    })));
    ASSERT_EQ(lines.size(), 7);
    const QString path = lines[5];
    EXPECT_EQ(path.count(QStringLiteral(" m ")), 1);
    EXPECT_EQ(path.count(QStringLiteral(" l ")), 35);
    // The first point is at angle 0: the right end of the horizontal axis.
    EXPECT_TRUE(path.startsWith(QStringLiteral("72 824.25 m "))) << path.toStdString();
    EXPECT_EQ(lines[6], QStringLiteral("b"));
}

// Clip levels always pair up in the file, whatever the page does.
TEST(PdfShapes, UnbalancedClipsAreBalancedAndEmptyClipsClipNothing)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("clips.pdf"));
    const std::string content = pageContent(onePage(path, [](TRLPDFWriter &w) {
        w.ResetClipRect();                    // nothing to reset
        w.SetClipRect(TRect{10, 10, 10, 50}); // no width: no clipping
        w.FillRect(TRect{0, 0, 200, 200}, brush(MetaBrushStyleSolid, {0, 0, 255}));
        w.SetClipRect(TRect{10, 10, 20, 20}); // never reset
    }));
    const QStringList lines = contentLines(content);
    EXPECT_EQ(lines.count(QStringLiteral("q")), lines.count(QStringLiteral("Q")));
    EXPECT_EQ(lines.count(QStringLiteral("W n")), 1);
    EXPECT_TRUE(QpdfCheckClean(path));
    EXPECT_TRUE(near(RenderPage(path, 1).pixel(150, 150), Qt::blue));
}

// ---------------------------------------------------------------------------
// Pictures

TEST(PdfImages, JpegByDefaultBitmapAsHexAndBothRender)
{
    TempDir dir;
    for (const auto format : {TRLPDFFilterImageFormat::ifJPeg, TRLPDFFilterImageFormat::ifBitmap}) {
        const QString path =
            dir.file(format == TRLPDFFilterImageFormat::ifJPeg ? QStringLiteral("j.pdf") : QStringLiteral("b.pdf"));
        TRLPDFWriter w;
        EXPECT_EQ(w.ImageFormat(), TRLPDFFilterImageFormat::ifJPeg);
        w.SetImageFormat(format);
        w.BeginDoc(path, kA4, plainInfo());
        QImage img = solidImage(40, 30, QColor(200, 30, 30));
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 40; ++x)
                img.setPixel(x, y, qRgb(20, 40, 220));
        const int n = w.WriteImage(img);
        EXPECT_EQ(n, 1);
        w.BeginPage(kA4.X, kA4.Y);
        w.Image(TRect{100, 100, 180, 160}, n); // stretched to twice the size
        w.EndPage();
        w.EndDoc();
        const std::string pdf = readFile(path);
        EXPECT_TRUE(QpdfCheckClean(path));
        EXPECT_NE(pdf.find("/Width 40\r\n/Height 30\r\n/ColorSpace/DeviceRGB\r\n/BitsPerComponent 8\r\n"),
                  std::string::npos);
        const std::string content = pageContent(pdf);
        EXPECT_NE(content.find("q\r\n1 0 0 1 75 722.25 cm\r\n60 0 0 45 0 0 cm\r\n/Image1 Do\r\nQ\r\n"),
                  std::string::npos)
            << content;
        if (format == TRLPDFFilterImageFormat::ifJPeg) {
            EXPECT_NE(pdf.find("/Filter/DCTDecode"), std::string::npos);
        } else {
            EXPECT_NE(pdf.find("/Filter [/ASCIIHexDecode]"), std::string::npos);
            // 14 pixels of 6 digits to a line, the last line short, then ">".
            const size_t data = pdf.find("stream\r\n", pdf.find("/ASCIIHexDecode")) + 8;
            EXPECT_EQ(pdf.substr(data, 86),
                      std::string("1428DC") +
                          "1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC1428DC\r\n");
            const size_t end = pdf.find("endstream", data);
            EXPECT_EQ(pdf.substr(end - 3, 3), ">\r\n");
            const QStringList hexLines = QString::fromStdString(pdf.substr(data, end - data - 3))
                                             .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            EXPECT_EQ(hexLines.size(), (40 * 30 + 13) / 14);
        }
        const QImage page = RenderPage(path, 1);
        EXPECT_TRUE(near(page.pixel(140, 110), QColor(20, 40, 220))) << int(format);
        EXPECT_TRUE(near(page.pixel(140, 150), QColor(200, 30, 30))) << int(format);
        EXPECT_TRUE(near(page.pixel(190, 150), Qt::white)) << int(format);
    }
}

TEST(PdfImages, GreyPicturesAreGreyJpegsAndTransparencyIsPaper)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("g.pdf"));
    TRLPDFWriter w;
    w.BeginDoc(path, kA4, plainInfo());
    QImage grey(20, 20, QImage::Format_Grayscale8);
    grey.fill(100);
    const int g = w.WriteImage(grey);
    const int t = w.WriteImage(solidImage(20, 20, Qt::transparent, QImage::Format_ARGB32));
    w.BeginPage(kA4.X, kA4.Y);
    w.FillRect(TRect{0, 0, 400, 400}, brush(MetaBrushStyleSolid, {0, 0, 0}));
    w.Image(TRect{100, 100, 120, 120}, g);
    w.Image(TRect{200, 200, 220, 220}, t);
    w.EndPage();
    w.EndDoc();
    const std::string pdf = readFile(path);
    // Grey pixels make a one-channel JPEG (the transparent picture, laid on
    // white, is grey too).
    EXPECT_NE(pdf.find("/Width 20\r\n/Height 20\r\n/ColorSpace/DeviceGray\r\n"), std::string::npos);
    EXPECT_TRUE(QpdfCheckClean(path));
    const QImage page = RenderPage(path, 1);
    EXPECT_TRUE(near(page.pixel(110, 110), QColor(100, 100, 100), 10));
    EXPECT_TRUE(near(page.pixel(210, 210), Qt::white, 10));
}

// A JPEG file is taken as it is with the original format (and with JPEG);
// anything else is a bitmap with the original format.
TEST(PdfImages, OriginalFormatKeepsJpegFilesAndWritesOthersAsBitmaps)
{
    TempDir dir;
    const std::string jpeg = JpegEncode(solidImage(16, 8, Qt::green), 80);
    for (const auto format : {TRLPDFFilterImageFormat::ifOriginal, TRLPDFFilterImageFormat::ifJPeg}) {
        const QString path = dir.file(QStringLiteral("o.pdf"));
        TRLPDFWriter w;
        w.SetImageFormat(format);
        w.BeginDoc(path, kA4, plainInfo());
        w.WriteImage(QImage(), jpeg);
        w.WriteImage(solidImage(3, 3, Qt::red));
        w.BeginPage(0, 0);
        w.EndPage();
        w.EndDoc();
        const std::string pdf = readFile(path);
        const size_t first = pdf.find("/Filter/DCTDecode\r\n>>\r\nstream\r\n");
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(pdf.compare(first + 31, jpeg.size(), jpeg), 0);
        EXPECT_EQ(pdf.compare(first + 31 + jpeg.size(), 11, "\r\nendstream"), 0);
        EXPECT_EQ(count(pdf, "/ASCIIHexDecode"), format == TRLPDFFilterImageFormat::ifOriginal ? 1 : 0);
        EXPECT_TRUE(QpdfCheckClean(path));
    }
}

TEST(PdfImages, UnknownFormatRaisesAndLeavesNoFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("u.pdf"));
    TRLPDFWriter w;
    w.SetImageFormat(static_cast<TRLPDFFilterImageFormat>(7));
    w.BeginDoc(path, kA4, plainInfo());
    try {
        w.WriteImage(solidImage(2, 2, Qt::red));
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unknown imageformat"));
    }
    w.Abandon();
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
}

// libjpeg's own handler would end the program; its errors come back as
// exceptions and the library stays usable.
TEST(PdfImages, LibjpegErrorsBecomeExceptions)
{
    try {
        JpegEncode(solidImage(70000, 1, Qt::red));
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("65500"))) << e.message().toStdString();
    }
    TRLJpegInfo info;
    EXPECT_FALSE(JpegReadInfo(std::string("\xFF\xD8\xFF\xE0garbage", 11), info));
    EXPECT_FALSE(JpegReadInfo("not a jpeg", info));
    const std::string ok = JpegEncode(solidImage(7, 5, Qt::blue));
    ASSERT_TRUE(JpegReadInfo(ok, info));
    EXPECT_EQ(info.Width, 7);
    EXPECT_EQ(info.Height, 5);
    EXPECT_EQ(info.Components, 3);
    // Round trip through a decoder of another make.
    QImage back;
    ASSERT_TRUE(back.loadFromData(reinterpret_cast<const uchar *>(ok.data()), static_cast<int>(ok.size()), "JPG"));
    EXPECT_TRUE(near(back.pixel(3, 2), Qt::blue, 20));
}

// ---------------------------------------------------------------------------
// Files: never a half-written PDF under the name the user asked for

TEST(PdfFiles, MissingFolderIsAClearErrorAndCreatesNothing)
{
    TempDir dir;
    TRLPDFWriter w;
    try {
        w.BeginDoc(dir.file(QStringLiteral("no/such/out.pdf")), kA4, plainInfo());
        FAIL() << "no error";
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("out.pdf"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("does not exist"))) << e.message().toStdString();
    }
    EXPECT_FALSE(w.Active());
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
    EXPECT_THROW(w.BeginDoc(QString(), kA4, plainInfo()), EFCreateError);
    EXPECT_THROW(w.BeginDoc(dir.path(), kA4, plainInfo()), EFCreateError); // a folder
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
}

TEST(PdfFiles, ReadOnlyFolderIsAClearError)
{
    TempDir dir;
    ScopedTmpfs ro(dir.file(QStringLiteral("ro")), 64, true);
    if (::geteuid() == 0 && !ro.ok())
        GTEST_SKIP() << "cannot mount a read-only folder here";
    if (!ro.ok())
        QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::ExeOwner);
    TRLPDFWriter w;
    try {
        w.BeginDoc(ro.path() + QStringLiteral("/out.pdf"), kA4, plainInfo());
        FAIL() << "no error";
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \""))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("out.pdf")));
    }
    EXPECT_TRUE(listFolder(ro.path()).isEmpty());
    QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A full disk fails the save, removes the partial file and leaves the file
// of that name from before as it was.
TEST(PdfFiles, FullDiskFailsAndKeepsTheEarlierFile)
{
    TempDir dir;
    ScopedTmpfs small(dir.file(QStringLiteral("small")), 64);
    if (!small.ok())
        GTEST_SKIP() << "cannot mount a small file system here";
    const QString path = small.path() + QStringLiteral("/report.pdf");
    const std::string before = onePage(path, [](TRLPDFWriter &w) { textAt(w, 10, 10, "first", courierNew()); });

    TRLPDFWriter w;
    w.SetImageFormat(TRLPDFFilterImageFormat::ifBitmap);
    w.BeginDoc(path, kA4, plainInfo());
    try {
        for (int i = 0; i < 8; ++i)
            w.WriteImage(solidImage(100, 100, QColor(i, 2, 3))); // 60 kB of hex each
        w.BeginPage(0, 0);
        w.EndPage();
        w.EndDoc();
        FAIL() << "no error";
    } catch (const EWriteError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("report.pdf"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("space"), Qt::CaseInsensitive)) << e.message().toStdString();
    }
    w.Abandon();
    EXPECT_EQ(listFolder(small.path()), QStringList{QStringLiteral("report.pdf")});
    EXPECT_EQ(readFile(path), before);
}

// The same with the file size limit of the process: the write itself fails
// (EFBIG), no mount needed.
TEST(PdfFiles, WriteFailureFromFileSizeLimitRemovesThePartialFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("limited.pdf"));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 100 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool failed = false;
    QString message;
    {
        TRLPDFWriter w;
        w.SetImageFormat(TRLPDFFilterImageFormat::ifBitmap);
        try {
            w.BeginDoc(path, kA4, plainInfo());
            for (int i = 0; i < 10; ++i)
                w.WriteImage(solidImage(100, 100, Qt::red));
            w.EndDoc();
        } catch (const EWriteError &e) {
            failed = true;
            message = e.message();
        }
    } // the writer goes away with its document unfinished
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(message.contains(QStringLiteral("limited.pdf"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("too large"), Qt::CaseInsensitive)) << message.toStdString();
    EXPECT_TRUE(listFolder(dir.path()).isEmpty());
}

TEST(PdfFiles, ReplacesAnEarlierFileOnlyWhenCompleteAndKeepsItsPermissions)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("r.pdf"));
    writeFile(path, "old contents");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    {
        TRLPDFWriter w;
        w.BeginDoc(path, kA4, plainInfo());
        w.BeginPage(0, 0);
        EXPECT_EQ(readFile(path), "old contents");
        const QString temp = w.TemporaryFileName();
        EXPECT_TRUE(QFile::exists(temp));
        EXPECT_EQ(QFileInfo(temp).absolutePath(), QFileInfo(path).absolutePath());
        w.EndPage();
        w.EndDoc();
        EXPECT_FALSE(QFile::exists(temp));
    }
    EXPECT_EQ(readFile(path).substr(0, 8), "%PDF-1.2");
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(listFolder(dir.path()), QStringList{QStringLiteral("r.pdf")});

    // Abandoned halfway: the complete file from before stays.
    const std::string complete = readFile(path);
    {
        TRLPDFWriter w;
        w.BeginDoc(path, kA4, plainInfo());
        w.BeginPage(0, 0);
    }
    EXPECT_EQ(readFile(path), complete);
    EXPECT_EQ(listFolder(dir.path()), QStringList{QStringLiteral("r.pdf")});
}

// Font metrics are read at the end of the document; when that fails the
// error comes through and no file is left.
TEST(PdfFiles, FontMetricsFailureRaisesAndLeavesNothing)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("f.pdf"));
    for (const QString &message :
         {QStringLiteral("Invalid font for GetOutlineTextMetrics"), QStringLiteral("GetOutlineTextMetrics failed")}) {
        TRLPDFWriter w;
        w.SetFontMetricsProvider([&](const QString &, TFontStyles, TRLMetaFontMetrics &) { throw Exception(message); });
        w.BeginDoc(path, kA4, plainInfo());
        w.BeginPage(0, 0);
        textAt(w, 10, 10, "x", courierNew());
        w.EndPage();
        try {
            w.EndDoc();
            FAIL() << "no error";
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), message);
        }
        EXPECT_FALSE(w.Active());
        EXPECT_TRUE(listFolder(dir.path()).isEmpty());
    }
}
