#pragma once
// The PC jukebox tab of the settings dialog ("電腦點歌機設定"), created hidden: what the PC jukebox plays
// when nothing is requested and the font size of its number selection.
#include <QWidget>

class QComboBox;
class QPushButton;

namespace qv {

class TPcJukeboxSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit TPcJukeboxSetupPage(QWidget* parent = nullptr);

    QComboBox* ComboBox26;
    QComboBox* ComboBox27;
    QPushButton* Button1;
    QPushButton* Button2;

    void LoadPcJukeboxSettings();
    void Button1Click();
    void Button2Click();

signals:
    // The tab was written; the dialog ends the apply.
    void Applied();
};

}  // namespace qv
