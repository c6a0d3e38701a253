#include "app/VkmSetupPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/SetupControls.h"
#include "settings/Settings.h"

namespace qv {
namespace {

// A combo of the numbers 0 .. count-1.
QComboBox* NewNumberCombo(const char* name, int count, QWidget* parent) {
    QComboBox* box = NewSetupCombo(name, {}, parent);
    for (int i = 0; i < count; ++i) box->addItem(QString::number(i));
    box->setCurrentIndex(-1);
    return box;
}

}  // namespace

TVkmSetupPage::TVkmSetupPage(QWidget* parent) : QWidget(parent) {
    setObjectName("VkmSetupPage");
    ComboBoxes[0] = NewSetupCombo("ComboBox18", {"顯示選擇功能表", "進入點歌機模式", "進入播放器模式"}, this);
    ComboBoxes[1] = NewSetupCombo(
        "ComboBox19",
        {"關閉自動播放", "播放全部歌曲", "播放點播排行榜", "播放收藏歌曲", "播放自播歌曲", "播放新進歌曲"},
        this);
    ComboBoxes[2] = NewSetupCombo("ComboBox20", {"順序播放", "隨機播放", "遞增播放"}, this);
    ComboBoxes[3] = NewNumberCombo("ComboBox21", VkmSettingItemCounts[3], this);
    ComboBoxes[4] = NewSetupCombo("ComboBox22", {"使用簡單的暫停", "返回到主功能表"}, this);
    ComboBoxes[5] = NewNumberCombo("ComboBox23", VkmSettingItemCounts[5], this);
    ComboBoxes[6] = NewNumberCombo("ComboBox24", VkmSettingItemCounts[6], this);
    ComboBoxes[7] = NewNumberCombo("ComboBox25", VkmSettingItemCounts[7], this);
    for (QComboBox* box : ComboBoxes) box->setMaxVisibleItems(20);

    OkButton8 = new QPushButton(QStringLiteral("套用"), this);
    OkButton8->setObjectName("OkButton8");
    DefaultButton8 = new QPushButton(QStringLiteral("回復預設值"), this);
    DefaultButton8->setObjectName("DefaultButton8");
    connect(OkButton8, &QPushButton::clicked, this, &TVkmSetupPage::OkButton8Click);
    connect(DefaultButton8, &QPushButton::clicked, this, &TVkmSetupPage::DefaultButton8Click);

    static const char* const kLabels[VkmSettingCount] = {"開機後模式",
                                                         "自動播放功能",
                                                         "自動播放模式",
                                                         "自動播放間隔",
                                                         "暫停狀態顯示",
                                                         "AV輸出下,歌曲訊息距離電視上面邊緣的距離",
                                                         "VGA輸出下,歌曲訊息距離電視上面邊緣的距離",
                                                         "HDMI/色差輸出下,歌曲訊息距離電視上面邊緣的距離"};
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < VkmSettingCount; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(kLabels[i]), this), i, 0);
        if (i == 3) {
            auto* row = new QHBoxLayout;
            row->addWidget(ComboBoxes[i]);
            row->addWidget(new QLabel(QStringLiteral("秒"), this));
            row->addStretch();
            grid->addLayout(row, i, 1);
        } else {
            grid->addWidget(ComboBoxes[i], i, 1, Qt::AlignLeft);
        }
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(VkmSettingCount, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton8);
    buttons->addWidget(DefaultButton8);
    grid->addLayout(buttons, VkmSettingCount + 1, 0, 1, 3);
}

void TVkmSetupPage::LoadVkmSettings() {
    const VkmLoadResult loaded = qv::LoadVkmSettings(setup::AppPath);
    for (int i = 0; i < loaded.comboCount; ++i) {
        const int index = loaded.comboIndex[i];
        ComboBoxes[i]->setCurrentIndex(index >= 0 && index < ComboBoxes[i]->count() ? index : -1);
    }
}

void TVkmSetupPage::OkButton8Click() {
    std::array<int, VkmSettingCount> selections{};
    for (int i = 0; i < VkmSettingCount; ++i) selections[i] = ComboBoxes[i]->currentIndex();
    if (ApplyVkmSettings(setup::AppPath, selections))
        emit Applied();
    else
        setup::KeepOpenAfterApply = false;
}

void TVkmSetupPage::DefaultButton8Click() {
    for (int i = 0; i < VkmSettingCount; ++i) ComboBoxes[i]->setCurrentIndex(VkmSettingDefaults[i]);
    setup::KeepOpenAfterApply = true;
    OkButton8->click();
}

}  // namespace qv
