// The fuzzers' seed files: valid pages and storages of every version. They
// are committed; this test proves they still read as what they claim to be,
// and rewrites them when PRENSO_WRITE_CORPUS is set (after a format change).

#include "support/test_support.h"

#include "metafile_helpers.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace prenso;

namespace {

QString corpusDir(const char *which)
{
    return QStringLiteral(PRENSO_SOURCE_DIR "/tests/fuzz/corpus/") + QLatin1String(which);
}

std::unique_ptr<TRLGraphicStorage> seedStorage(int pages)
{
    auto st = std::make_unique<TRLGraphicStorage>();
    st->SetOrientation(TRLPageOrientation::poLandscape);
    st->SetPaperWidth(210);
    st->SetPaperHeight(297);
    st->SetTitle(QStringLiteral("Seed"));
    for (int i = 0; i < pages; ++i) {
        auto page = std::make_unique<TRLGraphicSurface>();
        test::fillEveryKind(*page);
        st->Add(std::move(page));
    }
    return st;
}

// Seeds of the filters' fuzzers by their settings byte: JPEG, bitmap and
// original pictures; an 80-column ESC/P page with line and fill letters, the
// same on ESC/P 2, and a landscape ESC/P 2 page with graphic characters.
const std::pair<const char *, int> kFilterSeeds[] = {{"pdf", 0x00},   {"pdf", 0x01},   {"pdf", 0x02},
                                                     {"draft", 0x2A}, {"draft", 0x2B}, {"draft", 0xAB}};

} // namespace

TEST(FuzzCorpus, SeedsAreValidFilesOfEveryVersion)
{
    if (qEnvironmentVariableIsSet("PRENSO_WRITE_CORPUS")) {
        for (const char *which : {"storage", "surface", "pdf", "draft"})
            QDir().mkpath(corpusDir(which));
        for (int version = 1; version <= 3; ++version)
            for (int pages : {0, 1, 2}) {
                auto st = seedStorage(pages);
                test::writeFile(corpusDir("storage") + QStringLiteral("/v%1-%2pages.bin").arg(version).arg(pages),
                                test::storageBytes(*st, version));
            }
        TRLGraphicSurface every;
        test::fillEveryKind(every);
        test::writeFile(corpusDir("surface") + QStringLiteral("/every-kind.bin"), test::surfaceBytes(every));
        TRLGraphicSurface empty;
        test::writeFile(corpusDir("surface") + QStringLiteral("/empty.bin"), test::surfaceBytes(empty));
        // The filters' fuzzers read a saved report whose last byte also picks
        // their settings (picture format; family, dithering, characters, form).
        const std::string report = test::storageBytes(*seedStorage(2), 3);
        for (const auto &[which, settings] : kFilterSeeds)
            test::writeFile(corpusDir(which) + QStringLiteral("/v3-2pages-%1.bin").arg(settings, 2, 16, QChar(u'0')),
                            report + static_cast<char>(settings));
    }

    const QStringList storages = test::listFolder(corpusDir("storage"));
    ASSERT_EQ(storages.size(), 9);
    for (const QString &name : storages) {
        TRLGraphicStorage st;
        TMemoryStream m(test::readFile(corpusDir("storage") + u'/' + name));
        st.LoadFromStream(m);
        EXPECT_EQ(st.FileVersion(), name.mid(1, 1).toInt()) << name.toStdString();
        EXPECT_EQ(st.PageCount(), name.mid(3, 1).toInt()) << name.toStdString();
        for (int i = 0; i < st.PageCount(); ++i) {
            ASSERT_NE(st.Pages(i), nullptr);
            EXPECT_EQ(st.Pages(i)->ObjectCount(), 11);
        }
    }
    for (const char *which : {"pdf", "draft"}) {
        // Beside the made seeds lie inputs the fuzzers found, kept so that
        // every run tries them again; those are damaged on purpose.
        const QStringList reports =
            test::listFolder(corpusDir(which)).filter(QRegularExpression(QStringLiteral("^v3-2pages-")));
        ASSERT_EQ(reports.size(), 3) << which;
        for (const QString &name : reports) {
            TRLGraphicStorage st;
            TMemoryStream m(test::readFile(corpusDir(which) + u'/' + name));
            st.LoadFromStream(m);
            EXPECT_EQ(st.PageCount(), 2) << name.toStdString();
        }
    }
    const QStringList surfaces = test::listFolder(corpusDir("surface"));
    ASSERT_EQ(surfaces.size(), 2);
    for (const QString &name : surfaces) {
        TRLGraphicSurface s;
        s.LoadFromBytes(test::readFile(corpusDir("surface") + u'/' + name));
    }
}
