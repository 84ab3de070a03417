// Preparation of a long form: the line table laid out into stored pages, as
// the print job does it (portrait report, Courier New, a form feed every 66
// lines). Pages live in the page file, so memory must not grow with them.
#include "app/Principal.h"
#include "platform/io/textfile.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace prenso;

static void loadForm(TfrmPrincipal &form, int lines)
{
    TLineTable &table = form.cdsLinhaRelatorio;
    table.Close();
    table.CreateDataSet();
    TextFileReader reader;
    reader.open(bench::formFile(lines));
    std::string line;
    int n = 0;
    while (reader.readLine(line))
        table.AppendLine(++n, line);
}

static void BM_Prepare(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
    loadForm(form, lines);
    form.rldbtxtLinha->SetFontName(QStringLiteral("Courier New"));
    form.rldbtxtLinha->SetFontSize(6);
    form.rlrRetrato->SetShowProgress(state.range(1) != 0);
    int pages = 0;
    for (auto _ : state) {
        if (!form.rlrRetrato->Prepare())
            state.SkipWithError("preparation failed");
        pages = form.rlrRetrato->Pages().PageCount();
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(double(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_Prepare)
    ->Args({bench::Size(10000), 0})
    ->Args({bench::Size(100000), 0})
    ->Args({bench::Size(100000), 1})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
