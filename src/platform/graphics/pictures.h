#pragma once
// Pictures as the engine stores them: a bitmap or an icon that keeps its own
// native stream bytes (a BMP file image or an ICO file image), so that a
// picture read from a page and written back is the same bytes.

#include "platform/graphics/valuetypes.h"

#include <QImage>

#include <memory>
#include <string>
#include <string_view>

namespace prenso {

class TCanvas;

class TGraphic {
public:
    virtual ~TGraphic();
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // The picture as pixels, for drawing.
    virtual QImage Image() const = 0;
    // Draws the picture stretched into r.
    virtual void Draw(TCanvas &canvas, const TRect &r) const;
};

// A bitmap: BMP bytes in, BMP bytes out. A bitmap made in memory (SetSize,
// then drawn on through Canvas) is written as a BMP by the toolkit's writer.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    // A new 32-bit bitmap of that size, white.
    TBitmap(int width, int height);

    int Width() const override { return m_image.width(); }
    int Height() const override { return m_image.height(); }
    QImage Image() const override;
    void SetSize(int width, int height);
    void SetImage(const QImage &image);

    // Reads a BMP file image; false (and an empty bitmap) when it is not one.
    bool LoadFromBytes(std::string_view bytes);
    // The BMP file image: the bytes it was loaded from when unchanged since.
    std::string SaveToBytes() const;

    // A canvas on the bitmap's pixels; valid until the bitmap is read,
    // resized or destroyed.
    TCanvas &Canvas();

private:
    void releaseCanvas() const;
    mutable QImage m_image;
    mutable std::unique_ptr<TCanvas> m_canvas;
    std::string m_bytes;
    mutable bool m_bytesValid = false;
};

// An icon: ICO bytes in and out; drawn from its first image, with its
// transparency.
class TIcon : public TGraphic {
public:
    int Width() const override { return m_image.width(); }
    int Height() const override { return m_image.height(); }
    QImage Image() const override { return m_image; }
    bool LoadFromBytes(std::string_view bytes);
    std::string SaveToBytes() const { return m_bytes; }
    // Makes an icon of an image (written through the toolkit's ICO writer).
    bool SetImage(const QImage &image);

private:
    QImage m_image;
    std::string m_bytes;
};

} // namespace prenso
