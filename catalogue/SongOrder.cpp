#include "catalogue/SongOrder.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/Parallel.h"
#include "catalogue/SongTable.h"

namespace qv {

int NameSortState = 0;
int SingerSortState = 0;
int ClassSortState = 0;
std::vector<int> SortGroupRuns;

namespace {

int Sign(long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

const std::string& Cell(int row, int column) { return AllSong[row][column]; }
int Number(int row, int column) { return SafeStrToInt(Cell(row, column)); }
std::string Lower(int row, int column) { return LowerCaseBig5(Cell(row, column)); }

// Byte at a 1-based position of a line; 0 past its end.
unsigned char ByteAt(const std::string& line, size_t pos) {
    return pos >= 1 && pos <= line.size() ? static_cast<unsigned char>(line[pos - 1]) : 0;
}
// Characters from..to (1-based, inclusive) of a line, cut at its end.
std::string Part(const std::string& line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return line.substr(from - 1, to - from + 1);
}
// The same characters without a copy: the compares of the index writers run millions of times.
std::string_view PartView(const std::string& line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return std::string_view(line).substr(from - 1, to - from + 1);
}
// SafeStrToInt of a one-character text.
int DigitAt(const std::string& line, size_t pos) {
    const unsigned char c = ByteAt(line, pos);
    return c >= '0' && c <= '9' ? c - '0' : 0;
}
int CompareViews(std::string_view a, std::string_view b) { return Sign(a.compare(b)); }
std::string_view TailView(const std::string& line, size_t from) {
    return from > line.size() ? std::string_view() : std::string_view(line).substr(from - 1);
}

int LanguageRank(int row) {
    int code = Number(row, colLanguage);
    if (code >= 1 && code <= 4) return code;
    if (code >= 6 && code <= 9) return code - 1;
    return 9;
}

int LanguageOrderKey(int row) {
    int code = Number(row, colLanguage);
    return code == 5 ? 10 : code;
}

int WordsStrokesName(int a, int b) {
    if (int c = Sign(Number(a, colWordCount) - Number(b, colWordCount))) return c;
    if (int c = Sign(Number(a, colStrokes) - Number(b, colStrokes))) return c;
    return LocaleCompare(Lower(a, colSongName), Lower(b, colSongName));
}

int JapaneseNameOrder(int a, int b) {
    if (int c = Sign(Number(a, colWordCount) - Number(b, colWordCount))) return c;
    const std::string& x = Cell(a, colSongName);
    const std::string& y = Cell(b, colSongName);
    for (size_t p = 0; p < x.size() && p < y.size(); p += 2) {
        std::string px = x.substr(p, 2), py = y.substr(p, 2);
        if (px == py) continue;
        bool lx = IsBig5LeadByteEx(static_cast<unsigned char>(x[p]));
        bool ly = IsBig5LeadByteEx(static_cast<unsigned char>(y[p]));
        if (lx && ly) {
            if (int c = Sign(Big5StrokeCountOfFirstChar(px) - Big5StrokeCountOfFirstChar(py))) return c;
            return LocaleCompare(px, py);
        }
        if (lx) return -1;
        if (ly) return 1;
        return LocaleCompare(px, py);
    }
    return Sign(static_cast<long>(x.size()) - static_cast<long>(y.size()));
}

using TextCompare = int (*)(const std::string&, const std::string&);

int SingerOrderWith(int a, int b, TextCompare compare) {
    const std::string& sa = Cell(a, colSinger);
    const std::string& sb = Cell(b, colSinger);
    if (sa != sb) {
        if (int c = Sign(Big5StrokeCountOfFirstChar(sa) - Big5StrokeCountOfFirstChar(sb))) return c;
        // The two-byte heads are lower-cased alone (no copy of the whole singers): the same bytes, as a
        // head's first character never reaches past it.
        if (int c = compare(LowerCaseBig5(sa.substr(0, 2)), LowerCaseBig5(sb.substr(0, 2)))) return c;
        if (int c = Sign(static_cast<long>(sa.size()) - static_cast<long>(sb.size()))) return c;
        if (int c = compare(LowerCaseBig5(sa), LowerCaseBig5(sb))) return c;
    }
    return WordsStrokesName(a, b);
}

int SingerWordsStrokes(int a, int b) {
    if (int c = Sign(Number(a, colSingerWordCount) - Number(b, colSingerWordCount))) return c;
    if (int c = Sign(Number(a, colSingerStrokes) - Number(b, colSingerStrokes))) return c;
    return LocaleCompare(Lower(a, colSinger), Lower(b, colSinger));
}

int GroupsFirst(int a, int b) {
    int ra = a < static_cast<int>(SortGroupRuns.size()) ? SortGroupRuns[a] : 0;
    int rb = b < static_cast<int>(SortGroupRuns.size()) ? SortGroupRuns[b] : 0;
    return Sign(rb - ra);
}

}  // namespace

// Big5 orders the common characters by stroke count, which is the order the jukebox owner expects, so the
// collation of the catalogue is the byte order of its texts.
int LocaleCompare(const std::string& a, const std::string& b) { return ByteCompare(a, b); }

int ByteCompare(const std::string& a, const std::string& b) {
    int c = a.compare(b);  // char_traits<char>::compare is unsigned, per the standard
    return Sign(c);
}

int CompareRowIndex(int a, int b) { return Sign(a - b); }

int CompareAlnum(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        bool dx = x >= '0' && x <= '9', dy = y >= '0' && y <= '9';
        bool ly = y >= 'a' && y <= 'z', lx = x >= 'a' && x <= 'z';
        if (dx && ly) return 1;
        if (dy && lx) return -1;
        return x < y ? -1 : 1;
    }
    return 0;
}

int CompareSongBookOrder(int a, int b) {
    if (int c = Sign(LanguageRank(a) - LanguageRank(b))) return c;
    int language = Number(a, colLanguage);
    if (language == 4) return LocaleCompare(Lower(a, colSongName), Lower(b, colSongName));
    if (language == 6) return JapaneseNameOrder(a, b);
    return WordsStrokesName(a, b);
}

namespace {

// JapaneseNameOrder's view of a two-byte step of a name as one number: kana and kanji (by strokes, then
// bytes) before anything else (by bytes); a step cut short sorts before the longer steps it begins.
uint32_t JapaneseStepKey(const std::string& name, size_t p) {
    const auto first = static_cast<unsigned char>(name[p]);
    const uint32_t bytes =
        (first + 1u) << 9 | (p + 1 < name.size() ? static_cast<unsigned char>(name[p + 1]) + 1u : 0u);
    if (!IsBig5LeadByteEx(first)) return 1u << 30 | bytes;
    return static_cast<uint32_t>(Big5StrokeCountOfFirstChar(name.substr(p, 2))) << 18 | bytes;
}

}  // namespace

void SortBySongBookOrder(std::vector<int>& rows) {
    // CompareSongBookOrder's every answer from keys made once per row, so the same sort gives the same
    // order. Rows of one rank share their kind of compare: a rank holds one language code, or else
    // neither 4 nor 6.
    struct Keys {
        int rank = 0, words = 0, strokes = 0;
        std::string name;                // lower-cased
        std::vector<uint32_t> japanese;  // one number a step
    };
    std::vector<Keys> keys(AllSong.size());
    ForEachSlice(rows.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            const int row = rows[i];
            Keys& k = keys[static_cast<size_t>(row)];
            k.rank = LanguageRank(row);
            k.words = Number(row, colWordCount);
            if (Number(row, colLanguage) == 6) {
                const std::string& name = Cell(row, colSongName);
                for (size_t p = 0; p < name.size(); p += 2) k.japanese.push_back(JapaneseStepKey(name, p));
                continue;
            }
            k.strokes = Number(row, colStrokes);
            k.name = Lower(row, colSongName);
        }
    });
    std::sort(rows.begin(), rows.end(), [&](int a, int b) {
        const Keys& x = keys[static_cast<size_t>(a)];
        const Keys& y = keys[static_cast<size_t>(b)];
        if (x.rank != y.rank) return x.rank < y.rank;
        if (x.rank == 4) return x.name < y.name;
        if (x.words != y.words) return x.words < y.words;
        if (x.rank == 5) return x.japanese < y.japanese;
        if (x.strokes != y.strokes) return x.strokes < y.strokes;
        return x.name < y.name;
    });
}

int CompareSingerOrder(int a, int b) { return SingerOrderWith(a, b, CompareAlnum); }

int CompareLanguageSingerOrder(int a, int b) {
    if (int c = LocaleCompare(Cell(a, colLanguage), Cell(b, colLanguage))) return c;
    return CompareSingerOrder(a, b);
}

int CompareZtSingerOrder(int a, int b) { return SingerOrderWith(a, b, LocaleCompare); }

void SortByZtSingerOrder(std::vector<int>& rows, const std::function<const SongRow&(int)>& rowOf,
                         const std::function<void()>& step) {
    // CompareZtSingerOrder's every answer from keys made once per row: the same answers in the same
    // sort, so the same order, without lower-casing and parsing cells at each of a million comparisons.
    struct Keys {
        int singerStrokes = 0, words = 0, nameStrokes = 0;
        std::string singer, name;  // lower-cased
    };
    const int highest = rows.empty() ? -1 : *std::max_element(rows.begin(), rows.end());
    std::vector<Keys> keys(static_cast<size_t>(highest + 1));
    constexpr size_t StepEvery = 4096;
    // The rows are distinct: each slice fills keys no other slice touches.
    ForEachSlice(rows.size(), [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            if ((i - first) % StepEvery == 0) step();
            const SongRow& row = rowOf(rows[i]);
            Keys& k = keys[static_cast<size_t>(rows[i])];
            k.singerStrokes = Big5StrokeCountOfFirstChar(row[colSinger]);
            k.singer = LowerCaseBig5(row[colSinger]);
            k.words = SafeStrToInt(row[colWordCount]);
            k.nameStrokes = SafeStrToInt(row[colStrokes]);
            k.name = LowerCaseBig5(row[colSongName]);
        }
    });
    auto before = [&](int a, int b) {
        const Keys& x = keys[static_cast<size_t>(a)];
        const Keys& y = keys[static_cast<size_t>(b)];
        // Equal singers have equal keys: no need to look at the rows themselves.
        if (x.singerStrokes != y.singerStrokes) return x.singerStrokes < y.singerStrokes;
        // A head lower-cased alone is the head of the lower-cased whole (see SingerOrderWith).
        const std::string_view hx = std::string_view(x.singer).substr(0, 2);
        const std::string_view hy = std::string_view(y.singer).substr(0, 2);
        if (hx != hy) return hx < hy;
        if (x.singer.size() != y.singer.size()) return x.singer.size() < y.singer.size();
        if (x.singer != y.singer) return x.singer < y.singer;
        if (x.words != y.words) return x.words < y.words;
        if (x.nameStrokes != y.nameStrokes) return x.nameStrokes < y.nameStrokes;
        return x.name < y.name;
    };
    // The keys' ranks (equal keys share one) answer every comparison as the keys do, so the sort of the
    // ranks below leaves the rows where the keys' own sort would, ties included. The ranks come from the
    // rows sorted in slices on all cores and merged.
    std::vector<int> sorted = rows;
    std::vector<size_t> bounds{0};
    for (const auto& [first, last] :
         PartsOfSlices<std::pair<size_t, size_t>>(sorted.size(), [&](size_t first, size_t last) {
             size_t compared = 0;
             std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(first),
                       sorted.begin() + static_cast<std::ptrdiff_t>(last), [&](int a, int b) {
                           if (++compared % (16 * StepEvery) == 0) step();
                           return before(a, b);
                       });
             return std::pair{first, last};
         }))
        bounds.push_back(last);
    auto at = [&](size_t i) { return sorted.begin() + static_cast<std::ptrdiff_t>(i); };
    while (bounds.size() > 2) {
        std::vector<size_t> merged{0};
        for (size_t k = 2; k < bounds.size(); k += 2) {
            step();
            std::inplace_merge(at(bounds[k - 2]), at(bounds[k - 1]), at(bounds[k]), before);
            merged.push_back(bounds[k]);
        }
        if (bounds.size() % 2 == 0) merged.push_back(bounds.back());
        bounds = std::move(merged);
    }
    std::vector<uint32_t> rank(keys.size());
    uint32_t current = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && before(sorted[i - 1], sorted[i])) ++current;
        rank[static_cast<size_t>(sorted[i])] = current;
    }
    size_t compared = 0;
    std::sort(rows.begin(), rows.end(), [&](int a, int b) {
        if (++compared % (16 * StepEvery) == 0) step();
        return rank[static_cast<size_t>(a)] < rank[static_cast<size_t>(b)];
    });
}

int CompareLowerName(int a, int b) { return LocaleCompare(Lower(a, colSongName), Lower(b, colSongName)); }

int CompareNameGroupsFirst(int a, int b) {
    if (int c = GroupsFirst(a, b)) return c;
    return WordsStrokesName(a, b);
}

int CompareNameWordsStrokes(int a, int b) { return WordsStrokesName(a, b); }

int CompareLowerSinger(int a, int b) { return LocaleCompare(Lower(a, colSinger), Lower(b, colSinger)); }

int CompareSingerGroupsFirst(int a, int b) {
    if (int c = GroupsFirst(a, b)) return c;
    return SingerWordsStrokes(a, b);
}

int CompareSingerWordsStrokes(int a, int b) { return SingerWordsStrokes(a, b); }

int CompareLowerLanguage(int a, int b) { return LocaleCompare(Lower(a, colLanguage), Lower(b, colLanguage)); }

int CompareClassGroupsFirst(int a, int b) {
    if (int c = GroupsFirst(a, b)) return c;
    return CompareClassCode(a, b);
}

int CompareClassCode(int a, int b) { return Sign(LanguageOrderKey(a) - LanguageOrderKey(b)); }

int CompareLineByHeadAndTail(const std::vector<std::string>& lines, int a, int b) {
    const std::string& x = lines[a];
    const std::string& y = lines[b];
    if (int c = Sign(DigitAt(x, 1) - DigitAt(y, 1))) return c;
    if (int c = Sign(ByteAt(x, 15) - ByteAt(y, 15))) return c;
    if (int c = Sign(ByteAt(x, 16) - ByteAt(y, 16))) return c;
    return CompareViews(TailView(x, 17), TailView(y, 17));  // LocaleCompare without copies
}

int CompareLineByKindAndNumber(const std::vector<std::string>& lines, int a, int b) {
    const std::string& x = lines[a];
    const std::string& y = lines[b];
    int kx = SafeStrToInt(Part(x, 10, 10)), ky = SafeStrToInt(Part(y, 10, 10));
    if (kx != ky) return kx < ky ? -1 : 1;
    if (kx != 1) return Sign(SafeStrToInt(Part(x, 1, 4)) - SafeStrToInt(Part(y, 1, 4)));
    return Sign(SafeStrToInt(Part(y, 5, 9)) - SafeStrToInt(Part(x, 5, 9)));
}

int CompareLineByLeadNumber(const std::vector<std::string>& lines, int a, int b) {
    if (int c = Sign(SafeStrToInt(Part(lines[a], 1, 2)) - SafeStrToInt(Part(lines[b], 1, 2)))) return c;
    return Sign(a - b);
}

int CompareLineByCodeAndPrefix(const std::vector<std::string>& lines, int a, int b) {
    if (int c = CompareViews(PartView(lines[a], 3, 12), PartView(lines[b], 3, 12))) return c;
    return CompareViews(PartView(lines[a], 1, 2), PartView(lines[b], 1, 2));
}

void SortItems(std::vector<int>& items, const std::function<int(int, int)>& compare) {
    std::sort(items.begin(), items.end(), [&](int a, int b) { return compare(a, b) < 0; });
}

namespace {

// CompareLineByCodeAndPrefix of lines of 12 bytes or more compares the bytes 3-12 and then 1-2 of each:
// as two big-endian numbers made once per line, the same answers without a byte compare at each step.
struct CodeAndPrefixKey {
    uint64_t high = 0;  // bytes 3-10
    uint32_t low = 0;   // bytes 11, 12, 1, 2
};

bool CodeAndPrefixKeys(const std::vector<std::string>& lines, std::vector<CodeAndPrefixKey>& keys) {
    keys.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() < 12) return false;
        auto byte = [&](size_t pos) { return static_cast<unsigned char>(line[pos - 1]); };
        for (size_t pos = 3; pos <= 10; ++pos) keys[i].high = keys[i].high << 8 | byte(pos);
        for (size_t pos : {11, 12, 1, 2}) keys[i].low = keys[i].low << 8 | byte(pos);
    }
    return true;
}

// CompareLineByHeadAndTail's fields made once per line: the digit and the bytes 15 and 16 as one number
// (each below 256, in that order of weight), and the tail from byte 17.
struct HeadAndTailKey {
    uint32_t head = 0;
    std::string_view tail;
};

std::vector<HeadAndTailKey> HeadAndTailKeys(const std::vector<std::string>& lines) {
    std::vector<HeadAndTailKey> keys(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        keys[i].head = static_cast<uint32_t>(DigitAt(line, 1)) << 16 | ByteAt(line, 15) << 8 | ByteAt(line, 16);
        keys[i].tail = TailView(line, 17);
    }
    return keys;
}

}  // namespace

void SortLines(std::vector<std::string>& lines, int (*compare)(const std::vector<std::string>&, int, int)) {
    std::vector<int> order(lines.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::vector<CodeAndPrefixKey> keys;
    if (compare == CompareLineByHeadAndTail) {
        const std::vector<HeadAndTailKey> heads = HeadAndTailKeys(lines);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const HeadAndTailKey& x = heads[static_cast<size_t>(a)];
            const HeadAndTailKey& y = heads[static_cast<size_t>(b)];
            return x.head != y.head ? x.head < y.head : x.tail.compare(y.tail) < 0;
        });
    } else if (compare == CompareLineByCodeAndPrefix && CodeAndPrefixKeys(lines, keys)) {
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const CodeAndPrefixKey& x = keys[static_cast<size_t>(a)];
            const CodeAndPrefixKey& y = keys[static_cast<size_t>(b)];
            return x.high != y.high ? x.high < y.high : x.low < y.low;
        });
    } else {
        std::sort(order.begin(), order.end(), [&](int a, int b) { return compare(lines, a, b) < 0; });
    }
    std::vector<std::string> sorted;
    sorted.reserve(lines.size());
    for (int i : order) sorted.push_back(std::move(lines[i]));
    lines = std::move(sorted);
}

void ResetSortStates() { NameSortState = SingerSortState = ClassSortState = 0; }

namespace {

// Sort keys of the shown rows, indexed by song-table row, computed once per click: the header sorts order
// the same as their compares (CompareLowerName and its siblings) without lower-casing and parsing the
// cells again at every comparison of a full disk.
struct HeaderSortKeys {
    std::vector<std::string> lower;  // lower-cased text of the sorted column
    std::vector<int> first, second;  // word count and strokes (name, singer); language order key (class)
};

HeaderSortKeys KeysOf(SortButton button) {
    HeaderSortKeys keys;
    keys.lower.resize(AllSong.size());
    keys.first.resize(AllSong.size());
    keys.second.resize(AllSong.size());
    for (int row : ShownRows) {
        switch (button) {
            case SortButton::Name:
                keys.lower[row] = Lower(row, colSongName);
                keys.first[row] = Number(row, colWordCount);
                keys.second[row] = Number(row, colStrokes);
                break;
            case SortButton::Singer:
                keys.lower[row] = Lower(row, colSinger);
                keys.first[row] = Number(row, colSingerWordCount);
                keys.second[row] = Number(row, colSingerStrokes);
                break;
            case SortButton::Class:
                keys.lower[row] = Lower(row, colLanguage);
                keys.first[row] = LanguageOrderKey(row);
                break;
        }
    }
    return keys;
}

}  // namespace

void HeaderSort(SortButton button) {
    if (ShownRows.empty()) return;
    for (int row : ShownRows)
        if (row < 0 || row >= static_cast<int>(AllSong.size())) return;
    int* state;
    int column;
    switch (button) {
        case SortButton::Name:
            state = &NameSortState, column = colSongName;
            break;
        case SortButton::Singer:
            state = &SingerSortState, column = colSinger;
            break;
        default:
            state = &ClassSortState, column = colLanguage;
            break;
    }
    *state = (*state + 1) % 3;
    if (*state == 0) {
        std::sort(ShownRows.begin(), ShownRows.end());
        return;
    }
    const HeaderSortKeys keys = KeysOf(button);
    // Byte order of std::string is the catalogue's collation (LocaleCompare).
    auto bookOrder = [&](int a, int b) {
        if (keys.first[a] != keys.first[b]) return keys.first[a] < keys.first[b];
        if (button == SortButton::Class) return false;
        if (keys.second[a] != keys.second[b]) return keys.second[a] < keys.second[b];
        return keys.lower[a] < keys.lower[b];
    };
    if (*state == 2) {
        std::sort(ShownRows.begin(), ShownRows.end(), bookOrder);
        return;
    }
    std::sort(ShownRows.begin(), ShownRows.end(),
              [&](int a, int b) { return keys.lower[a] < keys.lower[b]; });
    SortGroupRuns.assign(AllSong.size(), 0);
    size_t start = 0;
    auto closeRun = [&](size_t end) {
        for (size_t k = start; k < end; ++k) SortGroupRuns[ShownRows[k]] = static_cast<int>(end - start);
    };
    for (size_t i = 1; i < ShownRows.size(); ++i) {
        if (Cell(ShownRows[i], column) != Cell(ShownRows[i - 1], column)) {
            closeRun(i);
            start = i;
        }
    }
    closeRun(ShownRows.size());
    std::sort(ShownRows.begin(), ShownRows.end(), [&](int a, int b) {
        if (SortGroupRuns[a] != SortGroupRuns[b]) return SortGroupRuns[a] > SortGroupRuns[b];
        return bookOrder(a, b);
    });
}

std::string DisplayCell(int row, int column) {
    const std::string& v = Cell(row, column);
    switch (column) {
        case colSingerClass:
            return SingerClassNameOfCode(SafeStrToInt(v));
        case colLanguage:
            return LanguageNameOfCode(SafeStrToInt(v));
        case colVolume:
            if (v.empty() || v == " ") return v;
            if (v.size() == 1 && v[0] >= '1' && v[0] <= '9') return v;
            if (v.size() == 1 && v[0] >= 'A' && v[0] <= 'F') return std::to_string(v[0] - 'A' + 10);
            return std::to_string(SafeStrToInt(v));
        case colChannel:
            if (v == "0") return B5("左");
            if (v == "1") return B5("右");
            return v;
        case colNewMark:
            return v == "@" ? B5("◎") : v;
        default:
            return v;
    }
}

}  // namespace qv
