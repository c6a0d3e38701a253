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
