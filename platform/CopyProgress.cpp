#include "platform/CopyProgress.h"

#include "catalogue/UserInterface.h"

namespace qv {
namespace {

class ProgressBarWindow final : public CopyProgressWindow {
public:
    void Begin(const std::string&, const std::string&, std::int64_t total) override {
        total_ = total > 0 ? total : 1;
        UI().SetProgress(0, 100);
        UI().ProcessEvents();
    }
    bool Step(std::int64_t done) override {
        UI().SetProgress(static_cast<int>(done * 100 / total_), 100);
        UI().ProcessEvents();
        return true;
    }
    void End() override { UI().SetProgress(0, 100); }

private:
    std::int64_t total_ = 1;
};

ProgressBarWindow g_barWindow;
CopyProgressWindow* g_window = nullptr;

}  // namespace

CopyProgressWindow& CopyProgress() { return g_window ? *g_window : g_barWindow; }
void SetCopyProgressWindow(CopyProgressWindow* window) { g_window = window; }

}  // namespace qv
