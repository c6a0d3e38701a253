#pragma once
// How subsystem code talks to the user. The Qt forms implement it; tests use a scripted fake.
// All texts are Big5 bytes, like every other catalogue text; the implementation converts them.
#include <string>

namespace qv {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Message boxes, titled with the application title.
    virtual void ShowErrorBox(const std::string& text) = 0;
    virtual void ShowWarningBox(const std::string& text) = 0;
    virtual void ShowInfoMessage(const std::string& text) = 0;  // plain message box
    virtual void ShowBlueMessage(const std::string& text) = 0;  // light-blue information box
    virtual bool AskBlueYesNo(const std::string& text) = 0;     // light-blue yes/no question
    virtual bool AskYesNo(const std::string& text) = 0;         // plain yes/no question

    // Modeless wait window; painted at once even while the GUI thread stays busy.
    virtual void ShowWaitMessage(const std::string& text) = 0;
    virtual void HideWaitMessage() = 0;

    // Main window's status line and progress bar.
    virtual void SetLineMessage(const std::string& text) = 0;
    virtual void SetProgress(int position, int maximum) = 0;

    // Number-range dialog: true when the user confirmed a valid range.
    virtual bool AskIndexRange(std::string& from, std::string& to) = 0;

    // Keeps the window painted during long commands on the GUI thread.
    virtual void ProcessEvents() = 0;
};

// The program is asked to end (logout, Ctrl+C). RequestEnd is safe in a signal handler. Once asked, the user
// interface shows no more boxes and throws RunAbandoned at a long run's next step, so the run unwinds (its
// staged files go with it) and the program ends; work that must not be cut (a record write) has no step inside.
void RequestEnd() noexcept;
bool EndRequested() noexcept;
struct RunAbandoned {};

// The program's one user interface; set by the main window at start, by tests to their fake.
UserInterface& UI();
void SetUserInterface(UserInterface* ui);

}  // namespace qv
