#pragma once
// The name=value lines a page and a page storage carry ("PageNo",
// "Orientation", "PaperWidth", ...); texts refer to them as {name}.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace prenso {

// Name=value lines, names compared without regard to letter case. The
// values are Windows-1252 bytes like the page texts they expand into.
class TRLMacroList {
public:
    // The most lines a list read from a file may have. Pages and storages
    // carry a handful ("PageNo", "Title", the paper); every text looks its
    // names up in the lists, so a file may not make them arbitrarily long.
    static constexpr int kMaxStoredCount = 4096;

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string &Strings(int index) const { return FLines.at(static_cast<size_t>(index)); }
    const std::vector<std::string> &Lines() const { return FLines; }
    void Add(std::string line) { FLines.push_back(std::move(line)); }
    void Delete(int index) { FLines.erase(FLines.begin() + index); }
    void Clear() { FLines.clear(); }
    void AddStrings(const TRLMacroList &other);

    // Index of the line whose name (text before the first "=") is `name`, or -1.
    int IndexOfName(std::string_view name) const;
    // True and the value when the name is there.
    bool Find(std::string_view name, std::string_view &value) const;
    std::string Value(std::string_view name) const;
    // Replaces or appends the line; an empty value removes it.
    void SetValue(std::string_view name, std::string_view value);
    QString ValueText(const QString &name) const;
    void SetValueText(const QString &name, const QString &value);

    // The value read as an integer, or `fallback` when missing or not a number.
    int IntValue(std::string_view name, int fallback) const;
    // A length in millimetres (a decimal comma is taken too), 0 when missing.
    double MillimetreValue(std::string_view name) const;
    void SetMillimetreValue(std::string_view name, double mm);

private:
    std::vector<std::string> FLines;
};

// Macro names and the lines of stored files compare with Windows-1252 letter
// case folded; blanks and control characters at either end do not count.
bool SameMacroText(std::string_view a, std::string_view b);
std::string_view TrimMacroText(std::string_view s);
bool ParseMacroInt(std::string_view text, int &value);

} // namespace prenso
