#include "platform/system/codepage.h"

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

// Lines are converted many characters at a time where the processor allows:
// every code in every place of a line (inside a block, across its end, in
// the tail) must come out as the tables give it one at a time, and encoding
// into a string that held something longer leaves only the line.
TEST(Codepage, EveryCodeInEveryPlaceOfALine)
{
    constexpr int kLength = 40;
    std::string reused(100, 'x');
    for (int b = 0; b < 256; ++b)
        for (int at = 0; at < kLength; ++at) {
            std::string line(kLength, 'a');
            line[static_cast<size_t>(at)] = static_cast<char>(b);
            const QString text = cp1252::decode(line);
            ASSERT_EQ(text.size(), kLength);
            ASSERT_EQ(text[at].unicode(), cp1252::toUnicode(static_cast<unsigned char>(b)))
                << "byte " << b << " at " << at;
            ASSERT_EQ(text.count(u'a'), kLength - (b == 'a' ? 0 : 1)) << "byte " << b << " at " << at;
            cp1252::encode(text, reused);
            ASSERT_EQ(reused, line) << "byte " << b << " at " << at;
        }
    const struct {
        char16_t ch;
        char byte;
    } cases[] = {{u'\u20AC', '\x80'}, {u'\u0081', '\x81'}, {u'\u00FF', '\xFF'}, {u'\u0080', '?'},
                 {u'\u009F', '?'},    {u'\u0100', '?'},    {u'\u4E2D', '?'},    {u'\uFFFF', '?'}};
    for (const auto &c : cases)
        for (int at = 0; at < kLength; ++at) {
            QString text(kLength, u'a');
            text[at] = QChar(c.ch);
            std::string expected(kLength, 'a');
            expected[static_cast<size_t>(at)] = c.byte;
            ASSERT_EQ(cp1252::encode(text), expected) << "U+" << std::hex << int(c.ch) << " at " << std::dec << at;
        }
}
