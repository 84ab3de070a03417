#include "platform/graphics/fontprogram.h"

#include "platform/graphics/fontface.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>
#include <memory>
#include <vector>

namespace prenso::fonts {
namespace {

// The tables a positioned text needs, by outline kind. Layout tables are
// left out on purpose: the text is already shaped and placed.
constexpr std::array<const char *, 14> kTrueTypeTables = {"cmap", "cvt ", "fpgm", "gasp", "glyf", "head", "hhea",
                                                          "hmtx", "loca", "maxp", "name", "OS/2", "post", "prep"};
constexpr std::array<const char *, 8> kCffTables = {"CFF ", "cmap", "head", "hhea", "hmtx", "maxp", "name", "OS/2"};

void putU16(QByteArray &out, quint32 v)
{
    out.append(static_cast<char>((v >> 8) & 0xFF));
    out.append(static_cast<char>(v & 0xFF));
}

void putU32(QByteArray &out, quint32 v)
{
    putU16(out, v >> 16);
    putU16(out, v & 0xFFFF);
}

quint32 checksum(const QByteArray &table)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < table.size(); i += 4) {
        quint32 word = 0;
        for (qsizetype k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < table.size() ? static_cast<quint8>(table[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

// A font file made of the face's own tables: the realised face is what the
// screen and the printer show, whichever file or collection it came from.
QByteArray fontFileOf(const FontFace &face, bool cff)
{
    struct Table {
        const char *tag;
        QByteArray data;
    };
    std::vector<Table> tables;
    const auto tags = cff ? std::span<const char *const>(kCffTables) : std::span<const char *const>(kTrueTypeTables);
    for (const char *tag : tags) {
        QByteArray data = face.table(tag);
        if (!data.isEmpty())
            tables.push_back({tag, std::move(data)});
    }
    const auto n = static_cast<quint32>(tables.size());
    quint32 power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    QByteArray out;
    putU32(out, cff ? 0x4F54544Fu /* OTTO */ : 0x00010000u);
    putU16(out, n);
    putU16(out, power * 16);
    putU16(out, log2);
    putU16(out, n * 16 - power * 16);
    quint32 offset = 12 + 16 * n;
    for (const Table &t : tables) {
        out.append(t.tag, 4);
        putU32(out, checksum(t.data));
        putU32(out, offset);
        putU32(out, static_cast<quint32>(t.data.size()));
        offset += (static_cast<quint32>(t.data.size()) + 3) & ~3u;
    }
    for (const Table &t : tables) {
        out.append(t.data);
        while (out.size() % 4)
            out.append('\0');
    }
    return out;
}

struct BlobDeleter {
    void operator()(hb_blob_t *b) const { hb_blob_destroy(b); }
};
struct FaceDeleter {
    void operator()(hb_face_t *f) const { hb_face_destroy(f); }
};
struct InputDeleter {
    void operator()(hb_subset_input_t *i) const { hb_subset_input_destroy(i); }
};
using Blob = std::unique_ptr<hb_blob_t, BlobDeleter>;
using Face = std::unique_ptr<hb_face_t, FaceDeleter>;

QByteArray bytesOf(hb_blob_t *blob)
{
    unsigned length = 0;
    const char *data = hb_blob_get_data(blob, &length);
    return QByteArray(data, static_cast<qsizetype>(length));
}

QString postScriptNameOf(hb_face_t *face, const FontFace &realised)
{
    std::array<char, 128> buffer{};
    unsigned size = buffer.size();
    const unsigned length =
        hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, buffer.data());
    QString name = length ? QString::fromUtf8(buffer.data(), static_cast<qsizetype>(std::min(length, size)))
                          : realised.familyName() + realised.styleName();
    name.remove(u' ');
    return name;
}

} // namespace

FontProgram subsetFontProgram(const FontFace &face, std::span<const char32_t> characters)
{
    FontProgram result;
    const bool cff = !face.hasTable("glyf");
    if (cff && !face.hasTable("CFF "))
        return result;
    const QByteArray file = fontFileOf(face, cff);
    const Blob blob(hb_blob_create(file.constData(), static_cast<unsigned>(file.size()), HB_MEMORY_MODE_READONLY,
                                   nullptr, nullptr));
    const Face whole(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(whole.get()) == 0)
        return result;

    const std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
    if (!input)
        return result;
    hb_set_t *unicodes = hb_subset_input_unicode_set(input.get());
    for (const char32_t c : characters)
        hb_set_add(unicodes, c);
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING | HB_SUBSET_FLAGS_GLYPH_NAMES);
    const Face subset(hb_subset_or_fail(whole.get(), input.get()));
    if (!subset)
        return result;

    if (cff) {
        const Blob table(hb_face_reference_table(subset.get(), HB_TAG('C', 'F', 'F', ' ')));
        result.data = bytesOf(table.get());
    } else {
        const Blob out(hb_face_reference_blob(subset.get()));
        result.data = bytesOf(out.get());
    }
    if (result.data.isEmpty())
        return result;
    result.kind = cff ? FontProgramKind::Cff : FontProgramKind::TrueType;
    result.postScriptName = postScriptNameOf(whole.get(), face);
    return result;
}

} // namespace prenso::fonts
