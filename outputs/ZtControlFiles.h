#pragma once
// The ZT jukebox's small files of folder 000: the screen menu, the top-menu position, the power-on marker
// files, the own-choice play list and the play ranking. Folders are UTF-8 paths; texts Big5.
#include <string>
#include <vector>

namespace qv {

// The 42 lines of "menu.ztx" (Big5, without line ends).
const std::vector<std::string>& ZtMenuLines();
// The bytes of "menu.ztx": the lines, each ended by CR LF.
std::string ZtMenuBytes();

// Top-menu position: 0..88 written with two digits, anything else as "03".
std::string MenuTopSetText(int value);
bool WriteMenuTopSet(int value);  // LibraryRoot + "/000/MenuTopSet.ztx"
// The value a reader takes from the file's text: 3 when it is not an integer from 0 to 88.
int ParseMenuTopSet(const std::string& text);
int ReadMenuTopSet(const std::string& folder);  // folder + "/MenuTopSet.ztx"; 3 when missing

// Marker files: present = the power-on option is on.
inline constexpr char OkModeFileName[] = "OKMODE.ztx";
inline constexpr char ResumePlayFileName[] = "ResumePlayEnable.ztx";
inline constexpr char RandPlayFileName[] = "RandPlay.ztx";
inline constexpr char PlayListFileName[] = "PlayList.ztx";
inline constexpr char SongTopFileName[] = "SongTop.ztx";

bool ReadMarkerFile(const std::string& folder, const char* fileName);
// On: an empty file (created, or an existing one cut to 0 bytes); off: the file deleted. False on failure.
bool WriteMarkerFile(const std::string& folder, const char* fileName, bool on);

// Random-play mode of "RandPlay.ztx": 0 when the file is missing (off), else 1..3 (an empty file or a value
// outside 1..3 reads as 1).
int ReadRandPlayMode(const std::string& folder);

// "PlayList.ztx" of the marked own-choice songs (table rows, file order): "[" + play mode + "]" (REPLAY
// when the setting is empty), then "song number;" per song. Empty when no song is marked (the index run
// then takes the file away).
std::string ZtPlayListText();

// At the first run ("FirstTime" of setting.ini not "no"): FirstTime := "no", and OKMODE and RandPlay of
// AppDir + "/000" written empty. Every other byte of setting.ini stays.
void ResetPlayModeFiles();

// 清除點歌排行榜: LibraryRoot + "/000/SongTop.ztx" deleted when present; nothing is shown.
void N30Click();

}  // namespace qv
