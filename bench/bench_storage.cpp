// Page storage throughput: pagination records about 90 text lines per page
// and hands thousands of pages to the storage; printers and the preview read
// them back in order, the preview also at random. Memory must not grow with
// the page count (at most five pages are ever held).
//
//   bench_storage --benchmark_filter=Store/2000
//   /usr/bin/time -v bench_storage --benchmark_filter=Store/500   (peak memory)

#include "platform/io/streams.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

using namespace prenso;

namespace {

constexpr int kLinesPerPage = 90;

std::unique_ptr<TRLGraphicSurface> recordPage(int pageNo)
{
    auto page = std::make_unique<TRLGraphicSurface>();
    page->SetWidth(794);
    page->SetHeight(1123);
    page->SetOrientation(TRLPageOrientation::poPortrait);
    page->SetPaperWidth(210);
    page->SetPaperHeight(297);
    page->Font().SetName(QStringLiteral("Courier New"));
    page->Font().SetSize(8);
    page->Brush().Style = TBrushStyle::bsClear;
    const int lineHeight = page->TextHeight("X");
    for (int i = 0; i < kLinesPerPage; ++i) {
        NewGroupId();
        const std::string line = bench::formLine(static_cast<std::uint32_t>(pageNo * kLinesPerPage + i), 80);
        const int top = 38 + i * lineHeight;
        page->TextRectEx(TRect{38, top, 756, top + lineHeight}, 38, top, line, MetaTextAlignmentLeft, MetaTextLayoutTop,
                         MetaTextFlagNoSplit);
    }
    page->Macros().SetValue("PageNo", std::to_string(pageNo + 1));
    return page;
}

void fill(TRLGraphicStorage &storage, int pages)
{
    for (int i = 0; i < pages; ++i)
        storage.Add(recordPage(i));
}

void BM_Store(benchmark::State &state)
{
    const int pages = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TRLGraphicStorage storage;
        fill(storage, pages);
        benchmark::DoNotOptimize(storage.PageCount());
        state.PauseTiming();
        state.counters["pagefile_MB"] = static_cast<double>(storage.PageFileSize()) / 1e6;
        state.ResumeTiming();
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages) * state.iterations(), benchmark::Counter::kIsRate);
}

void load(benchmark::State &state, bool randomOrder)
{
    const int pages = static_cast<int>(state.range(0));
    TRLGraphicStorage storage;
    fill(storage, pages);
    std::vector<int> order(static_cast<size_t>(pages));
    for (int i = 0; i < pages; ++i)
        order[static_cast<size_t>(i)] = i;
    if (randomOrder)
        std::shuffle(order.begin(), order.end(), std::mt19937(42));
    std::int64_t objects = 0;
    for (auto _ : state) {
        for (int i : order) {
            TRLGraphicPage *page = storage.Pages(i);
            objects += page ? page->ObjectCount() : 0;
        }
    }
    if (objects != static_cast<std::int64_t>(kLinesPerPage) * pages * state.iterations())
        state.SkipWithError("pages lost");
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_LoadInOrder(benchmark::State &state)
{
    load(state, false);
}
void BM_LoadRandom(benchmark::State &state)
{
    load(state, true);
}

void BM_SaveAndReadFile(benchmark::State &state)
{
    const int pages = static_cast<int>(state.range(0));
    TRLGraphicStorage storage;
    fill(storage, pages);
    for (auto _ : state) {
        TMemoryStream stream;
        storage.SaveToStream(stream);
        stream.SetPosition(0);
        TRLGraphicStorage back;
        back.LoadFromStream(stream);
        benchmark::DoNotOptimize(back.PageCount());
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages) * state.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_Store)
    ->Arg(bench::Size(500))
    ->Arg(bench::Size(1000))
    ->Arg(bench::Size(2000))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadInOrder)->Arg(bench::Size(500))->Arg(bench::Size(2000))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRandom)->Arg(bench::Size(500))->Arg(bench::Size(2000))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndReadFile)->Arg(bench::Size(2000))->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts are measured while recording
    bench::RunBenchmarks(argc, argv);
    return 0;
}
