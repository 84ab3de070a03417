#include "report/RLUtils.h"
#include "report/printing/RLPaperSizes.h"

#include <gtest/gtest.h>

using namespace prenso;

namespace {

void expectRow(TRLPaperSize size, double w, double h, int code)
{
    const TRLPaperInfo &info = PaperInfo(size);
    EXPECT_DOUBLE_EQ(info.Width, w) << "paper " << Ord(size);
    EXPECT_DOUBLE_EQ(info.Height, h) << "paper " << Ord(size);
    EXPECT_EQ(info.SystemCode, code) << "paper " << Ord(size);
    EXPECT_EQ(info.Emulated, code == 0) << "paper " << Ord(size);
}

} // namespace

TEST(PaperTable, HasOneRowPerSizeWithCustomLast)
{
    EXPECT_EQ(PaperTable().size(), 141u);
    EXPECT_EQ(static_cast<int>(TRLPaperSize::fpCustom), 140);
    expectRow(TRLPaperSize::fpCustom, 0, 0, 256);
}

// Rows from every stretch of the table, so that a row slipped out of place
// shows up as a wrong size or code at its neighbours.
TEST(PaperTable, SpotChecks)
{
    expectRow(TRLPaperSize::fpA0, 841, 1189, 0);
    expectRow(TRLPaperSize::fpA4, 210, 297, 9);
    expectRow(TRLPaperSize::fpB6, 125, 176, 88);
    expectRow(TRLPaperSize::fpB6_JIS, 128, 182, 88);
    expectRow(TRLPaperSize::fp4B, 2000, 2828, 0);
    expectRow(TRLPaperSize::fp9x11, 228.6, 279.4, 44);
    expectRow(TRLPaperSize::fpA3_Extra, 322.44, 445.2, 63);
    expectRow(TRLPaperSize::fpB4_JIS, 250, 354, 0);
    expectRow(TRLPaperSize::fpEnv_B6, 176, 125, 35);
    expectRow(TRLPaperSize::fpEnv_C5E, 163, 229, 0);
    expectRow(TRLPaperSize::fpEnv_Monarch, 98.43, 190.5, 37);
    expectRow(TRLPaperSize::fpLetter, 215.9, 279.4, 1);
    expectRow(TRLPaperSize::fpLedger, 431.8, 279, 4);
    expectRow(TRLPaperSize::fpLegal3, 215.9, 330.2, 0);
    expectRow(TRLPaperSize::fpLetter_Plus, 215.9, 322.33, 59);
    expectRow(TRLPaperSize::fpPEnv_10, 324, 458, 105);
    expectRow(TRLPaperSize::fpTabloid_Extra, 296.93, 457.2, 52);
    expectRow(TRLPaperSize::fpEng_Imperial, 761, 559, 0);
}

TEST(PaperTable, EmulatedRowsAreExactlyThoseWithoutCode)
{
    int emulated = 0;
    for (const TRLPaperInfo &info : PaperTable()) {
        EXPECT_EQ(info.Emulated, info.SystemCode == 0) << info.Description.toStdString();
        emulated += info.Emulated ? 1 : 0;
        EXPECT_FALSE(info.Description.isEmpty());
    }
    // A0, A1, A7-A10, B0-B3, B7 to 4B (18), B4 JIS, C0-C2, C5E, C7-C10,
    // Comm10E, DLE, Postcard, Legal3 and the 19 English sizes.
    EXPECT_EQ(emulated, 2 + 4 + 4 + 18 + 1 + 3 + 1 + 4 + 4 + 19);
}

TEST(PaperLookup, FindsTheEarliestOfSameSizedPapers)
{
    EXPECT_EQ(PaperSizeBySize(210, 297), TRLPaperSize::fpA4);         // not A4 Small nor A4 Transverse
    EXPECT_EQ(PaperSizeBySize(215.9, 279.4), TRLPaperSize::fpLetter); // not Letter Transverse
    EXPECT_EQ(PaperSizeBySize(297, 420), TRLPaperSize::fpA3);
    EXPECT_EQ(PaperSizeBySize(110, 220), TRLPaperSize::fpEnv_DL);    // DLE has the size too, but is emulated
    EXPECT_EQ(PaperSizeBySize(304.8, 279.4), TRLPaperSize::fp12x11); // before Note and Letter Small
}

TEST(PaperLookup, ToleratesLessThanAHundredthInTotal)
{
    EXPECT_EQ(PaperSizeBySize(210.005, 297.004), TRLPaperSize::fpA4);
    EXPECT_EQ(PaperSizeBySize(209.996, 297), TRLPaperSize::fpA4);
    // 0.006 + 0.005 is beyond the tolerance.
    EXPECT_EQ(PaperSizeBySize(210.006, 297.005), TRLPaperSize::fpCustom);
    EXPECT_EQ(PaperSizeBySize(211, 297), TRLPaperSize::fpCustom);
}

TEST(PaperLookup, NeverGivesEmulatedPapersOrTheTurnedSheet)
{
    EXPECT_EQ(PaperSizeBySize(841, 1189), TRLPaperSize::fpCustom); // A0 is emulated
    EXPECT_EQ(PaperSizeBySize(250, 354), TRLPaperSize::fpCustom);  // B4 JIS is emulated
    EXPECT_EQ(PaperSizeBySize(297, 210), TRLPaperSize::fpCustom);  // A4 turned is no table size
    EXPECT_EQ(PaperSizeBySize(0, 0), TRLPaperSize::fpCustom);      // custom's own 0 x 0 is left out
}

TEST(PaperLookup, ClosestOfTwoCandidatesWins)
{
    // 322 x 445 (A3 Extra Transverse) and 322.44 x 445.2 (A3 Extra) lie 0.64
    // apart; both fit only when asked exactly, so each finds itself.
    EXPECT_EQ(PaperSizeBySize(322.44, 445.2), TRLPaperSize::fpA3_Extra);
    EXPECT_EQ(PaperSizeBySize(322, 445), TRLPaperSize::fpA3_Extra_Transverse);
}

TEST(PaperRequest, KnownPaperByCodeAndOwnSize)
{
    const TRLPaperRequest a4 = PaperRequest(210.004, 297, false);
    EXPECT_EQ(a4.PaperCode, 9);
    EXPECT_DOUBLE_EQ(a4.Width, 210);
    EXPECT_DOUBLE_EQ(a4.Height, 297);
    EXPECT_EQ(a4.Orientation, 1);

    const TRLPaperRequest letter = PaperRequest(215.9, 279.4, true);
    EXPECT_EQ(letter.PaperCode, 1);
    EXPECT_EQ(letter.Orientation, 2);
}

TEST(PaperRequest, OtherSizesAreUserDefinedWithTheGivenSize)
{
    const TRLPaperRequest custom = PaperRequest(211, 297, true);
    EXPECT_EQ(custom.PaperCode, 256);
    EXPECT_DOUBLE_EQ(custom.Width, 211);
    EXPECT_DOUBLE_EQ(custom.Height, 297);
    EXPECT_EQ(custom.Orientation, 2);

    // A size that only an emulated paper has goes out as user-defined too.
    const TRLPaperRequest a0 = PaperRequest(841, 1189, false);
    EXPECT_EQ(a0.PaperCode, 256);
    EXPECT_DOUBLE_EQ(a0.Width, 841);
}
