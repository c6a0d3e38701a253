#include "app/IndexRangeForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/FormSupport.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"

namespace qv {
namespace {

// Keys that move, delete or leave the edit rather than type into it.
bool IsEditingKey(int key) {
    switch (key) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            return false;
    }
}

}  // namespace

TIndexRangeForm::TIndexRangeForm(QWidget* parent) : QDialog(parent) {
    setObjectName("IndexRangeForm");
    setWindowTitle(QStringLiteral("請輸入範圍"));

    StartEdit = new QLineEdit(this);
    StartEdit->setObjectName("StartEdit");
    EndEdit = new QLineEdit(this);
    EndEdit->setObjectName("EndEdit");
    // The key filter below decides what typing may do; the validator also keeps pasted text to digits.
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this);
    for (QLineEdit* edit : {StartEdit, EndEdit}) {
        edit->setValidator(digits);
        edit->installEventFilter(this);
    }

    OKButton = new QPushButton(QStringLiteral("確定"), this);
    OKButton->setObjectName("OKButton");
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName("CancelButton");
    connect(OKButton, &QPushButton::clicked, this, &TIndexRangeForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TIndexRangeForm::CancelButtonClick);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("起始編號"), this), 0, 0);
    grid->addWidget(StartEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("結束編號"), this), 1, 0);
    grid->addWidget(EndEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

// StartEditKeyPress / EndEditKeyPress: digits and backspace only, and no more than five characters.
bool TIndexRangeForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || (watched != StartEdit && watched != EndEdit))
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsEditingKey(key->key()) || key->text().isEmpty()) return false;
    const QString typed = key->text();
    const bool digit = typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9';
    const bool full = static_cast<QLineEdit*>(watched)->text().size() >= MaxDigits;
    return !digit || full;  // true swallows the key
}

void TIndexRangeForm::OKButtonClick() {
    const QString start = StartEdit->text(), end = EndEdit->text();
    if (start.isEmpty()) {
        UI().ShowErrorBox(B5("請輸出起始編號!"));
        return;
    }
    if (end.isEmpty()) {
        UI().ShowErrorBox(B5("請輸出結束編號!"));
        return;
    }
    if (start.toInt() > end.toInt()) {
        UI().ShowErrorBox(B5("結束編號比起始編號小!"));
        return;
    }
    RangeStartNo = start;
    RangeEndNo = end;
    accept();
}

void TIndexRangeForm::CancelButtonClick() { reject(); }

void TIndexRangeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

}  // namespace qv
