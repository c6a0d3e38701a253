#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "app/AppTitle.h"
#include "app/EndSignals.h"
#include "app/MainForm.h"
#include "app/QtTranslations.h"
#include "app/QtUserInterface.h"
#include "library/Startup.h"

namespace {

qv::TMainForm* mainForm = nullptr;

// The window's commands end the program themselves when their run is abandoned for an end request; a
// handler without that guard (a panel's button, an in-place editor) is caught here.
class Application final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            // What the framework delivers is never part of a run that is processing events.
            qv::AbandonableRun::Outside outside;
            return QApplication::notify(receiver, event);
        } catch (const qv::RunAbandoned&) {
            if (mainForm) mainForm->EndNow();
            return true;
        }
    }
};

// Every file is written and closed by the time the window is gone and the loop has returned: the rest of
// the teardown (player, web engine, 80,000 rows of memory) is left to the system, which also drops the
// folder lock.
[[noreturn]] void EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    Application app(argc, argv);
    QApplication::setApplicationName(qv::AppTitle());
    qv::InstallQtTranslations(app);

    // A session logout or Ctrl+C: the run going on is abandoned at its next step (its staged files go with
    // it), no box is shown any more, and the window closes without the closing questions (they are asked
    // again at the next close). Caught before start-up, whose boxes close the same way.
    qv::CatchEndSignals(&app, [] {
        if (mainForm)
            mainForm->EndNow();
        else if (auto* ui = dynamic_cast<qv::QtUserInterface*>(&qv::UI()))
            ui->CloseForEnd();
    });

    // Not before the application: the loading threads' page faults would slow its loading of libraries.
    qv::StartSongListPreload();
    qv::TMainForm form;
    mainForm = &form;
    if (qv::EndRequested()) EndProcess(0);
    form.show();
    const int code = app.exec();
    form.hide();
    EndProcess(code);
}
