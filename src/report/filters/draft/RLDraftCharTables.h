#pragma once
// The character tables of dot-matrix printers. Offices print invoices on
// printers whose tables hold every Portuguese letter; the draft filter can
// select one of them and send each letter as that table's byte, instead of
// overstriking its accent or sending the system code page's byte, which such
// a printer reads as another character.

#include "report/filters/draft/RLDraftTypes.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace prenso {

// The tables, by the names operators know them by (PC437 … BRASCII).
QString DraftCharTableName(TRLDraftCharTable table);
// Every table but ctNone, in the order of the enumeration.
QStringList DraftCharTableNames();
// The table a name stands for, letter case ignored; none for an unknown name.
std::optional<TRLDraftCharTable> DraftCharTableByName(const QString &name);

// The printer commands that select the table: assign it to the printer's
// table 1 (ESC ( t 3 0 1 d2 d3), select table 1 (ESC t 1) and let the codes
// 128 to 159 print as characters (ESC 6). Empty for ctNone.
std::string DraftCharTableSelection(TRLDraftCharTable table);

// What the printer is sent for every byte of a text: the printable
// character (see DraftPrintableText), the table's byte where it has the
// character, and else the accent method's form of it (see DraftApplyAccents)
// in the table's bytes. Without a table the text goes as it always went.
// Built once per document: texts are then mapped byte by byte.
class TRLDraftTextMap {
public:
    TRLDraftTextMap() : TRLDraftTextMap(TRLDraftCharTable::ctNone, TRLDraftAccentMethod::amSustain, {}) {}
    TRLDraftTextMap(TRLDraftCharTable table, TRLDraftAccentMethod method, std::string_view backspace);

    // Appends the printed form of `text` to `out`.
    void Append(std::string_view text, std::string &out) const
    {
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if (FLong[c])
                out += FPieces[c];
            else
                out += FSingle[c];
        }
    }

private:
    std::array<char, 256> FSingle{};
    std::array<bool, 256> FLong{};
    std::array<std::string, 256> FPieces;
};

} // namespace prenso
