#pragma once
// The progress window of a long file copy. The copy reports the bytes done; the window may let the user
// cancel, and the copy then removes what it had written.
#include <cstdint>
#include <string>

namespace qv {

class CopyProgressWindow {
public:
    virtual ~CopyProgressWindow() = default;
    // source and target are UTF-8 paths; total is the byte count to copy.
    virtual void Begin(const std::string& source, const std::string& target, std::int64_t total) = 0;
    // False when the user asked to cancel.
    virtual bool Step(std::int64_t done) = 0;
    virtual void End() = 0;
};

// The window in use: the one set by the main window, else the main window's progress bar through UI()
// (which cannot cancel).
CopyProgressWindow& CopyProgress();
void SetCopyProgressWindow(CopyProgressWindow* window);

}  // namespace qv
