#include "catalogue/UserInterface.h"

#include <atomic>

namespace qv {
namespace {

// Until a real one is set (early start-up, tools) nothing is shown and every question is "no".
class SilentUserInterface final : public UserInterface {
public:
    void ShowErrorBox(const std::string&) override {}
    void ShowWarningBox(const std::string&) override {}
    void ShowInfoMessage(const std::string&) override {}
    void ShowBlueMessage(const std::string&) override {}
    bool AskBlueYesNo(const std::string&) override { return false; }
    bool AskYesNo(const std::string&) override { return false; }
    void ShowWaitMessage(const std::string&) override {}
    void HideWaitMessage() override {}
    void SetLineMessage(const std::string&) override {}
    void SetProgress(int, int) override {}
    bool AskIndexRange(std::string&, std::string&) override { return false; }
    void ProcessEvents() override {}
};

SilentUserInterface silent;
UserInterface* current = &silent;

std::atomic<bool> endRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestEnd() noexcept { endRequested.store(true, std::memory_order_relaxed); }
bool EndRequested() noexcept { return endRequested.load(std::memory_order_relaxed); }

UserInterface& UI() { return *current; }
void SetUserInterface(UserInterface* ui) { current = ui ? ui : &silent; }

}  // namespace qv
