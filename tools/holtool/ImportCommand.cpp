#include "tools/holtool/ImportCommand.h"

#include "calendar/CalendarImport.h"
#include "calendar/IcsCalendar.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ToolError.h"

#include <filesystem>
#include <ostream>

namespace holtool {

namespace {

// A text that a cell can hold: not empty and free of the file's separators.
void CheckCellText(const std::string& text, const char* option, const char* example) {
    if (text.empty() || text.find_first_of(std::string_view("\0\1", 2)) != std::string::npos) {
        throw ToolError(std::string(option) + " needs a text such as " + example);
    }
}

} // namespace

int RunImport(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    CheckCellText(options.Mark, "--mark", "#");
    if (options.Config) {
        CheckCellText(*options.Config, "--config", "DE-BY");
    }
    std::vector<calendar::IcsCalendar> calendars;
    calendar::SkippedEvents skipped;
    for (const std::string& path : options.Calendars) {
        calendars.push_back(calendar::IcsCalendar::ReadFile(path));
        const calendar::SkippedEvents& more = calendars.back().Skipped();
        skipped.TimeOfDay += more.TimeOfDay;
        skipped.NoSummary += more.NoSummary;
        skipped.Cancelled += more.Cancelled;
        skipped.NoDate += more.NoDate;
    }
    const std::string name = options.Config.value_or(
        calendar::DefaultConfigName(calendars.front(), options.Calendars.front()));
    const calendar::YearSpan years =
        options.Years ? calendar::YearSpan{options.Years->First, options.Years->Last}
                      : calendar::ConsideredYears(calendars, calendar::CurrentYear());
    if (!YearRange{years.First, years.Last}.EasterExact()) {
        err << EasterInexactWarning;
    }

    std::vector<calendar::CalendarHoliday> holidays;
    for (const calendar::IcsCalendar& calendar : calendars) {
        std::vector<calendar::CalendarHoliday> more = calendar.Holidays(years);
        holidays.insert(holidays.end(), std::make_move_iterator(more.begin()),
                        std::make_move_iterator(more.end()));
    }
    if (calendars.size() > 1) {
        std::stable_sort(holidays.begin(), holidays.end(),
                         [](const auto& a, const auto& b) { return a.Date < b.Date; });
    }
    calendar::CalendarImport import(holidays, years);

    holiday::HolidayTable table;
    if (options.Into) {
        const holiday::ReadLosses losses = ReadInputFile(table, *options.Into);
        // The merged table lacks what the file held beyond it: never written over the file.
        std::error_code error;
        if (!losses.Empty() && *options.Into != StandardInputArgument &&
            std::filesystem::equivalent(*options.Into, options.Output, error)) {
            throw ToolError(*options.Into + ": " + LossLine(losses) +
                            " Write the merge to another file (-o).");
        }
        WarnOfLosses(err, *options.Into, losses);
    } else {
        table.ResetForOpen();
    }
    import.MergeInto(table, name, options.Mark);
    holiday::SaveToFile(table, options.Output);

    for (const std::string& line : import.Summary(name, skipped)) {
        out << line << '\n';
    }
    if (import.Titles().empty()) {
        err << "holtool: warning: the calendar has no holidays in these years\n";
    }
    return import.AllHaveRules() ? ExitOk : ExitFaults;
}

} // namespace holtool
