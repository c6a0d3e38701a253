#pragma once
// The preview player of the main window: plays one media file at a time, stops and closes it, and sends
// the sound to the left channel, both channels or the right channel. Paths are file-system paths (UTF-8).
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qv {

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // Starts playing the file in place of whatever played before; false when it cannot even be opened.
    virtual bool Play(const std::string& path) = 0;
    // Stops playing and closes the file.
    virtual void Close() = 0;
    // -100 the left channel on both speakers, 0 stereo, 100 the right channel; false when refused.
    virtual bool SetBalance(int balance) = 0;
    // Told, on whatever thread notices it, when a file that Play accepted turns out to be unplayable.
    virtual void SetErrorHandler(std::function<void(const std::string& path)> handler) = 0;
};

// A player whose engine starts on the first preview: starting one is slow and costly in memory, and most
// runs never preview. A channel change or a closing before that starts nothing; the channel is handed to
// the engine when it starts.
class LazyMediaPlayer final : public MediaPlayer {
public:
    using Factory = std::function<std::unique_ptr<MediaPlayer>()>;
    explicit LazyMediaPlayer(Factory make) : make_(std::move(make)) {}

    bool Play(const std::string& path) override { return Started().Play(path); }
    void Close() override {
        if (player_) player_->Close();
    }
    bool SetBalance(int balance) override;
    void SetErrorHandler(std::function<void(const std::string& path)> handler) override;

    bool IsStarted() const { return player_ != nullptr; }
    // The engine of the next start (tests); an engine already started stays.
    void SetFactory(Factory make) { make_ = std::move(make); }

private:
    MediaPlayer& Started();

    Factory make_;
    std::function<void(const std::string&)> onError_;
    std::unique_ptr<MediaPlayer> player_;
    std::optional<int> balance_;  // asked for before the engine started
};

// The main window's player; none until the window sets one (tools, tests): the calls then do nothing.
MediaPlayer* PreviewPlayer();
void SetPreviewPlayer(MediaPlayer* player);

}  // namespace qv
