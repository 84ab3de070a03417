#pragma once

#include "platform/graphics/valuetypes.h"
#include "report/controls/RLTypes.h"

#include <memory>

namespace prenso {

class TCanvas;
class TGraphic;
class TRLCustomSite;
class TRLGraphicSurface;

// A picture behind a site's content, drawn after the site's fill and before
// its OnDraw event and borders. The application sets none.
class TRLBackground {
public:
    explicit TRLBackground(TRLCustomSite *parent);
    ~TRLBackground();
    TRLBackground(const TRLBackground &) = delete;
    TRLBackground &operator=(const TRLBackground &) = delete;

    void SetPicture(std::unique_ptr<TGraphic> picture);
    bool Empty() const { return !FPicture || pictureEmpty(); }
    // TRLImageArrange::baAligned: at the top-left corner; TRLImageArrange::baSidebySide: tiled from there;
    // TRLImageArrange::baCenter: centred; TRLImageArrange::baDistributed: stretched over the whole rectangle.
    // A picture larger than the rectangle is cut at its edges.
    void SetArrange(TRLImageArrange v);
    // The site takes the picture's size, before any size it would take from
    // its children.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // With AutoSize and a picture: its size, and true.
    bool TakePictureSize(int &width, int &height) const;
    // Stretched over the whole rectangle whatever the arrangement.
    void SetStretch(bool v);

    void PaintTo(TRLGraphicSurface &surface, const TRect &rect) const;
    void PaintTo(TCanvas &canvas, const TRect &rect) const;

private:
    bool pictureEmpty() const;
    bool stretched() const { return FStretch || FArrange == TRLImageArrange::baDistributed; }
    void changed();
    TRLCustomSite *FParent;
    std::unique_ptr<TGraphic> FPicture;
    TRLImageArrange FArrange = TRLImageArrange::baAligned;
    bool FAutoSize = false;
    bool FStretch = false;
};

struct TRLDegradeEffect {
    TRLDegradeDirection Direction = TRLDegradeDirection::ddNone;
    TColor OppositeColor = clWhite;
    int Granularity = 1;
};

} // namespace prenso
