#include "report/filters/draft/RLDraftCommands.h"

#include "platform/system/codepage.h"
#include "platform/system/errors.h"

namespace prenso {

namespace {

constexpr std::array<const char *, kDraftCommandCount> kCommandNames = {
    "CR",     "LF",      "BS",       "FF",        "Reset",       "MicroOn",      "MicroOff",
    "Space",  "CPP10",   "CPP12",    "CPP17",     "CPP20",       "ExpandOn",     "ExpandOff",
    "BoldOn", "BoldOff", "ItalicOn", "ItalicOff", "UnderlineOn", "UnderlineOff", "RAW"};

bool isQuoted(const QString &token)
{
    return !token.isEmpty() && token.front() == u'\'' && token.back() == u'\'';
}

// Splits a value into its tokens up to (not including) the first empty one.
QStringList tokensOf(const QString &value)
{
    QStringList tokens;
    if (value.isEmpty())
        return tokens;
    for (const QString &token : value.split(u','))
        if (token.isEmpty())
            break;
        else
            tokens.append(token);
    return tokens;
}

char byteOf(int code)
{
    return static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
}

} // namespace

QString DraftCommandName(TRLDraftCommand command)
{
    return QString::fromLatin1(kCommandNames[static_cast<size_t>(command)]);
}

QStringList DraftFamilyCommands(TRLPrinterFamily family)
{
    if (family == TRLPrinterFamily::fmCustom)
        return {};
    // ESC/P 2 printers count fine feeds in 1/360 inch (ESC +), the older ones
    // in 1/72 inch (ESC A); everything else is shared.
    const QString microOn =
        family == TRLPrinterFamily::fmESCP2 ? QStringLiteral("27,'+',#") : QStringLiteral("27,'A',#");
    return {
        QStringLiteral("CR=13"),
        QStringLiteral("LF=10"),
        QStringLiteral("BS=8"),
        QStringLiteral("FF=12"),
        QStringLiteral("Reset=27,'@',27,'x0'"),
        QStringLiteral("MicroOn=") + microOn,
        QStringLiteral("MicroOff=27,'2'"),
        QStringLiteral("Space=32"),
        QStringLiteral("CPP10=27,'P',18"),
        QStringLiteral("CPP12=27,'M',18"),
        QStringLiteral("CPP17=27,'P',15"),
        QStringLiteral("CPP20=27,'M',15"),
        QStringLiteral("ExpandOn=27,'W',1"),
        QStringLiteral("ExpandOff=27,'W',0"),
        QStringLiteral("BoldOn=27,'G'"),
        QStringLiteral("BoldOff=27,'H'"),
        QStringLiteral("ItalicOn=27,'4'"),
        QStringLiteral("ItalicOff=27,'5'"),
        QStringLiteral("UnderlineOn=27,'-1'"),
        QStringLiteral("UnderlineOff=27,'-0'"),
        QStringLiteral("RAW=27,'L',#l,#h"),
    };
}

std::string ExpandDraftCommand(const QString &value, int p)
{
    std::string out;
    for (const QString &token : tokensOf(value)) {
        if (isQuoted(token))
            out += cp1252::encode(token.mid(1, token.size() - 2));
        else if (token == u'#')
            out += byteOf(p);
        else if (token.compare(QLatin1String("#l"), Qt::CaseInsensitive) == 0)
            out += byteOf(p % 256);
        else if (token.compare(QLatin1String("#h"), Qt::CaseInsensitive) == 0)
            out += byteOf(p / 256);
        else if (token == u'$')
            out += std::to_string(p);
        else
            out += byteOf(StrToInt(token));
    }
    return out;
}

QString DraftCommandValue(const QStringList &commands, const QString &name)
{
    for (const QString &line : commands) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

TRLDraftCommandTable::TRLDraftCommandTable(const QStringList &commands) : FCommands(commands)
{}

const TRLDraftCommandTable::Compiled &TRLDraftCommandTable::compiled(TRLDraftCommand command)
{
    auto &slot = FCompiled[static_cast<size_t>(command)];
    if (slot)
        return *slot;
    Compiled c;
    auto literal = [&c]() -> std::string & {
        if (c.pieces.empty() || c.pieces.back().kind != Piece::Bytes)
            c.pieces.push_back(Piece{});
        return c.pieces.back().bytes;
    };
    auto param = [&c](Piece::Kind kind) {
        c.pieces.push_back(Piece{kind, {}});
        c.constant = false;
    };
    for (const QString &token : tokensOf(DraftCommandValue(FCommands, DraftCommandName(command)))) {
        if (isQuoted(token))
            literal() += cp1252::encode(token.mid(1, token.size() - 2));
        else if (token == u'#')
            param(Piece::Param);
        else if (token.compare(QLatin1String("#l"), Qt::CaseInsensitive) == 0)
            param(Piece::ParamLow);
        else if (token.compare(QLatin1String("#h"), Qt::CaseInsensitive) == 0)
            param(Piece::ParamHigh);
        else if (token == u'$')
            param(Piece::ParamDecimal);
        else
            literal() += byteOf(StrToInt(token));
    }
    if (c.constant && c.pieces.empty())
        c.pieces.push_back(Piece{});
    slot = std::move(c);
    return *slot;
}

void TRLDraftCommandTable::Append(std::string &out, TRLDraftCommand command, int p)
{
    const Compiled &c = compiled(command);
    if (c.constant) {
        out += c.pieces.front().bytes;
        return;
    }
    for (const Piece &piece : c.pieces) {
        switch (piece.kind) {
        case Piece::Bytes: out += piece.bytes; break;
        case Piece::Param: out += byteOf(p); break;
        case Piece::ParamLow: out += byteOf(p % 256); break;
        case Piece::ParamHigh: out += byteOf(p / 256); break;
        case Piece::ParamDecimal: out += std::to_string(p); break;
        }
    }
}

} // namespace prenso
