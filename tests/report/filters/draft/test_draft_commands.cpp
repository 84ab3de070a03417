// The command table: the two family tables byte by byte, the token grammar
// and its errors.
#include "platform/system/errors.h"
#include "report/filters/draft/RLDraftCommands.h"
#include "support/escp_reader.h"
#include "support/test_support.h"

#include "draft_bytes.h"

#include <gtest/gtest.h>

using namespace prenso;
namespace escp = prenso::test::escp;
using prenso::test::hexDiff;

#define EXPECT_BYTES(expected, actual)                                                                                 \
    do {                                                                                                               \
        const std::string e_ = (expected), a_ = (actual);                                                              \
        EXPECT_EQ(e_, a_) << hexDiff(e_, a_);                                                                          \
    } while (0)

TEST(DraftCommands, FamilyTablesGiveTheirBytes)
{
    // RAW with 300 dot columns: low byte 44 (0x2C), high byte 1.
    for (TRLPrinterFamily family : {TRLPrinterFamily::fmEpsonLike, TRLPrinterFamily::fmESCP2}) {
        SCOPED_TRACE(static_cast<int>(family));
        TRLDraftCommandTable t(DraftFamilyCommands(family));
        EXPECT_BYTES(escp::CR, t.Expand(TRLDraftCommand::CR));
        EXPECT_BYTES(escp::LF, t.Expand(TRLDraftCommand::LF));
        EXPECT_BYTES(escp::BS, t.Expand(TRLDraftCommand::BS));
        EXPECT_BYTES(escp::FF, t.Expand(TRLDraftCommand::FF));
        EXPECT_BYTES(escp::Reset, t.Expand(TRLDraftCommand::Reset));
        EXPECT_BYTES(family == TRLPrinterFamily::fmESCP2 ? escp::MicroOn2(7) : escp::MicroOn(7),
                     t.Expand(TRLDraftCommand::MicroOn, 7));
        EXPECT_BYTES(escp::MicroOff, t.Expand(TRLDraftCommand::MicroOff));
        EXPECT_BYTES(escp::Space, t.Expand(TRLDraftCommand::Space));
        EXPECT_BYTES(escp::CPP10, t.Expand(TRLDraftCommand::CPP10));
        EXPECT_BYTES(escp::CPP12, t.Expand(TRLDraftCommand::CPP12));
        EXPECT_BYTES(escp::CPP17, t.Expand(TRLDraftCommand::CPP17));
        EXPECT_BYTES(escp::CPP20, t.Expand(TRLDraftCommand::CPP20));
        EXPECT_BYTES(escp::ExpandOn, t.Expand(TRLDraftCommand::ExpandOn));
        EXPECT_BYTES(escp::ExpandOff, t.Expand(TRLDraftCommand::ExpandOff));
        EXPECT_BYTES(escp::BoldOn, t.Expand(TRLDraftCommand::BoldOn));
        EXPECT_BYTES(escp::BoldOff, t.Expand(TRLDraftCommand::BoldOff));
        EXPECT_BYTES(escp::ItalicOn, t.Expand(TRLDraftCommand::ItalicOn));
        EXPECT_BYTES(escp::ItalicOff, t.Expand(TRLDraftCommand::ItalicOff));
        EXPECT_BYTES(escp::UnderlineOn, t.Expand(TRLDraftCommand::UnderlineOn));
        EXPECT_BYTES(escp::UnderlineOff, t.Expand(TRLDraftCommand::UnderlineOff));
        EXPECT_BYTES(escp::Raw(300), t.Expand(TRLDraftCommand::RAW, 300));
    }
    EXPECT_TRUE(DraftFamilyCommands(TRLPrinterFamily::fmCustom).isEmpty());
    // The table order is the order of the commands.
    const QStringList table = DraftFamilyCommands(TRLPrinterFamily::fmEpsonLike);
    ASSERT_EQ(table.size(), kDraftCommandCount);
    for (int i = 0; i < kDraftCommandCount; ++i)
        EXPECT_TRUE(table[i].startsWith(DraftCommandName(static_cast<TRLDraftCommand>(i)) + u'='))
            << table[i].toStdString();
}

TEST(DraftCommands, TokensExpandWithTheParameter)
{
    EXPECT_BYTES("\x1B"
                 "A",
                 ExpandDraftCommand(QStringLiteral("27,'A'")));
    EXPECT_BYTES("hello world", ExpandDraftCommand(QStringLiteral("'hello world'")));
    EXPECT_BYTES("\xE7\xE3", ExpandDraftCommand(QStringLiteral(u"'çã'"))); // the system code page
    EXPECT_BYTES("\x05", ExpandDraftCommand(QStringLiteral("#"), 5));
    EXPECT_BYTES("\x2C\x01\x2C\x01", ExpandDraftCommand(QStringLiteral("#l,#h,#L,#H"), 300));
    EXPECT_BYTES("300", ExpandDraftCommand(QStringLiteral("$"), 300));
    EXPECT_BYTES("-4", ExpandDraftCommand(QStringLiteral("$"), -4));
    EXPECT_BYTES("\x1B\xFF", ExpandDraftCommand(QStringLiteral("$1B,$ff")));
    EXPECT_BYTES("\x1B", ExpandDraftCommand(QStringLiteral(" 27"))); // leading blanks are fine in numbers
    // Codes above 255 keep their low byte.
    EXPECT_BYTES("\x01", ExpandDraftCommand(QStringLiteral("257")));
}

TEST(DraftCommands, ExpansionStopsAtTheFirstEmptyToken)
{
    EXPECT_BYTES("\x1B", ExpandDraftCommand(QStringLiteral("27,,'A'")));
    EXPECT_BYTES("", ExpandDraftCommand(QStringLiteral(",27")));
    EXPECT_BYTES("\x1B", ExpandDraftCommand(QStringLiteral("27,")));
    EXPECT_BYTES("", ExpandDraftCommand(QString()));
    // What follows the empty token is never read, so it cannot be an error.
    EXPECT_BYTES("A", ExpandDraftCommand(QStringLiteral("'A',,nonsense")));
}

TEST(DraftCommands, ACommaBetweenApostrophesStillSplits)
{
    // "','" is the two tokens "'" and "'", each of which holds nothing.
    EXPECT_BYTES("", ExpandDraftCommand(QStringLiteral("','")));
    // "'a,b'" is "'a" and "b'": neither is quoted text nor a number.
    EXPECT_THROW(ExpandDraftCommand(QStringLiteral("'a,b'")), EConvertError);
    EXPECT_BYTES("", ExpandDraftCommand(QStringLiteral("''")));
}

TEST(DraftCommands, ABadTokenIsTheConversionError)
{
    for (const char *bad : {"ESC", "27 ", "'A", "1.5", "#x", "$$", "0x", "- 1"}) {
        SCOPED_TRACE(bad);
        try {
            ExpandDraftCommand(QStringLiteral("27,") + QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
        }
    }
}

TEST(DraftCommands, TableLooksNamesUpWithoutRegardToCase)
{
    TRLDraftCommandTable t({QStringLiteral("cr=65"), QStringLiteral("CR=66"), QStringLiteral("lf='a=b'"),
                            QStringLiteral("FF="), QStringLiteral("no equals sign")});
    EXPECT_BYTES("A", t.Expand(TRLDraftCommand::CR));    // the first line of that name
    EXPECT_BYTES("a=b", t.Expand(TRLDraftCommand::LF));  // the value runs from the first "="
    EXPECT_BYTES("", t.Expand(TRLDraftCommand::FF));     // empty value
    EXPECT_BYTES("", t.Expand(TRLDraftCommand::BoldOn)); // missing name
    EXPECT_EQ(DraftCommandValue({QStringLiteral("Reset=1=2")}, QStringLiteral("RESET")), QStringLiteral("1=2"));
}

TEST(DraftCommands, ABrokenCommandFailsOnlyWhereItIsUsed)
{
    TRLDraftCommandTable t({QStringLiteral("CR=13"), QStringLiteral("BoldOn=27,G")});
    EXPECT_BYTES(escp::CR, t.Expand(TRLDraftCommand::CR));
    EXPECT_THROW(t.Expand(TRLDraftCommand::BoldOn), EConvertError);
    // And again the next time: a failed command is not remembered as empty.
    EXPECT_THROW(t.Expand(TRLDraftCommand::BoldOn), EConvertError);
}

TEST(DraftCommands, PreparedTableExpandsLikeTheValue)
{
    // Every mix of text, number and parameter tokens gives the same bytes
    // prepared as expanded on the spot.
    const QString value = QStringLiteral("27,'x',#,'-',$,#l,#h,$41");
    TRLDraftCommandTable t({QStringLiteral("RAW=") + value});
    for (int p : {0, 1, 255, 256, 1000, 65535}) {
        SCOPED_TRACE(p);
        EXPECT_BYTES(ExpandDraftCommand(value, p), t.Expand(TRLDraftCommand::RAW, p));
    }
}
