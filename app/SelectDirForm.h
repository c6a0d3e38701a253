#pragma once
#include <QDialog>
#include <string>

class QComboBox;
class QPushButton;

namespace qv {

// The library-disk choice: a list of the mounted drives; OK stores the chosen one as "data drive" of
// "song.ini" in the given folder.
class TSelectDirForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectDirForm(std::string songIniDir, QWidget* parent = nullptr);

    QComboBox* DriveComboBox;
    QPushButton* OKButton;
    QPushButton* CancelButton;

private:
    void FormCreate();
    void OKButtonClick();
    void CancelButtonClick();

    std::string songIniDir_;  // SongIniDir
};

}  // namespace qv
