// File names are the caller's bytes: whatever they are, the name the program
// holds gives exactly those bytes back, and reads as the code page reads them.
#include "platform/io/files.h"

#include <gtest/gtest.h>

using namespace prenso;

TEST(FileNames, GiveBackTheirBytesAndReadInTheCodePage)
{
    struct Case {
        QByteArray bytes;
        QString readable;
    };
    const std::vector<Case> cases = {
        {"/tmp/nota.txt", QStringLiteral("/tmp/nota.txt")},
        {"rel\xc3\xb3rio \xe2\x82\xac \xf0\x9f\x93\x84", QStringLiteral("relório € 📄")},
        // The business system's own code page.
        {"rel\xf3rio\x80.txt", QStringLiteral("relório€.txt")},
        {"a\xc3", QStringLiteral("aÃ")},                   // a sequence cut short
        {"\xc0\xaf", QStringLiteral("À¯")},                // an overlong slash
        {"\xed\xa0\x80", QStringLiteral("í\u00A0€")},      // an encoded surrogate
        {"\xf4\x90\x80\x80", QStringLiteral("ô\u0090€€")}, // beyond Unicode
        {"\xf0\x9f\x93\x84\xe9", QStringLiteral("📄é")},    // a pair, then a kept byte
        {"\x81\x8d\x8f\x90\x9d", QStringLiteral("\u0081\u008D\u008F\u0090\u009D")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const QString name = files::decodeName(c.bytes);
        EXPECT_EQ(files::encodeName(name), c.bytes);
        EXPECT_EQ(files::readableText(name), c.readable);
    }
}

TEST(FileNames, AbsolutePathsAndTheirFolders)
{
    EXPECT_EQ(files::absolutePath(QStringLiteral("/a/./b/../c.pdf")), QStringLiteral("/a/c.pdf"));
    EXPECT_EQ(files::folderOf(QStringLiteral("/a/b/c.pdf")), QStringLiteral("/a/b"));
    EXPECT_EQ(files::folderOf(QStringLiteral("/c.pdf")), QStringLiteral("/"));
    const QString kept = files::decodeName("sa\xed"
                                           "da.pdf");
    EXPECT_TRUE(files::absolutePath(kept).endsWith(u'/' + kept));
    EXPECT_TRUE(files::absolutePath(kept).startsWith(u'/'));
}
