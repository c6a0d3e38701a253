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
        if (!run.empty() && run.back() == 100 && std::is_sorted(run.begin(), run.end()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the bar went " << ::testing::PrintToString(percents);
    }

private:
    FakeUserInterface& ui_;
};

}  // namespace qv::test
