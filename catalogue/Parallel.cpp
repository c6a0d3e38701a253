#include "catalogue/Parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace qv {

size_t SliceCount(size_t count) {
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return count < 4096 ? 1 : std::min<size_t>(cores, 16);
}

void ForEachSlice(size_t count, const std::function<void(size_t, size_t)>& body) {
    const size_t slices = SliceCount(count);
    if (slices == 1) {
        body(0, count);
        return;
    }
    std::vector<std::thread> workers;
    const size_t step = (count + slices - 1) / slices;
    for (size_t first = step; first < count; first += step)
        workers.emplace_back(body, first, std::min(count, first + step));
    body(0, std::min(count, step));
    for (std::thread& worker : workers) worker.join();
}

}  // namespace qv
