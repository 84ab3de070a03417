#pragma once
// The command table of the draft filter: lines "name=value" whose values say,
// token by token, which bytes a printer command is made of.
//
// A value is a list of tokens separated by commas, expanded with an integer
// parameter P:
//   'text'   the characters between the apostrophes
//   #        one byte with code P
//   #l, #h   the low and the high byte of P (letter case ignored)
//   $        the decimal digits of P
//   number   one byte of that code (decimal, or hexadecimal after "$")
// Expansion stops at the first empty token. A comma always splits, also
// between apostrophes. A token that is none of these raises EConvertError.

#include "report/filters/draft/RLDraftTypes.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace prenso {

// The commands the filter sends, in table order.
enum class TRLDraftCommand {
    CR,
    LF,
    BS,
    FF,
    Reset,
    MicroOn,
    MicroOff,
    Space,
    CPP10,
    CPP12,
    CPP17,
    CPP20,
    ExpandOn,
    ExpandOff,
    BoldOn,
    BoldOff,
    ItalicOn,
    ItalicOff,
    UnderlineOn,
    UnderlineOff,
    RAW
};
inline constexpr int kDraftCommandCount = 21;

// The name of a command as it appears in a table.
QString DraftCommandName(TRLDraftCommand command);

// The built-in table of a printer family, in table order; empty for fmCustom.
QStringList DraftFamilyCommands(TRLPrinterFamily family);

// The bytes of one command value with parameter p. Raises EConvertError for
// a token that is neither text, a parameter token nor an integer.
std::string ExpandDraftCommand(const QString &value, int p = 0);

// The value of `name` in name=value lines (first match, letter case ignored
// in the name); empty when missing.
QString DraftCommandValue(const QStringList &commands, const QString &name);

// A table prepared for sending: each command is parsed the first time it is
// used (so a bad token raises where the command is needed, and a broken line
// the printer never needs does no harm) and then kept in a form that expands
// without parsing again.
class TRLDraftCommandTable {
public:
    explicit TRLDraftCommandTable(const QStringList &commands = {});

    // Appends the bytes of `command` with parameter p to `out`.
    void Append(std::string &out, TRLDraftCommand command, int p = 0);
    std::string Expand(TRLDraftCommand command, int p = 0)
    {
        std::string out;
        Append(out, command, p);
        return out;
    }

private:
    struct Piece {
        enum Kind : std::uint8_t { Bytes, Param, ParamLow, ParamHigh, ParamDecimal } kind = Bytes;
        std::string bytes;
    };
    struct Compiled {
        std::vector<Piece> pieces;
        bool constant = true; // no parameter token: `bytes` of the single piece is all
    };
    const Compiled &compiled(TRLDraftCommand command);

    QStringList FCommands;
    std::array<std::optional<Compiled>, kDraftCommandCount> FCompiled;
};

} // namespace prenso
