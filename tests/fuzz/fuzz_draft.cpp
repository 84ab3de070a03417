// A saved report on hostile bytes, printed on a dot-matrix printer: the
// storage reader, then every page through the draft filter into a buffer.
// The last byte of the input also picks the printer family, the dithering,
// the line and fill characters and the form, so the same files reach every
// way a page becomes printer commands.
#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/storage/RLGraphicStorage.h"

#include "fuzz_common.h"

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
        const auto kept = std::make_shared<TRLGraphicStorage>();
        TRLGraphicStorage *storage = kept.get();
        TMemoryStream in(std::string(reinterpret_cast<const char *>(data), size));
        try {
            storage->LoadFromStream(in);
        } catch (const Exception &) {
            return 0;
        }
        const unsigned settings = size > 0 ? data[size - 1] : 0;
        TRLDraftFilter filter;
        filter.SetShowProgress(false);
        filter.SetPrinterFamily((settings & 1) ? TRLPrinterFamily::fmESCP2 : TRLPrinterFamily::fmEpsonLike);
        filter.SetDitheringMethod(static_cast<TRLDitheringMethod>((settings >> 1) % 3));
        filter.SetLineDrawMethod(static_cast<TRLLineDrawMethod>((settings >> 3) % 3));
        filter.SetFillArtMethod(static_cast<TRLFillArtMethod>((settings >> 5) % 3));
        filter.SetOrientation((settings >> 7) & 1 ? TRLPageOrientation::poLandscape : TRLPageOrientation::poPortrait);
        filter.SetFormSelection(TRLFormSelection::fsAccordingToOrientation);
        filter.SeedDithering(settings);
        // The byte before it: how accents go, and in which character table.
        const unsigned text = size > 1 ? data[size - 2] : 0;
        filter.SetAccentMethod(static_cast<TRLDraftAccentMethod>(text % 3));
        filter.SetCharTable(static_cast<TRLDraftCharTable>(text / 3 % 7));
        std::string bytes = "before";
        filter.SetOutputBuffer(&bytes);
        try {
            filter.FilterPages(storage, 1, fuzz::pagesWorthFiltering(*storage), QString(),
                               TRLPrintOddEvenPages::odAllPages);
        } catch (const Exception &) {
            if (bytes != "before")
                std::abort(); // a failed run must take its bytes back
            return 0;
        }
        if (bytes.compare(0, 6, "before") != 0)
            std::abort();
    }
    if (files::registeredTempFileCount() != filesBefore)
        std::abort(); // a page file was left behind
    return 0;
}
