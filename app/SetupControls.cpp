#include "app/SetupControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"

namespace qv {

TRadioGroup::TRadioGroup(const char* name, const QString& caption, const std::vector<const char*>& items,
                         QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    for (size_t i = 0; i < items.size(); ++i) {
        // The item texts escape a shown "&" as "&&", as captions do; a radio button shows "&&" as "&".
        auto* button = new QRadioButton(QString::fromUtf8(items[i]), this);
        button->setObjectName(QString::fromLatin1(name) + QString::number(i));
        buttons_->addButton(button, static_cast<int>(i));
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        layout->addLayout(row);
        rows_.push_back(row);
    }
}

int TRadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
    buttons_->setExclusive(true);
}

TColorPanel::TColorPanel(const char* name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setFixedSize(48, 24);
    SetColour(0);
}

void TColorPanel::SetColour(int colour) {
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    setPalette(p);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    QColorDialog dialog(this);
    dialog.setObjectName("ColorDialog1");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const QColor c = dialog.selectedColor();
    SetColour(c.red() | (c.green() << 8) | (c.blue() << 16));
}

Big5WidthValidator::Big5WidthValidator(int maxBytes, QString fixedStart, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes), fixedStart_(std::move(fixedStart)) {}

QValidator::State Big5WidthValidator::validate(QString& input, int&) const {
    if (!input.startsWith(fixedStart_)) return Invalid;
    return ToBig5(input).size() <= static_cast<size_t>(maxBytes_) ? Acceptable : Invalid;
}

bool TypedBig5(const QString& text, std::string& big5) {
    const std::string utf8 = text.toStdString();
    if (!Utf8FitsBig5(utf8)) {
        UI().ShowErrorBox(B5("輸入的文字含有Big5無法表示的字元, 請修改後再試!"));
        return false;
    }
    big5 = Utf8ToBig5(utf8);
    return true;
}

QCheckBox* NewSetupCheck(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(name);
    return box;
}

QComboBox* NewSetupCombo(const char* name, const std::vector<const char*>& items, QWidget* parent,
                         bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    for (const char* item : items) box->addItem(QString::fromUtf8(item));
    box->setCurrentIndex(-1);
    return box;
}

void SetComboText(QComboBox* box, const std::string& big5) {
    const QString text = FromBig5(big5);
    const int index = box->findText(text);
    box->setCurrentIndex(index);
    if (index < 0 && box->isEditable()) box->setEditText(text);
}

QWidget* NewScrollPage(const char* name, QWidget*& content) {
    auto* area = new QScrollArea;
    area->setObjectName(name);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    content = new QWidget;
    area->setWidget(content);
    return area;
}

}  // namespace qv
