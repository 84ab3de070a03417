#pragma once
// Printer command bytes written out by hand from the command tables of the
// two printer families, so that the draft tests compare against the table
// and not against the code that expands it.

#include <string>

namespace prenso::test::escp {

inline const std::string CR = "\x0D";
inline const std::string LF = "\x0A";
inline const std::string CRLF = "\x0D\x0A";
inline const std::string BS = "\x08";
inline const std::string FF = "\x0C";
inline const std::string Reset = std::string("\x1B\x40\x1B\x78\x30", 5);
inline const std::string MicroOff = "\x1B\x32";
inline const std::string Space = " ";
inline const std::string CPP10 = "\x1B\x50\x12";
inline const std::string CPP12 = "\x1B\x4D\x12";
inline const std::string CPP17 = "\x1B\x50\x0F";
inline const std::string CPP20 = "\x1B\x4D\x0F";
inline const std::string ExpandOn = "\x1B\x57\x01";
inline const std::string ExpandOff = std::string("\x1B\x57\x00", 3);
inline const std::string BoldOn = "\x1B\x47";
inline const std::string BoldOff = "\x1B\x48";
inline const std::string ItalicOn = "\x1B\x34";
inline const std::string ItalicOff = "\x1B\x35";
inline const std::string UnderlineOn = "\x1B\x2D\x31";
inline const std::string UnderlineOff = "\x1B\x2D\x30";

// 1/72-inch fine feed (ESC A n), and the 1/360-inch one of ESC/P 2 (ESC + n).
inline std::string MicroOn(int p)
{
    return std::string("\x1B\x41", 2) + static_cast<char>(p);
}
inline std::string MicroOn2(int p)
{
    return std::string("\x1B\x2B", 2) + static_cast<char>(p);
}
inline std::string FineFeed(int p)
{
    return MicroOn(p) + CRLF + MicroOff;
}
inline std::string Raw(int p)
{
    return std::string("\x1B\x4C", 2) + static_cast<char>(p % 256) + static_cast<char>(p / 256);
}
inline std::string Spaces(int n)
{
    return std::string(static_cast<size_t>(n), ' ');
}
inline std::string Lines(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += CRLF;
    return s;
}

} // namespace prenso::test::escp
