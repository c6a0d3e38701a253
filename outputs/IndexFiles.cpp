#include "outputs/IndexFiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "library/FileNameParser.h"
#include "library/SongFiles.h"
#include "platform/MountInfo.h"
#include "settings/Settings.h"

namespace qv {
namespace {

bool g_pausesSkipped = false;
std::string g_mountOverride;

bool IsSet(const std::string& value) { return !value.empty() && value != " "; }

const std::string kNoKey(10, ' ');

}  // namespace

void IndexPause(int milliseconds) {
    if (!g_pausesSkipped) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetIndexPausesSkipped(bool skipped) { g_pausesSkipped = skipped; }

void SetIndexMountPointOverride(const std::string& mountPoint) { g_mountOverride = mountPoint; }

WorkingRows::WorkingRows() {
    AllSong.resize(static_cast<size_t>(AllSongCount));
    ShownRows.clear();
    for (int r = 0; r < AllSongCount; ++r) ShownRows.push_back(r);
    // First row of each singer (letter case ignored), temporary rows included once appended.
    std::unordered_map<std::string, int> firstOfSinger;
    for (int r = 0; r < AllSongCount; ++r) firstOfSinger.emplace(LowerCaseBig5(AllSong[r][colSinger]), r);
    auto append = [&](int source, const std::string& singer, const std::string& other, int singerClass) {
        SongRow row = AllSong[source];
        row[colSinger] = singer;
        row[colDuetFullSinger] = other.empty() ? singer : singer + " " + other;
        row[colSingerClass] = std::to_string(singerClass);
        const auto known = firstOfSinger.find(LowerCaseBig5(singer));
        if (known != firstOfSinger.end()) row[colSingerPriority] = AllSong[known->second][colSingerPriority];
        AllSong.push_back(std::move(row));
        const int index = static_cast<int>(AllSong.size()) - 1;
        firstOfSinger.emplace(LowerCaseBig5(singer), index);
        ShownRows.push_back(index);
    };
    for (int r = 0; r < AllSongCount; ++r) {
        if (AllSong[r][colSingerClass] != "6") continue;
        const DuetSingers duet = SplitDuetSingers(AllSong[r][colSinger]);
        if (!duet.first.empty()) append(r, duet.first, duet.second, duet.firstClass);
        if (!duet.second.empty()) append(r, duet.second, duet.first, duet.secondClass);
    }
}

WorkingRows::~WorkingRows() {
    AllSong.resize(static_cast<size_t>(AllSongCount));
    ShownRows.clear();
    for (int r = 0; r < AllSongCount; ++r) ShownRows.push_back(r);
}

MediaItem MediaItems::Of(const std::string& songNo) {
    if (songNo.size() < 5) return {};
    const Folder& items = Read(songNo);
    const auto found = items.find(songNo.substr(0, 5));
    return found == items.end() ? MediaItem{} : found->second;
}

const MediaItems::Folder& MediaItems::Read(const std::string& songNo) {
    auto [it, fresh] = folders_.try_emplace(songNo.substr(0, 3));
    if (fresh) {
        // The smallest name of each number prefix, as FindFileByPrefix takes it.
        const std::string folder = SongFolderOf(songNo);
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name.size() < 5 || name == "." || name == "..") continue;
                auto [item, added] = it->second.try_emplace(name.substr(0, 5), MediaItem{name, false});
                if (!added && name < item->second.name) item->second.name = name;
            }
            ::closedir(dir);
        }
        for (auto& [prefix, item] : it->second) {
            struct stat st {};
            item.isFolder = ::stat(PathIn(folder, item.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
    }
    return it->second;
}

std::string IndexPathPrefix() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path root = fs::weakly_canonical(fs::absolute(LibraryRoot, ec), ec);
    const std::string mount = g_mountOverride.empty() ? MountOf(root.string()).mountPoint : g_mountOverride;
    std::string relative = fs::path(root).lexically_relative(mount.empty() ? "/" : mount).generic_string();
    if (relative == ".") relative.clear();
    std::string prefix = "C/" + Utf8ToBig5(relative);
    if (!relative.empty()) prefix += "/";
    return prefix;
}

std::string ZeroFilled(long long value, int width, const char* what) {
    std::string text = std::to_string(value);
    if (value < 0 || text.size() > static_cast<size_t>(width)) throw FieldOverflow{B5(what), value};
    return std::string(static_cast<size_t>(width) - text.size(), '0') + text;
}

std::string IndexEntry(long long offset, long long length) {
    return ZeroFilled(offset, 8, "位置") + ZeroFilled(length, 4, "長度");
}

char SingerClassCode(const SongRow& row) {
    const std::string& code = row[colSingerClass];
    if (code == "5") return '6';
    if (code == "6") return '5';
    return code.empty() ? ' ' : code[0];
}

bool HasSingerPriority(const SongRow& row) { return IsSet(row[colSingerPriority]); }

std::string StrokesField(const std::string& strokes) { return PadField(strokes, 2, false); }

std::optional<int> VolumeValue(const std::string& volume) {
    if (!IsSet(volume)) return 0;
    if (volume[0] >= 'A' && volume[0] <= 'F') return 10 + (volume[0] - 'A');
    if (IsInteger(volume)) return SafeStrToInt(volume);
    return std::nullopt;
}

char VolumeCodeChar(int value) {
    static constexpr char kCodes[] = "111223344556677";
    return value >= 1 && value <= 15 ? kCodes[value - 1] : '0';
}

bool IsClassExported(const std::string& language) {
    if (language == "1" || language == "2" || language == "3" || language == "7" || language == "9")
        return setup::ZtPinYinIncludeChi;
    if (language == "4") return setup::ZtPinYinIncludeEng;
    if (language == "6") return setup::ZtPinYinIncludeJpn;
    return false;
}

bool IsKeyPresent(const std::string& key) { return key != kNoKey && !key.empty(); }

std::string SongPinyinKey(const SongRow& row) {
    if (!IsClassExported(row[colLanguage])) return kNoKey;
    const int scheme = setup::PingYing;
    std::string key;
    if (scheme == 1 || scheme == 2)
        key = row[colPinyin];
    else if (row[colLanguage] == "6")
        key = MakeJapanesePinyin(row[colSongName], 2);
    else
        key = MakePinyin(row[colSongName], 2);
    return PadField(key, 10, false);
}

std::string SongZhuyinKey(const SongRow& row) {
    const int scheme = setup::PingYing;
    const std::string code = scheme == 1 || scheme == 2 ? MakePinyin(row[colSongName], 0) : row[colPinyin];
    return PadField(ZhuyinKeysToBopomofoAlways(code), 10, false);
}

std::string KeypadForm(const std::string& zhuyinKey) { return BopomofoToKeypadCodes(zhuyinKey); }

std::string SingerPinyinKey(const std::string& cutSinger) {
    return PadField(MakePinyin(cutSinger, 2), 10, false);
}

std::string SingerKeypadKey(const std::string& cutSinger) {
    return PadField(BopomofoToKeypadCodes(ZhuyinKeysToBopomofoAlways(MakePinyin(cutSinger, 0))), 10, false);
}

StagedFiles::~StagedFiles() {
    for (const auto& [temp, target] : staged_) ::unlink(temp.c_str());
}

bool StagedFiles::Stage(const std::string& path, const std::string& bytes) {
    std::string temp = WriteFileBeside(path, bytes);
    if (temp.empty()) return false;
    staged_.emplace_back(std::move(temp), path);
    return true;
}

std::string StagedFiles::Commit() {
    std::string failed;
    for (const auto& [temp, target] : staged_) {
        if (failed.empty() && std::rename(temp.c_str(), target.c_str()) != 0) failed = target;
        if (!failed.empty()) ::unlink(temp.c_str());
    }
    staged_.clear();
    return failed;
}

std::string MissingMediaText(const std::string& songNo) {
    return B5("找不到") + Utf8ToBig5(SongFolderOf(songNo)) + "/" + songNo + "*.*";
}

std::string WriteFailedText(const std::string& path) { return B5("無法寫入檔案") + Utf8ToBig5(path); }

}  // namespace qv
