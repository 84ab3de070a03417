#pragma once
// The small pictures of the preview window's toolbar, drawn rather than
// shipped so that they stay sharp at any pixel density.

#include <QIcon>

#include <cstdint>

namespace prenso::glyphs {

enum class Glyph : std::uint8_t {
    First,
    Prior,
    Next,
    Last,
    ZoomDown,
    ZoomUp,
    Views,
    Edit,
    Print,
    Save,
    Send,
    Close,
    About
};

// The picture of `glyph`, 16 by 16 at three times the resolution.
QIcon glyphIcon(Glyph glyph);

} // namespace prenso::glyphs
