#pragma once
// The stored pen, brush and font of a graphic object.

#include "platform/graphics/valuetypes.h"
#include "report/storage/RLMetaStream.h"
#include "report/storage/RLMetaTypes.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace prenso {

class TRLGraphicObject;

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
    // The name lives in the owning page's font list; FNameId indexes it.
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
    // page, so a font survives being copied onto another page.
    void Assign(const TRLMetaFont &other);
    void Save(TRLStreamWriter &w) const;
    void Load(TRLStreamReader &r);

private:
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
} // namespace prenso
