// The print job's reading part: form file -> line table, longest line and the
// layout decisions. Reading must be linear in the file size.
#include "app/Principal.h"
#include "data/LineTable.h"
#include "platform/io/textfile.h"
#include "report/filters/RLFilters.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

using namespace prenso;

static void BM_ReadIntoLineTable(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    const QString path = bench::formFile(lines);
    for (auto _ : state) {
        TLineTable table;
        table.CreateDataSet();
        TextFileReader reader;
        reader.open(path);
        std::string line;
        int longest = 0, counter = 0;
        while (reader.readLine(line)) {
            longest = std::max(longest, static_cast<int>(line.size()));
            table.AppendLine(++counter, line);
        }
        benchmark::DoNotOptimize(longest);
        if (table.RecordCount() != lines)
            state.SkipWithError("wrong line count");
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_ReadIntoLineTable)->Arg(bench::Size(10000))->Arg(bench::Size(100000))->Unit(benchmark::kMillisecond);

namespace {

// An output that takes the pages and does nothing with them: the job up to
// its output, without a printer.
class NoOutput : public TRLCustomPrintFilter {
public:
    ~NoOutput() override { BeginDestroy(); }

protected:
    void InternalBeginDoc() override {}
    void InternalEndDoc() override {}
    void InternalNewPage() override {}
    void InternalDrawPage(TRLGraphicPage *) override {}
};

} // namespace

// The whole job but its output: reading, decisions, the pages laid out, and
// the scratch file written and removed at the end.
static void BM_WholeJob(benchmark::State &state)
{
    const int lines = static_cast<int>(state.range(0));
    const QString path = bench::formFile(lines);
    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
    NoOutput output;
    output.SetShowProgress(false);
    SetSelectedFilter(&output);
    // The job reports its decisions on standard error; keep the output clean.
    std::fflush(stderr);
    const int saved = ::dup(2);
    std::freopen("/dev/null", "w", stderr);
    for (auto _ : state) {
        form.sPbArquivo = path;
        form.sPbOrientacao = QStringLiteral("RETRATO");
        form.sPbDialogo = QStringLiteral("NAO"); // nobody answers a print dialog here
        form.iPbFontSize = 0;
        form.ExecutaImpressao();
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    SetSelectedFilter(nullptr);
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_WholeJob)->Arg(bench::Size(100000))->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
