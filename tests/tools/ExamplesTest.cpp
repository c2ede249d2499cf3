// The example files: their dates in 2025 and 2026 as the published calendars give them, the
// statutory holidays of every state, and a clean check over the years the Easter date is
// exact for.
#include "ToolProcess.h"
#include "tests/support/TemporaryFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

namespace {

// One rule per line in file order: title|date in 2025|date in 2026.
const char* const GermanDates = R"(Neujahr|01.01|01.01
Heilige Drei Könige|06.01|06.01
Valentinstag|14.02|14.02
Weiberfastnacht|27.02|12.02
Rosenmontag|03.03|16.02
Fastnacht|04.03|17.02
Aschermittwoch|05.03|18.02
Internationaler Frauentag|08.03|08.03
Beginn der Sommerzeit|30.03|29.03
Palmsonntag|13.04|29.03
Gründonnerstag|17.04|02.04
Karfreitag|18.04|03.04
Karsamstag|19.04|04.04
Ostersonntag|20.04|05.04
Ostermontag|21.04|06.04
Tag der Arbeit|01.05|01.05
Muttertag|11.05|10.05
Christi Himmelfahrt|29.05|14.05
Pfingstsonntag|08.06|24.05
Pfingstmontag|09.06|25.05
Fronleichnam|19.06|04.06
Augsburger Hohes Friedensfest|08.08|08.08
Mariä Himmelfahrt|15.08|15.08
Weltkindertag|20.09|20.09
Erntedankfest|05.10|04.10
Tag der Deutschen Einheit|03.10|03.10
Ende der Sommerzeit|26.10|25.10
Reformationstag|31.10|31.10
Allerheiligen|01.11|01.11
Martinstag|11.11|11.11
Volkstrauertag|16.11|15.11
Buß- und Bettag|19.11|18.11
Totensonntag|23.11|22.11
1. Advent|30.11|29.11
2. Advent|07.12|06.12
3. Advent|14.12|13.12
4. Advent|21.12|20.12
Nikolaus|06.12|06.12
Heiligabend|24.12|24.12
1. Weihnachtstag|25.12|25.12
2. Weihnachtstag|26.12|26.12
Silvester|31.12|31.12
)";

const char* const AustrianDates = R"(Neujahr|01.01|01.01
Heilige Drei Könige|06.01|06.01
Josefstag|19.03|19.03
Karfreitag|18.04|03.04
Ostersonntag|20.04|05.04
Ostermontag|21.04|06.04
Staatsfeiertag|01.05|01.05
Florianitag|04.05|04.05
Muttertag|11.05|10.05
Christi Himmelfahrt|29.05|14.05
Pfingstsonntag|08.06|24.05
Pfingstmontag|09.06|25.05
Vatertag|08.06|14.06
Fronleichnam|19.06|04.06
Mariä Himmelfahrt|15.08|15.08
Rupertitag|24.09|24.09
Tag der Volksabstimmung|10.10|10.10
Nationalfeiertag|26.10|26.10
Allerheiligen|01.11|01.11
Allerseelen|02.11|02.11
Martinstag|11.11|11.11
Leopolditag|15.11|15.11
1. Advent|30.11|29.11
2. Advent|07.12|06.12
3. Advent|14.12|13.12
4. Advent|21.12|20.12
Nikolaus|06.12|06.12
Mariä Empfängnis|08.12|08.12
Heiliger Abend|24.12|24.12
Christtag|25.12|25.12
Stefanitag|26.12|26.12
Silvester|31.12|31.12
)";

const char* const UnitedStatesDates = R"(New Year's Day|01.01|01.01
Birthday of Martin Luther King, Jr.|20.01|19.01
Valentine's Day|14.02|14.02
Washington's Birthday|17.02|16.02
Easter Sunday|20.04|05.04
Mother's Day|11.05|10.05
Memorial Day|26.05|25.05
Father's Day|15.06|21.06
Juneteenth National Independence Day|19.06|19.06
Independence Day|04.07|04.07
Labor Day|01.09|07.09
Columbus Day|13.10|12.10
Halloween|31.10|31.10
Veterans Day|11.11|11.11
Thanksgiving Day|27.11|26.11
Christmas Eve|24.12|24.12
Christmas Day|25.12|25.12
New Year's Eve|31.12|31.12
)";

// The statutory holidays of each state: marked "#" in its column, and no others; holidays of
// part of a state are marked "1".
const char* const GermanCommon = "Neujahr|Karfreitag|Ostermontag|Tag der Arbeit|Christi "
                                 "Himmelfahrt|Pfingstmontag|Tag der Deutschen "
                                 "Einheit|1. Weihnachtstag|2. Weihnachtstag";
const char* const AustrianNational =
    "Neujahr|Heilige Drei Könige|Ostermontag|Staatsfeiertag|Christi Himmelfahrt|Pfingstmontag|"
    "Fronleichnam|Mariä Himmelfahrt|Nationalfeiertag|Allerheiligen|Mariä "
    "Empfängnis|Christtag|Stefanitag";
const struct {
    const char* File;
    const char* Configs; // blank-separated
    std::string Statutory;
    const char* PartOfState = "";
} StatutoryHolidays[] = {
    {"de.hol", "DE-BW",
     std::string(GermanCommon) + "|Heilige Drei Könige|Fronleichnam|Allerheiligen"},
    {"de.hol", "DE-BY",
     std::string(GermanCommon) + "|Heilige Drei Könige|Fronleichnam|Allerheiligen",
     "Augsburger Hohes Friedensfest|Mariä Himmelfahrt"},
    {"de.hol", "DE-BE", std::string(GermanCommon) + "|Internationaler Frauentag"},
    {"de.hol", "DE-BB", std::string(GermanCommon) + "|Ostersonntag|Pfingstsonntag|Reformationstag"},
    {"de.hol", "DE-HB DE-HH DE-NI DE-SH", std::string(GermanCommon) + "|Reformationstag"},
    {"de.hol", "DE-HE", std::string(GermanCommon) + "|Fronleichnam"},
    {"de.hol", "DE-MV", std::string(GermanCommon) + "|Internationaler Frauentag|Reformationstag"},
    {"de.hol", "DE-NW DE-RP", std::string(GermanCommon) + "|Fronleichnam|Allerheiligen"},
    {"de.hol", "DE-SL",
     std::string(GermanCommon) + "|Fronleichnam|Mariä Himmelfahrt|Allerheiligen"},
    {"de.hol", "DE-SN", std::string(GermanCommon) + "|Reformationstag|Buß- und Bettag",
     "Fronleichnam"},
    {"de.hol", "DE-ST", std::string(GermanCommon) + "|Heilige Drei Könige|Reformationstag"},
    {"de.hol", "DE-TH", std::string(GermanCommon) + "|Weltkindertag|Reformationstag",
     "Fronleichnam"},
    {"at.hol", "AT-1 AT-2 AT-3 AT-4 AT-5 AT-6 AT-7 AT-8 AT-9", AustrianNational},
    {"us.hol", "US",
     "New Year's Day|Birthday of Martin Luther King, Jr.|Washington's Birthday|Memorial Day|"
     "Juneteenth National Independence Day|Independence Day|Labor Day|Columbus Day|Veterans "
     "Day|Thanksgiving Day|Christmas Day"},
};

std::string Example(const std::string& name) {
    return std::string(MIREVO_SOURCE_DIR) + "/data/examples/" + name;
}

std::set<std::string> Split(const std::string& text, char separator) {
    std::set<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.insert(part);
    }
    return parts;
}

TEST(ExamplesTest, DatesOf2025And2026MatchThePublishedCalendarsAndCheckIsClean) {
    const testsupport::TemporaryFolder folder("examples-test");
    for (const auto& [file, table] : {std::pair{"de.hol", GermanDates},
                                      {"at.hol", AustrianDates},
                                      {"us.hol", UnitedStatesDates}}) {
        std::string expected;
        for (const int year : {2025, 2026}) {
            expected += std::string(17, ' ') + "Year " + std::to_string(year) + '\n';
            std::istringstream rows(table);
            for (std::string title, d2025, d2026; std::getline(rows, title, '|') &&
                                                  std::getline(rows, d2025, '|') &&
                                                  std::getline(rows, d2026);) {
                expected += (year == 2025 ? d2025 : d2026) + "." + std::to_string(year) + ": " +
                            title + '\n';
            }
        }
        const ToolResult result = RunTool(
            {"report", Example(file), "--years", "2025-2026", "--date-format", "dd.mm.yyyy"},
            folder.Path());
        EXPECT_EQ(result.Status, 0) << file;
        EXPECT_EQ(result.Out, expected) << file;
        // No rule fails in any year the Easter date is exact for.
        EXPECT_EQ(RunTool({"check", "--years", "1900-2099", Example(file)}, folder.Path()).Status,
                  0);
    }
}

TEST(ExamplesTest, EachStateMarksExactlyItsStatutoryHolidays) {
    const testsupport::TemporaryFolder folder("examples-test");
    for (const auto& entry : StatutoryHolidays) {
        const ToolResult dump = RunTool({"dump", Example(entry.File)}, folder.Path());
        const nlohmann::json rows = nlohmann::json::parse(dump.Out);
        for (const std::string& config : Split(entry.Configs, ' ')) {
            const auto& header = rows[0];
            const auto col = static_cast<std::size_t>(
                std::find(header.begin(), header.end(), config) - header.begin());
            std::set<std::string> statutory, titleOnly;
            for (const auto& row : rows) {
                const std::string mark = row.size() > col ? row[col] : "";
                if (mark == "#" || mark == "1") {
                    (mark == "#" ? statutory : titleOnly).insert(row[0].get<std::string>());
                }
            }
            EXPECT_EQ(statutory, Split(entry.Statutory, '|')) << entry.File << " " << config;
            for (const std::string& title : Split(entry.PartOfState, '|')) {
                EXPECT_EQ(titleOnly.count(title), 1u) << config << ": " << title;
            }
        }
    }
}

} // namespace
