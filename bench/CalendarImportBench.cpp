// holtool import's work on calendars of 10,000 events: reading the iCalendar text with libical,
// expanding the events, and finding each title's rule. Two shapes: 50 titles over the 200
// years 1900 to 2099, and 1,000 titles over ten years; a tenth of the titles are kept on the
// Monday when they fall on a Sunday, so no rule fits them and the closest rule is searched.
#include "calendar/CalendarImport.h"
#include "calendar/IcsCalendar.h"
#include "rules/Easter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace {

std::string Ymd(rules::CalendarDate date) {
    const rules::CalendarDate::Ymd ymd = date.ToYmd();
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", ymd.Year, ymd.Month, ymd.Day);
    return text;
}

// titles x years single all-day events: fixed dates, dates from Easter, n-th weekdays and, for
// every tenth title, a fixed date kept on the Monday after a Sunday.
std::string CalendarText(int titles, int firstYear, int years) {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    for (int t = 0; t < titles; ++t) {
        for (int year = firstYear; year < firstYear + years; ++year) {
            const int month = 1 + t % 12;
            const int day = 1 + (t * 7) % 28;
            rules::CalendarDate date = rules::CalendarDate::FromYmd(year, month, day);
            switch (t % 10) {
            case 0:
                if (date.DayOfWeek() == 1) {
                    date = date.AddDays(1);
                }
                break;
            case 1:
            case 2:
            case 3: {
                const rules::EasterDate easter = rules::Ostern(year);
                date = rules::CalendarDate::FromYmd(year, easter.Month, easter.Day)
                           .AddDays(t % 60 - 30);
                break;
            }
            case 4:
            case 5:
                date = date.AddDays((7 + t % 7 + 1 - date.DayOfWeek()) % 7);
                break;
            default:
                break;
            }
            text += "BEGIN:VEVENT\r\nUID:" + std::to_string(t) + "-" + std::to_string(year) +
                    "@bench\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:" + Ymd(date) +
                    "\r\nSUMMARY:Holiday number " + std::to_string(t) + "\r\nEND:VEVENT\r\n";
        }
    }
    return text + "END:VCALENDAR\r\n";
}

void BM_ImportCalendar(benchmark::State& state) {
    const int titles = static_cast<int>(state.range(0));
    const int years = static_cast<int>(state.range(1));
    const std::string text = CalendarText(titles, 2100 - years, years);
    std::size_t rules = 0;
    for (auto _ : state) {
        const calendar::IcsCalendar ics(text, "bench.ics");
        const calendar::YearSpan span = *ics.Years();
        const calendar::CalendarImport import(ics.Holidays(span), span);
        rules = 0;
        for (const calendar::ImportedTitle& title : import.Titles()) {
            rules += title.HasRule() ? 1U : 0U;
        }
        benchmark::DoNotOptimize(rules);
    }
    state.counters["events"] = titles * years;
    state.counters["rules"] = static_cast<double>(rules);
}
BENCHMARK(BM_ImportCalendar)->Args({50, 200})->Args({1000, 10})->Unit(benchmark::kMillisecond);

// The reading alone, for the share of libical.
void BM_ReadCalendar(benchmark::State& state) {
    const std::string text = CalendarText(50, 1900, 200);
    for (auto _ : state) {
        const calendar::IcsCalendar ics(text, "bench.ics");
        benchmark::DoNotOptimize(ics.Holidays(*ics.Years()).size());
    }
}
BENCHMARK(BM_ReadCalendar)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
