#include "platform/system/codepage.h"

#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#define PRENSO_CP1252_BLOCKS 1
#include <emmintrin.h>
#endif

namespace prenso::cp1252 {

namespace {
// The bytes of the characters above U+00FF, which all lie in U+0100..U+02FF
// and U+2000..U+21FF; 0 where the code page has none. A line with dashes or
// euro signs looks each of them up.
constexpr std::array<std::array<unsigned char, 512>, 2> kUpperBytes = [] {
    std::array<std::array<unsigned char, 512>, 2> t{};
    for (int i = 0; i < 32; ++i) {
        const char16_t c = kHigh[static_cast<size_t>(i)];
        if (c >= 0x100 && c < 0x300)
            t[0][c - 0x100] = static_cast<unsigned char>(0x80 + i);
        else if (c >= 0x2000 && c < 0x2200)
            t[1][c - 0x2000] = static_cast<unsigned char>(0x80 + i);
    }
    return t;
}();
} // namespace

unsigned char fromUnicode(char16_t ch, bool *ok)
{
    if (ok)
        *ok = true;
    if (ch < 0x100 && kLowToByte[ch] != '?')
        return kLowToByte[ch];
    if (ch == u'?')
        return '?';
    unsigned char b = 0;
    if (ch >= 0x100 && ch < 0x300)
        b = kUpperBytes[0][ch - 0x100];
    else if (ch >= 0x2000 && ch < 0x2200)
        b = kUpperBytes[1][ch - 0x2000];
    if (b != 0)
        return b;
    if (ok)
        *ok = false;
    return '?';
}

namespace {

// Lines are decoded and encoded whole for every record printed, and nearly
// all of their characters are their own byte: where the processor has SSE2,
// sixteen are converted at a time as if they all were, and then only those
// that are not (0x80..0x9F, or characters at U+0100 and above) are taken
// again through the tables.
#ifdef PRENSO_CP1252_BLOCKS
inline void decodeBlock(const unsigned char *src, char16_t *dst)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 8), _mm_unpackhi_epi8(v, zero));
    const __m128i high = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xE0))),
                                        _mm_set1_epi8(static_cast<char>(0x80)));
    for (unsigned others = static_cast<unsigned>(_mm_movemask_epi8(high)); others; others &= others - 1) {
        const int k = std::countr_zero(others);
        dst[k] = toUnicode(src[k]);
    }
}

inline void encodeBlock(const char16_t *src, char *dst)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_packus_epi16(a, b));
    // A character is its own byte below U+0100 and outside U+0080..U+009F.
    const __m128i zero = _mm_setzero_si128(), mask = _mm_set1_epi16(0xFFE0), control = _mm_set1_epi16(0x80);
    auto others = [&](__m128i c) {
        const __m128i wide = _mm_cmpeq_epi16(_mm_cmpeq_epi16(_mm_srli_epi16(c, 8), zero), zero);
        return _mm_or_si128(wide, _mm_cmpeq_epi16(_mm_and_si128(c, mask), control));
    };
    for (unsigned rest = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(others(a), others(b)))); rest;
         rest &= rest - 1) {
        const int k = std::countr_zero(rest);
        dst[k] = static_cast<char>(toByte(src[k]));
    }
}
#endif

} // namespace

QString decode(std::string_view bytes)
{
    const size_t n = bytes.size();
    QString out(static_cast<qsizetype>(n), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    size_t i = 0;
#ifdef PRENSO_CP1252_BLOCKS
    for (; i + 16 <= n; i += 16)
        decodeBlock(src + i, dst + i);
    // The tail as the last sixteen, overlapping what is done already.
    if (i < n && n >= 16) {
        decodeBlock(src + n - 16, dst + n - 16);
        i = n;
    }
#endif
    for (; i < n; ++i)
        dst[i] = toUnicode(src[i]);
    return out;
}

void encode(const QString &text, std::string &out)
{
    // Characters below U+0100 take the low table, the others the upper ones.
    const size_t n = static_cast<size_t>(text.size());
    out.resize(n);
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    char *dst = out.data();
    size_t i = 0;
#ifdef PRENSO_CP1252_BLOCKS
    for (; i + 16 <= n; i += 16)
        encodeBlock(src + i, dst + i);
    if (i < n && n >= 16) {
        encodeBlock(src + n - 16, dst + n - 16);
        i = n;
    }
#endif
    for (; i < n; ++i)
        dst[i] = static_cast<char>(toByte(src[i]));
}

std::string encode(const QString &text)
{
    std::string out;
    encode(text, out);
    return out;
}

} // namespace prenso::cp1252
