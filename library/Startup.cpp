#include "library/Startup.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "library/DiskFiles.h"
#include "library/DiskTools.h"
#include "library/InPlaceEdit.h"
#include "library/Qvi05Template.h"
#include "library/ServerMessage.h"
#include "platform/FolderLock.h"
#include "platform/MountInfo.h"
#include "catalogue/UserInterface.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"

namespace qv {

bool ProgramUsable = true;
bool GhostingDisabled = false;
bool ExcelAvailable = false;
int ScreenDpi = 96;

namespace {

namespace fs = std::filesystem;

// A new file left beside its old self (a downloaded updater, a new background picture) replaces it.
// The retried move is skipped when it cannot work (the old file stays, the folder is read-only): ten
// seconds of retries would only delay the start.
void TakeOver(const std::string& fresh, const std::string& old) {
    std::error_code ec;
    if (!fs::exists(fresh, ec)) return;
    fs::remove(old, ec);
    const std::string folder = fs::path(old).parent_path().string();
    if (fs::exists(old, ec) || ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return;
    MoveFileRetry(fresh, old);
}

void CreateFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
}

std::string CurrentDirectory() {
    std::error_code ec;
    std::string dir = fs::current_path(ec).string();
    if (ec || dir.empty()) return ".";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

// Two copies on one program folder would each write their own stale view of the song list over the other's.
FolderLock programFolderLock;

template <typename... Args>
void RunStep(const std::function<void(Args...)>& step, Args... args) {
    if (step) step(args...);
}

// ZT, VKM, QVi05 by the bits of the mask, in that order.
void WriteIndexFiles(int idxFileOutputFormat) {
    const OutputSteps& steps = StartupOutputSteps();
    if (idxFileOutputFormat & 1) RunStep(steps.writeZtIndex);
    if (idxFileOutputFormat & 2) RunStep(steps.writeVkmIndex);
    if (idxFileOutputFormat >= 4) RunStep(steps.writeQvi05Database);
}

// Start-up never leaves its flags or its wait window behind, however it ends. The window is hidden once
// only: each hiding pauses.
struct StartupFlagsGuard {
    bool waitUp = false;
    void HideWait() {
        if (waitUp) UI().HideWaitMessage();
        waitUp = false;
    }
    ~StartupFlagsGuard() {
        DropSongListPreload();  // start-up ended before the load
        StartingUp = false;
        LoadingSongs = false;
        HideWait();
    }
};

// A start-up that fails keeps no half-loaded table.
void ForgetLoadedSongs() {
    LoadingSongs = false;
    AllSong.clear();
    AllSongCount = 0;
    ShownRows.clear();
}

// The song list's migration, check and load. A list that cannot be read, checked or held (no regular file,
// larger than a list can be, torn by another writer) gets the open message, and the program ends as for an
// unreadable file; one that throws (more than memory allows) ends the same way in RunStartup.
bool LoadSongListAtStart() {
    const std::string path = SongListPath();
    MigrateOlderSongLists();
    if (!LoadSongList2()) return false;
    ScrambleSongList2();
    LoadingSongs = true;
    BuildSingerDisplayList();
    const bool loaded = LoadAllSong(path);
    LoadingSongs = false;
    if (loaded) {
        FilterSongList(false, "", false, 0, false, false, 0);
        return true;
    }
    // No list is an empty library; a list that is there and cannot be loaded is not.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return true;
    ShowOpenError(path);
    return false;
}

}  // namespace

OutputSteps& StartupOutputSteps() {
    static OutputSteps steps;
    return steps;
}

bool LockProgramFolder() {
    if (programFolderLock.Held() && programFolderLock.Folder() == AppDir) return true;
    return programFolderLock.Acquire(AppDir) != FolderLock::Result::Busy;
}

void PrepareProgramFolders() {
    CreateFolder(PathIn(AppDir, "000"));
    // Whole-file writes that a killed run left unfinished, in the folders whose files the program rewrites.
    for (const char* folder : {"", "000", "system", "system/720X480", "system/1024X768", "system/1280X720"})
        RemoveLeftoverTemporaries(*folder ? PathIn(AppDir, folder) : AppDir);
    TakeOver(PathIn(AppDir, "000.jpg"), PathIn(AppDir, "000/000.jpg"));
    TakeOver(PathIn(AppDir, "updater.qqq"), PathIn(AppDir, "updater.exe"));
    CreateFolder(PathIn(AppDir, "singer"));
    for (int n = 1; n <= 8; ++n) {
        CreateFolder(PathIn(AppDir, "new/" + std::to_string(n)));
        CreateFolder(PathIn(AppDir, "movie/" + std::to_string(n)));
    }
}

bool EnsureLibraryDataDir() {
    const std::string dir = PathIn(LibraryRoot, "000");
    std::error_code ec;
    LibraryDataDirOk = fs::is_directory(dir, ec) || (fs::create_directories(dir, ec) && !ec);
    if (!LibraryDataDirOk) UI().ShowErrorBox(B5("無法產生目錄[") + Utf8ToBig5(dir) + "]");
    return LibraryDataDirOk;
}

int64_t FileAge(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    // The packed date form holds 1980 to 2107 only; times outside are pinned to its ends.
    std::tm local{};
    const time_t seconds = st.st_mtim.tv_sec;
    if (!::localtime_r(&seconds, &local) || local.tm_year < 80) return (1 << 21) | (1 << 16);
    if (local.tm_year > 207) {
        local.tm_year = 207;
        local.tm_mon = 11;
        local.tm_mday = 31;
        local.tm_hour = 23;
        local.tm_min = 59;
        local.tm_sec = 58;
    }
    const uint32_t date =
        static_cast<uint32_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const uint32_t time =
        static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (std::min(local.tm_sec, 59) / 2));
    // Unsigned, so that files of 2044 and later still order after older ones.
    return static_cast<int64_t>((date << 16) | time);
}

bool IndexFilesOutdated() {
    const int64_t song = FileAge(SongListPath());
    return FileAge(PathIn(LibraryRoot, "000/okdata.vkm")) < song &&
           FileAge(PathIn(LibraryRoot, "000/okdata.ztx")) < song;
}

std::pair<std::string, std::string> NameFormatLabelTexts() {
    const char* fileForm = "檔名判斷格式: 檔案形式";
    const char* folderFiles = "檔名判斷格式: 資料夾形式(選檔案)";
    const char* folderFolders = "檔名判斷格式: 資料夾形式(選資料夾)";
    // A custom part of value -1 or 0 (or out of its range) contributes nothing.
    struct Part {
        int value;
        const char* const* names;
        int count;
    };
    auto join = [](std::initializer_list<Part> parts, const char* separator) {
        std::string out;
        for (const Part& part : parts) {
            if (part.value < 1 || part.value > part.count) continue;
            if (!out.empty()) out += separator;
            out += B5(part.names[part.value - 1]);
        }
        return out;
    };
    static const char* const folderParts[] = {"語言", "歌手種類", "歌手名稱"};
    static const char* const fileEnds[] = {"歌手_歌名.xxx", "歌手-歌名.xxx", "歌名_歌手.xxx",
                                           "歌名-歌手.xxx"};
    static const char* const fileParts[] = {"語言", "性別", "歌手名稱", "歌名"};
    using namespace setup;
    switch (SongNameFormat) {
        case 1:
            return {B5(fileForm), B5("歌名_歌手名稱&&歌手名稱_性別_語言.xxx")};
        case 2:
            return {B5(folderFiles), B5("語言/性別/歌名_歌手名稱&&歌手名稱.xxx")};
        case 3:
            return {B5(folderFiles), B5("性別/語言/歌名_歌手名稱&&歌手名稱.xxx")};
        case 4:
            return {B5(folderFiles), B5("語言/性別/歌手名稱/歌名.xxx")};
        case 5:
            return {B5(folderFolders), B5("語言/性別/歌手名稱/歌名.xxx")};
        case 6:
            return {B5(folderFolders), join({{SelfDefine1, folderParts, 3},
                                             {SelfDefine2, folderParts, 3},
                                             {SelfDefine3, folderParts, 3},
                                             {SelfDefine4, fileEnds, 4}},
                                            "/")};
        case 7: {
            std::string form = join({{SelfDefine5, fileParts, 4},
                                     {SelfDefine6, fileParts, 4},
                                     {SelfDefine7, fileParts, 4},
                                     {SelfDefine8, fileParts, 4}},
                                    "_");
            return {B5(fileForm), form + ".xxx"};
        }
        case 8:
            return {B5(fileForm), B5("原始設定2")};
        default:
            return {B5(fileForm), B5("原始設定1")};
    }
}

void StartSongListPreload() { PreloadSongList(PathIn(CurrentDirectory(), "song.qv2")); }

namespace {

bool RunStartupSteps(StartupWindow& window) {
    EnsureLineCipherTables();  // a preload may be deciphering with them
    ForgetLastChoices();
    ProgramUsable = true;
    StartingUp = true;
    StartupFlagsGuard guard;

    AppDir = CurrentDirectory();
    LibraryRoot = AppDir;
    if (!LockProgramFolder()) {
        UI().ShowErrorBox(B5("歌曲管理程式已經在這個程式資料夾中執行:") + Utf8ToBig5(AppDir) + "\r\n" +
                          B5("同一個程式資料夾一次只能開啟一個歌曲管理程式, 請使用已開啟的視窗."));
        ProgramUsable = false;
        return false;
    }
    // Nothing is made or read in the folder before a killed reorganisation's entries are back in it.
    if (!RecoverKilledReorganisation(AppDir)) {
        ProgramUsable = false;
        return false;
    }
    PrepareProgramFolders();
    RunStep(StartupOutputSteps().tidyOfflineBook);
    EnsureLibraryDataDir();
    ClearStagingFolder();  // copies a killed run left unfinished
    if (LibraryDataDirOk) RunStep(StartupOutputSteps().recoverIndexFolder);
    if (LibraryDataDirOk) WriteQvi05Template(PathIn(LibraryRoot, "000/qvi05.data"));

    LoadSettings();
    BuildJapaneseTables(ShippedJapaneseTable());
    window.UpdateNameFormatLabels();
    ShownRows.clear();
    // The server check can take seconds (an unanswered echo, a server that never replies): the user sees
    // that the program is starting from here on.
    UI().ShowWaitMessage(B5("程式開啟中, 請稍候..."));
    guard.waitUp = true;
    StartServerCheck();
    window.ResetPlayButtons();
    GhostingDisabled = false;

    if (IsOnCdRom(AppDir)) {
        guard.HideWait();
        UI().ShowErrorBox(B5("不可在光碟上直接執行本程式,請依照快速安裝說明的步驟進行."));
        ProgramUsable = false;
        return false;
    }

    window.LayoutSongGrid();
    WaitForServerReply();
    if (FinishServerCheck([&window] { window.ShowServerMessage(); })) window.EndAfterStartUp();

    AllSong.clear();
    AllSongCount = 0;
    window.ResetFilterControls();

    AddingSongs = false;
    // A new program folder gets the shipped character table; the user's own singer table is never replaced.
    const std::string singerBin = PathIn(AppDir, "singer.bin");
    if (!FileExists(singerBin)) ReplaceFileContents(singerBin, ShippedSingerBin());
    LoadSingerBin();
    if (!LoadSongListAtStart()) {
        ProgramUsable = false;
        return false;
    }
    FillSingerComboBox();
    // The loader's buffers and the free ends of the loading threads' heaps go back to the system.
    malloc_trim(0);

    window.ApplyEdition();
    ExcelAvailable = false;
    RunStep(StartupOutputSteps().prepareSpreadsheetEngine);
    UI().SetLineMessage("");
    if (LibraryDataDirOk) RunStep(StartupOutputSteps().writeMenuTopSetIfMissing);
    StartingUp = false;
    guard.HideWait();
    if (LibraryDataDirOk) RunStep(StartupOutputSteps().resetPlayModeFilesOnFirstRun);
    return true;
}

}  // namespace

bool RunStartup(StartupWindow& window) {
    // Whatever start-up meets on the disk ends in a message, never in an exception out of it.
    try {
        return RunStartupSteps(window);
    } catch (const std::exception&) {
        ProgramUsable = false;
        ForgetLoadedSongs();
        ShowOpenError(SongListPath());
        return false;
    }
}

void RunShutdown(StartupWindow& window) {
    if (!ProgramUsable) return;
    if (IndexFilesOutdated() && window.AskIndexOutput()) WriteIndexFiles(setup::IdxFileOutputFormat);
    if (setup::ObrelEnabled) RunStep(StartupOutputSteps().offerCloudUpload, FileAge(SongListPath()));
}

}  // namespace qv
