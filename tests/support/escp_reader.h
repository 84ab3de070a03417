#pragma once
// A small reader of ESC/P printer streams for tests: it plays the printer and
// tells what would come out where, so that tests can check the text of a
// page at its columns and rows instead of comparing opaque bytes only.
//
// Units: x in 1/120 inch from the left margin, y in 1/360 inch from the top
// of the page. It knows the commands a 9-pin text-mode printer takes:
// CR, LF, FF, BS, SI, DC2, ESC @, ESC x, ESC A, ESC +, ESC 2, ESC P, ESC M,
// ESC W, ESC G, ESC H, ESC 4, ESC 5, ESC -, ESC L. Anything else is an
// error, so a stray byte in a stream does not go unnoticed.

#include <string>
#include <string_view>
#include <vector>

namespace prenso::test {

struct EscpChar {
    int x = 0;
    int y = 0;
    int width = 12;      // 1/120 inch
    std::string strokes; // every byte printed in this cell, in order (overstrikes)
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct EscpImage {
    int x = 0;
    int y = 0;
    std::string columns; // one byte per dot column, bit 7 on top
};

struct EscpPage {
    std::vector<EscpChar> chars;
    std::vector<EscpImage> images;
    int endY = 0; // where the paper stood when the page ended
};

class EscpReader {
public:
    explicit EscpReader(std::string_view bytes);

    const std::vector<EscpPage> &pages() const { return m_pages; }
    const std::vector<std::string> &errors() const { return m_errors; }
    int resets() const { return m_resets; }
    int formFeeds() const { return m_formFeeds; }

    // A page as lines of text: characters placed in a grid of `cellX` by
    // `cellY` units (defaults: 10 characters per inch, 6 lines per inch).
    // Overstruck accent marks are read back as the accented letter
    // ("~" BS "a" gives "ã"); text is Windows-1252 bytes. Trailing blanks
    // are left out.
    std::vector<std::string> grid(size_t page, int cellX = 12, int cellY = 60) const;

    // A page as its printed lines, top to bottom: each line is the row's
    // characters placed by their own width (so a row printed at one pitch
    // from the margin reads back exactly), with the row's position.
    struct Line {
        int y = 0;
        std::string text;
    };
    std::vector<Line> lines(size_t page) const;

    // The characters of a page joined into runs: characters that touch, in
    // print order, each run with its starting position.
    struct Run {
        int x = 0;
        int y = 0;
        std::string text;
        int width = 12;
        bool bold = false, italic = false, underline = false;
    };
    std::vector<Run> runs(size_t page) const;

    // The byte one cell reads as (an overstruck mark and letter combined).
    static char cellChar(const EscpChar &c);

private:
    void newPage();
    EscpPage &page() { return m_pages.back(); }
    int charWidth() const;

    std::vector<EscpPage> m_pages;
    std::vector<std::string> m_errors;
    int m_resets = 0;
    int m_formFeeds = 0;
    int m_x = 0;
    int m_y = 0;
    int m_lineSpacing = 60; // 1/360 inch
    bool m_elite = false;   // 12 cpi
    bool m_condensed = false;
    bool m_expanded = false;
    bool m_bold = false, m_italic = false, m_underline = false;
};

// Hex dump of two byte strings side by side from their first difference,
// for failure messages.
std::string hexDiff(std::string_view expected, std::string_view actual);
std::string hex(std::string_view bytes);

} // namespace prenso::test
