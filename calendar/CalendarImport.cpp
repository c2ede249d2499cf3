#include "calendar/CalendarImport.h"

#include "holiday/HolidayTable.h"
#include "rules/RuleColumns.h"
#include "rules/RuleWalk.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>

namespace calendar {

namespace {

// Candidates listed for a title that more years must decide.
constexpr std::size_t ListedCandidates = 4;

using DateKey = std::vector<std::int64_t>;

// The day numbers of dates, with a value no date has for a year without one.
DateKey KeyOf(const std::vector<std::optional<rules::CalendarDate>>& dates) {
    DateKey key;
    key.reserve(dates.size());
    for (const auto& date : dates) {
        key.push_back(date ? date->DayNumber() : INT64_MIN);
    }
    return key;
}

bool RowHasText(const holiday::HolidayTable& table, std::int32_t row) {
    for (std::int32_t col = 0; col < table.ColCount(); ++col) {
        if (!table.GetCell(col, row).empty()) {
            return true;
        }
    }
    return false;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    std::string text = std::to_string(count);
    text += ' ';
    text += count == 1 ? one : many;
    return text;
}

} // namespace

CalendarImport::CalendarImport(const std::vector<CalendarHoliday>& holidays, YearSpan years)
    : mYears(years), mFinder(years.First, years.Last) {
    // Each title's dates, year by year, in the order of the titles' first dates.
    std::unordered_map<std::string, std::size_t> index;
    std::vector<std::pair<std::string, std::vector<std::vector<rules::CalendarDate>>>> titles;
    const auto yearCount = static_cast<std::size_t>(mFinder.YearCount());
    for (const CalendarHoliday& holiday : holidays) {
        const std::int32_t year = holiday.Date.Year();
        if (year < years.First || year > years.Last) {
            continue;
        }
        const auto [it, added] = index.try_emplace(holiday.Title, titles.size());
        if (added) {
            titles.emplace_back(holiday.Title,
                                std::vector<std::vector<rules::CalendarDate>>(yearCount));
        }
        auto& dates = titles[it->second].second[static_cast<std::size_t>(year - years.First)];
        if (std::find(dates.begin(), dates.end(), holiday.Date) == dates.end()) {
            dates.push_back(holiday.Date);
        }
    }
    for (auto& [title, perYear] : titles) {
        std::size_t positions = 0;
        for (auto& dates : perYear) {
            std::sort(dates.begin(), dates.end());
            positions = std::max(positions, dates.size());
        }
        for (std::size_t position = 0; position < positions; ++position) {
            std::vector<std::optional<rules::CalendarDate>> dates(yearCount);
            for (std::size_t y = 0; y < yearCount; ++y) {
                if (position < perYear[y].size()) {
                    dates[y] = perYear[y][position];
                }
            }
            ImportedTitle imported;
            imported.Title = title;
            imported.Position = static_cast<std::int32_t>(position);
            imported.Positions = static_cast<std::int32_t>(positions);
            imported.Search = mFinder.Find(dates);
            mTitles.push_back(std::move(imported));
        }
    }
}

bool CalendarImport::AllHaveRules() const noexcept {
    return std::all_of(mTitles.begin(), mTitles.end(),
                       [](const ImportedTitle& title) { return title.HasRule(); });
}

void CalendarImport::MergeInto(holiday::HolidayTable& table, const std::string& config,
                               const std::string& mark) {
    using rules::FirstConfigCol;
    using rules::FirstRuleRow;
    const holiday::HolidayTable::NotificationBatch batch(table);

    std::int32_t lastUsed = -1; // the last row that holds any text
    for (std::int32_t row = table.RowCount() - 1; row >= 0 && lastUsed < 0; --row) {
        if (RowHasText(table, row)) {
            lastUsed = row;
        }
    }
    std::int32_t col = -1;
    if (lastUsed < 0) {
        table.SetColCount(std::max(table.ColCount(), FirstConfigCol + 1));
        static constexpr std::array<std::string_view, 5> Header = {"Title", "Start", "Direction",
                                                                   "Offset", ""};
        table.SetRowCells(0, Header);
        col = FirstConfigCol;
        table.SetCell(col, 0, config);
        lastUsed = 0;
    }
    for (std::int32_t c = FirstConfigCol; c < table.ColCount() && col < 0; ++c) {
        if (table.GetCell(c, 0) == config) {
            col = c;
        }
    }
    if (col < 0) {
        col = std::max(table.ColCount(), FirstConfigCol);
        table.SetColCount(col + 1);
        table.SetCell(col, 0, config);
    }

    // The rule rows of the table by the dates they give, in row order, with their titles.
    struct Row {
        std::int32_t Number;
        std::string Title;
        bool Taken = false; // by a title of this merge
    };
    std::map<DateKey, std::vector<Row>> rows;
    {
        rules::RuleWalk walk(table, {FirstRuleRow, lastUsed + 1});
        for (const rules::RuleRow& row : walk.Rows()) {
            rows[KeyOf(mFinder.DatesOf(row.Rule))].push_back({row.Row, std::string(row.Title)});
        }
    }
    const auto take = [&](ImportedTitle& title, Row& row, bool added) {
        row.Taken = true;
        table.SetCell(col, row.Number, mark);
        title.Row = row.Number;
        title.Added = added;
    };
    // A row of the same dates and title first, then the first other row of the same dates that
    // no title of this merge took, else a new row: two titles of one date keep a row each.
    std::vector<std::pair<ImportedTitle*, std::vector<Row>*>> open;
    for (ImportedTitle& title : mTitles) {
        title.Row = 0;
        title.Added = false;
        if (!title.HasRule()) {
            continue;
        }
        std::vector<Row>& same = rows[KeyOf(mFinder.DatesOf(title.Search.Fits.front()))];
        const auto it = std::find_if(same.begin(), same.end(), [&](const Row& row) {
            return !row.Taken && row.Title == title.Title;
        });
        if (it != same.end()) {
            take(title, *it, false);
        } else {
            open.emplace_back(&title, &same);
        }
    }
    for (auto& [title, same] : open) {
        const auto it =
            std::find_if(same->begin(), same->end(), [](const Row& row) { return !row.Taken; });
        if (it != same->end()) {
            take(*title, *it, false);
            continue;
        }
        const rules::RuleTexts& rule = title->Search.Fits.front();
        ++lastUsed;
        if (lastUsed >= table.RowCount()) {
            table.SetRowCount(lastUsed + 1);
        }
        const std::array<std::string_view, 4> cells = {title->Title, rule.StartDate, rule.Weekday,
                                                       rule.Offset};
        table.SetRowCells(lastUsed, cells);
        same->push_back({lastUsed, title->Title});
        take(*title, same->back(), true);
    }
}

std::vector<std::string> CalendarImport::Summary(const std::string& calendarName,
                                                 const SkippedEvents& skipped) const {
    std::size_t withRule = 0;
    std::size_t ambiguous = 0;
    for (const ImportedTitle& title : mTitles) {
        withRule += title.HasRule() ? 1U : 0U;
        ambiguous += title.Search.Fits.size() > 1 ? 1U : 0U;
    }
    std::vector<std::string> lines;
    std::string heading = "Calendar \"" + calendarName + "\", " + std::to_string(mYears.First);
    if (mYears.Last != mYears.First) {
        heading += '-';
        heading += std::to_string(mYears.Last);
    }
    heading += ": " + Plural(mTitles.size(), "title", "titles") + ", " +
               Plural(withRule, "rule", "rules") + ", " + std::to_string(ambiguous) +
               " ambiguous, " + std::to_string(mTitles.size() - withRule - ambiguous) +
               " without a rule";
    lines.push_back(std::move(heading));

    for (const ImportedTitle& title : mTitles) {
        std::string line = "  " + title.Title;
        if (title.Positions > 1) {
            line += " (date ";
            line += std::to_string(title.Position + 1);
            line += " of ";
            line += std::to_string(title.Positions);
            line += ')';
        }
        line += ": ";
        const rules::RuleSearch& search = title.Search;
        if (title.HasRule()) {
            line += search.Fits.front().Text();
            if (title.Row > 0) {
                line += title.Added ? " (new row " : " (row ";
                line += std::to_string(title.Row) + ")";
            }
        } else if (!search.Fits.empty()) {
            line += "ambiguous, more years decide: ";
            for (std::size_t i = 0; i < search.Fits.size() && i < ListedCandidates; ++i) {
                line += i == 0 ? "" : ", ";
                line += search.Fits[i].Text();
            }
            if (search.Fits.size() > ListedCandidates) {
                line += " and ";
                line += std::to_string(search.Fits.size() - ListedCandidates);
                line += " more";
            }
        } else if (search.Closest) {
            line += "no rule; closest " + search.Closest->Text() + ", misses " +
                    YearList(search.MissedYears);
        } else {
            line += "no rule";
        }
        lines.push_back(std::move(line));
    }

    if (skipped.Total() > 0) {
        std::string line =
            "Skipped " + Plural(static_cast<std::size_t>(skipped.Total()), "event", "events") + ":";
        const std::pair<std::int32_t, const char*> reasons[] = {
            {skipped.TimeOfDay, "with a time of day"},
            {skipped.NoSummary, "without SUMMARY"},
            {skipped.Cancelled, "cancelled"},
            {skipped.NoDate, "without a date"},
        };
        bool first = true;
        for (const auto& [count, reason] : reasons) {
            if (count > 0) {
                line += first ? " " : ", ";
                line += std::to_string(count) + " " + reason;
                first = false;
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string YearList(const std::vector<std::int32_t>& years) {
    std::string text;
    for (std::size_t i = 0; i < years.size();) {
        std::size_t j = i;
        while (j + 1 < years.size() && years[j + 1] == years[j] + 1) {
            ++j;
        }
        text += text.empty() ? "" : ", ";
        text += std::to_string(years[i]);
        if (j > i) {
            text += '-';
            text += std::to_string(years[j]);
        }
        i = j + 1;
    }
    return text;
}

} // namespace calendar
