#pragma once
// The eleven kinds of graphic object a page records. Each lives on one
// page, which owns it; create them with TRLGraphicPage::NewObject<T>() or
// the drawing operations of a surface (the recorder of a page).

#include "report/storage/RLMetaRecords.h"

#include <cstddef>
#include <memory>
#include <string>

namespace prenso {

class TRLGraphicPage;
class TRLPixelObject;
class TRLLineObject;
class TRLRectangleObject;
class TRLEllipseObject;
class TRLTextObject;
class TRLFillRectObject;
class TRLPolygonObject;
class TRLPolylineObject;
class TRLImageObject;
class TRLSetClipRectObject;
class TRLResetClipRectObject;

// Something that does one thing per kind of object, such as an output that
// writes a page in its own format: each object calls the method of its own
// kind (Accept). A kind a visitor leaves alone does nothing.
class TRLGraphicVisitor {
public:
    virtual ~TRLGraphicVisitor() = default;
    virtual void VisitPixel(const TRLPixelObject &) {}
    virtual void VisitLine(const TRLLineObject &) {}
    virtual void VisitRectangle(const TRLRectangleObject &) {}
    virtual void VisitEllipse(const TRLEllipseObject &) {}
    virtual void VisitText(const TRLTextObject &) {}
    virtual void VisitFillRect(const TRLFillRectObject &) {}
    virtual void VisitPolygon(const TRLPolygonObject &) {}
    virtual void VisitPolyline(const TRLPolylineObject &) {}
    virtual void VisitImage(const TRLImageObject &) {}
    virtual void VisitSetClipRect(const TRLSetClipRectObject &) {}
    virtual void VisitResetClipRect(const TRLResetClipRectObject &) {}
};

enum class TRLGraphicKind : std::uint8_t {
    Pixel = 1,
    Line,
    Rectangle,
    Text,
    FillRect,
    Ellipse,
    Polygon,
    Polyline,
    Image,
    SetClipRect,
    ResetClipRect
};

class TRLGraphicObject {
public:
    explicit TRLGraphicObject(TRLGraphicPage *page);
    virtual ~TRLGraphicObject();
    TRLGraphicObject(const TRLGraphicObject &) = delete;
    TRLGraphicObject &operator=(const TRLGraphicObject &) = delete;
    // The memory of objects is kept for the next ones (RLGraphicObjects.cpp).
    static void *operator new(std::size_t size);
    static void operator delete(void *block, std::size_t size) noexcept;

    virtual TRLGraphicKind Kind() const = 0;
    TRLGraphicPage *Page() const { return FPage; }
    const TRLMetaRect &BoundsRect() const { return FBoundsRect; }
    void SetBoundsRect(const TRLMetaRect &r) { FBoundsRect = r; }
    std::uint32_t GroupId() const { return FGroupId; }
    void SetGroupId(std::uint32_t v) { FGroupId = v; }
    std::uint32_t GeneratorId() const { return FGeneratorId; }
    void SetGeneratorId(std::uint32_t v) { FGeneratorId = v; }

    // The kind's own fields follow the 24 bytes of base fields.
    static constexpr size_t kBaseFieldsSize = 24;
    virtual void SaveToStream(TRLStreamWriter &w) const;
    virtual void LoadFromStream(TRLStreamReader &r);
    virtual void Accept(TRLGraphicVisitor &visitor) const = 0;
    virtual void Assign(const TRLGraphicObject &other);
    virtual void Offset(int xDesloc, int yDesloc);
    virtual void Inflate(double xFactor, double yFactor);
    // An object of the same kind on `page`, assigned from this one.
    TRLGraphicObject *Clone(TRLGraphicPage &page) const;
    // Makes `page` this object's page (the caller moves ownership): what
    // refers to the old page's tables is looked up again there.
    virtual void Rehome(TRLGraphicPage &page) { FPage = &page; }

protected:
    virtual std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *page) const = 0;
    TRLGraphicPage *FPage;
    TRLMetaRect FBoundsRect;
    std::uint32_t FGroupId;
    std::uint32_t FGeneratorId = 0;
};

class TRLPixelObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Pixel; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitPixel(*this); }
    const TRLMetaColor &Color() const { return FColor; }
    void SetColor(const TRLMetaColor &c) { FColor = c; }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    TRLMetaColor FColor;
};

class TRLLineObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Line; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitLine(*this); }
    const TRLMetaPoint &FromPoint() const { return FFromPoint; }
    void SetFromPoint(const TRLMetaPoint &p) { FFromPoint = p; }
    const TRLMetaPoint &ToPoint() const { return FToPoint; }
    void SetToPoint(const TRLMetaPoint &p) { FToPoint = p; }
    TRLMetaPen &Pen() { return FPen; }
    const TRLMetaPen &Pen() const { return FPen; }
    void SetPen(const TRLMetaPen &p) { FPen.Assign(p); }
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    TRLMetaPoint FFromPoint;
    TRLMetaPoint FToPoint;
    TRLMetaPen FPen;
    TRLMetaBrush FBrush;
};

// Rectangle and ellipse share their fields.
class TRLPenBrushObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLMetaPen &Pen() { return FPen; }
    const TRLMetaPen &Pen() const { return FPen; }
    void SetPen(const TRLMetaPen &p) { FPen.Assign(p); }
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    TRLMetaPen FPen;
    TRLMetaBrush FBrush;
};

class TRLRectangleObject : public TRLPenBrushObject {
public:
    using TRLPenBrushObject::TRLPenBrushObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Rectangle; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitRectangle(*this); }

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;
};

class TRLEllipseObject : public TRLPenBrushObject {
public:
    using TRLPenBrushObject::TRLPenBrushObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Ellipse; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitEllipse(*this); }

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;
};

class TRLTextObject : public TRLGraphicObject {
public:
    explicit TRLTextObject(TRLGraphicPage *page) : TRLGraphicObject(page), FFont(this) {}
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Text; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitText(*this); }
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    TRLMetaFont &Font() { return FFont; }
    const TRLMetaFont &Font() const { return FFont; }
    void SetFont(const TRLMetaFont &f) { FFont.Assign(f); }
    const std::string &Text() const { return FText; }
    void SetText(std::string text) { FText = std::move(text); }
    const TRLMetaPoint &Origin() const { return FOrigin; }
    void SetOrigin(const TRLMetaPoint &p) { FOrigin = p; }
    TRLMetaTextAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRLMetaTextAlignment a) { FAlignment = a; }
    TRLMetaTextLayout Layout() const { return FLayout; }
    void SetLayout(TRLMetaTextLayout l) { FLayout = l; }
    TRLMetaTextFlags TextFlags() const { return FTextFlags; }
    void SetTextFlags(TRLMetaTextFlags f) { FTextFlags = f; }
    // Text with {name} macros replaced from the page's, then the storage's
    // macros. Bounded whatever a file holds: at most kMaxMacroLookups names
    // are looked up (the rest stays as stored), and a text that grows past
    // kMaxDisplayTextLength bytes (or its own length, when that is more) is
    // cut there. No line of a printed page comes anywhere near either.
    std::string DisplayText() const;
    static constexpr size_t kMaxDisplayTextLength = 65536;
    static constexpr int kMaxMacroLookups = 256;

    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;
    void Rehome(TRLGraphicPage &page) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    TRLMetaBrush FBrush;
    TRLMetaFont FFont;
    std::string FText;
    TRLMetaPoint FOrigin;
    TRLMetaTextAlignment FAlignment = MetaTextAlignmentLeft;
    TRLMetaTextLayout FLayout = MetaTextLayoutTop;
    TRLMetaTextFlags FTextFlags = MetaTextFlagAutoSize | MetaTextFlagNoSplit;
};

class TRLFillRectObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::FillRect; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitFillRect(*this); }
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    TRLMetaBrush FBrush;
};

class TRLPolygonObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Polygon; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitPolygon(*this); }
    TRLMetaPen &Pen() { return FPen; }
    const TRLMetaPen &Pen() const { return FPen; }
    void SetPen(const TRLMetaPen &p) { FPen.Assign(p); }
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    const TRLMetaPointArray &Points() const { return FPoints; }
    void SetPoints(TRLMetaPointArray points) { FPoints = std::move(points); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;
    TRLMetaPen FPen;
    TRLMetaBrush FBrush;
    TRLMetaPointArray FPoints;
};

class TRLPolylineObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Polyline; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitPolyline(*this); }
    TRLMetaPen &Pen() { return FPen; }
    const TRLMetaPen &Pen() const { return FPen; }
    void SetPen(const TRLMetaPen &p) { FPen.Assign(p); }
    const TRLMetaPointArray &Points() const { return FPoints; }
    void SetPoints(TRLMetaPointArray points) { FPoints = std::move(points); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    TRLMetaPen FPen;
    TRLMetaPointArray FPoints;
};

class TRLImageObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Image; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitImage(*this); }
    // "BMP", "ICO" or "NIL" followed by the picture's own file bytes.
    const std::string &Data() const { return FData; }
    void SetData(std::string data) { FData = std::move(data); }
    bool Parity() const { return FParity; }
    void SetParity(bool v) { FParity = v; }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;

private:
    std::string FData;
    bool FParity = false;
};

// Its BoundsRect is the new clip rectangle.
class TRLSetClipRectObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::SetClipRect; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitSetClipRect(*this); }

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;
};

class TRLResetClipRectObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::ResetClipRect; }
    void Accept(TRLGraphicVisitor &visitor) const override { visitor.VisitResetClipRect(*this); }

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicPage *s) const override;
};

// The process-wide object group counter: advances by one and returns the new
// value. Objects take the current value when they are created.
std::uint32_t NewGroupId();

} // namespace prenso
