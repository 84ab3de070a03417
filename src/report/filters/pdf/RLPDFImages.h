#pragma once
// Pictures in a PDF file: image objects shared by every page that shows
// them, as baseline JPEG (DCTDecode) or as uncompressed RGB in hexadecimal.

#include <QImage>

#include <string_view>

namespace prenso {

class TRLPDFFile;

enum class TRLPDFFilterImageFormat { ifBitmap, ifJPeg, ifOriginal };

// Writes `image` as an image object and returns its object number. JPEG
// compresses it (`quality` 1..100) unless `original` holds the picture's own
// JPEG file, which is then copied as it is; bitmap writes the RGB values;
// original is JPEG for a JPEG file and bitmap otherwise. Transparent pixels
// lie on white, as on paper. Raises "Unknown imageformat" for a format value
// outside the three and "Empty picture" for an image without pixels; a
// picture libjpeg refuses raises before anything is written.
int WritePDFImage(TRLPDFFile &file, const QImage &image, std::string_view original, TRLPDFFilterImageFormat format,
                  int quality);

} // namespace prenso
