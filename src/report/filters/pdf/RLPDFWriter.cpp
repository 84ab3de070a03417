#include "report/filters/pdf/RLPDFWriter.h"

#include "platform/canvas.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/streams.h"
#include "report/filters/pdf/RLJpeg.h"
#include "report/storage/RLMetaVCL.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <system_error>

namespace prenso {

// ---------------------------------------------------------------------------
// The file being written: a temporary file beside the target, renamed over it
// when complete. The temporary name is on the program's list of temporary
// files, so that even a program stopped by a signal leaves nothing behind.

class TRLPDFWriter::Output {
public:
    // Into memory: the document is appended to `memory` as it is written;
    // abandoned, it takes back what it appended.
    explicit Output(std::string *memory) : FMemory(memory), FMemoryStart(memory->size()) {}

    explicit Output(const QString &target) : FTarget(target)
    {
        if (target.isEmpty())
            fail(QStringLiteral("No file name was given."));
        const QFileInfo info(target);
        const QString folder = info.absolutePath();
        if (!QFileInfo(folder).isDir())
            fail(QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
        if (info.isDir())
            fail(QStringLiteral("It is a folder."));
        // Replacing goes through a rename, which the target's own permission
        // would not stop; a file the user made read-only stays untouched.
        if (info.exists() && !info.isWritable())
            fail(SystemErrorMessage(EACCES));
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString candidate = QStringLiteral("%1.%2.tmp")
                                          .arg(info.absoluteFilePath())
                                          .arg(QRandomGenerator::global()->bounded(1000000000));
            if (QFileInfo::exists(candidate))
                continue;
            FFile.setFileName(candidate);
            if (FFile.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
                FTemp = candidate;
                files::registerTempFile(FTemp);
                if (info.exists())
                    QFile::setPermissions(FTemp, QFile::permissions(info.absoluteFilePath()));
                return;
            }
            if (!QFileInfo::exists(candidate))
                fail(FFile.errorString());
        }
        fail(QStringLiteral("No free temporary name beside it."));
    }

    ~Output() { Discard(); }

    const QString &TempName() const { return FTemp; }

    // Room for `n` more bytes at the end of the buffer; what is put there
    // counts once Advance says how much it was.
    char *Room(size_t n)
    {
        if (FUsed + n > FBuffer.size()) {
            Flush();
            if (n > FBuffer.size())
                FBuffer.resize(n);
        }
        return FBuffer.data() + FUsed;
    }
    void Advance(size_t n) { FUsed += n; }

    void Flush()
    {
        if (FUsed == 0)
            return;
        if (FMemory) {
            FMemory->append(FBuffer.data(), FUsed);
            FUsed = 0;
            return;
        }
        // A write that stops short is tried again for the rest: the second
        // attempt is the one that reports why (a full disk, say).
        const char *data = FBuffer.data();
        qint64 left = static_cast<qint64>(FUsed);
        while (left > 0) {
            const qint64 n = FFile.write(data, left);
            if (n <= 0)
                throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FTarget, FFile.errorString()));
            data += n;
            left -= n;
        }
        FUsed = 0;
    }

    void Commit()
    {
        Flush();
        if (FMemory) {
            FMemory = nullptr; // complete: it stays
            return;
        }
        FFile.close();
        if (FFile.error() != QFileDevice::NoError)
            throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FTarget, FFile.errorString()));
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(QFile::encodeName(FTemp).toStdString()),
                                std::filesystem::path(QFile::encodeName(FTarget).toStdString()), ec);
        if (ec)
            fail(QString::fromLocal8Bit(ec.message()));
        files::unregisterTempFile(FTemp);
        FTemp.clear();
    }

    void Discard()
    {
        if (FMemory) {
            FMemory->resize(FMemoryStart);
            FMemory = nullptr;
            return;
        }
        if (FTemp.isEmpty())
            return;
        FFile.close();
        QFile::remove(FTemp);
        files::unregisterTempFile(FTemp);
        FTemp.clear();
    }

private:
    [[noreturn]] void fail(const QString &reason)
    {
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FTarget, reason));
    }

    static constexpr size_t kFlushSize = 256 * 1024;
    QString FTarget;
    QString FTemp;
    QFile FFile;
    std::string *FMemory = nullptr;
    size_t FMemoryStart = 0;
    std::vector<char> FBuffer = std::vector<char>(kFlushSize);
    size_t FUsed = 0;
};

// ---------------------------------------------------------------------------
// Document information

void TRLPDFFilterDocumentInfo::Assign(const TRLPDFFilterDocumentInfo *source)
{
    if (source)
        *this = *source;
    else
        *this = TRLPDFFilterDocumentInfo();
}

// ---------------------------------------------------------------------------
// Formats

double PDF_PixelsToPoints(double pixels)
{
    return pixels / 96.0 * 72.0;
}

namespace {

// Room for any double written by formatFloat.
constexpr size_t kFloatChars = 330;

// Writes `value` with at most four decimals and no trailing zeros into
// `buf` (kFloatChars bytes); returns the end. Coordinates are multiples of
// 0.75 point and colours fractions of 255, so nearly every value is scaled
// and rounded exactly in integers; a value whose fifth decimal sits too near
// a half for that, or that is too large, goes through the correctly rounded
// library conversion instead.
char *formatFloat(char *buf, double value)
{
    if (!std::isfinite(value)) {
        *buf = '0';
        return buf + 1;
    }
    const double scaled = value * 10000.0;
    const double rounded = std::nearbyint(scaled);
    if (std::fabs(scaled) < 9.0e15 && std::fabs(std::fabs(scaled - rounded) - 0.5) > 1e-6) {
        long long n = static_cast<long long>(rounded);
        char *p = buf;
        if (n < 0) {
            *p++ = '-';
            n = -n;
        }
        const long long whole = n / 10000;
        int frac = static_cast<int>(n % 10000);
        p = std::to_chars(p, p + 24, whole).ptr;
        if (frac != 0) {
            char digits[4];
            for (int i = 3; i >= 0; --i) {
                digits[i] = static_cast<char>('0' + frac % 10);
                frac /= 10;
            }
            int len = 4;
            while (digits[len - 1] == '0')
                --len;
            *p++ = '.';
            std::memcpy(p, digits, static_cast<size_t>(len));
            p += len;
        }
        return p;
    }
    const auto res = std::to_chars(buf, buf + kFloatChars, value, std::chars_format::fixed, 4);
    std::string_view s(buf, static_cast<size_t>(res.ptr - buf));
    if (s.find('.') != std::string_view::npos) {
        while (s.back() == '0')
            s.remove_suffix(1);
        if (s.back() == '.')
            s.remove_suffix(1);
    }
    if (s == "-0") {
        buf[0] = '0';
        return buf + 1;
    }
    return buf + s.size();
}

} // namespace

std::string PDF_FloatToStr(double value)
{
    char buf[kFloatChars];
    return std::string(buf, formatFloat(buf, value));
}

std::string PDF_Zeros(long long value, int width)
{
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return s;
}

std::string PDF_IndirectObjStr(int objectNumber)
{
    return std::to_string(objectNumber) + " 0 R";
}

std::string PDF_CurrentDateTimeStr()
{
    return "D:" + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
}

namespace {

// Literal-string escaping: the delimiters and the backslash get a backslash;
// control characters and 127 to 159 are written as octal escapes (the bytes
// stay those of the WinAnsi encoding the fonts declare).
// Writes the escaped text at p (room for four bytes per character) and
// returns the end.
// How each byte is written: 0 as it is, 1 after a backslash, 2 as an octal
// escape.
constexpr std::array<std::uint8_t, 256> kEscapes = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<size_t>(c)] = c < 32 || (c >= 127 && c <= 159) ? 2 : (c == '(' || c == ')' || c == '\\') ? 1 : 0;
    return t;
}();

char *encodeText(char *p, std::string_view text)
{
    const char *run = text.data();
    const char *const end = run + text.size();
    for (const char *q = run; q != end; ++q) {
        const auto c = static_cast<unsigned char>(*q);
        const std::uint8_t kind = kEscapes[c];
        if (kind == 0)
            continue;
        std::memcpy(p, run, static_cast<size_t>(q - run)); // the plain run before it, in one copy
        p += q - run;
        run = q + 1;
        *p++ = '\\';
        if (kind == 1) {
            *p++ = static_cast<char>(c);
        } else {
            *p++ = static_cast<char>('0' + ((c >> 6) & 7));
            *p++ = static_cast<char>('0' + ((c >> 3) & 7));
            *p++ = static_cast<char>('0' + (c & 7));
        }
    }
    std::memcpy(p, run, static_cast<size_t>(end - run));
    return p + (end - run);
}

} // namespace

std::string PDF_EncodeText(std::string_view text)
{
    std::string out(text.size() * 4, '\0');
    out.resize(static_cast<size_t>(encodeText(out.data(), text) - out.data()));
    return out;
}

std::string PDF_GetDashPattern(TRLPDFFilterDashPatternType pattern)
{
    switch (pattern) {
    case TRLPDFFilterDashPatternType::dpSolid: return "[] 0 d";
    case TRLPDFFilterDashPatternType::dp33: return "[3] 0 d";
    case TRLPDFFilterDashPatternType::dp1222: return "[2] 0 d";
    case TRLPDFFilterDashPatternType::dp2121: return "[2 1] 0 d";
    case TRLPDFFilterDashPatternType::dp23535: return "[3 5] 6 d";
    case TRLPDFFilterDashPatternType::dp13232: return "[2 3] 11 d";
    case TRLPDFFilterDashPatternType::dpRegular: break;
    }
    return std::string();
}

int PDF_CalcTextLeadingPointSize(int fontSize)
{
    if (fontSize == 0)
        fontSize = 10;
    return RoundCoord(fontSize * 14.5 / 12.0);
}

namespace {

// The 14 fonts every PDF reader has, in their own spelling.
constexpr std::array<const char *, 14> kStandardFonts = {
    "Courier",          "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
    "Helvetica",        "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Symbol",           "Times-Roman",    "Times-Bold",        "Times-Italic",
    "Times-BoldItalic", "ZapfDingbats"};

QString withoutSpaces(const QString &name)
{
    QString s = name;
    s.remove(u' ');
    return s;
}

// The standard font a name stands for, or null. A family's plain face takes
// the variant of the style, so that a bold Courier text is bold in the file
// too; a name that already names a variant is kept.
const char *standardFontName(const QString &name, TFontStyles style)
{
    const QString key = withoutSpaces(name);
    int index = -1;
    for (size_t i = 0; i < kStandardFonts.size(); ++i)
        if (key.compare(QLatin1String(kStandardFonts[i]), Qt::CaseInsensitive) == 0)
            index = static_cast<int>(i);
    if (index < 0)
        return nullptr;
    const bool bold = style & fsBold;
    const bool italic = style & fsItalic;
    const int variant = (bold ? 1 : 0) + (italic ? 2 : 0);
    if (index == 0 || index == 4) // Courier, Helvetica: plain, bold, oblique, bold oblique
        return kStandardFonts[static_cast<size_t>(index + variant)];
    if (index == 9) // Times-Roman, then Bold, Italic, BoldItalic
        return kStandardFonts[static_cast<size_t>(9 + variant)];
    return kStandardFonts[static_cast<size_t>(index)];
}

// A name object's characters: bytes outside the printable range and the
// delimiters are written as #xx.
std::string pdfName(std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x21 || c > 0x7E || std::string_view("#()<>[]{}/%").find(ch) != std::string_view::npos) {
            out += '#';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

// An information text. Readers take these in their own document encoding,
// which differs from Windows-1252 in the typographic signs, so anything
// beyond ASCII is written as UTF-16 with its byte order mark.
std::string infoString(const QString &value)
{
    bool ascii = true;
    for (const QChar c : value)
        if (c.unicode() >= 128)
            ascii = false;
    if (ascii)
        return "(" + PDF_EncodeText(value.toLatin1().toStdString()) + ")";
    std::string utf16 = "\xFE\xFF";
    for (const QChar c : value) {
        utf16 += static_cast<char>(c.unicode() >> 8);
        utf16 += static_cast<char>(c.unicode() & 0xFF);
    }
    return "(" + PDF_EncodeText(utf16) + ")";
}

TRLMetaColor metaColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return TRLMetaColor{static_cast<std::uint8_t>(GetRValue(rgb)), static_cast<std::uint8_t>(GetGValue(rgb)),
                        static_cast<std::uint8_t>(GetBValue(rgb))};
}

// A picture on white paper, 8 bits per channel.
QImage onWhite(const QImage &image, QImage::Format format)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(format);
    QImage out(image.size(), format);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
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
    return FOutputStream ? FOutputStream->TempName() : QString();
}

void TRLPDFWriter::Abandon()
{
    FOutputStream.reset();
    FInPage = false;
}

int TRLPDFWriter::ReserveObjNumber()
{
    const int n = std::max(FObjectCount, FMaxReserved) + 1;
    FReserveds.push_back(n); // always above every earlier one: the list stays sorted
    FMaxReserved = n;
    return n;
}

int TRLPDFWriter::AllocObjNumber()
{
    int n = FObjectCount + 1;
    while (std::binary_search(FReserveds.begin(), FReserveds.end(), n))
        ++n;
    FObjectCount = n;
    return n;
}

void TRLPDFWriter::Write(std::string_view bytes)
{
    if (bytes.empty())
        return;
    char *p = FOutputStream->Room(bytes.size());
    std::memcpy(p, bytes.data(), bytes.size());
    Advance(p + bytes.size(), p);
}

char *TRLPDFWriter::Room(size_t n)
{
    return FOutputStream->Room(n);
}

void TRLPDFWriter::Advance(const char *end, const char *start)
{
    const auto n = static_cast<size_t>(end - start);
    if (n == 0)
        return;
    FOutputStream->Advance(n);
    FWritePos += static_cast<std::int64_t>(n);
    FLastByte = end[-1];
}

void TRLPDFWriter::WriteLn(std::string_view line)
{
    char *const start = Room(line.size() + 2);
    std::memcpy(start, line.data(), line.size());
    char *p = start + line.size();
    *p++ = '\r';
    *p++ = '\n';
    Advance(p, start);
}

int TRLPDFWriter::StartObj(int number)
{
    if (number == 0)
        number = AllocObjNumber();
    if (static_cast<int>(FObjects.size()) < number)
        FObjects.resize(static_cast<size_t>(number), -1);
    FObjects[static_cast<size_t>(number - 1)] = FWritePos;
    return number;
}

void TRLPDFWriter::BeginDictionaryObj(int number)
{
    WriteLn(std::to_string(StartObj(number)) + " 0 obj <<");
}

void TRLPDFWriter::EndDictionaryObj()
{
    WriteLn(">> endobj");
}

void TRLPDFWriter::BeginPlainObj(int number)
{
    WriteLn(std::to_string(StartObj(number)) + " 0 obj");
}

void TRLPDFWriter::EndPlainObj()
{
    WriteLn("endobj");
}

void TRLPDFWriter::BeginStream()
{
    WriteLn(">>");
    WriteLn("stream");
    FStreamStart = FWritePos;
}

std::int64_t TRLPDFWriter::EndStream()
{
    const std::int64_t length = FWritePos - FStreamStart;
    // "endstream" must start a line; an end of line added here is not data.
    if (length > 0 && FLastByte != '\n')
        Write("\r\n");
    WriteLn("endstream");
    WriteLn("endobj");
    return length;
}

void TRLPDFWriter::WriteLengthObj(int number, std::int64_t length)
{
    BeginPlainObj(number);
    WriteLn(std::to_string(length));
    EndPlainObj();
}

// The content streams are made of many short lines of numbers: each line is
// formatted straight into the output buffer.
namespace {

constexpr size_t kLineRoom = 32; // the longest operator tail plus the end of line

char *putTail(char *p, std::string_view tail)
{
    std::memcpy(p, tail.data(), tail.size());
    p += tail.size();
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

// A length in pixels as points: pixels × 0.75, so the decimals can only be
// .25, .5 or .75. Writes what formatFloat writes for the same value.
char *formatPixels(char *p, long long pixels)
{
    long long q = pixels * 3;
    if (q < 0) {
        *p++ = '-';
        q = -q;
    }
    p = std::to_chars(p, p + 24, q / 4).ptr;
    switch (q % 4) {
    case 1: std::memcpy(p, ".25", 3); return p + 3;
    case 2: std::memcpy(p, ".5", 2); return p + 2;
    case 3: std::memcpy(p, ".75", 3); return p + 3;
    default: return p;
    }
}

} // namespace

std::string PDF_PixelsToStr(long long pixels)
{
    char buf[32];
    return std::string(buf, formatPixels(buf, pixels));
}

void TRLPDFWriter::WriteNumbers(std::initializer_list<double> values, std::string_view tail)
{
    char *const start = Room(values.size() * (kFloatChars + 1) + kLineRoom);
    char *p = start;
    for (const double v : values) {
        if (p != start)
            *p++ = ' ';
        p = formatFloat(p, v);
    }
    Advance(putTail(p, tail), start);
}

void TRLPDFWriter::WritePixels(std::initializer_list<long long> pixels, std::string_view tail)
{
    char *const start = Room(pixels.size() * 26 + kLineRoom);
    char *p = start;
    for (const long long v : pixels) {
        if (p != start)
            *p++ = ' ';
        p = formatPixels(p, v);
    }
    Advance(putTail(p, tail), start);
}

void TRLPDFWriter::WriteInt(long long value)
{
    char *const start = Room(24);
    Advance(std::to_chars(start, start + 24, value).ptr, start);
}

void TRLPDFWriter::WriteEncodedText(std::string_view text)
{
    char *const start = Room(text.size() * 4);
    Advance(encodeText(start, text), start);
}

void TRLPDFWriter::WritePoint(int x, int y, std::string_view tail)
{
    WritePixels({x, static_cast<long long>(FPageSize.Y) - y}, tail);
}

void TRLPDFWriter::WriteRect(const TRect &r, std::string_view tail)
{
    WritePixels({r.Left, static_cast<long long>(FPageSize.Y) - r.Bottom, static_cast<long long>(r.Right) - r.Left,
                 static_cast<long long>(r.Bottom) - r.Top},
                tail);
}

void TRLPDFWriter::WriteColor(const TRLMetaColor &c, std::string_view tail)
{
    // Pages repeat a handful of colours thousands of times.
    if (!FColorCached || c != FCachedColor) {
        char buf[3 * kFloatChars];
        char *p = formatFloat(buf, c.Red / 255.0);
        *p++ = ' ';
        p = formatFloat(p, c.Green / 255.0);
        *p++ = ' ';
        p = formatFloat(p, c.Blue / 255.0);
        FCachedColorText.assign(buf, p);
        FCachedColor = c;
        FColorCached = true;
    }
    char *const start = Room(FCachedColorText.size() + kLineRoom);
    std::memcpy(start, FCachedColorText.data(), FCachedColorText.size());
    Advance(putTail(start + FCachedColorText.size(), tail), start);
}

void TRLPDFWriter::BeginDoc(const QString &fileName, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    Abandon();
    beginDoc(std::make_unique<Output>(fileName), printSize, info);
}

void TRLPDFWriter::BeginDoc(std::string &memory, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    Abandon();
    beginDoc(std::make_unique<Output>(&memory), printSize, info);
}

void TRLPDFWriter::beginDoc(std::unique_ptr<Output> output, TPoint printSize, const TRLPDFFilterDocumentInfo &info)
{
    FWritePos = 0;
    FLastByte = 0;
    FObjects.clear();
    FObjectCount = 0;
    FReserveds.clear();
    FMaxReserved = 0;
    FFonts.clear();
    FImages.clear();
    FPages.clear();
    FXRefOfs = 0;
    FClipDepth = 0;
    FPrintSize = printSize;
    FPageSize = printSize;
    FOutputStream = std::move(output);
    try {
        WriteLn("%PDF-1.2");
        // A comment of bytes above 127 tells transfer programs that the file
        // is binary (the JPEG streams are).
        WriteLn("%\xE2\xE3\xCF\xD3");

        FInfoObjAt = AllocObjNumber();
        BeginDictionaryObj(FInfoObjAt);
        WriteLn("/CreationDate(" + (FDeterministic ? std::string(PDF_FixedDateTimeStr) : PDF_CurrentDateTimeStr()) +
                ")");
        const std::pair<const char *, const QString *> fields[] = {
            {"/Title", &info.Title()},       {"/Subject", &info.Subject()}, {"/Author", &info.Author()},
            {"/Keywords", &info.KeyWords()}, {"/Creator", &info.Creator()}, {"/Producer", &info.Producer()}};
        for (const auto &[key, value] : fields)
            if (!value->isEmpty())
                WriteLn(key + infoString(*value));
        EndDictionaryObj();

        FCatalogObjAt = AllocObjNumber();
        BeginDictionaryObj(FCatalogObjAt);
        WriteLn("/Type/Catalog");
        FPageTreeObjAt = ReserveObjNumber();
        WriteLn("/Pages " + PDF_IndirectObjStr(FPageTreeObjAt));
        EndDictionaryObj();

        FResourcesObjAt = ReserveObjNumber();
    } catch (...) {
        Abandon();
        throw;
    }
}

int TRLPDFWriter::WriteImage(const QImage &image, std::string_view original)
{
    if (!Active() || FInPage)
        throw std::logic_error("TRLPDFWriter::WriteImage outside a document or inside a page");
    bool jpeg = false;
    switch (FImageFormat) {
    case TRLPDFFilterImageFormat::ifJPeg: jpeg = true; break;
    case TRLPDFFilterImageFormat::ifBitmap: jpeg = false; break;
    case TRLPDFFilterImageFormat::ifOriginal: jpeg = JpegLooksLikeJpeg(original); break;
    default: throw Exception(QStringLiteral("Unknown imageformat"));
    }
    if (image.isNull() && !jpeg)
        throw Exception(QStringLiteral("Empty picture"));

    // Compress before anything is written, so that a picture libjpeg
    // refuses leaves no half object behind.
    std::string encoded;
    TRLJpegInfo info;
    bool grey = false;
    if (jpeg) {
        if (!original.empty() && JpegReadInfo(original, info) && (info.Components == 1 || info.Components == 3)) {
            encoded.assign(original);
            grey = info.Components == 1;
        } else {
            if (image.isNull())
                throw Exception(QStringLiteral("Empty picture"));
            grey = image.isGrayscale();
            encoded = JpegEncode(image, FJpegQuality, grey);
            info.Width = image.width();
            info.Height = image.height();
        }
    }

    const int lengthObj = ReserveObjNumber();
    const int number = AllocObjNumber();
    FImages.push_back(number);
    BeginDictionaryObj(number);
    std::int64_t length = 0;
    if (jpeg) {
        WriteLn("/Type/XObject/Subtype/Image");
        WriteLn("/Width " + std::to_string(info.Width));
        WriteLn("/Height " + std::to_string(info.Height));
        WriteLn(grey ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB");
        WriteLn("/BitsPerComponent 8");
        WriteLn("/Length " + PDF_IndirectObjStr(lengthObj));
        WriteLn("/Filter/DCTDecode");
        BeginStream();
        Write(encoded);
        length = EndStream();
    } else {
        const QImage rgb = onWhite(image, QImage::Format_RGB32);
        WriteLn("/Type/XObject");
        WriteLn("/Subtype/Image");
        WriteLn("/Width " + std::to_string(rgb.width()));
        WriteLn("/Height " + std::to_string(rgb.height()));
        WriteLn("/ColorSpace/DeviceRGB");
        WriteLn("/BitsPerComponent 8");
        WriteLn("/Length " + PDF_IndirectObjStr(lengthObj));
        WriteLn("/Filter [/ASCIIHexDecode]");
        BeginStream();
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string line;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                for (const int v : {qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) {
                    line += hex[v >> 4];
                    line += hex[v & 15];
                }
                if (line.size() >= 80) {
                    WriteLn(line);
                    line.clear();
                }
            }
        }
        if (!line.empty())
            WriteLn(line);
        WriteLn(">");
        length = EndStream();
    }
    WriteLengthObj(lengthObj, length);
    return static_cast<int>(FImages.size());
}

void TRLPDFWriter::RequirePage(const char *operation) const
{
    if (!FInPage)
        throw std::logic_error(std::string("TRLPDFWriter::") + operation + " outside a page");
}

void TRLPDFWriter::BeginPage(int width, int height)
{
    if (!Active() || FInPage)
        throw std::logic_error("TRLPDFWriter::BeginPage outside a document or inside a page");
    FPageSize = TPoint{width > 0 ? width : FPrintSize.X, height > 0 ? height : FPrintSize.Y};
    const int page = AllocObjNumber();
    FPages.push_back(page);
    BeginDictionaryObj(page);
    WriteLn("/Type/Page");
    WriteLn("/Parent " + PDF_IndirectObjStr(FPageTreeObjAt));
    WriteLn("/Resources " + PDF_IndirectObjStr(FResourcesObjAt));
    WriteLn("/MediaBox [ 0 0 " + PDF_FloatToStr(PDF_PixelsToPoints(FPageSize.X)) + ' ' +
            PDF_FloatToStr(PDF_PixelsToPoints(FPageSize.Y)) + " ]");
    FContentsObjAt = ReserveObjNumber();
    WriteLn("/Contents " + PDF_IndirectObjStr(FContentsObjAt));
    EndDictionaryObj();

    FLengthObjAt = ReserveObjNumber();
    BeginDictionaryObj(FContentsObjAt);
    WriteLn("/Length " + PDF_IndirectObjStr(FLengthObjAt));
    BeginStream();
    FInPage = true;
    FClipDepth = 0;
}

void TRLPDFWriter::EndPage()
{
    RequirePage("EndPage");
    // A clip set and never reset would leave the graphics state unbalanced.
    for (; FClipDepth > 0; --FClipDepth)
        WriteLn("Q");
    const std::int64_t length = EndStream();
    WriteLengthObj(FLengthObjAt, length);
    FInPage = false;
    FPageSize = FPrintSize;
}

void TRLPDFWriter::WritePen(const TRLMetaPen &pen)
{
    const bool clear = pen.Style() == MetaPenStyleClear;
    if (clear)
        WriteLn("0 w");
    else
        WriteNumbers({PDF_PixelsToPoints(pen.Width())}, " w");
    WriteLn("0 J");
    switch (pen.Style()) {
    case MetaPenStyleClear: break;
    case MetaPenStyleDash: WriteLn("[3] 0 d"); break;
    case MetaPenStyleDot: WriteLn("[1] 0 d"); break;
    case MetaPenStyleDashDot: WriteLn("[2 1] 0 d"); break;
    case MetaPenStyleDashDotDot: WriteLn("[3 5] 6 d"); break;
    default: // solid, inside frame, and codes this program does not know
        WriteLn("[] 0 d");
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
        WriteLn(close ? "b" : "B");
    else if (fill)
        WriteLn("f");
    else if (stroke)
        WriteLn(close ? "s" : "S");
    else
        WriteLn("n");
}

void TRLPDFWriter::Pixel(const TRect &bounds, const TRLMetaColor &color)
{
    RequirePage("Pixel");
    // A pixel covers at least one pixel, as on the canvas.
    TRect r = bounds;
    r.Right = std::max(SatAdd(r.Left, 1), r.Right);
    r.Bottom = std::max(SatAdd(r.Top, 1), r.Bottom);
    WriteLn("0 w");
    WriteLn("0 J");
    WriteColor(color, " rg");
    WriteRect(r, " re");
    WriteLn("f");
}

void TRLPDFWriter::Line(TPoint from, TPoint to, const TRLMetaPen &pen)
{
    RequirePage("Line");
    WritePen(pen);
    WritePoint(from.X, from.Y, " m");
    WritePoint(to.X, to.Y, " l");
    WriteLn(pen.Style() == MetaPenStyleClear ? "n" : "S");
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
    WriteLn("0 w");
    WriteColor(brush.Color(), " rg");
    WriteRect(bounds, " re");
    WriteLn("f");
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
    WriteLn(path);
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
    WriteLn(pen.Style() == MetaPenStyleClear ? "n" : "S");
}

int TRLPDFWriter::RegisterFont(const QString &name, TFontStyles style)
{
    const QString key = name.left(127);
    style &= 15;
    for (size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i].Style == style && FFonts[i].Name.compare(key, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    FFonts.push_back(FontEntry{key, style, ReserveObjNumber()});
    return static_cast<int>(FFonts.size());
}

void TRLPDFWriter::Text(const TRect &bounds, TPoint origin, TRLMetaTextAlignment alignment, TRLMetaTextLayout layout,
                        TRLMetaTextFlags flags, std::string_view text, const TFont &font)
{
    RequirePage("Text");
    const FontResource &metrics = font.Resource();
    const int a = metrics.width(std::string_view("1"));
    WriteLn("q");
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
        WritePixels({clipLeft, pageHeight - bottom, clipRight - clipLeft, bottom - top}, " re");
        WriteLn("W n");
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
    const long long y = base + th / 4;
    const int fontNumber = RegisterFont(font.Name(), font.Style());
    WriteLn("BT");
    Write("/F");
    WriteInt(fontNumber);
    Write(" ");
    WriteInt(font.Size());
    WriteLn(" Tf");
    WritePixels({x, y}, " Td");
    Write("(");
    WriteEncodedText(text);
    WriteLn(") Tj");
    WriteLn("ET");
    WriteLn("Q");
}

void TRLPDFWriter::Image(const TRect &bounds, int imageNumber)
{
    RequirePage("Image");
    if (imageNumber < 1 || imageNumber > static_cast<int>(FImages.size()))
        return;
    WriteLn("q");
    WriteLn("1 0 0 1 " + PDF_PixelsToStr(bounds.Left) + ' ' +
            PDF_PixelsToStr(static_cast<long long>(FPageSize.Y) - bounds.Bottom) + " cm");
    WriteLn(PDF_PixelsToStr(static_cast<long long>(bounds.Right) - bounds.Left) + " 0 0 " +
            PDF_PixelsToStr(static_cast<long long>(bounds.Bottom) - bounds.Top) + " 0 0 cm");
    WriteLn("/Image" + std::to_string(imageNumber) + " Do");
    WriteLn("Q");
}

void TRLPDFWriter::SetClipRect(const TRect &bounds)
{
    RequirePage("SetClipRect");
    WriteLn("q");
    // A clip without width or height means no clipping on the canvas; here
    // it only opens the level that the reset closes.
    if (bounds.Right != bounds.Left && bounds.Bottom != bounds.Top) {
        WriteRect(bounds, " re");
        WriteLn("W n");
    }
    ++FClipDepth;
}

void TRLPDFWriter::ResetClipRect()
{
    RequirePage("ResetClipRect");
    // A reset without a set would close a level the page never opened.
    if (FClipDepth == 0)
        return;
    WriteLn("Q");
    --FClipDepth;
}

void TRLPDFWriter::WriteFont(int index)
{
    const FontEntry &font = FFonts[static_cast<size_t>(index)];
    const std::string fontId = "/F" + std::to_string(index + 1);
    if (const char *standard = standardFontName(font.Name, font.Style)) {
        BeginDictionaryObj(font.ObjectNumber);
        WriteLn("/Type/Font/Subtype/Type1/Name" + fontId + "/BaseFont/" + standard + "/Encoding/WinAnsiEncoding");
        EndDictionaryObj();
        return;
    }

    TRLMetaFontMetrics metrics;
    FFontMetrics(font.Name, font.Style, metrics);
    std::string baseName = pdfName(cp1252::encode(withoutSpaces(font.Name)));
    const bool bold = font.Style & fsBold;
    const bool italic = font.Style & fsItalic;
    if (bold && italic)
        baseName += ",BoldItalic";
    else if (bold)
        baseName += ",Bold";
    else if (italic)
        baseName += ",Italic";
    if (font.Style & fsUnderline)
        baseName += ",Underline";
    if (font.Style & fsStrikeOut)
        baseName += ",StrikeOut";

    const int first = std::clamp(metrics.FirstChar, 0, 255);
    const int last = std::clamp(metrics.LastChar, first, 255);
    BeginDictionaryObj(font.ObjectNumber);
    WriteLn("/Type/Font/Subtype/TrueType/Name" + fontId + "/BaseFont/" + baseName);
    WriteLn("/FirstChar " + std::to_string(first));
    WriteLn("/LastChar " + std::to_string(last));
    WriteLn("/Widths [");
    std::string line;
    for (int code = first, n = 1; code <= last; ++code, ++n) {
        line += std::to_string(metrics.Widths[static_cast<size_t>(code)]) + ' ';
        if (n % 18 == 0 || code == last) {
            WriteLn(line);
            line.clear();
        }
    }
    WriteLn("]");
    const int descriptor = ReserveObjNumber();
    WriteLn("/FontDescriptor " + PDF_IndirectObjStr(descriptor));
    WriteLn("/Encoding/WinAnsiEncoding");
    EndDictionaryObj();

    const TRLMetaFontDescriptor &d = metrics.FontDescriptor;
    BeginDictionaryObj(descriptor);
    WriteLn("/Type/FontDescriptor");
    WriteLn("/FontName/" + baseName);
    WriteLn("/Flags 32");
    WriteLn("/FontBBox [ " + std::to_string(d.FontBBox.Left) + ' ' + std::to_string(d.FontBBox.Bottom) + ' ' +
            std::to_string(d.FontBBox.Right) + ' ' + std::to_string(d.FontBBox.Top) + " ]");
    WriteLn("/MissingWidth 0");
    WriteLn("/StemV 73");
    WriteLn("/StemH 73");
    // The metrics give tenths of a degree; PDF wants degrees.
    WriteLn("/ItalicAngle " + PDF_FloatToStr(d.ItalicAngle / 10.0));
    WriteLn("/CapHeight " + std::to_string(d.CapHeight));
    WriteLn("/XHeight " + std::to_string(d.XHeight));
    WriteLn("/Ascent " + std::to_string(d.Ascent));
    // Below the baseline, so negative in PDF.
    WriteLn("/Descent " + std::to_string(-std::abs(d.Descent)));
    WriteLn("/Leading " + std::to_string(d.Leading));
    WriteLn("/MaxWidth " + std::to_string(d.MaxWidth));
    WriteLn("/AvgWidth " + std::to_string(d.AvgWidth));
    EndDictionaryObj();
}

void TRLPDFWriter::EndDoc()
{
    if (!Active())
        throw std::logic_error("TRLPDFWriter::EndDoc without a document");
    try {
        if (FInPage)
            EndPage();
        for (int i = 0; i < static_cast<int>(FFonts.size()); ++i)
            WriteFont(i);

        BeginDictionaryObj(FResourcesObjAt);
        WriteLn("/ProcSet [ /PDF/Text/ImageB/ImageC ]");
        WriteLn("/Font <<");
        for (size_t i = 0; i < FFonts.size(); ++i)
            WriteLn("/F" + std::to_string(i + 1) + ' ' + PDF_IndirectObjStr(FFonts[i].ObjectNumber));
        WriteLn(">>");
        WriteLn("/XObject <<");
        for (size_t i = 0; i < FImages.size(); ++i)
            WriteLn("/Image" + std::to_string(i + 1) + ' ' + PDF_IndirectObjStr(FImages[i]));
        WriteLn(">>");
        EndDictionaryObj();

        BeginDictionaryObj(FPageTreeObjAt);
        WriteLn("/Type/Pages");
        WriteLn("/Count " + std::to_string(FPages.size()));
        WriteLn("/MediaBox [ 0 0 " + PDF_FloatToStr(PDF_PixelsToPoints(FPrintSize.X)) + ' ' +
                PDF_FloatToStr(PDF_PixelsToPoints(FPrintSize.Y)) + " ]");
        std::string kids = "/Kids [ ";
        for (const int page : FPages)
            kids += PDF_IndirectObjStr(page) + ' ';
        WriteLn(kids + "]");
        EndDictionaryObj();

        const int highest = std::max(FObjectCount, FMaxReserved);
        for (int n = 1; n <= highest; ++n)
            if (n > static_cast<int>(FObjects.size()) || FObjects[static_cast<size_t>(n - 1)] < 0)
                throw std::logic_error("PDF object " + std::to_string(n) + " was reserved but never written");
        FXRefOfs = FWritePos;
        WriteLn("xref");
        WriteLn("0 " + std::to_string(highest + 1));
        WriteLn("0000000000 65535 f");
        for (int n = 1; n <= highest; ++n)
            WriteLn(PDF_Zeros(FObjects[static_cast<size_t>(n - 1)], 10) + " 00000 n");
        WriteLn("trailer");
        WriteLn("<<");
        WriteLn("/Size " + std::to_string(highest + 1));
        WriteLn("/Root " + PDF_IndirectObjStr(FCatalogObjAt));
        WriteLn("/Info " + PDF_IndirectObjStr(FInfoObjAt));
        WriteLn(">>");
        WriteLn("startxref");
        WriteLn(std::to_string(FXRefOfs));
        WriteLn("%%EOF");
        FOutputStream->Commit();
        FOutputStream.reset();
    } catch (...) {
        Abandon();
        throw;
    }
}

} // namespace prenso
