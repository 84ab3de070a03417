// The draft filter over a long report: 1,500 pages of 66 text lines each,
// recorded straight into a page storage, printed into a file, without a
// character table (accents overstruck) and in the PC850 table. Reports
// bytes and pages per second; the whole run should take well under a second.
#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include "smoke.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace prenso;

namespace {

const int kPages = bench::Size(1500);
constexpr int kLines = 66;

// A letter page of form lines in 10-point Courier New, one line every 15
// pixels (66 lines fill the sheet below its quarter-inch margin), much as the
// print job lays out a form.
void fillStorage(TRLGraphicStorage &storage)
{
    storage.SetPaperWidth(215.9);
    storage.SetPaperHeight(279.4);
    storage.SetOrientation(TRLPageOrientation::poPortrait);
    for (int p = 0; p < kPages; ++p) {
        auto page = std::make_unique<TRLGraphicSurface>();
        page->SetWidth(816);
        page->SetHeight(1056);
        for (int l = 0; l < kLines; ++l) {
            char line[96];
            std::snprintf(line, sizeof line,
                          "%06d  CLIENTE %04d  PRODUTO %05d  QTD %4d  VALOR %10.2f  SITUA\xC7\xC3O OK", p * kLines + l,
                          l, p, l * 3, p * 1.5 + l);
            auto *t = page->NewObject<TRLTextObject>();
            t->SetText(line);
            const int y = 24 + 15 * l;
            t->SetOrigin(TPoint{24, y});
            t->SetBoundsRect(TRect{24, y, 792, y + 15});
            t->SetTextFlags(MetaTextFlagNoSplit);
            t->Font().SetName(QStringLiteral("Courier New"));
            t->Font().SetSize(10);
        }
        storage.Add(std::move(page));
    }
}

void BM_DraftFilterToFile(benchmark::State &state)
{
    printing::setPrinterListSourceForTesting([] { return QStringList(); });
    ResetRLPrinterForTesting();
    const auto kept = std::make_shared<TRLGraphicStorage>();
    TRLGraphicStorage *storage = kept.get();
    fillStorage(*storage);
    const QString out = QDir::tempPath() + QStringLiteral("/bench_draft.prn");
    TRLDraftFilter filter;
    filter.SetShowProgress(false);
    filter.SetOrientation(TRLPageOrientation::poPortrait);
    filter.SetDeviceKind(TRLDeviceKind::dkFileName);
    filter.SetDevicePath(out);
    filter.SetCharTable(static_cast<TRLDraftCharTable>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        filter.FilterPages(storage);
        bytes = QFile(out).size();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * kPages);
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(kPages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["output_bytes"] = static_cast<double>(bytes);
    QFile::remove(out);
    printing::setPrinterListSourceForTesting({});
}
BENCHMARK(BM_DraftFilterToFile)
    ->ArgName("table")
    ->Arg(static_cast<int>(TRLDraftCharTable::ctNone))
    ->Arg(static_cast<int>(TRLDraftCharTable::ctPC850))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(bench::MinTime(2.0));

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
