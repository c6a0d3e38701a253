#pragma once
// The VKM jukebox tab of the settings dialog ("VKM點歌機設定"): the eight settings of the VKM jukebox, stored
// in "setting.ini" and written into its configuration files on apply.
#include <QWidget>
#include <array>

#include "settings/VkmConfigFiles.h"

class QComboBox;
class QPushButton;

namespace qv {

class TVkmSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit TVkmSetupPage(QWidget* parent = nullptr);

    // ComboBox18 .. ComboBox25, in the order of the settings.
    std::array<QComboBox*, VkmSettingCount> ComboBoxes;
    QPushButton* OkButton8;
    QPushButton* DefaultButton8;

    void LoadVkmSettings();
    void OkButton8Click();
    void DefaultButton8Click();

signals:
    // The tab was written; the dialog ends the apply.
    void Applied();
};

}  // namespace qv
