#include "report/printing/RLPaperSizes.h"

#include <gtest/gtest.h>

#include <string>

using namespace prenso;

namespace {

std::string nameOf(TRLPaperSize size)
{
    return PaperInfo(size).Description.toStdString();
}

} // namespace

// A report asks for its paper by size. For every paper of the table that
// request names a paper of that very size to the printer: by the code of the
// paper itself or of an earlier one of the same measure, and, where no paper
// of that size has a code, by the measure itself.
TEST(PaperRequest, EveryPaperAskedForByItsSizeGetsThatSize)
{
    for (int i = 0; i < kPaperSizeCount - 1; ++i) {
        const auto size = static_cast<TRLPaperSize>(i);
        const TRLPaperInfo &paper = PaperInfo(size);
        SCOPED_TRACE(nameOf(size));
        const TRLPaperSize found = PaperSizeBySize(paper.Width, paper.Height);
        const TRLPaperRequest request = PaperRequest(paper.Width, paper.Height, TRLPageOrientation::poPortrait);
        if (found == TRLPaperSize::fpCustom) {
            EXPECT_TRUE(paper.Emulated) << "a paper with a code of its own is not found by its size";
            EXPECT_EQ(request.PaperCode, kUserDefinedPaperCode);
        } else {
            if (!paper.Emulated) {
                EXPECT_LE(static_cast<int>(found), i) << "found a later paper: " << nameOf(found);
            }
            EXPECT_FALSE(PaperInfo(found).Emulated) << nameOf(found);
            EXPECT_NEAR(PaperInfo(found).Width, paper.Width, 0.01) << nameOf(found);
            EXPECT_NEAR(PaperInfo(found).Height, paper.Height, 0.01) << nameOf(found);
            EXPECT_EQ(request.PaperCode, PaperInfo(found).SystemCode);
            EXPECT_NE(request.PaperCode, kUserDefinedPaperCode);
        }
        EXPECT_NEAR(request.Width, paper.Width, 0.01);
        EXPECT_NEAR(request.Height, paper.Height, 0.01);
        EXPECT_FALSE(paper.Description.isEmpty());
    }
}

// The sheets forms are printed on, by their measures, go to the printer by
// the codes the printer drivers know them by.
TEST(PaperRequest, CommonPapersGoByTheirDriverCodes)
{
    struct Case {
        const char *name;
        double width, height;
        int code;
    } const cases[] = {
        {"Letter", 215.9, 279.4, 1},   {"Legal", 215.9, 355.6, 5},    {"Statement", 139.7, 215.9, 6},
        {"A3", 297, 420, 8},           {"A4", 210, 297, 9},           {"A5", 148, 210, 11},
        {"Folio", 215.9, 330.2, 14},   {"Envelope DL", 110, 220, 27}, {"Envelope C5", 162, 229, 28},
        {"Envelope C4", 229, 324, 30}, {"A6", 105, 148, 70},
    };
    for (const Case &c : cases) {
        const TRLPaperRequest request = PaperRequest(c.width, c.height, TRLPageOrientation::poPortrait);
        EXPECT_EQ(request.PaperCode, c.code) << c.name;
        EXPECT_DOUBLE_EQ(request.Width, c.width) << c.name;
        EXPECT_DOUBLE_EQ(request.Height, c.height) << c.name;
    }
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
    const TRLPaperRequest a4 = PaperRequest(210.004, 297, TRLPageOrientation::poPortrait);
    EXPECT_EQ(a4.PaperCode, 9);
    EXPECT_DOUBLE_EQ(a4.Width, 210);
    EXPECT_DOUBLE_EQ(a4.Height, 297);
    EXPECT_EQ(a4.Orientation, TRLPageOrientation::poPortrait);

    const TRLPaperRequest letter = PaperRequest(215.9, 279.4, TRLPageOrientation::poLandscape);
    EXPECT_EQ(letter.PaperCode, 1);
    EXPECT_EQ(letter.Orientation, TRLPageOrientation::poLandscape);
}

TEST(PaperRequest, OtherSizesAreUserDefinedWithTheGivenSize)
{
    const TRLPaperRequest custom = PaperRequest(211, 297, TRLPageOrientation::poLandscape);
    EXPECT_EQ(custom.PaperCode, 256);
    EXPECT_DOUBLE_EQ(custom.Width, 211);
    EXPECT_DOUBLE_EQ(custom.Height, 297);
    EXPECT_EQ(custom.Orientation, TRLPageOrientation::poLandscape);

    // A size that only an emulated paper has goes out as user-defined too.
    const TRLPaperRequest a0 = PaperRequest(841, 1189, TRLPageOrientation::poPortrait);
    EXPECT_EQ(a0.PaperCode, 256);
    EXPECT_DOUBLE_EQ(a0.Width, 841);
}
