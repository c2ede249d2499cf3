#include "tools/holtool/IcsCommand.h"

#include "calendar/IcsCalendar.h"
#include "holiday/Exception.h"
#include "holiday/FilePaths.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "rules/RuleColumns.h"
#include "rules/RuleWalk.h"
#include "tools/holtool/FaultPlace.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/NameList.h"
#include "tools/holtool/ToolError.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <libical/ical.h>
#include <memory>
#include <ostream>
#include <set>
#include <utility>

namespace holtool {
namespace {

using rules::FirstConfigCol;

// The last year whose events still have a day after them that iCalendar can write.
constexpr std::int32_t LastIcsYear = YearRange::Max - 1;

constexpr const char* ProductId = "-//Mirevo//Mirevo Holiday Generator holtool//EN";

struct ComponentDeleter {
    void operator()(icalcomponent* component) const noexcept { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct BufferDeleter {
    void operator()(char* text) const noexcept { icalmemory_free_buffer(text); }
};

icaltimetype IcalDate(rules::CalendarDate date) {
    icaltimetype time = icaltime_null_date();
    const rules::CalendarDate::Ymd ymd = date.ToYmd();
    time.year = ymd.Year;
    time.month = ymd.Month;
    time.day = ymd.Day;
    return time;
}

// The CATEGORIES property of one category. libical takes the value of a CATEGORIES property
// for a list of categories and writes its commas and semicolons as they are; a value that
// belongs to no property is written as the TEXT value of one category, with both escaped.
icalproperty* CategoryProperty(const std::string& category) {
    icalproperty* property = icalproperty_new(ICAL_CATEGORIES_PROPERTY);
    icalvalue* value = icalvalue_new_text(category.c_str());
    icalproperty_set_value(property, value);
    icalvalue_set_parent(value, nullptr); // the property still owns and frees it
    return property;
}

std::string Hex64(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

std::int32_t FindConfigColumn(const holiday::HolidayTable& table, const std::string& config,
                              std::optional<std::int32_t> column) {
    if (column) {
        if (*column < FirstConfigCol || *column >= table.ColCount()) {
            throw ToolError(
                "--column: " + std::to_string(*column) + " is no configuration column; they are " +
                std::to_string(FirstConfigCol) + " to " + std::to_string(table.ColCount() - 1));
        }
        if (table.GetCell(*column, 0) != config) {
            throw ToolError("--column: column " + std::to_string(*column) + " is named '" +
                            table.GetCell(*column, 0) + "', not '" + config + "'");
        }
        return *column;
    }
    NameList names;
    std::vector<std::int32_t> found;
    for (std::int32_t col = FirstConfigCol; col < table.ColCount(); ++col) {
        const std::string name = table.GetCell(col, 0);
        if (name == config) {
            found.push_back(col);
        }
        names.Add(name);
    }
    if (found.size() == 1) {
        return found.front();
    }
    if (found.size() > 1) {
        std::string columns;
        for (const std::int32_t col : found) {
            columns += (columns.empty() ? "" : ", ") + std::to_string(col);
        }
        throw ToolError("--config: " + std::to_string(found.size()) + " columns are named '" +
                        config + "' (columns " + columns + "); pick one with --column N");
    }
    if (names.Empty()) {
        throw ToolError("--config: the file has no configuration columns");
    }
    throw ToolError("--config: no configuration '" + config + "'; the file has " + names.Text());
}

bool MarkSelected(const std::string& mark, const std::optional<std::string>& marks) {
    if (mark.empty() || !marks) {
        return !mark.empty();
    }
    // One character (one byte that is no UTF-8 continuation byte); UTF-8 being
    // self-synchronising, it is found in marks only as a whole character.
    const auto starts = std::count_if(mark.begin(), mark.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return starts == 1 && marks->find(mark) != std::string::npos;
}

std::string EventUid(const std::string& fileName, const std::string& config,
                     const std::string& title, rules::CalendarDate date) {
    // FNV-1a over the three texts, each closed by a zero byte so that no two splits agree.
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::string* text : {&fileName, &config, &title}) {
        for (const char c : *text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        hash *= 1099511628211ull;
    }
    const rules::CalendarDate::Ymd ymd = date.ToYmd();
    char day[16];
    std::snprintf(day, sizeof day, "%04d%02d%02d", ymd.Year, ymd.Month, ymd.Day);
    return std::string(day) + "-" + Hex64(hash) + "@mirevo-holidays";
}

std::vector<HolidayEvent> CollectEvents(const holiday::HolidayTable& table,
                                        const std::string& fileName, std::int32_t col,
                                        YearRange years, const std::optional<std::string>& marks) {
    const std::string config = table.GetCell(col, 0);
    std::vector<HolidayEvent> events;
    std::set<std::string> uids;
    rules::RuleWalk walk(table);
    for (std::int32_t year = years.First; year <= years.Last; ++year) {
        walk.WalkYear(year, [&](const rules::RuleRow& row, rules::CalendarDate date) {
            std::string mark = table.GetCell(col, row.Row);
            if (!MarkSelected(mark, marks)) {
                return;
            }
            std::string title(row.Title);
            std::string uid = EventUid(fileName, config, title, date);
            if (uids.insert(uid).second) {
                events.push_back({std::move(title), std::move(mark), date, std::move(uid)});
            }
        });
    }
    return events;
}

std::string CalendarText(const std::vector<HolidayEvent>& events, std::time_t stamp) {
    const Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(ProductId));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype dtstamp =
        icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone());
    for (const HolidayEvent& e : events) {
        icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(event, icalproperty_new_uid(e.Uid.c_str()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(dtstamp));
        icalcomponent_add_property(event, icalproperty_new_dtstart(IcalDate(e.Date)));
        icalcomponent_add_property(event, icalproperty_new_dtend(IcalDate(e.Date.AddDays(1))));
        icalcomponent_add_property(event, icalproperty_new_summary(e.Title.c_str()));
        icalcomponent_add_property(event, CategoryProperty(e.Mark));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(calendar.get(), event);
    }
    const std::unique_ptr<char, BufferDeleter> text(icalcomponent_as_ical_string_r(calendar.get()));
    if (!text) {
        throw ToolError("the calendar could not be written");
    }
    return text.get();
}

int RunIcs(const IcsOptions& options, std::ostream& out, std::ostream& err) {
    const YearRange years =
        options.Years.value_or(YearRange{calendar::CurrentYear(), calendar::CurrentYear() + 1});
    if (years.Last > LastIcsYear) {
        throw ToolError("--years: a calendar ends with the year " + std::to_string(LastIcsYear));
    }
    holiday::HolidayTable table;
    WarnOfLosses(err, options.File, ReadInputFile(table, options.File));
    const std::int32_t col = FindConfigColumn(table, options.Config, options.Column);
    if (!years.EasterExact()) {
        err << EasterInexactWarning;
    }

    std::vector<HolidayEvent> events;
    try {
        events = CollectEvents(table, holiday::NameOfFile(options.File), col, years, options.Marks);
    } catch (const holiday::EConvertError& error) {
        PrintError(out, err, FaultPlace(error, options.File) + holiday::DisplayText(error));
        return ExitFaults;
    }
    if (events.empty()) {
        err << "holtool: warning: no rule is marked for " << options.Config
            << (options.Marks ? " with one of " + *options.Marks : std::string()) << '\n';
    }
    const std::string text = CalendarText(events, std::time(nullptr));
    if (options.Output) {
        holiday::SaveBytesToFile(text, *options.Output);
    } else {
        out << text;
    }
    return ExitOk;
}

} // namespace holtool
