#include "platform/graphics/pictures.h"

#include "platform/graphics/canvas.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace prenso {

namespace {

QImage readImage(std::string_view bytes, const char *format)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

std::string writeImage(const QImage &image, const char *format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return std::string();
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

} // namespace

TGraphic::~TGraphic() = default;

void TGraphic::Draw(TCanvas &canvas, const TRect &r) const
{
    canvas.DrawImage(r, Image());
}

// ---------------------------------------------------------------------------

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

TBitmap::TBitmap(int width, int height)
{
    SetSize(width, height);
}

void TBitmap::releaseCanvas() const
{
    m_canvas.reset();
}

QImage TBitmap::Image() const
{
    releaseCanvas();
    return m_image;
}

void TBitmap::SetSize(int width, int height)
{
    releaseCanvas();
    if (width <= 0 || height <= 0) {
        m_image = QImage();
    } else {
        m_image = QImage(width, height, QImage::Format_RGB32);
        m_image.setDotsPerMeterX(3780);
        m_image.setDotsPerMeterY(3780);
        m_image.fill(Qt::white);
    }
    m_bytesValid = false;
}

void TBitmap::SetImage(const QImage &image)
{
    releaseCanvas();
    m_image = image;
    m_bytesValid = false;
}

bool TBitmap::LoadFromBytes(std::string_view bytes)
{
    releaseCanvas();
    m_image = readImage(bytes, "BMP");
    if (m_image.isNull()) {
        m_bytes.clear();
        m_bytesValid = false;
        return false;
    }
    m_bytes.assign(bytes);
    m_bytesValid = true;
    return true;
}

std::string TBitmap::SaveToBytes() const
{
    releaseCanvas();
    if (m_bytesValid)
        return m_bytes;
    if (m_image.isNull())
        return std::string();
    return writeImage(m_image, "BMP");
}

TCanvas &TBitmap::Canvas()
{
    if (!m_canvas) {
        if (m_image.isNull())
            SetSize(1, 1);
        m_canvas = std::make_unique<TCanvas>(&m_image, kDesignPixelsPerInch);
    }
    m_bytesValid = false;
    return *m_canvas;
}

// ---------------------------------------------------------------------------

bool TIcon::LoadFromBytes(std::string_view bytes)
{
    m_image = readImage(bytes, "ICO");
    if (m_image.isNull()) {
        m_bytes.clear();
        return false;
    }
    m_bytes.assign(bytes);
    return true;
}

bool TIcon::SetImage(const QImage &image)
{
    const std::string bytes = writeImage(image.convertToFormat(QImage::Format_ARGB32), "ICO");
    if (bytes.empty())
        return false;
    return LoadFromBytes(bytes);
}

} // namespace prenso
