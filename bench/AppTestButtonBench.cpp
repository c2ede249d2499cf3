#include "app/ApplicationFonts.h"
#include "app/ReportMemo.h"
#include "app/TForm1.h"
#include "tests/support/LegendRules.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace app;

// The "test" command on a table of many rules: the report of 11 years goes line by line into
// the report box of a window that is shown.

namespace {

void BM_TestButton(benchmark::State& state) {
    TForm1 form;
    form.SetLocaleSettings(rules::LocaleDateSettings::German());
    testsupport::FillLegendRules(form.Table(), static_cast<std::int32_t>(state.range(0)));
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.Button3Click(nullptr);
        QCoreApplication::processEvents(); // the box repaints once the command is done
    }
    state.counters["lines"] = benchmark::Counter(static_cast<double>(form.Memo1->Lines().size()));
    state.SetItemsProcessed(state.iterations() * state.range(0) * 11);
}
BENCHMARK(BM_TestButton)
    ->Arg(1'000)
    ->Arg(65'535)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
