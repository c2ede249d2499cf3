// The test report of 100,000 rules over the report years 2005 to 2015 into a sink that only
// counts bytes.
#include "holiday/HolidayTable.h"
#include "rules/LocaleDateSettings.h"
#include "rules/TestReport.h"
#include "tests/support/LegendRules.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace {

constexpr std::int32_t RuleCount = 100'000;

// The legend's rules, a fixed date, Good Friday and a hexadecimal offset, in turn.
void FillTable(holiday::HolidayTable& table) {
    using testsupport::LegendRule;
    static constexpr std::array<LegendRule, 6> Rules = {{
        testsupport::LegendRules[0],
        testsupport::LegendRules[1],
        testsupport::LegendRules[2],
        {"", "24.12", "0", "0"},
        {"", "Easter", "0", "-2"},
        {"", "1.5", "+Mo", "$0E"},
    }};
    table.SetColCount(6);
    table.SetRowCount(RuleCount + 1);
    for (std::int32_t row = 1; row <= RuleCount; ++row) {
        const LegendRule& rule = Rules[static_cast<std::size_t>(row) % Rules.size()];
        table.SetCell(0, row, "Holiday number " + std::to_string(row));
        table.SetCell(1, row, rule.Start);
        table.SetCell(2, row, rule.Weekday);
        table.SetCell(3, row, rule.Offset);
    }
}

void BM_TestReport(benchmark::State& state) {
    holiday::HolidayTable table;
    FillTable(table);
    const rules::LocaleDateSettings settings = rules::LocaleDateSettings::German();
    std::int64_t bytes = 0;
    const rules::LineSink sink = [&bytes](std::string_view lead, std::string_view title) {
        bytes += static_cast<std::int64_t>(lead.size() + title.size()) + 2; // CR LF
    };
    for (auto _ : state) {
        bytes = 0;
        rules::BuildTestReport(table, settings, sink);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["lines"] = static_cast<double>((RuleCount + 1) * 11);
}
BENCHMARK(BM_TestReport)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
