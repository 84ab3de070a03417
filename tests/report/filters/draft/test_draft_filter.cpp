// The draft filter as a whole: its properties, the print dialog's options,
// and whole documents run through the page loop into files and programs,
// with golden byte streams for small hand-made pages.
//
// No printer is installed for these tests, so the printer wrapper gives its
// fallback metrics: a letter sheet with a quarter inch unprintable all round.
// On a letter page of 816 × 1056 pixels that cuts 24 pixels on the left and
// at the top: page pixel (24, 24) is print position (0, 0), and every further
// 96 pixels are 120 columns across and 72 rows (1/72 inch) down.
#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "platform/system/errors.h"
#include "platform/system/process.h"
#include "report/RLConsts.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"
#include "report/storage/RLMetaConversions.h"
#include "support/escp_reader.h"
#include "support/test_support.h"

#include "draft_bytes.h"
#include "draft_pictures.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include <functional>

using namespace prenso;
using namespace prenso::test;
using namespace prenso::test::escp;
using prenso::test::EscpReader;
using prenso::test::hexDiff;
using prenso::test::TempDir;

#define EXPECT_BYTES(expected, actual)                                                                                 \
    do {                                                                                                               \
        const std::string e_ = (expected), a_ = (actual);                                                              \
        EXPECT_EQ(e_, a_) << hexDiff(e_, a_);                                                                          \
    } while (0)

namespace {

class DraftFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        printing::setPrinterListSourceForTesting([] { return QStringList(); });
        ResetRLPrinterForTesting();
        SetActiveLocaleForTesting(TRLLanguage::English);
        filter.SetName(QStringLiteral("RLDraftFilter1"));
        filter.SetShowProgress(false);
        filter.SetOrientation(TRLPageOrientation::poPortrait);
        filter.SetDeviceKind(TRLDeviceKind::dkFileName);
        filter.SetDevicePath(out());
        filter.SetCPPSelection(TRLCPPSelection::csFixed10CPP);
        filter.SetEjectMethod(TRLDraftEjectMethod::ejForceWithCode);
        hold.Reset(std::make_shared<TRLGraphicStorage>());
        storage = hold.get();
        storage->SetPaperWidth(215.9);
        storage->SetPaperHeight(279.4);
        storage->SetOrientation(TRLPageOrientation::poPortrait);
    }
    void TearDown() override
    {
        RLPrinter().SetCopies(1);
        printing::setPrinterListSourceForTesting({});
        ResetRLPrinterForTesting();
        SetActiveLocaleForTesting(std::nullopt);
        SetDraftVerticalUnit(12);
    }

    QString out() const { return dir.file(QStringLiteral("out.prn")); }
    std::string output() const { return prenso::test::readFile(out()); }

    void addPage(const std::function<void(TRLGraphicSurface &)> &draw)
    {
        auto page = std::make_unique<TRLGraphicSurface>();
        page->SetWidth(816);
        page->SetHeight(1056);
        draw(*page);
        storage->Add(std::move(page));
    }
    static TRLTextObject *text(TRLGraphicSurface &page, std::string s, int x, int y, TRLMetaFontStyles style = 0)
    {
        auto *t = page.NewObject<TRLTextObject>();
        t->SetText(std::move(s));
        t->SetOrigin(TPoint{x, y});
        t->SetBoundsRect(TRect{x, y, x + 400, y + 16});
        t->SetTextFlags(MetaTextFlagAutoSize);
        t->Font().SetName(QStringLiteral("Courier New"));
        t->Font().SetSize(10);
        t->Font().SetStyle(style);
        return t;
    }
    void run() { filter.FilterPages(storage); }

    TempDir dir;
    TComponent owner;
    TRLStorageHold hold{&owner};
    TRLDraftFilter filter;
    TRLGraphicStorage *storage = nullptr;
};

QStringList tempFolderListing()
{
    return prenso::test::listFolder(files::tempFolder());
}

} // namespace

// ---------------------------------------------------------------------------
// Properties

TEST(DraftFilterProperties, Defaults)
{
    TRLDraftFilter f;
    EXPECT_EQ(f.Commands(), DraftFamilyCommands(TRLPrinterFamily::fmEpsonLike));
    EXPECT_EQ(f.DriverName(), QString());
    EXPECT_EQ(f.DeviceKind(), TRLDeviceKind::dkPrinterPort);
    EXPECT_EQ(f.DevicePath(), QStringLiteral("prn"));
    EXPECT_EQ(f.AccentMethod(), TRLDraftAccentMethod::amOverwrite);
    EXPECT_EQ(f.EjectMethod(), TRLDraftEjectMethod::ejCompletePage);
    EXPECT_EQ(f.PrinterFamily(), TRLPrinterFamily::fmEpsonLike);
    EXPECT_EQ(f.DitheringMethod(), TRLDitheringMethod::dmColorTable);
    EXPECT_EQ(f.LineDrawMethod(), TRLLineDrawMethod::ldMinusAndPipe);
    EXPECT_EQ(f.FillArtMethod(), TRLFillArtMethod::fmNone);
    EXPECT_EQ(f.FormSelection(), TRLFormSelection::fsAccordingToOrientation);
    EXPECT_EQ(f.StretchCharWidth(), TRLStretchCharWidth::scShrinksOnly);
    EXPECT_EQ(f.TextDecoration(), TRLDraftTextDecoration::ddIncludeAll);
    EXPECT_EQ(f.TextStyles(), tsItalic | tsBold | tsUnderline);
    EXPECT_EQ(f.CPPSelection(), TRLCPPSelection::csAutomatic);
    EXPECT_TRUE(f.EmulatesCopies());
    // Written to a form file only when they say something.
    EXPECT_FALSE(f.CommandsStored());
    EXPECT_FALSE(f.DeviceKindStored());
    EXPECT_FALSE(f.TextStylesStored());
    // Registered like every filter, and offered by its name.
    f.SetName(QStringLiteral("RLDraftFilter1"));
    EXPECT_NE(std::find(ActiveFilters().begin(), ActiveFilters().end(), &f), ActiveFilters().end());
    EXPECT_EQ(f.GetDisplayLabel(), QStringLiteral("RLDraftFilter1"));
    // Enumerations keep the order form files store them in.
    EXPECT_EQ(static_cast<int>(TRLDeviceKind::dkFileName), 3);
    EXPECT_EQ(static_cast<int>(TRLCPPSelection::csFixed20CPP), 5);
    EXPECT_EQ(static_cast<int>(TRLFormSelection::fs132Cols), 3);
}

TEST(DraftFilterProperties, AnotherFamilyBringsItsTable)
{
    TRLDraftFilter f;
    f.SetPrinterFamily(TRLPrinterFamily::fmESCP2);
    EXPECT_EQ(f.Commands(), DraftFamilyCommands(TRLPrinterFamily::fmESCP2));
    // A table of one's own stays when the family is custom...
    const QStringList mine{QStringLiteral("CR=13"), QStringLiteral("LF=10")};
    f.SetPrinterFamily(TRLPrinterFamily::fmCustom);
    EXPECT_EQ(f.Commands(), DraftFamilyCommands(TRLPrinterFamily::fmESCP2));
    f.SetCommands(mine);
    f.DefaultCommands();
    EXPECT_EQ(f.Commands(), mine);
    EXPECT_TRUE(f.CommandsStored());
    // ...and setting the same family again changes nothing.
    f.SetPrinterFamily(TRLPrinterFamily::fmCustom);
    EXPECT_EQ(f.Commands(), mine);
    f.SetPrinterFamily(TRLPrinterFamily::fmEpsonLike);
    EXPECT_EQ(f.Commands(), DraftFamilyCommands(TRLPrinterFamily::fmEpsonLike));
    f.SetCommands(mine);
    f.SetPrinterFamily(TRLPrinterFamily::fmEpsonLike);
    EXPECT_EQ(f.Commands(), mine);
}

TEST(DraftFilterProperties, DecorationAndStylesFollowEachOther)
{
    TRLDraftFilter f;
    f.SetTextDecoration(TRLDraftTextDecoration::ddIncludeNone);
    EXPECT_EQ(f.TextStyles(), 0);
    f.SetTextDecoration(TRLDraftTextDecoration::ddIncludeAll);
    EXPECT_EQ(f.TextStyles(), tsAllDraftTextStyles);
    f.SetTextStyles(tsBold);
    EXPECT_EQ(f.TextDecoration(), TRLDraftTextDecoration::ddCustomized);
    EXPECT_TRUE(f.TextStylesStored());
    f.SetTextDecoration(TRLDraftTextDecoration::ddCustomized);
    EXPECT_EQ(f.TextStyles(), tsBold);
    f.SetTextDecoration(TRLDraftTextDecoration::ddIncludeAll);
    f.SetTextStyles(tsAllDraftTextStyles); // the same set: still "all"
    EXPECT_EQ(f.TextDecoration(), TRLDraftTextDecoration::ddIncludeAll);
}

TEST(DraftFilterProperties, FormFollowsOrientationOrTheChoice)
{
    TRLDraftFilter f;
    f.SetOrientation(TRLPageOrientation::poPortrait);
    EXPECT_EQ(f.OptionIndex(), 1);
    f.SetOrientation(TRLPageOrientation::poLandscape);
    EXPECT_EQ(f.OptionIndex(), 2);
    f.SetFormSelection(TRLFormSelection::fs80Cols);
    EXPECT_EQ(f.OptionIndex(), 1);
    f.SetOrientation(TRLPageOrientation::poPortrait);
    f.SetOrientation(TRLPageOrientation::poLandscape);
    EXPECT_EQ(f.OptionIndex(), 1); // a fixed form ignores the orientation
    f.SetFormSelection(TRLFormSelection::fs132Cols);
    EXPECT_EQ(f.OptionIndex(), 2);
    f.SetOptionIndex(0); // the print dialog's choice
    f.SetFormSelection(TRLFormSelection::fsNone);
    EXPECT_EQ(f.OptionIndex(), 0);
    f.SetFormSelection(TRLFormSelection::fsAccordingToOrientation); // the stored orientation: landscape
    EXPECT_EQ(f.OptionIndex(), 2);
    EXPECT_EQ(f.Orientation(), TRLPageOrientation::poLandscape);
}

TEST(DraftFilterProperties, OptionsInTheUsersLanguage)
{
    ScopedLanguage active(TRLLanguage::English);
    for (TRLLanguage language : {TRLLanguage::English, TRLLanguage::Portuguese}) {
        active.Set(language);
        TRLDraftFilter f;
        const TRLLocaleStrings &table = LocaleTable(language);
        EXPECT_EQ(f.OptionsLabel(), table.LS_FormStr);
        EXPECT_EQ(f.Options(), (QStringList{table.LS_DefaultStr, QStringLiteral("80 ") + table.LS_ColumnsStr,
                                            QStringLiteral("132 ") + table.LS_ColumnsStr}));
    }
    active.Set(TRLLanguage::English);
    TRLDraftFilter f;
    EXPECT_EQ(f.Options().value(2), QStringLiteral("132 Columns"));
}

// ---------------------------------------------------------------------------
// Golden documents

TEST_F(DraftFilter, TwoCopiesEachPageEndingInAFormFeed)
{
    addPage([](TRLGraphicSurface &p) { text(p, "PAGE 1", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "PAGE 2", 24 + 96, 24 + 16); });
    RLPrinter().SetCopies(2);
    run();
    const std::string page1 = CPP10 + "PAGE 1" + FF;
    const std::string page2 = CPP10 + CRLF + Spaces(10) + "PAGE 2" + FF;
    EXPECT_BYTES(Reset + page1 + page2 + page1 + page2, output());
    EscpReader r(output());
    EXPECT_TRUE(r.errors().empty());
    EXPECT_EQ(r.resets(), 1);
    EXPECT_EQ(r.formFeeds(), 4);
}

// Into a buffer the same bytes come out as into a file; a run that fails
// takes back what it put there.
TEST_F(DraftFilter, IntoABufferAsIntoAFile)
{
    addPage([](TRLGraphicSurface &p) { text(p, "um", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "dois", 24, 24); });
    run();
    std::string buffer = "kept";
    filter.SetOutputBuffer(&buffer);
    run();
    EXPECT_BYTES("kept" + output(), buffer);
    filter.SetCommands(QStringList{QStringLiteral("Reset=nonsense")});
    filter.SetPrinterFamily(TRLPrinterFamily::fmCustom);
    EXPECT_THROW(run(), Exception);
    EXPECT_BYTES("kept" + output(), buffer);
    filter.SetOutputBuffer(nullptr);
}

TEST_F(DraftFilter, EveryDocumentBeginsWithOneReset)
{
    addPage([](TRLGraphicSurface &p) { text(p, "a", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "b", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "c", 24, 24); });
    for (int run = 0; run < 2; ++run) {
        this->run();
        const std::string bytes = output();
        EXPECT_EQ(bytes.substr(0, Reset.size()), Reset);
        EXPECT_EQ(EscpReader(bytes).resets(), 1);
        EXPECT_EQ(EscpReader(bytes).formFeeds(), 3);
    }
}

TEST_F(DraftFilter, CompletePageFeedsToTheBottomOfTheSheet)
{
    filter.SetEjectMethod(TRLDraftEjectMethod::ejCompletePage);
    addPage([](TRLGraphicSurface &p) { text(p, "X", 24, 24); });
    run();
    // The page's bottom edge is row trunc(0.75 × (1056 − 24)) = 774: 64 lines
    // of 12 and a fine feed of 6; its left edge, column −30, is a CR.
    EXPECT_BYTES(Reset + CPP10 + "X" + Lines(64) + FineFeed(6) + CR, output());
    EXPECT_EQ(EscpReader(output()).pages().back().endY, 774 * 5);
}

TEST_F(DraftFilter, LeavePageFeedsOneLine)
{
    filter.SetEjectMethod(TRLDraftEjectMethod::ejLeavePage);
    addPage([](TRLGraphicSurface &p) { text(p, "X", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "Y", 24, 24 + 16); });
    run();
    EXPECT_BYTES(Reset + CPP10 + "X" + CRLF + CR + CPP10 + CRLF + "Y" + CRLF + CR, output());
}

TEST_F(DraftFilter, FrameInLineCharacters)
{
    // Columns 0..120, rows 24..72: four lines of ten characters.
    addPage([](TRLGraphicSurface &p) {
        auto *r = p.NewObject<TRLRectangleObject>();
        r->SetBoundsRect(TRect{24, 56, 120, 120});
    });
    run();
    const std::string sides = CR + "|" + Spaces(8) + "|";
    EXPECT_BYTES(Reset + CPP10 + CRLF + FineFeed(6) + "----------" + FineFeed(6) + sides + CRLF + sides + CRLF + sides +
                     CRLF + sides + FineFeed(6) + "----------" + FF,
                 output());
    // Read back in cells of 1/10 inch by 1/12 inch.
    const auto grid = EscpReader(output()).grid(0, 12, 30);
    ASSERT_EQ(grid.size(), 12u);
    EXPECT_EQ(grid[3], "----------");
    for (size_t row : {4, 6, 8, 10})
        EXPECT_EQ(grid[row], "|        |") << row;
    EXPECT_EQ(grid[11], "----------");
}

TEST_F(DraftFilter, FilledBarInFillCharacters)
{
    filter.SetFillArtMethod(TRLFillArtMethod::fmLetterX);
    addPage([](TRLGraphicSurface &p) {
        auto *bar = p.NewObject<TRLFillRectObject>();
        bar->SetBoundsRect(TRect{24, 40, 72, 48});
    });
    run();
    EXPECT_BYTES(Reset + CPP10 + FineFeed(6) + "xxxxx" + FF, output());
}

TEST_F(DraftFilter, EightByEightPictureAsOneStrip)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int i = 0; i < 8; ++i)
        img.setPixel(i, i, qRgb(0, 0, 0));
    TBitmap bmp;
    bmp.SetImage(img);
    const std::string data = ToMetaGraphic(&bmp);
    addPage([&](TRLGraphicSurface &p) {
        // 6 × 11 page pixels make 8 × 8 dots.
        auto *pic = p.NewObject<TRLImageObject>();
        pic->SetBoundsRect(TRect{24, 24, 30, 35});
        pic->SetData(data);
        text(p, "after", 24 + 96, 24);
    });
    run();
    // On its row the text goes first, then the picture back at the margin.
    EXPECT_BYTES(Reset + CPP10 + Spaces(10) + "after" + CR + Raw(8) +
                     std::string("\x80\x40\x20\x10\x08\x04\x02\x01", 8) + FF,
                 output());
    EscpReader r(output());
    ASSERT_EQ(r.pages()[0].images.size(), 1u);
    EXPECT_EQ(r.pages()[0].images[0].x, 0);
}

TEST_F(DraftFilter, AccentsUnderEachMethod)
{
    addPage([](TRLGraphicSurface &p) { text(p, "S\xE3o Jo\xE3o", 24, 24); });
    const std::pair<TRLDraftAccentMethod, std::string> cases[] = {
        {TRLDraftAccentMethod::amOverwrite, "S~\x08"
                                            "ao Jo~\x08"
                                            "ao"},
        {TRLDraftAccentMethod::amTakeOut, "Sao Joao"},
        {TRLDraftAccentMethod::amSustain, "S\xE3o Jo\xE3o"},
    };
    for (const auto &[method, printed] : cases) {
        SCOPED_TRACE(static_cast<int>(method));
        filter.SetAccentMethod(method);
        run();
        EXPECT_BYTES(Reset + CPP10 + printed + FF, output());
    }
}

// The bytes a text-mode printer takes for commands never reach it in a
// text, whatever the accent method: the typographic signs print as their
// look-alikes, control bytes as blanks, one column each, and the rest of
// the form prints where it belongs.
TEST_F(DraftFilter, TypographicSignsAndControlBytesPrintAsPlainCharacters)
{
    std::string signs;
    for (int c = 128; c <= 159; ++c)
        signs += static_cast<char>(c);
    std::string controls;
    for (int c = 1; c < 32; ++c)
        if (c != 12)
            controls += static_cast<char>(c);
    controls += '\x7F';
    addPage([&](TRLGraphicSurface &p) {
        text(p, "R$ " + signs + " fim", 24, 24);
        text(p, "<" + controls + ">", 24, 40);
        text(p,
             "\x93"
             "Ol\xE1\x94 \x96 ok",
             24, 56);
    });
    const std::string lookAlikes = "E ,f\".++^%S<O Z  ''\"\"*--~Ts>o zY";
    for (const TRLDraftAccentMethod method :
         {TRLDraftAccentMethod::amOverwrite, TRLDraftAccentMethod::amTakeOut, TRLDraftAccentMethod::amSustain}) {
        SCOPED_TRACE(static_cast<int>(method));
        filter.SetAccentMethod(method);
        run();
        const test::EscpReader reader(output());
        EXPECT_TRUE(reader.errors().empty()) << reader.errors().front();
        ASSERT_EQ(reader.pages().size(), 2u); // the form feed starts an empty second page
        for (const test::EscpChar &c : reader.pages()[0].chars)
            for (const char b : c.strokes)
                EXPECT_FALSE(static_cast<unsigned char>(b) < 32 ||
                             (static_cast<unsigned char>(b) >= 127 && static_cast<unsigned char>(b) <= 159))
                    << "byte " << int(static_cast<unsigned char>(b)) << " printed at " << c.x;
        const std::vector<std::string> lines = reader.grid(0);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0].substr(lines[0].find('R')), "R$ " + lookAlikes + " fim");
        const std::string blanks(controls.size(), ' ');
        EXPECT_EQ(lines[1].substr(lines[1].find('<')), "<" + blanks + ">");
        const bool accentKept = method != TRLDraftAccentMethod::amTakeOut;
        EXPECT_EQ(lines[2].substr(lines[2].find('"')), accentKept ? "\"Ol\xE1\" - ok" : "\"Ola\" - ok");
    }
}

TEST_F(DraftFilter, StylesAsTheDecorationAllows)
{
    addPage([](TRLGraphicSurface &p) {
        text(p, "B", 24, 24, MetaFontStyleBold);
        text(p, "I", 24 + 24, 24, MetaFontStyleItalic | MetaFontStyleUnderline);
    });
    run();
    EXPECT_BYTES(Reset + CPP10 + BoldOn + "B" + BoldOff + Space + ItalicOn + UnderlineOn + "I" + ItalicOff +
                     UnderlineOff + FF,
                 output());
    filter.SetTextDecoration(TRLDraftTextDecoration::ddIncludeNone);
    run();
    EXPECT_BYTES(Reset + CPP10 + "B" + Space + "I" + FF, output());
    filter.SetTextStyles(tsUnderline);
    run();
    EXPECT_BYTES(Reset + CPP10 + "B" + Space + UnderlineOn + "I" + UnderlineOff + FF, output());
}

TEST_F(DraftFilter, TextsAtSeveralPitches)
{
    filter.SetCPPSelection(TRLCPPSelection::csFixed17CPP);
    addPage([](TRLGraphicSurface &p) { text(p, "condensed", 24 + 48, 24 + 32); });
    run();
    // 48 pixels = 60 columns = 8 characters of 7 plus 4; 32 pixels = 24 rows.
    EXPECT_BYTES(Reset + CPP10 + CPP17 + CRLF + CRLF + Spaces(8) + "condensed" + CPP10 + CR + FF, output());
    filter.SetCPPSelection(TRLCPPSelection::csFixed5CPP);
    run();
    EXPECT_BYTES(Reset + CPP10 + CPP10 + ExpandOn + CRLF + CRLF + Spaces(2) + "condensed" + ExpandOff + CPP10 + CR + FF,
                 output());
}

TEST_F(DraftFilter, AutomaticPitchFromTheFont)
{
    filter.SetCPPSelection(TRLCPPSelection::csAutomatic);
    addPage([](TRLGraphicSurface &p) {
        for (int i = 0; i < 50; ++i)
            text(p, "line", 24, 24 + 16 * i);
        auto *small = text(p, "small", 24, 24 + 16 * 50);
        small->Font().SetSize(6);
    });
    run();
    EXPECT_EQ(filter.MeasuredFontCount(), 2);
    TFont big, small;
    big.SetName(QStringLiteral("Courier New"));
    big.SetSize(10);
    small.SetName(QStringLiteral("Courier New"));
    small.SetSize(6);
    const int bigPitch = DraftPitchForSampleWidth(big.Resource().width(DraftPitchSample()));
    const int smallPitch = DraftPitchForSampleWidth(small.Resource().width(DraftPitchSample()));
    EXPECT_LT(bigPitch, smallPitch);
    const auto runs = EscpReader(output()).runs(0);
    ASSERT_EQ(runs.size(), 51u);
    EXPECT_EQ(runs[0].width, DraftCharWidth(bigPitch));
    EXPECT_EQ(runs[50].text, "small");
    EXPECT_EQ(runs[50].width, DraftCharWidth(smallPitch));
}

TEST_F(DraftFilter, PortraitOn132ColumnsIsSpreadAcross)
{
    filter.SetOrientation(TRLPageOrientation::poPortrait);
    filter.SetOptionIndex(2);
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24 + 96, 24); });
    run();
    // 96 pixels are 198 columns (1.65 × 120): 16 spaces of 12.
    EXPECT_BYTES(Reset + CPP10 + Spaces(16) + "x" + FF, output());
}

TEST_F(DraftFilter, ESCP2CountsRowsInThreeHundredSixtieths)
{
    filter.SetPrinterFamily(TRLPrinterFamily::fmESCP2);
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24 + 20); }); // 20 pixels = 75/360 inch
    run();
    EXPECT_BYTES(Reset + CPP10 + CRLF + MicroOn2(15) + CRLF + MicroOff + "x" + FF, output());
    EXPECT_EQ(DraftVerticalUnit(), 60);
    filter.SetPrinterFamily(TRLPrinterFamily::fmEpsonLike);
    run();
    EXPECT_EQ(DraftVerticalUnit(), 12);
}

// A picture taller than one strip: each strip goes one strip's height (8 dot
// rows of 1/72 inch) below the one before, counted in the family's own row
// unit, so that strips meet without overlapping or leaving gaps.
TEST_F(DraftFilter, PictureStripsFollowEachOtherInEveryFamily)
{
    const std::string data = test::twoStripPicture();
    addPage([&](TRLGraphicSurface &p) {
        // 6 × 22 page pixels make 8 × 16 dots: two strips.
        auto *pic = p.NewObject<TRLImageObject>();
        pic->SetBoundsRect(TRect{24, 24, 30, 46});
        pic->SetData(data);
    });
    const std::string upper("\x80\x40\x20\x10\x08\x04\x02\x01", 8);
    const std::string lower("\x01\x02\x04\x08\x10\x20\x40\x80", 8);
    const struct {
        TRLPrinterFamily family;
        std::string feed; // 8/72 inch down
    } families[] = {
        {TRLPrinterFamily::fmEpsonLike, MicroOn(8) + CRLF + MicroOff},
        {TRLPrinterFamily::fmESCP2, MicroOn2(40) + CRLF + MicroOff},
    };
    for (const auto &f : families) {
        SCOPED_TRACE(static_cast<int>(f.family));
        filter.SetPrinterFamily(f.family);
        run();
        EXPECT_BYTES(Reset + CPP10 + Raw(8) + upper + f.feed + Raw(8) + lower + FF, output());
    }
}

// ---------------------------------------------------------------------------
// Command table files

TEST_F(DraftFilter, CommandFileReplacesTheTable)
{
    const QString driver = dir.file(QStringLiteral("printer.cmd"));
    prenso::test::writeFile(driver, "Reset='<reset>'\r\nCPP10='<10>'\r\nFF='<ff>'\nCR=13\r\nLF=10\r\n");
    filter.SetDriverName(driver);
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24 + 16); });
    run();
    EXPECT_EQ(output(), "<reset><10>\r\nx<ff>");
    EXPECT_EQ(filter.Commands(),
              (QStringList{QStringLiteral("Reset='<reset>'"), QStringLiteral("CPP10='<10>'"),
                           QStringLiteral("FF='<ff>'"), QStringLiteral("CR=13"), QStringLiteral("LF=10")}));
}

TEST_F(DraftFilter, EmptyCommandFileFallsBackToTheFamilyTable)
{
    const QString driver = dir.file(QStringLiteral("empty.cmd"));
    prenso::test::writeFile(driver, "");
    filter.SetDriverName(driver);
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    run();
    EXPECT_BYTES(Reset + CPP10 + "x" + FF, output());
}

TEST_F(DraftFilter, MissingCommandFileIsAnErrorAndNothingIsWritten)
{
    filter.SetDriverName(dir.file(QStringLiteral("nowhere.cmd")));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    try {
        run();
        FAIL() << "no error";
    } catch (const EFOpenError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nowhere.cmd"))) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(out()));
    EXPECT_EQ(filter.Commands(), DraftFamilyCommands(TRLPrinterFamily::fmEpsonLike));
}

// ---------------------------------------------------------------------------
// Errors end the run through its "finally" path

TEST_F(DraftFilter, UnwritableFileIsAnInputOutputError)
{
    filter.SetDevicePath(dir.file(QStringLiteral("no/such/folder/out.prn")));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    try {
        run();
        FAIL() << "no error";
    } catch (const EInOutError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("no/such/folder/out.prn"))) << e.message().toStdString();
    }
    EXPECT_EQ(filter.Pages(), nullptr);
}

TEST_F(DraftFilter, FullDiskIsAnInputOutputError)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    filter.SetDevicePath(QStringLiteral("/dev/full"));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    EXPECT_THROW(run(), EInOutError);
}

TEST_F(DraftFilter, BadTokenEndsTheRunAndNoTemporaryFileIsLeft)
{
    filter.SetPrinterFamily(TRLPrinterFamily::fmCustom);
    filter.SetCommands(
        {QStringLiteral("CR=13"), QStringLiteral("LF=10"), QStringLiteral("FF=12"), QStringLiteral("BoldOn=27,G")});
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    const QString copy = dir.file(QStringLiteral("copy.prn"));
    filter.SetDevicePath(QStringLiteral("/bin/cp %f ") + copy);
    addPage([](TRLGraphicSurface &p) { text(p, "plain", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "bold", 24, 24, MetaFontStyleBold); });
    const QStringList before = tempFolderListing();
    const int registered = files::registeredTempFileCount();
    try {
        run();
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'G' is not a valid integer value"));
    }
    process::waitForStartedPrograms();
    EXPECT_EQ(tempFolderListing(), before);
    EXPECT_EQ(files::registeredTempFileCount(), registered);
    EXPECT_FALSE(QFile::exists(copy)) << "the program was started with half a document";
    EXPECT_EQ(filter.Pages(), nullptr);
}

TEST_F(DraftFilter, MissingProgramIsAnErrorAndNoTemporaryFileIsLeft)
{
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    filter.SetDevicePath(dir.file(QStringLiteral("no-such-program")) + QStringLiteral(" %f"));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    const QStringList before = tempFolderListing();
    try {
        run();
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("no-such-program"))) << e.message().toStdString();
    }
    EXPECT_EQ(tempFolderListing(), before);
    EXPECT_EQ(process::pendingProgramCount(), 0);
}

TEST_F(DraftFilter, DefaultDeviceWithoutAPrinterIsAnError)
{
    // The printer's port is the default device; with no printer there is no
    // port and no queue to send to, which must be said, not swallowed.
    filter.SetDeviceKind(TRLDeviceKind::dkPrinterPort);
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    try {
        run();
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("No printer"))) << e.message().toStdString();
    }
    EXPECT_EQ(filter.Pages(), nullptr);
}

TEST_F(DraftFilter, EmptyProgramLineIsAnError)
{
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    filter.SetDevicePath(QString());
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    const QStringList before = tempFolderListing();
    EXPECT_THROW(run(), Exception);
    EXPECT_EQ(tempFolderListing(), before);
}

// ---------------------------------------------------------------------------
// Programs

TEST_F(DraftFilter, ProgramGetsTheWholeDocumentAndItsFileGoesAfterwards)
{
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    const QString copy = dir.file(QStringLiteral("copy.prn"));
    filter.SetDevicePath(QStringLiteral("/bin/cp %F ") + copy);
    addPage([](TRLGraphicSurface &p) { text(p, "one", 24, 24); });
    addPage([](TRLGraphicSurface &p) { text(p, "two", 24, 24); });
    const QStringList before = tempFolderListing();
    run();
    const QString handed = filter.DeviceFileName();
    EXPECT_TRUE(handed.startsWith(files::tempFolder() + QStringLiteral("~qr"))) << handed.toStdString();
    EXPECT_TRUE(handed.endsWith(QStringLiteral(".tmp")));
    process::waitForStartedPrograms();
    EXPECT_BYTES(Reset + CPP10 + "one" + FF + CPP10 + "two" + FF, prenso::test::readFile(copy));
    EXPECT_FALSE(QFile::exists(handed));
    EXPECT_EQ(tempFolderListing(), before);
}

TEST_F(DraftFilter, ProgramLineIsNeverReadByAShell)
{
    // Quotes, separators, substitutions and redirections reach the program as
    // data: cp makes a file of exactly that name, and nothing else runs.
    const QString weird =
        QStringLiteral("we'ird; touch %1/c1 $(touch %1/c2) `touch %1/c3` | x && y > %1/c4").arg(dir.path());
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    filter.SetDevicePath(QStringLiteral("/bin/cp %f \"%1/%2\"").arg(dir.path(), weird));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    run();
    process::waitForStartedPrograms();
    // The name holds "/" from the folder path inside it, so cp writes below
    // nothing that exists and fails; the point is what did not happen.
    for (const char *canary : {"c1", "c2", "c3", "c4"})
        EXPECT_FALSE(QFile::exists(dir.file(QString::fromLatin1(canary)))) << canary;
}

TEST_F(DraftFilter, ProgramArgumentsKeepBlanksAndSymbols)
{
    const QString name = QStringLiteral("a b;c$(d)`e`'f\"g");
    filter.SetDeviceKind(TRLDeviceKind::dkProgram);
    filter.SetDevicePath(QStringLiteral("/bin/cp %f \"%1/a b;c$(d)`e`'f\"\"g\"").arg(dir.path()));
    addPage([](TRLGraphicSurface &p) { text(p, "x", 24, 24); });
    run();
    process::waitForStartedPrograms();
    EXPECT_BYTES(Reset + CPP10 + "x" + FF, prenso::test::readFile(dir.file(name)));
    EXPECT_EQ(prenso::test::listFolder(dir.path()), (QStringList{name}));
}
