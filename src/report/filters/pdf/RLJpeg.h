#pragma once
// Baseline JPEG through libjpeg, for the pictures of PDF files.
//
// libjpeg reports a fatal error by calling a handler that, left alone, prints
// a message and ends the process. Here every libjpeg call runs behind a
// handler that jumps back out of the library and turns the error into an
// ordinary Exception carrying libjpeg's own message, so a damaged or
// unsupported picture fails one save, not the program.

#include <QImage>

#include <string>
#include <string_view>

namespace prenso {

struct TRLJpegInfo {
    int Width = 0;
    int Height = 0;
    int Components = 0; // 1 greyscale, 3 colour (YCbCr or RGB), 4 CMYK
};

// Compresses an image as a baseline JPEG file, 8 bits per channel: three
// components, or one when `greyscale` is set. Transparent pixels are laid
// on white first, as they would show on paper. Raises Exception with
// libjpeg's message when compression fails.
std::string JpegEncode(const QImage &image, int quality = 90, bool greyscale = false);

// Reads the header of a JPEG file. False when the bytes are not a JPEG file
// libjpeg can read (no exception: callers then treat it as some other kind
// of picture).
bool JpegReadInfo(std::string_view bytes, TRLJpegInfo &info);

// True when the bytes begin like a JPEG file (the start-of-image marker).
inline bool JpegLooksLikeJpeg(std::string_view bytes)
{
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

} // namespace prenso
