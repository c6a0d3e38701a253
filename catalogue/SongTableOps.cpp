// Searching, filtering and editing the song table.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/SingerPair.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/SongView.h"
#include "catalogue/UserInterface.h"

namespace qv {

namespace {

constexpr std::size_t kDistanceBytes = 255;  // EditDistance looks at no more of a text

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
// IsBig5LeadByte, inline for the loops over every byte of the table.
bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE; }

// LowerCaseBig5 into a buffer that keeps its capacity: the table walks must not allocate per row.
void LowerInto(std::string_view text, std::string& out) {
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[i] = LowerByte(text[i]);
        if (IsLead(text[i]) && i + 1 < text.size()) {
            ++i;
            out[i] = text[i];
        }
    }
}

// LowerCaseBig5(a) == LowerCaseBig5(b) without building either. Lower-casing never touches a lead byte
// and never makes one, so equal texts have their double-byte characters in the same places.
bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLead(a[i])) {
            if (a[i] != b[i]) return false;
            if (++i < a.size() && a[i] != b[i]) return false;
        } else if (LowerByte(a[i]) != LowerByte(b[i])) {
            return false;
        }
    }
    return true;
}

// Whether LowerCaseBig5(text) holds the lower-cased needle starting at one of text's character
// boundaries: a hit that begins on a trail byte (such as "a" inside 兀, A4 61) is no match. Works on
// text as it is, so a search over the whole table allocates nothing.
bool ContainsIgnoreCase(std::string_view text, std::string_view lowNeedle) {
    if (lowNeedle.empty()) return true;
    if (lowNeedle.size() > text.size()) return false;
    const std::size_t last = text.size() - lowNeedle.size();
    for (std::size_t i = 0; i <= last; i += IsLead(text[i]) ? 2 : 1) {
        std::size_t k = 0;
        while (k < lowNeedle.size()) {
            const char t = text[i + k];
            if (IsLead(t)) {
                if (t != lowNeedle[k]) break;
                if (++k < lowNeedle.size() && text[i + k] != lowNeedle[k]) break;
                ++k;
            } else {
                if (LowerByte(t) != lowNeedle[k]) break;
                ++k;
            }
        }
        if (k >= lowNeedle.size()) return true;
    }
    return false;
}

void ResetSortStatesAndRefresh() {
    ResetSortStates();
    TheSongView().RefreshRows();
}

int RowWithCell(int column, const std::string& value) {
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[r][column] == value) return r;
    return -1;
}

int RowOfSongNo(const std::string& songNo) { return RowWithCell(colSongNo, songNo); }

int ClampedLength(const std::string& text) { return static_cast<int>(std::min(text.size(), kDistanceBytes)); }

bool SharesDuetPart(const std::string& rowSinger, const std::vector<std::string>& givenParts) {
    for (const std::string& part : SplitSingerWords(rowSinger)) {
        if (part.empty()) continue;  // parts hold no blanks: trimming leaves them as they are
        if (std::find(givenParts.begin(), givenParts.end(), part) != givenParts.end()) return true;
    }
    return false;
}

// Hex digit of the volume combo position + 1 (1 = blank, 2..16 = volumes 1..F); empty when out of range.
bool VolumeCell(const std::string& value, std::string& cell) {
    if (!IsInteger(value)) return false;
    const int n = SafeStrToInt(value);
    if (n < 0 || n > 16) return false;
    cell = n <= 1 ? std::string() : std::string(1, "0123456789ABCDEF"[n - 1]);
    return true;
}

// Channel combo position + 1 (1 = stereo, 2 = left "0", 3 = right "1").
bool ChannelCell(const std::string& value, std::string& cell) {
    if (!IsInteger(value)) return false;
    const int n = SafeStrToInt(value);
    if (n < 0 || n > 3) return false;
    cell = n <= 1 ? std::string() : std::to_string(n - 2);
    return true;
}

}  // namespace

void FilterSongList(bool newOnly, const std::string& searchText, bool hideSpecialDeleted, int collection,
                    bool selfPlayOnly, bool specialDeletedOnly, int language) {
    ShownRows.clear();
    ShownRows.reserve(AllSongCount);
    const std::string needle = LowerCaseBig5(searchText);
    const bool collectionOk = collection >= 1 && collection <= 6;
    for (int r = 0; r < AllSongCount; ++r) {
        const SongRow& row = AllSong[r];
        if (newOnly && row[colNewMark] != "*" && row[colNewMark] != "@") continue;
        if (specialDeletedOnly && row[colSpecialDel] != "X") continue;
        if (selfPlayOnly && row[colSelfPlay] != "*") continue;
        if (hideSpecialDeleted && row[colSpecialDel] == "X") continue;
        if (language != 0 && SafeStrToInt(row[colLanguage]) != language) continue;
        if (collection != 0 && (!collectionOk || row[colFavourBase + collection] != "*")) continue;
        if (!needle.empty() && !ContainsIgnoreCase(row[colSongNo], needle) &&
            !ContainsIgnoreCase(row[colSongName], needle) && !ContainsIgnoreCase(row[colSinger], needle))
            continue;
        ShownRows.push_back(r);
    }
    ResetSortStatesAndRefresh();
}

void ShowSongRange(const std::string& firstSongNo, const std::string& lastSongNo) {
    ShownRows.clear();
    const int first = RowOfSongNo(firstSongNo);
    const int last = RowOfSongNo(lastSongNo);
    if (first >= 0 && last >= first)
        for (int r = first; r <= last; ++r) ShownRows.push_back(r);
    ResetSortStatesAndRefresh();
}

int FindSongByName(const std::string& name) {
    for (int r = 0; r < AllSongCount; ++r)
        if (EqualsIgnoreCase(AllSong[r][colSongName], name)) return r;
    return -1;
}

namespace {

// The duplicate test of one row against a song (name, singer, language), the row's name already equal
// to the song's but for letter case. The given singer's parts are split once, at the first need.
class DuplicateTest {
public:
    DuplicateTest(const std::string& singer, const std::string& skipSongNo, const std::string& languageCode)
        : singer_(singer), skipSongNo_(skipSongNo), languageCode_(languageCode) {}
    bool Matches(const SongRow& row) {
        if (!skipSongNo_.empty() && row[colSongNo] == skipSongNo_) return false;
        if (row[colLanguage] != languageCode_) return false;
        if (EqualsIgnoreCase(row[colSinger], singer_)) return true;
        if (!partsMade_) {
            givenParts_ = SplitSingerWords(LowerCaseBig5(singer_));
            partsMade_ = true;
        }
        return SharesDuetPart(LowerCaseBig5(row[colSinger]), givenParts_);
    }

private:
    const std::string& singer_;
    const std::string& skipSongNo_;
    const std::string& languageCode_;
    std::vector<std::string> givenParts_;
    bool partsMade_ = false;
};

}  // namespace

int FindDuplicateSong(const std::string& name, const std::string& singer, const std::string& skipSongNo,
                      const std::string& languageCode) {
    DuplicateTest test(singer, skipSongNo, languageCode);
    for (int r = 0; r < AllSongCount; ++r) {
        const SongRow& row = AllSong[r];
        if (row[colLanguage] == languageCode && EqualsIgnoreCase(row[colSongName], name) && test.Matches(row))
            return r;
    }
    return -1;
}

SongNameIndex::SongNameIndex() { Sync(); }

void SongNameIndex::Sync() {
    if (AllSongCount < indexed_) {
        rowsByName_.clear();
        indexed_ = 0;
    }
    std::string key;
    for (; indexed_ < AllSongCount; ++indexed_) {
        LowerInto(AllSong[indexed_][colSongName], key);
        rowsByName_[key].push_back(indexed_);
    }
}

const std::vector<int>* SongNameIndex::RowsNamed(const std::string& name) {
    Sync();
    const auto found = rowsByName_.find(LowerCaseBig5(name));
    return found == rowsByName_.end() ? nullptr : &found->second;
}

int SongNameIndex::FindByName(const std::string& name) {
    const std::vector<int>* rows = RowsNamed(name);
    return rows ? rows->front() : -1;
}

int SongNameIndex::FindDuplicate(const std::string& name, const std::string& singer,
                                 const std::string& skipSongNo, const std::string& languageCode) {
    const std::vector<int>* rows = RowsNamed(name);
    if (!rows) return -1;
    DuplicateTest test(singer, skipSongNo, languageCode);
    for (const int r : *rows)
        if (test.Matches(AllSong[r])) return r;
    return -1;
}

int EditDistance(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), kDistanceBytes);
    const std::size_t m = std::min(b.size(), kDistanceBytes);
    std::vector<int> prev(m + 1), cur(m + 1);
    for (std::size_t j = 0; j <= m; ++j) prev[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        cur[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            cur[j] = std::min({prev[j - 1] + cost, prev[j] + 1, cur[j - 1] + 1});
        }
        std::swap(prev, cur);
    }
    return prev[m];
}

int EditDistanceUpTo(const std::string& a, const std::string& b, int limit) {
    const int n = ClampedLength(a);
    const int m = ClampedLength(b);
    limit = std::max(limit, 0);
    if (std::abs(n - m) > limit) return limit + 1;
    // A cell more than limit off the diagonal costs more than limit: only the band is computed, with
    // everything outside it held at limit + 1, which is also where every larger value is capped.
    const int over = limit + 1;
    int prev[kDistanceBytes + 1];
    int cur[kDistanceBytes + 1];
    for (int j = 0; j <= m; ++j) prev[j] = std::min(j, over);
    for (int i = 1; i <= n; ++i) {
        const int lo = std::max(1, i - limit);
        const int hi = std::min(m, i + limit);
        cur[0] = std::min(i, over);
        if (lo > 1) cur[lo - 1] = over;
        int best = cur[0] < over && lo == 1 ? cur[0] : over;
        for (int j = lo; j <= hi; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int v = std::min({prev[j - 1] + cost, prev[j] + 1, cur[j - 1] + 1});
            if (v > over) v = over;
            cur[j] = v;
            best = std::min(best, v);
        }
        if (hi < m) cur[hi + 1] = over;
        if (best >= over) return over;
        std::copy(cur + std::max(0, lo - 1), cur + std::min(m, hi + 1) + 1, prev + std::max(0, lo - 1));
    }
    return prev[m];
}

bool FuzzyFindSimilar(const std::string& name) {
    constexpr int kLimit = 2;  // "similar" is a distance below 3
    const std::string lowName = LowerCaseBig5(name);
    std::string message = B5("模糊比對結果相似的歌曲:");
    bool any = false;
    std::string lowered;
    for (int r = 0; r < AllSongCount; ++r) {
        const SongRow& row = AllSong[r];
        const std::string& songName = row[colSongName];
        if (std::abs(ClampedLength(songName) - ClampedLength(lowName)) > kLimit) continue;
        LowerInto(songName, lowered);
        if (EditDistanceUpTo(lowered, lowName, kLimit) > kLimit) continue;
        message += "\n\r" + songName + "(" + row[colSinger] + ")";
        any = true;
    }
    if (any) UI().ShowInfoMessage(message);
    return any;
}

int UpdateInAllSong(const std::string& songNo, int column, const std::string& value) {
    const int r = RowOfSongNo(songNo);
    if (r < 0) {
        UI().ShowInfoMessage("parameter index is error in UpdateInAllSong:" + songNo);
        return -1;
    }
    if (column < 0 || column >= AllSongColCount) return -1;
    std::string cell = value;
    if (column == colVolume && !VolumeCell(value, cell)) return -1;
    if (column == colChannel && !ChannelCell(value, cell)) return -1;

    SongRow& row = AllSong[r];
    const SongRow before = row;
    row[column] = cell;
    if (!WriteSongRecord(r)) {
        RestoreSongRecord(r, before);
        return -1;
    }

    const int classCode = SafeStrToInt(row[colSingerClass]);
    const int languageCode = SafeStrToInt(row[colLanguage]);
    if (column == colSinger || column == colLanguage || column == colSingerClass)
        AddSingerDisplayEntry(row[colSinger], classCode, languageCode);
    else if (column == colSingerPriority)
        SetSingerPriority(std::string(row[colSinger]), cell);
    return r;
}

bool SetAllSongCell(int row, int column, const std::string& value) {
    if (row < 0 || row >= AllSongCount || column < 0 || column >= AllSongColCount) return false;
    const SongRow before = AllSong[row];
    AllSong[row][column] = value;
    if (WriteSongRecord(row)) return true;
    RestoreSongRecord(row, before);
    return false;
}

void SetSingerPriority(const std::string& singer, const std::string& value) {
    if (RowWithCell(colSinger, singer) < 0) return;
    std::string first, second;
    SplitSingerPair(singer, first, second);
    if (!first.empty()) {
        for (int r = 0; r < AllSongCount; ++r) {
            SongRow& row = AllSong[r];
            if (row[colSinger].find(first) == std::string::npos) continue;
            std::string rowFirst, rowSecond;
            SplitSingerPair(row[colSinger], rowFirst, rowSecond);
            if (rowFirst != first) continue;
            row[colSingerPriority] = value;
            WriteRowPriority(r);
        }
        TheSongView().RefreshPriorityCells();
    }
    WritePriorityColumn();
}

int CountMarkedSongs() {
    int count = 0;
    for (int r = 0; r < AllSongCount; ++r)
        if (AllSong[r][colSelect] == "*") ++count;
    return count;
}

void N20Click() {
    if (!UI().AskYesNo(B5("注意:此動怍會永遠清除歌星優先標示. 確定要執行?"))) return;
    for (int r = 0; r < AllSongCount; ++r) AllSong[r][colSingerPriority].clear();
    TheSongView().RefreshPriorityCells();
    if (ReportSongListWrite(WritePriorityColumn())) UI().ShowInfoMessage(B5("清除完畢!"));
}

}  // namespace qv
