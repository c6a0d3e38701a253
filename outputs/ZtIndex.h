#pragma once
// The ZT (QV03) jukebox's index file set in LibraryRoot + "/000": the song data file "okdata.ztx" (song
// lines and singer lines, scrambled), the fixed-record indexes that point into it, their per-key copies
// under "SPEED", the screen menu and the play list. The whole new set is written beside the old one and
// moved into place only when every file of it was written: a failed run leaves the previous set whole.
#include <string>

namespace qv {

// One run; true when the set was written (the completion message shown), false after an error box.
bool WriteZtIndex();

// 輸出ZT點歌機(QV03)索引檔.
void ZT2Click();

}  // namespace qv
