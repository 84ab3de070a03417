#include "support/escp_reader.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace prenso::test {

namespace {

// Accented letters and how a printer without them overstrikes them.
const std::map<std::pair<char, char>, char> &accentCombinations()
{
    static const std::map<std::pair<char, char>, char> table = [] {
        std::map<std::pair<char, char>, char> t;
        const QByteArray letters = QStringLiteral(u"áàãâäÁÀÃÂÄéèêëÉÈÊËíìîïÍÌÎÏóòõôöÓÒÕÔÖúùûüÚÙÛÜçÇºª").toLatin1();
        const QByteArray marks = QStringLiteral(u"'`~^¨'`~^¨'`^¨'`^¨'`^¨'`^¨'`~^¨'`~^¨'`^¨'`^¨,,__").toLatin1();
        const QByteArray bases = QStringLiteral(u"aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUcCoa").toLatin1();
        for (qsizetype i = 0; i < letters.size(); ++i)
            t[{marks[i], bases[i]}] = letters[i];
        return t;
    }();
    return table;
}

bool flagOf(unsigned char n)
{
    return n == 1 || n == '1';
}

} // namespace

EscpReader::EscpReader(std::string_view b)
{
    newPage();
    size_t i = 0;
    auto need = [&](size_t n) {
        if (i + n > b.size()) {
            m_errors.push_back("stream ends inside a command at offset " + std::to_string(i));
            return false;
        }
        return true;
    };
    while (i < b.size()) {
        const auto c = static_cast<unsigned char>(b[i++]);
        switch (c) {
        case 13: m_x = 0; break;
        case 10: m_y += m_lineSpacing; break;
        case 12:
            ++m_formFeeds;
            page().endY = m_y;
            newPage();
            m_x = m_y = 0;
            break;
        case 8: m_x = std::max(0, m_x - charWidth()); break;
        case 15: m_condensed = true; break;
        case 18: m_condensed = false; break;
        case 27: {
            if (!need(1))
                break;
            const auto cmd = static_cast<unsigned char>(b[i++]);
            switch (cmd) {
            case '@':
                ++m_resets;
                m_lineSpacing = 60;
                m_elite = m_condensed = m_expanded = false;
                m_bold = m_italic = m_underline = false;
                break;
            case 'x':
                if (need(1))
                    ++i;
                break;
            case 'A':
                if (need(1))
                    m_lineSpacing = 5 * static_cast<unsigned char>(b[i++]);
                break;
            case '+':
                if (need(1))
                    m_lineSpacing = static_cast<unsigned char>(b[i++]);
                break;
            case '2': m_lineSpacing = 60; break;
            case 'P': m_elite = false; break;
            case 'M': m_elite = true; break;
            case 'W':
                if (need(1))
                    m_expanded = flagOf(static_cast<unsigned char>(b[i++]));
                break;
            case 'G': m_bold = true; break;
            case 'H': m_bold = false; break;
            case '4': m_italic = true; break;
            case '5': m_italic = false; break;
            case '-':
                if (need(1))
                    m_underline = flagOf(static_cast<unsigned char>(b[i++]));
                break;
            case 'L': {
                if (!need(2))
                    break;
                const int n = static_cast<unsigned char>(b[i]) + 256 * static_cast<unsigned char>(b[i + 1]);
                i += 2;
                if (!need(static_cast<size_t>(n)))
                    break;
                page().images.push_back(EscpImage{m_x, m_y, std::string(b.substr(i, static_cast<size_t>(n)))});
                i += static_cast<size_t>(n);
                m_x += n;
                break;
            }
            default: {
                char buf[64];
                std::snprintf(buf, sizeof buf, "unknown command ESC 0x%02X at offset %zu", cmd, i - 2);
                m_errors.push_back(buf);
            }
            }
            break;
        }
        default:
            if (c < 32 || c == 127) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "unknown control byte 0x%02X at offset %zu", c, i - 1);
                m_errors.push_back(buf);
            } else if (c == ' ') {
                m_x += charWidth();
            } else {
                auto &chars = page().chars;
                if (!chars.empty() && chars.back().x == m_x && chars.back().y == m_y) {
                    chars.back().strokes += static_cast<char>(c);
                } else {
                    chars.push_back(EscpChar{m_x, m_y, charWidth(), std::string(1, static_cast<char>(c)), m_bold,
                                             m_italic, m_underline});
                }
                m_x += charWidth();
            }
        }
    }
    page().endY = m_y;
}

void EscpReader::newPage()
{
    m_pages.emplace_back();
}

int EscpReader::charWidth() const
{
    int w = m_elite ? (m_condensed ? 6 : 10) : (m_condensed ? 7 : 12);
    return m_expanded ? 2 * w : w;
}

char EscpReader::cellChar(const EscpChar &c)
{
    if (c.strokes.size() == 2) {
        const auto &t = accentCombinations();
        if (auto it = t.find({c.strokes[0], c.strokes[1]}); it != t.end())
            return it->second;
    }
    return c.strokes.empty() ? ' ' : c.strokes.back();
}

std::vector<std::string> EscpReader::grid(size_t pageIndex, int cellX, int cellY) const
{
    std::vector<std::string> lines;
    if (pageIndex >= m_pages.size())
        return lines;
    for (const EscpChar &c : m_pages[pageIndex].chars) {
        const size_t row = static_cast<size_t>(c.y / cellY);
        const size_t col = static_cast<size_t>(c.x / cellX);
        if (lines.size() <= row)
            lines.resize(row + 1);
        if (lines[row].size() <= col)
            lines[row].resize(col + 1, ' ');
        lines[row][col] = cellChar(c);
    }
    return lines;
}

std::vector<EscpReader::Line> EscpReader::lines(size_t pageIndex) const
{
    std::map<int, std::string> rows;
    if (pageIndex >= m_pages.size())
        return {};
    for (const EscpChar &c : m_pages[pageIndex].chars) {
        std::string &row = rows[c.y];
        const size_t col = static_cast<size_t>(c.x / std::max(1, c.width));
        if (row.size() <= col)
            row.resize(col + 1, ' ');
        row[col] = cellChar(c);
    }
    std::vector<Line> out;
    for (auto &[y, text] : rows)
        out.push_back(Line{y, std::move(text)});
    return out;
}

std::vector<EscpReader::Run> EscpReader::runs(size_t pageIndex) const
{
    std::vector<Run> out;
    if (pageIndex >= m_pages.size())
        return out;
    for (const EscpChar &c : m_pages[pageIndex].chars) {
        if (!out.empty()) {
            Run &r = out.back();
            if (r.y == c.y && r.x + static_cast<int>(r.text.size()) * r.width == c.x && r.width == c.width &&
                r.bold == c.bold && r.italic == c.italic && r.underline == c.underline) {
                r.text += cellChar(c);
                continue;
            }
        }
        out.push_back(Run{c.x, c.y, std::string(1, cellChar(c)), c.width, c.bold, c.italic, c.underline});
    }
    return out;
}

std::string hex(std::string_view bytes)
{
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(bytes[i]));
        if (i)
            out += ' ';
        out += buf;
    }
    return out;
}

std::string hexDiff(std::string_view expected, std::string_view actual)
{
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    if (at == expected.size() && at == actual.size())
        return "(equal)";
    const size_t from = at >= 16 ? (at - 16) & ~size_t(15) : 0;
    auto window = [&](std::string_view s) {
        if (from >= s.size())
            return std::string("(ends)");
        return hex(s.substr(from, 48));
    };
    return "first difference at offset " + std::to_string(at) + " (expected " + std::to_string(expected.size()) +
           " bytes, got " + std::to_string(actual.size()) + ")\n  from offset " + std::to_string(from) +
           "\n  expected: " + window(expected) + "\n  actual:   " + window(actual);
}

} // namespace prenso::test
