#pragma once
// A stored page as the draft filter sees it: the list of texts and picture
// strips to print, in print units, sorted as the print head will meet them.
//
// Print units: horizontally 1/120 inch; vertically 1/72 inch, or 1/360 inch
// for ESC/P 2 printers. The vertical unit is one setting for the whole
// program (every draft filter shares it); each document sets it when it
// begins. Page pixels are 1/96 inch.

#include "platform/graphics/valuetypes.h"
#include "report/RLPageOrientation.h"
#include "report/filters/draft/RLDraftTypes.h"
#include "report/storage/RLGraphicStorage.h"

#include <QImage>
#include <QString>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace prenso {

// Print units per character row (12 = 1/6 inch at 1/72, 60 at 1/360), for
// the session.
int DraftVerticalUnit();
void SetDraftVerticalUnit(int unitsPerLine);

// The horizontal scale of a page on the chosen form: a portrait page spread
// over a 132-column carriage (option 2) is 1.65 times as wide, a landscape
// page squeezed onto an 80-column carriage (option 1) 20/33 as wide.
double DraftHorizontalScale(TRLPageOrientation orientation, int optionIndex);

// Page pixels to print units.
class TRLDraftUnits {
public:
    TRLDraftUnits() = default;
    TRLDraftUnits(double scale, TPoint printCut) : FScale(scale), FCut(printCut) {}
    int Column(int x) const;
    int Row(int y) const;
    double Scale() const { return FScale; }

private:
    double FScale = 1.0;
    TPoint FCut;
};

// Character width for a pitch (24, 12, 10, 7 and 6 units for 5, 10, 12, 17
// and 20 characters per inch).
int DraftCharWidth(int cpp);

// The pitch for a font whose 136-character sample measures `sampleWidth`
// pixels at 96 pixels per inch: k = 96 / (w × 1.4 / 136) characters per inch
// rounded up to the next pitch the printer has (5, 10, 12, 17, 20).
int DraftPitchForRatio(double k);
int DraftPitchForSampleWidth(int sampleWidth);
// The sample measured for the choice.
std::string_view DraftPitchSample();

// Cuts a text to the n characters its bounds can hold, as its alignment
// sees it (TRLMetaTextAlignment codes; unknown codes cut as left). Justified
// text is cut like left-aligned text and then widened to n characters.
std::string DraftCutText(std::string_view text, int n, TRLMetaTextAlignment alignment);
// Widens a text to n characters by putting single spaces into its gaps (runs
// of space, tab, CR or LF before a word), rightmost gap first, moving left
// and wrapping around. A text without gaps is left as it is.
std::string DraftJustifyText(std::string_view text, int n);

// Accented letters for printers without them: amOverwrite prints the mark,
// `backspace` and the base letter; amTakeOut keeps the base letter only.
std::string DraftApplyAccents(std::string_view text, TRLDraftAccentMethod method, std::string_view backspace);
// The text as a dot-matrix printer may be sent it: in text mode the printer
// takes the bytes below 32, 127 and 128 to 159 for commands (147 is DC3 with
// the high bit, which deselects many printers, and the rest of the form is
// lost), so each of them becomes one printable character: the typographic
// signs of Windows-1252 their ASCII look-alike, the rest a blank. One byte
// for one, so the columns after them stay where the layout put them.
std::string DraftPrintableText(std::string_view text);

// Characters that draw frames and bars.
char DraftHorizontalFrameChar(TRLLineDrawMethod method, int penWidth);
char DraftVerticalFrameChar(TRLLineDrawMethod method, int penWidth);
char DraftFillChar(TRLFillArtMethod method);

// ---------------------------------------------------------------------------
// Items of a page, in print units.

class TDraftObj {
public:
    enum class Kind { Text, Image };
    explicit TDraftObj(Kind kind) : FKind(kind) {}
    virtual ~TDraftObj() = default;
    Kind ObjKind() const { return FKind; }
    TRect PinBounds;

private:
    Kind FKind;
};

class TDraftText : public TDraftObj {
public:
    TDraftText() : TDraftObj(Kind::Text) {}
    int CPP = 10;
    TRLMetaFontStyles Style = 0; // bold, italic, underline bits of the page font
    std::string Text;
};

// A strip of at most 8 dot rows of a picture: one byte per dot column, bit 7
// for the strip's first row, a set bit for a black dot.
class TDraftImage : public TDraftObj {
public:
    TDraftImage() : TDraftObj(Kind::Image) {}
    std::string Columns;
    int Rows = 0;
};

// The items of one page, sorted by their top; on one row, images come after
// texts, and among texts of one pitch and style and among images the one on
// the left comes first. Texts of different pitch or style on one row keep the
// order they were added in, so the head changes pitch as seldom as the page
// allows.
class TRLDraftPageList {
public:
    void Add(std::unique_ptr<TDraftObj> obj);
    const std::vector<std::unique_ptr<TDraftObj>> &Items() const { return FItems; }
    int Count() const { return static_cast<int>(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TDraftObj>> FItems;
};

// Black and white strips of a picture already stretched to dot size: a dot
// is white when 2 × (grey − 128) + 128 reaches the threshold of the ordered
// 4×4 table (dmColorTable) or a random number from 0 to 255 (dmErrorDiffusion).
struct TDraftStrip {
    std::string Columns;
    int Rows = 0;
};
std::vector<TDraftStrip> DraftDitherImage(const QImage &image, TRLDitheringMethod method, std::mt19937 &random);

// Everything that decides how a page becomes draft items.
struct TRLDraftPageSettings {
    TRLCPPSelection CPPSelection = TRLCPPSelection::csAutomatic;
    TRLStretchCharWidth StretchCharWidth = TRLStretchCharWidth::scShrinksOnly;
    TRLLineDrawMethod LineDrawMethod = TRLLineDrawMethod::ldMinusAndPipe;
    TRLFillArtMethod FillArtMethod = TRLFillArtMethod::fmNone;
    TRLDitheringMethod DitheringMethod = TRLDitheringMethod::dmColorTable;
    TRLDraftUnits Units;
};

// Turns the objects of stored pages into draft items. Pitches are remembered
// per font name and size, so a font is measured once per builder.
class TRLDraftPageBuilder {
public:
    TRLDraftPageBuilder();
    void SetSettings(const TRLDraftPageSettings &settings);
    // Seeds the random dithering (tests).
    void SeedRandom(unsigned seed) { FRandom.seed(seed); }

    void Build(const TRLGraphicPage &page, TRLDraftPageList &list);

    // The pitch for a font: fixed, or from its size scaled with the page as
    // StretchCharWidth allows and measured on the shared measuring canvas.
    int PitchFor(const QString &fontName, int size);
    // How many fonts have been measured (tests).
    int MeasuredFontCount() const { return static_cast<int>(FPitchCache.size()); }

private:
    void addText(const TRLTextObject &obj, TRLDraftPageList &list);
    void addFrame(const TRLRectangleObject &obj, TRLDraftPageList &list);
    void addFill(const TRLFillRectObject &obj, TRLDraftPageList &list);
    void addImage(const TRLImageObject &obj, TRLDraftPageList &list);
    void addChars(TRLDraftPageList &list, int cpp, char ch, int count, int left, int top);
    void add(TRLDraftPageList &list, std::unique_ptr<TDraftObj> item);

    TRLDraftPageSettings FSettings;
    std::map<std::pair<QString, int>, int> FPitchCache;
    std::mt19937 FRandom;
    TPoint FLimit; // the sheet's right and bottom edges, in print units
};

} // namespace prenso
