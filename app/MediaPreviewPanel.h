#pragma once
// The main window's media preview: the video surface of the libVLC player and the three channel buttons
// "左", "中", "右". While it lives its player is the program's preview player.
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/MediaPlayer.h"

class QPushButton;

namespace qv {

class MediaPreviewPanel : public QWidget {
    Q_OBJECT
public:
    // playerArgs go to libVLC (tests pass "--vout=dummy").
    explicit MediaPreviewPanel(QWidget* parent = nullptr, const std::vector<std::string>& playerArgs = {});
    ~MediaPreviewPanel() override;

    // The preview player; its engine starts on first use.
    LazyMediaPlayer& Player() { return *player_; }
    QWidget* VideoSurface() const { return video_; }
    QPushButton* LeftButton;
    QPushButton* MiddleButton;
    QPushButton* RightButton;

public slots:
    void LeftButtonClick();
    void MiddleButtonClick();
    void RightButtonClick();
    // A play button beside the grid rows: plays the song whose number is the button's caption.
    void PlayButtonClick();

private:
    QWidget* video_;
    std::unique_ptr<LazyMediaPlayer> player_;
};

}  // namespace qv
