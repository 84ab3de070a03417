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

    bool IsSite() const override { return true; }

    // Children, in creation order; the site owns them.
    template <typename T, typename... Args>
    T *AddChild(Args &&...args)
    {
        auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
        T *raw = child.get();
        m_children.push_back(std::move(child));
        ChildAdded(raw);
        return raw;
    }
    const std::vector<std::unique_ptr<TRLCustomControl>> &Children() const { return m_children; }

    TRLMargins &Margins() { return m_margins; }
    TRLMargins &InsideMargins() { return m_insideMargins; }
    TRLBackground &Background() { return m_background; }
    TRLDegradeEffect &Degrade() { return m_degrade; }
    TRLGraphicSurface &Surface() { return *m_surface; }
    TPoint PrintPosition() const { return m_printPosition; }
    TPoint PrintSize() const { return m_printSize; }
    void SetPrintSize(TPoint p) { m_printSize = p; }
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
    void BoundsChanged() override { m_printSize = TPoint{Width(), Height()}; }
    // Every child at its place inside `rect`, the site's place on the canvas.
    void DesignPaintChildren(TCanvas &canvas, const TRect &rect);
    virtual void ChildAdded(TRLCustomControl *) { RealignControls(); }
    // The engine controls inside this site (and inside its non-site children), in creation order.
    void CollectControls(std::vector<TRLCustomControl *> &out) const;
    void PushBoundsRecursive();
    void PopBoundsRecursive();

    TPoint m_printPosition;
    TPoint m_printSize;

private:
    void alignChildren();

    std::vector<std::unique_ptr<TRLCustomControl>> m_children;
    // The children by Align, kept between alignments to spare allocations.
    std::array<std::vector<TRLCustomControl *>, faAlignCount> m_alignLists;
    std::uint32_t m_alignsUsed = 0; // bit per Align whose list is filled
    TRLMargins m_margins;
    TRLMargins m_insideMargins;
    TRLBackground m_background{this};
    TRLDegradeEffect m_degrade;
    std::unique_ptr<TRLGraphicSurface> m_surface;
    int m_lastClientWidth = -1, m_lastClientHeight = -1;
};

class TRLCustomBandSet : public TRLCustomSite {
public:
    using TRLCustomSite::TRLCustomSite;
    bool IntegralHeightSet() const { return m_integralHeight; }
    void SetIntegralHeightSet(bool v) { m_integralHeight = v; }
    bool IsFirstBandSet() const { return true; }
    int BandSetCount() const { return 1; }

private:
    bool m_integralHeight = false;
};

} // namespace prenso
