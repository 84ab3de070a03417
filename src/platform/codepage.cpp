#include "platform/codepage.h"

namespace prenso::cp1252 {

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
    // Every text printed passes here: the characters below U+0100 take the
    // table, only the rest searches the code page's upper half.
    std::string out(static_cast<size_t>(text.size()), '\0');
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    char *dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = static_cast<char>(toByte(src[i]));
    return out;
}

} // namespace prenso::cp1252
