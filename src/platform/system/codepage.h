#pragma once
// The fixed system code page: Windows-1252. Every byte is one character; the
// five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the control characters of the same code, so decoding never loses a
// byte and encoding what was decoded gives the same bytes back.

#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace prenso::cp1252 {

// Bytes 0x80..0x9F; the unassigned ones keep their own code.
inline constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Every byte's character, and the byte of every character below U+0100
// ('?' for the control characters the code page gives other codes to):
// every line read, measured and printed goes through one of the two.
inline constexpr std::array<char16_t, 256> kToUnicode = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[static_cast<size_t>(b)] = b >= 0x80 && b <= 0x9F ? kHigh[static_cast<size_t>(b - 0x80)] : char16_t(b);
    return t;
}();
inline constexpr std::array<unsigned char, 256> kLowToByte = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
        unsigned char b = '?';
        if (c < 0x80 || c >= 0xA0)
            b = static_cast<unsigned char>(c);
        else
            for (int i = 0; i < 32; ++i)
                if (kHigh[static_cast<size_t>(i)] == c)
                    b = static_cast<unsigned char>(0x80 + i);
        t[static_cast<size_t>(c)] = b;
    }
    return t;
}();

// One byte to its Unicode character.
inline char16_t toUnicode(unsigned char byte)
{
    return kToUnicode[byte];
}
// One Unicode character to its byte; characters the code page lacks become '?'.
unsigned char fromUnicode(char16_t ch, bool *ok = nullptr);
// The same without the report; the characters below U+0100 take the table.
inline unsigned char toByte(char16_t ch)
{
    return ch < 0x100 ? kLowToByte[ch] : fromUnicode(ch);
}

QString decode(std::string_view bytes);
std::string encode(const QString &text);
// The same into `out`, replacing what it held and reusing its room.
void encode(const QString &text, std::string &out);

} // namespace prenso::cp1252
