#pragma once
// One page: an ordered list of graphic objects in report pixels (96 per
// inch), with the font names they use and the page's macros. Pagination
// records every drawing call of a page into a surface; outputs paint it back.

#include "platform/component.h"
#include "platform/errors.h"
#include "platform/graphics.h"
#include "report/storage/RLGraphicObjects.h"
#include "report/storage/RLMacroList.h"

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
class TRLGraphicStorage;

// Raised for a division by a zero-sized source rectangle when scaling.
struct EZeroDivide : Exception {
    explicit EZeroDivide(QString m = QStringLiteral("Floating point division by zero"))
        : Exception(std::move(m), "EZeroDivide")
    {}
};

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
    template <class T>
    T *NewObject()
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
    // Every text sets its font first, mostly the one already there.
    void SetFont(const TFont &f)
    {
        if (!(FFont == f))
            FFont.Assign(f);
    }

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

    void SaveToStream(TStream &stream) const;
    void LoadFromStream(TStream &stream);
    void SaveToFile(const QString &fileName) const;
    void LoadFromFile(const QString &fileName);
    // The same format to and from bytes in memory; LoadFromBytes returns the
    // number of bytes the surface took.
    void SaveToBytes(std::string &out) const;
    size_t LoadFromBytes(std::string_view data);

private:
    friend class TRLGraphicStorage;
    void load(TRLStreamReader &r);
    // The clip stack of the recording: SetClipRect pushes, ResetClipRect pops.
    void pushClipRect(const TRect &r)
    {
        FClipStack.push_back(FClipRect);
        FClipRect = r;
    }
    void popClipRect();

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
    // The clip last set, while nothing has been drawn after it.
    const TRLGraphicObject *FUnusedClip = nullptr;
    const void *FGeneratorId = nullptr;
    TRLMacroList FMacros;
    // The font of the last text recorded and its name id, to skip the lookup.
    QString FLastFontName;
    int FLastFontId = -1;
};

} // namespace prenso
