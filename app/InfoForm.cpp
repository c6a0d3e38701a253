#include "app/InfoForm.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/FormSupport.h"

namespace qv {

TInfoForm::TInfoForm(const QString& infoText, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("InfoForm");
    setModal(false);
    setFixedSize(262, 37);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Label1);
    FormCreate(infoText);
}

void TInfoForm::FormCreate(const QString& infoText) {
    Label1->setText(infoText);
    // The client area stays opaque: per-pixel transparency needs a compositing window manager, and
    // without one the window turns black and hides the text. The whole window is blended instead.
    setWindowOpacity(200.0 / 255.0);
}

void TInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

}  // namespace qv
