#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rules {

// The user's date settings, as a plain value every conversion takes, so that nothing depends
// on the machine's locale except ReadUserLocaleDateSettings.
struct LocaleDateSettings {
    std::string ShortDateFormat = "m/d/yy";
    std::string DateSeparator = "/"; // one character (UTF-8)
    std::array<std::string, 7> ShortDayNames;   // Sunday first
    std::array<std::string, 7> LongDayNames;    // Sunday first
    std::array<std::string, 12> ShortMonthNames; // January first
    std::array<std::string, 12> LongMonthNames;  // January first

    // What the German locale gives: "dd.mm.yyyy" and "." (the .hol notation of start dates).
    [[nodiscard]] static LocaleDateSettings German();
};

// Turns a strftime date pattern (nl_langinfo(D_FMT)) into the short date pattern language
// and finds the separator; "m/d/yy" and "/" when the pattern gives nothing usable.
[[nodiscard]] LocaleDateSettings SettingsFromStrftimePattern(std::string_view pattern);

// Reads the settings of the user's LC_TIME locale (setlocale(LC_TIME, "") and nl_langinfo).
// Cheap and side-effect free: the process's locale is restored afterwards.
[[nodiscard]] LocaleDateSettings ReadUserLocaleDateSettings();

} // namespace rules
