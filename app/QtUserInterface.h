#pragma once
// The program's message boxes, wait window, status line, progress bar and range dialog as Qt widgets.
#include <QColor>
#include <QPointer>

#include <functional>
#include <utility>

#include "catalogue/UserInterface.h"

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

namespace qv {

class TInfoForm;

// While one lives (a command, start-up, closing), a run on the GUI thread can be abandoned: once the end
// was asked for, the user interface's steps throw RunAbandoned. Outside every one (a panel's own
// handler, a queued report) they give their quiet answers instead: an exception must not cross the
// framework's event dispatch.
class AbandonableRun {
public:
    AbandonableRun() { ++depth_; }
    ~AbandonableRun() { --depth_; }
    AbandonableRun(const AbandonableRun&) = delete;
    AbandonableRun& operator=(const AbandonableRun&) = delete;
    static bool Active() { return depth_ > 0; }

    // While the framework delivers events from inside a run (its steps, a box, a dialog's loop), what it
    // calls is no part of that run: a queued slot or a timer then gets the quiet answers, and the run
    // meets the end request at its own next step.
    class Outside {
    public:
        Outside() : saved_(std::exchange(depth_, 0)) {}
        ~Outside() { depth_ = saved_; }
        Outside(const Outside&) = delete;
        Outside& operator=(const Outside&) = delete;

    private:
        int saved_;
    };

private:
    static inline int depth_ = 0;
};

// Once the end was asked for, a run going on is abandoned here (RunAbandoned); elsewhere nothing happens.
void AbandonIfEndRequested();

// Work that a dialog starts from its own loop once it is shown is a run of its own. When it is abandoned
// the dialog is closed and false comes back; the run that opened the dialog then meets the end request at
// its next step (AbandonIfEndRequested after exec).
bool RunInDialog(QDialog* dialog, const std::function<void()>& work);

// Runs a command as an abandonable run; when it is abandoned, the handler set here ends the program (the
// main window's). The handlers of the window and of its panels go through it.
void RunAbandonable(const std::function<void()>& command);
void SetAbandonedRunHandler(std::function<void()> handler);

class QtUserInterface final : public UserInterface {
public:
    // The owner (the main window) parents the boxes and the wait window; it may be null.
    explicit QtUserInterface(QWidget* owner = nullptr);
    ~QtUserInterface() override;

    // The main window's status line label and progress bar; either may be left unattached.
    void AttachLineLabel(QLabel* label);
    void AttachProgressBar(QProgressBar* bar);

    // Background of the light-blue boxes.
    static QColor BlueBoxColour() { return QColor(0xA6, 0xCA, 0xF0); }

    bool WaitShown() const { return waitShown_; }
    TInfoForm* WaitForm() const;
    // On the main window's activation: the wait window, when up, comes back in front of it.
    void BringWaitToFront();

    void ShowErrorBox(const std::string& text) override;
    void ShowWarningBox(const std::string& text) override;
    void ShowInfoMessage(const std::string& text) override;
    void ShowBlueMessage(const std::string& text) override;
    bool AskBlueYesNo(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ShowWaitMessage(const std::string& text) override;
    void HideWaitMessage() override;
    // Work for the pause after the next closing of the wait window, run once at its start: the pause then
    // lasts as long as the work, and at least its 20 ms. Empty: none.
    void DuringNextPause(std::function<void()> work);
    void SetLineMessage(const std::string& text) override;
    void SetProgress(int position, int maximum) override;
    bool AskIndexRange(std::string& from, std::string& to) override;
    void ProcessEvents() override;

    // The end was asked for: the wait window goes and every open dialog and box is closed unanswered. The
    // boxes, the progress steps and ProcessEvents then throw RunAbandoned (not while an exception unwinds);
    // the wait window, the status line and HideWaitMessage never throw.
    void CloseForEnd();

private:
    void CloseWaitForm();

    QPointer<QWidget> owner_;
    QPointer<QLabel> lineLabel_;
    QPointer<QProgressBar> progressBar_;
    QPointer<TInfoForm> waitForm_;
    bool waitShown_ = false;
    std::function<void()> pauseWork_;
};

}  // namespace qv
