#include "catalogue/Parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

using namespace qv;

// What slices throw reaches the caller once every slice has ended, the lowest slice's first: no thread
// is left running over the caller's data and no item is skipped.
TEST(ForEachSlice, WhatSlicesThrowReachesTheCallerAfterEverySliceRan) {
    constexpr size_t kCount = 100000;
    if (SliceCount(kCount) < 3) GTEST_SKIP() << "needs three cores";
    std::vector<std::atomic<int>> seen(kCount);
    std::string caught;
    try {
        ForEachSlice(kCount, [&](size_t first, size_t last) {
            for (size_t i = first; i < last; ++i) ++seen[i];
            if (last == kCount) throw std::runtime_error("last slice");
            if (first > 0) throw std::runtime_error("second slice");
        });
    } catch (const std::runtime_error& error) {
        caught = error.what();
    }
    EXPECT_EQ(caught, "second slice");
    for (size_t i = 0; i < kCount; ++i) ASSERT_EQ(seen[i].load(), 1) << i;
}

// The parts come back in the order of their slices, whichever slice ends first, and together cover every
// item once; what a slice throws reaches the caller as with ForEachSlice.
TEST(PartsOfSlices, PartsComeInTheOrderOfTheirSlices) {
    constexpr size_t kCount = 100000;
    const std::vector<std::vector<size_t>> parts =
        PartsOfSlices<std::vector<size_t>>(kCount, [](size_t first, size_t last) {
            std::vector<size_t> items;
            for (size_t i = first; i < last; ++i) items.push_back(i);
            return items;
        });
    EXPECT_EQ(parts.size(), SliceCount(kCount));
    size_t next = 0;
    for (const std::vector<size_t>& part : parts)
        for (const size_t item : part) ASSERT_EQ(item, next++);
    EXPECT_EQ(next, kCount);

    if (SliceCount(kCount) < 2) GTEST_SKIP() << "needs two cores";
    EXPECT_THROW(PartsOfSlices<int>(kCount,
                                    [](size_t first, size_t) -> int {
                                        if (first > 0) throw std::runtime_error("later slice");
                                        return 0;
                                    }),
                 std::runtime_error);
}
