#include "app/ObrelForm.h"

#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/QtUserInterface.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"
#include "outputs/HtmlObrel.h"

namespace qv {

TObrelForm::TObrelForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("ObrelForm");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    resize(320, 60);
}

void TObrelForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    QTimer::singleShot(0, this, &TObrelForm::FormActivate);
}

void TObrelForm::FormActivate() {
    bool written = false;
    const bool finished = RunInDialog(this, [this, &written] {
        written = WriteOfflineObrelBook([this](int percent) {
            ProgressBar1->setValue(percent);
            UI().ProcessEvents();
        });
    });
    if (!finished) return;
    if (written)
        Timer1->start();
    else
        reject();
}

void N38Click(QWidget* parent) {
    TObrelForm form(parent);
    const int result = form.exec();
    AbandonIfEndRequested();
    if (result == QDialog::Accepted) UI().ShowInfoMessage(B5("離線雲端歌簿輸出完成"));
}

}  // namespace qv
