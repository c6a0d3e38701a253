#include "platform/MediaPlayer.h"

namespace qv {

namespace {
MediaPlayer* thePlayer = nullptr;
}

MediaPlayer* PreviewPlayer() { return thePlayer; }
void SetPreviewPlayer(MediaPlayer* player) { thePlayer = player; }

void LazyMediaPlayer::SetErrorHandler(std::function<void(const std::string& path)> handler) {
    onError_ = std::move(handler);
    if (player_) player_->SetErrorHandler(onError_);
}

MediaPlayer& LazyMediaPlayer::Started() {
    if (!player_) {
        player_ = make_();
        player_->SetErrorHandler(onError_);
    }
    return *player_;
}

}  // namespace qv
