// A saved report on hostile bytes, saved as PDF: the storage reader, then
// every page through the PDF filter into memory. The last byte of the input
// also picks the picture format, so the same files reach every writer path.
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/streams.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/storage/RLGraphicStorage.h"

#include "fuzz_common.h"

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
    const int filesBefore = files::registeredTempFileCount();
    {
        TComponent holder;
        auto *storage = new TRLGraphicStorage(&holder);
        TMemoryStream in(std::string(reinterpret_cast<const char *>(data), size));
        try {
            storage->LoadFromStream(in);
        } catch (const Exception &) {
            return 0;
        }
        TRLPDFFilter filter;
        filter.SetShowProgress(false);
        filter.SetDeterministic(true);
        filter.SetImageFormat(static_cast<TRLPDFFilterImageFormat>(size > 0 ? data[size - 1] % 3 : 0));
        std::string pdf = "before";
        filter.SetOutputBuffer(&pdf);
        try {
            filter.FilterPages(storage, 1, fuzz::pagesWorthFiltering(*storage), QString(),
                               TRLPrintOddEvenPages::odAllPages);
        } catch (const Exception &) {
            if (pdf != "before")
                std::abort(); // a failed run must take its bytes back
            return 0;
        }
        // Whatever the pages hold, the document is complete.
        const std::string_view doc = std::string_view(pdf).substr(6);
        if (pdf.compare(0, 6, "before") != 0 || !doc.starts_with("%PDF-1.2\r\n") || !doc.ends_with("%%EOF\r\n"))
            std::abort();
    }
    if (files::registeredTempFileCount() != filesBefore)
        std::abort(); // a page file or a temporary output file was left behind
    return 0;
}
