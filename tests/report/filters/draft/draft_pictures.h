#pragma once
// A picture of 8 × 16 dots with a black diagonal in each half of 8 rows
// (down to the right above, up to the right below), stored as a page keeps
// pictures: two strips whose dot columns tell which is which.

#include "platform/graphics/pictures.h"
#include "report/storage/RLMetaConversions.h"

#include <QImage>

#include <string>

namespace prenso::test {

inline std::string twoStripPicture()
{
    QImage img(8, 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int i = 0; i < 8; ++i) {
        img.setPixel(i, i, qRgb(0, 0, 0));
        img.setPixel(7 - i, 8 + i, qRgb(0, 0, 0));
    }
    TBitmap bmp;
    bmp.SetImage(img);
    return ToMetaGraphic(&bmp);
}

} // namespace prenso::test
