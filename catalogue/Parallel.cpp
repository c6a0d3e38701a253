#include "catalogue/Parallel.h"

#include <algorithm>
#include <exception>
#include <system_error>
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
    const size_t step = (count + slices - 1) / slices;
    std::vector<std::exception_ptr> errors(slices);
    auto run = [&](size_t first) {
        try {
            body(first, std::min(count, first + step));
        } catch (...) {
            errors[first / step] = std::current_exception();
        }
    };
    // A slice no thread can be made for (the process is out of threads or memory) runs here instead.
    std::vector<std::jthread> workers;
    size_t here = count;
    for (size_t first = step; first < count; first += step) {
        try {
            workers.emplace_back(run, first);
        } catch (const std::system_error&) {
            here = first;
            break;
        }
    }
    run(0);
    for (size_t first = here; first < count; first += step) run(first);
    workers.clear();  // joins
    for (const std::exception_ptr& error : errors)
        if (error) std::rethrow_exception(error);
}

}  // namespace qv
