// holtool ics: the events read back with libical and with a second, independent parser, and
// the failures that must leave no file behind.
#include "ToolProcess.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <libical/ical.h>
#include <set>
#include <string>

namespace {

struct Calendar {
    std::string Lines; // "dd.mm.yyyy: SUMMARY" per event, as the report writes its rules
    std::set<std::string> Marks;
    std::set<std::string> Uids;
    std::size_t Events = 0;
};

// Parses text with libical and checks what every event must hold.
Calendar ReadWithLibical(const std::string& text) {
    Calendar calendar;
    icalcomponent* root = icalparser_parse_string(text.c_str());
    EXPECT_NE(root, nullptr);
    if (root == nullptr) {
        return calendar;
    }
    EXPECT_EQ(icalcomponent_count_errors(root), 0);
    EXPECT_NE(icalcomponent_get_first_property(root, ICAL_PRODID_PROPERTY), nullptr);
    for (icalcomponent* event = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT);
         event != nullptr; event = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        icaltimetype start = icalcomponent_get_dtstart(event);
        const icaltimetype end = icalcomponent_get_dtend(event);
        EXPECT_TRUE(start.is_date && end.is_date);
        EXPECT_NE(icalcomponent_get_first_property(event, ICAL_DTSTAMP_PROPERTY), nullptr);
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.%04d", start.day, start.month, start.year);
        icaltime_adjust(&start, 1, 0, 0, 0);
        EXPECT_EQ(icaltime_compare_date_only(start, end), 0) << date;
        calendar.Lines += std::string(date) + ": " + icalcomponent_get_summary(event) + '\n';
        calendar.Marks.insert(icalproperty_get_categories(
            icalcomponent_get_first_property(event, ICAL_CATEGORIES_PROPERTY)));
        calendar.Uids.insert(icalcomponent_get_uid(event));
        ++calendar.Events;
    }
    icalcomponent_free(root);
    return calendar;
}

// The rule lines of a report, without the year headings.
std::string RuleLines(const std::string& report) {
    std::string lines;
    for (std::size_t at = 0, end; (end = report.find('\n', at)) != std::string::npos;
         at = end + 1) {
        if (report[at] != ' ') {
            lines += report.substr(at, end + 1 - at);
        }
    }
    return lines;
}

class IcsTest : public ::testing::Test {
protected:
    ToolResult Run(const std::vector<std::string>& args) const {
        return RunTool(args, mFolder.Path());
    }
    testsupport::TemporaryFolder mFolder{"ics-test"};
};

TEST_F(IcsTest, EventsReadBackAsTheReportGivesThem) {
    const std::string tricky = mFolder.At("tricky.hol");
    const std::string longTitle(300, 'x');
    ASSERT_EQ(RunTool({"write", "-", tricky}, mFolder.Path(),
                      R"([["T","S","D","O","","X"],
                          ["Komma, Semikolon; Backslash \\ Umlaute äöüß €","01.01","0","0","","#"],
                          ["Fête – )" +
                          longTitle + R"(","Easter","-Mo","+1","","1"]])")
                  .Status,
              0);
    const std::string us = std::string(MIREVO_SOURCE_DIR) + "/data/examples/us.hol";
    for (const auto& [file, config] : {std::pair{us, "US"}, {tricky, "X"}}) {
        const ToolResult report =
            Run({"report", file, "--years", "2025-2026", "--date-format", "dd.mm.yyyy"});
        const std::string expected = RuleLines(report.Out);
        const std::string out = mFolder.At("out.ics");
        ASSERT_EQ(Run({"ics", file, "--config", config, "--years", "2025-2026", "-o", out}).Status,
                  0);
        const Calendar calendar = ReadWithLibical(ReadBytes(out));
        EXPECT_EQ(calendar.Lines, expected);
        EXPECT_EQ(calendar.Uids.size(), calendar.Events) << "UIDs repeat";

        const ToolResult python =
            RunProgram(DEBIAN_PYTHON3, {ICS_EVENTS_SCRIPT, out}, mFolder.Path());
        EXPECT_EQ(python.Status, 0) << python.Err;
        EXPECT_EQ(python.Out, expected);

        // Written again, to standard output, the same rules keep their UIDs.
        EXPECT_EQ(
            ReadWithLibical(Run({"ics", file, "--config", config, "--years", "2025-2026"}).Out)
                .Uids,
            calendar.Uids);
    }
}

TEST_F(IcsTest, MarksChooseTheEvents) {
    const struct {
        const char* File;
        const char* Config;
        std::vector<std::string> Marks;
        std::size_t Events;
        std::set<std::string> Categories;
    } cases[] = {
        {"us.hol", "US", {"--marks", "#"}, 11, {"#"}},
        {"de.hol", "DE-BE", {}, 34, {"#", "1"}}, // eight rows hold no mark for Berlin
        {"de.hol", "DE-BY", {"--marks", "1*"}, 26, {"1"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{
            "ics",      std::string(MIREVO_SOURCE_DIR) + "/data/examples/" + c.File,
            "--config", c.Config,
            "--years",  "2026"};
        args.insert(args.end(), c.Marks.begin(), c.Marks.end());
        const Calendar calendar = ReadWithLibical(Run(args).Out);
        EXPECT_EQ(calendar.Events, c.Events) << c.Config;
        EXPECT_EQ(calendar.Marks, c.Categories) << c.Config;
    }
}

TEST_F(IcsTest, FailuresWriteNoCalendar) {
    const std::string faulty = mFolder.At("faulty.hol");
    ASSERT_EQ(RunTool({"write", "-", faulty}, mFolder.Path(),
                      R"([["T","S","D","O","","A","B"],["Leap day","29.02","0","0","","#","#"]])")
                  .Status,
              0);
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Err;
    } cases[] = {
        {{"--config", "A", "--years", "2028-2029"}, 1, "'29.02.2029' ist kein gültiges Datum.\n"},
        {{"--config", "C", "--years", "2028"},
         2,
         "holtool: --config: no configuration 'C'; the file has A, B\n"},
        {{"--config", "A", "--years", "9999"},
         2,
         "holtool: --years: a calendar ends with the year 9998\n"},
    };
    const std::string out = mFolder.At("out.ics");
    for (const auto& c : cases) {
        WriteBytes(out, "old");
        std::vector<std::string> args{"ics", faulty, "-o", out};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const ToolResult result = Run(args);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Err, c.Err);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(ReadBytes(out), "old");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder.Path()), {}), 5)
        << "a temporary file was left behind"; // faulty.hol, out.ics and RunTool's three files
}

} // namespace
