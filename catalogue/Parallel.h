#pragma once
// Work over a whole library (80,000 rows) spread over the cores; the caller waits for all of it.
#include <cstddef>
#include <functional>

namespace qv {

// How many slices ForEachSlice cuts count items into: one for small jobs, else one per core.
size_t SliceCount(size_t count);

// Runs body(first, last) over [0, count) in SliceCount(count) slices of equal size, one thread each,
// and returns when all are done. body must not talk to the user. What a slice throws is thrown here once
// every slice has ended (the lowest slice's first).
void ForEachSlice(size_t count, const std::function<void(size_t, size_t)>& body);

}  // namespace qv
