#include "outputs/ZtIndex.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <unordered_map>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"
#include "library/DiskFiles.h"
#include "library/SongFiles.h"
#include "outputs/IndexCommon.h"
#include "outputs/IndexMedia.h"
#include "outputs/IndexStaging.h"
#include "outputs/ZtControlFiles.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

constexpr char DataFile[] = "okdata.ztx";
constexpr char RawDataFile[] = "okdata_ori.ztx";
// Spellings of the data files that older runs (on a file system that ignores case) may have left.
constexpr const char* StaleDataFiles[] = {"okData_ori.ztx", "okData.ztx", RawDataFile};

enum class KeyRange { TwoDigits, Letters, Like };
struct SpeedKind {
    const char* folder;
    KeyRange keys;
};
constexpr SpeedKind SpeedIndex{"Index", KeyRange::TwoDigits};
constexpr SpeedKind SpeedPinYin{"PinYin", KeyRange::Letters};
constexpr SpeedKind SpeedZhuYin{"ZhuYin", KeyRange::TwoDigits};
constexpr SpeedKind SpeedSiSlist{"SiSlist", KeyRange::TwoDigits};
constexpr SpeedKind SpeedLanguage{"Language", KeyRange::TwoDigits};
constexpr SpeedKind SpeedSinger{"Singer", KeyRange::TwoDigits};
constexpr SpeedKind SpeedLike{"Like", KeyRange::Like};
constexpr const SpeedKind* SpeedKinds[] = {&SpeedIndex,    &SpeedPinYin, &SpeedZhuYin, &SpeedSiSlist,
                                           &SpeedLanguage, &SpeedSinger, &SpeedLike};

// Every key a kind's files may have had: the clean-up removes exactly these.
std::vector<std::string> KeysOf(KeyRange range) {
    std::vector<std::string> keys;
    if (range == KeyRange::TwoDigits)
        for (int k = 0; k < 100; ++k) keys.push_back(ZeroPadInt(k, 2));
    else if (range == KeyRange::Letters)
        for (char c = 'A'; c <= 'Z'; ++c) keys.emplace_back(1, c);
    else
        for (char c = '0'; c <= '6'; ++c) keys.emplace_back(1, c);
    return keys;
}

bool IsKey(const std::string& key, KeyRange range) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    switch (range) {
        case KeyRange::TwoDigits:
            return key.size() == 2 && digit(key[0]) && digit(key[1]);
        case KeyRange::Letters:
            return key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z';
        default:
            return key.size() == 1 && key[0] >= '1' && key[0] <= '6';
    }
}

std::string SpeedFolderName(const SpeedKind& kind) { return std::string("SPEED/") + kind.folder; }

// The SPEED folders exist before anything else is touched; false after the message.
bool MakeSpeedFolders(const std::string& indexFolder) {
    std::vector<std::string> folders{"SPEED"};
    for (const SpeedKind* kind : SpeedKinds) folders.push_back(SpeedFolderName(*kind));
    for (const std::string& name : folders) {
        const std::string path = PathIn(indexFolder, name);
        std::error_code ec;
        if (fs::is_directory(path, ec)) continue;
        fs::create_directory(path, ec);
        if (!fs::is_directory(path, ec)) {
            UI().HideWaitMessage();
            UI().ShowErrorBox(B5("無法產生") + Utf8ToBig5(path) + B5("目錄"));
            return false;
        }
    }
    return true;
}

// Records of one file and of its per-key copies.
class RecordSet {
public:
    explicit RecordSet(const SpeedKind* kind = nullptr) : kind_(kind) {}
    void Add(std::string_view record, const std::string& key = {}) {
        main_ += record;
        AddToKey(record, key);
    }
    void AddToKey(std::string_view record, const std::string& key) {
        if (kind_ && IsKey(key, kind_->keys)) perKey_[key] += record;
    }
    std::string& Main() { return main_; }
    // Hands its files over to be written, the main one under fileName (none when empty), then the per-key
    // copies; the records go with them.
    void MoveTo(std::vector<std::pair<std::string, std::string>>& files, const std::string& fileName) {
        if (!fileName.empty()) files.emplace_back(fileName, std::move(main_));
        if (!kind_) return;
        for (auto& [key, bytes] : perKey_)
            files.emplace_back(SpeedFolderName(*kind_) + "/" + key + ".ztx", std::move(bytes));
    }

private:
    const SpeedKind* kind_;
    std::string main_;
    std::map<std::string, std::string> perKey_;
};

struct LikeLine {
    char code;
    int songNo;
    int ordinal;
    std::string record;  // code + entry
};

// New songs (code 1) newest first, every other collection in song-data order. The whole ordinal is
// compared: a four-digit one would mix up the songs of libraries of 10,000 songs and more.
void SortLikeLines(std::vector<LikeLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const LikeLine& a, const LikeLine& b) {
        if (a.code != b.code) return a.code < b.code;
        if (a.code == '1' && a.songNo != b.songNo) return a.songNo > b.songNo;
        return a.ordinal < b.ordinal;
    });
}

// The wait window goes and the view is refreshed however the run ends; neither asks the user anything, so an
// abandoned run unwinds through them.
struct HideWaitAtEnd {
    ~HideWaitAtEnd() { UI().HideWaitMessage(); }
};
struct RefreshAtEnd {
    ~RefreshAtEnd() {
        if (TheSongFileHooks().refreshGrid) TheSongFileHooks().refreshGrid();
    }
};

class ZtIndexRun {
public:
    ZtIndexRun(const std::string& indexFolder, const IndexRows& rows)
        : indexFolder_(indexFolder), rows_(rows), staging_(indexFolder) {}

    void Collect();
    void WriteSet();
    void Commit();
    // The old set's removal, which goes on after the commit, is over.
    void Finish() { staging_.Finish(); }

private:
    void AddRow(size_t position, int row);
    void BeginSingerGroup(size_t position, int row, const std::string& cutSinger);

    std::string indexFolder_;
    const IndexRows& rows_;
    IndexStaging staging_;
    SongPathField pathField_;
    MediaItems media_;
    std::vector<SongKeys> songKeys_;  // by position in the run's order

    std::string data_;  // the song data file, unscrambled
    RecordSet sislist_{&SpeedSiSlist}, index_{&SpeedIndex}, sipinyin_, sizhuyin_;
    std::vector<std::string> singerLines_, sopinyinLines_, pinyinLines_, sozhuyinLines_, zhuyinLines_,
        languageLines_;
    std::vector<LikeLine> likeLines_;

    bool anyWritten_ = false;
    std::string previousCutSinger_;
    uint64_t singerNumber_ = 0;
    std::string singerNumberText_;
};

// One entry of the song data file: the line's text and CR LF, its reference returned.
std::string AppendDataLine(std::string& data, const std::string& line) {
    const std::string entry = MakeIndexEntry(data.size(), line.size());
    data += line;
    data += "\r\n";
    return entry;
}

void ZtIndexRun::BeginSingerGroup(size_t position, int row, const std::string& cutSinger) {
    // The group counts the rows that follow it in the sorted list, written or not.
    const std::vector<int>& order = rows_.Order();
    size_t count = 1;
    while (position + count < order.size() &&
           TrimAndCutName(rows_[order[position + count]][colSinger], 14) == cutSinger)
        ++count;
    singerNumberText_ = FixedDigits(++singerNumber_, 4, B5("歌手編號"));
    const std::string entry = AppendDataLine(
        data_, singerNumberText_ + ";" + cutSinger + ";" + FixedDigits(count, 4, B5("歌手歌曲數")) + ";");

    const std::string strokes = StrokesField(std::to_string(Big5StrokeCountOfFirstChar(cutSinger)));
    if (const std::string key = SingerPinyinKey(cutSinger); !key.empty()) {
        sipinyin_.Add(key + entry);
        pinyinLines_.push_back(strokes + key + entry);
    }
    if (const std::string key = SingerKeypadKey(cutSinger); !key.empty()) {
        sizhuyin_.Add(key + entry);
        zhuyinLines_.push_back(strokes + key + entry);
    }
    const SongRow& song = rows_[row];
    const char singerClass = IndexSingerClass(song[colSingerClass]);
    singerLines_.push_back(std::string{singerClass, ZtStrokeGroup(song[colSinger])} + entry);
    if (IsMarked(song[colSingerPriority])) singerLines_.push_back(std::string{singerClass, '6'} + entry);
}

void ZtIndexRun::AddRow(size_t position, int row) {
    const SongRow& song = rows_[row];
    const std::string& songNo = song[colSongNo];
    const MediaItem& media = media_.Of(songNo);
    if (media.name.empty()) {
        UI().ShowErrorBox(MissingMediaText(songNo));
        return;
    }
    if (media.isFolder) return;
    const std::string& item = media.name;

    const bool temporary = IsTemporaryRow(row);
    const std::string shownSinger = TrimAndCutName(song[temporary ? colDuetFullSinger : colSinger], 14);
    const std::string songLine = pathField_.Of(songNo, item) + ";" + TrimAndCutName(song[colSongName], 20) +
                                 ";" + shownSinger + ";" + songNo + ";" +
                                 ChannelVolumeCode(song[colChannel], song[colVolume]) + ";";
    const std::string entry = AppendDataLine(data_, songLine);

    const std::string cutSinger = TrimAndCutName(song[colSinger], 14);
    if (!anyWritten_ || cutSinger != previousCutSinger_) BeginSingerGroup(position, row, cutSinger);
    anyWritten_ = true;
    previousCutSinger_ = cutSinger;

    sislist_.Add(singerNumberText_ + entry, singerNumberText_.substr(0, 2));
    if (temporary) return;

    const std::string strokes = StrokesField(song[colStrokes]);
    const SongKeys& keys = songKeys_[position];
    if (!keys.pinyin.empty()) {
        sopinyinLines_.push_back(strokes + keys.pinyin + entry);
        pinyinLines_.push_back(strokes + keys.pinyin + entry);
    }
    if (!keys.zhuyin.empty()) {
        sozhuyinLines_.push_back(strokes + keys.zhuyin + entry);
        zhuyinLines_.push_back(strokes + keys.keypad + entry);  // the keypad form changes the key alone
    }
    index_.Add(PadField(songNo, 5, true) + entry, songNo.substr(0, 2));
    languageLines_.push_back(
        std::string{ZtLanguageCode(song[colLanguage]), ZtWordCountGroup(song[colWordCount])} + entry +
        static_cast<char>(SafeStrToInt(song[colWordCount])) +
        static_cast<char>(SafeStrToInt(song[colStrokes])) + song[colSongName]);
    for (char code : ZtCollectionCodes(song))
        likeLines_.push_back({code, SafeStrToInt(songNo), static_cast<int>(position) + 1, code + entry});
}

void ZtIndexRun::Collect() {
    const std::vector<int>& order = rows_.Order();
    const size_t n = order.size();
    songKeys_ = SongKeysInOrder(rows_);
    std::vector<std::string_view> songNos(n);
    for (size_t i = 0; i < n; ++i) songNos[i] = rows_[order[i]][colSongNo];
    media_.ReadFoldersOf(songNos);
    int shownPercent = -1;
    for (size_t i = 0; i < n; ++i) {
        const int percent = static_cast<int>(i * 100 / n);
        if (percent != shownPercent) {
            UI().SetProgress(percent, 100);
            UI().ProcessEvents();
            IndexStep();
            shownPercent = percent;
        }
        AddRow(i, order[i]);
    }
}

// The lines (sorted) written from their first character (1-based) on, cut to a record width.
void WriteSorted(const std::vector<std::string>& lines, size_t from, size_t width, RecordSet& set,
                 const std::function<std::string(std::string_view)>& keyOf = {}) {
    for (const std::string& line : lines) {
        const std::string_view record = std::string_view(line).substr(from - 1, width);
        set.Add(record, keyOf ? keyOf(record) : std::string());
    }
}

void ZtIndexRun::WriteSet() {
    staging_.Write(RawDataFile, data_);
    // The sorts of the lists are independent of each other: all at once.
    IndexStep();
    const std::array<std::function<void()>, 7> sorts = {
        [this] { SortLines(singerLines_, CompareLineByLeadNumber); },
        [this] { SortLines(languageLines_, CompareLineByHeadAndTail); },
        [this] { SortLikeLines(likeLines_); },
        [this] { SortLines(sopinyinLines_, CompareLineByCodeAndPrefix); },
        [this] { SortLines(pinyinLines_, CompareLineByCodeAndPrefix); },
        [this] { SortLines(sozhuyinLines_, CompareLineByCodeAndPrefix); },
        [this] { SortLines(zhuyinLines_, CompareLineByCodeAndPrefix); },
    };
    AllAtOnce(sorts.size(), [&](size_t i) {
        sorts[i]();
        return true;
    });
    IndexStep();

    std::vector<std::pair<std::string, std::string>> files;
    index_.MoveTo(files, "index.ztx");

    auto firstTwo = [](std::string_view record) { return std::string(record.substr(0, 2)); };
    RecordSet singer(&SpeedSinger);
    WriteSorted(singerLines_, 1, 14, singer, firstTwo);
    singer.MoveTo(files, "singer.ztx");
    sislist_.MoveTo(files, "sislist.ztx");

    RecordSet language(&SpeedLanguage);
    WriteSorted(languageLines_, 1, 14, language, firstTwo);
    language.MoveTo(files, "language.ztx");

    RecordSet like(&SpeedLike);
    for (const LikeLine& line : likeLines_) like.Add(line.record, std::string(1, line.code));
    like.MoveTo(files, "like.ztx");

    RecordSet sopinyin(&SpeedPinYin);
    WriteSorted(sopinyinLines_, 3, 22, sopinyin,
                [](std::string_view record) { return std::string(record.substr(0, 1)); });
    sopinyin.MoveTo(files, "sopinyin.ztx");

    RecordSet pinyin;
    WriteSorted(pinyinLines_, 3, 22, pinyin);
    pinyin.MoveTo(files, "pinyin.ztx");

    RecordSet sozhuyin, zhuyinSpeed(&SpeedZhuYin);
    WriteSorted(sozhuyinLines_, 3, 22, sozhuyin);
    for (const std::string& line : sozhuyinLines_) {
        const std::string keypad = KeypadRecord(line.substr(2, 22));
        zhuyinSpeed.AddToKey(keypad, keypad.substr(0, 2));
    }
    sozhuyin.MoveTo(files, "sozhuyin.ztx");
    zhuyinSpeed.MoveTo(files, "");

    RecordSet zhuyin;
    WriteSorted(zhuyinLines_, 3, 22, zhuyin);
    zhuyin.MoveTo(files, "zhuyin.ztx");

    sipinyin_.MoveTo(files, "sipinyin.ztx");
    sizhuyin_.MoveTo(files, "sizhuyin.ztx");
    IndexStep();
    staging_.WriteMany(files);

    if (!ScrambleFile(staging_.Path(RawDataFile), staging_.Path(DataFile)))
        throw IndexRunError(B5("無法加密檔案: ") + Utf8ToBig5(PathIn(indexFolder_, DataFile)));
    staging_.Adopt(DataFile);
    IndexPause();
    staging_.Forget(RawDataFile);
}

// The menu and the play list belong to the set; old per-key files and stale spellings go with the old set.
void ZtIndexRun::Commit() {
    if (LibraryDataDirOk) staging_.Write("menu.ztx", ZtMenuBytes());
    if (const std::string playList = ZtPlayListText(); !playList.empty())
        staging_.Write(PlayListFileName, playList);
    else
        staging_.Drop(PlayListFileName);
    for (const SpeedKind* kind : SpeedKinds)
        for (const std::string& key : KeysOf(kind->keys))
            staging_.Drop(SpeedFolderName(*kind) + "/" + key + ".ztx");
    for (const char* stale : StaleDataFiles) staging_.Drop(stale);
    staging_.Commit();
}

}  // namespace

bool WriteZtIndex() {
    const std::string indexFolder = PathIn(LibraryRoot, "000");
    RefreshAtEnd refresh;
    UI().ShowWaitMessage(B5("ZT索引檔產生中, 請稍候 ..."));
    if (!MakeSpeedFolders(indexFolder)) return false;
    HideWaitAtEnd hideWait;
    // Kept while the closing box is up: the old set's removal goes on meanwhile.
    std::unique_ptr<ZtIndexRun> run;
    try {
        IndexRows rows;
        run = std::make_unique<ZtIndexRun>(indexFolder, rows);
        IndexPause();
        run->Collect();
        run->WriteSet();
        run->Commit();
    } catch (const std::exception& error) {
        run.reset();
        UI().HideWaitMessage();
        UI().ShowErrorBox(error.what());
        UI().SetProgress(0, 100);
        return false;
    }
    UI().HideWaitMessage();
    UI().SetProgress(100, 100);
    UI().ShowInfoMessage(B5("ZT索引檔產生完成"));
    run->Finish();
    UI().SetProgress(0, 100);
    return true;
}

void ZT2Click() { WriteZtIndex(); }

}  // namespace qv
