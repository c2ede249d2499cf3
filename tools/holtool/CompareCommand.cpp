#include "tools/holtool/CompareCommand.h"

#include "calendar/IcsCalendar.h"
#include "holiday/Exception.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "tools/holtool/IcsCommand.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ToolError.h"

#include <cstdio>
#include <map>
#include <ostream>
#include <set>

namespace holtool {

namespace {

using Titles = std::set<std::string>;

std::string IsoDate(rules::CalendarDate date) {
    const rules::CalendarDate::Ymd ymd = date.ToYmd();
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", ymd.Year, ymd.Month, ymd.Day);
    return text;
}

std::string Joined(const Titles& titles) {
    std::string text;
    for (const std::string& title : titles) {
        if (!text.empty()) {
            text += "; ";
        }
        text += title;
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

int RunCompare(const CompareOptions& options, std::ostream& out, std::ostream& err) {
    holiday::HolidayTable table;
    WarnOfLosses(err, options.File, ReadInputFile(table, options.File));
    const std::int32_t col = FindConfigColumn(table, options.Config);
    const calendar::IcsCalendar calendar = calendar::IcsCalendar::ReadFile(options.Calendar);
    const calendar::YearSpan span =
        options.Years ? calendar::YearSpan{options.Years->First, options.Years->Last}
                      : calendar::ConsideredYears({&calendar, 1}, calendar::CurrentYear());
    const YearRange years{span.First, span.Last};
    if (!years.EasterExact()) {
        err << EasterInexactWarning;
    }

    std::map<rules::CalendarDate, std::pair<Titles, Titles>> dates; // calendar's, rules'
    try {
        for (HolidayEvent& event :
             CollectEvents(table, holiday::NameOfFile(options.File), col, years, options.Marks)) {
            dates[event.Date].second.insert(Trimmed(event.Title));
        }
    } catch (const holiday::EConvertError& error) {
        PrintError(out, err, holiday::DisplayText(error));
        return ExitFaults;
    }
    for (const calendar::CalendarHoliday& holiday : calendar.Holidays(span)) {
        dates[holiday.Date].first.insert(holiday.Title);
    }

    std::size_t calendarOnly = 0;
    std::size_t rulesOnly = 0;
    std::vector<std::string> otherTitles;
    for (const auto& [date, titles] : dates) {
        const auto& [inCalendar, inRules] = titles;
        if (inRules.empty()) {
            out << IsoDate(date) << " only in the calendar: " << Joined(inCalendar) << '\n';
            ++calendarOnly;
        } else if (inCalendar.empty()) {
            out << IsoDate(date) << " only in the rules: " << Joined(inRules) << '\n';
            ++rulesOnly;
        } else if (inCalendar != inRules) {
            otherTitles.push_back(IsoDate(date) + " calendar: " + Joined(inCalendar) +
                                  " | rules: " + Joined(inRules));
        }
    }
    if (!otherTitles.empty()) {
        out << "Same date, other titles:\n";
        for (const std::string& line : otherTitles) {
            out << line << '\n';
        }
    }
    const std::string yearText =
        years.First == years.Last ? std::to_string(years.First)
                                  : std::to_string(years.First) + "-" + std::to_string(years.Last);
    if (calendarOnly + rulesOnly == 0) {
        out << "The rules of " << options.Config << " and the calendar agree in " << yearText
            << ": " << dates.size() << " dates";
        if (!otherTitles.empty()) {
            out << ", " << otherTitles.size() << " under other titles";
        }
        out << '\n';
        return ExitOk;
    }
    out << "The rules of " << options.Config << " and the calendar differ in " << yearText << ": "
        << calendarOnly << (calendarOnly == 1 ? " date" : " dates") << " only in the calendar, "
        << rulesOnly << " only in the rules, " << otherTitles.size() << " under other titles\n";
    return ExitFaults;
}

} // namespace holtool
