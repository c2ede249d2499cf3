#include "app/ApplicationFonts.h"
#include "app/ReportMemo.h"
#include "app/TForm1.h"

#include <QApplication>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace app;

// The "test" command on a table of many rules: the report of 11 years goes line by line into
// the report box of a window that is shown.

namespace {

struct Rule {
    const char* Title;
    const char* Start;
    const char* Direction;
    const char* Offset;
};

constexpr std::array<Rule, 3> Rules{{
    {"Easter Monday", "Easter", "0", "+1"},
    {"Last Wednesday in November", "30.11", "-We", "0"},
    {"Third Sunday in March", "01.03", "+Su", "+14"},
}};

void FillRules(holiday::HolidayTable& table, std::int32_t rules) {
    table.SetRowCount(rules + 1);
    for (std::int32_t row = 1; row <= rules; ++row) {
        const Rule& rule = Rules[static_cast<std::size_t>(row) % Rules.size()];
        table.SetCell(0, row, rule.Title);
        table.SetCell(1, row, rule.Start);
        table.SetCell(2, row, rule.Direction);
        table.SetCell(3, row, rule.Offset);
    }
}

void BM_TestButton(benchmark::State& state) {
    TForm1 form;
    form.SetLocaleSettings(rules::LocaleDateSettings::German());
    FillRules(form.Table(), static_cast<std::int32_t>(state.range(0)));
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

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    RegisterApplicationFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
