#pragma once
// The system sounds of the commands ("start.wav", "chord.wav", ...). They come from one sound folder that
// stands in for the Windows media folder; a sound plays only when its file exists there.
#include <string>

namespace qv {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playing the file and returns at once.
    virtual void PlayAsync(const std::string& path) = 0;
};

// The player in use; without one set, sounds are silent (no audio library is linked).
SoundPlayer* CurrentSoundPlayer();
void SetSoundPlayer(SoundPlayer* player);

// The folder of the sound files: AppDir + "/media" unless set otherwise.
std::string SoundFolder();
void SetSoundFolder(const std::string& folder);

// Plays sound folder + "/" + fileName (UTF-8) asynchronously when that file exists.
void PlaySystemSound(const std::string& fileName);

}  // namespace qv
