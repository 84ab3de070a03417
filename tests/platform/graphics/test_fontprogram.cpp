// A face's program cut down to the characters a document shows.

#include "platform/graphics/fontface.h"
#include "platform/graphics/fontprogram.h"

#include <QFile>
#include <QRawFont>
#include <gtest/gtest.h>

#include <vector>

using namespace prenso;

namespace {

std::shared_ptr<const fonts::FontFace> faceFrom(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return fonts::FontFace::fromData(file.readAll());
}

} // namespace

// The subset keeps exactly the glyphs of the characters asked for (and
// finds them through its own character map), and both outline kinds come
// out as the program a PDF embeds: a whole TrueType file, or the bare CFF.
TEST(FontProgram, SubsetKeepsTheCharactersShownInEitherOutlineKind)
{
    struct Row {
        const char *path;
        fonts::FontProgramKind kind;
        const char *postScriptName;
    };
    const Row rows[] = {
        {"/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf", fonts::FontProgramKind::TrueType,
         "LiberationMono"},
        {"/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf", fonts::FontProgramKind::Cff,
         "NimbusSans-Regular"},
    };
    const std::vector<char32_t> shown = {U'A', U'ç', U'€', U'—'};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        const auto face = faceFrom(row.path);
        ASSERT_TRUE(face);
        const fonts::FontProgram program = fonts::subsetFontProgram(*face, shown);
        ASSERT_EQ(program.kind, row.kind);
        EXPECT_EQ(program.postScriptName, QLatin1String(row.postScriptName));
        if (row.kind == fonts::FontProgramKind::Cff) {
            // A CFF program of version 1, far smaller than the face's own.
            ASSERT_GE(program.data.size(), 4);
            EXPECT_EQ(program.data[0], 1);
            EXPECT_LT(program.data.size(), face->table("CFF ").size() / 4);
            continue;
        }
        const QRawFont subset(program.data, 12);
        ASSERT_TRUE(subset.isValid());
        EXPECT_LT(program.data.size(), QFile(QString::fromLatin1(row.path)).size() / 4);
        for (const QString &kept : {QStringLiteral("A"), QStringLiteral("ç"), QStringLiteral("€"), QStringLiteral("—")})
            EXPECT_NE(subset.glyphIndexesForString(kept).value(0), 0u) << kept.toStdString();
        EXPECT_EQ(subset.glyphIndexesForString(QStringLiteral("B")).value(0), 0u);
    }
}

// A face without outline tables to give has nothing to embed.
TEST(FontProgram, FaceWithoutOutlinesGivesNothing)
{
    const auto whole = faceFrom("/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf");
    ASSERT_TRUE(whole);
    QByteArray file;
    const char *tags[] = {"cmap", "head", "hhea", "hmtx", "maxp", "name"};
    const auto put = [&file](quint32 v, int bytes) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
            file.append(static_cast<char>((v >> shift) & 0xFF));
    };
    put(0x00010000u, 4);
    put(6, 2);
    put(64, 2);
    put(2, 2);
    put(32, 2);
    quint32 offset = 12 + 16 * 6;
    for (const char *tag : tags) {
        file.append(tag, 4);
        put(0, 4);
        put(offset, 4);
        put(static_cast<quint32>(whole->table(tag).size()), 4);
        offset += (whole->table(tag).size() + 3) & ~3;
    }
    for (const char *tag : tags) {
        file.append(whole->table(tag));
        while (file.size() % 4)
            file.append('\0');
    }
    const auto bare = fonts::FontFace::fromData(file);
    ASSERT_TRUE(bare);
    const std::vector<char32_t> shown = {U'A'};
    EXPECT_EQ(fonts::subsetFontProgram(*bare, shown).kind, fonts::FontProgramKind::None);
    EXPECT_EQ(fonts::FontFace::fromRawFont(QRawFont()), nullptr);
}
