// A saved report on hostile bytes, saved as PDF: the storage reader, then
// every page through the PDF filter into memory. The last byte of the input
// also picks the picture format and whether the file is an archive one, so
// the same files reach every writer path.
#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
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
        const auto kept = std::make_shared<TRLGraphicStorage>();
        TRLGraphicStorage *storage = kept.get();
        TMemoryStream in(std::string(reinterpret_cast<const char *>(data), size));
        try {
            storage->LoadFromStream(in);
        } catch (const Exception &) {
            return 0;
        }
        TRLPDFFilter filter;
        filter.SetShowProgress(false);
        filter.SetDeterministic(true);
        const int last = size > 0 ? data[size - 1] : 0;
        filter.SetImageFormat(static_cast<TRLPDFFilterImageFormat>(last % 3));
        // An archive file embeds its fonts; a face that cannot be embedded
        // is an error, which must take its bytes back like any other.
        filter.SetArchive(last / 3 % 2 == 1);
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
        const char *header = filter.Archive() ? "%PDF-1.4" : "%PDF-1.2\r\n";
        if (pdf.compare(0, 6, "before") != 0 || !doc.starts_with(header) || !doc.ends_with("%%EOF\r\n"))
            std::abort();
    }
    if (files::registeredTempFileCount() != filesBefore)
        std::abort(); // a page file or a temporary output file was left behind
    return 0;
}
