#pragma once
// The positions a run set the main window's bar to, in percent of the maximum given with each.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/FakeUserInterface.h"

namespace qv::test {

class BarRecord {
public:
    explicit BarRecord(FakeUserInterface& ui) : ui_(ui) {
        ui_.onProgress = [this](int position) {
            percents.push_back(ui_.lastProgressMax > 0 ? position * 100 / ui_.lastProgressMax : 0);
        };
    }
    ~BarRecord() { ui_.onProgress = nullptr; }
    BarRecord(const BarRecord&) = delete;
    BarRecord& operator=(const BarRecord&) = delete;

    std::vector<int> percents;

    // The bar only moved forward and reached its end; once the run was over it may have been set back to 0.
    ::testing::AssertionResult MovedForwardToItsEnd() const {
        std::vector<int> run = percents;
        while (!run.empty() && run.back() == 0) run.pop_back();
        if (run.empty()) return ::testing::AssertionFailure() << "the bar never moved";
        const auto back = std::is_sorted_until(run.begin(), run.end());
        if (back != run.end())
            return ::testing::AssertionFailure()
                   << "the bar went back from " << *(back - 1) << " to " << *back << " at step "
                   << (back - run.begin());
        if (run.back() != 100) return ::testing::AssertionFailure() << "the bar stopped at " << run.back();
        return ::testing::AssertionSuccess();
    }

private:
    FakeUserInterface& ui_;
};

}  // namespace qv::test
