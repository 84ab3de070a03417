#include "report/storage/RLMacroList.h"

#include "platform/system/codepage.h"
#include "platform/system/errors.h"

namespace prenso {

namespace {

// Letter case folding for Windows-1252: ASCII, the Latin-1 letters and the
// few letters of 0x80..0x9F.
unsigned char foldCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

} // namespace

bool SameMacroText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view TrimMacroText(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

bool ParseMacroInt(std::string_view text, int &value)
{
    return TryStrToInt(cp1252::decode(text), value);
}

int TRLMacroList::IntValue(std::string_view name, int fallback) const
{
    std::string_view v;
    int n = 0;
    if (Find(name, v) && ParseMacroInt(v, n))
        return n;
    return fallback;
}

double TRLMacroList::MillimetreValue(std::string_view name) const
{
    std::string_view v;
    if (!Find(name, v))
        return 0;
    QString text = cp1252::decode(TrimMacroText(v));
    text.replace(u',', u'.');
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok ? d : 0;
}

void TRLMacroList::SetMillimetreValue(std::string_view name, double mm)
{
    SetValue(name, QString::number(mm, 'f', 4).toStdString());
}

void TRLMacroList::AddStrings(const TRLMacroList &other)
{
    if (&other == this) {
        const std::vector<std::string> copy = FLines;
        FLines.insert(FLines.end(), copy.begin(), copy.end());
        return;
    }
    FLines.insert(FLines.end(), other.FLines.begin(), other.FLines.end());
}

int TRLMacroList::IndexOfName(std::string_view name) const
{
    // A line names `name` when its first "=" follows it. Looking at the byte
    // after the name first costs the same for every line, however long: a
    // page's texts look names up far more often than lines are added.
    if (name.find('=') != std::string_view::npos)
        return -1;
    const size_t n = name.size();
    for (size_t i = 0; i < FLines.size(); ++i) {
        const std::string &line = FLines[i];
        if (line.size() > n && line[n] == '=' && SameMacroText(std::string_view(line).substr(0, n), name))
            return static_cast<int>(i);
    }
    return -1;
}

bool TRLMacroList::Find(std::string_view name, std::string_view &value) const
{
    const int i = IndexOfName(name);
    if (i < 0)
        return false;
    const std::string &line = FLines[static_cast<size_t>(i)];
    value = std::string_view(line).substr(line.find('=') + 1);
    return true;
}

std::string TRLMacroList::Value(std::string_view name) const
{
    std::string_view v;
    return Find(name, v) ? std::string(v) : std::string();
}

void TRLMacroList::SetValue(std::string_view name, std::string_view value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append("=").append(value);
    if (i >= 0)
        FLines[static_cast<size_t>(i)] = std::move(line);
    else
        FLines.push_back(std::move(line));
}

QString TRLMacroList::ValueText(const QString &name) const
{
    return cp1252::decode(Value(cp1252::encode(name)));
}

void TRLMacroList::SetValueText(const QString &name, const QString &value)
{
    SetValue(cp1252::encode(name), cp1252::encode(value));
}

} // namespace prenso
