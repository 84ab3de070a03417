#include "platform/codepage.h"

#include <gtest/gtest.h>

using namespace prenso;

TEST(Codepage, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(cp1252::encode(text), all);
}

TEST(Codepage, TypographicCharactersAndAccents)
{
    EXPECT_EQ(cp1252::decode("\x80\x97\xE7\xE3"), QStringLiteral("€—çã"));
    EXPECT_EQ(cp1252::encode(QStringLiteral("€—çã")), std::string("\x80\x97\xE7\xE3"));
    // Unassigned bytes keep their own control code.
    EXPECT_EQ(cp1252::decode("\x81").at(0).unicode(), 0x81);
    // Characters the code page lacks become a question mark.
    EXPECT_EQ(cp1252::encode(QStringLiteral("a\u4E2Db")), std::string("a?b"));
}
