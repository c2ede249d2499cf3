#include "holiday/AxisSizes.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace holiday {
namespace {

// The sizes one by one, for comparison.
struct NaiveSizes {
    std::vector<std::int32_t> sizes;

    [[nodiscard]] std::int64_t Sum(std::int32_t begin, std::int32_t end, std::int32_t extra) const {
        std::int64_t sum = 0;
        for (std::int32_t i = begin; i < end; ++i) {
            sum += sizes[static_cast<std::size_t>(i)] + extra;
        }
        return sum;
    }
    [[nodiscard]] std::int32_t IndexAt(std::int32_t begin, std::int32_t end, std::int64_t offset,
                                       std::int32_t extra) const {
        if (end <= begin || offset < 0) {
            return begin;
        }
        std::int64_t start = 0;
        for (std::int32_t i = begin; i < end; ++i) {
            const std::int64_t span = sizes[static_cast<std::size_t>(i)] + extra;
            if (span > 0 && offset < start + span) {
                return i;
            }
            start += span > 0 ? span : 0;
        }
        return end - 1;
    }
};

TEST(AxisSizesTest, SumAndIndexAtAgreeWithItemByItemSizes) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        const std::int32_t count = 1 + static_cast<std::int32_t>(random() % 300);
        AxisSizes sizes(64);
        NaiveSizes naive{std::vector<std::int32_t>(static_cast<std::size_t>(count), 64)};
        for (int k = 0; k < 20; ++k) {
            const auto index = static_cast<std::int32_t>(random() % static_cast<unsigned>(count));
            const std::int32_t size = static_cast<std::int32_t>(random() % 4) == 0
                                          ? 0
                                          : static_cast<std::int32_t>(random() % 200);
            sizes.Set(index, size);
            naive.sizes[static_cast<std::size_t>(index)] = size;
            // Sums asked between the changes (they keep running sums of the sparse sizes).
            ASSERT_EQ(sizes.Sum(0, count, 0), naive.Sum(0, count, 0));
        }
        for (const std::int32_t extra : {0, 1}) {
            for (std::int32_t begin = 0; begin <= count; begin += 3 + count / 20) {
                for (std::int32_t end = begin; end <= count; end += 5 + count / 20) {
                    ASSERT_EQ(sizes.Sum(begin, end, extra), naive.Sum(begin, end, extra));
                    for (std::int64_t offset = -1; offset < naive.Sum(begin, end, extra) + 70;
                         offset += 17 + count) {
                        ASSERT_EQ(sizes.IndexAt(begin, end, offset, extra),
                                  naive.IndexAt(begin, end, offset, extra))
                            << "begin " << begin << " end " << end << " offset " << offset;
                    }
                }
            }
        }
    }
}

TEST(AxisSizesTest, HugeAxisNeedsNoEntryPerIndex) {
    AxisSizes sizes(64);
    sizes.Set(99'999'999, 10);
    sizes.Set(5, 100);
    EXPECT_EQ(sizes.Sum(0, 100'000'000, 1), 100'000'000LL * 65 + 36 - 54);
    EXPECT_EQ(sizes.IndexAt(0, 100'000'000, 65LL * 50'000'000 + 36 + 3, 1), 50'000'000);
    EXPECT_EQ(sizes.IndexAt(0, 100'000'000, INT64_MAX, 1), 99'999'999);

    sizes.Truncate(6);
    EXPECT_EQ(sizes.Get(99'999'999), 64);
    EXPECT_EQ(sizes.Get(5), 100);
    sizes.Set(5, 64);
    EXPECT_FALSE(sizes.HasCustomSizes());
    sizes.Set(2, -5);
    EXPECT_EQ(sizes.Get(2), 0);
}

} // namespace
} // namespace holiday
