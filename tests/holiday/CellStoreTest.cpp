#include "holiday/CellStore.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace holiday {
namespace {

using Model = std::map<std::pair<std::int32_t, std::int32_t>, std::string>; // (row, col)

// Compares the columns cols and their right neighbours of rows 0 .. rows - 1.
void ExpectSame(const CellStore& store, const Model& model, const std::vector<std::int32_t>& cols,
                std::int32_t rows) {
    std::vector<std::int32_t> checked = cols;
    for (const std::int32_t c : cols) {
        checked.push_back(c + 1);
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        for (const std::int32_t c : checked) {
            const auto it = model.find({r, c});
            ASSERT_EQ(store.Get(c, r), it == model.end() ? "" : it->second)
                << "cell " << c << "," << r;
        }
        // The walk yields the same entries in column order.
        std::int32_t col = 0;
        std::string_view text;
        auto expected = model.lower_bound({r, 0});
        for (auto entries = store.Entries(r); entries.Next(col, text); ++expected) {
            ASSERT_TRUE(expected != model.end() && expected->first.first == r);
            ASSERT_EQ(col, expected->first.second);
            ASSERT_EQ(text, expected->second);
        }
        ASSERT_TRUE(expected == model.end() || expected->first.first != r);
    }
    if (!model.empty()) {
        ASSERT_LT(model.rbegin()->first.first, store.RowEnd());
    }
}

// Random edits in every position of short rows (insert before, between, after, replace, remove
// first/middle/last), with column gaps wide enough for multi-byte distances; and the same in
// rows wide enough to be cut into segments that split and empty again.
TEST(CellStoreTest, RandomEditsMatchAPlainMap) {
    std::vector<std::int32_t> wide;
    for (std::int32_t c = 0; c < 600; ++c) {
        wide.push_back(c % 3 == 0 ? c : c * 1747);
    }
    const std::vector<std::vector<std::int32_t>> cases = {
        {0, 1, 2, 3, 127, 128, 129, 300, 16'384, 20'000}, wide};
    for (const auto& colsUsed : cases) {
        std::mt19937 random(11);
        constexpr std::int32_t rows = 5;
        CellStore store;
        Model model;
        for (int step = 0; step < 4000; ++step) {
            const std::int32_t col = colsUsed[random() % colsUsed.size()];
            const auto row = static_cast<std::int32_t>(random() % rows);
            const auto action = random() % 13;
            if (action == 12) { // a row as read, over an emptied row, edited later on
                for (auto it = model.lower_bound({row, 0});
                     it != model.end() && it->first.first == row;) {
                    store.Set(it->first.second, row, "");
                    it = model.erase(it);
                }
                std::string bytes;
                std::int32_t last = -1;
                const auto cells = static_cast<std::int32_t>(random() % 30);
                for (std::int32_t k = 0; k < cells; ++k) {
                    const std::string text = random() % 3 == 0 ? "" : "raw" + std::to_string(k);
                    bytes += (k == 0 ? "" : std::string(1, '\0')) + text;
                    if (!text.empty()) {
                        model[{row, k}] = text;
                        last = k;
                    }
                }
                if (last >= 0) {
                    const std::size_t size = bytes.rfind("raw") + 3 + std::to_string(last).size();
                    bytes += std::string("\0\x01", 2);
                    char* block = store.NewBlock(bytes.size());
                    std::memcpy(block, bytes.data(), bytes.size());
                    store.AdoptRow(row, block, size, last);
                }
            } else if (action >= 10) { // a whole row, over an empty or a filled one
                std::vector<std::string> texts(random() % 40);
                std::vector<std::string_view> views;
                for (std::size_t k = 0; k < texts.size(); ++k) {
                    texts[k] = random() % 3 == 0 ? "" : std::string(random() % 700, 'r');
                    views.emplace_back(texts[k]);
                    if (!texts[k].empty()) {
                        model[{row, static_cast<std::int32_t>(k)}] = texts[k];
                    } else {
                        model.erase({row, static_cast<std::int32_t>(k)});
                    }
                }
                store.SetRow(row, views);
            } else if (action < 6) {
                std::string text(random() % 3 == 0 ? 200 : random() % 6, 'a');
                text += std::to_string(step);
                store.Set(col, row, text);
                model[{row, col}] = text;
            } else if (action < 9) {
                store.Set(col, row, "");
                model.erase({row, col});
            } else {
                const auto source = static_cast<std::int32_t>(random() % rows);
                const std::int32_t limit = colsUsed[random() % colsUsed.size()];
                store.CopyRow(row, source, limit);
                if (source != row) {
                    const Model before = model;
                    std::erase_if(model, [&](const auto& e) {
                        return e.first.first == row && e.first.second < limit;
                    });
                    for (const auto& [position, text] : before) {
                        if (position.first == source && position.second < limit) {
                            model[{row, position.second}] = text;
                        }
                    }
                }
            }
            if (step % 50 == 0) {
                ExpectSame(store, model, colsUsed, rows);
            }
        }
        store.ClearRange(129, 3);
        std::erase_if(model,
                      [](const auto& e) { return e.first.first < 3 && e.first.second < 129; });
        ExpectSame(store, model, colsUsed, rows);
    }
}

TEST(CellStoreTest, StoresATextReadFromTheSameRow) {
    CellStore store;
    const std::string long100(100, 'x');
    store.Set(0, 0, long100);
    std::int32_t col = 0;
    std::string_view text;
    auto entries = store.Entries(0);
    ASSERT_TRUE(entries.Next(col, text));
    store.Set(1, 0, text); // appended: the row's buffer grows under the view
    ASSERT_TRUE(store.Entries(0).Next(col, text));
    store.Set(0, 0, text.substr(1)); // rewritten in place
    EXPECT_EQ(store.Get(0, 0), std::string(99, 'x'));
    EXPECT_EQ(store.Get(1, 0), long100);
}

TEST(CellStoreTest, AcceptsEveryNonNegativeIndex) {
    CellStore store;
    const std::pair<std::int32_t, std::int32_t> positions[] = {
        {0, 0}, {1'048'575, 1'048'575}, {INT32_MAX, 0}, {0, INT32_MAX}, {7, 67'108'864}};
    for (const auto& [col, row] : positions) {
        store.Set(col, row, std::to_string(col));
    }
    for (const auto& [col, row] : positions) {
        EXPECT_EQ(store.Get(col, row), std::to_string(col));
    }
    EXPECT_EQ(store.LastCol(0), INT32_MAX);
    EXPECT_EQ(store.RowEnd(), std::int64_t{INT32_MAX} + 1);
    EXPECT_EQ(store.Get(-1, 0), "");
    EXPECT_THROW(store.Set(-1, 0, "x"), std::out_of_range);
    // A store of a few texts stays small however far apart they are.
    EXPECT_LT(store.MemoryUsage(), 200'000u);
    store.ClearAll();
    EXPECT_TRUE(store.Empty());
    EXPECT_EQ(store.Get(0, INT32_MAX), "");
}

} // namespace
} // namespace holiday
