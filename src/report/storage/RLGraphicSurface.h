#pragma once
// The recorder pagination draws a page with: a page (TRLGraphicPage) and
// the state of the drawing on it, a canvas's current pen, brush, font, pen
// position and clips, turned into graphic objects call by call. Outputs read
// the page only.

#include "platform/graphics/valuetypes.h"
#include "platform/system/errors.h"
#include "report/storage/RLGraphicPage.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace prenso {

class TCanvas;
class TGraphic;

// Raised for a division by a zero-sized source rectangle when scaling.
struct EZeroDivide : Exception {
    explicit EZeroDivide(QString m = QStringLiteral("Floating point division by zero"))
        : Exception(std::move(m), "EZeroDivide")
    {}
};

// ---------------------------------------------------------------------------
// One page being drawn.

class TRLGraphicSurface : public TRLGraphicPage {
public:
    TRLGraphicSurface();

    bool Opened() const { return FOpened; }
    void DeleteObject(TRLGraphicObject *object) override;

    // The current canvas-style pen, brush and font for the next records.
    TBrush &Brush() { return FBrush; }
    void SetBrush(const TBrush &b) { FBrush = b; }
    TPen &Pen() { return FPen; }
    void SetPen(const TPen &p) { FPen = p; }
    TFont &Font() { return FFont; }
    // Every text sets its font first, mostly the one already there.
    void SetFont(const TFont &f)
    {
        if (!(FFont == f))
            FFont.Assign(f);
    }

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint p) { FPenPos = p; }
    const TRect &Margins() const { return FMargins; }
    void SetMargins(const TRect &r) { FMargins = r; }
    const TRect &ClipRect() const { return FClipRect; }
    // The control currently drawing (set by pagination; never stored).
    const void *GeneratorId() const { return FGeneratorId; }
    void SetGeneratorId(const void *id) { FGeneratorId = id; }

    void Open();
    void Close() { FOpened = false; }
    // Empties the page; the pen goes back to (0, 0), and no clip is left
    // that a reset could take back.
    void Clear() override;

    // Recording. Texts are Windows-1252 bytes.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect &r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect &r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void FillRect(const TRect &r);
    void TextOut(int left, int top, std::string_view text);
    void TextOutEx(int left, int top, std::string_view text, TRLMetaTextFlags flags);
    void TextRect(const TRect &r, int left, int top, std::string_view text);
    void TextRectEx(const TRect &r, int left, int top, std::string_view text, TRLMetaTextAlignment alignment,
                    TRLMetaTextLayout layout, TRLMetaTextFlags flags);
    void Write(std::string_view text);
    void Writeln(std::string_view text);
    int TextWidth(std::string_view text) const;
    int TextHeight(std::string_view text) const;
    void Draw(int x, int y, const TGraphic *graphic, bool parity = false);
    void Draw(int x, int y, const TRLGraphicPage &page);
    // Draw and CopyRect for a surface that is thrown away afterwards (a
    // band's or a report's own, placed once per record or page): its
    // objects are moved here instead of copied, and it is left empty.
    void DrawTaking(int x, int y, TRLGraphicSurface &surface);
    void StretchDraw(const TRect &r, const TGraphic *graphic, bool parity = false);
    void StretchDraw(const TRect &r, const TRLGraphicPage &page);
    void ScaleDraw(const TRect &r, const TGraphic *graphic, bool center);
    void ScaleDraw(const TRect &r, const TRLGraphicPage &page, bool center);
    void ClipDraw(const TRect &r, const TGraphic *graphic, bool center);
    void ClipDraw(const TRect &r, const TRLGraphicPage &page, bool center);
    void CopyRect(const TRect &dest, TCanvas &canvas, const TRect &source);
    // Raises EZeroDivide when `source` has no width or no height.
    void CopyRect(const TRect &dest, const TRLGraphicPage &page, const TRect &source);
    void CopyRectTaking(const TRect &dest, TRLGraphicSurface &surface, const TRect &source);
    void SetClipRect(const TRect &r);
    // Raises EListError when no clip rectangle was set.
    void ResetClipRect();

private:
    // The clip stack of the recording: SetClipRect pushes, ResetClipRect pops.
    void pushClipRect(const TRect &r)
    {
        FClipStack.push_back(FClipRect);
        FClipRect = r;
    }
    void popClipRect();

    TPoint FPenPos;
    TBrush FBrush;
    TFont FFont;
    TPen FPen;
    TRect FMargins;
    bool FOpened = false;
    std::vector<TRect> FClipStack;
    TRect FClipRect;
    // The clip last set, while nothing has been drawn after it.
    const TRLGraphicObject *FUnusedClip = nullptr;
    const void *FGeneratorId = nullptr;
};

} // namespace prenso
