#include "app/PcJukeboxSetupPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/FormSupport.h"
#include "app/SetupControls.h"
#include "settings/PcJukeboxConfig.h"
#include "settings/Settings.h"

namespace qv {

TPcJukeboxSetupPage::TPcJukeboxSetupPage(QWidget* parent) : QWidget(parent) {
    setObjectName("PcJukeboxSetupPage");
    ComboBox26 = NewSetupCombo("ComboBox26",
                               {"播放上次點播", "播放本日點播", "播放國語歌曲", "播放台語歌曲",
                                "播放日語歌曲", "播放英語歌曲", "播放新進歌曲", "播放排行金曲"},
                               this);
    ComboBox27 = NewSetupCombo("ComboBox27", {}, this);
    for (const std::string& size : PcJukeboxFontSizes()) ComboBox27->addItem(FromBig5(size));
    ComboBox27->setCurrentIndex(-1);
    ComboBox27->setMaxVisibleItems(20);
    Button1 = new QPushButton(QStringLiteral("套用"), this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton(QStringLiteral("回復預設值"), this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &TPcJukeboxSetupPage::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TPcJukeboxSetupPage::Button2Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("不點播時播放的歌曲種類"), this), 0, 0);
    grid->addWidget(ComboBox26, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("編號點歌的字體大小"), this), 1, 0);
    grid->addWidget(ComboBox27, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 3, 0, 1, 3);
}

void TPcJukeboxSetupPage::LoadPcJukeboxSettings() {
    const PcJukeboxSettings loaded = qv::LoadPcJukeboxSettings(setup::AppPath);
    ComboBox26->setCurrentIndex(loaded.randomPlay);
    if (loaded.fontSizeItem >= 0) ComboBox27->setCurrentIndex(loaded.fontSizeItem);
}

void TPcJukeboxSetupPage::Button1Click() {
    const int sizeItem = ComboBox27->currentIndex();
    const std::string size = sizeItem >= 0 ? PcJukeboxFontSizes()[static_cast<size_t>(sizeItem)] : "";
    if (ApplyPcJukeboxSettings(setup::AppPath, ComboBox26->currentIndex(), size))
        emit Applied();
    else
        setup::KeepOpenAfterApply = false;
}

void TPcJukeboxSetupPage::Button2Click() {
    ComboBox26->setCurrentIndex(0);
    ComboBox27->setCurrentIndex(ComboBox27->findText(QString::fromLatin1(PcJukeboxDefaultFontSize)));
    setup::KeepOpenAfterApply = true;
    Button1->click();
}

}  // namespace qv
