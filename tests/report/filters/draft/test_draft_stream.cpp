// The print head: golden byte streams for hand-made page lists, checked byte
// by byte against the command table of the printer family, and read back
// with the ESC/P reader.
#include "platform/system/codepage.h"
#include "platform/system/errors.h"
#include "report/filters/draft/RLDraftStream.h"
#include "support/escp_reader.h"

#include "draft_bytes.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace prenso;
using namespace prenso::test::escp;
using prenso::test::EscpReader;
using prenso::test::hexDiff;

#define EXPECT_BYTES(expected, actual)                                                                                 \
    do {                                                                                                               \
        const std::string e_ = (expected), a_ = (actual);                                                              \
        EXPECT_EQ(e_, a_) << hexDiff(e_, a_);                                                                          \
    } while (0)

namespace {

class DraftStream : public ::testing::Test {
protected:
    void SetUp() override { start(TRLPrinterFamily::fmEpsonLike); }
    void TearDown() override { SetDraftVerticalUnit(12); }

    void start(TRLPrinterFamily family)
    {
        SetDraftVerticalUnit(family == TRLPrinterFamily::fmESCP2 ? 60 : 12);
        table = std::make_unique<TRLDraftCommandTable>(DraftFamilyCommands(family));
        out.clear();
        stream = std::make_unique<TRLDraftStream>(*table, out);
        stream->BeginDocument();
    }
    std::string take()
    {
        std::string s = out;
        out.clear();
        return s;
    }

    std::unique_ptr<TRLDraftCommandTable> table;
    std::string out;
    std::unique_ptr<TRLDraftStream> stream;
};

std::unique_ptr<TDraftText> text(std::string s, int top, int left, int cpp = 10, TRLMetaFontStyles style = 0)
{
    auto t = std::make_unique<TDraftText>();
    t->Text = std::move(s);
    t->CPP = cpp;
    t->Style = style;
    t->PinBounds = TRect{left, top, left + static_cast<int>(t->Text.size()) * DraftCharWidth(cpp), top + 12};
    return t;
}

} // namespace

TEST_F(DraftStream, HeadMovesDownByLinesThenByAFineFeed)
{
    stream->MoveHead(30, 0); // two lines of 12, then 6
    EXPECT_BYTES(CRLF + CRLF + FineFeed(6), take());
    EXPECT_EQ(stream->CurrentRow(), 30);
    stream->MoveHead(42, 0); // exactly one line
    EXPECT_BYTES(CRLF, take());
    stream->MoveHead(43, 0);
    EXPECT_BYTES(FineFeed(1), take());
    // Never up: a row above the head sends nothing.
    stream->MoveHead(10, 0);
    EXPECT_BYTES("", take());
    EXPECT_EQ(stream->CurrentRow(), 43);
}

TEST_F(DraftStream, HeadMovesAcrossBySpacesAndBackByCarriageReturn)
{
    stream->MoveHead(0, 35); // lands on the cell starting at 24: two spaces
    EXPECT_BYTES(Spaces(2), take());
    EXPECT_EQ(stream->CurrentColumn(), 24);
    stream->MoveHead(0, 36);
    EXPECT_BYTES(Space, take());
    stream->MoveHead(0, 12);
    EXPECT_BYTES(CR + Space, take());
    stream->MoveHead(0, -6); // left of the margin: the margin
    EXPECT_BYTES(CR, take());
    // A line feed leaves the head at the margin.
    stream->MoveHead(0, 60);
    take();
    stream->MoveHead(12, 24);
    EXPECT_BYTES(CRLF + Spaces(2), take());
}

TEST_F(DraftStream, ESCP2FeedsInThreeHundredSixtiethsOfAnInch)
{
    start(TRLPrinterFamily::fmESCP2);
    EXPECT_EQ(stream->CharHeight(), 60);
    stream->MoveHead(150, 0);
    EXPECT_BYTES(CRLF + CRLF + MicroOn2(30) + CRLF + MicroOff, take());
}

TEST_F(DraftStream, PitchChangesAndTheirSideEffects)
{
    stream->SelectPitch(10, false);
    EXPECT_BYTES("", take());
    stream->SelectPitch(10, true);
    EXPECT_BYTES(CPP10, take());
    stream->MoveHead(0, 48);
    take();
    // A change of pitch returns the head to the margin.
    stream->SelectPitch(5, false);
    EXPECT_BYTES(CPP10 + ExpandOn + CR, take());
    EXPECT_EQ(stream->CharWidth(), 24);
    // Leaving pitch 5 always ends expanded printing first.
    stream->SelectPitch(12, false);
    EXPECT_BYTES(ExpandOff + CPP12, take());
    EXPECT_EQ(stream->CharWidth(), 10);
    stream->SelectPitch(17, false);
    EXPECT_BYTES(CPP17, take());
    EXPECT_EQ(stream->CharWidth(), 7);
    stream->SelectPitch(20, false);
    EXPECT_BYTES(CPP20, take());
    EXPECT_EQ(stream->CharWidth(), 6);
    stream->SelectPitch(5, false);
    take();
    stream->SelectPitch(5, true);
    EXPECT_BYTES(ExpandOff + CPP10 + ExpandOn, take());
}

TEST_F(DraftStream, StylesAreSentOnlyWhenTheyChangeAndOnlyWhenWanted)
{
    stream->SelectStyles(MetaFontStyleBold | MetaFontStyleItalic | MetaFontStyleUnderline | MetaFontStyleStrikeOut);
    EXPECT_BYTES(BoldOn + ItalicOn + UnderlineOn, take());
    stream->SelectStyles(MetaFontStyleBold | MetaFontStyleItalic | MetaFontStyleUnderline);
    EXPECT_BYTES("", take());
    stream->SelectStyles(MetaFontStyleItalic);
    EXPECT_BYTES(BoldOff + UnderlineOff, take());
    stream->SelectStyles(0);
    EXPECT_BYTES(ItalicOff, take());
    stream->TextStyles = tsBold;
    stream->SelectStyles(MetaFontStyleBold | MetaFontStyleItalic | MetaFontStyleUnderline);
    EXPECT_BYTES(BoldOn, take());
    stream->TextStyles = 0;
    stream->SelectStyles(MetaFontStyleBold);
    EXPECT_BYTES(BoldOff, take());
}

TEST_F(DraftStream, GoldenPageOfPitchesAndStyles)
{
    TRLDraftPageList list;
    list.Add(text("Hello", 0, 0));
    list.Add(text("Bold", 0, 120, 10, MetaFontStyleBold));
    list.Add(text("Condensed", 24, 0, 17));
    list.Add(text("Wide", 30, 24, 5));
    list.Add(text("Elite", 42, 0, 12, MetaFontStyleItalic | MetaFontStyleUnderline));
    list.Add(text("Tiny", 54, 30, 20));
    stream->DrawPage(list);
    const std::string expected = Reset + CPP10 + "Hello" + Spaces(5) + BoldOn + "Bold" + BoldOff + CPP17 + CR + CRLF +
                                 CRLF + "Condensed" + CPP10 + ExpandOn + CR + FineFeed(6) + Space + "Wide" + ExpandOff +
                                 CPP12 + CR + CRLF + ItalicOn + UnderlineOn + "Elite" + ItalicOff + UnderlineOff +
                                 CPP20 + CR + CRLF + Spaces(5) + "Tiny" + CPP10 + CR;
    EXPECT_BYTES(expected, take());

    stream->DrawPage(list); // a second page: no Reset
    EXPECT_EQ(take().substr(0, CPP10.size()), CPP10);
}

TEST_F(DraftStream, GoldenPageReadsBackAtItsColumnsAndRows)
{
    TRLDraftPageList list;
    list.Add(text("Name", 0, 0));
    list.Add(text("Total", 0, 240));
    list.Add(text("Alice", 12, 0));
    list.Add(text("12.50", 12, 240));
    list.Add(text("tail", 36, 120, 12));
    stream->DrawPage(list);
    stream->EjectPage(TRLDraftEjectMethod::ejForceWithCode, 0, 0);
    EscpReader r(take());
    EXPECT_TRUE(r.errors().empty()) << r.errors().front();
    EXPECT_EQ(r.resets(), 1);
    ASSERT_EQ(r.pages().size(), 2u); // the form feed starts an empty second page
    const auto grid = r.grid(0);
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(grid[0], "Name" + std::string(16, ' ') + "Total");
    EXPECT_EQ(grid[1], "Alice" + std::string(15, ' ') + "12.50");
    EXPECT_EQ(grid[2], "");
    const auto runs = r.runs(0);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[4].text, "tail");
    EXPECT_EQ(runs[4].x, 120);
    EXPECT_EQ(runs[4].y, 180); // 36/72 inch = 180/360
    EXPECT_EQ(runs[4].width, 10);
}

TEST_F(DraftStream, TextsAboveTheHeadPrintOnItsRow)
{
    TRLDraftPageList list;
    list.Add(text("low", 24, 0));
    auto high = text("high", 12, 60, 12); // another pitch: sorted by top, printed after a pitch change
    list.Add(std::move(high));
    list.Add(text("later", 24, 60));
    stream->DrawPage(list);
    // "high" (top 12) comes first; then "low" and "later" at 24.
    EscpReader r(take());
    const auto runs = r.runs(0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, "high");
    EXPECT_EQ(runs[1].text, "low");
    EXPECT_EQ(runs[2].text, "later");

    // Texts above the head (a frame's top edge half a line above the first
    // row) print on the head's row; the head does not go up.
    start(TRLPrinterFamily::fmEpsonLike);
    TRLDraftPageList list2;
    list2.Add(text("a", -6, 0, 12));
    list2.Add(text("b", -6, 60, 10)); // other pitch, same row: after "a" in the list
    list2.Add(text("c", 1, 0, 12));   // below: a fine feed of 1
    stream->DrawPage(list2);
    EXPECT_BYTES(Reset + CPP10 + CPP12 + "a" + CPP10 + CR + Spaces(5) + "b" + CPP12 + CR + FineFeed(1) + "c" + CPP10 +
                     CR,
                 take());
}

TEST_F(DraftStream, AccentsUnderEachMethod)
{
    // "ação" in the system code page.
    const std::string word = "a\xE7\xE3o";
    for (auto [method, printed] : {std::pair{TRLDraftAccentMethod::amOverwrite, std::string("a,\x08"
                                                                                            "c~\x08"
                                                                                            "ao")},
                                   std::pair{TRLDraftAccentMethod::amTakeOut, std::string("acao")},
                                   std::pair{TRLDraftAccentMethod::amSustain, word}}) {
        SCOPED_TRACE(static_cast<int>(method));
        start(TRLPrinterFamily::fmEpsonLike);
        stream->AccentMethod = method;
        TRLDraftPageList list;
        list.Add(text(word, 0, 0));
        list.Add(text("!", 0, 60));
        stream->DrawPage(list);
        // The marks take no room: "!" is one space after the word.
        const std::string all = take();
        EXPECT_BYTES(Reset + CPP10 + printed + Space + "!", all);
        EscpReader r(all);
        const std::string readBack = method == TRLDraftAccentMethod::amTakeOut ? "acao !" : "a\xE7\xE3o !";
        EXPECT_EQ(r.grid(0), (std::vector<std::string>{readBack}));
    }
}

TEST_F(DraftStream, PictureStripsGoAsBitImages)
{
    TRLDraftPageList list;
    auto strip = [](int top, int left, int right, std::string cols) {
        auto i = std::make_unique<TDraftImage>();
        i->Columns = std::move(cols);
        i->Rows = 8;
        i->PinBounds = TRect{left, top, right, top + 8};
        return i;
    };
    list.Add(strip(0, 24, 34, std::string("\x80\x40\x20\x10\x08\x04\x02\x01\xFF\x00", 10)));
    list.Add(strip(8, 24, 34, std::string(300, '\x0F')));
    list.Add(text("x", 8, 60));
    stream->DrawPage(list);
    // On one row the text goes first, then the strip; the head stays where
    // the strip ends (pitch 10 needs no change, so no CR either).
    EXPECT_BYTES(Reset + CPP10 + Spaces(2) + Raw(10) + std::string("\x80\x40\x20\x10\x08\x04\x02\x01\xFF\x00", 10) +
                     FineFeed(8) + Spaces(5) + "x" + CR + Spaces(2) + Raw(300) + std::string(300, '\x0F'),
                 take());
    EXPECT_EQ(stream->CurrentColumn(), 34);
}

TEST_F(DraftStream, EjectMethods)
{
    TRLDraftPageList list;
    list.Add(text("X", 0, 0));
    // A page 774 units long with its left edge 30 units left of the margin.
    stream->DrawPage(list);
    take();
    stream->EjectPage(TRLDraftEjectMethod::ejCompletePage, 774, -30);
    EXPECT_BYTES(Lines(64) + FineFeed(6) + CR, take());
    EXPECT_EQ(stream->CurrentRow(), 0);
    EXPECT_EQ(stream->CurrentColumn(), 0);

    stream->DrawPage(list);
    take();
    stream->EjectPage(TRLDraftEjectMethod::ejLeavePage, 774, 0);
    EXPECT_BYTES(CRLF, take());
    stream->MoveHead(5, 0);
    take();
    stream->EjectPage(TRLDraftEjectMethod::ejLeavePage, 774, -30);
    EXPECT_BYTES(CRLF + CR, take());

    stream->DrawPage(list);
    take();
    stream->EjectPage(TRLDraftEjectMethod::ejForceWithCode, 774, -30);
    EXPECT_BYTES(FF, take());
    EXPECT_EQ(stream->CurrentRow(), 0);
}

TEST_F(DraftStream, CustomTablesAreUsedAsTheyAre)
{
    // A printer whose "bold" is a text marker, and with no fine feed at all:
    // a missing command sends nothing.
    table = std::make_unique<TRLDraftCommandTable>(
        QStringList{QStringLiteral("CR='<CR>'"), QStringLiteral("LF='<LF>'"), QStringLiteral("BoldOn='<b>'"),
                    QStringLiteral("BoldOff='</b>'"), QStringLiteral("Space='_'")});
    out.clear();
    stream = std::make_unique<TRLDraftStream>(*table, out);
    stream->BeginDocument();
    TRLDraftPageList list;
    list.Add(text("x", 18, 24, 10, MetaFontStyleBold));
    stream->DrawPage(list);
    EXPECT_EQ(take(), "<CR><LF><CR><LF>__<b>x</b>");

    table = std::make_unique<TRLDraftCommandTable>(QStringList{QStringLiteral("CR=13,x")});
    stream = std::make_unique<TRLDraftStream>(*table, out);
    stream->BeginDocument();
    EXPECT_THROW(stream->MoveHead(12, 0), EConvertError);
}

// Every Portuguese letter and sign, in a printer's character table: the
// letters the table has go as its bytes (the code page's own codecs judge
// the PC tables), the others as the accent method and the look-alikes give
// them. The table is selected once, right after the first Reset.
TEST_F(DraftStream, CharacterTablesSendTheirOwnBytes)
{
    const QString form = QStringLiteral(u"áàãâäéêíóõôúüçÁÀÃÂÄÉÊÍÓÕÔÚÜÇºª€–—“”…");
    // What Python's codecs make of each character ("--": the table lacks it).
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys\n"
                                 "for cp in sys.argv[2:]:\n"
                                 "    print(' '.join(c.encode(cp, 'replace').hex() if c.encode("
                                 "cp, 'ignore') else '--' for c in sys.argv[1]))"),
                  form, QStringLiteral("cp437"), QStringLiteral("cp850"), QStringLiteral("cp858"),
                  QStringLiteral("cp860")});
    ASSERT_TRUE(python.waitForFinished(30000));
    const QStringList judged = QString::fromLatin1(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(judged.size(), 4) << python.readAllStandardError().toStdString();
    // The Brazilian tables have no codec here: their letters from the charts.
    const QString abicomp =
        QStringLiteral("c2 c1 c4 c3 c5 c8 c9 cc d1 d3 d2 d7 d9 c6 a2 a1 a4 a3 a5 a8 a9 ac b1 b3 b2 b7 "
                       "b9 a6 dd dc -- -- -- -- -- --");
    const QString brascii =
        QStringLiteral("e1 e0 e3 e2 e4 e9 ea ed f3 f5 f4 fa fc e7 c1 c0 c3 c2 c4 c9 ca cd d3 d5 d4 da "
                       "dc c7 ba aa -- -- -- -- -- --");
    const std::vector<std::pair<TRLDraftCharTable, QString>> tables = {
        {TRLDraftCharTable::ctPC437, judged[0]}, {TRLDraftCharTable::ctPC850, judged[1]},
        {TRLDraftCharTable::ctPC858, judged[2]}, {TRLDraftCharTable::ctPC860, judged[3]},
        {TRLDraftCharTable::ctAbicomp, abicomp}, {TRLDraftCharTable::ctBrascii, brascii}};
    const std::string lookAlikes = "E--\"\"."; // € – — “ ” …
    for (const auto &[charTable, expected] : tables) {
        SCOPED_TRACE(DraftCharTableName(charTable).toStdString());
        const QStringList bytes = expected.split(u' ');
        ASSERT_EQ(bytes.size(), form.size());
        for (const TRLDraftAccentMethod method : {TRLDraftAccentMethod::amOverwrite, TRLDraftAccentMethod::amTakeOut}) {
            start(TRLPrinterFamily::fmEpsonLike);
            stream->AccentMethod = method;
            stream->CharTable = charTable;
            std::string line, plain;
            for (qsizetype i = 0; i < form.size(); ++i) {
                const unsigned char b = cp1252::toByte(form[i].unicode());
                plain += static_cast<char>(b);
                const std::string letter(1, static_cast<char>(b));
                if (bytes[i] != u"--")
                    line += static_cast<char>(bytes[i].toInt(nullptr, 16));
                else if (i >= form.size() - 6)
                    line += lookAlikes[static_cast<size_t>(i - (form.size() - 6))];
                else // the table lacks the letter: as without a table, its dieresis a double quote
                    line += QByteArray::fromStdString(DraftApplyAccents(letter, method, BS))
                                .replace('\xA8', '"')
                                .toStdString();
            }
            TRLDraftPageList page1, page2;
            page1.Add(text(plain, 0, 0));
            page2.Add(text(plain, 0, 0));
            stream->DrawPage(page1);
            stream->DrawPage(page2);
            EXPECT_BYTES(Reset + DraftCharTableSelection(charTable) + CPP10 + line + CPP10 + CR + line, take());
        }
    }
    // The selection, as the ESC/P reference gives it, for one table.
    EXPECT_BYTES(std::string("\x1B(t\x03\x00\x01\x03\x00\x1Bt\x01\x1B\x36", 13),
                 DraftCharTableSelection(TRLDraftCharTable::ctPC850));
}
