#pragma once
// Generated forms for the benchmarks: long, realistic Windows-1252 text.

#include <QString>

#include <cstdint>
#include <string>

namespace prenso::bench {

// A form of `lines` lines of up to 132 characters of accented Portuguese
// text, with a form feed at the start of every 66th line, lines ending in CR LF.
std::string makeForm(int lines);

// Writes makeForm(lines) to a file in the temporary folder (once per process
// and size) and returns its path.
QString formFile(int lines);

// Line `n` of a form `width` characters wide (codes, names, amounts),
// Windows-1252 bytes.
std::string formLine(std::uint32_t n, int width);

} // namespace prenso::bench
