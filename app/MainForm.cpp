#include "app/MainForm.h"

#include <QCloseEvent>

#include "app/AboutForm.h"
#include "app/AppTitle.h"
#include "app/QtUserInterface.h"

namespace qv {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), ui_(std::make_unique<QtUserInterface>(this)) {
    setObjectName("MainForm");
    SetUserInterface(ui_.get());
    FormCreate();
}

TMainForm::~TMainForm() {
    if (&UI() == ui_.get()) SetUserInterface(nullptr);
}

void TMainForm::FormCreate() {
    setWindowTitle(AppTitle());
    resize(1024, 700);
}

// Closing runs the normal shut-down of closeEvent.
void TMainForm::N4Click() { close(); }

void TMainForm::N11Click() {
    TAboutForm about(this);
    about.exec();
}

void TMainForm::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace qv
