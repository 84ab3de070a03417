#include "report/filters/pdf/RLPDFFormat.h"

#include "platform/graphics/valuetypes.h"

#include <QDateTime>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace prenso {

double PDF_PixelsToPoints(double pixels)
{
    return PixelsToPoints(pixels);
}

// Writes `value` with at most four decimals and no trailing zeros into
// `buf` (kPDFFloatChars bytes); returns the end. Coordinates are multiples of
// 0.75 point and colours fractions of 255, so nearly every value is scaled
// and rounded exactly in integers; a value whose fifth decimal sits too near
// a half for that, or that is too large, goes through the correctly rounded
// library conversion instead.
char *PDFFormatFloat(char *buf, double value)
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
    const auto res = std::to_chars(buf, buf + kPDFFloatChars, value, std::chars_format::fixed, 4);
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

std::string PDF_FloatToStr(double value)
{
    char buf[kPDFFloatChars];
    return std::string(buf, PDFFormatFloat(buf, value));
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
// stay those of the WinAnsi encoding the fonts declare). How each byte is
// written: 0 as it is, 1 after a backslash, 2 as an octal escape.
constexpr std::array<std::uint8_t, 256> kEscapes = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<size_t>(c)] = c < 32 || (c >= 127 && c <= 159) ? 2 : (c == '(' || c == ')' || c == '\\') ? 1 : 0;
    return t;
}();

} // namespace

char *PDFEncodeText(char *p, std::string_view text)
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

std::string PDF_EncodeText(std::string_view text)
{
    std::string out(text.size() * 4, '\0');
    out.resize(static_cast<size_t>(PDFEncodeText(out.data(), text) - out.data()));
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

std::string PDFName(std::string_view bytes)
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

std::string PDFInfoString(const QString &value)
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

// A length in pixels as points: pixels × 0.75, so the decimals can only be
// .25, .5 or .75. Writes what PDFFormatFloat writes for the same value.
char *PDFFormatPixels(char *p, long long pixels)
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

std::string PDF_PixelsToStr(long long pixels)
{
    char buf[32];
    return std::string(buf, PDFFormatPixels(buf, pixels));
}

} // namespace prenso
