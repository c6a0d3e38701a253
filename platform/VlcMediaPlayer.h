#pragma once
// The preview player on libVLC 3. Video goes into an X11 window when one is given; the sound goes to
// libVLC's own audio output, or to an in-memory sink when one is set (tests).
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MediaPlayer.h"

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;

namespace qv {

class VlcMediaPlayer final : public MediaPlayer {
public:
    // extraArgs go to libVLC as command-line options (e.g. "--vout=dummy").
    explicit VlcMediaPlayer(const std::vector<std::string>& extraArgs = {});
    ~VlcMediaPlayer() override;
    VlcMediaPlayer(const VlcMediaPlayer&) = delete;
    VlcMediaPlayer& operator=(const VlcMediaPlayer&) = delete;

    // False when libVLC could not start (no plugins): every Play then fails.
    bool Ok() const { return player_ != nullptr; }

    // X11 window that shows the video; 0 lets libVLC choose.
    void SetWindow(unsigned long xWindow);

    // Interleaved signed 16-bit stereo frames as they are played; replaces the audio output.
    using AudioSink = std::function<void(const int16_t* frames, unsigned count)>;
    void SetAudioSink(AudioSink sink, unsigned rate);

    bool Play(const std::string& path) override;
    void Close() override;
    bool SetBalance(int balance) override;
    void SetErrorHandler(std::function<void(const std::string& path)> handler) override;

    bool IsPlaying() const;
    bool HasEnded() const;
    // A video output shows the file's picture.
    bool ShowsPicture() const;

private:
    static void OnEvent(const libvlc_event_t* event, void* self);
    static void OnAudio(void* self, const void* samples, unsigned count, int64_t pts);
    void ApplyChannel();

    libvlc_instance_t* vlc_ = nullptr;
    libvlc_media_player_t* player_ = nullptr;
    AudioSink sink_;
    std::atomic<int> channel_;  // libVLC's audio channel wanted for the sound
    std::atomic<bool> channelApplied_{false};
    std::atomic<bool> hadTrack_{false};  // the file played has shown a track
    std::mutex errorMutex_;              // guards the handler and the path, read on libVLC's thread
    std::function<void(const std::string&)> onError_;
    std::string path_;
};

}  // namespace qv
