// Wrong input to every command gets an answer that says what is wrong and how to put it right;
// the places and names in it are exact.

#include "ToolProcess.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(ClearAnswersTest, EveryWrongInputGetsASoundAnswer) {
    const testsupport::TemporaryFolder folder("clear-answers");
    const std::string dir = folder.Path().string();
    const auto file = [&](const std::string& name, const std::string& bytes) {
        WriteBytes(folder.Path() / name, bytes);
        return dir + "/" + name;
    };
    // Row 1 fails only in 2025, row 2 in every year: in 2024-2025 the walk in report order
    // stops at row 2 first.
    const std::string faulty = file("faulty.hol", "T\0S\0D\0O\0\0X\x01"
                                                  "Leap day\0"
                                                  "29.02\0"
                                                  "0\0"
                                                  "0\0\0#\x01"
                                                  "Bad\0"
                                                  " 31.04\0"
                                                  "0\0"
                                                  "0\0\0#\x01"s);
    const std::string good = file("good.hol", "T\0S\0D\0O\0\0X\x01"
                                              "Labour Day\0"
                                              "01.05\0"
                                              "0\0"
                                              "0\0\0#\x01"s);
    const std::string offset = file("offset.hol", "T\0S\0D\0O\0\0X\x01"
                                                  "Bad offset\0"
                                                  "01.05\0"
                                                  "0\0"
                                                  "x\0\0#\x01"s);
    std::string wide = "T\0S\0D\0O\0"s;
    for (int c = 0; c < 25; ++c) {
        wide += "\0C"s + std::to_string(c);
    }
    const std::string manyConfigs = file("wide.hol", wide + "\x01");
    const std::string newline = file("new\nline.hol", "T\x01R\0 31.04\0"
                                                      "0\0"
                                                      "0\x01"s);
    const std::string json = file("table.json", R"([["a", "b"]])");
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string dateFormat = "--date-format: ";
    const std::string patternHelp = " (the pattern language has d, dd, ddd, dddd";

    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string Out; // the start of standard output
        std::string Err; // all of standard error, or its start when it ends with "..."
    };
    const Case cases[] = {
        {{"bogus"}, 2, "", "holtool: unknown command 'bogus'; the commands are report, check..."},
        {{"--version"}, 0, "holtool (Mirevo Holiday Generator) 1.", ""},
        {{"dump", "-dash.hol"},
         2,
         "",
         "holtool: '-dash.hol' is read as an option; to name a file that begins with '-', write "
         "-- -dash.hol or ./-dash.hol\n"},
        {{"check", faulty, "-x.hol", "--years", "2024"},
         2,
         "",
         "holtool: '-x.hol' is read as an option; to name a file that begins with '-'..."},
        {{"dump", faulty, "--years", "2020", "more"},
         2,
         "",
         "holtool: dump does not take the arguments '--years' '2020' 'more' (holtool dump --help "
         "lists what it takes)\n"},
        {{"report", faulty, "--years", "2024-2025"},
         1,
         "                 Year 2024\n",
         "holtool: " + faulty + ":2:1: ' 31.04.2024' ist kein gültiges Datum.\n"},
        {{"ics", offset, "--config", "X", "--years", "2026"},
         1,
         "",
         "holtool: " + offset + ":1:3: ''x'' ist kein gültiger Integer-Wert.\n"},
        {{"ics", manyConfigs, "--config", "zz"},
         2,
         "",
         "holtool: --config: no configuration 'zz'; the file has C0, C1, C2, C3, C4, C5, C6, C7, "
         "C8, C9, C10, C11, C12, C13, C14, C15, C16, C17, C18, C19 and 5 more\n"},
        {{"check", newline},
         1,
         "'" + dir + "/new'$'\\n''line.hol':1:1: ' 31.04.2005' ist kein gültiges Datum\n",
         ""},
        {{"report", dir + "/miss\ning.hol"},
         2,
         "",
         "holtool: Datei '" + dir + "/miss'$'\\n''ing.hol' kann nicht geöffnet werden...."},
        {{"dump", dir + "/it's.hol"},
         2,
         "",
         "holtool: Datei '" + dir + "/it'\\''s.hol' kann nicht geöffnet werden...."},
        {{"write", json, "-"}, 0, "a\0b\x01"s, ""},
        {{"write", json, fifo},
         2,
         "",
         "holtool: HOL: " + fifo +
             " is a pipe, not a regular file; - as HOL writes to standard output\n"},
        {{"ics", good, "--config", "X", "--years", "2026", "-o", "-"},
         0,
         "BEGIN:VCALENDAR\r\n",
         ""},
        {{"ics", offset, "--config", "X", "-o", fifo},
         2,
         "",
         "holtool: -o: " + fifo +
             " is a pipe, not a regular file; -o - writes to standard output\n"},
        {{"report", faulty, "--date-format", "xyz"},
         2,
         "",
         "holtool: " + dateFormat + "xyz holds the letter x, which writes no part of a date" +
             patternHelp + "..."},
        {{"report", faulty, "--date-format", "'dd"},
         2,
         "",
         "holtool: " + dateFormat + "\\''dd' opens a quote ' that it does not close..."},
        {{"report", faulty, "--date-format", "ddddd.mm"},
         2,
         "",
         "holtool: " + dateFormat + "ddddd.mm holds 5 d in a row; dddd is the longest..."},
        {{"report", faulty, "--date-format", "-"},
         2,
         "",
         "holtool: " + dateFormat + "- writes no day, month or year..."},
        {{"report", good, "--years", "2024", "--date-format", "yyyy-mm-dd 'Y'"},
         0,
         "                 Year 2024\n2024-05-01 Y: Labour Day\n",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args[0] + " " + (c.Args.size() > 1 ? c.Args[1] : ""));
        const ToolResult result = RunTool(c.Args, folder.Path());
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Out.substr(0, c.Out.size()), c.Out);
        if (c.Err.ends_with("...")) {
            const std::string start = c.Err.substr(0, c.Err.size() - 3);
            EXPECT_EQ(result.Err.substr(0, start.size()), start) << result.Err;
            EXPECT_EQ(result.Err.find('\n'), result.Err.size() - 1) << result.Err;
        } else {
            EXPECT_EQ(result.Err, c.Err);
        }
    }
}

} // namespace
