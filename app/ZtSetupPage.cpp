#include "app/ZtSetupPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SetupControls.h"
#include "settings/Settings.h"

namespace qv {
TZtSetupPage::TZtSetupPage(QWidget* parent) : QWidget(parent) {
    setObjectName("ZtSetupPage");
    CheckBox8 = NewSetupCheck("CheckBox8", "一開機就進入點歌模式", this);
    CheckBox9 = NewSetupCheck("CheckBox9", "一開機就隨機播放", this);
    CheckBox15 = NewSetupCheck("CheckBox15", "開機載入前次點播", this);
    ComboBox17 = NewSetupCombo(
        "ComboBox17",
        {"完全隨機", "接在已點歌曲最後一首的編號繼續順序播放", "已點播放播完後自動播放此次開機所點的歌曲"},
        this);
    ComboBox5 = NewSetupCombo("ComboBox5", {}, this);
    ComboBox5->setMaxVisibleItems(20);
    CheckBox11 = NewSetupCheck("CheckBox11", "日文歌曲", this);
    CheckBox12 = NewSetupCheck("CheckBox12", "中文歌曲", this);
    CheckBox13 = NewSetupCheck("CheckBox13", "英文歌曲", this);
    ComboBox16 = NewSetupCombo("ComboBox16", {"順序播放", "順序播放(循環)", "隨機播放"}, this);
    OkButton5 = new QPushButton(QStringLiteral("套用"), this);
    OkButton5->setObjectName("OkButton5");
    DefaultButton5 = new QPushButton(QStringLiteral("回復預設值"), this);
    DefaultButton5->setObjectName("DefaultButton5");
    connect(OkButton5, &QPushButton::clicked, this, &TZtSetupPage::OkButton5Click);
    connect(DefaultButton5, &QPushButton::clicked, this, &TZtSetupPage::DefaultButton5Click);
    connect(ComboBox17, &QComboBox::activated, this, &TZtSetupPage::ComboBox17Change);

    auto* power = new QGroupBox(QStringLiteral("開機設定"), this);
    auto* p = new QVBoxLayout(power);
    p->addWidget(CheckBox8);
    p->addWidget(CheckBox9);
    p->addWidget(CheckBox15);
    p->addWidget(new QLabel(QStringLiteral("未點歌曲播放模式"), this));
    p->addWidget(ComboBox17);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("螢幕點歌距離螢幕上方長短的參數"), this));
    top->addWidget(ComboBox5);
    top->addStretch();
    p->addLayout(top);
    auto* pinyin = new QGroupBox(QStringLiteral("拼音點歌包含歌曲種類"), this);
    auto* k = new QVBoxLayout(pinyin);
    k->addWidget(CheckBox11);
    k->addWidget(CheckBox12);
    k->addWidget(CheckBox13);
    auto* own = new QGroupBox(QStringLiteral("自選歌曲播放模式"), this);
    (new QVBoxLayout(own))->addWidget(ComboBox16);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton5);
    buttons->addWidget(DefaultButton5);
    auto* grid = new QGridLayout(this);
    grid->addWidget(power, 0, 0, 2, 1);
    grid->addWidget(pinyin, 0, 1);
    grid->addWidget(own, 1, 1);
    grid->setRowStretch(2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
}

void TZtSetupPage::Show(const setup::ZtPage& page) {
    CheckBox8->setChecked(page.okMode);
    CheckBox9->setChecked(page.randPlay);
    CheckBox15->setChecked(page.resumePlay);
    ComboBox17->setCurrentIndex(page.randPlayMode);
    ComboBox5->setCurrentIndex(page.menuTop);
    CheckBox11->setChecked(page.pinYinJpn);
    CheckBox12->setChecked(page.pinYinChi);
    CheckBox13->setChecked(page.pinYinEng);
    ComboBox16->setCurrentIndex(page.playMode);
}

void TZtSetupPage::LoadZtSettings() {
    ComboBox5->clear();
    for (int i = 0; i < setup::MenuTopItemCount; ++i)
        ComboBox5->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    Show(setup::LoadZtSettings());
}

void TZtSetupPage::OkButton5Click() {
    setup::ZtPage page;
    page.okMode = CheckBox8->isChecked();
    page.randPlay = CheckBox9->isChecked();
    page.resumePlay = CheckBox15->isChecked();
    page.randPlayMode = ComboBox17->currentIndex();
    page.menuTop = ComboBox5->currentIndex();
    page.pinYinJpn = CheckBox11->isChecked();
    page.pinYinChi = CheckBox12->isChecked();
    page.pinYinEng = CheckBox13->isChecked();
    page.playMode = ComboBox16->currentIndex();
    if (setup::ApplyZtSettings(page))
        emit Applied();
    else
        setup::KeepOpenAfterApply = false;
}

void TZtSetupPage::DefaultButton5Click() {
    Show(setup::DefaultZtSettings());
    setup::KeepOpenAfterApply = true;
    OkButton5->click();
}

void TZtSetupPage::ComboBox17Change() { CheckBox9->setChecked(true); }

}  // namespace qv
