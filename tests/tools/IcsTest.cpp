// holtool ics: calendars read back with libical and with a second, independent parser, and the
// failures that must leave no file behind.
#include "ToolProcess.h"
#include "tests/support/TemporaryFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <libical/ical.h>
#include <nlohmann/json.hpp>
#include <set>

namespace {

// "dd.mm.yyyy: SUMMARY [CATEGORY]" per event ("[A][B]" for two categories), read with libical
// after checking what each event holds; uids gets the events' UIDs.
std::string EventLines(const std::string& text, std::set<std::string>& uids) {
    std::string lines;
    icalcomponent* root = icalparser_parse_string(text.c_str());
    if (root == nullptr) {
        ADD_FAILURE() << "libical cannot read " << text;
        return lines;
    }
    EXPECT_EQ(icalcomponent_count_errors(root), 0);
    for (icalcomponent* e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT);
         e != nullptr; e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        icaltimetype day = icalcomponent_get_dtstart(e);
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.%04d", day.day, day.month, day.year);
        icaltime_adjust(&day, 1, 0, 0, 0);
        EXPECT_TRUE(day.is_date && icaltime_compare(day, icalcomponent_get_dtend(e)) == 0);
        EXPECT_NE(icalcomponent_get_first_property(e, ICAL_DTSTAMP_PROPERTY), nullptr);
        std::string categories;
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_CATEGORIES_PROPERTY);
             p != nullptr; p = icalcomponent_get_next_property(e, ICAL_CATEGORIES_PROPERTY)) {
            categories +=
                (categories.empty() ? " [" : "][") + std::string(icalproperty_get_categories(p));
        }
        lines += std::string(date) + ": " + icalcomponent_get_summary(e) + categories + "]\n";
        uids.insert(icalcomponent_get_uid(e));
    }
    icalcomponent_free(root);
    return lines;
}

TEST(IcsTest, EventsReadBackAsTheReportGivesThem) {
    const testsupport::TemporaryFolder folder("ics-test");
    const std::string tricky = folder.At("tricky.hol"), out = folder.At("out.ics");
    ASSERT_EQ(RunTool({"write", "-", tricky}, folder.Path(),
                      R"([["T","S","D","O","","X"],
                          ["Komma, Semikolon; Backslash \\ äöüß €","01.01","0","0","","1,#"],
                          ["Fête – )" +
                          std::string(300, 'x') + R"(","Easter","-Mo","+1","","; \\"]])")
                  .Status,
              0);
    const std::string us = MIREVO_SOURCE_DIR "/data/examples/us.hol";
    for (const auto& [file, config] : {std::pair{us, "US"}, {tricky, "X"}}) {
        const std::vector<std::string> years{"--years", "2025-2026"};
        const nlohmann::json rows =
            nlohmann::json::parse(RunTool({"dump", file}, folder.Path()).Out);
        const auto col = static_cast<std::size_t>(
            std::find(rows[0].begin(), rows[0].end(), config) - rows[0].begin());
        std::vector<std::string> marks; // of the rules, in row order
        for (std::size_t row = 1; row < rows.size(); ++row) {
            if (rows[row][1] != "") {
                marks.push_back(rows[row][col]);
            }
        }
        std::string expected; // the report's lines without the year headings, with the marks
        const std::string report =
            RunTool({"report", file, years[0], years[1], "--date-format", "dd.mm.yyyy"},
                    folder.Path())
                .Out;
        std::size_t rule = 0;
        for (std::size_t at = 0, end; (end = report.find('\n', at)) != std::string::npos;
             at = end + 1) {
            rule = report[at] == ' ' ? 0 : rule + 1;
            expected +=
                rule == 0 ? "" : report.substr(at, end - at) + " [" + marks[rule - 1] + "]\n";
        }
        ASSERT_EQ(
            RunTool({"ics", file, "--config", config, years[0], years[1], "-o", out}, folder.Path())
                .Status,
            0);
        std::set<std::string> uids, again;
        EXPECT_EQ(EventLines(ReadBytes(out), uids), expected);
        EXPECT_EQ(uids.size(), std::count(expected.begin(), expected.end(), '\n')) << "UIDs repeat";
        const ToolResult python =
            RunProgram(DEBIAN_PYTHON3, {ICS_EVENTS_SCRIPT, out}, folder.Path());
        EXPECT_EQ(python.Out + python.Err, expected);
        // Written again, the same rules keep their UIDs.
        (void)EventLines(
            RunTool({"ics", file, "--config", config, years[0], years[1]}, folder.Path()).Out,
            again);
        EXPECT_EQ(again, uids);
    }
}

TEST(IcsTest, MarksChooseTheEventsAndFailuresWriteNoFile) {
    const testsupport::TemporaryFolder folder("ics-test");
    const std::string faulty = folder.At("faulty.hol"), out = folder.At("out.ics");
    ASSERT_EQ(RunTool({"write", "-", faulty}, folder.Path(),
                      R"([["T","S","D","O","","A","B"],["Leap day","29.02","0","0","","#",""],
                          ["Eve","24.12","0","0","","1","#"]])")
                  .Status,
              0);
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Events; // in 2028, or the message on stderr
    } cases[] = {
        {{"--config", "A", "--years", "2028"},
         0,
         "29.02.2028: Leap day [#]\n24.12.2028: Eve [1]\n"},
        {{"--config", "A", "--years", "2028", "--marks", "1*"}, 0, "24.12.2028: Eve [1]\n"},
        {{"--config", "B", "--years", "2028"}, 0, "24.12.2028: Eve [#]\n"},
        {{"--config", "A", "--years", "2028-2029"},
         1,
         "holtool: " + faulty + ":1:1: '29.02.2029' ist kein gültiges Datum.\n"},
        {{"--config", "C"}, 2, "holtool: --config: no configuration 'C'; the file has A, B\n"},
        {{"--config", "A", "--years", "9999"},
         2,
         "holtool: --years: a calendar ends with the year 9998\n"},
    };
    for (const auto& c : cases) {
        WriteBytes(out, "old");
        std::vector<std::string> args{"ics", faulty, "-o", out};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const ToolResult result = RunTool(args, folder.Path());
        EXPECT_EQ(result.Status, c.Status) << c.Events;
        std::set<std::string> uids;
        EXPECT_EQ(c.Status == 0 ? EventLines(ReadBytes(out), uids) : result.Err, c.Events);
        EXPECT_EQ(result.Out, "");
        if (c.Status != 0) {
            EXPECT_EQ(ReadBytes(out), "old");
        }
    }
    // faulty.hol, out.ics and RunTool's three files: no temporary file is left behind
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 5);
}

} // namespace
