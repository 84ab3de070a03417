#include "platform/codepage.h"

#include <array>

namespace prenso::cp1252 {
namespace {

// Bytes 0x80..0x9F; the unassigned ones keep their own code.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHigh[byte - 0x80];
    return byte;
}

unsigned char fromUnicode(char16_t ch, bool *ok)
{
    if (ok)
        *ok = true;
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    if (ok)
        *ok = false;
    return '?';
}

QString decode(std::string_view bytes)
{
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *dst = out.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(toUnicode(static_cast<unsigned char>(bytes[i])));
    return out;
}

std::string encode(const QString &text)
{
    // Every text printed passes here: the common characters take the short
    // way, only the rest searches the table.
    std::string out(static_cast<size_t>(text.size()), '\0');
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    char *dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        dst[i] = static_cast<char>(toByte(src[i]));
    }
    return out;
}

} // namespace prenso::cp1252
