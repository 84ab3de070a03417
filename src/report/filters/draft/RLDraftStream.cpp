#include "report/filters/draft/RLDraftStream.h"

#include "platform/graphics/valuetypes.h"

#include <algorithm>
#include <climits>

namespace prenso {

TRLDraftStream::TRLDraftStream(TRLDraftCommandTable &commands, std::string &out) : FCommands(commands), FOut(out)
{}

void TRLDraftStream::BeginDocument()
{
    FLpp = 6;
    FCpp = 10;
    FBold = FItalic = FUnderline = false;
    FCharWidth = 12;
    FCharHeight = RoundCoord(DraftVerticalUnit() * 6.0 / FLpp);
    FRow = FColumn = 0;
    FSendFirstReset = true;
    FTextMapKnown = false;
}

void TRLDraftStream::MoveHead(int row, int column)
{
    while (row >= FRow + FCharHeight) {
        Send(TRLDraftCommand::CR);
        Send(TRLDraftCommand::LF);
        FRow += FCharHeight;
        FColumn = 0;
    }
    if (FRow < row) {
        // Less than a line: a fine feed of exactly the distance.
        Send(TRLDraftCommand::MicroOn, row - FRow);
        Send(TRLDraftCommand::CR);
        Send(TRLDraftCommand::LF);
        Send(TRLDraftCommand::MicroOff);
        FColumn = 0;
        FRow = row;
    }
    if (column < FColumn) {
        Send(TRLDraftCommand::CR);
        FColumn = 0;
    }
    // Spaces up to the last character cell that starts at or before the column.
    while (column >= FColumn + FCharWidth) {
        Send(TRLDraftCommand::Space);
        FColumn += FCharWidth;
    }
}

void TRLDraftStream::SelectPitch(int cpp, bool force)
{
    if (cpp == FCpp && !force)
        return;
    if (FCpp == 5)
        Send(TRLDraftCommand::ExpandOff);
    switch (cpp) {
    case 5:
        Send(TRLDraftCommand::CPP10);
        Send(TRLDraftCommand::ExpandOn);
        break;
    case 10: Send(TRLDraftCommand::CPP10); break;
    case 12: Send(TRLDraftCommand::CPP12); break;
    case 17: Send(TRLDraftCommand::CPP17); break;
    case 20: Send(TRLDraftCommand::CPP20); break;
    default: break;
    }
    FCpp = cpp;
    FCharWidth = cpp > 0 ? 120 / cpp : 12;
    // Columns counted at the old pitch mean nothing at the new one.
    MoveHead(FRow, 0);
}

void TRLDraftStream::SelectStyles(TRLMetaFontStyles style)
{
    const bool bold = (style & MetaFontStyleBold) && (TextStyles & tsBold);
    const bool italic = (style & MetaFontStyleItalic) && (TextStyles & tsItalic);
    const bool underline = (style & MetaFontStyleUnderline) && (TextStyles & tsUnderline);
    if (bold != FBold) {
        Send(bold ? TRLDraftCommand::BoldOn : TRLDraftCommand::BoldOff);
        FBold = bold;
    }
    if (italic != FItalic) {
        Send(italic ? TRLDraftCommand::ItalicOn : TRLDraftCommand::ItalicOff);
        FItalic = italic;
    }
    if (underline != FUnderline) {
        Send(underline ? TRLDraftCommand::UnderlineOn : TRLDraftCommand::UnderlineOff);
        FUnderline = underline;
    }
}

void TRLDraftStream::SendText(const TDraftText &text)
{
    SelectPitch(text.CPP, false);
    MoveHead(std::max(text.PinBounds.Top, FRow), text.PinBounds.Left);
    if (!FTextMapKnown) {
        // The table and the method hold for the document, and so does the
        // backspace of the command table.
        const std::string backspace =
            AccentMethod == TRLDraftAccentMethod::amOverwrite ? FCommands.Expand(TRLDraftCommand::BS) : std::string();
        FTextMap = TRLDraftTextMap(CharTable, AccentMethod, backspace);
        FTextMapKnown = true;
    }
    SelectStyles(text.Style);
    FTextMap.Append(text.Text, FOut);
    SelectStyles(0);
    // The overstruck marks take no room: the head is where the plain text ends.
    FColumn = SatAdd(FColumn, static_cast<int>(std::min<size_t>(text.Text.size(), INT_MAX / 24)) * FCharWidth);
}

void TRLDraftStream::SendImage(const TDraftImage &image)
{
    MoveHead(std::max(image.PinBounds.Top, FRow), image.PinBounds.Left);
    Send(TRLDraftCommand::RAW, static_cast<int>(image.Columns.size()));
    FOut += image.Columns;
    FColumn = image.PinBounds.Right;
}

void TRLDraftStream::DrawPage(const TRLDraftPageList &list)
{
    if (FSendFirstReset) {
        Send(TRLDraftCommand::Reset);
        // The reset brought back the printer's own table.
        FOut += DraftCharTableSelection(CharTable);
        FSendFirstReset = false;
    }
    SelectPitch(10, true);
    SelectStyles(0);
    for (const auto &item : list.Items()) {
        if (item->ObjKind() == TDraftObj::Kind::Text)
            SendText(static_cast<const TDraftText &>(*item));
        else
            SendImage(static_cast<const TDraftImage &>(*item));
    }
    SelectPitch(10, false);
}

void TRLDraftStream::EjectPage(TRLDraftEjectMethod method, int pageEndRow, int leftColumn)
{
    switch (method) {
    case TRLDraftEjectMethod::ejCompletePage: MoveHead(pageEndRow, leftColumn); break;
    case TRLDraftEjectMethod::ejForceWithCode: Send(TRLDraftCommand::FF); break;
    case TRLDraftEjectMethod::ejLeavePage: MoveHead(SatAdd(FRow, DraftVerticalUnit()), leftColumn); break;
    }
    FRow = FColumn = 0;
}

} // namespace prenso
