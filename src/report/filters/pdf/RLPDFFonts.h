#pragma once
// The fonts of a PDF document: registered as texts meet them (by name,
// letter case ignored, and style), numbered /F1, /F2 … in that order, and
// written once at the end, when every character each one shows is known.
//
// Embedded, a font carries the program of the very face the screen and the
// printer use, cut down to the characters shown, as a simple font with the
// WinAnsi encoding: the texts stay Windows-1252 bytes. Not embedded, the 14
// names every reader knows are written as such, any other font as TrueType
// widths and a descriptor, and the reader brings a face of its own.

#include "platform/graphics/fontface.h"
#include "platform/graphics/valuetypes.h"

#include <QString>

#include <bitset>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace prenso {

class TRLPDFFile;
struct TRLMetaFontMetrics;

class TRLPDFFonts {
public:
    // Fills metrics for a font: widths in thousandths of an em.
    using FontMetricsProvider = std::function<void(const QString &name, TFontStyles style, TRLMetaFontMetrics &)>;

    // The number (from 1) of the font `name` (at most 127 characters count)
    // in `style` (its four low bits), registering it on first sight with an
    // object number reserved in `file`. `face` is the realised face, the one
    // embedded.
    int Register(TRLPDFFile &file, const QString &name, TFontStyles style,
                 const std::shared_ptr<const fonts::FontFace> &face);
    // Font `number` shows the bytes of `text`.
    void NoteShown(int number, std::string_view text)
    {
        std::bitset<256> &shown = FFonts[static_cast<size_t>(number - 1)].Shown;
        for (const unsigned char c : text)
            shown.set(c);
    }
    // Writes every font's objects. Raises what the metrics provider raises;
    // with `required`, also an error naming a font whose face cannot be
    // embedded (an archive must not depend on the reader's fonts).
    enum class Embedding { Off, WhereFaceAllows, Required };
    void WriteAll(TRLPDFFile &file, const FontMetricsProvider &metrics, Embedding embedding);

    int Count() const { return static_cast<int>(FFonts.size()); }
    int ObjectNumber(int number) const { return FFonts[static_cast<size_t>(number - 1)].ObjectNumber; }
    void Clear();

private:
    struct Entry {
        QString Name;
        TFontStyles Style = 0;
        int ObjectNumber = 0;
        std::shared_ptr<const fonts::FontFace> Face; // null: no outline face
        std::bitset<256> Shown;
    };
    void WriteFont(TRLPDFFile &file, int index, const FontMetricsProvider &metrics, Embedding embedding);

    std::vector<Entry> FFonts;
    int FLast = 0; // texts come in runs of one font
};

} // namespace prenso
