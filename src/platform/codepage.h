#pragma once
// The fixed system code page: Windows-1252. Every byte is one character; the
// five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the control characters of the same code, so decoding never loses a
// byte and encoding what was decoded gives the same bytes back.

#include <QString>
#include <string>
#include <string_view>

namespace prenso::cp1252 {

// One byte to its Unicode character.
char16_t toUnicode(unsigned char byte);
// One Unicode character to its byte; characters the code page lacks become '?'.
unsigned char fromUnicode(char16_t ch, bool *ok = nullptr);
// The same without the report; every measured or printed character passes
// here, so the characters that are their own byte take the short way inline.
inline unsigned char toByte(char16_t ch)
{
    return ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF) ? static_cast<unsigned char>(ch) : fromUnicode(ch);
}

QString decode(std::string_view bytes);
std::string encode(const QString &text);

} // namespace prenso::cp1252
