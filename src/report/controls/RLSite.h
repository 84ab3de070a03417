#pragma once
// Sites: controls with children and a drawing surface of their own, which
// align their children and place their surface on the page.

#include "report/controls/RLBackground.h"
#include "report/controls/RLBorders.h"
#include "report/controls/RLControl.h"

#include <array>
#include <memory>
#include <vector>

namespace prenso {

class TRLCustomSite : public TRLCustomControl {
public:
    explicit TRLCustomSite(TRLCustomSite *parent);
    ~TRLCustomSite() override;

    // Children, in creation order; the site owns them.
    template <typename T, typename... Args>
    T *AddChild(Args &&...args)
    {
        auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
        T *raw = child.get();
        FChildren.push_back(std::move(child));
        ChildAdded(raw);
        return raw;
    }
    const std::vector<std::unique_ptr<TRLCustomControl>> &Children() const { return FChildren; }

    TRLMargins &Margins() { return FMargins; }
    TRLMargins &InsideMargins() { return FInsideMargins; }
    TRLBackground &Background() { return FBackground; }
    TRLDegradeEffect &Degrade() { return FDegrade; }
    TRLGraphicSurface &Surface() { return *FSurface; }
    TPoint PrintPosition() const { return FPrintPosition; }
    TPoint PrintSize() const { return FPrintSize; }
    TRLOnDrawEvent OnDraw;

    void RealignControls() override;
    void CalcSize(int &width, int &height) override;
    TRect CalcNonClientRect() const override;
    void Initialize() override;
    void ComputeDetail(TRLCustomControl *caller) override;
    bool CanPrint() override;
    void InternalPrint() override;
    void InternalMeasureHeight() override;

    void OpenSurface();
    void CloseSurface();
    void DesignPaint(TCanvas &canvas, const TRect &rect) override;

    // Overridable steps of opening, writing and closing the surface.
    virtual void SurfaceOpening();
    virtual void SurfaceBeginDraw();
    virtual void SurfaceOpened() {}
    virtual void WriteSurface() {}
    virtual void SurfaceEndDraw() {}
    virtual void SurfaceClosing() {}
    virtual void SurfaceClosed() {}
    virtual void MarkPrintPosition();
    virtual void PlaceSurface();
    virtual void DrawFrame(TRLGraphicSurface &surface, const TRect &rect);
    virtual TRect CalcMarginalPixels() const;

    // Saves and restores the bounds of the site and every control inside it.
    void PushBoundsRecursivePublic() { PushBoundsRecursive(); }
    void PopBoundsRecursivePublic() { PopBoundsRecursive(); }

protected:
    void BoundsChanged() override { FPrintSize = TPoint{Width(), Height()}; }
    // Every child at its place inside `rect`, the site's place on the canvas.
    void DesignPaintChildren(TCanvas &canvas, const TRect &rect);
    virtual void ChildAdded(TRLCustomControl *) { RealignControls(); }
    // The engine controls inside this site (and inside its non-site children), in creation order.
    void CollectControls(std::vector<TRLCustomControl *> &out) const;
    void PushBoundsRecursive();
    void PopBoundsRecursive();

    TPoint FPrintPosition;
    TPoint FPrintSize;

private:
    void alignChildren();
    void alignEdges(const TRect &r); // the steps that place one edge or one extent only

    std::vector<std::unique_ptr<TRLCustomControl>> FChildren;
    // The children by Align, kept between alignments to spare allocations.
    std::array<std::vector<TRLCustomControl *>, Ord(TRLControlAlign::faAlignCount)> FAlignLists;
    // The plain controls SurfaceBeginDraw walks, kept for its room.
    std::vector<TRLCustomControl *> FDrawList;
    std::uint32_t FAlignsUsed = 0; // bit per Align whose list is filled
    TRLMargins FMargins;
    TRLMargins FInsideMargins;
    TRLBackground FBackground{this};
    TRLDegradeEffect FDegrade;
    std::unique_ptr<TRLGraphicSurface> FSurface;
    int FLastClientWidth = -1, FLastClientHeight = -1;
};

class TRLCustomBandSet : public TRLCustomSite {
public:
    using TRLCustomSite::TRLCustomSite;
    bool IntegralHeightSet() const { return FIntegralHeight; }
    bool IsFirstBandSet() const { return true; }
    int BandSetCount() const { return 1; }

private:
    bool FIntegralHeight = false;
};

} // namespace prenso
