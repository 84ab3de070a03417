#pragma once
// Synthetic form text for benchmarks: lines that look like the business
// system's printouts (codes, names, amounts), reproducible from a seed.

#include <cstdint>
#include <string>

namespace prenso::bench {

// Line `n` of a form `width` characters wide, Windows-1252 bytes.
std::string formLine(std::uint32_t n, int width);

} // namespace prenso::bench
