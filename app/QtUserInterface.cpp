#include "app/QtUserInterface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "app/AppTitle.h"
#include "app/FormSupport.h"
#include "app/IndexRangeForm.h"
#include "app/InfoForm.h"

namespace qv {
namespace {

// A message box that opens in the middle of the screen rather than over its owner.
class ScreenCentredBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        CentreOnScreen(this);
    }
};

enum class Look { Plain, LightBlue };

// Once the end is asked for, an abandonable run is abandoned at this step. A run already unwinding (a
// failure, or the abandoning itself), or work outside every abandonable run, gets the quiet answer instead.
bool AbandonAtThisStep() {
    if (!EndRequested()) return false;
    if (AbandonableRun::Active() && std::uncaught_exceptions() == 0) throw RunAbandoned{};
    return true;
}

std::function<void()>& AbandonedRunHandler() {
    static std::function<void()> handler;
    return handler;
}

// The framework-style boxes: fixed English captions and buttons, the text shown as plain text (song names
// may hold "<" or "&").
bool RunBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const std::string& text,
            bool yesNo, Look look) {
    if (AbandonAtThisStep()) return false;
    std::unique_ptr<QMessageBox> box;
    if (look == Look::LightBlue)
        box = std::make_unique<ScreenCentredBox>(owner);
    else
        box = std::make_unique<QMessageBox>(owner);
    box->setIcon(icon);
    box->setWindowTitle(caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(MessageText(text));
    if (yesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box->button(QMessageBox::No)->setText(QStringLiteral("&No"));
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    if (look == Look::LightBlue) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Window, QtUserInterface::BlueBoxColour());
        box->setPalette(palette);
        box->setAutoFillBackground(true);
    }
    bool yes = false;
    {
        AbandonableRun::Outside outside;
        yes = box->exec() == QMessageBox::Yes;
    }
    // A box closed by the end request answers nothing.
    if (AbandonAtThisStep()) return false;
    return yes;
}

}  // namespace

QtUserInterface::QtUserInterface(QWidget* owner) : owner_(owner) {}

QtUserInterface::~QtUserInterface() { CloseWaitForm(); }

void QtUserInterface::AttachLineLabel(QLabel* label) { lineLabel_ = label; }

void QtUserInterface::AttachProgressBar(QProgressBar* bar) { progressBar_ = bar; }

void QtUserInterface::ShowErrorBox(const std::string& text) {
    RunBox(owner_, QMessageBox::Critical, QStringLiteral("Error"), text, false, Look::Plain);
}

void QtUserInterface::ShowWarningBox(const std::string& text) {
    RunBox(owner_, QMessageBox::Warning, QStringLiteral("Warning"), text, false, Look::Plain);
}

// A plain box owned by the main window, titled with the program's name; it blocks the whole program
// until answered.
void QtUserInterface::ShowInfoMessage(const std::string& text) {
    RunBox(owner_, QMessageBox::NoIcon, AppTitle(), text, false, Look::Plain);
}

void QtUserInterface::ShowBlueMessage(const std::string& text) {
    RunBox(owner_, QMessageBox::Information, QStringLiteral("Information"), text, false, Look::LightBlue);
}

bool QtUserInterface::AskBlueYesNo(const std::string& text) {
    return RunBox(owner_, QMessageBox::Question, QStringLiteral("Confirm"), text, true, Look::LightBlue);
}

bool QtUserInterface::AskYesNo(const std::string& text) {
    return RunBox(owner_, QMessageBox::Question, QStringLiteral("Confirm"), text, true, Look::Plain);
}

void QtUserInterface::ShowWaitMessage(const std::string& text) {
    if (EndRequested()) return;
    // A window left up by an earlier call would otherwise stay on screen for the rest of the run.
    CloseWaitForm();
    waitForm_ = new TInfoForm(FromBig5(text), owner_);
    ShowAndPaintNow(waitForm_);
    waitShown_ = true;
}

void QtUserInterface::HideWaitMessage() {
    waitShown_ = false;
    CloseWaitForm();
    QElapsedTimer paused;
    paused.start();
    if (auto work = std::exchange(pauseWork_, nullptr)) work();
    if (const qint64 left = 20 - paused.elapsed(); left > 0) QThread::msleep(static_cast<unsigned long>(left));
}

void QtUserInterface::DuringNextPause(std::function<void()> work) { pauseWork_ = std::move(work); }

void QtUserInterface::CloseWaitForm() {
    if (!waitForm_) return;
    waitForm_->close();
    delete waitForm_.data();
}

TInfoForm* QtUserInterface::WaitForm() const { return waitForm_; }

void QtUserInterface::BringWaitToFront() {
    if (!waitShown_ || !waitForm_) return;
    waitForm_->show();
    waitForm_->raise();
}

// Long commands run on the GUI thread: the status line and the bar repaint at once.
void QtUserInterface::SetLineMessage(const std::string& text) {
    if (!lineLabel_) return;
    lineLabel_->setText(FromBig5(text));
    lineLabel_->repaint();
}

// Called for every song of a long run: the bar is repainted only when it changes, the step is taken always.
void QtUserInterface::SetProgress(int position, int maximum) {
    if (progressBar_) {
        // A range of 0..0 would turn the bar into a busy indicator.
        const int top = std::max(maximum, 1);
        const int value = std::clamp(position, 0, top);
        if (progressBar_->minimum() != 0 || progressBar_->maximum() != top || progressBar_->value() != value) {
            progressBar_->setRange(0, top);
            progressBar_->setValue(value);
            progressBar_->repaint();
        }
    }
    AbandonAtThisStep();
}

bool QtUserInterface::AskIndexRange(std::string& from, std::string& to) {
    if (AbandonAtThisStep()) return false;
    TIndexRangeForm form(owner_);
    bool confirmed = false;
    {
        AbandonableRun::Outside outside;
        confirmed = form.exec() == QDialog::Accepted;
    }
    if (AbandonAtThisStep() || !confirmed) return false;
    from = ToBig5(form.RangeStartNo);
    to = ToBig5(form.RangeEndNo);
    return true;
}

// User input stays queued: a click cannot start a second command inside a running one.
// An end request comes in as an event, so it is looked at afterwards.
void QtUserInterface::ProcessEvents() {
    {
        AbandonableRun::Outside outside;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    AbandonAtThisStep();
}

void AbandonIfEndRequested() { AbandonAtThisStep(); }

bool RunInDialog(QDialog* dialog, const std::function<void()>& work) {
    try {
        AbandonableRun run;
        work();
        return true;
    } catch (const RunAbandoned&) {
        dialog->reject();
        return false;
    }
}

void RunAbandonable(const std::function<void()>& command) {
    try {
        AbandonableRun run;
        command();
    } catch (const RunAbandoned&) {
        if (AbandonedRunHandler()) AbandonedRunHandler()();
    }
}

void SetAbandonedRunHandler(std::function<void()> handler) { AbandonedRunHandler() = std::move(handler); }

void QtUserInterface::CloseForEnd() {
    waitShown_ = false;
    CloseWaitForm();
    // Every open dialog's own loop returns; the code that opened it finds the end request when it goes on.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) dialog->reject();
}

}  // namespace qv
