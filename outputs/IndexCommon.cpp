#include "outputs/IndexCommon.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/UserInterface.h"
#include "library/FileNameParser.h"
#include "platform/MountInfo.h"
#include "settings/Settings.h"

namespace qv {

bool IndexPausesEnabled = true;

bool AllAtOnce(size_t count, const std::function<bool(size_t)>& work) {
    constexpr size_t Threads = 16;
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&] {
        for (size_t i; (i = next++) < count;)
            if (!work(i)) failed = true;
    };
    std::vector<std::jthread> helpers;
    try {
        for (size_t n = 1; n < std::min(count, Threads); ++n) helpers.emplace_back(worker);
    } catch (const std::system_error&) {
        // Fewer helpers: the rest is done here.
    }
    worker();
    helpers.clear();  // joins
    return !failed;
}
std::string IndexDriveOverride;

namespace {

namespace fs = std::filesystem;

constexpr int KeyWidth = 10;

// An empty key (ten blanks) counts as absent.
std::string KeyOrNone(const std::string& text) {
    std::string key = PadField(text, KeyWidth, false);
    return key == std::string(KeyWidth, ' ') ? std::string() : key;
}

}  // namespace

void IndexPause() {
    // In slices: an end request neither waits for the pause nor lets the run go on past it.
    for (int slice = 0; IndexPausesEnabled && slice < 50 && !EndRequested(); ++slice)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    IndexStep();
}

void IndexStep() {
    if (EndRequested() && std::uncaught_exceptions() == 0) throw RunAbandoned{};
}

namespace {

// The value's zero-filled decimal in out[0, width); false when it has more digits.
bool PutDigits(uint64_t value, size_t width, char* out) {
    for (size_t i = width; i-- > 0; value /= 10) out[i] = static_cast<char>('0' + value % 10);
    return value == 0;
}

}  // namespace

std::string FixedDigits(uint64_t value, int width, const std::string& fieldName) {
    std::string text(static_cast<size_t>(width), '0');
    if (!PutDigits(value, text.size(), text.data()))
        throw IndexRunError(B5("索引檔欄位超出範圍: ") + fieldName + " = " + std::to_string(value));
    return text;
}

std::string FixedDigits(uint64_t value, int width, const char* utf8FieldName) {
    std::string text(static_cast<size_t>(width), '0');
    if (PutDigits(value, text.size(), text.data())) return text;
    return FixedDigits(value, width, B5(utf8FieldName));
}

std::string MakeIndexEntry(uint64_t offset, uint64_t length) {
    std::string entry(IndexEntrySize, '0');
    if (PutDigits(offset, 8, entry.data()) && PutDigits(length, 4, entry.data() + 8)) return entry;
    return FixedDigits(offset, 8, "資料位置") + FixedDigits(length, 4, "資料長度");
}

SongPathField::SongPathField() {
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(fs::absolute(LibraryRoot, ec), ec);
    const std::string drive =
        IndexDriveOverride.empty() ? MountOf(root.string()).mountPoint : IndexDriveOverride;
    std::string below =
        root.lexically_relative(fs::weakly_canonical(fs::absolute(drive, ec), ec)).generic_string();
    if (below == "." || below.rfind("..", 0) == 0) below.clear();
    prefix_ = "C/" + (below.empty() ? std::string() : Utf8ToBig5(below) + "/");
}

std::string SongPathField::Of(const std::string& songNo, const std::string& mediaName) const {
    const bool ascii =
        std::all_of(mediaName.begin(), mediaName.end(), [](char c) { return (c & 0x80) == 0; });
    return prefix_ + songNo.substr(0, 3) + "/" + (ascii ? mediaName : Utf8ToBig5(mediaName));
}

bool IsMarked(const std::string& cell) { return !cell.empty() && cell != " "; }

char IndexSingerClass(const std::string& singerClass) {
    if (singerClass == "5") return '6';
    if (singerClass == "6") return '5';
    return singerClass.empty() ? ' ' : singerClass[0];
}

std::string StrokesField(const std::string& strokes) { return PadField(strokes, 2, false); }

char VolumeGroupChar(const std::string& volume) {
    static constexpr char groups[] = "111223344556677";
    if (!IsMarked(volume)) return '0';
    const int v = volume.size() == 1 && volume[0] >= 'A' && volume[0] <= 'F' ? 10 + (volume[0] - 'A')
                                                                             : SafeStrToInt(volume);
    return v >= 1 && v <= 15 ? groups[v - 1] : '0';
}

std::string ChannelVolumeCode(const std::string& channel, const std::string& volume) {
    return std::string(1, IsMarked(channel) ? channel[0] : '0') + VolumeGroupChar(volume);
}

char ZtStrokeGroup(const std::string& singer) {
    const int strokes = Big5StrokeCountOfFirstChar(singer);
    return strokes < 3 ? '1' : strokes < 8 ? '2' : strokes < 11 ? '3' : strokes < 14 ? '4' : '5';
}

char ZtLanguageCode(const std::string& language) {
    const int code = SafeStrToInt(language);
    if (code == 6) return '5';
    if (code == 5 || code >= 7) return '6';
    return language.empty() ? ' ' : language[0];
}

char ZtWordCountGroup(const std::string& wordCount) {
    const int words = SafeStrToInt(wordCount);
    return words < 3 ? '1' : words <= 6 ? static_cast<char>('0' + words - 1) : '6';
}

std::string ZtCollectionCodes(const SongRow& row) {
    std::string codes;
    if (row[colNewMark] == "*" || row[colNewMark] == "@") codes += '1';
    if (row[colPopular] == "*") codes += '2';
    if (row[colFavourite] == "*") codes += '3';
    if (row[colNostalgic] == "*") codes += '4';
    if (row[colClassic] == "*") codes += '5';
    return codes + '6';
}

bool IsClassExported(const std::string& language) {
    if (language == "1" || language == "2" || language == "3" || language == "7" || language == "9")
        return setup::ZtPinYinIncludeChi;
    if (language == "4") return setup::ZtPinYinIncludeEng;
    if (language == "6") return setup::ZtPinYinIncludeJpn;
    return false;
}

std::string SongPinyinKey(const SongRow& row) {
    if (!IsClassExported(row[colLanguage])) return {};
    if (setup::PingYing == 1 || setup::PingYing == 2) return KeyOrNone(row[colPinyin]);
    const std::string& name = row[colSongName];
    return KeyOrNone(row[colLanguage] == "6" ? MakeJapanesePinyin(name, 2) : MakePinyin(name, 2));
}

std::string SongZhuyinKey(const SongRow& row) {
    if (row[colLanguage] == "6") return {};
    const std::string code =
        setup::PingYing == 1 || setup::PingYing == 2 ? MakePinyin(row[colSongName], 0) : row[colPinyin];
    return KeyOrNone(ZhuyinKeysToBopomofoAlways(code));
}

std::string SingerPinyinKey(const std::string& cutSinger) { return KeyOrNone(MakePinyin(cutSinger, 2)); }

std::string SingerKeypadKey(const std::string& cutSinger) {
    return KeyOrNone(BopomofoToKeypadCodes(ZhuyinKeysToBopomofoAlways(MakePinyin(cutSinger, 0))));
}

std::string KeypadRecord(const std::string& bopomofoRecord) { return BopomofoToKeypadCodes(bopomofoRecord); }

namespace {

constexpr int RowsPerStep = 512;

}  // namespace

std::vector<SongKeys> SongKeysInOrder(const IndexRows& rows) {
    const std::vector<int>& order = rows.Order();
    std::vector<SongKeys> keys(order.size());
    PrepareReadingCodes();
    ForEachSlice(order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            if ((i - first) % RowsPerStep == 0) IndexStep();
            if (IsTemporaryRow(order[i])) continue;
            const SongRow& row = rows[order[i]];
            SongKeys& k = keys[i];
            k.pinyin = SongPinyinKey(row);
            k.zhuyin = SongZhuyinKey(row);
            if (!k.zhuyin.empty()) k.keypad = KeypadRecord(k.zhuyin);
        }
    });
    return keys;
}

namespace {

struct DuetPart {
    int row;  // the duet's table row
    std::string singer, other;
    int singerClass;
};

// The first row's priority of each singer, letter case ignored, in row order: the table's rows, then the
// temporary rows in the order they are made. Only the parts' singers are looked for.
std::vector<std::string> PartPriorities(const std::vector<DuetPart>& parts) {
    std::unordered_map<std::string, const std::string*> first;
    for (const DuetPart& part : parts) first.emplace(LowerCaseBig5(part.singer), nullptr);
    for (int r = 0; r < AllSongCount; ++r) {
        if (r % (8 * RowsPerStep) == 0) IndexStep();
        const auto it = first.find(LowerCaseBig5(AllSong[static_cast<size_t>(r)][colSinger]));
        if (it != first.end() && !it->second)
            it->second = &AllSong[static_cast<size_t>(r)][colSingerPriority];
    }
    std::vector<std::string> priorities;
    priorities.reserve(parts.size());
    for (const DuetPart& part : parts) {
        const std::string*& known = first.at(LowerCaseBig5(part.singer));
        if (!known) known = &AllSong[static_cast<size_t>(part.row)][colSingerPriority];
        priorities.push_back(*known);
    }
    return priorities;
}

}  // namespace

IndexRows::IndexRows() {
    std::vector<int> duets;
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[static_cast<size_t>(r)][colSingerClass] == "6") duets.push_back(r);
    // Each name the duets are split into is looked up once, among the singers that may start in it, the
    // names several at once.
    std::unordered_map<std::string, SingerMatch> found;
    for (size_t d = 0; d < duets.size(); ++d) {
        if (d % RowsPerStep == 0) IndexStep();
        SplitDuetSingers(AllSong[static_cast<size_t>(duets[d])][colSinger], [&](const std::string& name) {
            found.try_emplace(name);
            return SingerMatch{};
        });
    }
    std::vector<std::pair<const std::string, SingerMatch>*> names;
    names.reserve(found.size());
    for (auto& name : found) names.push_back(&name);
    const SingerFinder finder;
    AllAtOnce(names.size(), [&](size_t i) {
        names[i]->second = finder.Find(names[i]->first);
        return true;
    });
    IndexStep();
    std::vector<DuetPart> parts;
    for (size_t d = 0; d < duets.size(); ++d) {
        if (d % RowsPerStep == 0) IndexStep();
        const int r = duets[d];
        const DuetSingers duet = SplitDuetSingers(AllSong[static_cast<size_t>(r)][colSinger],
                                                  [&](const std::string& name) { return found.at(name); });
        if (!duet.first.empty()) parts.push_back({r, duet.first, duet.second, duet.firstClass});
        if (!duet.second.empty()) parts.push_back({r, duet.second, duet.first, duet.secondClass});
    }
    const std::vector<std::string> priorities = PartPriorities(parts);
    temporary_.reserve(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i % RowsPerStep == 0) IndexStep();
        const DuetPart& part = parts[i];
        SongRow& row = temporary_.emplace_back(AllSong[static_cast<size_t>(part.row)]);
        row[colSinger] = part.singer;
        row[colDuetFullSinger] = part.other.empty() ? part.singer : part.singer + " " + part.other;
        row[colSingerClass] = std::to_string(part.singerClass);
        row[colSingerPriority] = priorities[i];
    }
    order_.resize(static_cast<size_t>(AllSongCount) + temporary_.size());
    for (size_t r = 0; r < order_.size(); ++r) order_[r] = static_cast<int>(r);
    SortByZtSingerOrder(
        order_, [this](int row) -> const SongRow& { return (*this)[row]; }, IndexStep);
}

IndexRows::~IndexRows() {
    ShownRows.resize(static_cast<size_t>(AllSongCount));
    for (int r = 0; r < AllSongCount; ++r) ShownRows[static_cast<size_t>(r)] = r;
}

bool IsTemporaryRow(int row) { return row >= AllSongCount; }

std::string CannotWriteText(const std::string& path) { return B5("無法寫入檔案: ") + Utf8ToBig5(path); }

std::string CannotRestoreText(const std::string& folder, const std::string& target) {
    return B5("無法復原") + Utf8ToBig5(folder) + B5("目錄到") + Utf8ToBig5(target) + B5("目錄, 請手動復原!");
}

}  // namespace qv
