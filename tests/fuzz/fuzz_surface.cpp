// The page reader on hostile bytes: a page that loads is painted, and writing
// it and reading it back must give the same bytes again.
#include "platform/graphics/canvas.h"
#include "platform/system/errors.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include "fuzz_common.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace prenso;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    TRLGraphicSurface page;
    try {
        page.LoadFromBytes(std::string_view(reinterpret_cast<const char *>(data), size));
    } catch (const Exception &) {
        if (page.ObjectCount() != 0)
            std::abort(); // a failed load must leave the page cleared
        return 0;
    }
    std::string first;
    page.SaveToBytes(first);
    TRLGraphicSurface again;
    again.LoadFromBytes(first);
    std::string second;
    again.SaveToBytes(second);
    if (first != second)
        std::abort();

    if (page.ObjectCount() <= 2000) {
        QImage image(64, 64, QImage::Format_RGB32);
        TCanvas canvas(&image);
        try {
            TRLCanvasPainter(canvas).Paint(page, TRect{0, 0, 64, 64});
            TRLCanvasPainter(canvas).Paint(page, TRect{-5, 3, 700, 20});
        } catch (const Exception &) {
        }
    }
    int row = 0;
    page.FindFreeRow(page.Height(), row);
    return 0;
}
