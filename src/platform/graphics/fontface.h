#pragma once
// The tables of a font face, for measuring it and embedding it.
//
// A face comes either from the toolkit, as it realises a font, or straight
// from a font file the program remembered from an earlier run (see
// facememory.h). The file needs neither the font configuration nor the
// toolkit's font database, which together cost a short print job more than
// everything else it does; drawing on a screen or an image still asks the
// toolkit for the face (FontResource::rawFont).

#include <QByteArray>
#include <QRawFont>
#include <QString>

#include <memory>

struct hb_blob_t;
struct hb_face_t;

namespace prenso::fonts {

class FontFace {
public:
    // The face the toolkit realised; null when it is not valid.
    static std::shared_ptr<const FontFace> fromRawFont(const QRawFont &raw);
    // Face `index` of the font file at `path`, with the names the toolkit
    // gave it; null when the file cannot be read or has no such face.
    static std::shared_ptr<const FontFace> fromFile(const QString &path, unsigned index, const QString &family,
                                                    const QString &style);
    // The first face of a font file's bytes, named by its own name table.
    static std::shared_ptr<const FontFace> fromData(const QByteArray &data);
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    // A copy of table `tag` (four characters), empty when the face has none.
    QByteArray table(const char *tag) const;
    bool hasTable(const char *tag) const;
    const QString &familyName() const { return m_family; }
    const QString &styleName() const { return m_style; }

private:
    FontFace() = default;

    QRawFont m_raw;              // from the toolkit, or
    hb_blob_t *m_blob = nullptr; // the file's bytes
    hb_face_t *m_face = nullptr; // and the face within them
    QString m_family;
    QString m_style;
};

} // namespace prenso::fonts
