// Printing a long form: the spool filter paints the ~1,500 stored pages of a
// 100,000-line form on a real printer. The printer is a raw queue of a print
// server of the benchmark's own (started as the integration tests start
// theirs); the document goes to a listener at the end of the queue. A run is
// timed from the first page to the moment the finished document has been
// handed to the server, as the program experiences it.
#include "app/Principal.h"
#include "platform/io/textfile.h"
#include "report/controls/RLLabel.h"
#include "report/filters/RLSpoolFilter.h"
#include "report/pagination/RLReport.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "support/private_cupsd.h"

#include "forms_gen.h"
#include "smoke.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

using namespace prenso;

namespace {

std::unique_ptr<test::PrivateCupsd> g_cupsd;
std::unique_ptr<test::SocketListener> g_printer;

void loadForm(TfrmPrincipal &form, int lines)
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

} // namespace

static void BM_SpoolToPrinter(benchmark::State &state)
{
    if (!g_cupsd || !g_cupsd->running()) {
        state.SkipWithError("the private print server did not start");
        return;
    }
    const int lines = static_cast<int>(state.range(0));
    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
    loadForm(form, lines);
    // The size the print job picks for lines of up to 132 characters.
    form.rldbtxtLinha->SetFontName(QStringLiteral("Courier New"));
    form.rldbtxtLinha->SetFontSize(6);
    form.rlrRetrato->SetShowProgress(false);
    if (!form.rlrRetrato->Prepare()) {
        state.SkipWithError("preparation failed");
        return;
    }
    TRLGraphicStorage &pages = form.rlrRetrato->Pages();
    RLPrinter().SetPrinterName(QStringLiteral("Bench"));
    TRLSpoolFilter spool;
    spool.SetShowProgress(false);
    for (auto _ : state)
        spool.FilterPages(&pages);
    state.counters["pages"] = pages.PageCount();
    state.counters["pages_per_s"] =
        benchmark::Counter(double(pages.PageCount()) * state.iterations(), benchmark::Counter::kIsRate);
    const std::vector<std::string> jobs = g_printer->waitForJobs(state.iterations(), 120000);
    state.counters["document_MB"] = jobs.empty() ? 0.0 : double(jobs.back().size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SpoolToPrinter)
    ->Arg(bench::Size(100000))
    ->Iterations(bench::Iterations(2))
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The server first: the printing library reads where its server is only
    // once, and the application object already asks.
    g_cupsd = std::make_unique<test::PrivateCupsd>();
    g_printer = std::make_unique<test::SocketListener>();
    if (g_cupsd->running())
        g_cupsd->addRawQueue(QStringLiteral("Bench"), g_printer->port());
    int rc = 0;
    {
        QApplication app(argc, argv);
        bench::RunBenchmarks(argc, argv);
    }
    g_printer.reset();
    g_cupsd.reset();
    return rc;
}
