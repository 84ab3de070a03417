#include "report/storage/RLGraphicSurface.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/pictures.h"
#include "report/storage/RLMetaConversions.h"

#include <algorithm>

namespace prenso {

namespace {

TRect grow(const TRect &r, int by)
{
    return TRect{SatAdd(r.Left, -by), SatAdd(r.Top, -by), SatAdd(r.Right, by), SatAdd(r.Bottom, by)};
}

} // namespace

TRLGraphicSurface::TRLGraphicSurface()
{
    FBrush.Color = clWhite;
    FBrush.Style = TBrushStyle::bsSolid;
    FPen.Color = clBlack;
    FFont.SetColor(clBlack);
}

void TRLGraphicSurface::DeleteObject(TRLGraphicObject *object)
{
    // The memory of a freed object goes to the next one made, which must
    // not pass for the clip.
    if (object == FUnusedClip)
        FUnusedClip = nullptr;
    TRLGraphicPage::DeleteObject(object);
}

void TRLGraphicSurface::Open()
{
    if (FOpened)
        return;
    FOpened = true;
    FPenPos = TPoint{FMargins.Left, FMargins.Top};
    FGeneratorId = nullptr;
    FClipRect = TRect{0, 0, FWidth, FHeight};
    FClipStack.clear();
    FUnusedClip = nullptr;
}

void TRLGraphicSurface::Clear()
{
    FUnusedClip = nullptr;
    TRLGraphicPage::Clear();
    FPenPos = TPoint{};
    FGeneratorId = nullptr;
}

void TRLGraphicSurface::MoveTo(int x, int y)
{
    Open();
    FPenPos = TPoint{x, y};
}

void TRLGraphicSurface::LineTo(int x, int y)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLLineObject>();
    const TPoint from = FPenPos, to{x, y};
    obj->SetBoundsRect(grow(PointsBounds(std::array<TPoint, 2>{from, to}), 1));
    obj->SetFromPoint(from);
    obj->SetToPoint(to);
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
    FPenPos = to;
}

void TRLGraphicSurface::Rectangle(int left, int top, int right, int bottom)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLRectangleObject>();
    obj->SetBoundsRect(TRect{left, top, right, bottom});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Ellipse(int x1, int y1, int x2, int y2)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLEllipseObject>();
    obj->SetBoundsRect(TRect{x1, y1, x2, y2});
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polygon(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolygonObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(PointsBounds(points), 1));
    ToMetaPen(FPen, obj->Pen());
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::Polyline(std::span<const TPoint> points)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLPolylineObject>();
    obj->SetPoints(ToMetaPointArray(points));
    obj->SetBoundsRect(grow(PointsBounds(points), 1));
    ToMetaPen(FPen, obj->Pen());
}

void TRLGraphicSurface::FillRect(const TRect &r)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLFillRectObject>();
    obj->SetBoundsRect(r);
    ToMetaBrush(FBrush, obj->Brush());
}

void TRLGraphicSurface::TextOut(int left, int top, std::string_view text)
{
    TextOutEx(left, top, text, MetaTextFlagAutoSize | MetaTextFlagNoSplit);
}

void TRLGraphicSurface::TextOutEx(int left, int top, std::string_view text, TRLMetaTextFlags flags)
{
    const TRect r{left, top, SatAdd(left, TextWidth(text)), SatAdd(top, TextHeight(text))};
    TextRectEx(r, left, top, text, MetaTextAlignmentLeft, MetaTextLayoutTop, flags);
}

void TRLGraphicSurface::TextRect(const TRect &r, int left, int top, std::string_view text)
{
    TextRectEx(r, left, top, text, MetaTextAlignmentLeft, MetaTextLayoutTop, MetaTextFlagNoSplit);
}

void TRLGraphicSurface::TextRectEx(const TRect &r, int left, int top, std::string_view text,
                                   TRLMetaTextAlignment alignment, TRLMetaTextLayout layout, TRLMetaTextFlags flags)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLTextObject>();
    obj->SetBoundsRect(r);
    obj->SetOrigin(TPoint{left, top});
    obj->SetText(std::string(text));
    obj->SetAlignment(alignment);
    obj->SetLayout(layout);
    obj->SetTextFlags(flags);
    ToMetaBrush(FBrush, obj->Brush());
    ToMetaFont(FFont, obj->Font());
}

void TRLGraphicSurface::Write(std::string_view text)
{
    Open();
    TextOut(FPenPos.X, FPenPos.Y, text);
    FPenPos.X = SatAdd(FPenPos.X, TextWidth(text));
}

void TRLGraphicSurface::Writeln(std::string_view text)
{
    Open();
    TextOut(FPenPos.X, FPenPos.Y, text);
    FPenPos = TPoint{FMargins.Left, SatAdd(FPenPos.Y, TextHeight(text))};
}

int TRLGraphicSurface::TextWidth(std::string_view text) const
{
    if (FFont.PixelsPerInch() == kDesignPixelsPerInch)
        return FFont.Resource().width(text);
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextWidth(text);
}

int TRLGraphicSurface::TextHeight(std::string_view text) const
{
    if (FFont.PixelsPerInch() == kDesignPixelsPerInch)
        return FFont.Resource().height();
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(FFont);
    return canvas.TextHeight(text);
}

void TRLGraphicSurface::Draw(int x, int y, const TGraphic *graphic, bool parity)
{
    const int w = graphic ? graphic->Width() : 0;
    const int h = graphic ? graphic->Height() : 0;
    StretchDraw(TRect{x, y, SatAdd(x, w), SatAdd(y, h)}, graphic, parity);
}

void TRLGraphicSurface::Draw(int x, int y, const TRLGraphicPage &page)
{
    Open();
    FModified = true;
    const int count = page.ObjectCount(); // drawing a page onto itself copies it once
    for (int i = 0; i < count; ++i)
        page.Objects(i)->Clone(*this)->Offset(x, y);
    FMacros.AddStrings(page.Macros());
}

void TRLGraphicSurface::DrawTaking(int x, int y, TRLGraphicSurface &surface)
{
    if (&surface == this) {
        Draw(x, y, surface);
        return;
    }
    Open();
    FModified = true;
    FObjects.reserve(FObjects.size() + surface.FObjects.size());
    // A report's surface goes onto its page where it stands (0, 0): every
    // object of the page passes here, and moving by nothing changes nothing.
    const bool moved = x != 0 || y != 0;
    for (auto &obj : surface.FObjects) {
        obj->Rehome(*this);
        if (moved)
            obj->Offset(x, y);
        FObjects.push_back(std::move(obj));
    }
    surface.FObjects.clear();
    surface.FUnusedClip = nullptr;
    surface.FModified = true;
    FMacros.AddStrings(surface.Macros());
}

void TRLGraphicSurface::StretchDraw(const TRect &r, const TGraphic *graphic, bool parity)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLImageObject>();
    obj->SetBoundsRect(r);
    obj->SetData(ToMetaGraphic(graphic));
    obj->SetParity(parity);
}

void TRLGraphicSurface::StretchDraw(const TRect &r, const TRLGraphicPage &page)
{
    CopyRect(r, page, TRect{0, 0, page.Width(), page.Height()});
}

namespace {

TRect fitRect(const TRect &r, int sw, int sh, bool center)
{
    if (sw == 0 || sh == 0)
        throw EZeroDivide();
    const int dw = r.Width(), dh = r.Height();
    int w, h;
    if (static_cast<double>(dw) / sw > static_cast<double>(dh) / sh) {
        h = dh;
        w = RoundCoord(static_cast<double>(sw) * dh / sh);
    } else {
        w = dw;
        h = RoundCoord(static_cast<double>(sh) * dw / sw);
    }
    TRect out{r.Left, r.Top, SatAdd(r.Left, w), SatAdd(r.Top, h)};
    if (center)
        out = OffsetRect(out, static_cast<int>((static_cast<long long>(dw) - w) / 2),
                         static_cast<int>((static_cast<long long>(dh) - h) / 2));
    return out;
}

TRect placeRect(const TRect &r, int sw, int sh, bool center)
{
    TRect placed{r.Left, r.Top, SatAdd(r.Left, sw), SatAdd(r.Top, sh)};
    if (center)
        placed = OffsetRect(placed, static_cast<int>((static_cast<long long>(r.Width()) - sw) / 2),
                            static_cast<int>((static_cast<long long>(r.Height()) - sh) / 2));
    return placed;
}

} // namespace

void TRLGraphicSurface::ScaleDraw(const TRect &r, const TGraphic *graphic, bool center)
{
    const TRect fitted = fitRect(r, graphic ? graphic->Width() : 0, graphic ? graphic->Height() : 0, center);
    StretchDraw(fitted, graphic, false);
}

void TRLGraphicSurface::ScaleDraw(const TRect &r, const TRLGraphicPage &page, bool center)
{
    StretchDraw(fitRect(r, page.Width(), page.Height(), center), page);
}

void TRLGraphicSurface::ClipDraw(const TRect &r, const TGraphic *graphic, bool center)
{
    if (!graphic)
        return;
    const TRect placed = placeRect(r, graphic->Width(), graphic->Height(), center);
    TRect inter;
    if (!IntersectRect(inter, placed, r))
        return;
    TBitmap bitmap(inter.Width(), inter.Height());
    bitmap.Canvas().Draw(placed.Left - inter.Left, placed.Top - inter.Top, *graphic);
    StretchDraw(inter, &bitmap, false);
}

void TRLGraphicSurface::ClipDraw(const TRect &r, const TRLGraphicPage &page, bool center)
{
    const TRect placed = placeRect(r, page.Width(), page.Height(), center);
    TRect inter;
    if (!IntersectRect(inter, placed, r))
        return;
    TRLGraphicSurface part;
    part.SetWidth(inter.Width());
    part.SetHeight(inter.Height());
    part.Draw(placed.Left - inter.Left, placed.Top - inter.Top, page);
    StretchDraw(inter, part);
}

void TRLGraphicSurface::CopyRect(const TRect &dest, TCanvas &canvas, const TRect &source)
{
    TBitmap bitmap;
    bitmap.SetImage(canvas.Grab(source));
    StretchDraw(dest, &bitmap, false);
}

void TRLGraphicSurface::CopyRect(const TRect &dest, const TRLGraphicPage &page, const TRect &source)
{
    if (source.Width() == 0 || source.Height() == 0)
        throw EZeroDivide();
    const double xf = static_cast<double>(dest.Width()) / source.Width();
    const double yf = static_cast<double>(dest.Height()) / source.Height();
    const int dx = SatAdd(dest.Left, -RoundCoord(source.Left * xf));
    const int dy = SatAdd(dest.Top, -RoundCoord(source.Top * yf));
    SetClipRect(dest);
    try {
        const int count = page.ObjectCount();
        for (int i = 0; i < count; ++i) {
            const TRLGraphicObject *obj = page.Objects(i);
            TRect inter;
            if (!IntersectRect(inter, obj->BoundsRect(), source))
                continue;
            TRLGraphicObject *copy = obj->Clone(*this);
            copy->Inflate(xf, yf);
            copy->Offset(dx, dy);
        }
    } catch (...) {
        ResetClipRect();
        throw;
    }
    ResetClipRect();
}

void TRLGraphicSurface::CopyRectTaking(const TRect &dest, TRLGraphicSurface &surface, const TRect &source)
{
    if (&surface == this) {
        CopyRect(dest, surface, source);
        return;
    }
    if (source.Width() == 0 || source.Height() == 0)
        throw EZeroDivide();
    const double xf = static_cast<double>(dest.Width()) / source.Width();
    const double yf = static_cast<double>(dest.Height()) / source.Height();
    const bool scaled = xf != 1.0 || yf != 1.0;
    // A band placed whole is not scaled: its offsets need no rounding.
    const int dx = SatAdd(dest.Left, -(xf == 1.0 ? source.Left : RoundCoord(source.Left * xf)));
    const int dy = SatAdd(dest.Top, -(yf == 1.0 ? source.Top : RoundCoord(source.Top * yf)));
    SetClipRect(dest);
    FObjects.reserve(FObjects.size() + surface.FObjects.size() + 1); // nothing below may throw
    for (auto &obj : surface.FObjects) {
        TRect inter;
        if (!IntersectRect(inter, obj->BoundsRect(), source))
            continue;
        obj->Rehome(*this);
        if (scaled)
            obj->Inflate(xf, yf);
        obj->Offset(dx, dy);
        FObjects.push_back(std::move(obj));
    }
    surface.FObjects.clear();
    surface.FUnusedClip = nullptr;
    surface.FModified = true;
    ResetClipRect();
}

void TRLGraphicSurface::SetClipRect(const TRect &r)
{
    Open();
    FModified = true;
    auto *obj = NewObject<TRLSetClipRectObject>();
    obj->SetBoundsRect(r);
    pushClipRect(r);
    FUnusedClip = obj;
}

void TRLGraphicSurface::ResetClipRect()
{
    Open();
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    FModified = true;
    // A clip that nothing was drawn into changes no pixel on any device:
    // it is taken back instead of being closed. Every band's frame sets
    // one, mostly around nothing, and it would cost two objects a line in
    // the page file, in each page read back and in the PDF.
    if (FUnusedClip && !FObjects.empty() && FObjects.back().get() == FUnusedClip) {
        FUnusedClip = nullptr;
        FObjects.pop_back();
        popClipRect();
        return;
    }
    FUnusedClip = nullptr;
    auto *obj = NewObject<TRLResetClipRectObject>();
    obj->SetBoundsRect(FClipRect);
    popClipRect();
}

void TRLGraphicSurface::popClipRect()
{
    if (FClipStack.empty())
        throw EListError(QStringLiteral("List index out of bounds (0)"));
    FClipRect = FClipStack.back();
    FClipStack.pop_back();
}

} // namespace prenso
