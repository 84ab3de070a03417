#include "report/filters/draft/RLDraftCharTables.h"

#include "platform/system/codepage.h"
#include "report/filters/draft/RLDraftPage.h"

namespace prenso {

namespace {

using namespace std::string_view_literals;

struct TableDefinition {
    const char *name;
    // The table's number in the printer's list of registered tables (the
    // d2 d3 of ESC ( t), from the ESC/P reference.
    unsigned char d2, d3;
    // The characters of the bytes 128 to 255 (U+0000 where there is none).
    std::u16string_view upper;
};

// The PC code pages as their charts give them; the lines are the bytes
// 128 to 159, 160 to 191, 192 to 223 and 224 to 255.
constexpr std::u16string_view kPC437 = u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒ"
                                       u"áíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
                                       u"└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
                                       u"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
constexpr std::u16string_view kPC850 = u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒ"
                                       u"áíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐"
                                       u"└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀"
                                       u"ÓßÔÒõÕµþÞÚÛÙýÝ¯´\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0";
// 850 with the euro sign where 850 has the dotless i (byte 213).
constexpr std::u16string_view kPC858 = u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒ"
                                       u"áíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐"
                                       u"└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈ€ÍÎÏ┘┌█▄¦Ì▀"
                                       u"ÓßÔÒõÕµþÞÚÛÙýÝ¯´\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0";
constexpr std::u16string_view kPC860 = u"ÇüéâãàÁçêÊèÍÔìÃÂÉÀÈôõòÚùÌÕÜ¢£Ù₧Ó"
                                       u"áíóúñÑªº¿Ò¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
                                       u"└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
                                       u"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
// The Brazilian tables: ABICOMP holds letters from 161 to 223; BRASCII is
// ISO 8859-1 with Œ and œ in place of × and ÷.
constexpr std::u16string_view kAbicomp = u"\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                         u"\u00A0ÀÁÂÃÄÇÈÉÊËÌÍÎÏÑÒÓÔÕÖŒÙÚÛÜŸ¨£¦§°"
                                         u"¡àáâãäçèéêëìíîïñòóôõöœùúûüÿßªº¿±"
                                         u"\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"sv;
constexpr std::u16string_view kBrascii = u"\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                         u"\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿"
                                         u"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖŒØÙÚÛÜÝÞß"
                                         u"àáâãäåæçèéêëìíîïðñòóôõöœøùúûüýþÿ"sv;

static_assert(kPC437.size() == 128 && kPC850.size() == 128 && kPC858.size() == 128 && kPC860.size() == 128 &&
              kAbicomp.size() == 128 && kBrascii.size() == 128);

constexpr std::array<TableDefinition, 6> kTables = {{
    {"PC437", 1, 0, kPC437},
    {"PC850", 3, 0, kPC850},
    {"PC858", 44, 0, kPC858},
    {"PC860", 7, 0, kPC860},
    {"ABICOMP", 26, 0, kAbicomp},
    {"BRASCII", 25, 0, kBrascii},
}};

const TableDefinition *definition(TRLDraftCharTable table)
{
    const auto index = static_cast<size_t>(table);
    return index >= 1 && index <= kTables.size() ? &kTables[index - 1] : nullptr;
}

// Per table, the table's byte of every code page byte (0: it has none).
using ByteMap = std::array<unsigned char, 256>;
const ByteMap &byteMap(TRLDraftCharTable table)
{
    static const std::array<ByteMap, kTables.size() + 1> maps = [] {
        std::array<ByteMap, kTables.size() + 1> all{};
        for (size_t t = 0; t < kTables.size(); ++t) {
            const std::u16string_view upper = kTables[t].upper;
            for (size_t i = 0; i < upper.size(); ++i) {
                bool ok = false;
                const unsigned char codePage = cp1252::fromUnicode(upper[i], &ok);
                if (upper[i] != 0 && ok && codePage >= 0x80 && all[t + 1][codePage] == 0)
                    all[t + 1][codePage] = static_cast<unsigned char>(0x80 + i);
            }
        }
        return all;
    }();
    return maps[static_cast<size_t>(table) < maps.size() ? static_cast<size_t>(table) : 0];
}

} // namespace

QString DraftCharTableName(TRLDraftCharTable table)
{
    const TableDefinition *d = definition(table);
    return d ? QString::fromLatin1(d->name) : QString();
}

QStringList DraftCharTableNames()
{
    QStringList names;
    for (const TableDefinition &d : kTables)
        names << QString::fromLatin1(d.name);
    return names;
}

std::optional<TRLDraftCharTable> DraftCharTableByName(const QString &name)
{
    for (size_t i = 0; i < kTables.size(); ++i)
        if (name.compare(QLatin1String(kTables[i].name), Qt::CaseInsensitive) == 0)
            return static_cast<TRLDraftCharTable>(i + 1);
    return std::nullopt;
}

std::string DraftCharTableSelection(TRLDraftCharTable table)
{
    const TableDefinition *d = definition(table);
    if (!d)
        return {};
    return std::string{'\x1b', '(', 't', 3,      0,  1, static_cast<char>(d->d2), static_cast<char>(d->d3),
                       '\x1b', 't', 1,   '\x1b', '6'};
}

TRLDraftTextMap::TRLDraftTextMap(TRLDraftCharTable table, TRLDraftAccentMethod method, std::string_view backspace)
{
    const ByteMap &inTable = byteMap(table);
    // A sign of the code page in the table's bytes: an overstrike's dieresis
    // the table lacks looks nearest to a double quote.
    const auto tableSign = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            return c;
        if (inTable[u])
            return static_cast<char>(inTable[u]);
        return u == 0xA8 ? '"' : '?';
    };
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const std::string printable = DraftPrintableText(std::string_view(&byte, 1));
        std::string piece;
        if (table == TRLDraftCharTable::ctNone) {
            piece = DraftApplyAccents(printable, method, backspace);
        } else if (b == 0xA0) {
            piece = " "; // a blank is a blank in every table
        } else if (inTable[static_cast<size_t>(b)] != 0) {
            piece = std::string(1, static_cast<char>(inTable[static_cast<size_t>(b)]));
        } else if (static_cast<unsigned char>(printable[0]) < 0x80) {
            piece = printable; // ASCII, or the look-alike of a typographic sign
        } else if (const std::string base = DraftApplyAccents(printable, TRLDraftAccentMethod::amTakeOut, {});
                   base != printable && method != TRLDraftAccentMethod::amSustain) {
            piece = base;
            if (method == TRLDraftAccentMethod::amOverwrite)
                piece = tableSign(DraftApplyAccents(printable, method, {})[0]) + std::string(backspace) + base;
        } else {
            // The code page's byte would print as another character.
            piece = "?";
        }
        if (piece.size() == 1) {
            FSingle[static_cast<size_t>(b)] = piece[0];
        } else {
            FLong[static_cast<size_t>(b)] = true;
            FPieces[static_cast<size_t>(b)] = std::move(piece);
        }
    }
}

} // namespace prenso
