#include "outputs/ZtControlFiles.h"

#include <filesystem>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

constexpr int DefaultMenuTop = 3;
constexpr int MaxMenuTop = 88;

bool RemoveIfPresent(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !ec;
}

}  // namespace

const std::vector<std::string>& ZtMenuLines() {
    static const std::vector<std::string> lines = [] {
        static const char* const utf8[] = {
            "[00]◎主要選單◎", "[01]1.歌星點歌", "[02]2.語言點歌", "[03]3.收藏歌曲",   "[04]4.點播排行榜",
            "[05]5.拼音點歌", "[06]6.注音點歌", "[07]◎歌星點歌◎", "[08]1.男歌星  ",   "[09]2.女歌星  ",
            "[10]3.團體歌星", "[11]4.外語歌星", "[12]5.雙人對唱", "[13]6.其他歌星",   "[14]◎語言點歌◎",
            "[15]1.國語歌曲", "[16]2.台語歌曲", "[17]3.粵語歌曲", "[18]4.英文歌曲",   "[19]5.日韓歌曲",
            "[20]6.其他語言", "[21]◎收藏歌曲◎", "[22]1.新進歌曲", "[23]2.流行歌曲",   "[24]3.我的最愛",
            "[25]4.懷舊歌曲", "[26]5.經典歌曲", "[27]6.所有歌曲", "[28]歌手姓氏筆劃", "[29]1. 3劃以下",
            "[30]2. 3到 7劃", "[31]3. 8到10劃", "[32]4.11到13劃", "[33]5.13劃以上",   "[34]6.最愛歌手",
            "[35]◎歌曲字數◎", "[36]1.一到二字", "[37]2.三字歌曲", "[38]3.四字歌曲",   "[39]4.五字歌曲",
            "[40]5.六字歌曲", "[41]6.七字以上"};
        std::vector<std::string> big5;
        for (const char* line : utf8) big5.push_back(B5(line));
        return big5;
    }();
    return lines;
}

std::string ZtMenuBytes() { return JoinLinesCrLf(ZtMenuLines()); }

std::string MenuTopSetText(int value) {
    if (value < 0 || value > MaxMenuTop) value = DefaultMenuTop;
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

bool WriteMenuTopSet(int value) {
    return ReplaceFileContents(PathIn(LibraryRoot, "000/MenuTopSet.ztx"), MenuTopSetText(value) + "\r\n");
}

int ParseMenuTopSet(const std::string& text) {
    const std::string value = TrimBlanks(text);
    if (!IsInteger(value)) return DefaultMenuTop;
    const int number = SafeStrToInt(value);
    return number >= 0 && number <= MaxMenuTop ? number : DefaultMenuTop;
}

int ReadMenuTopSet(const std::string& folder) {
    std::string bytes;
    if (!ReadFileBytes(PathIn(folder, "MenuTopSet.ztx"), bytes)) return DefaultMenuTop;
    const auto lines = SplitTextLines(bytes);
    return ParseMenuTopSet(lines.empty() ? std::string() : lines.front());
}

bool ReadMarkerFile(const std::string& folder, const char* fileName) {
    return FileExists(PathIn(folder, fileName));
}

bool WriteMarkerFile(const std::string& folder, const char* fileName, bool on) {
    const std::string path = PathIn(folder, fileName);
    return on ? ReplaceFileContents(path, "") : RemoveIfPresent(path);
}

int ReadRandPlayMode(const std::string& folder) {
    std::string bytes;
    if (!ReadFileBytes(PathIn(folder, RandPlayFileName), bytes)) return 0;
    const int mode = bytes.empty() ? 1 : static_cast<unsigned char>(bytes[0]);
    return mode >= 1 && mode <= 3 ? mode : 1;
}

std::string ZtPlayListText() {
    std::vector<std::string> lines;
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[r][colSelfPlay] == "*") lines.push_back(AllSong[r][colSongNo] + ";");
    if (lines.empty()) return {};
    const std::string& mode = setup::ZtSelectedSongPlayMode;
    lines.insert(lines.begin(), "[" + (mode.empty() ? std::string(setup::PlayModeReplay) : mode) + "]");
    return JoinLinesCrLf(lines);
}

void ResetPlayModeFiles() {
    IniFile ini(PathIn(AppDir, setup::SettingsFileName));
    const SettingKey& key = setup::keys::FirstTime;
    if (ini.ReadString(key.section, key.name, key.defaultText) == setup::NoText) return;
    ini.WriteString(key.section, key.name, setup::NoText);
    const std::string folder = PathIn(AppDir, "000");
    WriteMarkerFile(folder, OkModeFileName, true);
    WriteMarkerFile(folder, RandPlayFileName, true);
}

void N30Click() { RemoveIfPresent(PathIn(LibraryRoot, "000/SongTop.ztx")); }

}  // namespace qv
