#pragma once
// The print head as the draft filter drives it: where it stands, which pitch
// and styles the printer was last told, and the bytes that move it, change
// pitch and style, print texts and send picture strips.
//
// The head only moves forward on a page: down by whole lines (CR LF), by a
// fine feed for less than a line (MicroOn with the distance, CR LF,
// MicroOff), back to the left margin (CR) and right by spaces. A text whose
// row lies above the head is printed on the head's row.

#include "report/filters/draft/RLDraftCharTables.h"
#include "report/filters/draft/RLDraftCommands.h"
#include "report/filters/draft/RLDraftPage.h"
#include "report/filters/draft/RLDraftTypes.h"

#include <string>
#include <string_view>

namespace prenso {

class TRLDraftStream {
public:
    // The bytes go to `out`; whoever owns it sends them on.
    TRLDraftStream(TRLDraftCommandTable &commands, std::string &out);

    TRLDraftAccentMethod AccentMethod = TRLDraftAccentMethod::amOverwrite;
    TRLDraftTextStyles TextStyles = tsAllDraftTextStyles;
    // The printer's table the texts go in, selected after the first Reset.
    TRLDraftCharTable CharTable = TRLDraftCharTable::ctNone;

    // A new document: head at (0, 0), pitch 10, styles off, one line =
    // the vertical unit, and the next page begins with Reset.
    void BeginDocument();

    // Prints the items of one page.
    void DrawPage(const TRLDraftPageList &list);

    // Finishes a page: ejCompletePage feeds to `pageEndRow` (the row of the
    // page's bottom edge), ejForceWithCode sends FF, ejLeavePage feeds one
    // line; `leftColumn` is the column of the page's left edge. The head is
    // then at (0, 0) of the next sheet.
    void EjectPage(TRLDraftEjectMethod method, int pageEndRow, int leftColumn);

    // The steps, for tests and for the filter.
    void Send(TRLDraftCommand command, int p = 0) { FCommands.Append(FOut, command, p); }
    void MoveHead(int row, int column);
    void SelectPitch(int cpp, bool force);
    void SelectStyles(TRLMetaFontStyles style);
    void SendText(const TDraftText &text);
    void SendImage(const TDraftImage &image);

    int CurrentRow() const { return FRow; }
    int CurrentColumn() const { return FColumn; }
    int CharWidth() const { return FCharWidth; }
    int CharHeight() const { return FCharHeight; }

private:
    TRLDraftCommandTable &FCommands;
    std::string &FOut;
    TRLDraftTextMap FTextMap;
    bool FTextMapKnown = false;
    int FRow = 0;
    int FColumn = 0;
    int FLpp = 6;
    int FCpp = 10;
    int FCharWidth = 12;
    int FCharHeight = 12;
    bool FBold = false;
    bool FItalic = false;
    bool FUnderline = false;
    bool FSendFirstReset = true;
};

} // namespace prenso
