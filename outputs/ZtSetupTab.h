#pragma once
// The ZT jukebox tab of the settings dialog without widgets: [Zt Setting] of "setting.ini" and the
// power-on marker files and top-menu value in folder 000 below AppPath.
#include <string>

namespace qv::setup {

struct ZtPage {
    bool okMode = true;       // CheckBox8, "OKMODE.ztx"
    bool randPlay = true;     // CheckBox9, "RandPlay.ztx"
    bool resumePlay = false;  // CheckBox15, "ResumePlayEnable.ztx"
    int randPlayMode = 0;     // ComboBox17 index: the mode byte is index + 1; -1 no choice
    int menuTop = 3;          // ComboBox5 index = the value "00" .. "88"; -1 no choice
    bool pinYinJpn = true;    // CheckBox11
    bool pinYinChi = true;    // CheckBox12
    bool pinYinEng = false;   // CheckBox13
    int playMode = 1;         // ComboBox16: 0 "LIST", 1 "REPLAY", 2 "RANDOM"; -1 no choice
};

inline constexpr int MenuTopItemCount = 89;

// Also sets the play-mode value, normalised as at start.
ZtPage LoadZtSettings();
ZtPage DefaultZtSettings();
// Writes the keys and the files; false after a failure, each one reported. A settings file that cannot be
// written ends the apply; a control file that cannot be written or removed leaves the others written.
bool ApplyZtSettings(const ZtPage& page);

}  // namespace qv::setup
