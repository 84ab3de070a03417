#pragma once
// The frame a control draws around itself, and the margins a site keeps
// between its edges and its children.

#include "platform/graphics/valuetypes.h"
#include "report/controls/RLTypes.h"

namespace prenso {

class TCanvas;
class TRLCustomControl;
class TRLGraphicSurface;

class TRLBorders {
public:
    explicit TRLBorders(TRLCustomControl *parent) : FParent(parent) {}

    bool DrawLeft() const { return FDrawLeft; }
    bool DrawBottom() const { return FDrawBottom; }
    void SetDrawLeft(bool v)
    {
        FDrawLeft = v;
        changed();
    }
    void SetDrawTop(bool v)
    {
        FDrawTop = v;
        changed();
    }
    void SetDrawRight(bool v)
    {
        FDrawRight = v;
        changed();
    }
    void SetDrawBottom(bool v)
    {
        FDrawBottom = v;
        changed();
    }
    bool FixedLeft() const { return FFixedLeft; }
    void SetFixedLeft(bool v)
    {
        FFixedLeft = v;
        changed();
    }
    void SetFixedBottom(bool v)
    {
        FFixedBottom = v;
        changed();
    }
    int Width() const { return FWidth; }
    void SetWidth(int w)
    {
        FWidth = w;
        changed();
    }
    TColor Color() const { return FColor; }
    void SetColor(TColor c) { FColor = c; }
    int Style() const { return FStyle; }
    void SetStyle(int s) { FStyle = s; }
    TRLBorderSides Sides() const { return FSides; }
    void SetSides(TRLBorderSides sides);

    // A side is drawn when its flag is set and it is fixed or the master
    // report prints with full features.
    // Inline: client rectangles ask at every layout step.
    bool CanDrawLeft() const { return FDrawLeft && (FFixedLeft || fullFeature()); }
    bool CanDrawTop() const { return FDrawTop && (FFixedTop || fullFeature()); }
    bool CanDrawRight() const { return FDrawRight && (FFixedRight || fullFeature()); }
    bool CanDrawBottom() const { return FDrawBottom && (FFixedBottom || fullFeature()); }
    bool Visible() const { return FWidth > 0 && (CanDrawLeft() || CanDrawTop() || CanDrawRight() || CanDrawBottom()); }

    void PaintTo(TRLGraphicSurface &surface, const TRect &rect) const;
    void PaintTo(TCanvas &canvas, const TRect &rect) const;

private:
    template <class Target>
    void paint(Target &target, const TRect &rect) const;
    bool fullFeature() const; // the master report prints with full features
    void changed();

    TRLCustomControl *FParent;
    bool FDrawLeft = false, FDrawTop = false, FDrawRight = false, FDrawBottom = false;
    int FWidth = 1;
    TColor FColor = clBlack;
    int FStyle = 0;
    TRLBorderSides FSides = TRLBorderSides::sdNone;
    bool FFixedLeft = false, FFixedTop = false, FFixedRight = false, FFixedBottom = false;
};

class TRLMargins {
public:
    explicit TRLMargins(TRLCustomControl *parent) : FParent(parent) {}
    double LeftMargin() const { return FLeft; }
    double TopMargin() const { return FTop; }
    double RightMargin() const { return FRight; }
    double BottomMargin() const { return FBottom; }
    void SetLeftMargin(double v);
    void SetTopMargin(double v);
    void SetRightMargin(double v);
    void SetBottomMargin(double v);
    // The defaults a form file compares against.
    void SetDefaults(double left, double top, double right, double bottom);
    void Assign(const TRLMargins &source);
    // In pixels: (left, top, right, bottom) widths. Kept with the margins:
    // client rectangles ask for them at every layout step.
    const TRect &Pixels() const { return FPixels; }

private:
    void changed();
    TRLCustomControl *FParent;
    double FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    TRect FPixels;
    double FDefLeft = 0, FDefTop = 0, FDefRight = 0, FDefBottom = 0;
};

} // namespace prenso
