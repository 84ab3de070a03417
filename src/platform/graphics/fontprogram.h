#pragma once
// The font program behind a realised font, cut down to the glyphs a
// document shows, for embedding in a PDF file: a document printed or
// archived must look the same wherever it is opened, so it carries the very
// face the screen and the printer used.

#include <QByteArray>
#include <QString>

#include <span>

namespace prenso::fonts {

class FontFace;

enum class FontProgramKind {
    None,     // no scalable outlines to embed (a bitmap or Type 1 face)
    TrueType, // a TrueType font file (glyf outlines)
    Cff,      // a bare CFF font program (from an OpenType face with CFF outlines)
};

struct FontProgram {
    FontProgramKind kind = FontProgramKind::None;
    QByteArray data;
    // The face's PostScript name (name table entry 6), or its family name
    // without blanks when it has none.
    QString postScriptName;
};

// The program of `face` reduced to the glyphs for `characters` (Unicode
// values; ones the face has no glyph for are left out) and the glyph every
// font must have first. Hinting and layout tables are dropped: neither a
// printer nor a viewer needs them for text that is already positioned.
// Gives kind None when the face has no outline tables or cannot be reduced.
FontProgram subsetFontProgram(const FontFace &face, std::span<const char32_t> characters);

} // namespace prenso::fonts
