#include "outputs/ZtSetupTab.h"

#include <algorithm>

#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "outputs/ZtControlFiles.h"
#include "settings/SetupPages.h"
#include "settings/Settings.h"

namespace qv::setup {
namespace {

// The dialog's own folder 000, below the program folder.
std::string ZtFolder() { return SetupFile("000"); }

bool Reported(bool written, const char* fileName) {
    if (!written) ReportUnwritableFile(PathIn(ZtFolder(), fileName));
    return written;
}

// Present means on: a checked box creates the empty marker when it is missing and leaves a present one as it
// is; a cleared one deletes it. A marker left in the wrong state is reported with its name.
bool SetMarker(const char* fileName, bool on) {
    if (on && ReadMarkerFile(ZtFolder(), fileName)) return true;
    return Reported(WriteMarkerFile(ZtFolder(), fileName, on), fileName);
}

// One line of the mode byte, 1 included (the jukebox's own writer leaves mode 1 empty).
bool WriteRandPlayLine(int mode) {
    const std::string path = PathIn(ZtFolder(), RandPlayFileName);
    return Reported(ReplaceFileContents(path, std::string(1, static_cast<char>(mode)) + "\r\n"),
                    RandPlayFileName);
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

    page.okMode = ReadMarkerFile(ZtFolder(), OkModeFileName);
    page.randPlay = ReadMarkerFile(ZtFolder(), RandPlayFileName);
    page.resumePlay = ReadMarkerFile(ZtFolder(), ResumePlayFileName);
    page.menuTop = ReadMenuTopSet(ZtFolder());
    page.randPlayMode = std::max(ReadRandPlayMode(ZtFolder()), 1) - 1;
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

    // Each file is written even after another one failed; every failure has been named.
    const bool okMode = SetMarker(OkModeFileName, page.okMode);
    const bool randPlay = page.randPlay ? WriteRandPlayLine(std::clamp(page.randPlayMode, 0, 2) + 1)
                                        : SetMarker(RandPlayFileName, false);
    const bool resumePlay = SetMarker(ResumePlayFileName, page.resumePlay);
    const std::string top = MenuTopSetText(page.menuTop < 0 ? 3 : page.menuTop) + "\r\n";
    const bool menuTop =
        Reported(ReplaceFileContents(PathIn(ZtFolder(), "MenuTopSet.ztx"), top), "MenuTopSet.ztx");
    return okMode && randPlay && resumePlay && menuTop;
}

}  // namespace qv::setup
