#pragma once
#include <QWidget>

namespace qv {

// The VKM jukebox tab of the settings dialog ("VKM點歌機設定"); its controls, loader and apply belong here.
class TVkmSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit TVkmSetupPage(QWidget* parent = nullptr);
    void LoadVkmSettings();
};

}  // namespace qv
