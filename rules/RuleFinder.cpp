#include "rules/RuleFinder.h"

#include "holiday/Exception.h"
#include "rules/RuleWalk.h"

#include <algorithm>
#include <array>
#include <climits>
#include <set>
#include <stdexcept>
#include <unordered_set>

namespace rules {

namespace {

constexpr std::int32_t CenturyFirst = 1900;
constexpr std::int32_t CenturyLast = 2099;
// More seed years than this give the closest rule no better chance worth their time.
constexpr std::size_t MaxClosestSeeds = 16;
constexpr int MaxWeekdayOffset = 6;

std::vector<RuleYear> MakeRuleYears(std::int32_t first, std::int32_t last) {
    std::vector<RuleYear> years;
    years.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int32_t year = first; year <= last; ++year) {
        years.push_back(RuleYearOf(year));
    }
    return years;
}

// The date the rule gives in year, or nullopt when its evaluation fails there.
std::optional<CalendarDate> DateIn(const PreparedHolidayRule& rule, const RuleYear& year) {
    try {
        return rule.Evaluate(year);
    } catch (const holiday::EConvertError&) {
        return std::nullopt;
    }
}

std::string StartText(int day, int month) {
    const char text[5] = {static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10), '.',
                          static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10)};
    return std::string(text, sizeof text);
}

// dayOfWeek: Sunday 1 .. Saturday 7.
std::string WeekdayText(int direction, int dayOfWeek) {
    static constexpr std::array<const char*, 7> Codes = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    std::string text(direction > 0 ? "+" : "-");
    text += Codes[static_cast<std::size_t>(dayOfWeek - 1)];
    return text;
}

std::string OffsetText(std::int64_t days) {
    if (days == 0) {
        return "0";
    }
    std::string text(days > 0 ? "+" : "-");
    text += std::to_string(days > 0 ? days : -days);
    return text;
}

int DaysInMonth(int month) {
    static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return Days[static_cast<std::size_t>(month - 1)];
}

} // namespace

std::string RuleTexts::Text() const {
    std::string text = StartDate;
    text += ' ';
    text += Weekday;
    text += ' ';
    text += Offset;
    return text;
}

// A rule to check, with its place in the order of simplicity (lower is simpler).
struct RuleFinder::Candidate {
    RuleTexts Texts;
    std::array<int, 7> Rank{};
};

RuleFinder::RuleFinder(std::int32_t firstYear, std::int32_t lastYear) : mFirst(firstYear) {
    if (firstYear < 1 || lastYear > 9999 || firstYear > lastYear) {
        throw std::out_of_range("RuleFinder: the years must lie in 1..9999");
    }
    mYears = MakeRuleYears(firstYear, lastYear);
    mCentury = MakeRuleYears(CenturyFirst, CenturyLast);
}

std::vector<RuleFinder::Candidate> RuleFinder::CandidatesFrom(std::size_t yearIndex,
                                                              CalendarDate date) const {
    const RuleYear& year = mYears[yearIndex];
    std::vector<Candidate> candidates;
    candidates.reserve(2 + (2 * MaxWeekdayOffset + 1) * 14);
    const CalendarDate::Ymd ymd = date.ToYmd();
    candidates.push_back(
        {{StartText(ymd.Day, ymd.Month), "0", "0"}, {0, 0, 0, ymd.Month, ymd.Day}});

    if (year.Valid) {
        const std::int64_t easter = year.FirstDay.DayNumber() + year.EasterOffset;
        const std::int64_t fromEaster = date.DayNumber() - easter;
        if (fromEaster >= -MaxEasterOffset && fromEaster <= MaxEasterOffset) {
            const int distance = static_cast<int>(fromEaster < 0 ? -fromEaster : fromEaster);
            candidates.push_back(
                {{"Easter", "0", OffsetText(fromEaster)}, {1, distance, fromEaster < 0 ? 1 : 0}});
        }
    }

    for (int offset = -MaxWeekdayOffset; offset <= MaxWeekdayOffset; ++offset) {
        CalendarDate moved;
        try {
            moved = date.AddDays(-offset);
        } catch (const holiday::EConvertError&) {
            continue;
        }
        const int weekday = moved.DayOfWeek();
        for (const int direction : {1, -1}) {
            for (int step = 0; step < 7; ++step) {
                CalendarDate start;
                try {
                    start = moved.AddDays(-direction * step);
                } catch (const holiday::EConvertError&) {
                    continue;
                }
                const CalendarDate::Ymd s = start.ToYmd();
                if (s.Year != year.Year) {
                    continue;
                }
                const bool natural = direction > 0 ? (s.Day - 1) % 7 == 0 && s.Day <= 22
                                                   : s.Day == DaysInMonth(s.Month);
                const int family = 2 + (natural ? 0 : 1) + (offset != 0 ? 2 : 0);
                candidates.push_back({{StartText(s.Day, s.Month), WeekdayText(direction, weekday),
                                       OffsetText(offset)},
                                      {family, offset < 0 ? -offset : offset, offset < 0 ? 1 : 0,
                                       direction < 0 ? 1 : 0, s.Month, s.Day, weekday}});
            }
        }
    }
    return candidates;
}

std::vector<RuleTexts> RuleFinder::Distinct(std::vector<Candidate> fits) const {
    if (fits.size() == 1) {
        return {std::move(fits.front().Texts)};
    }
    std::sort(fits.begin(), fits.end(),
              [](const Candidate& a, const Candidate& b) { return a.Rank < b.Rank; });
    std::set<std::vector<std::int32_t>> seen;
    std::vector<RuleTexts> distinct;
    for (Candidate& fit : fits) {
        const PreparedHolidayRule rule(fit.Texts.StartDate, fit.Texts.Weekday, fit.Texts.Offset);
        std::vector<std::int32_t> dates;
        dates.reserve(mCentury.size());
        for (const RuleYear& year : mCentury) {
            const std::optional<CalendarDate> date = DateIn(rule, year);
            dates.push_back(
                date ? static_cast<std::int32_t>(date->DayNumber() - year.FirstDay.DayNumber())
                     : INT32_MIN);
        }
        if (seen.insert(std::move(dates)).second) {
            distinct.push_back(std::move(fit.Texts));
        }
    }
    return distinct;
}

RuleSearch RuleFinder::Find(std::span<const std::optional<CalendarDate>> dates) const {
    if (dates.size() != mYears.size()) {
        throw std::invalid_argument("RuleFinder::Find: one date per year");
    }
    if (std::any_of(dates.begin(), dates.end(), [](const auto& date) { return !date; })) {
        return FindClosest(dates);
    }
    std::vector<Candidate> fits;
    for (Candidate& candidate : CandidatesFrom(0, *dates[0])) {
        const PreparedHolidayRule rule(candidate.Texts.StartDate, candidate.Texts.Weekday,
                                       candidate.Texts.Offset);
        bool all = true;
        for (std::size_t i = 0; i < mYears.size() && all; ++i) {
            all = DateIn(rule, mYears[i]) == dates[i];
        }
        if (all) {
            fits.push_back(std::move(candidate));
        }
    }
    if (fits.empty()) {
        return FindClosest(dates);
    }
    RuleSearch search;
    search.Fits = Distinct(std::move(fits));
    return search;
}

RuleSearch RuleFinder::FindClosest(std::span<const std::optional<CalendarDate>> dates) const {
    RuleSearch search;
    std::vector<std::size_t> present;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        if (dates[i]) {
            present.push_back(i);
        }
    }
    std::vector<std::size_t> seeds = present;
    if (seeds.size() > MaxClosestSeeds) {
        seeds.clear();
        for (std::size_t k = 0; k < MaxClosestSeeds; ++k) {
            seeds.push_back(present[k * (present.size() - 1) / (MaxClosestSeeds - 1)]);
        }
    }

    std::unordered_set<std::string> tried;
    std::optional<Candidate> best;
    std::size_t bestMisses = dates.size() + 1;
    for (const std::size_t seed : seeds) {
        for (Candidate& candidate : CandidatesFrom(seed, *dates[seed])) {
            if (!tried.insert(candidate.Texts.Text()).second) {
                continue;
            }
            const PreparedHolidayRule rule(candidate.Texts.StartDate, candidate.Texts.Weekday,
                                           candidate.Texts.Offset);
            std::size_t misses = 0;
            for (std::size_t i = 0; i < mYears.size() && misses <= bestMisses; ++i) {
                if (!dates[i] || DateIn(rule, mYears[i]) != dates[i]) {
                    ++misses;
                }
            }
            if (misses < bestMisses || (misses == bestMisses && candidate.Rank < best->Rank)) {
                bestMisses = misses;
                best = std::move(candidate);
            }
        }
    }
    if (best) {
        const std::vector<std::optional<CalendarDate>> given = DatesOf(best->Texts);
        for (std::size_t i = 0; i < dates.size(); ++i) {
            if (!dates[i] || given[i] != dates[i]) {
                search.MissedYears.push_back(mFirst + static_cast<std::int32_t>(i));
            }
        }
        search.Closest = std::move(best->Texts);
    } else {
        for (std::size_t i = 0; i < dates.size(); ++i) {
            search.MissedYears.push_back(mFirst + static_cast<std::int32_t>(i));
        }
    }
    return search;
}

std::vector<std::optional<CalendarDate>> RuleFinder::DatesOf(const RuleTexts& rule) const {
    return DatesOf(PreparedHolidayRule(rule.StartDate, rule.Weekday, rule.Offset));
}

std::vector<std::optional<CalendarDate>>
RuleFinder::DatesOf(const PreparedHolidayRule& prepared) const {
    std::vector<std::optional<CalendarDate>> dates;
    dates.reserve(mYears.size());
    for (const RuleYear& year : mYears) {
        dates.push_back(DateIn(prepared, year));
    }
    return dates;
}

} // namespace rules
