#pragma once
// The PC jukebox's configuration file "000/qvi05.cfg" and the two settings of [Vorel_KTV Setting] that
// the settings dialog's PC-jukebox tab keeps.
#include <string>
#include <utility>
#include <vector>

namespace qv {

// The font-size items of the number selection, and the size used when none is chosen.
const std::vector<std::string>& PcJukeboxFontSizes();
inline constexpr char PcJukeboxDefaultFontSize[] = "39";
inline constexpr int PcJukeboxRandomPlayItems = 8;

struct PcJukeboxSettings {
    int randomPlay = -1;    // item index of what is played when nothing is requested; -1 none
    int fontSizeItem = -1;  // index into PcJukeboxFontSizes(); -1 keeps the box as it is
};
// RandomPlay by strict integer conversion (a text that is no integer selects nothing); the font-size
// item whose text equals SerialSelectFontSize.
PcJukeboxSettings LoadPcJukeboxSettings(const std::string& appPath);

// "RandomCol" and "RandomCol2" for the RandomPlay item index; Big5.
std::pair<std::string, std::string> RandomPlayColumns(int randomPlay);

// The file's bytes: UTF-16LE with byte-order mark, CR LF, 72 lines.
std::string Qvi05ConfigBytes(int randomPlay, const std::string& fontSize);

// The tab's apply: stores both keys, writes "000/qvi05.cfg" of the program folder and, when the PC
// jukebox's folder exists, copies it there as "VorelKTV.cfg" (a failed copy is ignored). A font size of
// "" (no selection) writes the default size. False, after an error box, when a key or the file could not
// be written: nothing after it is done.
bool ApplyPcJukeboxSettings(const std::string& appPath, int randomPlay, const std::string& fontSize);

// The PC jukebox program's folder (a build setting; empty when the build names none). Tests may set it.
std::string& PcJukeboxFolder();

}  // namespace qv
