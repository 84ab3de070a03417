#pragma once
// The frame a control draws around itself, and the margins a site keeps
// between its edges and its children.

#include "platform/graphics.h"
#include "report/controls/RLTypes.h"

namespace prenso {

class TCanvas;
class TRLCustomControl;
class TRLGraphicSurface;

class TRLBorders {
public:
    explicit TRLBorders(TRLCustomControl *parent) : m_parent(parent) {}

    bool DrawLeft() const { return m_drawLeft; }
    bool DrawTop() const { return m_drawTop; }
    bool DrawRight() const { return m_drawRight; }
    bool DrawBottom() const { return m_drawBottom; }
    void SetDrawLeft(bool v) { m_drawLeft = v; changed(); }
    void SetDrawTop(bool v) { m_drawTop = v; changed(); }
    void SetDrawRight(bool v) { m_drawRight = v; changed(); }
    void SetDrawBottom(bool v) { m_drawBottom = v; changed(); }
    bool FixedLeft() const { return m_fixedLeft; }
    bool FixedTop() const { return m_fixedTop; }
    bool FixedRight() const { return m_fixedRight; }
    bool FixedBottom() const { return m_fixedBottom; }
    void SetFixedLeft(bool v) { m_fixedLeft = v; changed(); }
    void SetFixedTop(bool v) { m_fixedTop = v; changed(); }
    void SetFixedRight(bool v) { m_fixedRight = v; changed(); }
    void SetFixedBottom(bool v) { m_fixedBottom = v; changed(); }
    int Width() const { return m_width; }
    void SetWidth(int w) { m_width = w; changed(); }
    TColor Color() const { return m_color; }
    void SetColor(TColor c) { m_color = c; }
    int Style() const { return m_style; }
    void SetStyle(int s) { m_style = s; }
    TRLBorderSides Sides() const { return m_sides; }
    void SetSides(TRLBorderSides sides);

    // A side is drawn when its flag is set and it is fixed or the master
    // report prints with full features.
    bool CanDrawLeft() const;
    bool CanDrawTop() const;
    bool CanDrawRight() const;
    bool CanDrawBottom() const;
    bool Visible() const { return m_width > 0 && (CanDrawLeft() || CanDrawTop() || CanDrawRight() || CanDrawBottom()); }

    void PaintTo(TRLGraphicSurface &surface, const TRect &rect) const;
    void PaintTo(TCanvas &canvas, const TRect &rect) const;

private:
    template <class Target>
    void paint(Target &target, const TRect &rect) const;
    bool canDraw(bool draw, bool fixed) const;
    void changed();

    TRLCustomControl *m_parent;
    bool m_drawLeft = false, m_drawTop = false, m_drawRight = false, m_drawBottom = false;
    int m_width = 1;
    TColor m_color = clBlack;
    int m_style = 0;
    TRLBorderSides m_sides = sdNone;
    bool m_fixedLeft = false, m_fixedTop = false, m_fixedRight = false, m_fixedBottom = false;
};

class TRLMargins {
public:
    explicit TRLMargins(TRLCustomControl *parent) : m_parent(parent) {}
    double LeftMargin() const { return m_left; }
    double TopMargin() const { return m_top; }
    double RightMargin() const { return m_right; }
    double BottomMargin() const { return m_bottom; }
    void SetLeftMargin(double v);
    void SetTopMargin(double v);
    void SetRightMargin(double v);
    void SetBottomMargin(double v);
    // The defaults a form file compares against.
    void SetDefaults(double left, double top, double right, double bottom);
    bool IsDefault() const;
    void Assign(const TRLMargins &source);
    // In pixels: (left, top, right, bottom) widths. Kept with the margins:
    // client rectangles ask for them at every layout step.
    const TRect &Pixels() const { return m_pixels; }

private:
    void changed();
    TRLCustomControl *m_parent;
    double m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    TRect m_pixels;
    double m_defLeft = 0, m_defTop = 0, m_defRight = 0, m_defBottom = 0;
};

} // namespace prenso
