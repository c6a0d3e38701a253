#include "platform/MediaPlayer.h"

namespace qv {

namespace {
MediaPlayer* thePlayer = nullptr;
}

MediaPlayer* PreviewPlayer() { return thePlayer; }
void SetPreviewPlayer(MediaPlayer* player) { thePlayer = player; }

}  // namespace qv
