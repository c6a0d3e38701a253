#include "outputs/ZtSetupTab.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "settings/SetupPages.h"
#include "settings/Settings.h"

namespace qv::setup {
namespace {

constexpr char kOkMode[] = "OKMODE.ztx";
constexpr char kRandPlay[] = "RandPlay.ztx";
constexpr char kResumePlay[] = "ResumePlayEnable.ztx";
constexpr char kMenuTopSet[] = "MenuTopSet.ztx";

std::string ZtFile(const char* name) { return SetupFile(std::string("000/") + name); }

std::string FirstLine(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return {};
    const auto lines = SplitTextLines(bytes);
    return lines.empty() ? std::string() : lines.front();
}

bool Write(const std::string& path, const std::string& bytes) {
    if (ReplaceFileContents(path, bytes)) return true;
    UI().ShowErrorBox(B5("錯誤:無法寫入") + path);
    return false;
}

// Present means on: a checked box creates the empty marker when it is missing, a cleared one deletes it
// (a delete that fails is ignored).
bool SetMarker(const char* name, bool on) {
    const std::string path = ZtFile(name);
    if (!on) {
        std::remove(path.c_str());
        return true;
    }
    return FileExists(path) || Write(path, "");
}

}  // namespace

ZtPage LoadZtSettings() {
    ZtPage page;
    page.pinYinJpn = ReadSetupKey(keys::ZtPinYinIncludeJpn) == YesText;
    page.pinYinChi = ReadSetupKey(keys::ZtPinYinIncludeChi) == YesText;
    page.pinYinEng = ReadSetupKey(keys::ZtPinYinIncludeEng) == YesText;
    const std::string mode = ReadSetupKey(keys::ZtSelectedSongPlayMode);
    page.playMode = mode == PlayModeList ? 0 : mode == PlayModeRandom ? 2 : 1;
    ZtSelectedSongPlayMode = page.playMode == 0   ? PlayModeList
                             : page.playMode == 2 ? PlayModeRandom
                                                  : PlayModeReplay;

    page.okMode = FileExists(ZtFile(kOkMode));
    page.randPlay = FileExists(ZtFile(kRandPlay));
    page.resumePlay = FileExists(ZtFile(kResumePlay));

    page.menuTop = 3;
    if (FileExists(ZtFile(kMenuTopSet))) {
        const std::string line = FirstLine(ZtFile(kMenuTopSet));
        const int value = IsInteger(line) ? SafeStrToInt(line) : 3;
        page.menuTop = value >= 0 && value < MenuTopItemCount ? value : 3;
    }
    page.randPlayMode = 0;
    if (page.randPlay) {
        const std::string line = FirstLine(ZtFile(kRandPlay));
        const int value = line.empty() ? 1 : static_cast<unsigned char>(line[0]);
        page.randPlayMode = value >= 1 && value <= 3 ? value - 1 : 0;
    }
    return page;
}

ZtPage DefaultZtSettings() { return ZtPage{}; }

bool ApplyZtSettings(const ZtPage& page) {
    const char* mode = page.playMode == 0   ? PlayModeList
                       : page.playMode == 2 ? PlayModeRandom
                                            : PlayModeReplay;
    SetupWriter out;
    out.Put(keys::ZtPinYinIncludeJpn, page.pinYinJpn)
        .Put(keys::ZtPinYinIncludeChi, page.pinYinChi)
        .Put(keys::ZtPinYinIncludeEng, page.pinYinEng)
        .Put(keys::ZtSelectedSongPlayMode, std::string(mode));
    if (!out.Ok()) return false;
    ZtPinYinIncludeJpn = page.pinYinJpn;
    ZtPinYinIncludeChi = page.pinYinChi;
    ZtPinYinIncludeEng = page.pinYinEng;
    ZtSelectedSongPlayMode = mode;

    if (!SetMarker(kOkMode, page.okMode) || !SetMarker(kRandPlay, page.randPlay) ||
        !SetMarker(kResumePlay, page.resumePlay))
        return false;
    char top[8];
    std::snprintf(top, sizeof top, "%02d",
                  page.menuTop >= 0 && page.menuTop < MenuTopItemCount ? page.menuTop : 3);
    if (!Write(ZtFile(kMenuTopSet), std::string(top) + "\r\n")) return false;
    if (FileExists(ZtFile(kRandPlay))) {
        const char modeByte = static_cast<char>(std::clamp(page.randPlayMode, 0, 2) + 1);
        if (!Write(ZtFile(kRandPlay), std::string(1, modeByte) + "\r\n")) return false;
    }
    return true;
}

}  // namespace qv::setup
