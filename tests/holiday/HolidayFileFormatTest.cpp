#include "TableTestSupport.h"
#include "holiday/Exception.h"
#include "holiday/HolidayFile.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace std::string_literals;

namespace holiday {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (const int b : bytes) {
        s += static_cast<char>(b);
    }
    return s;
}

std::string Save(const HolidayTable& t) {
    std::ostringstream out;
    SaveToStream(t, out);
    return out.str();
}

// Reads bytes after the open reset.
ReadLosses Load(HolidayTable& t, const std::string& bytes) {
    t.ResetForOpen();
    std::istringstream in(bytes);
    return LoadFromStream(t, in);
}

Rows Visible(const HolidayTable& t) {
    Rows rows(static_cast<std::size_t>(t.RowCount()));
    for (std::int32_t r = 0; r < t.RowCount(); ++r) {
        for (std::int32_t c = 0; c < t.ColCount(); ++c) {
            rows[static_cast<std::size_t>(r)].push_back(t.GetCell(c, r));
        }
    }
    return rows;
}

void SetRows(HolidayTable& t, const Rows& rows) {
    t.SetRowCount(static_cast<std::int32_t>(rows.size()));
    t.SetColCount(static_cast<std::int32_t>(rows[0].size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            t.SetCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r), rows[r][c]);
        }
    }
}

TEST(HolidayFileFormatTest, WriterProducesTheExactBytes) {
    struct Case {
        const char* name;
        Rows rows;
        std::string bytes;
    };
    const Case cases[] = {
        {"worked example",
         {{"01.03", "+Su", "+14"}, {"Easter", "0", "+1"}},
         Bytes({0x30, 0x31, 0x2E, 0x30, 0x33, 0x00, 0x2B, 0x53, 0x75, 0x00, 0x2B, 0x31, 0x34,
                0x01, 0x45, 0x61, 0x73, 0x74, 0x65, 0x72, 0x00, 0x30, 0x00, 0x2B, 0x31, 0x01})},
        {"one empty cell", {{""}}, Bytes({0x01})},
        {"umlaut", {{"ä"}}, Bytes({0xC3, 0xA4, 0x01})},
        {"three empty cells", {{"", "", ""}}, Bytes({0x00, 0x00, 0x01})},
        {"gaps",
         {{"", "b", ""}, {"", "", ""}, {"a", "", "c"}},
         "\0b\0\x01\0\0\x01"
         "a\0\0c\x01"s},
        {"control bytes kept", {{"\x02\x1F\x7F"}}, "\x02\x1F\x7F\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HolidayTable t;
        SetRows(t, c.rows);
        EXPECT_EQ(Save(t), c.bytes);
    }
}

TEST(HolidayFileFormatTest, WriterSkipsTextsOutsideTheExtent) {
    HolidayTable t;
    t.SetColCount(2);
    t.SetRowCount(1);
    t.SetCell(1, 0, "b");
    t.SetCell(2, 0, "hidden");
    t.SetCell(0, 1, "hidden row");
    EXPECT_EQ(Save(t), "\0b\x01"s);
}

TEST(HolidayFileFormatTest, ReaderHandlesEveryShapeOfInput) {
    struct Case {
        const char* name;
        std::string bytes;
        Rows visible;
    };
    const Case cases[] = {
        {"empty file", "", {{""}}},
        {"one terminator", "\x01", {{""}}},
        {"last row unfinished",
         "A\0B\x01"
         "C\0D"s,
         {{"A", "B"}}},
        {"no terminator", "A\0B\0C"s, {{"A", "B"}}},
        {"bytes after the last row",
         "A\x01"
         "BC",
         {{"A"}}},
        {"ragged rows",
         "A\0B\0C\x01"
         "D\x01"s,
         {{"A", "B", "C"}, {"D", "", ""}}},
        {"empty cell before terminator", "A\0\x01"s, {{"A", ""}}},
        {"first byte terminator",
         "\x01"
         "A\x01",
         {{""}, {"A"}}},
        {"ill-formed cell", "x\0\xC3\x28\0y\x01"s, {{"x", "", "y"}}},
        {"byte order mark kept",
         "\xEF\xBB\xBF"
         "A\x01",
         {{"\xEF\xBB\xBF"
           "A"}}},
        {"unfinished row wider than the rest",
         "A\x01"
         "B\0C\0D"s,
         {{"A", ""}}},
        {"control bytes", "\x02\x1F\x7F\x01", {{"\x02\x1F\x7F"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HolidayTable t;
        Load(t, c.bytes);
        EXPECT_EQ(Visible(t), c.visible);
        EXPECT_EQ(t.FixedRows(), 0);
        EXPECT_EQ(t.CurrentCell(), (GridCoord{0, 0}));
    }

    // The unfinished row's 0x00-ended cells are stored but hidden until a row is added.
    HolidayTable t;
    Load(t, "A\0B\x01"
            "C\0D"s);
    t.AddRow();
    EXPECT_EQ(t.GetCell(0, 1), "C");
    EXPECT_EQ(t.GetCell(1, 1), "");
}

TEST(HolidayFileFormatTest, StrictUtf8DecodingEmptiesOnlyTheFaultyCell) {
    struct Case {
        const char* name;
        std::string cell;
        bool wellFormed;
    };
    const Case cases[] = {
        {"ascii", "abc", true},
        {"two bytes", "\xC3\xA4", true},
        {"three bytes", "\xE2\x82\xAC", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"largest scalar", "\xF4\x8F\xBF\xBF", true},
        {"stray continuation", "a\x80", false},
        {"truncated", "\xE2\x82", false},
        {"overlong two", "\xC0\xAF", false},
        {"overlong three", "\xE0\x80\xAF", false},
        {"overlong four", "\xF0\x80\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"invalid byte", "\xFF", false},
        {"fault after long ascii", std::string(50, 'a') + "\xC3", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HolidayTable t;
        const ReadLosses losses = Load(t, "L\0"s + c.cell + "\0R\x01"s);
        EXPECT_EQ(Visible(t), (Rows{{"L", c.wellFormed ? c.cell : "", "R"}}));
        const std::vector<GridCoord> faulty =
            c.wellFormed ? std::vector<GridCoord>{} : std::vector<GridCoord>{{1, 0}};
        EXPECT_EQ(losses.IllFormedCells, faulty);
    }
}

// Every byte the table does not show is named, on both ways a row is stored (at once, and
// cell by cell over texts already there), and in the words the user reads.
TEST(HolidayFileFormatTest, WhatReadingLeavesOutIsNamed) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<GridCoord> illFormed; // (column, row)
        std::uint64_t unread;
        std::vector<std::string> sentences;
    };
    const std::string many = "a\x01"s + "\xff\0ok\0\xc3\x01"s + "x\0y\0z\0\x80\x01"s;
    const Case cases[] = {
        {"well-formed", "a\0b\x01c\x01"s, {}, 0, {}},
        {"empty file", "", {}, 0, {}},
        {"Windows-1252 cell",
         "K\xf6ln\0x\x01"s,
         {{0, 0}},
         0,
         {"1 Zelle ist kein gültiges UTF-8 und wurde leer gelesen: Zeile 0, Spalte 0."}},
        {"several rows",
         many,
         {{0, 1}, {2, 1}, {3, 2}},
         0,
         {"3 Zellen sind kein gültiges UTF-8 und wurden leer gelesen, die erste in Zeile 1, "
          "Spalte 0."}},
        {"last row without its end",
         "a\0b\x01"s + "c\0d"s,
         {},
         3,
         {"3 Bytes nach dem letzten Zeilenende wurden nicht gelesen."}},
        {"one byte left",
         "a\x01\xff",
         {},
         1,
         {"1 Byte nach dem letzten Zeilenende wurde nicht gelesen."}},
        {"no row end at all",
         "2026-01-01 server started\n",
         {},
         26,
         {"Die Datei enthält kein Zeilenende, ihre 26 Bytes wurden nicht gelesen."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool overTexts : {false, true}) {
            HolidayTable t;
            t.ResetForOpen();
            if (overTexts) {
                t.SetCell(5, 2, "hidden"); // rows over texts are stored cell by cell
                t.SetColCount(1);
                t.SetRowCount(1);
            }
            std::istringstream in(c.bytes);
            const ReadLosses losses = LoadFromStream(t, in);
            EXPECT_EQ(losses.IllFormedCells, c.illFormed);
            EXPECT_EQ(losses.UnreadBytes, c.unread);
            EXPECT_EQ(losses.Empty(), c.illFormed.empty() && c.unread == 0);
            EXPECT_EQ(LossSentences(losses), c.sentences);
        }
    }
}

TEST(HolidayFileFormatTest, RoundTripKeepsCountsAndTexts) {
    std::mt19937 random(3);
    const std::string samples[] = {
        "",  "Ostermontag", "Mariä Himmelfahrt", "+Su", "-We", "30.11", "Easter", "+14", "*", "#",
        "1", "日本",        "\xF0\x9F\x8E\x84"};
    for (int round = 0; round < 20; ++round) {
        HolidayTable t;
        t.SetColCount(1 + static_cast<std::int32_t>(random() % 12));
        t.SetRowCount(1 + static_cast<std::int32_t>(random() % 30));
        for (std::int32_t r = 0; r < t.RowCount(); ++r) {
            for (std::int32_t c = 0; c < t.ColCount(); ++c) {
                t.SetCell(c, r, samples[random() % std::size(samples)]);
            }
        }
        // The longest row decides the columns; keep one non-empty cell in the last column.
        t.SetCell(t.ColCount() - 1, 0, "end");
        const auto expected = Visible(t);
        HolidayTable back;
        Load(back, Save(t));
        ASSERT_EQ(back.ColCount(), t.ColCount());
        ASSERT_EQ(back.RowCount(), t.RowCount());
        ASSERT_EQ(Visible(back), expected);
        EXPECT_EQ(back.FixedRows(), 0);
        EXPECT_EQ(back.FixedCols(), 0);
    }
}

TEST(HolidayFileFormatTest, LongCellsCrossBlocksIntact) {
    for (const std::size_t length : {4095u, 4096u, 4097u, 5121u, 3'000'000u}) {
        SCOPED_TRACE(length);
        std::string text;
        for (std::size_t k = 0; text.size() + 2 <= length; ++k) {
            text += k % 7 == 0 ? "ä" : "x";
        }
        HolidayTable t;
        SetRows(t, {{"a", text}, {text, "b"}});
        HolidayTable back;
        Load(back, Save(t));
        EXPECT_EQ(Visible(back), Visible(t));
    }
}

TEST(HolidayFileFormatTest, ControlCharactersInTextsSplitCellsAndRows) {
    HolidayTable t;
    SetRows(t, {{"a"s + '\0' + "b", "c"},
                {"d\x01"
                 "e",
                 "f"}});
    HolidayTable back;
    Load(back, Save(t));
    EXPECT_EQ(Visible(back), (Rows{{"a", "b", "c"}, {"d", "", ""}, {"e", "f", ""}}));
}

TEST(HolidayFileFormatTest, ReaderDoesNotResetAndGrowsOnlyAsFarAsNeeded) {
    HolidayTable t; // 6 x 5, FixedRows 1
    t.SetCell(5, 4, "kept");
    std::istringstream in("A\x01");
    LoadFromStream(t, in);
    EXPECT_EQ(t.ColCount(), 6);
    EXPECT_EQ(t.RowCount(), 4); // the final decrement
    EXPECT_EQ(t.GetCell(0, 0), "A");
    EXPECT_EQ(t.GetCell(5, 4), "kept");
}

TEST(HolidayFileFormatTest, StreamErrorsAreReported) {
    // A stream that claims more bytes than it delivers.
    class ShortBuffer : public std::stringbuf {
    public:
        using std::stringbuf::stringbuf;

    protected:
        pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                         std::ios_base::openmode mode) override {
            if (dir == std::ios_base::end || (dir == std::ios_base::cur && mAtEnd)) {
                mAtEnd = true;
                return 100;
            }
            return std::stringbuf::seekoff(off, dir, mode);
        }
        pos_type seekpos(pos_type pos, std::ios_base::openmode mode) override {
            mAtEnd = false;
            return std::stringbuf::seekpos(pos, mode);
        }

    private:
        bool mAtEnd = false;
    };
    ShortBuffer buffer("A\x01"
                       "B\x01");
    std::istream in(&buffer);
    HolidayTable t;
    t.ResetForOpen();
    try {
        LoadFromStream(t, in);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Der Datenstrom konnte nicht vollständig gelesen werden");
    }
    EXPECT_EQ(t.GetCell(0, 1), "B");
    EXPECT_EQ(t.RowCount(), 3);

    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_THROW(SaveToStream(t, out), EFCreateError);
}

} // namespace
} // namespace holiday
