#pragma once
// Page storage: the device-independent record of a prepared report.
//
// Pagination records every drawing call of a page into a TRLGraphicSurface
// (an ordered list of graphic objects in report pixels, 96 per inch). Finished
// pages go to a TRLGraphicStorage, which keeps them in a temporary page file
// and at most five of them in memory. Printers, the preview, the draft and
// PDF writers read pages back from the storage. Storages and surfaces are
// written to and read from streams in a versioned binary format: the current
// version 3 and the older versions 1 and 2, which are read and written too.
//
// Texts inside pages are Windows-1252 bytes (std::string); other texts are
// QString.

#include "platform/component.h"
#include "platform/errors.h"
#include "platform/graphics.h"

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
class TStream;
class TRLGraphicSurface;
class TRLGraphicStorage;
class TRLGraphicObject;

// Raised for a division by a zero-sized source rectangle when scaling.
struct EZeroDivide : Exception {
    explicit EZeroDivide(QString m = QStringLiteral("Floating point division by zero"))
        : Exception(std::move(m), "EZeroDivide") {}
};

// ---------------------------------------------------------------------------
// Stored codes. Records hold these, never canvas enumerations; unknown codes
// read from a file are kept as they are and drawn as the default of their kind.

using TRLMetaPenMode = std::uint8_t; // 1..16: canvas raster mode ordinal + 1
inline constexpr TRLMetaPenMode MetaPenModeCopy = 5;

using TRLMetaPenStyle = std::uint8_t;
inline constexpr TRLMetaPenStyle MetaPenStyleSolid = 1;
inline constexpr TRLMetaPenStyle MetaPenStyleDash = 2;
inline constexpr TRLMetaPenStyle MetaPenStyleDot = 3;
inline constexpr TRLMetaPenStyle MetaPenStyleDashDot = 4;
inline constexpr TRLMetaPenStyle MetaPenStyleDashDotDot = 5;
inline constexpr TRLMetaPenStyle MetaPenStyleClear = 6;
inline constexpr TRLMetaPenStyle MetaPenStyleInsideFrame = 7;

using TRLMetaBrushStyle = std::uint8_t;
inline constexpr TRLMetaBrushStyle MetaBrushStyleSolid = 1;
inline constexpr TRLMetaBrushStyle MetaBrushStyleClear = 2;
inline constexpr TRLMetaBrushStyle MetaBrushStyleHorizontal = 3;
inline constexpr TRLMetaBrushStyle MetaBrushStyleVertical = 4;
inline constexpr TRLMetaBrushStyle MetaBrushStyleFDiagonal = 5;
inline constexpr TRLMetaBrushStyle MetaBrushStyleBDiagonal = 6;
inline constexpr TRLMetaBrushStyle MetaBrushStyleCross = 7;
inline constexpr TRLMetaBrushStyle MetaBrushStyleDiagCross = 8;

using TRLMetaFontPitch = std::uint8_t;
inline constexpr TRLMetaFontPitch MetaFontPitchDefault = 1;
inline constexpr TRLMetaFontPitch MetaFontPitchVariable = 2;
inline constexpr TRLMetaFontPitch MetaFontPitchFixed = 3;

using TRLMetaFontStyles = std::uint8_t;
inline constexpr TRLMetaFontStyles MetaFontStyleBold = 1;
inline constexpr TRLMetaFontStyles MetaFontStyleItalic = 2;
inline constexpr TRLMetaFontStyles MetaFontStyleUnderline = 4;
inline constexpr TRLMetaFontStyles MetaFontStyleStrikeOut = 8;

using TRLMetaTextAlignment = std::uint8_t;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentLeft = 1;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentRight = 2;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentCenter = 3;
inline constexpr TRLMetaTextAlignment MetaTextAlignmentJustify = 4;

using TRLMetaTextLayout = std::uint8_t;
inline constexpr TRLMetaTextLayout MetaTextLayoutTop = 1;
inline constexpr TRLMetaTextLayout MetaTextLayoutBottom = 2;
inline constexpr TRLMetaTextLayout MetaTextLayoutCenter = 3;

using TRLMetaTextFlags = std::uint16_t;
inline constexpr TRLMetaTextFlags MetaTextFlagAutoSize = 1; // drawn at the origin, not clipped
inline constexpr TRLMetaTextFlags MetaTextFlagNoSplit = 4;  // a page split may not cut through it

using TRLMetaOrientation = int;
inline constexpr TRLMetaOrientation MetaOrientationPortrait = 1;
inline constexpr TRLMetaOrientation MetaOrientationLandscape = 2;

// ---------------------------------------------------------------------------
// Value records

struct TRLMetaColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const TRLMetaColor &, const TRLMetaColor &) = default;
};

using TRLMetaRect = TRect;
using TRLMetaPoint = TPoint;
using TRLMetaPointArray = std::vector<TRLMetaPoint>;

// Little-endian writer into a growing byte buffer.
class TRLStreamWriter {
public:
    explicit TRLStreamWriter(std::string &out) : m_out(out) {}
    // Every object of every page passes here: the small writes are inline.
    void U8(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void U16(std::uint16_t v)
    {
        const char b[2] = {static_cast<char>(v & 255), static_cast<char>(v >> 8)};
        m_out.append(b, 2);
    }
    void I32(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        const char b[4] = {static_cast<char>(u & 255), static_cast<char>((u >> 8) & 255),
                           static_cast<char>((u >> 16) & 255), static_cast<char>(u >> 24)};
        m_out.append(b, 4);
    }
    void U32(std::uint32_t v) { I32(static_cast<std::int32_t>(v)); }
    void Bytes(std::string_view b) { m_out.append(b); }
    void String(std::string_view s); // int32 byte count, then the bytes
    void Color(const TRLMetaColor &c)
    {
        const char b[3] = {static_cast<char>(c.Red), static_cast<char>(c.Green), static_cast<char>(c.Blue)};
        m_out.append(b, 3);
    }
    void Rect(const TRLMetaRect &r)
    {
        I32(r.Left);
        I32(r.Top);
        I32(r.Right);
        I32(r.Bottom);
    }
    void Point(const TRLMetaPoint &p)
    {
        I32(p.X);
        I32(p.Y);
    }
    size_t Position() const { return m_out.size(); }
    void PatchI32(size_t at, std::int32_t v);
    std::string &Buffer() { return m_out; }

private:
    std::string &m_out;
};

// Bounds-checked little-endian reader over bytes in memory. Every read past
// the end raises an error naming `what` was being read, so a damaged file
// gives a message rather than garbage.
class TRLStreamReader {
public:
    explicit TRLStreamReader(std::string_view data) : m_data(data) {}
    size_t Remaining() const { return m_data.size() - m_pos; }
    size_t Position() const { return m_pos; }
    std::string_view Data() const { return m_data; }
    std::uint8_t U8(const char *what) { return static_cast<std::uint8_t>(Bytes(1, what)[0]); }
    std::uint16_t U16(const char *what)
    {
        const std::string_view b = Bytes(2, what);
        return static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8));
    }
    std::int32_t I32(const char *what)
    {
        const std::string_view b = Bytes(4, what);
        const std::uint32_t u = static_cast<std::uint32_t>(static_cast<unsigned char>(b[0])) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[1])) << 8) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[2])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(b[3])) << 24);
        return static_cast<std::int32_t>(u);
    }
    std::uint32_t U32(const char *what) { return static_cast<std::uint32_t>(I32(what)); }
    std::string_view Bytes(size_t n, const char *what)
    {
        if (n > Remaining())
            FailPastEnd(what);
        const std::string_view out = m_data.substr(m_pos, n);
        m_pos += n;
        return out;
    }
    std::string String(const char *what);
    TRLMetaColor Color(const char *what);
    TRLMetaRect Rect(const char *what);
    TRLMetaPoint Point(const char *what);
    // A count of items of at least `minItemSize` bytes each: negative counts
    // and counts the remaining bytes cannot hold are errors.
    std::int32_t Count(size_t minItemSize, const char *what);
    void Skip(size_t n, const char *what) { Bytes(n, what); }
    // Reads `n` bytes as a sub-reader.
    TRLStreamReader Sub(size_t n, const char *what) { return TRLStreamReader(Bytes(n, what)); }
    [[noreturn]] static void Fail(const QString &message);
    [[noreturn]] static void FailPastEnd(const char *what);

private:
    std::string_view m_data;
    size_t m_pos = 0;
};

// Name=value lines, names compared without regard to letter case. The
// values are Windows-1252 bytes like the page texts they expand into.
class TRLMacroList {
public:
    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::string &Strings(int index) const { return m_lines.at(static_cast<size_t>(index)); }
    const std::vector<std::string> &Lines() const { return m_lines; }
    void Add(std::string line) { m_lines.push_back(std::move(line)); }
    void Delete(int index) { m_lines.erase(m_lines.begin() + index); }
    void Clear() { m_lines.clear(); }
    void AddStrings(const TRLMacroList &other);

    // Index of the line whose name (text before the first "=") is `name`, or -1.
    int IndexOfName(std::string_view name) const;
    // True and the value when the name is there.
    bool Find(std::string_view name, std::string_view &value) const;
    std::string Value(std::string_view name) const;
    // Replaces or appends the line; an empty value removes it.
    void SetValue(std::string_view name, std::string_view value);
    QString ValueText(const QString &name) const;
    void SetValueText(const QString &name, const QString &value);

private:
    std::vector<std::string> m_lines;
};

// ---------------------------------------------------------------------------
// Stored pen, brush and font. Each belongs to one graphic object and is copied
// by value.

class TRLMetaPen {
public:
    const TRLMetaColor &Color() const { return FColor; }
    void SetColor(const TRLMetaColor &c) { FColor = c; }
    TRLMetaPenMode Mode() const { return FMode; }
    void SetMode(TRLMetaPenMode m) { FMode = m; }
    TRLMetaPenStyle Style() const { return FStyle; }
    void SetStyle(TRLMetaPenStyle s) { FStyle = s; }
    int Width() const { return FWidth; }
    void SetWidth(int w) { FWidth = w; }
    void Assign(const TRLMetaPen &other) { *this = other; }
    // A non-zero width becomes max(1, round(width × factor)).
    void Inflate(double factor);
    void Save(TRLStreamWriter &w) const;
    void Load(TRLStreamReader &r);
    friend bool operator==(const TRLMetaPen &, const TRLMetaPen &) = default;

private:
    TRLMetaColor FColor;
    TRLMetaPenMode FMode = MetaPenModeCopy;
    TRLMetaPenStyle FStyle = MetaPenStyleSolid;
    std::int32_t FWidth = 0;
};

class TRLMetaBrush {
public:
    const TRLMetaColor &Color() const { return FColor; }
    void SetColor(const TRLMetaColor &c) { FColor = c; }
    TRLMetaBrushStyle Style() const { return FStyle; }
    void SetStyle(TRLMetaBrushStyle s) { FStyle = s; }
    void Assign(const TRLMetaBrush &other) { *this = other; }
    void Save(TRLStreamWriter &w) const;
    void Load(TRLStreamReader &r);
    friend bool operator==(const TRLMetaBrush &, const TRLMetaBrush &) = default;

private:
    TRLMetaColor FColor;
    TRLMetaBrushStyle FStyle = MetaBrushStyleSolid;
};

class TRLMetaFont {
public:
    explicit TRLMetaFont(TRLGraphicObject *user) : FUser(user) {}
    TRLMetaFont(const TRLMetaFont &) = delete;
    TRLMetaFont &operator=(const TRLMetaFont &) = delete;

    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    std::uint8_t Charset() const { return FCharset; }
    void SetCharset(std::uint8_t v) { FCharset = v; }
    const TRLMetaColor &Color() const { return FColor; }
    void SetColor(const TRLMetaColor &c) { FColor = c; }
    int Height() const { return FHeight; }
    void SetHeight(int v) { FHeight = v; }
    // The name lives in the owning surface's font list; FNameId indexes it.
    QString Name() const;
    void SetName(const QString &name);
    int NameId() const { return FNameId; }
    TRLMetaFontPitch Pitch() const { return FPitch; }
    void SetPitch(TRLMetaFontPitch v) { FPitch = v; }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    TRLMetaFontStyles Style() const { return FStyle; }
    void SetStyle(TRLMetaFontStyles v) { FStyle = v; }

    // Copies every field; the name is looked up again in this font's own
    // surface, so a font survives being copied onto another page.
    void Assign(const TRLMetaFont &other);
    void Save(TRLStreamWriter &w) const;
    void Load(TRLStreamReader &r);

private:
    friend class TRLGraphicSurface;
    TRLGraphicObject *FUser;
    std::int32_t FPixelsPerInch = 72;
    std::uint8_t FCharset = 0;
    TRLMetaColor FColor;
    std::int32_t FHeight = 0;
    std::int32_t FNameId = 0;
    TRLMetaFontPitch FPitch = MetaFontPitchDefault;
    std::int32_t FSize = 0;
    TRLMetaFontStyles FStyle = 0;
};

// ---------------------------------------------------------------------------
// Graphic objects. Each lives on one surface, which owns it; create them with
// TRLGraphicSurface::NewObject<T>() or the surface's drawing operations.

enum class TRLGraphicKind : std::uint8_t {
    Pixel = 1, Line, Rectangle, Text, FillRect, Ellipse, Polygon, Polyline, Image, SetClipRect, ResetClipRect
};

class TRLGraphicObject {
public:
    explicit TRLGraphicObject(TRLGraphicSurface *surface);
    virtual ~TRLGraphicObject();
    TRLGraphicObject(const TRLGraphicObject &) = delete;
    TRLGraphicObject &operator=(const TRLGraphicObject &) = delete;

    virtual TRLGraphicKind Kind() const = 0;
    TRLGraphicSurface *Surface() const { return FSurface; }
    const TRLMetaRect &BoundsRect() const { return FBoundsRect; }
    void SetBoundsRect(const TRLMetaRect &r) { FBoundsRect = r; }
    std::uint32_t GroupId() const { return FGroupId; }
    void SetGroupId(std::uint32_t v) { FGroupId = v; }
    std::uint32_t GeneratorId() const { return FGeneratorId; }
    void SetGeneratorId(std::uint32_t v) { FGeneratorId = v; }
    std::int32_t Tag() const { return FTag; }
    void SetTag(std::int32_t v) { FTag = v; }

    // The kind's own fields follow the 24 bytes of base fields.
    virtual void SaveToStream(TRLStreamWriter &w) const;
    virtual void LoadFromStream(TRLStreamReader &r);
    virtual void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) = 0;
    virtual void Assign(const TRLGraphicObject &other);
    virtual void Offset(int xDesloc, int yDesloc);
    virtual void Inflate(double xFactor, double yFactor);
    // An object of the same kind on `surface`, assigned from this one.
    TRLGraphicObject *Clone(TRLGraphicSurface &surface) const;
    // Makes `surface` this object's surface (the caller moves ownership):
    // what refers to the old surface's tables is looked up again there.
    virtual void Rehome(TRLGraphicSurface &surface) { FSurface = &surface; }

protected:
    virtual std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *surface) const = 0;
    TRLGraphicSurface *FSurface;
    TRLMetaRect FBoundsRect;
    std::uint32_t FGroupId;
    std::uint32_t FGeneratorId = 0;
    std::int32_t FTag = 0;
};

class TRLPixelObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Pixel; }
    const TRLMetaColor &Color() const { return FColor; }
    void SetColor(const TRLMetaColor &c) { FColor = c; }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

private:
    TRLMetaColor FColor;
};

class TRLLineObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Line; }
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
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

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
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;
};

class TRLEllipseObject : public TRLPenBrushObject {
public:
    using TRLPenBrushObject::TRLPenBrushObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Ellipse; }
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;
};

class TRLTextObject : public TRLGraphicObject {
public:
    explicit TRLTextObject(TRLGraphicSurface *surface) : TRLGraphicObject(surface), FFont(this) {}
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Text; }
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
    // Text with {name} macros replaced from the surface's, then the storage's
    // macros.
    std::string DisplayText() const;

    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;
    void Rehome(TRLGraphicSurface &surface) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

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
    TRLMetaBrush &Brush() { return FBrush; }
    const TRLMetaBrush &Brush() const { return FBrush; }
    void SetBrush(const TRLMetaBrush &b) { FBrush.Assign(b); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

private:
    TRLMetaBrush FBrush;
};

class TRLPolygonObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Polygon; }
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
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;
    TRLMetaPen FPen;
    TRLMetaBrush FBrush;
    TRLMetaPointArray FPoints;
};

class TRLPolylineObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Polyline; }
    TRLMetaPen &Pen() { return FPen; }
    const TRLMetaPen &Pen() const { return FPen; }
    void SetPen(const TRLMetaPen &p) { FPen.Assign(p); }
    const TRLMetaPointArray &Points() const { return FPoints; }
    void SetPoints(TRLMetaPointArray points) { FPoints = std::move(points); }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;
    void Offset(int xDesloc, int yDesloc) override;
    void Inflate(double xFactor, double yFactor) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

private:
    TRLMetaPen FPen;
    TRLMetaPointArray FPoints;
};

class TRLImageObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::Image; }
    // "BMP", "ICO" or "NIL" followed by the picture's own file bytes.
    const std::string &Data() const { return FData; }
    void SetData(std::string data) { FData = std::move(data); }
    bool Parity() const { return FParity; }
    void SetParity(bool v) { FParity = v; }
    void SaveToStream(TRLStreamWriter &w) const override;
    void LoadFromStream(TRLStreamReader &r) override;
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;
    void Assign(const TRLGraphicObject &other) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;

private:
    std::string FData;
    bool FParity = false;
};

// Its BoundsRect is the new clip rectangle.
class TRLSetClipRectObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::SetClipRect; }
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;
};

class TRLResetClipRectObject : public TRLGraphicObject {
public:
    using TRLGraphicObject::TRLGraphicObject;
    TRLGraphicKind Kind() const override { return TRLGraphicKind::ResetClipRect; }
    void PaintTo(TCanvas &canvas, double xFactor, double yFactor, int xDesloc, int yDesloc) override;

protected:
    std::unique_ptr<TRLGraphicObject> NewInstance(TRLGraphicSurface *s) const override;
};

// The process-wide object group counter: advances by one and returns the new
// value. Objects take the current value when they are created.
std::uint32_t NewGroupId();
std::uint32_t CurrentGroupId();

// ---------------------------------------------------------------------------
// One page.

class TRLGraphicSurface {
public:
    TRLGraphicSurface();
    ~TRLGraphicSurface();
    TRLGraphicSurface(const TRLGraphicSurface &) = delete;
    TRLGraphicSurface &operator=(const TRLGraphicSurface &) = delete;

    // The storage the page belongs to (not an owner: the storage owns the
    // surfaces in its cache). Changing it takes the surface out of the old
    // storage's cache without freeing it.
    TRLGraphicStorage *Storage() const { return FStorage; }
    void SetStorage(TRLGraphicStorage *storage);
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index) { FPageIndex = index; }
    bool Opened() const { return FOpened; }
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }

    int ObjectCount() const { return static_cast<int>(FObjects.size()); }
    TRLGraphicObject *Objects(int index) const { return FObjects.at(static_cast<size_t>(index)).get(); }
    // Creates an object of kind T at the end of the list.
    template <class T> T *NewObject()
    {
        auto obj = std::make_unique<T>(this);
        T *raw = obj.get();
        FObjects.push_back(std::move(obj));
        return raw;
    }
    void AdoptObject(std::unique_ptr<TRLGraphicObject> object);
    // Frees an object and takes it out of the list.
    void DeleteObject(TRLGraphicObject *object);

    // The current canvas-style pen, brush and font for the next records.
    TBrush &Brush() { return FBrush; }
    void SetBrush(const TBrush &b) { FBrush = b; }
    TPen &Pen() { return FPen; }
    void SetPen(const TPen &p) { FPen = p; }
    TFont &Font() { return FFont; }
    void SetFont(const TFont &f) { FFont.Assign(f); }

    int Width() const { return FWidth; }
    void SetWidth(int w) { FWidth = w; }
    int Height() const { return FHeight; }
    void SetHeight(int h) { FHeight = h; }
    // Page description, kept as macros ("Orientation", "PaperWidth", "PaperHeight").
    int Orientation() const;
    void SetOrientation(int orientation);
    double PaperWidth() const;
    void SetPaperWidth(double mm);
    double PaperHeight() const;
    void SetPaperHeight(double mm);
    double OrientedPaperWidth() const;
    double OrientedPaperHeight() const;
    int OrientedWidth() const;
    int OrientedHeight() const;

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint p) { FPenPos = p; }
    const TRect &Margins() const { return FMargins; }
    void SetMargins(const TRect &r) { FMargins = r; }
    const TRect &ClipRect() const { return FClipRect; }
    std::intptr_t Tag() const { return FTag; }
    void SetTag(std::intptr_t t) { FTag = t; }
    std::vector<QString> &Fonts() { return FFonts; }
    const std::vector<QString> &Fonts() const { return FFonts; }
    // The control currently drawing (set by pagination; never stored).
    const void *GeneratorId() const { return FGeneratorId; }
    void SetGeneratorId(const void *id) { FGeneratorId = id; }
    TRLMacroList &Macros() { return FMacros; }
    const TRLMacroList &Macros() const { return FMacros; }
    // Index of a font name in Fonts (letter case ignored), appended when missing.
    int FontNameId(const QString &name);

    void Open();
    void Close() { FOpened = false; }
    void Clear();

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
    void Draw(int x, int y, const TRLGraphicSurface &surface);
    // Draw and CopyRect for a surface that is thrown away afterwards (a
    // band's or a report's own, placed once per record or page): its
    // objects are moved here instead of copied, and it is left empty.
    void DrawTaking(int x, int y, TRLGraphicSurface &surface);
    void StretchDraw(const TRect &r, const TGraphic *graphic, bool parity = false);
    void StretchDraw(const TRect &r, const TRLGraphicSurface &surface);
    void ScaleDraw(const TRect &r, const TGraphic *graphic, bool center);
    void ScaleDraw(const TRect &r, const TRLGraphicSurface &surface, bool center);
    void ClipDraw(const TRect &r, const TGraphic *graphic, bool center);
    void ClipDraw(const TRect &r, const TRLGraphicSurface &surface, bool center);
    void CopyRect(const TRect &dest, TCanvas &canvas, const TRect &source);
    // Raises EZeroDivide when `source` has no width or no height.
    void CopyRect(const TRect &dest, const TRLGraphicSurface &surface, const TRect &source);
    void CopyRectTaking(const TRect &dest, TRLGraphicSurface &surface, const TRect &source);
    void SetClipRect(const TRect &r);
    // Raises EListError when no clip rectangle was set.
    void ResetClipRect();

    // Moves `row` up from `nearRow` until it cuts no text flagged
    // MetaTextFlagNoSplit; returns whether the row is still above 0.
    bool FindFreeRow(int nearRow, int &row) const;

    // Paints the page scaled into r.
    void PaintTo(TCanvas &canvas, const TRect &r);

    void SaveToStream(TStream &stream) const;
    void LoadFromStream(TStream &stream);
    void SaveToFile(const QString &fileName) const;
    void LoadFromFile(const QString &fileName);
    // The same format to and from bytes in memory; LoadFromBytes returns the
    // number of bytes the surface took.
    void SaveToBytes(std::string &out) const;
    size_t LoadFromBytes(std::string_view data);

    // Clip rectangle stack used while painting (top at the back here).
    void PushClipRect(const TRect &r) { FClipStack.push_back(FClipRect); FClipRect = r; }
    void PopClipRect(TRect &r);
    void SetCurrentClipRect(const TRect &r) { FClipRect = r; }
    bool ClipStackEmpty() const { return FClipStack.empty(); }
    // Where the surface is being painted (the outermost clip of PaintTo).
    const TRect &PaintRect() const { return FPaintRect; }

private:
    friend class TRLGraphicStorage;
    void load(TRLStreamReader &r);

    TRLGraphicStorage *FStorage = nullptr;
    int FPageIndex = -1;
    std::vector<std::unique_ptr<TRLGraphicObject>> FObjects;
    TPoint FPenPos;
    int FWidth = 0;
    int FHeight = 0;
    TBrush FBrush;
    TFont FFont;
    TPen FPen;
    TRect FMargins;
    bool FOpened = false;
    bool FModified = false;
    std::vector<QString> FFonts;
    std::vector<TRect> FClipStack;
    TRect FClipRect;
    std::intptr_t FTag = 0;
    const void *FGeneratorId = nullptr;
    TRLMacroList FMacros;
    TRect FPaintRect;
    // The font of the last text recorded and its name id, to skip the lookup.
    QString FLastFontName;
    int FLastFontId = -1;
};

// ---------------------------------------------------------------------------
// The pages of a report.
//
// A storage is owned by the components linked to it: it frees itself when the
// last one unlinks or is destroyed. Create it with new; a storage created
// without an owner belongs to its creator until something is linked.

class TRLGraphicStorage : public TComponent {
public:
    explicit TRLGraphicStorage(TComponent *owner = nullptr);
    ~TRLGraphicStorage() override;

    void Link(TComponent *component);
    void Unlink(TComponent *component);
    int ReferenceCount() const { return static_cast<int>(FReferenceList.size()); }

    // Takes a finished page: stores it as page PageCount and caches it.
    TRLGraphicSurface *Add(std::unique_ptr<TRLGraphicSurface> surface);
    // Writes a page again (at the end of the page file) and clears Modified.
    void Update(TRLGraphicSurface *surface);
    // A page, 0-based; nullptr when out of range or unreadable. The storage
    // keeps it and may free it once five other pages have been used since.
    TRLGraphicSurface *Pages(int index);
    int PageCount() const { return static_cast<int>(FPageAllocation.size()); }
    void Clear();
    // Writes back every modified cached page.
    void FlushPages();

    void SaveToStream(TStream &stream);
    void SaveToFile(const QString &fileName);
    void LoadFromStream(TStream &stream);
    void LoadFromFile(const QString &fileName);

    int FileVersion() const { return FFileVersion; }
    // Raises "Invalid file version!" outside 1..3.
    void SetFileVersion(int version);

    TRLMacroList &Macros() { return FMacros; }
    const TRLMacroList &Macros() const { return FMacros; }
    int FirstPageNumber() const;
    void SetFirstPageNumber(int n);
    int LastPageNumber() const;
    void SetLastPageNumber(int n);
    QString Title() const;
    void SetTitle(const QString &title);
    QString JobTitle() const;
    void SetJobTitle(const QString &title);
    int Orientation() const;
    void SetOrientation(int orientation);
    double PaperWidth() const;
    void SetPaperWidth(double mm);
    double PaperHeight() const;
    void SetPaperHeight(double mm);
    double OrientedPaperWidth() const;
    double OrientedPaperHeight() const;
    int Width() const;
    int Height() const;
    int OrientedWidth() const;
    int OrientedHeight() const;

    // For tests and diagnostics.
    const QString &TempFileName() const { return FTempFileName; }
    std::vector<int> CachedPageIndexes() const;
    std::int64_t PageFileSize() const;

    // Called by surfaces leaving this storage or being destroyed.
    void CacheRemove(TRLGraphicSurface *surface);

protected:
    void Notification(TComponent *component, Operation operation) override;

private:
    void EnsureTempFile();
    void StorePage(TRLGraphicSurface *surface);
    void RetrievePage(TRLGraphicSurface *surface);
    std::unique_ptr<TRLGraphicSurface> LoadPage(int index);
    void CacheAdd(std::unique_ptr<TRLGraphicSurface> surface);
    TRLGraphicSurface *CacheFind(int index) const;
    // Appends a page record (the bytes of one surface stream) to the page file.
    void AppendPageRecord(std::string_view surfaceBytes);
    std::string ReadPageRecord(int index);
    void WriteHeader(TStream &stream) const;
    int ReadHeader(TStream &stream);
    void SaveCurrent(TStream &stream);
    void LoadCurrent(TStream &stream);
    void SaveLegacy(TStream &stream, int version);
    void LoadLegacy(TStream &stream, int version);

    std::vector<std::unique_ptr<TRLGraphicSurface>> FPageCache;
    std::vector<std::int64_t> FPageAllocation;
    std::unique_ptr<TStream> FTempStream;
    QString FTempFileName;
    int FFileVersion = 3;
    TRLMacroList FMacros;
    std::vector<TComponent *> FReferenceList;
};

} // namespace prenso
