#include "library/DiskTools.h"

#include <chrono>
#include <thread>
#include <utility>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/DiskToolsSupport.h"
#include "library/FileNameParser.h"
#include "library/SongFiles.h"
#include "catalogue/UserInterface.h"
#include "resources/ShippedData.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace qv {

using namespace disktools;

namespace {

class NoHost final : public DiskToolsHost {
public:
    bool ChooseFolder(const std::string&, const std::string&, std::string&) override { return false; }
    int ShowSelectDirForm(const std::string&) override { return 2; }
    int ShowProgressForm(const std::string&) override { return 2; }
    void ResetSongFilters() override {}
    void RefreshSongList() override {}
    void StopPreview() override {}
};

NoHost noHost;
DiskToolsHost* currentHost = &noHost;

constexpr char SongIniSection[] = "Golbal Setting";
constexpr char DataDriveKey[] = "data drive";

// The column writers give false when "song.qv2" could not be written: the user must not read success.
}  // namespace

DiskToolsHost& TheDiskToolsHost() { return *currentHost; }
void SetDiskToolsHost(DiskToolsHost* host) { currentHost = host ? host : &noHost; }

// ---- names ----

std::string FileNameFromBig5(const std::string& big5) {
    std::string clean;
    clean.reserve(big5.size());
    for (std::size_t i = 0; i < big5.size(); ++i) {
        const auto b = static_cast<unsigned char>(big5[i]);
        const auto t = i + 1 < big5.size() ? static_cast<unsigned char>(big5[i + 1]) : 0;
        if (IsBig5LeadByte(b) && ((t >= 0x40 && t <= 0x7E) || (t >= 0xA1 && t <= 0xFE))) {
            clean.append(big5, i, 2);  // a trail byte may be "\" and stays part of its character
            ++i;
        } else if (b < 0x20 || b == 0x7F || b == '/' || b == '\\' || IsBig5LeadByte(b)) {
            clean += '_';
        } else {
            clean += static_cast<char>(b);
        }
    }
    if (clean.empty() || clean == "." || clean == "..") clean = "_";
    return Big5ToUtf8(clean);
}

std::string FolderFormFolder(const std::string& root, const std::string& languageCode,
                             const std::string& classCode, const std::string& singer) {
    std::string path = PathIn(root, FileNameFromBig5(LanguageNameOfCode(SafeStrToInt(languageCode))));
    path = PathIn(path, FileNameFromBig5(SingerClassNameOfCode(SafeStrToInt(classCode))));
    return PathIn(path, FileNameFromBig5(singer));
}

std::string RangeExportName(int row, const std::string& extension) {
    const SongRow& song = AllSong[static_cast<std::size_t>(row)];
    return FileNameFromBig5(song[colSongName]) + "_" + FileNameFromBig5(song[colSinger]) + "_" +
           FileNameFromBig5(SingerClassNameOfCode(SafeStrToInt(song[colSingerClass]))) + "_" +
           FileNameFromBig5(LanguageNameOfCode(SafeStrToInt(song[colLanguage]))) + extension;
}

// ---- column tools ----

void ClearNewSongMarks() {
    if (!UI().AskYesNo(B5("注意:此動怍會永遠清除新歌標示. 確定要執行?"))) return;
    TheDiskToolsHost().ResetSongFilters();
    const bool written = ClearNewMarksColumn();
    TheDiskToolsHost().RefreshSongList();
    if (ReportSongListWrite(written)) UI().ShowInfoMessage(B5("清除完畢!"));
}

namespace {

// A column tool: every row changed under the wait window, the column written, the list repainted. A tool
// that touches a file per row moves the bar; abandoned there, it still writes the rows it changed, so
// the song list agrees with the files.
void RunColumnTool(const char* waitText, const std::function<void(SongRow&)>& change, bool (*writeColumn)(),
                   const char* doneText, bool withBar = false) {
    UI().ShowWaitMessage(B5(waitText));
    try {
        int shown = -1;
        for (int r = 0; r < AllSongCount; ++r) {
            change(AllSong[static_cast<std::size_t>(r)]);
            if (!withBar) continue;
            const int percent = static_cast<int>(static_cast<long long>(r + 1) * 100 / AllSongCount);
            UI().SetProgress(percent, 100);
            if (std::exchange(shown, percent) != percent) UI().ProcessEvents();
        }
    } catch (const RunAbandoned&) {
        writeColumn();
        throw;
    }
    const bool written = writeColumn();
    TheDiskToolsHost().RefreshSongList();
    UI().HideWaitMessage();
    if (ReportSongListWrite(written)) UI().ShowInfoMessage(B5(doneText));
    if (withBar) UI().SetProgress(0, 100);
}

}  // namespace

void RegenerateSongStrokes() {
    RunColumnTool(
        "歌曲筆劃產生中, 請稍候 ...",
        [](SongRow& row) { row[colStrokes] = std::to_string(Big5StrokeCountOfFirstChar(row[colSongName])); },
        WriteStrokesColumn, "歌曲筆劃產生完成!");
}

void RedetectDuetSongs() {
    RunColumnTool(
        "雙人對唱歌曲判斷中, 請稍候 ...",
        [](SongRow& row) {
            if (row[colSingerClass] == "4" || row[colLanguage] == "6" || !ContainsDbcs(row[colSinger]))
                return;
            const DuetSingers duet = SplitDuetSingers(row[colSinger]);
            if (!duet.first.empty() && !duet.second.empty()) row[colSingerClass] = "6";
        },
        WriteSingerClassColumn, "雙人對唱歌曲重新判斷完成!");
}

void ResetAllSongVolumes() {
    if (!UI().AskYesNo(B5("注意:此動怍會重設所有歌曲音量. 確定要執行?"))) return;
    // -1 and 0 mean "no volume of its own"; a value outside the dialog's range (an edited file) too.
    const int value = setup::DefaultSongVolumn;
    const std::string volume = value >= 1 && value <= 15 ? VolumeCodes[static_cast<std::size_t>(value)] : "";
    RunColumnTool(
        "歌曲音量重設中, 請稍候 ...",
        [&](SongRow& row) {
            row[colVolume] = volume;
            RenameSongFileAttr(row[colSongNo], row[colVolume], row[colChannel]);
        },
        WriteVolumeColumn, "歌曲音量重設完成!", true);
}

// ---- empty song folders ----

void CreateEmptySongFolders() {
    std::string folder;
    if (!TheDiskToolsHost().ChooseFolder(B5("請選擇目錄"), LibraryRoot, folder)) return;
    folder = WithoutTrailingSlash(folder);
    UI().ShowWaitMessage(B5("空白目錄建立中, 請稍候 ..."));
    for (int i = 0; i <= 500; ++i) {
        UI().SetProgress(i / 5, 100);
        const std::string name = ZeroPad3(i);
        if (!MakeDir(PathIn(folder, name))) {
            UI().HideWaitMessage();
            UI().ShowErrorBox(B5("無法建立") + Shown(folder) + "/" + name + B5("目錄!"));
            UI().SetProgress(0, 100);
            return;
        }
    }
    UI().HideWaitMessage();
    // The placeholder picture is laid down from the program's own copy where it is missing.
    const std::string songBin = PathIn(AppDir, "song.bin");
    if (!PathExists(songBin)) ReplaceFileContents(songBin, ShippedPlaceholderPicture());
    const std::string picture = PathIn(PathIn(folder, "000"), "000.jpg");
    if (!PathExists(songBin)) {
        UI().ShowErrorBox(B5("找不到") + Shown(AppDir) + "/song.bin");
    } else if (!PathExists(picture) && CopyFileWithProgress(songBin, picture, false) != CopyResult::Copied) {
        UI().ShowErrorBox(B5("無法建立") + Shown(picture));
    }
    UI().ShowInfoMessage(B5("目錄建立完成"));
    UI().SetProgress(0, 100);
}

// ---- library disk ----

std::string ReadDataDrive(const std::string& iniDir, const std::string& defaultValue) {
    return IniFile(PathIn(iniDir, SongIniName)).ReadString(SongIniSection, DataDriveKey, defaultValue);
}

bool WriteDataDrive(const std::string& iniDir, const std::string& value) {
    return IniFile(PathIn(iniDir, SongIniName)).WriteString(SongIniSection, DataDriveKey, value);
}

void ChooseLibraryDisk() {
    TheDiskToolsHost().ShowSelectDirForm(AppDir);
    const std::string oldRoot = LibraryRoot;
    LibraryRoot = WithoutTrailingSlash(ReadDataDrive(AppDir, oldRoot));
    // Start-up puts back only its own folder's: another disk's cut-short reorganisation is put back before
    // its folders and list are looked at.
    if (!SameFolder(LibraryRoot, oldRoot)) RecoverKilledReorganisation(LibraryRoot);
    LibraryDataDirOk = IsFolder(PathIn(LibraryRoot, "000"));
    if (!LibraryDataDirOk && !UI().AskYesNo(B5("選擇的歌庫磁碟找不到") + Shown(LibraryRoot) +
                                            B5("/000目錄, 是否確定設為歌庫磁碟?"))) {
        LibraryRoot = oldRoot;
        WriteDataDrive(AppDir, oldRoot);
        LibraryDataDirOk =
            IsFolder(PathIn(LibraryRoot, "000"));  // the old root's own state, not the refused one's
    }
    if (SameFolder(LibraryRoot, oldRoot) || !PathExists(SongListPath())) return;

    AllSong.clear();
    AllSongCount = 0;
    AddingSongs = false;
    ShownRows.clear();
    TheDiskToolsHost().RefreshSongList();
    const std::string song1 = PathIn(LibraryRoot, "song1.txt");
    const std::string songQv = PathIn(LibraryRoot, "song.qv");
    if (PathExists(song1) && !PathExists(songQv) && RenameNoReplace(song1, songQv))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ScrambleSongList2();
    // The loaded songs' singers go on top of the singer table's, as at start.
    BuildSingerDisplayList();
    LoadingSongs = true;
    const bool loaded = LoadAllSong(SongListPath());
    LoadingSongs = false;
    if (loaded)
        FilterSongList(false, "", false, 0, false, false, 0);
    else
        ShowOpenError(SongListPath());  // there, but no list that can be loaded
    FillSingerComboBox();
}

}  // namespace qv
