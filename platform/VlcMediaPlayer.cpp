#include "platform/VlcMediaPlayer.h"

#include <unistd.h>
#include <vlc/vlc.h>

namespace qv {

namespace {

constexpr libvlc_event_e kWatchedEvents[] = {libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerEndReached,
                                             libvlc_MediaPlayerESAdded, libvlc_MediaPlayerPlaying,
                                             libvlc_MediaPlayerTimeChanged};

int ChannelOfBalance(int balance) {
    if (balance < 0) return libvlc_AudioChannel_Left;
    if (balance > 0) return libvlc_AudioChannel_Right;
    return libvlc_AudioChannel_Stereo;
}

}  // namespace

VlcMediaPlayer::VlcMediaPlayer(const std::vector<std::string>& extraArgs)
    : channel_(libvlc_AudioChannel_Stereo) {
    std::vector<const char*> argv{"--quiet", "--no-video-title-show"};
    for (const auto& a : extraArgs) argv.push_back(a.c_str());
    vlc_ = libvlc_new(static_cast<int>(argv.size()), argv.data());
    if (!vlc_) return;
    player_ = libvlc_media_player_new(vlc_);
    if (!player_) return;
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(player_);
    for (libvlc_event_e e : kWatchedEvents) libvlc_event_attach(events, e, &VlcMediaPlayer::OnEvent, this);
}

VlcMediaPlayer::~VlcMediaPlayer() {
    if (player_) {
        libvlc_event_manager_t* events = libvlc_media_player_event_manager(player_);
        for (libvlc_event_e e : kWatchedEvents)
            libvlc_event_detach(events, e, &VlcMediaPlayer::OnEvent, this);
        libvlc_media_player_stop(player_);
        libvlc_media_player_release(player_);
    }
    if (vlc_) libvlc_release(vlc_);
}

void VlcMediaPlayer::SetWindow(unsigned long xWindow) {
    if (player_) libvlc_media_player_set_xwindow(player_, static_cast<uint32_t>(xWindow));
}

void VlcMediaPlayer::SetAudioSink(AudioSink sink, unsigned rate) {
    if (!player_) return;
    sink_ = std::move(sink);
    libvlc_audio_set_callbacks(player_, &VlcMediaPlayer::OnAudio, nullptr, nullptr, nullptr, nullptr, this);
    libvlc_audio_set_format(player_, "S16N", rate, 2);
}

bool VlcMediaPlayer::Play(const std::string& path) {
    if (!player_) return false;
    // libVLC would only report a missing or unreadable file later, from its own thread.
    if (::access(path.c_str(), R_OK) != 0) return false;
    libvlc_media_t* media = libvlc_media_new_path(vlc_, path.c_str());
    if (!media) return false;
    libvlc_media_player_stop(player_);
    {
        std::lock_guard lock(errorMutex_);
        path_ = path;
    }
    libvlc_media_player_set_media(player_, media);
    libvlc_media_release(media);
    channelApplied_ = false;
    hadTrack_ = false;
    const bool started = libvlc_media_player_play(player_) == 0;
    ApplyChannel();
    return started;
}

void VlcMediaPlayer::Close() {
    if (!player_) return;
    libvlc_media_player_stop(player_);
    libvlc_media_player_set_media(player_, nullptr);
}

bool VlcMediaPlayer::SetBalance(int balance) {
    channel_ = ChannelOfBalance(balance);
    channelApplied_ = false;
    ApplyChannel();
    return player_ != nullptr;
}

void VlcMediaPlayer::SetErrorHandler(std::function<void(const std::string& path)> handler) {
    std::lock_guard lock(errorMutex_);
    onError_ = std::move(handler);
}

bool VlcMediaPlayer::IsPlaying() const { return player_ && libvlc_media_player_is_playing(player_); }

bool VlcMediaPlayer::ShowsPicture() const { return player_ && libvlc_media_player_has_vout(player_) > 0; }

bool VlcMediaPlayer::HasEnded() const {
    return player_ && libvlc_media_player_get_state(player_) == libvlc_Ended;
}

// The audio output exists only once a file plays, and a new file may bring a new one: the wanted channel
// is set whenever it could not be set yet, until it holds.
void VlcMediaPlayer::ApplyChannel() {
    if (!player_ || channelApplied_) return;
    if (libvlc_audio_set_channel(player_, channel_) == 0) channelApplied_ = true;
}

void VlcMediaPlayer::OnEvent(const libvlc_event_t* event, void* self) {
    auto* me = static_cast<VlcMediaPlayer*>(self);
    switch (event->type) {
        case libvlc_MediaPlayerEncounteredError:
            break;
        case libvlc_MediaPlayerEndReached:
            // A file of no known format is read to its end without a single track: nothing could be played.
            if (me->hadTrack_) return;
            break;
        case libvlc_MediaPlayerESAdded:
            me->hadTrack_ = true;
            [[fallthrough]];
        default:
            me->ApplyChannel();
            return;
    }
    std::function<void(const std::string&)> handler;
    std::string path;
    {
        std::lock_guard lock(me->errorMutex_);
        handler = me->onError_;
        path = me->path_;
    }
    if (handler) handler(path);
}

void VlcMediaPlayer::OnAudio(void* self, const void* samples, unsigned count, int64_t) {
    auto* me = static_cast<VlcMediaPlayer*>(self);
    if (me->sink_) me->sink_(static_cast<const int16_t*>(samples), count);
}

}  // namespace qv
