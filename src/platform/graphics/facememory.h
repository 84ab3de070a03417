#pragma once
// The faces the toolkit chose for the program's fonts, remembered between
// runs.
//
// Realising the first font of a run means reading the font configuration
// and the toolkit's font database: on a short print job that is a third of
// the run. A print job uses a handful of fonts, the same from one run to the
// next, so once the toolkit has chosen a face for a font the program notes
// which font file it came from and the glyph of every code-page character,
// and later runs read the face from that file (FontFace::fromFile) without
// asking either. Only faces whose every measure the program takes from the
// face's own tables are remembered (TrueType outlines, not variable): a run
// that reads one lays out and embeds exactly what the toolkit's face gives.
//
// The memory holds while the installed fonts and their configuration are
// as they were: with it go the modification times of every font folder and
// configuration file the font configuration read (and of the user's own
// configuration places, also when they did not exist), the configuration's
// environment and the toolkit's version. Anything changed, the memory is
// dropped and written afresh as the toolkit chooses again; a remembered
// file that changed is chosen again too. It lives in the user's cache
// folder ($XDG_CACHE_HOME or ~/.cache, prenso/faces); where that cannot be
// written, nothing is remembered and every run asks the toolkit.

#include <QRawFont>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace prenso::fonts {

class FontFace;

// What a face is chosen by: the font's name (letter case ignored), its
// weight, its slant and whether it asks for a fixed pitch.
QString faceKey(const QString &name, bool bold, bool italic, bool fixedPitch);

struct RememberedFace {
    std::shared_ptr<const FontFace> face;
    std::array<quint32, 256> glyphs{}; // by Windows-1252 byte, as the toolkit mapped them
};

// Reads the memory once per run; true when it still describes the installed
// fonts and remembers at least one face.
bool loadFaceMemory();

// The face remembered for `key`, when the memory holds and its file is as it
// was.
std::optional<RememberedFace> rememberedFace(const QString &key);

// Notes the face the toolkit realised for `key` and the glyphs it mapped the
// code page to, and writes the memory. Faces it cannot find the file of, or
// that are not measured from their tables, are left out.
void rememberFace(const QString &key, const QRawFont &raw, const std::array<quint32, 256> &glyphs);

// Whether the faces remembered are read at all (they are unless told
// otherwise). A run that shows windows reads the font configuration and the
// toolkit's font database for the windows anyway, and draws the pages it
// lays out: it realises its faces through the toolkit as it always did, and
// only keeps the memory up to date.
void useRememberedFaces(bool use);

// Where the memory is kept; empty when the user has no cache folder.
QString faceMemoryFile();

// Forgets what this process read or wrote, so that the next call reads the
// memory file again (tests that change it).
void forgetFaceMemory();

} // namespace prenso::fonts
