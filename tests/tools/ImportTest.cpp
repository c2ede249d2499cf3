// holtool import and compare: the example files through ics and back, calendars written by
// hand as real producers write them, a merge into a file, and the yearly check.
#include "ToolProcess.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

// A calendar of the given events, with CR LF line ends.
std::string Calendar(const std::string& events, const std::string& name = "") {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n";
    if (!name.empty()) {
        text += "X-WR-CALNAME:" + name + "\r\n";
    }
    return text + events + "END:VCALENDAR\r\n";
}

// An all-day event; more holds further lines such as RRULE.
std::string Event(const std::string& uid, const std::string& summary, const std::string& date,
                  const std::string& more = "") {
    return "BEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:" + date + "\r\nSUMMARY:" + summary +
           "\r\n" + more + "END:VEVENT\r\n";
}

// One event per year from first to last on the date date(year) gives ("yyyymmdd").
template <typename Date>
std::string Singles(const std::string& summary, int first, int last, Date date) {
    std::string events;
    for (int year = first; year <= last; ++year) {
        events += Event(summary + std::to_string(year), summary, date(year));
    }
    return events;
}

std::string Ymd(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

// Easter Sunday (Gregorian, anonymous algorithm) as year, month, day minus days.
std::string EasterMinus(int year, int days) {
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int g = (8 * b + 13) / 25, h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 19 * l) / 433;
    const int month = (h + l - 7 * m + 90) / 25, day = (h + l - 7 * m + 33 * month + 19) % 32;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day - days;
    tm.tm_hour = 12;
    std::mktime(&tm);
    return Ymd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

nlohmann::json Dump(const std::string& file, const std::filesystem::path& scratch) {
    return nlohmann::json::parse(RunTool({"dump", file}, scratch).Out);
}

TEST(ImportTest, EveryExampleConfigurationComesBackFromItsCalendar) {
    const testsupport::TemporaryFolder folder("import-test");
    const std::string ics = folder.At("c.ics"), hol = folder.At("c.hol"),
                      again = folder.At("a.ics");
    for (const char* example : {"de.hol", "at.hol", "us.hol"}) {
        const std::string file = std::string(MIREVO_SOURCE_DIR "/data/examples/") + example;
        const nlohmann::json header = Dump(file, folder.Path())[0];
        for (std::size_t col = 5; col < header.size(); ++col) {
            const std::string config = header[col];
            const std::vector<std::string> years{"--years", "2020-2035"};
            ASSERT_EQ(RunTool({"ics", file, "--config", config, years[0], years[1], "-o", ics},
                              folder.Path())
                          .Status,
                      0);
            const ToolResult import =
                RunTool({"import", ics, "-o", hol, "--config", config}, folder.Path());
            EXPECT_EQ(import.Status, 0) << config << "\n" << import.Out;
            // The imported rules give every event back: as many, on the same dates.
            const ToolResult compare = RunTool(
                {"compare", hol, ics, "--config", config, years[0], years[1]}, folder.Path());
            EXPECT_EQ(compare.Status, 0) << config << "\n" << compare.Out;
            EXPECT_EQ(compare.Out.find("other titles"), std::string::npos) << compare.Out;
            ASSERT_EQ(RunTool({"ics", hol, "--config", config, years[0], years[1], "-o", again},
                              folder.Path())
                          .Status,
                      0);
            const auto events = [](const std::string& text) {
                std::size_t count = 0;
                for (std::size_t at = 0; (at = text.find("BEGIN:VEVENT", at)) != text.npos; ++at) {
                    ++count;
                }
                return count;
            };
            EXPECT_EQ(events(ReadBytes(again)), events(ReadBytes(ics))) << config;
        }
    }
}

TEST(ImportTest, CalendarsAsProducersWriteThem) {
    const testsupport::TemporaryFolder folder("import-test");
    const std::string goodFriday =
        Singles("Karfreitag", 2020, 2029, [](int year) { return EasterMinus(year, 2); });
    const struct {
        const char* Name;
        std::string Text;
        std::vector<std::string> Args;
        int Status;
        std::string Summary;
        std::vector<std::vector<std::string>> Rows; // after the header row, when Status < 2
    } cases[] = {
        {"recurring.ics",
         Calendar(
             Event("m", "Mother's Day", "20200510", "RRULE:FREQ=YEARLY;BYMONTH=5;BYDAY=2SU\r\n") +
                 Event("d", "Memorial Day", "20200525",
                       "RRULE:FREQ=YEARLY;BYMONTH=5;BYDAY=-1MO\r\n") +
                 Event("c", "Christmas", "20201225",
                       "RRULE:FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=25\r\n") +
                 Event("f", "Stadtfest", "20200704",
                       "RRULE:FREQ=YEARLY\r\nEXDATE;VALUE=DATE:20220704\r\n") +
                 Singles("Christmas observed", 2020, 2029,
                         [](int year) {
                             std::tm tm{0, 0, 12, 25, 11, year - 1900, 0, 0, 0, 0, nullptr};
                             std::mktime(&tm); // a Sunday is kept on the Monday
                             return Ymd(year, 12, tm.tm_wday == 0 ? 26 : 25);
                         }) +
                 "BEGIN:VEVENT\r\nUID:t\r\nDTSTART:20200301T090000Z\r\nSUMMARY:Meeting\r\n"
                 "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:n\r\nDTSTART;VALUE=DATE:20200302\r\n"
                 "END:VEVENT\r\n" +
                 Event("x", "Gone", "20200303", "STATUS:CANCELLED\r\n"),
             "US forms"),
         {"--years", "2020-2029"},
         1,
         "Calendar \"US forms\", 2020-2029: 5 titles, 3 rules, 0 ambiguous, 2 without a rule\n"
         "  Mother's Day: 08.05 +Su 0 (new row 1)\n"
         "  Memorial Day: 31.05 -Mo 0 (new row 2)\n"
         "  Stadtfest: no rule; closest 04.07 0 0, misses 2022\n"
         "  Christmas: 25.12 0 0 (new row 3)\n"
         "  Christmas observed: no rule; closest 25.12 0 0, misses 2022\n"
         "Skipped 3 events: 1 with a time of day, 1 without SUMMARY, 1 cancelled\n",
         {{"Mother's Day", "08.05", "+Su", "0", "", "#"},
          {"Memorial Day", "31.05", "-Mo", "0", "", "#"},
          {"Christmas", "25.12", "0", "0", "", "#"}}},
        // LF line ends, a byte order mark, a folded line and escapes; ten years of single
        // events; a two-day event gives two rules of one title.
        {"ten years.ics",
         "\xEF\xBB\xBF"
         "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:x\n" +
             goodFriday +
             "BEGIN:VEVENT\nUID:w\nDTSTART;VALUE=DATE:20201225\nDTEND;VALUE=DATE:20201227\n"
             "RRULE:FREQ=YEARLY;COUNT=10\nSUMMARY:Weihnachten\\, zwei\n  Tage\nEND:VEVENT\n"
             "END:VCALENDAR\n",
         {"--mark", "1"},
         0,
         "Calendar \"ten years\", 2020-2029: 3 titles, 3 rules, 0 ambiguous, 0 without a rule\n"
         "  Karfreitag: Easter 0 -2 (new row 1)\n"
         "  Weihnachten, zwei Tage (date 1 of 2): 25.12 0 0 (new row 2)\n"
         "  Weihnachten, zwei Tage (date 2 of 2): 26.12 0 0 (new row 3)\n",
         {{"Karfreitag", "Easter", "0", "-2", "", "1"},
          {"Weihnachten, zwei Tage", "25.12", "0", "0", "", "1"},
          {"Weihnachten, zwei Tage", "26.12", "0", "0", "", "1"}}},
        {"one year.ics",
         Calendar(Event("g", "Good Friday", "20260403")),
         {"--config", "X"},
         1,
         "Calendar \"X\", 2026: 1 title, 0 rules, 1 ambiguous, 0 without a rule\n"
         "  Good Friday: ambiguous, more years decide: 03.04 0 0, Easter 0 -2, 01.04 +Fr 0, "
         "28.03 +Fr 0 and 5 more\n",
         {}},
        {"no calendar.ics", "BEGIN:VCARD\r\nEND:VCARD\r\n", {}, 2, "", {}},
        {"bad years.ics", Calendar(""), {"--years", "2030-2020"}, 2, "", {}},
        {"bad mark.ics", Calendar(""), {"--mark", ""}, 2, "", {}},
    };
    for (const auto& c : cases) {
        const std::string ics = folder.At(c.Name), hol = folder.At("out.hol");
        WriteBytes(ics, c.Text);
        std::filesystem::remove(hol);
        std::vector<std::string> args{"import", ics, "-o", hol};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const ToolResult result = RunTool(args, folder.Path());
        EXPECT_EQ(result.Status, c.Status) << c.Name << "\n" << result.Out << result.Err;
        if (c.Status == 2) {
            EXPECT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 1) << result.Err;
            EXPECT_FALSE(std::filesystem::exists(hol)) << c.Name;
            continue;
        }
        EXPECT_EQ(result.Out, c.Summary) << c.Name;
        const nlohmann::json rows = Dump(hol, folder.Path());
        ASSERT_EQ(rows.size(), c.Rows.size() + 1) << c.Name;
        for (std::size_t row = 0; row < c.Rows.size(); ++row) {
            EXPECT_EQ(rows[row + 1], c.Rows[row]) << c.Name;
        }
    }
    const ToolResult missing =
        RunTool({"import", folder.At("none.ics"), "-o", folder.At("o.hol")}, folder.Path());
    EXPECT_EQ(missing.Status, 2);
    EXPECT_NE(missing.Err.find("none.ics kann nicht geöffnet werden"), std::string::npos);
}

TEST(ImportTest, IntoAFileMarksItsRowsAddsNewOnesAndKeepsTheRest) {
    const testsupport::TemporaryFolder folder("import-test");
    const std::string hol = folder.At("us.hol"), ics = folder.At("fed.ics");
    WriteBytes(hol, ReadBytes(MIREVO_SOURCE_DIR "/data/examples/us.hol"));
    WriteBytes(
        ics,
        Calendar(Event("t", "Thanksgiving", "20201126",
                       "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=4TH;UNTIL=20291231\r\n") +
                     Event("c", "Christmas Day", "20201225", "RRULE:FREQ=YEARLY;COUNT=10\r\n") +
                     Event("w", "Weihnachten", "20201225", "RRULE:FREQ=YEARLY;COUNT=10\r\n") +
                     Event("a", "Day after Thanksgiving", "20201127",
                           "RDATE;VALUE=DATE:20211126,20221125,20231124,20241129,"
                           "20251128,20261127,20271126,20281124,20291123\r\n"),
                 "Federal"));
    const nlohmann::json before = Dump(hol, folder.Path());
    for (int round = 0; round < 2; ++round) { // the second import finds its rows and column
        const ToolResult result =
            RunTool({"import", ics, "--into", hol, "-o", hol, "--mark", "*"}, folder.Path());
        EXPECT_EQ(result.Status, 0) << result.Out << result.Err;
        const std::string added = round == 0 ? "new row" : "row";
        EXPECT_EQ(result.Out, "Calendar \"Federal\", 2020-2029: 4 titles, 4 rules, 0 ambiguous, 0 "
                              "without a rule\n"
                              "  Thanksgiving: 22.11 +Th 0 (row 15)\n"
                              "  Day after Thanksgiving: 23.11 +Fr 0 (" +
                                  added +
                                  " 19)\n"
                                  "  Christmas Day: 25.12 0 0 (row 17)\n"
                                  "  Weihnachten: 25.12 0 0 (" +
                                  added + " 20)\n");
        const nlohmann::json after = Dump(hol, folder.Path());
        ASSERT_EQ(after.size(), before.size() + 2);
        for (std::size_t row = 0; row < before.size(); ++row) {
            nlohmann::json kept = after[row];
            const std::string mark = kept.back();
            kept.erase(kept.size() - 1);
            EXPECT_EQ(kept, before[row]) << row;
            EXPECT_EQ(mark, row == 0 ? "Federal" : row == 15 || row == 17 ? "*" : "") << row;
        }
        EXPECT_EQ(after[19],
                  nlohmann::json({"Day after Thanksgiving", "23.11", "+Fr", "0", "", "", "*"}));
        // A title of its own keeps a row of its own, though another row gives its dates.
        EXPECT_EQ(after[20], nlohmann::json({"Weihnachten", "25.12", "0", "0", "", "", "*"}));
    }

    // A file the table cannot hold whole is never written over by the merge.
    const std::string lossy = ReadBytes(hol) + "unended";
    WriteBytes(hol, lossy);
    const ToolResult refused = RunTool({"import", ics, "--into", hol, "-o", hol}, folder.Path());
    EXPECT_EQ(refused.Status, 2);
    EXPECT_EQ(refused.Err, "holtool: " + hol +
                               ": 7 Bytes nach dem letzten Zeilenende wurden nicht gelesen. Write "
                               "the merge to another file (-o).\n");
    EXPECT_EQ(ReadBytes(hol), lossy);
}

TEST(ImportTest, CompareListsWhatOnlyOneSideHasAndTitlesApart) {
    const testsupport::TemporaryFolder folder("import-test");
    const std::string hol = folder.At("x.hol"), ics = folder.At("x.ics");
    ASSERT_EQ(RunTool({"write", "-", hol}, folder.Path(),
                      R"([["T","S","D","O","","X"],["Neujahr","01.01","0","0","","#"],
                          ["Karfreitag","Easter","0","-2","","#"],
                          ["Heiligabend","24.12","0","0","","1"]])")
                  .Status,
              0);
    WriteBytes(ics,
               Calendar(Event("n", "New Year", "20260101") + Event("k", "Karfreitag", "20260403") +
                        Event("o", "Ostermontag", "20260406")));
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
    } cases[] = {
        {{},
         1,
         "2026-04-06 only in the calendar: Ostermontag\n"
         "2026-12-24 only in the rules: Heiligabend\n"
         "Same date, other titles:\n"
         "2026-01-01 calendar: New Year | rules: Neujahr\n"
         "The rules of X and the calendar differ in 2026: 1 date only in the calendar, 1 only in "
         "the rules, 1 under other titles\n"},
        {{"--marks", "#", "--years", "2026-2027"},
         1,
         "2026-04-06 only in the calendar: Ostermontag\n"
         "2027-01-01 only in the rules: Neujahr\n"
         "2027-03-26 only in the rules: Karfreitag\n"
         "Same date, other titles:\n"
         "2026-01-01 calendar: New Year | rules: Neujahr\n"
         "The rules of X and the calendar differ in 2026-2027: 1 date only in the calendar, 2 "
         "only in the rules, 1 under other titles\n"},
        {{"--config", "Y"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"compare", hol, ics};
        if (std::find(c.Args.begin(), c.Args.end(), "--config") == c.Args.end()) {
            args.insert(args.end(), {"--config", "X"});
        }
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const ToolResult result = RunTool(args, folder.Path());
        EXPECT_EQ(result.Status, c.Status) << result.Err;
        EXPECT_EQ(result.Out, c.Out);
    }
    WriteBytes(ics,
               Calendar(Event("n", "New Year", "20260101") + Event("k", "Karfreitag", "20260403") +
                        Event("h", "Heiligabend", "20261224")));
    const ToolResult agree = RunTool({"compare", hol, ics, "--config", "X"}, folder.Path());
    EXPECT_EQ(agree.Status, 0);
    EXPECT_EQ(agree.Out, "Same date, other titles:\n"
                         "2026-01-01 calendar: New Year | rules: Neujahr\n"
                         "The rules of X and the calendar agree in 2026: 3 dates, 1 under other "
                         "titles\n");
}

} // namespace
