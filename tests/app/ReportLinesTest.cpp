#include "app/ReportLines.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

using app::ReportLines;
using app::ReportPos;

namespace {

// The place of a byte offset in a plain string of lines.
ReportPos PlaceIn(const std::string& text, std::size_t offset) {
    ReportPos pos;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++pos.Line;
            pos.Byte = 0;
        } else {
            ++pos.Byte;
        }
    }
    return pos;
}

// Every edit on the store does to its text what the same edit does to a plain string, also
// across the seams of blocks and when blocks fill, split and empty.
TEST(ReportLines, EditsActAsOnAPlainString) {
    struct Case {
        const char* Name;
        std::size_t LineBytes; // of the lines appended first
        int Lines;
    };
    const Case cases[] = {
        {"one block of short lines", 5, 40},
        {"many blocks", 50, 6000},
        {"lines longer than a block", ReportLines::BlockBytes + 7, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ReportLines store;
        std::string model;
        for (int i = 0; i < c.Lines; ++i) {
            std::string line(c.LineBytes, static_cast<char>('a' + i % 26));
            line.push_back('\n');
            store.Append(line);
            model += line;
        }
        std::mt19937 random(7); // fixed, so that a failure replays
        for (int edit = 0; edit < 60; ++edit) {
            SCOPED_TRACE(edit);
            const std::size_t at = random() % (model.size() + 1);
            if (edit % 3 == 2) {
                const std::size_t to =
                    std::min(model.size(), at + random() % (3 * c.LineBytes + 3));
                store.Erase(PlaceIn(model, to), PlaceIn(model, at)); // either order
                model.erase(at, to - at);
            } else {
                const std::string text =
                    edit % 2 == 0 ? "x\n\nyz" : std::string(random() % 200, 'q');
                const ReportPos after = store.Insert(PlaceIn(model, at), text);
                model.insert(at, text);
                EXPECT_EQ(after, PlaceIn(model, at + text.size()));
            }
            ASSERT_EQ(store.Text({}, store.End()), model);
            ASSERT_EQ(store.TextBytes(), model.size());
            const std::size_t probe = random() % (model.size() + 1);
            EXPECT_EQ(store.PosAt(probe), PlaceIn(model, probe));
            EXPECT_EQ(store.Offset(PlaceIn(model, probe)), probe);
        }
        store.Clear();
        EXPECT_EQ(store.LineCount(), 1);
        EXPECT_EQ(store.Text({}, store.End()), "");
    }
}

// A report of millions of lines costs its text and a few bytes a line.
TEST(ReportLines, AHugeReportTakesLittleMoreThanItsText) {
    constexpr int Lines = 3'000'000;
    ReportLines store;
    for (int i = 0; i < Lines; ++i) {
        store.Append("30.11.2015: Ostern\n");
    }
    EXPECT_EQ(store.LineCount(), Lines + 1);
    EXPECT_EQ(store.Line(Lines / 2), "30.11.2015: Ostern");
    EXPECT_LE(store.MemoryBytes(), store.TextBytes() + std::uint64_t{9} * Lines + (1U << 20));
}

} // namespace
