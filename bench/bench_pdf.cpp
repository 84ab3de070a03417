// PDF output: pages per second and the peak memory of the process.
// BM_PdfFilterPages: form pages of 90 text lines recorded straight into a page
// storage, so the figures are those of the PDF filter alone. The writer
// streams to the file page by page, so the peak memory must not grow with the
// page count.
// BM_FormToPdf: the whole job on a generated form (reading, decisions,
// pagination) with the PDF filter in the printer's place.
// Rates are per second of CPU time: on a shared machine the wall clock says
// more about the neighbours than about this code.
#include "app/Principal.h"
#include "report/filters/RLFilters.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/storage/RLGraphicSurface.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <sys/resource.h>

using namespace prenso;

namespace {

constexpr int kLinesPerPage = 90;

// A storage of `pages` A4 pages, kept for the run.
struct Pages {
    std::shared_ptr<TRLGraphicStorage> kept = std::make_shared<TRLGraphicStorage>();
    TRLGraphicStorage *storage = kept.get();

    explicit Pages(int pages)
    {
        storage->SetPaperWidth(210);
        storage->SetPaperHeight(297);
        // Ten pages of text, used over and over: a form of the full length
        // would itself weigh more than everything measured here.
        const std::string form = bench::makeForm(10 * kLinesPerPage);
        size_t at = 0;
        TFont font;
        font.SetName(QStringLiteral("Courier New"));
        font.SetSize(7);
        for (int p = 0; p < pages; ++p) {
            auto page = std::make_unique<TRLGraphicSurface>();
            page->SetWidth(storage->OrientedWidth());
            page->SetHeight(storage->OrientedHeight());
            page->SetFont(font);
            int y = 40;
            for (int l = 0; l < kLinesPerPage; ++l) {
                if (at >= form.size())
                    at = 0;
                size_t end = form.find("\r\n", at);
                if (end == std::string::npos)
                    end = form.size();
                std::string line = form.substr(at, end - at);
                at = end + 2;
                if (!line.empty() && line[0] == '\f')
                    line.erase(0, 1);
                const int h = page->TextHeight(line);
                page->TextRect(TRect{30, y, 764, y + h}, 30, y, line);
                y += h;
            }
            storage->Add(std::move(page));
        }
    }
};

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

static void BM_PdfFilterPages(benchmark::State &state)
{
    const int pageCount = static_cast<int>(state.range(0));
    Pages pages(pageCount);
    const QString path = QDir::tempPath() + QStringLiteral("/prenso-bench.pdf");
    TRLPDFFilter filter;
    filter.SetShowProgress(false);
    filter.SetFileName(path);
    for (auto _ : state)
        filter.FilterPages(pages.storage);
    state.SetItemsProcessed(state.iterations() * pageCount);
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * pageCount, benchmark::Counter::kIsRate);
    state.counters["file_kB_per_page"] = QFileInfo(path).size() / 1024.0 / pageCount;
    state.counters["peak_MB"] = peakMegabytes();
    QFile::remove(path);
}
BENCHMARK(BM_PdfFilterPages)
    ->Arg(bench::Size(100))
    ->Arg(bench::Size(1000))
    ->Arg(bench::Size(10000))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

static void BM_FormToPdf(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    const QString formPath = bench::formFile(lines);
    const QString path = QDir::tempPath() + QStringLiteral("/prenso-bench-form.pdf");
    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
    TRLPDFFilter pdf;
    pdf.SetFileName(path);
    SetSelectedFilter(&pdf);
    for (TRLReport *report : {form.rlrRetrato, form.rlrPaisagem})
        report->SetShowProgress(false);
    int pages = 0;
    for (auto _ : state) {
        form.sPbArquivo = formPath;
        form.sPbOrientacao = QStringLiteral("RETRATO");
        form.sPbDialogo = QStringLiteral("NAO"); // nobody answers a print dialog here
        form.iPbFontSize = 0;
        form.ExecutaImpressao();
        pages = form.lastReport()->Pages().PageCount();
    }
    SetSelectedFilter(nullptr);
    state.SetItemsProcessed(state.iterations() * pages);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * pages, benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = peakMegabytes();
    QFile::remove(path);
}
BENCHMARK(BM_FormToPdf)->Arg(bench::Size(100000))->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
