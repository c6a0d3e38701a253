#include "app/MainForm.h"

#include <QCloseEvent>

namespace qv {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
    setWindowTitle(QStringLiteral("QV 歌曲管理"));
    resize(1024, 700);
}

void TMainForm::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace qv
