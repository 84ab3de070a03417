#include "platform/graphics/fontface.h"

#include "platform/io/files.h"

#include <array>
#include <hb-ot.h>
#include <hb.h>

namespace prenso::fonts {

namespace {

hb_tag_t tagOf(const char *tag)
{
    return HB_TAG(tag[0], tag[1], tag[2], tag[3]);
}

QString nameOf(hb_face_t *face, hb_ot_name_id_t id)
{
    std::array<char, 256> buffer{};
    unsigned size = buffer.size();
    const unsigned length = hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &size, buffer.data());
    return length ? QString::fromUtf8(buffer.data(), static_cast<qsizetype>(std::min(length, size))) : QString();
}

} // namespace

std::shared_ptr<const FontFace> FontFace::fromRawFont(const QRawFont &raw)
{
    if (!raw.isValid())
        return nullptr;
    std::shared_ptr<FontFace> face(new FontFace);
    face->m_raw = raw;
    face->m_family = raw.familyName();
    face->m_style = raw.styleName();
    return face;
}

std::shared_ptr<const FontFace> FontFace::fromFile(const QString &path, unsigned index, const QString &family,
                                                   const QString &style)
{
    hb_blob_t *blob = hb_blob_create_from_file_or_fail(files::encodeName(path).constData());
    if (!blob)
        return nullptr;
    std::shared_ptr<FontFace> face(new FontFace);
    face->m_blob = blob;
    if (index >= hb_face_count(blob))
        return nullptr;
    face->m_face = hb_face_create(blob, index);
    if (hb_face_get_glyph_count(face->m_face) == 0)
        return nullptr;
    face->m_family = family;
    face->m_style = style;
    return face;
}

std::shared_ptr<const FontFace> FontFace::fromData(const QByteArray &data)
{
    // The blob copies the bytes: the face outlives the caller's array.
    hb_blob_t *blob = hb_blob_create(data.constData(), static_cast<unsigned>(data.size()), HB_MEMORY_MODE_DUPLICATE,
                                     nullptr, nullptr);
    std::shared_ptr<FontFace> face(new FontFace);
    face->m_blob = blob;
    face->m_face = hb_face_create(blob, 0);
    if (hb_face_get_glyph_count(face->m_face) == 0)
        return nullptr;
    face->m_family = nameOf(face->m_face, HB_OT_NAME_ID_FONT_FAMILY);
    face->m_style = nameOf(face->m_face, HB_OT_NAME_ID_FONT_SUBFAMILY);
    return face;
}

FontFace::~FontFace()
{
    hb_face_destroy(m_face);
    hb_blob_destroy(m_blob);
}

QByteArray FontFace::table(const char *tag) const
{
    if (!m_face)
        return m_raw.fontTable(tag);
    hb_blob_t *blob = hb_face_reference_table(m_face, tagOf(tag));
    unsigned length = 0;
    const char *data = hb_blob_get_data(blob, &length);
    QByteArray bytes(data, static_cast<qsizetype>(length));
    hb_blob_destroy(blob);
    return bytes;
}

bool FontFace::hasTable(const char *tag) const
{
    if (!m_face)
        return !m_raw.fontTable(tag).isEmpty();
    hb_blob_t *blob = hb_face_reference_table(m_face, tagOf(tag));
    const bool present = hb_blob_get_length(blob) > 0;
    hb_blob_destroy(blob);
    return present;
}

} // namespace prenso::fonts
