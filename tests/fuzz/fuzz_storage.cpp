// The storage reader on hostile bytes: any of the three versions, then every
// page read back, painted and written again in every version.
#include "platform/graphics/canvas.h"
#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
#include "report/storage/RLCanvasPainter.h"
#include "report/storage/RLGraphicStorage.h"

#include "fuzz_common.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace prenso;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const int filesBefore = files::registeredTempFileCount();
    {
        TRLGraphicStorage storage;
        TMemoryStream in(std::string(reinterpret_cast<const char *>(data), size));
        try {
            storage.LoadFromStream(in);
        } catch (const Exception &) {
            if (storage.PageCount() != 0)
                std::abort(); // a failed load must leave the storage cleared
            return 0;
        }
        QImage image(64, 64, QImage::Format_RGB32);
        TCanvas canvas(&image);
        const int pages = std::min(storage.PageCount(), 16);
        for (int i = 0; i < pages; ++i) {
            TRLGraphicPage *page = storage.Pages(i);
            if (!page || page->ObjectCount() > 2000)
                continue;
            try {
                TRLCanvasPainter(canvas).Paint(*page, TRect{0, 0, 64, 64});
            } catch (const Exception &) {
            }
        }
        for (int version = 1; version <= 3; ++version) {
            storage.SetFileVersion(version);
            TMemoryStream out;
            try {
                storage.SaveToStream(out);
            } catch (const Exception &) {
                continue;
            }
            // What we write we must be able to read.
            TRLGraphicStorage again;
            out.SetPosition(0);
            again.LoadFromStream(out);
            if (again.PageCount() != storage.PageCount())
                std::abort();
        }
    }
    if (files::registeredTempFileCount() != filesBefore)
        std::abort(); // a page file outlived its storage
    return 0;
}
