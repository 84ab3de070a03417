#pragma once
// How numbers, texts and names are written in a PDF file.
//
// Coordinates are report pixels (96 per inch); the file speaks in points
// (72 per inch), so a length in pixels is written as pixels × 3 / 4 and only
// .25, .5 or .75 can follow the point. Other numbers have at most four
// decimals. Texts are Windows-1252 bytes, declared as WinAnsiEncoding.
//
// The Format… functions write in place, for the content streams, which are
// made of many short lines: each takes a buffer with room enough and returns
// the end of what it wrote.

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace prenso {

enum class TRLPDFFilterDashPatternType { dpRegular, dpSolid, dp33, dp1222, dp2121, dp23535, dp13232 };

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

// Room that FormatFloat may need for any double.
inline constexpr size_t kPDFFloatChars = 330;
// `value` written into `out` as PDF_FloatToStr gives it; returns the end.
char *PDFFormatFloat(char *out, double value);
// A length in pixels as points (at most 25 characters).
char *PDFFormatPixels(char *out, long long pixels);
// `text` escaped as PDF_EncodeText does (room for four bytes per byte).
char *PDFEncodeText(char *out, std::string_view text);

// A name object's characters: bytes outside the printable range and the
// delimiters are written as #xx.
std::string PDFName(std::string_view bytes);
// An information text as a literal string: ASCII as it is, anything beyond
// as UTF-16 with its byte order mark (readers take these in their own
// document encoding, which differs from Windows-1252 in the typographic signs).
std::string PDFInfoString(const QString &value);

} // namespace prenso
