// One band's work for one record, without pagination: the text control of an
// AutoSize band takes a new caption (measured in its font), adjusts its
// bounds, the band follows its height, and both go back to their design
// bounds afterwards, as every record of a long form does. Captions alternate
// between texts of different lengths so that the bounds really change.
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"

#include "smoke.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace prenso;

namespace {

// The program's layout: a detail band, AutoSize, holding one text control
// held at the top of the band's client area.
struct BandSetup {
    TRLReport report;
    TRLBand *band = nullptr;
    TRLDBText *text = nullptr;

    BandSetup()
    {
        report.SetName(QStringLiteral("rep"));
        report.SetShowProgress(false);
        band = report.AddChild<TRLBand>();
        band->SetName(QStringLiteral("band"));
        band->SetAutoSize(true);
        band->SetAutoExpand(false);
        text = band->AddChild<TRLDBText>();
        text->SetName(QStringLiteral("text"));
        text->SetBounds(16, 0, 41, 16);
        text->SetAlign(TRLControlAlign::faTopOnly);
        text->SetFontName(QStringLiteral("Courier New"));
        text->SetFontSize(6);
    }
};

const QString kTexts[] = {
    QStringLiteral("  NOTA FISCAL 000123   SERIE 1"),
    QStringLiteral("1"),
    QStringLiteral("  ITEM  DESCRICAO DO PRODUTO                     QTD    UNITARIO        TOTAL"),
    QString(),
};

// The measuring and bounds work of one record, run while the report is
// preparing (captions then are the preparing ones, as for real records).
void BM_BandRecord(benchmark::State &state)
{
    BandSetup s;
    bool ran = false;
    s.report.BeforePrint = [&](TRLCustomControl *, bool &printIt) {
        unsigned i = 0;
        for (auto _ : state) {
            s.band->PushBoundsRecursivePublic();
            s.text->SetCaption(kTexts[i++ & 3]);
            s.band->AdjustBounds();
            benchmark::DoNotOptimize(s.band->Height());
            s.band->PopBoundsRecursivePublic();
        }
        ran = true;
        printIt = false; // nothing to prepare: only the loop above is measured
    };
    s.report.Prepare();
    if (!ran)
        state.SkipWithError("the report did not start preparing");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BandRecord)->Iterations(bench::Iterations(100000))->Unit(benchmark::kNanosecond);

// The same caption changes outside preparation (design captions).
void BM_BandCaption(benchmark::State &state)
{
    BandSetup s;
    unsigned i = 0;
    for (auto _ : state) {
        s.text->SetCaption(kTexts[i++ & 3]);
        benchmark::DoNotOptimize(s.band->Height());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BandCaption)->Iterations(bench::Iterations(100000))->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunBenchmarks(argc, argv);
    return 0;
}
