#include "rules/RuleRows.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t Chunk = rules::RuleRows::ChunkRows;

rules::RuleRow RowNumbered(std::size_t n) {
    return {static_cast<std::int32_t>(n), {}, rules::PreparedHolidayRule("Easter", "0", "0")};
}

// Rows 0 .. n - 1 in order, each telling its index, both by index and by iteration.
void ExpectNumbered(const rules::RuleRows& rows, std::size_t n) {
    ASSERT_EQ(rows.size(), n);
    std::size_t next = 0;
    for (const rules::RuleRow& row : rows) {
        ASSERT_EQ(row.Row, static_cast<std::int32_t>(next));
        ASSERT_EQ(rows[next].Row, static_cast<std::int32_t>(next));
        ++next;
    }
    EXPECT_EQ(next, n);
}

// A walk drops the rows after the one a visitor changed and reads on: every cut, at a chunk's
// edge or inside one, keeps the rows before it and the rows read after it follow on.
TEST(RuleRows, TruncateGrowAndReleaseKeepRowOrderAcrossChunks) {
    for (const std::size_t cut :
         {std::size_t{0}, std::size_t{3}, Chunk - 1, Chunk, Chunk + 1, 2 * Chunk + 5}) {
        rules::RuleRows rows;
        for (std::size_t n = 0; n < 2 * Chunk + 5; ++n) {
            rows.push_back(RowNumbered(n));
        }
        rows.Truncate(cut);
        ExpectNumbered(rows, cut);
        for (std::size_t n = cut; n < cut + Chunk + 2; ++n) {
            rows.push_back(RowNumbered(n));
        }
        ExpectNumbered(rows, cut + Chunk + 2);
        // Given back a chunk at a time, the rows before the chunks given back stay.
        ASSERT_TRUE(rows.ReleaseLastChunk());
        ExpectNumbered(rows, (cut + Chunk + 1) / Chunk * Chunk);
        while (rows.ReleaseLastChunk()) {
        }
        EXPECT_TRUE(rows.empty());
    }
}

} // namespace
