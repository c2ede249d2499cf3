#include "ToolProcess.h"
#include "tests/support/LegendRules.h"
#include "tests/support/TemporaryFolder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The .hol bytes of rows: 0x00 between cells, 0x01 after each row.
std::string HolBytes(const Rows& rows) {
    std::string bytes;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c != 0) {
                bytes.push_back('\0');
            }
            bytes.append(row[c]);
        }
        bytes += '\x01';
    }
    return bytes;
}

using testsupport::ReportHeading;

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A header row and the legend's rules, with a column of marks.
const Rows LegendRules = [] {
    Rows rows{{"Title", "Start", "Dir", "Offset", "", "BY"}};
    for (const testsupport::LegendRule& r : testsupport::LegendRules) {
        rows.push_back({r.Title, r.Start, r.Weekday, r.Offset, "", "1"});
    }
    return rows;
}();

// The report of the legend's rules in one year, as holtool prints it with dd.mm.yyyy.
std::string LegendYear(std::int32_t year) {
    std::string text;
    for (const std::string& line : testsupport::LegendReport(year, year)) {
        text.append(line).append("\n");
    }
    return text;
}

class HolToolTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& bytes) const {
        WriteBytes(mDir / name, bytes);
        return (mDir / name).string();
    }
    std::string Path(const std::string& name) const { return (mDir / name).string(); }
    ToolResult Run(const std::vector<std::string>& args, const std::string& stdinText = {}) const {
        return RunTool(args, mDir, stdinText);
    }

    testsupport::TemporaryFolder mFolder{"holtool-test"};
    const fs::path& mDir = mFolder.Path();
};

TEST_F(HolToolTest, ReportOfTheLegendRulesOverTheDefaultYears) {
    const ToolResult result =
        Run({"report", File("legend.hol", HolBytes(LegendRules)), "--date-format", "dd.mm.yyyy"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(LineCount(result.Out), 11u * 4);
    EXPECT_NE(result.Out.find(LegendYear(2009) + ReportHeading(2010)), std::string::npos)
        << result.Out;
    EXPECT_EQ(result.Err, "");
}

TEST_F(HolToolTest, ReportYearsAndDatePatterns) {
    struct Case {
        std::vector<std::string> Options;
        std::string FirstLines; // the start of stdout
        std::size_t OutLines;
        std::size_t ErrLines; // the warning outside 1900-2099
    };
    const std::string heading2009 = ReportHeading(2009) + "\n";
    const Case cases[] = {
        {{"--years", "2009-2009", "--date-format", "dd.mm.yyyy"}, LegendYear(2009), 4, 0},
        {{"--years", "2009", "--date-format", "yyyy/mm/dd"},
         heading2009 + "2009/04/13: Easter Monday\n",
         4,
         0},
        {{"--years", "2009-2010", "--date-format", "d-m-yy"},
         heading2009 + "13-4-09: Easter",
         8,
         0},
        {{"--years", "2100", "--date-format", "dd.mm.yyyy"},
         ReportHeading(2100) + "\n28.03.2100: Easter Monday\n",
         4,
         1},
        {{"--years", "1899-1900", "--date-format", "dd.mm.yyyy"}, ReportHeading(1899) + "\n", 8, 1},
    };
    const std::string file = File("legend.hol", HolBytes(LegendRules));
    for (const Case& c : cases) {
        std::vector<std::string> args{"report", file};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        const ToolResult result = Run(args);
        SCOPED_TRACE(c.Options[1] + " " + c.Options[3]);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Out.substr(0, c.FirstLines.size()), c.FirstLines);
        EXPECT_EQ(LineCount(result.Out), c.OutLines);
        EXPECT_EQ(LineCount(result.Err), c.ErrLines) << result.Err;
    }
}

TEST_F(HolToolTest, ReportStopsAtTheFirstFaultyRule) {
    struct Case {
        Rows Table;
        std::vector<std::string> Options;
        std::string Out;
        std::string Err; // after "holtool: FILE"
    };
    Rows leapDay = LegendRules;
    leapDay.push_back({"Leap day", "29.02", "0", "0"});
    const Case cases[] = {
        {leapDay,
         {"--years", "2008-2009"},
         LegendYear(2008) + "29.02.2008: Leap day\n" + LegendYear(2009),
         ":4:1: '29.02.2009' ist kein gültiges Datum.\n"},
        // Every message of the tool is one line.
        {{{"Title"}, {"Two lines", "01.05", "0", "1\n2"}},
         {},
         ReportHeading(2005) + "\n",
         ":1:3: ''1 2'' ist kein gültiger Integer-Wert.\n"},
    };
    for (const Case& c : cases) {
        const std::string file = File("faulty.hol", HolBytes(c.Table));
        std::vector<std::string> args{"report", file, "--date-format", "dd.mm.yyyy"};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        const ToolResult result = Run(args);
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Out, c.Out);
        EXPECT_EQ(result.Err, "holtool: " + file + c.Err);
    }
}

TEST_F(HolToolTest, CheckReportsEveryFaultyCellOnce) {
    const std::string faulty = File("faulty.hol", HolBytes({
                                                      {"Title", "Start", "Dir", "Offset"},
                                                      {"Easter Monday", "Easter", "0", "+1"},
                                                      {"Both wrong", "31.04", "0", "x"},
                                                      {"Leap day", "29.02", "0", "0"},
                                                      {"New row", "01.05", "", ""},
                                                      {"Not a rule", "", "", "zz"},
                                                  }));
    const std::string clean = File("clean.hol", HolBytes(LegendRules));
    const std::string edge = File("edge.hol", HolBytes({
                                                  {"Title"},
                                                  {"Past the end", "31.12", "+Sa", "0"},
                                                  {"Offset past the end", "31.12", "0", "+1"},
                                                  {"Still fine", "31.12", "0", "-7"},
                                              }));
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
    };
    const Case cases[] = {
        {{"check", faulty, clean},
         1,
         faulty + ":2:1: '31.04.2005' ist kein gültiges Datum\n" + faulty +
             ":2:3: ''x'' ist kein gültiger Integer-Wert\n" + faulty +
             ":3:1: '29.02.2005' ist kein gültiges Datum (years 2005-2007, 2009-2011, "
             "2013-2015)\n" +
             faulty + ":4:3: '''' ist kein gültiger Integer-Wert\n"},
        {{"check", faulty, "--years", "2008-2009"},
         1,
         faulty + ":2:1: '31.04.2008' ist kein gültiges Datum\n" + faulty +
             ":2:3: ''x'' ist kein gültiger Integer-Wert\n" + faulty +
             ":3:1: '29.02.2009' ist kein gültiges Datum (years 2009)\n" + faulty +
             ":4:3: '''' ist kein gültiger Integer-Wert\n"},
        {{"check", clean, clean}, 0, ""},
        {{"check", edge, "--years", "9998-9999"},
         1,
         edge + ":1:2: Ungültiges Argument zum Codieren des Datums (years 9999)\n" + edge +
             ":2:3: Ungültiges Argument zum Codieren des Datums (years 9999)\n"},
    };
    for (const Case& c : cases) {
        const ToolResult result = Run(c.Args);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Out, c.Out);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(HolToolTest, CheckGoesOnPastAFileItCannotRead) {
    const std::string faulty =
        File("faulty.hol", HolBytes({{"Title"}, {"Bad", "31.04", "0", "0"}}));
    const ToolResult result = Run({"check", Path("missing.hol"), faulty});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, faulty + ":1:1: '31.04.2005' ist kein gültiges Datum\n");
    EXPECT_EQ(LineCount(result.Err), 1u) << result.Err;
    EXPECT_NE(result.Err.find("missing.hol"), std::string::npos) << result.Err;
}

TEST_F(HolToolTest, DumpThenWriteGivesBackTheSameBytes) {
    const std::string original = HolBytes({
        {"Title", "Start", "Dir", "Offset", "", "BY"},
        {"Easter Monday", "Easter", "0", "+1", "", "1"},
        {"Fête \"quoted\" back\\slash", "01.03", "tab\there", "+14", "", "#"},
    });
    const std::string hol = File("original.hol", original);
    const ToolResult dump = Run({"dump", hol});
    EXPECT_EQ(dump.Status, 0);
    EXPECT_EQ(dump.Err, "");
    EXPECT_EQ(dump.Out, "[\n"
                        "  [\"Title\",\"Start\",\"Dir\",\"Offset\",\"\",\"BY\"],\n"
                        "  [\"Easter Monday\",\"Easter\",\"0\",\"+1\",\"\",\"1\"],\n"
                        "  [\"Fête \\\"quoted\\\" back\\\\slash\",\"01.03\",\"tab\\there\","
                        "\"+14\",\"\",\"#\"]\n"
                        "]\n");

    const ToolResult fromFile = Run({"write", File("table.json", dump.Out), Path("copy.hol")});
    EXPECT_EQ(fromFile.Status, 0);
    EXPECT_EQ(fromFile.Err, "");
    EXPECT_EQ(ReadBytes(Path("copy.hol")), original);

    // Replaces an existing file; standard input works as the JSON file.
    const ToolResult fromStdin = Run({"write", "-", Path("copy.hol")}, "[[\"x\"]]");
    EXPECT_EQ(fromStdin.Status, 0);
    EXPECT_EQ(ReadBytes(Path("copy.hol")), "x\x01");
}

TEST_F(HolToolTest, WritePadsShortRows) {
    struct Case {
        std::string Json;
        std::string Bytes;
    };
    const Case cases[] = {
        {"[]", "\x01"},
        {"[[]]", "\x01"},
        {"[[], []]", "\x01\x01"},
        {"[[\"a\"], [\"b\", \"c\", \"ä\"]]", "a\0\0\x01"
                                             "b\0c\0ä\x01"s},
        {"[[\"\", \"x\"], [\"y\"]]", "\0x\x01y\0\x01"s},
    };
    for (const Case& c : cases) {
        const ToolResult result = Run({"write", File("in.json", c.Json), Path("out.hol")});
        EXPECT_EQ(result.Status, 0) << c.Json << result.Err;
        EXPECT_EQ(ReadBytes(Path("out.hol")), c.Bytes) << c.Json;
    }
}

TEST_F(HolToolTest, BadInputGivesOneLineAndStatus2) {
    const std::string good = File("good.hol", HolBytes(LegendRules));
    const std::string missing = Path("missing.hol");
    fs::create_directory(mDir / "folder");
    const std::string folder = Path("folder");
    const std::string goodJson = File("good.json", "[[\"a\"]]");
    struct Case {
        std::vector<std::string> Args;
        std::string Mentions; // a part of the message, when it must name something
    };
    const Case cases[] = {
        {{}, ""},
        {{"frobnicate"}, "'frobnicate'"},
        {{"report"}, "FILE"},
        {{"report", good, "--bogus"}, "--bogus"},
        {{"report", missing}, "missing.hol"},
        {{"report", folder}, "folder"},
        {{"report", good, "--years", "2015-2005"}, "2015"},
        {{"report", good, "--years", "abc"}, "abc"},
        {{"report", good, "--years", "0-5"}, "0-5"},
        {{"report", good, "--years", "2005-10000"}, "2005-10000"},
        {{"report", good, "--years", "2005-"}, "2005-"},
        {{"report", good, "--date-format", ""}, "--date-format"},
        {{"check", good, missing}, "missing.hol"},
        {{"check", good, "--years", "20x5"}, "20x5"},
        {{"dump", missing}, "missing.hol"},
        {{"dump", good, good}, ""},
        {{"write", goodJson}, "HOL"},
        {{"write", missing, Path("out.hol")}, "missing.hol"},
        {{"write", File("bad.json", "[[\"a\",]"), Path("out.hol")}, "bad.json"},
        {{"write", File("object.json", "{\"a\": 1}"), Path("out.hol")}, "object"},
        {{"write", File("number.json", "[[\"a\"], [\"b\", 7]]"), Path("out.hol")},
         "row 1, column 1"},
        {{"write", File("flat.json", "[\"a\"]"), Path("out.hol")}, "row 0"},
        {{"write", File("nul.json", "[[\"a\", \"b\\u0000\"]]"), Path("out.hol")},
         "row 0, column 1"},
        {{"write", File("soh.json", "[[\"a\"], [\"\\u0001\"]]"), Path("out.hol")},
         "row 1, column 0"},
        {{"write", goodJson, Path("no/such/folder/out.hol")}, "out.hol"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.Args) {
            shown += arg + ' ';
        }
        SCOPED_TRACE(shown);
        const ToolResult result = Run(c.Args);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(LineCount(result.Err), 1u) << result.Err;
        EXPECT_EQ(result.Err.back(), '\n');
        EXPECT_NE(result.Err.find(c.Mentions), std::string::npos) << result.Err;
    }
    EXPECT_FALSE(fs::exists(Path("out.hol")));
}

// What the editor would not show is named, what is no regular file is refused, and "-" reads
// standard input to its end.
TEST_F(HolToolTest, InputThatIsNotReadWholeIsNamed) {
    const std::string legacy = File("legacy.hol", "K\xf6ln\0x\x01"s);
    const std::string unended = File("unended.hol", "a\0b\x01"s + "c\0d"s);
    ASSERT_EQ(::mkfifo(Path("fifo.hol").c_str(), 0600), 0);
    const std::string legend = HolBytes(LegendRules);
    struct Case {
        std::vector<std::string> Args;
        std::string Stdin;
        int Status;
        std::string Out; // the start of stdout
        std::string Err;
    };
    const std::string cellLost =
        "holtool: " + legacy +
        ": 1 Zelle ist kein gültiges UTF-8 und wurde leer gelesen: Zeile 0, Spalte 0.\n";
    const Case cases[] = {
        {{"dump", legacy}, "", 0, "[\n  [\"\",\"x\"]\n]\n", cellLost},
        {{"report", legacy, "--years", "2020"}, "", 0, ReportHeading(2020), cellLost},
        {{"check", legacy, unended},
         "",
         1,
         legacy + ":0:0: Die Zelle ist kein gültiges UTF-8 und wurde leer gelesen.\n" + unended +
             ":1:0: 3 Bytes nach dem letzten Zeilenende wurden nicht gelesen.\n",
         ""},
        {{"dump", "--encoding", "windows-1252", legacy}, "", 0, "[\n  [\"Köln\",\"x\"]\n]\n", ""},
        {{"dump", "--encoding", "no-such-encoding", legacy},
         "",
         2,
         "",
         "holtool: " + legacy +
             ": --encoding: unknown encoding 'no-such-encoding' (iconv --list names the known "
             "ones)\n"},
        {{"dump", Path("fifo.hol")},
         "",
         2,
         "",
         "holtool: Datei " + Path("fifo.hol") +
             " kann nicht geöffnet werden. Die Datei ist eine Pipe, keine gewöhnliche Datei.\n"},
        {{"check", "/dev/zero"},
         "",
         2,
         "",
         "holtool: Datei /dev/zero kann nicht geöffnet werden. Die Datei ist ein Gerät, keine "
         "gewöhnliche Datei.\n"},
        {{"report", "-", "--years", "2009", "--date-format", "dd.mm.yyyy"},
         legend,
         0,
         LegendYear(2009),
         ""},
        {{"check", "-"}, legend, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args[0] + " " + c.Args[1]);
        const ToolResult result = Run(c.Args, c.Stdin);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Out.substr(0, c.Out.size()), c.Out);
        EXPECT_EQ(result.Err, c.Err);
    }

    // The way out for a legacy file: decoded into JSON, written back as UTF-8.
    const ToolResult json = Run({"dump", "--encoding", "windows-1252", legacy});
    ASSERT_EQ(Run({"write", "-", Path("rescued.hol")}, json.Out).Status, 0);
    EXPECT_EQ(ReadBytes(Path("rescued.hol")), "Köln\0x\x01"s);
}

// A configuration named twice is not guessed: --column picks it.
TEST_F(HolToolTest, IcsAsksWhichOfTwoColumnsOfOneName) {
    const std::string file =
        File("twice.hol", HolBytes({{"Title", "Start", "Dir", "Offset", "", "DE-BY", "AT", "DE-BY"},
                                    {"Neujahr", "01.01", "0", "0", "", "#", "", ""},
                                    {"Ostern", "Easter", "0", "0", "", "", "", "#"}}));
    const ToolResult both = Run({"ics", file, "--config", "DE-BY", "--years", "2026"});
    EXPECT_EQ(both.Status, 2);
    EXPECT_EQ(both.Err, "holtool: --config: 2 columns are named 'DE-BY' (columns 5, 7); pick one "
                        "with --column N\n");
    const ToolResult second =
        Run({"ics", file, "--config", "DE-BY", "--column", "7", "--years", "2026"});
    EXPECT_EQ(second.Status, 0) << second.Err;
    EXPECT_NE(second.Out.find("SUMMARY:Ostern"), std::string::npos);
    EXPECT_EQ(second.Out.find("SUMMARY:Neujahr"), std::string::npos);
    EXPECT_EQ(Run({"ics", file, "--config", "DE-BY", "--column", "6"}).Err,
              "holtool: --column: column 6 is named 'AT', not 'DE-BY'\n");
}

TEST_F(HolToolTest, HelpGoesToStdoutWithStatus0) {
    const std::vector<std::string> commands{"", "report", "check", "dump", "write"};
    for (const std::string& command : commands) {
        const ToolResult result =
            Run(command.empty() ? std::vector<std::string>{"--help"}
                                : std::vector<std::string>{command, "--help"});
        EXPECT_EQ(result.Status, 0) << command;
        EXPECT_NE(result.Out.find("holtool " + command), std::string::npos) << result.Out;
        EXPECT_EQ(result.Err, "") << command;
    }
}

} // namespace
