#pragma once
#include <QWidget>

namespace qv {

// The PC jukebox tab of the settings dialog ("電腦點歌機設定"), created hidden; its controls, loader and
// apply belong here.
class TPcJukeboxSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit TPcJukeboxSetupPage(QWidget* parent = nullptr);
    void LoadPcJukeboxSettings();
};

}  // namespace qv
