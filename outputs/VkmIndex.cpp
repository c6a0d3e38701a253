#include "outputs/VkmIndex.h"

#include <dirent.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <memory>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/UserInterface.h"
#include "library/DiskFiles.h"
#include "library/SongFiles.h"
#include "catalogue/TextFile.h"
#include "outputs/IndexCommon.h"
#include "outputs/IndexMedia.h"
#include "outputs/IndexStaging.h"

namespace qv {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

// The index files of the set, written after the song data file's lines are known.
constexpr std::array<const char*, 8> kIndexFiles = {"singer.vkm", "sislist.vkm", "pinyin.vkm",
                                                    "zhuyin.vkm", "index.vkm",   "language.vkm",
                                                    "like.vkm",   "userlist.vkm"};
constexpr const char* kDataFile = "okdata.vkm";
constexpr const char* kUnscrambledFile = "okdata_ori.vkm";

// The menu as the sources hold it: UTF-8.
const char* const kMenuLines[81] = {
    "-= 主要選單 =-",
    "1.歌星點播",
    "2.語言點播",
    "3.收藏歌曲",
    "4.新歌金曲",
    "5.排行收藏",
    "6.電影小品",
    "7.編號點播",
    "8.拼音點播",
    "-= 歌星點播 =-",
    "1.男歌星  ",
    "2.女歌星  ",
    "3.團體歌星",
    "4.外語歌星",
    "5.雙人對唱",
    "6.其他歌星",
    "7.樂隊組合",
    "8.特殊歌星",
    "-=歌星姓氏筆劃=-",
    "1.三劃以下",
    "2.三到五劃",
    "3.六到七劃",
    "4.八到九劃",
    "5.十到11劃",
    "6.12到13劃",
    "7.13劃以上",
    "8.最愛歌手",
    "-= 語言點播 =-",
    "1.國語歌曲",
    "2.台語歌曲",
    "3.粵語歌曲",
    "4.英文歌曲",
    "5.日韓歌曲",
    "6.其他歌曲",
    "7.客語歌曲",
    "8.兒童歌曲",
    "-= 曲名字數 =-",
    "1.一到二字",
    "2.三字歌曲",
    "3.四字歌曲",
    "4.五字歌曲",
    "5.六字歌曲",
    "6.七到八字",
    "7.九到十字",
    "8.十字以上",
    "-= 收藏歌曲 =-",
    "1.新進歌曲",
    "2.流行歌曲",
    "3.我的最愛",
    "4.懷舊歌曲",
    "5.經典歌曲",
    "6.全部歌曲",
    "7.國內照片",
    "8.國外照片",
    "-= 新歌金曲 =-",
    "1.新專輯一",
    "2.新專輯二",
    "3.新專輯三",
    "4.新專輯四",
    "5.新專輯五",
    "6.新專輯六",
    "7.新專輯七",
    "8.新專輯八",
    "-=點播排行與收藏=-",
    "1.點播排行",
    "2.金曲收藏",
    " ",
    " ",
    " ",
    " ",
    " ",
    " ",
    "-= 電影小品 =-",
    "1.精選小品",
    "2.武打動作",
    "3.警匪偵破",
    "4.喜劇動漫",
    "5.科幻情感",
    "6.戰爭槍戰",
    "7.驚險恐怖",
    "8.其他電影",
};

// A volume field the set can hold: unset, beginning with "A" to "F", or an integer.
bool IsValidVolume(const std::string& volume) {
    return !IsMarked(volume) || (volume[0] >= 'A' && volume[0] <= 'F') || IsInteger(volume);
}

// The name of a checked field of the row that the set cannot hold (Big5 message tail), or nullptr.
const char* BadField(const SongRow& row) {
    if (!IsValidVolume(row[colVolume])) return "音量欄位有問題";
    if (!IsInteger(row[colLanguage])) return "歌曲種類欄位有問題";
    if (!IsInteger(row[colWordCount])) return "歌曲字數欄位有問題";
    if (!IsInteger(row[colStrokes])) return "歌曲筆劃欄位有問題";
    return nullptr;
}

// The first bad checked field in the order of the run: the message naming the song, or empty.
std::string FirstBadField(const IndexRows& rows) {
    const std::vector<int>& order = rows.Order();
    constexpr size_t None = SIZE_MAX;
    // Each slice's first bad position; the lowest slice's one is the run's first.
    const std::vector<size_t> firsts = PartsOfSlices<size_t>(order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i)
            if (BadField(rows[order[i]])) return i;
        return None;
    });
    for (const size_t at : firsts) {
        if (at == None) continue;
        const SongRow& row = rows[order[at]];
        return B5("歌曲編號[") + row[colSongNo] + "]" + B5(BadField(row));
    }
    return {};
}

struct LikeLine {
    int code;
    int songNo;
    size_t ordinal;
    std::string entry;
};

// The records of the set, built in memory in one pass over the sorted working rows.
struct VkmSet {
    std::string data;  // UTF-8 song data after the byte-order mark
    std::string sislist, index, userlist;
    std::vector<std::string> singer, pinyin, zhuyin, language;
    std::vector<LikeLine> like;
};

// The progress bar follows the pass; repainted only when its value changes.
class Progress {
public:
    explicit Progress(size_t total) : total_(total) {}
    void At(size_t i) {
        const int value = total_ ? static_cast<int>(i * 100 / total_) : 0;
        if (value == last_) return;
        last_ = value;
        UI().SetProgress(value, 100);
        UI().ProcessEvents();
        IndexStep();
    }

private:
    size_t total_;
    int last_ = -1;
};

// The singer's keys, made once for the rows of a singer that follow each other in the run's order.
struct SingerKeys {
    std::string singer, strokes, pinyin, keypad;
    bool made = false;
    void For(const std::string& cutSinger) {
        if (made && singer == cutSinger) return;
        made = true;
        singer = cutSinger;
        strokes = StrokesField(std::to_string(Big5StrokeCountOfFirstChar(cutSinger)));
        pinyin = SingerPinyinKey(cutSinger);
        keypad = SingerKeypadKey(cutSinger);
    }
};

// a + b + c with a single allocation.
std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out += a;
    out += b;
    out += c;
    return out;
}

void AddReadingLines(VkmSet& set, const SongRow& row, const SongKeys& keys, const SingerKeys& singer,
                     const std::string& entry) {
    const std::string songStrokes = StrokesField(row[colStrokes]);
    if (!keys.pinyin.empty()) set.pinyin.push_back(Joined(songStrokes, keys.pinyin, entry));
    if (!singer.pinyin.empty()) set.pinyin.push_back(Joined(singer.strokes, singer.pinyin, entry));
    if (!keys.zhuyin.empty()) set.zhuyin.push_back(Joined(songStrokes, keys.keypad, entry));
    if (!singer.keypad.empty()) set.zhuyin.push_back(Joined(singer.strokes, singer.keypad, entry));
}

void AddTableRowLines(VkmSet& set, const SongRow& row, const SongKeys& keys, const SingerKeys& singer,
                      const std::string& entry, size_t ordinal) {
    AddReadingLines(set, row, keys, singer, entry);
    set.index += PadField(row[colSongNo], 5, true);
    set.index += entry;
    const int words = SafeStrToInt(row[colWordCount]);
    std::string line;
    line.reserve(2 + entry.size() + 2 + row[colSongName].size());
    line += VkmLanguageCode(row[colLanguage]);
    line += VkmWordCountGroup(words);
    line += entry;
    line += static_cast<char>(words);
    line += static_cast<char>(SafeStrToInt(row[colStrokes]));
    line += row[colSongName];
    set.language.push_back(std::move(line));
    const int songNo = SafeStrToInt(row[colSongNo]);
    for (char code : VkmCollectionCodes(row)) set.like.push_back({code - '0', songNo, ordinal, entry});
}

// The singers' group key: the first 14 bytes of the singer on a character boundary, trimmed.
std::string GroupSinger(const SongRow& row) { return TrimAndCutName(row[colSinger], 14); }

constexpr size_t RowsPerStep = 512;

// A position of the run's order: its song line, made apart from the others (where a line goes in the song
// data is known only once the lines before it are).
struct OrderLine {
    enum Kind : uint8_t { Unread, Written, Missing, Skipped } kind = Unread;
    std::string line;  // UTF-8, without CR LF
    std::string entry;  // the line's reference, once placed
    int singer = 0;     // the singer number's index in the run, once placed
};

void MakeOrderLine(const IndexRows& rows, int r, const MediaItem& item, const SongPathField& pathField,
                   OrderLine& out) {
    const SongRow& row = rows[r];
    const std::string& songNo = row[colSongNo];
    if (item.name.empty()) {
        out.kind = OrderLine::Missing;
        return;
    }
    const std::string extension = LowerCaseBig5(ItemExtension(item.name));
    if (!item.isFolder && extension == ".jpg") {
        out.kind = OrderLine::Skipped;
        return;
    }
    const bool mkv = !item.isFolder && extension == ".mkv";
    // Texts are cut as Big5 and converted afterwards; the path (a file name, UTF-8) goes through Big5
    // like every other text of the line, so the line never holds invalid UTF-8.
    std::string path = pathField.Of(songNo, item.name);
    if (item.isFolder) path += "/jpg.vkm";
    const std::string singer = TrimAndCutName(IsTemporaryRow(r) ? row[colDuetFullSinger] : row[colSinger], 14);
    out.line = Big5ToUtf8(path + ";" + TrimAndCutName(row[colSongName], 20) + ";" + singer + ";" + songNo +
                          ";" + VkmChannelVolumeCode(row, mkv) + ";");
    out.kind = OrderLine::Written;
}

// The song lines of every position, on all cores; a song whose folder was not read yet is done here.
std::vector<OrderLine> MakeOrderLines(const IndexRows& rows, MediaItems& media) {
    const std::vector<int>& order = rows.Order();
    const SongPathField pathField;
    std::vector<OrderLine> lines(order.size());
    ForEachSlice(order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            if ((i - first) % RowsPerStep == 0) IndexStep();
            if (const MediaItem* item = media.Known(rows[order[i]][colSongNo]))
                MakeOrderLine(rows, order[i], *item, pathField, lines[i]);
        }
    });
    for (size_t i = 0; i < order.size(); ++i)
        if (lines[i].kind == OrderLine::Unread)
            MakeOrderLine(rows, order[i], media.Of(rows[order[i]][colSongNo]), pathField, lines[i]);
    return lines;
}

// The records that follow the song data's order, for the positions from first to last.
void AddRecordsOf(const IndexRows& rows, std::vector<OrderLine>& lines,
                  const std::vector<std::string>& groups, const std::vector<SongKeys>& songKeys,
                  const std::vector<std::string>& singerNumbers, size_t first, size_t last, VkmSet& set) {
    const std::vector<int>& order = rows.Order();
    const size_t count = last - first;
    set.sislist.reserve(count * 16);
    set.index.reserve(count * 17);
    set.pinyin.reserve(count * 2);
    set.zhuyin.reserve(count * 2);
    set.language.reserve(count);
    set.like.reserve(count * 2);
    SingerKeys singerKeys;
    for (size_t i = first; i < last; ++i) {
        if ((i - first) % RowsPerStep == 0) IndexStep();
        OrderLine& line = lines[i];
        if (line.kind != OrderLine::Written) continue;
        std::string().swap(line.line);  // in the song data by now: let go here, on all cores
        set.sislist += singerNumbers[static_cast<size_t>(line.singer)];
        set.sislist += line.entry;
        if (IsTemporaryRow(order[i])) continue;
        singerKeys.For(groups[i]);
        AddTableRowLines(set, rows[order[i]], songKeys[i], singerKeys, line.entry, i + 1);
    }
}

// The parts' records after the set's own, in the parts' order; each part goes to its place at the same
// time as the others.
void JoinParts(std::vector<VkmSet>& parts, VkmSet& set) {
    std::vector<std::function<void()>> moves;
    auto join = [&](auto member) {
        auto& whole = set.*member;
        size_t at = whole.size();
        size_t total = at;
        for (VkmSet& part : parts) total += (part.*member).size();
        whole.resize(total);
        for (VkmSet& part : parts) {
            auto& from = part.*member;
            moves.emplace_back([&whole, &from, at] {
                std::move(from.begin(), from.end(), whole.begin() + static_cast<std::ptrdiff_t>(at));
            });
            at += from.size();
        }
    };
    join(&VkmSet::sislist);
    join(&VkmSet::index);
    join(&VkmSet::pinyin);
    join(&VkmSet::zhuyin);
    join(&VkmSet::language);
    join(&VkmSet::like);
    AllAtOnce(moves.size(), [&](size_t i) {
        moves[i]();
        return true;
    });
}

void BuildSet(const IndexRows& rows, VkmSet& set) {
    const std::vector<int>& order = rows.Order();
    MediaItems media;
    std::vector<std::string> groups(order.size());
    ForEachSlice(order.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) groups[i] = GroupSinger(rows[order[i]]);
    });
    const std::vector<SongKeys> songKeys = SongKeysInOrder(rows);
    std::vector<std::string_view> songNos(order.size());
    for (size_t i = 0; i < order.size(); ++i) songNos[i] = rows[order[i]][colSongNo];
    media.ReadFoldersOf(songNos);
    std::vector<OrderLine> lines = MakeOrderLines(rows, media);

    // The song data in order: each line's place, and a singer's line after the first song of the singer.
    size_t dataSize = 0;
    for (const OrderLine& line : lines) dataSize += line.line.size() + 2;
    set.data.reserve(dataSize + dataSize / 8);  // and the singers' lines
    Progress progress(order.size());
    std::string previous;
    bool firstWritten = true;
    std::vector<std::string> singerNumbers;
    for (size_t i = 0; i < order.size(); ++i) {
        progress.At(i);
        const SongRow& row = rows[order[i]];
        OrderLine& line = lines[i];
        if (line.kind == OrderLine::Missing) UI().ShowErrorBox(MissingMediaText(row[colSongNo]));
        if (line.kind != OrderLine::Written) continue;
        line.entry = MakeIndexEntry(set.data.size(), line.line.size());
        set.data += line.line;
        set.data += "\r\n";

        const std::string& group = groups[i];
        if (firstWritten || group != previous) {
            firstWritten = false;
            previous = group;
            size_t count = 1;
            while (i + count < order.size() && groups[i + count] == group) ++count;
            singerNumbers.push_back(FixedDigits(singerNumbers.size() + 1, 4, "歌星序號"));
            const std::string singerLine = Big5ToUtf8(singerNumbers.back() + ";" + group + ";" +
                                                      FixedDigits(count, 4, "歌星歌曲數") + ";");
            const std::string singerEntry = MakeIndexEntry(set.data.size(), singerLine.size());
            set.data += singerLine;
            set.data += "\r\n";
            const char classCode = IndexSingerClass(row[colSingerClass]);
            set.singer.push_back(
                std::string{classCode, VkmStrokeGroup(Big5StrokeCountOfFirstChar(row[colSinger]))} +
                singerEntry);
            if (IsMarked(row[colSingerPriority]))
                set.singer.push_back(std::string{classCode, '8'} + singerEntry);
        }
        line.singer = static_cast<int>(singerNumbers.size()) - 1;
    }

    // The records in the song data's order, slice by slice on all cores, joined in that order.
    std::vector<VkmSet> parts = PartsOfSlices<VkmSet>(order.size(), [&](size_t first, size_t last) {
        VkmSet part;
        AddRecordsOf(rows, lines, groups, songKeys, singerNumbers, first, last, part);
        return part;
    });
    JoinParts(parts, set);
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[r][colSelfPlay] == "*") set.userlist += PadField(AllSong[r][colSongNo], 5, true);
}

std::string JoinRecords(std::vector<std::string>& lines,
                        int (*compare)(const std::vector<std::string>&, int, int), size_t from,
                        size_t width) {
    SortLines(lines, compare);
    std::string out;
    out.reserve(lines.size() * width);
    for (const std::string& line : lines) {
        // PadField of the part from `from` on, without a copy of each line.
        const std::string_view part = std::string_view(line).substr(std::min(from, line.size()), width);
        out += part;
        out.append(width - part.size(), ' ');
    }
    return out;
}

// Collection code ascending; new songs by song number, newest first; the others in song-data order.
std::string LikeRecords(std::vector<LikeLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const LikeLine& a, const LikeLine& b) {
        if (a.code != b.code) return a.code < b.code;
        if (a.code == 1 && a.songNo != b.songNo) return a.songNo > b.songNo;
        return a.ordinal < b.ordinal;
    });
    std::string out;
    out.reserve(lines.size() * 13);
    for (const LikeLine& line : lines) {
        out += static_cast<char>('0' + line.code);
        out += line.entry;
    }
    return out;
}

// Writes the set beside the old one and puts it in place; IndexRunError when a file cannot be written.
void StoreSet(IndexStaging& staging, VkmSet& set) {
    // The sorts of the lists and the song data's scrambling are independent of each other: all at once.
    IndexStep();
    std::array<std::string, 8> records;
    std::string data;
    const std::array<std::function<void()>, 6> jobs = {
        [&] { records[0] = JoinRecords(set.singer, CompareLineByLeadNumber, 0, 14); },
        [&] { records[2] = JoinRecords(set.pinyin, CompareLineByCodeAndPrefix, 2, 22); },
        [&] { records[3] = JoinRecords(set.zhuyin, CompareLineByCodeAndPrefix, 2, 22); },
        [&] { records[5] = JoinRecords(set.language, CompareLineByHeadAndTail, 0, 14); },
        [&] { records[6] = LikeRecords(set.like); },
        [&] {
            data.reserve(kBom.size() + set.data.size());
            data += kBom;
            data += set.data;
            auto* bytes = reinterpret_cast<uint8_t*>(data.data());
            ScrambleBuffer(bytes, bytes, FileScrambleStartKey, data.size());
        },
    };
    AllAtOnce(jobs.size(), [&](size_t i) {
        jobs[i]();
        return true;
    });
    IndexStep();
    records[1] = std::move(set.sislist);
    records[4] = std::move(set.index);
    records[7] = std::move(set.userlist);

    std::vector<std::pair<std::string, std::string>> files;
    for (size_t f = 0; f < kIndexFiles.size(); ++f) files.emplace_back(kIndexFiles[f], std::move(records[f]));
    files.emplace_back(kDataFile, std::move(data));
    if (LibraryDataDirOk) files.emplace_back("menu.vkm", VkmMenuBytes());
    staging.WriteMany(files);
    staging.Drop(kUnscrambledFile);
    staging.Commit();
}

}  // namespace

std::string VkmMenuBytes() {
    std::string out = kBom;
    for (const char* line : kMenuLines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

char VkmStrokeGroup(int strokes) {
    if (strokes < 3) return '1';
    if (strokes <= 5) return '2';
    if (strokes <= 7) return '3';
    if (strokes <= 9) return '4';
    if (strokes <= 11) return '5';
    if (strokes <= 13) return '6';
    return '7';
}

char VkmLanguageCode(const std::string& language) {
    switch (SafeStrToInt(language)) {
        case 6:
            return '5';
        case 9:
            return '8';
        case 5:
        case 8:
            return '6';
        default:
            return language.empty() ? ' ' : language[0];
    }
}

char VkmWordCountGroup(int words) {
    if (words < 3) return '1';
    if (words <= 6) return static_cast<char>('2' + (words - 3));
    if (words <= 8) return '6';
    if (words <= 10) return '7';
    return '8';
}

std::string VkmChannelVolumeCode(const SongRow& row, bool mkv) {
    if (mkv) return "00";
    const std::string& channel = row[colChannel];
    return {!IsMarked(channel) || channel == "0" ? 'L' : 'R', VolumeGroupChar(row[colVolume])};
}

std::string VkmCollectionCodes(const SongRow& row) {
    std::string codes = ZtCollectionCodes(row);
    if (row[colDomesticPhoto] == "*") codes += '7';
    if (row[colForeignPhoto] == "*") codes += '8';
    return codes;
}

namespace {

struct RunEnd {
    std::string error;  // Big5 texts; empty when none
    std::string info;
    bool completed = false;
    // Kept while the closing box is up: the old set goes meanwhile, and the records are let go after it.
    std::unique_ptr<IndexStaging> staging;
    std::unique_ptr<VkmSet> set;
};

// The run while the working rows stand; they are gone again when it returns.
RunEnd RunVkmIndex(const std::string& folder) {
    const IndexRows rows;

    // Every checked field before anything is touched: a bad one leaves the previous set as it was.
    if (std::string bad = FirstBadField(rows); !bad.empty()) return {{}, bad, false, nullptr, nullptr};
    IndexPause();

    RunEnd end{{}, B5("VKM索引檔產生完成"), true, nullptr, nullptr};
    try {
        end.set = std::make_unique<VkmSet>();
        BuildSet(rows, *end.set);
        end.staging = std::make_unique<IndexStaging>(folder);
        StoreSet(*end.staging, *end.set);
    } catch (const IndexRunError& error) {
        return {error.what(), {}, false, nullptr, nullptr};
    }
    IndexPause();
    return end;
}

}  // namespace

void WriteVkmIndex() {
    UI().ShowWaitMessage(B5("VKM索引檔產生中, 請稍候 ..."));
    RunEnd end = RunVkmIndex(PathIn(LibraryRoot, "000"));
    UI().HideWaitMessage();
    UI().SetProgress(end.completed ? 100 : 0, 100);
    if (!end.error.empty()) UI().ShowErrorBox(end.error);
    if (!end.info.empty()) UI().ShowInfoMessage(end.info);
    if (end.staging) end.staging->Finish();
    UI().SetProgress(0, 100);
    if (TheSongFileHooks().refreshGrid) TheSongFileHooks().refreshGrid();
}

void ZT1Click() {
    const std::string errFiles = PathIn(LibraryRoot, "ErrFiles");
    if (IsFolder(errFiles)) {
        if (DIR* dir = ::opendir(errFiles.c_str())) {
            std::vector<std::string> names;
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(dir);
            for (const std::string& name : names) {
                const std::string path = PathIn(errFiles, name);
                ClearReadOnly(path);
                ShellDeleteFolder(path);
            }
        }
        RemoveDirRetry(errFiles);
    }
    WriteVkmIndex();
}

}  // namespace qv
