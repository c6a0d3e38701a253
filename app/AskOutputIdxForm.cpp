#include "app/AskOutputIdxForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "outputs/IndexOutputChoice.h"
#include "settings/Settings.h"

namespace qv {

TAskOutputIdxForm::TAskOutputIdxForm(QWidget* parent) : QDialog(parent) {
    setObjectName("AskOutputIdxForm");
    setWindowTitle(QStringLiteral("Confirm"));

    CheckBox1 = new QCheckBox(QStringLiteral("ZT點歌機 (QV03)"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox(QStringLiteral("VKM點歌機 (QV04)"), this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox3 = new QCheckBox(QStringLiteral("QVi05索引檔"), this);
    CheckBox3->setObjectName("CheckBox3");
    YesButton = new QPushButton(QStringLiteral("Yes"), this);
    YesButton->setObjectName("YesButton");
    NoButton = new QPushButton(QStringLiteral("No"), this);
    NoButton->setObjectName("NoButton");
    connect(YesButton, &QPushButton::clicked, this, &TAskOutputIdxForm::YesButtonClick);
    connect(NoButton, &QPushButton::clicked, this, &TAskOutputIdxForm::NoButtonClick);

    auto* group = new QGroupBox(QStringLiteral("輸出格式"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(CheckBox1);
    groupLayout->addWidget(CheckBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(YesButton);
    buttons->addWidget(NoButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("修改後索引檔並未重新輸出, 是否執行輸出?"), this));
    layout->addWidget(group);
    layout->addWidget(CheckBox3);
    layout->addLayout(buttons);
    FormCreate();
}

void TAskOutputIdxForm::FormCreate() {
    const IndexOutputChoice choice = IndexOutputChoiceOfMask(setup::IdxFileOutputFormat);
    CheckBox1->setChecked(choice.zt);
    CheckBox2->setChecked(choice.vkm);
    CheckBox3->setChecked(choice.qvi05);
}

void TAskOutputIdxForm::StoreChoice() {
    StoreIndexOutputChoice(SettingDir.toStdString(),
                           {CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked()});
}

void TAskOutputIdxForm::YesButtonClick() {
    StoreChoice();
    accept();
}

void TAskOutputIdxForm::NoButtonClick() {
    StoreChoice();
    reject();
}

void TAskOutputIdxForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

}  // namespace qv
