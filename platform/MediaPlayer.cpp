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

bool LazyMediaPlayer::SetBalance(int balance) {
    if (player_) return player_->SetBalance(balance);
    balance_ = balance;
    return true;
}

MediaPlayer& LazyMediaPlayer::Started() {
    if (!player_) {
        player_ = make_();
        player_->SetErrorHandler(onError_);
        if (balance_) player_->SetBalance(*balance_);
    }
    return *player_;
}

}  // namespace qv
