#pragma once
// The canvas routines every output that draws stored pages shares: clipping,
// text placement with alignment and justification, pictures with parity,
// and lines drawn with wide dashed pens.

#include "platform/graphics/valuetypes.h"
#include "report/storage/RLMetaTypes.h"

#include <string>
#include <string_view>

namespace prenso {

class FontResource;
class TCanvas;

// Clips drawing to r; a rectangle without width or height removes clipping.
void CanvasSetClipRect(TCanvas &canvas, const TRect &r);
void CanvasResetClipRect(TCanvas &canvas);
// Draws a stored text: half a space in from the left, aligned, laid out and
// justified in r; clipped to r unless `flags` has MetaTextFlagAutoSize.
void CanvasTextRectEx(TCanvas &canvas, const TRect &r, int left, int top, std::string_view text,
                      TRLMetaTextAlignment alignment, TRLMetaTextLayout layout, TRLMetaTextFlags flags);
// The text as CanvasTextRectEx would justify it for `maxWidth` pixels of room.
std::string CanvasJustifyText(const TCanvas &canvas, std::string_view text, int maxWidth);
std::string CanvasJustifyText(const FontResource &font, std::string_view text, int maxWidth);

// Where CanvasTextRectEx puts a text in `font`: the top left corner of its
// cell, and for justified texts the text with the spaces it gains. Outputs
// that draw texts themselves (the printer's PDF) place them so too.
struct TRLTextPlacement {
    int X = 0;
    int Y = 0;
    std::string Justified;
    bool IsJustified = false;
};
TRLTextPlacement CanvasTextPlacement(const FontResource &font, const TRect &r, int left, int top, std::string_view text,
                                     TRLMetaTextAlignment alignment, TRLMetaTextLayout layout);
// Draws stored picture data stretched into r; with parity the drawn width is
// a whole multiple of the picture's width plus one pixel. With `palette` the
// picture is reduced to 256 colours first, as printers take pictures.
void CanvasStretchDraw(TCanvas &canvas, const TRect &r, std::string_view data, bool parity, bool palette = false);
// A line from the pen position to (x, y); wide dashed pens get dashes of
// 4 × width units that follow the segment in any direction.
void CanvasLineToEx(TCanvas &canvas, int x, int y);

} // namespace prenso
