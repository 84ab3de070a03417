// A file written safely: the target shows the old bytes or the new ones,
// never anything in between, and nothing of a dropped file stays.

#include "platform/io/files.h"
#include "platform/io/safefile.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
#include "support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace prenso;
using namespace prenso::test;

TEST(SafeFile, TheTargetChangesOnlyOnCommitAndNothingElseStays)
{
    struct Row {
        const char *name;
        bool existed;
        bool commit;
        const char *expected; // what the target holds afterwards ("" for no file)
    };
    const Row rows[] = {
        {"new file committed", false, true, "new"},
        {"new file dropped", false, false, ""},
        {"old file replaced", true, true, "new"},
        {"old file kept when dropped", true, false, "old"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const QString target = dir.file(QStringLiteral("alvo.txt"));
        if (row.existed)
            writeFile(target, "old");
        const int listed = files::registeredTempFileCount();
        {
            files::SafeFile file(target);
            file.write("ne");
            file.write("w");
            EXPECT_EQ(files::registeredTempFileCount(), listed + 1) << "written under a listed name";
            EXPECT_EQ(QFile::exists(target) ? readFile(target) : "", row.existed ? "old" : "") << "before commit";
            if (row.commit)
                file.commit();
        }
        EXPECT_EQ(QFile::exists(target) ? readFile(target) : "", row.expected);
        EXPECT_EQ(listFolder(dir.path()), *row.expected ? QStringList{QStringLiteral("alvo.txt")} : QStringList());
        EXPECT_EQ(files::registeredTempFileCount(), listed);
    }
}

TEST(SafeFile, ALongFileArrivesWholeFlushedOrNot)
{
    // Past the stretch after which the disk is asked to write back, and a
    // scratch file that is renamed without a flush: the same bytes arrive.
    for (const auto durability : {files::SafeFile::Durability::Flushed, files::SafeFile::Durability::Unflushed}) {
        SCOPED_TRACE(static_cast<int>(durability));
        TempDir dir;
        const QString target = dir.file(QStringLiteral("longo.pdf"));
        std::string expected;
        {
            files::SafeFile file(target, false, durability);
            for (char c = 'a'; c < 'a' + 9; ++c) {
                const std::string chunk((1 << 20) + 17, c);
                file.write(chunk);
                expected += chunk;
            }
            file.commit();
        }
        EXPECT_TRUE(readFile(target) == expected);
        EXPECT_EQ(listFolder(dir.path()), QStringList{QStringLiteral("longo.pdf")});
    }
}

TEST(SafeFile, KeepsPermissionsAndRefusesWhatItMustNotReplace)
{
    TempDir dir;
    const QString script = dir.file(QStringLiteral("lancador.sh"));
    {
        files::SafeFile file(script, /*executable=*/true);
        file.write("#!/bin/sh\n");
        file.commit();
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(script).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, (st.st_mode & 0444) >> 2) << "executable wherever readable";

    const QString kept = dir.file(QStringLiteral("privado.txt"));
    writeFile(kept, "old");
    ::chmod(QFile::encodeName(kept).constData(), 0600);
    {
        files::SafeFile file(kept);
        file.write("new");
        file.commit();
    }
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the old file's permissions";

    EXPECT_THROW(files::SafeFile(dir.file(QStringLiteral("nenhuma/x.txt"))), EFCreateError);
    EXPECT_THROW(files::SafeFile(dir.path()), EFCreateError);
    EXPECT_THROW(files::SafeFile{QString()}, EFCreateError);
}

TEST(SafeFile, IntoMemoryAppendsAndTakesBackWhatWasDropped)
{
    std::string memory = "before|";
    {
        files::SafeFile file(&memory);
        file.write("dropped");
    }
    EXPECT_EQ(memory, "before|");
    {
        files::SafeFile file(&memory);
        file.write("kept");
        file.commit();
    }
    EXPECT_EQ(memory, "before|kept");
}
