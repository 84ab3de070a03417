#include "report/filters/draft/RLDraftStream.h"

#include "platform/graphics.h"

#include <algorithm>
#include <climits>

namespace prenso {

TRLDraftStream::TRLDraftStream(TRLDraftCommandTable &commands, std::string &out) : m_commands(commands), m_out(out) {}

void TRLDraftStream::BeginDocument()
{
    m_lpp = 6;
    m_cpp = 10;
    m_bold = m_italic = m_underline = false;
    m_charWidth = 12;
    m_charHeight = RoundCoord(DraftVerticalUnit() * 6.0 / m_lpp);
    m_row = m_column = 0;
    m_sendFirstReset = true;
    m_backspaceKnown = false;
}

void TRLDraftStream::MoveHead(int row, int column)
{
    while (row >= m_row + m_charHeight) {
        Send(TRLDraftCommand::CR);
        Send(TRLDraftCommand::LF);
        m_row += m_charHeight;
        m_column = 0;
    }
    if (m_row < row) {
        // Less than a line: a fine feed of exactly the distance.
        Send(TRLDraftCommand::MicroOn, row - m_row);
        Send(TRLDraftCommand::CR);
        Send(TRLDraftCommand::LF);
        Send(TRLDraftCommand::MicroOff);
        m_column = 0;
        m_row = row;
    }
    if (column < m_column) {
        Send(TRLDraftCommand::CR);
        m_column = 0;
    }
    // Spaces up to the last character cell that starts at or before the column.
    while (column >= m_column + m_charWidth) {
        Send(TRLDraftCommand::Space);
        m_column += m_charWidth;
    }
}

void TRLDraftStream::SelectPitch(int cpp, bool force)
{
    if (cpp == m_cpp && !force)
        return;
    if (m_cpp == 5)
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
    m_cpp = cpp;
    m_charWidth = cpp > 0 ? 120 / cpp : 12;
    // Columns counted at the old pitch mean nothing at the new one.
    MoveHead(m_row, 0);
}

void TRLDraftStream::SelectStyles(TRLMetaFontStyles style)
{
    const bool bold = (style & MetaFontStyleBold) && (TextStyles & tsBold);
    const bool italic = (style & MetaFontStyleItalic) && (TextStyles & tsItalic);
    const bool underline = (style & MetaFontStyleUnderline) && (TextStyles & tsUnderline);
    if (bold != m_bold) {
        Send(bold ? TRLDraftCommand::BoldOn : TRLDraftCommand::BoldOff);
        m_bold = bold;
    }
    if (italic != m_italic) {
        Send(italic ? TRLDraftCommand::ItalicOn : TRLDraftCommand::ItalicOff);
        m_italic = italic;
    }
    if (underline != m_underline) {
        Send(underline ? TRLDraftCommand::UnderlineOn : TRLDraftCommand::UnderlineOff);
        m_underline = underline;
    }
}

void TRLDraftStream::SendText(const TDraftText &text)
{
    SelectPitch(text.CPP, false);
    MoveHead(std::max(text.PinBounds.Top, m_row), text.PinBounds.Left);
    if (AccentMethod == TRLDraftAccentMethod::amSustain) {
        SelectStyles(text.Style);
        m_out += text.Text;
    } else {
        if (!m_backspaceKnown && AccentMethod == TRLDraftAccentMethod::amOverwrite) {
            m_backspace = m_commands.Expand(TRLDraftCommand::BS);
            m_backspaceKnown = true;
        }
        const std::string printed = DraftApplyAccents(text.Text, AccentMethod, m_backspace);
        SelectStyles(text.Style);
        m_out += printed;
    }
    SelectStyles(0);
    // The overstruck marks take no room: the head is where the plain text ends.
    m_column = SatAdd(m_column, static_cast<int>(std::min<size_t>(text.Text.size(), INT_MAX / 24)) * m_charWidth);
}

void TRLDraftStream::SendImage(const TDraftImage &image)
{
    MoveHead(std::max(image.PinBounds.Top, m_row), image.PinBounds.Left);
    Send(TRLDraftCommand::RAW, static_cast<int>(image.Columns.size()));
    m_out += image.Columns;
    m_column = image.PinBounds.Right;
}

void TRLDraftStream::DrawPage(const TRLDraftPageList &list)
{
    if (m_sendFirstReset) {
        Send(TRLDraftCommand::Reset);
        m_sendFirstReset = false;
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
    case TRLDraftEjectMethod::ejLeavePage: MoveHead(SatAdd(m_row, DraftVerticalUnit()), leftColumn); break;
    }
    m_row = m_column = 0;
}

} // namespace prenso
