#pragma once
// Work over a whole library (80,000 rows) spread over the cores; the caller waits for all of it.
#include <cstddef>
#include <algorithm>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace qv {

// How many slices ForEachSlice cuts count items into: one for small jobs, else one per core.
size_t SliceCount(size_t count);

// Runs body(first, last) over [0, count) in SliceCount(count) slices of equal size, one thread each,
// and returns when all are done. body must not talk to the user. What a slice throws is thrown here once
// every slice has ended (the lowest slice's first).
void ForEachSlice(size_t count, const std::function<void(size_t, size_t)>& body);

// ForEachSlice whose slices each make a part of the result: the parts in the order of their slices.
template <typename Part>
std::vector<Part> PartsOfSlices(size_t count, const std::function<Part(size_t, size_t)>& body) {
    std::mutex joined;
    std::vector<std::pair<size_t, Part>> made;
    ForEachSlice(count, [&](size_t first, size_t last) {
        Part part = body(first, last);
        const std::lock_guard lock(joined);
        made.emplace_back(first, std::move(part));
    });
    std::sort(made.begin(), made.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Part> parts;
    parts.reserve(made.size());
    for (auto& [first, part] : made) parts.push_back(std::move(part));
    return parts;
}

}  // namespace qv
