#include "rules/YearHolidays.h"

#include "holiday/HolidayTable.h"
#include "holiday/Utf8.h"
#include "rules/RuleWalk.h"

#include <algorithm>
#include <stdexcept>

namespace rules {

namespace {

// The first bytes of text, at most maxBytes, ending at a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t maxBytes) noexcept {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + holiday::DecodeUtf8Char(text, end).Bytes;
        if (next > maxBytes) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

bool EarlierDay(const YearHoliday& a, const YearHoliday& b) noexcept {
    return a.Date < b.Date;
}

} // namespace

std::optional<DayColour> MarkColour(std::string_view mark) noexcept {
    if (mark.empty()) {
        return std::nullopt;
    }
    if (mark.find('#') != std::string_view::npos) {
        return DayColour::Sunday;
    }
    if (mark.find('*') != std::string_view::npos) {
        return DayColour::Saturday;
    }
    return DayColour::TitleOnly;
}

YearHolidays YearHolidays::Compute(RuleWalk& walk, const holiday::HolidayTable& table,
                                   std::int32_t col, std::int32_t year) {
    if (year < 1 || year > 9999) {
        throw std::out_of_range("year out of range");
    }
    YearHolidays result;
    result.mYear = year;
    const holiday::CellStore& cells = table.Cells();
    walk.WalkYear(year, [&](const RuleRow& row, CalendarDate date) {
        if (const auto colour = MarkColour(cells.View(col, row.Row))) {
            result.mHolidays.push_back(
                {date, row.Row, *colour, std::string(CutAtCharacter(row.Title, MaxTitleBytes))});
        }
    });
    // The walk hands the rows in order, so a stable sort keeps the rows of a day in order.
    std::stable_sort(result.mHolidays.begin(), result.mHolidays.end(), EarlierDay);
    return result;
}

std::span<const YearHoliday> YearHolidays::On(CalendarDate date) const noexcept {
    YearHoliday key;
    key.Date = date;
    const auto [first, last] =
        std::equal_range(mHolidays.begin(), mHolidays.end(), key, EarlierDay);
    return {first, last};
}

std::optional<DayColour> YearHolidays::ColourOn(CalendarDate date) const noexcept {
    std::optional<DayColour> colour;
    for (const YearHoliday& holiday : On(date)) {
        colour = std::max(colour.value_or(DayColour::TitleOnly), holiday.Colour);
    }
    return colour;
}

} // namespace rules
