#pragma once
// The settings of the draft filter, which prints stored pages on dot-matrix
// printers in their own text mode. Each enumeration keeps its values in the
// order the form files store them (the first is 0).

#include <cstdint>

namespace prenso {

// Where the printer commands go.
enum class TRLDeviceKind { dkPrinter, dkPrinterPort, dkProgram, dkFileName };

// How accented letters reach a printer that may lack them.
enum class TRLDraftAccentMethod { amOverwrite, amTakeOut, amSustain };

// The printer's character table the texts are sent in: none sends the
// system code page's bytes (accents as the accent method says).
enum class TRLDraftCharTable { ctNone, ctPC437, ctPC850, ctPC858, ctPC860, ctAbicomp, ctBrascii };

// How a page is finished.
enum class TRLDraftEjectMethod { ejCompletePage, ejForceWithCode, ejLeavePage };

// Which built-in command table the printer understands.
enum class TRLPrinterFamily { fmCustom, fmEpsonLike, fmESCP2 };

// How pictures are turned into black and white dots.
enum class TRLDitheringMethod { dmNone, dmColorTable, dmErrorDiffusion };

// How dark frames are drawn in characters.
enum class TRLLineDrawMethod { ldNone, ldMinusAndPipe, ldGraphicCharset };

// How dark filled bars are drawn in characters.
enum class TRLFillArtMethod { fmNone, fmLetterX, fmGraphicCharset };

// Which form (carriage width) is chosen before printing.
enum class TRLFormSelection { fsNone, fsAccordingToOrientation, fs80Cols, fs132Cols };

// When a font's size is scaled along with the page before the pitch is chosen.
enum class TRLStretchCharWidth { scNone, scEnlargementsOnly, scShrinksOnly, scAlways };

// Which text styles are passed on to the printer.
enum class TRLDraftTextDecoration { ddIncludeNone, ddIncludeAll, ddCustomized };

// Fixed pitches or a pitch chosen from each font.
enum class TRLCPPSelection { csAutomatic, csFixed5CPP, csFixed10CPP, csFixed12CPP, csFixed17CPP, csFixed20CPP };

// A set of text styles, as bits.
using TRLDraftTextStyles = std::uint8_t;
inline constexpr TRLDraftTextStyles tsItalic = 1;
inline constexpr TRLDraftTextStyles tsBold = 2;
inline constexpr TRLDraftTextStyles tsUnderline = 4;
inline constexpr TRLDraftTextStyles tsAllDraftTextStyles = tsItalic | tsBold | tsUnderline;

} // namespace prenso
