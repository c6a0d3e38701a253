#pragma once
// The two "Confirm" questions that name what they act on: the song about to be deleted for good and the
// folder about to be added as a picture song. Each is a line of text with the name in the middle, and Yes
// and No.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace qv {

class TNameAskForm : public QDialog {
    Q_OBJECT
public:
    // before, name and after are Big5; a red name warns that the action cannot be undone.
    TNameAskForm(const std::string& before, const std::string& name, const std::string& after, bool redName,
                 QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* NameLabel;
    QLabel* Label2;
    QPushButton* YesButton;
    QPushButton* NoButton;

protected:
    void showEvent(QShowEvent* event) override;
};

// TDeleteSongAskForm: true when Yes was chosen.
bool AskDeleteSong(const std::string& songName, QWidget* parent);
// TAddPictureAskForm: true when Yes was chosen.
bool AskAddPictureFolder(const std::string& folderName, QWidget* parent);

}  // namespace qv
