#include "report/filters/pdf/RLPDFImages.h"

#include "platform/system/errors.h"
#include "report/filters/pdf/RLJpeg.h"
#include "report/filters/pdf/RLPDFFile.h"
#include "report/filters/pdf/RLPDFFormat.h"

#include <QPainter>

#include <string>

namespace prenso {
namespace {

// A picture on white paper, 8 bits per channel.
QImage onWhite(const QImage &image, QImage::Format format)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(format);
    QImage out(image.size(), format);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

} // namespace

int WritePDFImage(TRLPDFFile &file, const QImage &image, std::string_view original, TRLPDFFilterImageFormat format,
                  int quality)
{
    bool jpeg = false;
    switch (format) {
    case TRLPDFFilterImageFormat::ifJPeg: jpeg = true; break;
    case TRLPDFFilterImageFormat::ifBitmap: jpeg = false; break;
    case TRLPDFFilterImageFormat::ifOriginal: jpeg = JpegLooksLikeJpeg(original); break;
    default: throw Exception(QStringLiteral("Unknown imageformat"));
    }
    if (image.isNull() && !jpeg)
        throw Exception(QStringLiteral("Empty picture"));

    // Compress before anything is written, so that a picture libjpeg
    // refuses leaves no half object behind.
    std::string encoded;
    TRLJpegInfo info;
    bool grey = false;
    if (jpeg) {
        if (!original.empty() && JpegReadInfo(original, info) && (info.Components == 1 || info.Components == 3)) {
            encoded.assign(original);
            grey = info.Components == 1;
        } else {
            if (image.isNull())
                throw Exception(QStringLiteral("Empty picture"));
            grey = image.isGrayscale();
            encoded = JpegEncode(image, quality, grey);
            info.Width = image.width();
            info.Height = image.height();
        }
    }

    const int lengthObj = file.ReserveObjNumber();
    const int number = file.BeginDictionaryObj(0);
    std::int64_t length = 0;
    if (jpeg) {
        file.WriteLn("/Type/XObject/Subtype/Image");
        file.WriteLn("/Width " + std::to_string(info.Width));
        file.WriteLn("/Height " + std::to_string(info.Height));
        file.WriteLn(grey ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB");
        file.WriteLn("/BitsPerComponent 8");
        file.WriteLn("/Length " + PDF_IndirectObjStr(lengthObj));
        file.WriteLn("/Filter/DCTDecode");
        file.BeginStream();
        file.Write(encoded);
        length = file.EndStream();
    } else {
        const QImage rgb = onWhite(image, QImage::Format_RGB32);
        file.WriteLn("/Type/XObject");
        file.WriteLn("/Subtype/Image");
        file.WriteLn("/Width " + std::to_string(rgb.width()));
        file.WriteLn("/Height " + std::to_string(rgb.height()));
        file.WriteLn("/ColorSpace/DeviceRGB");
        file.WriteLn("/BitsPerComponent 8");
        file.WriteLn("/Length " + PDF_IndirectObjStr(lengthObj));
        file.WriteLn("/Filter [/ASCIIHexDecode]");
        file.BeginStream();
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string line;
        for (int y = 0; y < rgb.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                for (const int v : {qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) {
                    line += hex[v >> 4];
                    line += hex[v & 15];
                }
                if (line.size() >= 80) {
                    file.WriteLn(line);
                    line.clear();
                }
            }
        }
        if (!line.empty())
            file.WriteLn(line);
        file.WriteLn(">");
        length = file.EndStream();
    }
    file.WriteLengthObj(lengthObj, length);
    return number;
}

} // namespace prenso
