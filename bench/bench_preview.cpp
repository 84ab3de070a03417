// The preview on a long form: 100,000 lines prepared by the portrait report
// into about 1,500 pages, plus a last page of its own with the only "TOTAL
// GERAL" of the form. What the user waits for: the window's first paint, a
// page turn, a search that has to read every page; and whether memory stays
// flat while paging through all of them.
#include "app/Principal.h"
#include "platform/io/textfile.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewBox.h"
#include "report/windows/RLPreviewForm.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <unistd.h>

using namespace prenso;

namespace {

const int kLines = bench::Size(100000);
const QSize kWindow(1000, 750);

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The form prepared once for every benchmark, as the print job prepares it.
TRLGraphicStorage &longForm()
{
    static std::unique_ptr<TfrmPrincipal> form;
    if (!form) {
        form = std::make_unique<TfrmPrincipal>(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
        TLineTable &table = form->cdsLinhaRelatorio;
        table.Close();
        table.CreateDataSet();
        TextFileReader reader;
        reader.open(bench::formFile(kLines));
        std::string line;
        int n = 0;
        while (reader.readLine(line))
            table.AppendLine(++n, line);
        table.AppendLine(++n, "\fTOTAL GERAL DO RELAT\xD3RIO          R$ 1.234.567,89");
        form->rldbtxtLinha->SetFontName(QStringLiteral("Courier New"));
        form->rldbtxtLinha->SetFontSize(6);
        form->rlrRetrato->SetShowProgress(false);
        if (!form->rlrRetrato->Prepare())
            std::abort();
    }
    return form->rlrRetrato->Pages();
}

// Reads a few pages far from the start, so that the storage's cache no
// longer holds the first ones.
void evictFirstPages(TRLGraphicStorage &pages)
{
    for (int i = 0; i < 8; ++i)
        pages.Pages(pages.PageCount() / 2 + i);
}

std::unique_ptr<TRLPreviewForm> openForm(TRLGraphicStorage &pages)
{
    auto form = std::make_unique<TRLPreviewForm>();
    form->resize(kWindow);
    form->Preview()->SetPages(&pages);
    form->show();
    QCoreApplication::processEvents();
    return form;
}

} // namespace

// From creating the window to its first page painted (toolbar included).
static void BM_FirstPagePaint(benchmark::State &state)
{
    TRLGraphicStorage &pages = longForm();
    for (auto _ : state) {
        evictFirstPages(pages);
        const auto start = std::chrono::steady_clock::now();
        TRLPreviewForm form;
        form.resize(kWindow);
        form.Preview()->SetPages(&pages);
        form.show();
        const QImage painted = form.grab().toImage();
        benchmark::DoNotOptimize(painted.constBits());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["pages"] = pages.PageCount();
}
BENCHMARK(BM_FirstPagePaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(bench::Iterations(20));

// One page on: the page read from the page file, laid out and painted.
static void BM_PageTurn(benchmark::State &state)
{
    TRLGraphicStorage &pages = longForm();
    auto form = openForm(pages);
    TRLPreview &preview = *form->Preview();
    preview.SetZoomFactor(double(state.range(0)));
    for (auto _ : state) {
        if (preview.PageIndex() >= preview.PageCount() - 1)
            preview.FirstPage();
        else
            preview.NextPage();
        preview.viewport()->repaint();
    }
}
BENCHMARK(BM_PageTurn)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// From the first page to the only match, on the last page.
static void BM_FindOnLastPage(benchmark::State &state)
{
    TRLGraphicStorage &pages = longForm();
    auto form = openForm(pages);
    TRLPreview &preview = *form->Preview();
    const bool wholeWords = state.range(0) != 0;
    for (auto _ : state) {
        preview.FirstPage();
        if (!preview.FindText(QStringLiteral("total geral"), wholeWords, false, false) ||
            preview.PageIndex() != preview.PageCount() - 1)
            state.SkipWithError("the text was not found on the last page");
        preview.viewport()->repaint();
    }
}
BENCHMARK(BM_FindOnLastPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every page once, at 100 %, and what the process holds afterwards.
static void BM_PageThroughAll(benchmark::State &state)
{
    TRLGraphicStorage &pages = longForm();
    auto form = openForm(pages);
    TRLPreview &preview = *form->Preview();
    preview.viewport()->repaint();
    const double before = residentMegabytes();
    double peak = before;
    for (auto _ : state) {
        for (preview.FirstPage(); preview.PageIndex() < preview.PageCount() - 1; preview.NextPage()) {
            preview.viewport()->repaint();
            if (preview.PageIndex() % 100 == 0)
                peak = std::max(peak, residentMegabytes());
        }
    }
    state.counters["rss_before_MB"] = before;
    state.counters["rss_peak_MB"] = peak;
    state.counters["rss_growth_MB"] = residentMegabytes() - before;
}
BENCHMARK(BM_PageThroughAll)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PRENSO_DIALOGS", "auto");
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
