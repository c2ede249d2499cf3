#pragma once

#include "rules/CalendarDate.h"
#include "rules/HolidayRule.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rules {

// One rule as the texts of its start date, weekday and offset columns.
struct RuleTexts {
    std::string StartDate; // "25.12" or "Easter"
    std::string Weekday;   // "0", "+Th", "-Mo" ...
    std::string Offset;    // "0", "+1", "-2" ...

    // The three texts joined by blanks: "25.12 0 0", "Easter 0 -2", "22.11 +Th 0".
    [[nodiscard]] std::string Text() const;

    friend bool operator==(const RuleTexts&, const RuleTexts&) = default;
};

// What the dates of one title admit.
struct RuleSearch {
    // Every rule that gives exactly the given date in every year, one per set of rules that
    // give the same dates in all years 1900 to 2099 (written as the simplest of them), the
    // simplest first. Empty when a year has no date.
    std::vector<RuleTexts> Fits;
    // When nothing fits: the rule that gives the most of the dates (the simplest of those),
    // and the years whose date it does not give, a year without a date among them.
    std::optional<RuleTexts> Closest;
    std::vector<std::int32_t> MissedYears;
};

// Finds the rules a holiday file can write for a title's dates over a span of years.
//
// The rules looked at are those a person writes: a fixed day and month ("25.12 0 0"); Easter
// plus or minus up to MaxEasterOffset days ("Easter 0 -2"); a day and month moved forward or
// backward to a weekday, plus an offset of up to six days either way ("22.11 +Th 0",
// "31.05 -Mo 0"; larger offsets are the same rules from another start date). Every candidate
// is checked with PreparedHolidayRule, the evaluation of the report, in every year. Of rules
// that agree in 1900 to 2099 the simplest text is kept: a fixed date before Easter, Easter
// before a weekday move, no offset before an offset; of weekday moves, the n-th weekday of a
// month written forward from the first day of that week (1, 8, 15, 22), the last one backward
// from the month's last day, before other starts, forward before backward.
class RuleFinder {
public:
    static constexpr std::int32_t MaxEasterOffset = 100;

    // Years firstYear to lastYear, each worked out once; throws std::out_of_range unless
    // 1 <= firstYear <= lastYear <= 9999.
    RuleFinder(std::int32_t firstYear, std::int32_t lastYear);

    [[nodiscard]] std::int32_t FirstYear() const noexcept { return mFirst; }
    [[nodiscard]] std::int32_t LastYear() const noexcept { return mFirst + YearCount() - 1; }
    [[nodiscard]] std::int32_t YearCount() const noexcept {
        return static_cast<std::int32_t>(mYears.size());
    }

    // dates[i] is the title's date in FirstYear() + i, or nullopt for a year without one;
    // dates has YearCount() entries (throws std::invalid_argument otherwise).
    [[nodiscard]] RuleSearch Find(std::span<const std::optional<CalendarDate>> dates) const;

    // The date rule gives in each year of the span; nullopt where its evaluation fails.
    [[nodiscard]] std::vector<std::optional<CalendarDate>> DatesOf(const RuleTexts& rule) const;
    [[nodiscard]] std::vector<std::optional<CalendarDate>>
    DatesOf(const PreparedHolidayRule& rule) const;

private:
    struct Candidate;
    [[nodiscard]] std::vector<Candidate> CandidatesFrom(std::size_t year, CalendarDate date) const;
    [[nodiscard]] RuleSearch FindClosest(std::span<const std::optional<CalendarDate>> dates) const;
    [[nodiscard]] std::vector<RuleTexts> Distinct(std::vector<Candidate> fits) const;

    std::int32_t mFirst = 0;
    std::vector<RuleYear> mYears;   // FirstYear() .. LastYear()
    std::vector<RuleYear> mCentury; // 1900 .. 2099, where rules are told apart
};

} // namespace rules
