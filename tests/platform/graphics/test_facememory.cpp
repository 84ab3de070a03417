// Faces remembered between runs: a run that reads its faces from the memory
// lays out and embeds exactly what a run that asked the toolkit does, and a
// memory that no longer describes the installed fonts is not used.

#include "platform/graphics/canvas.h"
#include "platform/graphics/facememory.h"
#include "platform/graphics/fontmetrics.h"
#include "platform/graphics/fontprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace prenso;

namespace {

// Each test starts with an empty memory in a cache folder of its own, as a
// first run on a new account does.
class FaceMemory : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = qgetenv("XDG_CACHE_HOME");
        ASSERT_TRUE(m_cache.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
        newRun();
    }
    void TearDown() override
    {
        qputenv("XDG_CACHE_HOME", m_saved);
        newRun();
    }
    // What a new run of the program starts with: no font realised, the
    // memory not yet read.
    static void newRun()
    {
        FontResource::forgetAll();
        fonts::forgetFaceMemory();
    }
    static QByteArray memoryText()
    {
        QFile file(fonts::faceMemoryFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void setMemoryText(const QByteArray &text)
    {
        QFile file(fonts::faceMemoryFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QTemporaryDir m_cache;
    QByteArray m_saved;
};

struct Realised {
    std::shared_ptr<const FontResource> font;
    fonts::OutlineFontMetrics metrics;
    fonts::FontProgram program;
};

Realised realise(const QString &name, int height, TFontStyles style, TFontPitch pitch)
{
    Realised r;
    r.font = FontResource::get(name, height, style, pitch);
    EXPECT_EQ(fonts::outlineMetrics(name, style, r.font->emPixels, r.metrics), fonts::OutlineMetricsResult::Ok);
    const std::vector<char32_t> shown = {U'A', U'ç', U'€', U'0', U' '};
    if (r.font->face)
        r.program = fonts::subsetFontProgram(*r.font->face, shown);
    return r;
}

} // namespace

TEST_F(FaceMemory, ARememberedFaceMeasuresAndEmbedsAsTheToolkitsFace)
{
    struct Row {
        const char *name;
        int height; // negative: the em; positive: the cell
        TFontStyles style;
        TFontPitch pitch;
    };
    const Row rows[] = {
        {"Courier New", -13, 0, TFontPitch::fpFixed},
        {"Courier New", 50, fsBold, TFontPitch::fpDefault},
        {"Arial", -17, fsItalic, TFontPitch::fpDefault},
        {"Times New Roman", -100, fsBold | fsItalic | fsUnderline, TFontPitch::fpDefault},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QString::fromLatin1(row.name);
        const Realised asked = realise(name, row.height, row.style, row.pitch);
        newRun();
        const QString key =
            fonts::faceKey(name, row.style & fsBold, row.style & fsItalic, row.pitch == TFontPitch::fpFixed);
        ASSERT_TRUE(fonts::loadFaceMemory());
        ASSERT_TRUE(fonts::rememberedFace(key)) << "the office faces' stand-ins are remembered";
        const Realised read = realise(name, row.height, row.style, row.pitch);
        newRun();

        const FontResource &a = *asked.font, &b = *read.font;
        EXPECT_EQ(b.emPixels, a.emPixels);
        EXPECT_EQ(b.ascent, a.ascent);
        EXPECT_EQ(b.descent, a.descent);
        EXPECT_EQ(b.advances, a.advances);
        EXPECT_EQ(b.glyphs, a.glyphs);
        EXPECT_EQ(b.uniformAdvance, a.uniformAdvance);
        EXPECT_EQ(b.face->familyName(), a.face->familyName());
        EXPECT_EQ(b.face->styleName(), a.face->styleName());
        EXPECT_EQ(read.metrics.family, asked.metrics.family);
        EXPECT_EQ(read.metrics.capHeight, asked.metrics.capHeight);
        EXPECT_EQ(read.metrics.fontBox, asked.metrics.fontBox);
        EXPECT_EQ(read.metrics.lastChar, asked.metrics.lastChar);
        EXPECT_EQ(read.program.postScriptName, asked.program.postScriptName);
        EXPECT_FALSE(asked.program.data.isEmpty());
        EXPECT_EQ(read.program.data, asked.program.data);
        // Drawing realises the toolkit's face only now, and it is the same.
        EXPECT_EQ(b.rawFont().fontTable("head"), a.rawFont().fontTable("head"));
    }
}

// A memory is only used while it describes the fonts as they are; damaged or
// out of date, the toolkit chooses again (and a later run reads the new one).
TEST_F(FaceMemory, IsNotUsedOnceItNoLongerHolds)
{
    const Realised reference = realise(QStringLiteral("Courier New"), -13, 0, TFontPitch::fpDefault);
    const QByteArray written = memoryText();
    ASSERT_FALSE(written.isEmpty());
    const QString key = fonts::faceKey(QStringLiteral("Courier New"), false, false, false);

    // The memory with the first line of `kind` changed by `edit`.
    auto edited = [&written](const char *kind, const std::function<void(QList<QByteArray> &)> &edit) {
        QList<QByteArray> lines = written.split('\n');
        for (QByteArray &line : lines) {
            if (line.startsWith(kind)) {
                QList<QByteArray> fields = line.split('\t');
                edit(fields);
                line = fields.join('\t');
                break;
            }
        }
        return lines.join('\n');
    };
    auto later = [](qsizetype field) {
        return
            [field](QList<QByteArray> &fields) { fields[field] = QByteArray::number(fields[field].toLongLong() + 1); };
    };
    struct Row {
        const char *what;
        QByteArray text;
        bool holds;
    };
    const Row rows[] = {
        {"as written", written, true},
        {"another toolkit", edited("prenso-faces", [](QList<QByteArray> &f) { f[2] = "5.15.8"; }), false},
        {"a font folder changed", edited("S\t", later(1)), false},
        {"the face's file changed", edited("F\t", later(4)), false},
        {"a glyph list cut short", edited("F\t", [](QList<QByteArray> &f) { f[8].chop(4); }), false},
        {"not a memory at all", QByteArray("\x89PNG\r\n\x1a\n"), false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        setMemoryText(row.text);
        newRun();
        EXPECT_EQ(fonts::loadFaceMemory() && fonts::rememberedFace(key).has_value(), row.holds);
        // Whatever the memory held, the font comes out the same.
        const Realised again = realise(QStringLiteral("Courier New"), -13, 0, TFontPitch::fpDefault);
        EXPECT_EQ(again.font->advances, reference.font->advances);
        EXPECT_EQ(again.program.data, reference.program.data);
        newRun();
    }

    // A cache folder that cannot be made (a file has its name): nothing is
    // remembered, and nothing is left behind.
    const QString folder = m_cache.filePath(QStringLiteral("prenso"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    realise(QStringLiteral("Courier New"), -13, 0, TFontPitch::fpDefault);
    newRun();
    EXPECT_FALSE(fonts::loadFaceMemory());
    EXPECT_EQ(QDir(m_cache.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral("prenso")});
}
