// Growing a table one column at a time, as the reader does: 100,000 times AddColumn.

#include "holiday/HolidayTable.h"
#include "holiday/HolidayTableObserver.h"

#include <benchmark/benchmark.h>

namespace {

// A view that counts what it is told, as the grid would.
class CountingObserver : public holiday::HolidayTableObserver {
public:
    void ExtentChanged(holiday::GridCoord) override { ++mChanges; }
    long mChanges = 0;
};

void BM_AddColumn100k(benchmark::State& state) {
    for (auto _ : state) {
        holiday::HolidayTable table;
        CountingObserver observer;
        if (state.range(0) != 0) {
            table.AddObserver(&observer);
        }
        table.SetColWidth(0, 204);
        for (int k = 0; k < 100'000; ++k) {
            table.AddColumn();
        }
        benchmark::DoNotOptimize(table.ColCount());
        table.RemoveObserver(&observer);
    }
    state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(BM_AddColumn100k)->Arg(0)->Arg(1)->ArgName("observed")->Unit(benchmark::kMicrosecond);

void BM_ShrinkAndGrowWideTable(benchmark::State& state) {
    holiday::HolidayTable table;
    table.SetColCount(100'000'000);
    table.SetCell(99'999'999, 1, "far right");
    for (auto _ : state) {
        table.SetColCount(6);
        table.SetColCount(100'000'000);
    }
    benchmark::DoNotOptimize(table.GetCell(99'999'999, 1));
}
BENCHMARK(BM_ShrinkAndGrowWideTable);

} // namespace

BENCHMARK_MAIN();
