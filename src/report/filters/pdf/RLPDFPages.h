#pragma once
// Stored pages written through the PDF writer: every graphic object of a
// page becomes the writer's drawing operation of its kind. Pictures go
// before the page that shows them, and one met again (a logo on every page)
// is written once.
//
// A page is written either as stored (the PDF filter: the page's own size,
// its own coordinates), or as a printer draws it (the spool filter): on the
// printer's sheet, in the printer's pixels, each position converted as the
// page painting converts it for that printer, so that what the print server
// gets is what the printer's canvas would have got.

#include "report/storage/RLGraphicObjects.h"
#include "report/storage/RLPaintContext.h"

#include <QByteArray>

#include <map>
#include <unordered_map>
#include <vector>

namespace prenso {

class TRLGraphicPage;
class TRLPDFWriter;

// The picture number of each image object of the page being written.
using TRLPDFPageImages = std::unordered_map<const TRLImageObject *, int>;

// How a printer draws a page: its sheet in its pixels, its resolution and
// the conversion of stored positions into its pixels from the sheet's corner.
struct TRLPDFDevicePage {
    TPoint Sheet; // the whole sheet, device pixels
    double PixelsPerInchX = kDesignPixelsPerInch;
    double PixelsPerInchY = kDesignPixelsPerInch;
    TRLPaintContext Context{1, 1, 0, 0};
    // Where the page lands on the sheet: nothing of it shows beyond.
    TRect Clip;
};

class TRLPDFPagePainter {
public:
    explicit TRLPDFPagePainter(TRLPDFWriter &writer) : FWriter(writer) {}

    // The page as stored, on a page of its own size.
    void DrawPage(const TRLGraphicPage &page);
    // The page as `device` draws it.
    void DrawPage(const TRLGraphicPage &page, const TRLPDFDevicePage &device);

private:
    void drawPage(const TRLGraphicPage &page, const TRLPDFDevicePage *device);

    TRLPDFWriter &FWriter;
    // Picture number (0: it does not decode) by the digest of the stored
    // picture data, and each picture's width in pixels by its number.
    std::map<QByteArray, int> FPictures;
    std::vector<int> FPictureWidths;
    // Kept from page to page so that its room is made once.
    TRLPDFPageImages FPageImages;
    // The font of the last text written: a page holds mostly texts in one
    // font, and its measuring data is built once instead of once per text.
    TFont FLastTextFont;
};

} // namespace prenso
