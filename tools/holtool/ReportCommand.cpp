#include "tools/holtool/ReportCommand.h"

#include "holiday/Exception.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "rules/TestReport.h"
#include "tools/holtool/FaultPlace.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ToolError.h"

#include <ostream>

namespace holtool {
namespace {

bool IsAsciiLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of the UTF-8 sequence that starts with lead (1 for a stray continuation byte).
std::size_t Utf8Length(unsigned char lead) noexcept {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

} // namespace

std::string DateSeparatorOfPattern(std::string_view pattern) {
    char quote = '\0';
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (!IsAsciiLetter(c)) {
            return std::string(pattern.substr(i, Utf8Length(static_cast<unsigned char>(c))));
        }
    }
    return "/";
}

rules::LocaleDateSettings ReportDateSettings(const std::optional<std::string>& pattern) {
    rules::LocaleDateSettings settings = rules::ReadUserLocaleDateSettings();
    if (pattern) {
        settings.ShortDateFormat = *pattern;
        settings.DateSeparator = DateSeparatorOfPattern(*pattern);
    }
    return settings;
}

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    holiday::HolidayTable table;
    WarnOfLosses(err, options.File, ReadInputFile(table, options.File));
    const rules::LocaleDateSettings settings = ReportDateSettings(options.DateFormat);

    if (!options.Years.EasterExact()) {
        err << EasterInexactWarning;
    }
    try {
        rules::BuildTestReport(
            table, settings,
            [&out](std::string_view lead, std::string_view title) { out << lead << title << '\n'; },
            options.Years.First, options.Years.Last);
    } catch (const holiday::EConvertError& error) {
        PrintError(out, err, FaultPlace(error, options.File) + holiday::DisplayText(error));
        return ExitFaults;
    }
    return ExitOk;
}

} // namespace holtool
