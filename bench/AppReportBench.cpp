#include "app/ApplicationFonts.h"
#include "app/ReportMemo.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

using namespace app;

// The report box with a report of millions of lines, as "test" of a 300 MB file writes it:
// appending line by line in a scope, then showing the end; and painting a view of it.

namespace {

constexpr std::string_view Title = "Buß- und Bettag der Evangelischen Kirche in Sachsen";

void FillReport(ReportMemo& memo, std::int64_t lines) {
    memo.Clear();
    const ReportMemo::AppendScope appending(memo);
    for (std::int64_t i = 0; i < lines; ++i) {
        memo.AppendReportLine("22.11.2005: ", Title);
    }
}

void BM_AppendReportLines(benchmark::State& state) {
    ReportMemo memo;
    memo.setGeometry(0, 0, 282, 137);
    memo.show();
    for (auto _ : state) {
        FillReport(memo, state.range(0));
        QCoreApplication::processEvents(); // the end painted
    }
    state.counters["text MB"] =
        benchmark::Counter(static_cast<double>(memo.Store().TextBytes()) / 1e6);
    state.counters["store MB"] =
        benchmark::Counter(static_cast<double>(memo.Store().MemoryBytes()) / 1e6);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendReportLines)->Arg(8'100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// One paint of the box scrolled to a line in the middle of a report of 8.1 million lines.
void BM_PaintReport(benchmark::State& state) {
    ReportMemo memo;
    memo.setGeometry(0, 0, 282, 137);
    memo.show();
    FillReport(memo, 8'100'000);
    int line = 0;
    for (auto _ : state) {
        memo.verticalScrollBar()->setValue(4'000'000 + (line += 20));
        benchmark::DoNotOptimize(memo.grab());
    }
}
BENCHMARK(BM_PaintReport)->Unit(benchmark::kMillisecond);

} // namespace
