#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/locale.h"
#include "platform/system/messagebox.h"
#include "support/test_support.h"

#include <QDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace prenso;
using namespace prenso::test;

TEST(StrToInt, AcceptsSignedDecimalOnly)
{
    EXPECT_EQ(StrToInt(QStringLiteral("12")), 12);
    EXPECT_EQ(StrToInt(QStringLiteral("-3")), -3);
    EXPECT_EQ(StrToInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(StrToInt(QStringLiteral("$1F")), 31);
    EXPECT_EQ(StrToInt(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(StrToInt(QStringLiteral("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(StrToInt(QStringLiteral("  9")), 9);
    for (const char *bad : {"", "abc", "1.5", "1 ", "- 1", "2147483648", "-", "$"}) {
        try {
            StrToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
        }
    }
}

TEST(ErrorBox, FullStopRule)
{
    EXPECT_EQ(withFullStop(QStringLiteral("Falhou")), QStringLiteral("Falhou."));
    EXPECT_EQ(withFullStop(QStringLiteral("Falhou.")), QStringLiteral("Falhou."));
    // Characters up to the full stop's code ("!", ")", "-", space...) keep the text as it is.
    EXPECT_EQ(withFullStop(QStringLiteral("Falhou!")), QStringLiteral("Falhou!"));
    EXPECT_EQ(withFullStop(QStringLiteral("arquivo \"x\"")), QStringLiteral("arquivo \"x\""));
    EXPECT_EQ(withFullStop(QStringLiteral("Falhou:")), QStringLiteral("Falhou:."));
    EXPECT_EQ(withFullStop(QString()), QString());
}

TEST(ErrorBox, ShowsTitleAndIcon)
{
    BoxKind kind{};
    QString caption, text;
    {
        ScopedMessageBoxHook hook([&](BoxKind k, const QString &c, const QString &t) {
            kind = k;
            caption = c;
            text = t;
        });
        showErrorBox(QStringLiteral("Arquivo não encontrado"));
    }
    EXPECT_EQ(kind, BoxKind::Error);
    EXPECT_EQ(caption, QStringLiteral("test_platform"));
    EXPECT_EQ(text, QStringLiteral("Arquivo não encontrado."));
}

TEST(Files, DeleteRuleAndTempFiles)
{
    test::TempDir dir;
    const QString target = dir.file(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkdir(target));
    const QString link = dir.file(QStringLiteral("link"));
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_TRUE(files::deleteFile(link));
    EXPECT_FALSE(files::fileExists(link));
    EXPECT_TRUE(files::fileExists(target)); // the folder itself stays
    EXPECT_FALSE(files::deleteFile(dir.file(QStringLiteral("none"))));

    QString path;
    const int before = files::registeredTempFileCount();
    const int fd = files::createTempFile(QStringLiteral("~qr"), QStringLiteral(".tmp"), path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_TRUE(path.startsWith(files::tempFolder() + QStringLiteral("~qr")));
    EXPECT_EQ(files::registeredTempFileCount(), before + 1);
    files::deleteRegisteredTempFiles();
    EXPECT_FALSE(files::fileExists(path));
    EXPECT_EQ(files::registeredTempFileCount(), 0);
}

TEST(Locale, LanguageNumbers)
{
    EXPECT_EQ(locale::primaryLanguageIdOf("pt_BR.UTF-8"), 22);
    EXPECT_EQ(locale::primaryLanguageIdOf("pt_PT"), 22);
    EXPECT_EQ(locale::primaryLanguageIdOf("de_DE@euro"), 7);
    EXPECT_EQ(locale::primaryLanguageIdOf("en_US"), 9);
    EXPECT_EQ(locale::primaryLanguageIdOf("C.UTF-8"), 9);
    EXPECT_EQ(locale::primaryLanguageIdOf("es_AR"), 10);
    EXPECT_EQ(locale::primaryLanguageIdOf("fr_CA"), 12);
    EXPECT_EQ(locale::primaryLanguageIdOf("it_IT"), 16);
    EXPECT_EQ(locale::primaryLanguageIdOf("nl_NL"), 19);
    EXPECT_EQ(locale::primaryLanguageIdOf("ja_JP"), 17);
    EXPECT_EQ(locale::primaryLanguageIdOf("xx"), 0);
}
