#include "rules/RuleFinder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using rules::CalendarDate;
using rules::RuleFinder;
using rules::RuleTexts;
using Dates = std::vector<std::optional<CalendarDate>>;

RuleTexts Parse(const std::string& text) {
    const std::size_t a = text.find(' '), b = text.rfind(' ');
    return {text.substr(0, a), text.substr(a + 1, b - a - 1), text.substr(b + 1)};
}

std::vector<std::string> Texts(const std::vector<RuleTexts>& rules) {
    std::vector<std::string> texts;
    for (const RuleTexts& rule : rules) {
        texts.push_back(rule.Text());
    }
    return texts;
}

TEST(RuleFinder, DatesOfARuleGiveBackItsSimplestText) {
    const RuleFinder finder(2020, 2035);
    const struct {
        const char* Rule;
        const char* Found;
    } cases[] = {
        {"25.12 0 0", "25.12 0 0"},
        {"24.12 0 +1", "25.12 0 0"},
        {"Easter 0 -2", "Easter 0 -2"},
        {"Easter +Th 0", "Easter 0 +4"},
        {"01.05 +Su +7", "08.05 +Su 0"},  // second Sunday of May
        {"25.05 +Mo 0", "31.05 -Mo 0"},   // last Monday of May
        {"28.11 -Th 0", "22.11 +Th 0"},   // fourth Thursday of November
        {"22.11 -We 0", "16.11 +We 0"},   // the Wednesday before 23 November
        {"29.02 0 0", ""},                // fails in common years: no date, no rule
        {"01.03 -Mo -1", "01.03 -Mo -1"}, // last Sunday of February, leap years too
    };
    for (const auto& c : cases) {
        const Dates dates = finder.DatesOf(Parse(c.Rule));
        const rules::RuleSearch search = finder.Find(dates);
        if (*c.Found == '\0') {
            EXPECT_TRUE(search.Fits.empty()) << c.Rule;
            continue;
        }
        EXPECT_EQ(Texts(search.Fits), std::vector<std::string>{c.Found}) << c.Rule;
        EXPECT_EQ(finder.DatesOf(search.Fits.front()), dates) << c.Rule;
    }
}

TEST(RuleFinder, OneYearLeavesCandidatesFromTheSimplest) {
    const RuleFinder finder(2026, 2026);
    const Dates goodFriday{CalendarDate::FromYmd(2026, 4, 3)};
    const std::vector<std::string> fits = Texts(finder.Find(goodFriday).Fits);
    ASSERT_GE(fits.size(), 3U);
    EXPECT_EQ(fits[0], "03.04 0 0");
    EXPECT_EQ(fits[1], "Easter 0 -2");
    EXPECT_NE(std::find(fits.begin(), fits.end(), "03.04 +Fr 0"), fits.end());
    // Two years tell them apart.
    const RuleFinder two(2026, 2027);
    EXPECT_EQ(
        Texts(two.Find(Dates{CalendarDate::FromYmd(2026, 4, 3), CalendarDate::FromYmd(2027, 3, 26)})
                  .Fits),
        std::vector<std::string>{"Easter 0 -2"});
}

TEST(RuleFinder, WithoutAFitTheClosestRuleNamesTheYearsItMisses) {
    const RuleFinder finder(2020, 2030);
    Dates observed, fromLater(11);
    std::vector<std::int32_t> sundays;
    for (std::int32_t year = 2020; year <= 2030; ++year) {
        CalendarDate date = CalendarDate::FromYmd(year, 12, 25);
        if (date.DayOfWeek() == 1) { // a Sunday holiday is kept on the Monday
            date = date.AddDays(1);
            sundays.push_back(year);
        }
        observed.push_back(date);
        if (year >= 2023) {
            fromLater[static_cast<std::size_t>(year - 2020)] = CalendarDate::FromYmd(year, 10, 31);
        }
    }
    const struct {
        Dates Given;
        std::string Closest;
        std::vector<std::int32_t> Missed;
    } cases[] = {
        {observed, "25.12 0 0", sundays},
        {fromLater, "31.10 0 0", {2020, 2021, 2022}},
    };
    for (const auto& c : cases) {
        const rules::RuleSearch search = finder.Find(c.Given);
        EXPECT_TRUE(search.Fits.empty());
        ASSERT_TRUE(search.Closest) << c.Closest;
        EXPECT_EQ(search.Closest->Text(), c.Closest);
        EXPECT_EQ(search.MissedYears, c.Missed) << c.Closest;
    }
}

} // namespace
