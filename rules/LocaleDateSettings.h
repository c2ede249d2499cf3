#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rules {

// The user's date settings, as a plain value every conversion takes, so that nothing depends
// on the machine's locale except ReadUserLocaleDateSettings. Texts are UTF-8. A default value
// is what a locale without date settings gives: "m/d/yy", "/" and the English names.
struct LocaleDateSettings {
    std::string ShortDateFormat = "m/d/yy";
    std::string DateSeparator = "/"; // one character (UTF-8)
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed",
                                             "Thu", "Fri", "Sat"}; // Sunday first
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"}; // Sunday first
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul",
                                                "Aug", "Sep", "Oct", "Nov", "Dec"}; // January first
    std::array<std::string, 12> LongMonthNames{
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"}; // January first

    // What the German locale gives: "dd.mm.yyyy", "." and the German names. This is also the
    // notation of start dates in holiday files.
    [[nodiscard]] static LocaleDateSettings German();

    friend bool operator==(const LocaleDateSettings&, const LocaleDateSettings&) = default;
};

// Turns a strftime date pattern (nl_langinfo(D_FMT)) into the short date pattern language:
// %d gives "dd", %e "d", %m "mm", %Y "yyyy", %y "yy", %b and %h "mmm", %B "mmmm", %a "ddd",
// %A "dddd"; %D, %F and %x are expanded (%x as %m/%d/%y); the flags - _ 0 ^ #, a field width
// and the modifiers E and O are read and ignored, except that - and _ drop the leading zero;
// %% and %n/%t give a percent sign, a line feed and a tab; other conversions give nothing.
// Other text is kept, quoted where it holds letters, quotes or (unless "/" is the separator)
// a slash. The separator is the first character of the first text between two date fields.
// Gives "m/d/yy" and "/" when the pattern holds no date field; "/" when no text lies between
// two fields. The names stay the default ones.
[[nodiscard]] LocaleDateSettings SettingsFromStrftimePattern(std::string_view pattern);

// Reads the settings of the user's LC_TIME locale (the environment's LC_ALL, LC_TIME, LANG)
// through a locale object of its own, so the process's locale is never touched; names in a
// locale whose codeset is not UTF-8 are converted to UTF-8. Gives the default value when the
// environment names no usable locale. Cheap enough to call on every change of the settings.
[[nodiscard]] LocaleDateSettings ReadUserLocaleDateSettings();

} // namespace rules
