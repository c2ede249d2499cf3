#include "rules/LocaleDateSettings.h"

#include "rules/CalendarDate.h"
#include "rules/DateConversion.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using rules::CalendarDate;
using rules::LocaleDateSettings;
using rules::SettingsFromStrftimePattern;

TEST(SettingsFromStrftimePattern, ConvertsLocalePatterns) {
    const struct {
        const char* Pattern;
        const char* ShortDateFormat;
        const char* Separator;
        const char* April13th2009;
    } cases[] = {
        {"%d.%m.%Y", "dd.mm.yyyy", ".", "13.04.2009"},              // de_DE
        {"%m/%d/%Y", "mm/dd/yyyy", "/", "04/13/2009"},              // en_US
        {"%d/%m/%y", "dd/mm/yy", "/", "13/04/09"},                  // en_GB
        {"%d/%m/%Y", "dd/mm/yyyy", "/", "13/04/2009"},              // fr_FR
        {"%Y-%m-%d", "yyyy-mm-dd", "-", "2009-04-13"},              // sv_SE
        {"%Y年%m月%d日", "yyyy年mm月dd日", "年", "2009年04月13日"}, // ja_JP
        {"%m/%d/%y", "mm/dd/yy", "/", "04/13/09"},                  // C
        {"%-d.%-m.%Y", "d.m.yyyy", ".", "13.4.2009"},
        {"%e. %B %Y", "d. mmmm yyyy", ".", "13. April 2009"},
        {"%a %d %b %Y", "ddd dd mmm yyyy", " ", "Mon 13 Apr 2009"},
        {"%A, %d de %B de %Y", "dddd, dd\" de \"mmmm\" de \"yyyy", ",",
         "Monday, 13 de April de 2009"},
        {"%D", "mm/dd/yy", "/", "04/13/09"},
        {"%x", "mm/dd/yy", "/", "04/13/09"},
        {"%F", "yyyy-mm-dd", "-", "2009-04-13"},
        {"%Od.%Om.%EY", "dd.mm.yyyy", ".", "13.04.2009"},
        {"%d.%m.%Y/", "dd.mm.yyyy\"/\"", ".", "13.04.2009/"}, // a literal slash stays one
        {"%d%%%m", "dd%mm", "%", "13%04"},
        {"%Y%m%d", "yyyymmdd", "/", "20090413"}, // no text between the fields
        {"", "m/d/yy", "/", "4/13/09"},
        {"%H:%M", "m/d/yy", "/", "4/13/09"}, // no date field at all
    };
    const CalendarDate date = CalendarDate::FromYmd(2009, 4, 13);
    for (const auto& c : cases) {
        const LocaleDateSettings settings = SettingsFromStrftimePattern(c.Pattern);
        EXPECT_EQ(settings.ShortDateFormat, c.ShortDateFormat) << c.Pattern;
        EXPECT_EQ(settings.DateSeparator, c.Separator) << c.Pattern;
        EXPECT_EQ(rules::FormatShortDate(date, settings), c.April13th2009) << c.Pattern;
    }
}

TEST(SettingsFromStrftimePattern, QuotesTextThatHoldsQuotes) {
    const LocaleDateSettings settings = SettingsFromStrftimePattern("%d \"%m\" '%Y'");
    EXPECT_EQ(rules::FormatShortDate(CalendarDate::FromYmd(2009, 4, 13), settings),
              "13 \"04\" '2009'");
}

TEST(LocaleDateSettings, GermanIsTheFileNotation) {
    const LocaleDateSettings german = LocaleDateSettings::German();
    EXPECT_EQ(german.ShortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(german.DateSeparator, ".");
    EXPECT_EQ(german.LongMonthNames[2], "März");
    EXPECT_EQ(german.ShortDayNames[0], "So");
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name) {
        if (const char* old = std::getenv(name)) {
            mOld = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (mOld) {
            setenv(mName, mOld->c_str(), 1);
        } else {
            unsetenv(mName);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    std::optional<std::string> mOld;
};

TEST(ReadUserLocaleDateSettings, ReadsTheEnvironmentAndLeavesTheProcessLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    {
        const ScopedEnv env("LC_ALL", "C");
        const LocaleDateSettings settings = rules::ReadUserLocaleDateSettings();
        EXPECT_EQ(settings.ShortDateFormat, "mm/dd/yy");
        EXPECT_EQ(settings.DateSeparator, "/");
        EXPECT_EQ(settings.LongDayNames[0], "Sunday");
        EXPECT_EQ(settings.ShortMonthNames[11], "Dec");
    }
    {
        const ScopedEnv env("LC_ALL", "xx_NOWHERE.bogus");
        EXPECT_EQ(rules::ReadUserLocaleDateSettings(), LocaleDateSettings{});
    }
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

} // namespace
