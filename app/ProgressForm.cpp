#include "app/ProgressForm.h"

#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/QtUserInterface.h"
#include "catalogue/UserInterface.h"
#include "library/DiskTools.h"

namespace qv {

TProgressForm::TProgressForm(std::string singerPictureRoot, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      singerPictureRoot_(std::move(singerPictureRoot)) {
    setObjectName("ProgressForm");
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TProgressForm::Timer1Timer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    resize(320, 60);
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    // The work starts once the window is on screen.
    QTimer::singleShot(0, this, &TProgressForm::FormActivate);
}

void TProgressForm::FormActivate() {
    const bool finished = RunInDialog(this, [this] {
        moveFailed_ = !MoveSingerPhotos(singerPictureRoot_, [this](int percent) {
            ProgressBar->setValue(percent);
            UI().ProcessEvents();
        });
    });
    if (finished) Timer1->start();
}

void TProgressForm::Timer1Timer() { done(moveFailed_ ? 2 : 1); }

}  // namespace qv
