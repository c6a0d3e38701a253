#include "catalogue/ReadingCodes.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "catalogue/TextFile.h"
#include "catalogue/UserInterface.h"

namespace qv {

std::vector<std::string> KanjiList;
std::vector<std::string> KanjiReadingList;
std::vector<std::string> KanaList;
std::vector<std::string> KanaInitialList;

namespace {

unsigned japaneseGeneration = 0;  // changes with every build of the Japanese tables

constexpr std::string_view kPinyinKeys = "1qaz2wsxedcrfv5tgbyhn8ik9l.0p;-ujm/";
constexpr std::string_view kQvAlphabet = "BPMFDTNLGKHJCCJCSZJCSAOEIAOIEAEEWUO";
constexpr std::string_view kCnAlphabet = "BPMFDTNLGKHJQXZCSRZCSAOEAAOAEAEYWYO";
constexpr std::string_view kOwnAlphabet = "123456789abcdefghijklmnouwxyzAtqrsB";
constexpr std::string_view kZhuyinKeys = "1qaz2wsxedcrfv5tgbyhn8ik,9ol.0p;/-ujm";
constexpr std::string_view kOwnLetters = "123456789abcdefghijklmnopqrstuvwxyzAB";
constexpr const char* kBopomofoByKey =
    "ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦㄧㄨㄩ";
constexpr const char* kBopomofoByOwnLetter =
    "ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄚㄛㄜㄝㄧㄨㄩㄦㄞㄟㄠㄡㄢㄣㄤㄥ";
// Keypad key and place of each symbol, in the order of kBopomofoByKey.
constexpr const char* kKeypadByKey[] = {"11", "12", "13", "14", "21", "22", "23", "24", "31", "32",
                                        "33", "41", "42", "43", "51", "52", "53", "54", "61", "62",
                                        "63", "71", "72", "73", "74", "91", "92", "93", "94", "01",
                                        "02", "03", "04", "84", "81", "82", "83"};
static_assert(std::size(kKeypadByKey) == kZhuyinKeys.size());

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view AlphabetOf(int pingYing) {
    return pingYing == 1 ? kQvAlphabet : pingYing == 2 ? kCnAlphabet : kOwnAlphabet;
}

// The letter a scheme writes for a Zhuyin key; keys outside the 35 (the comma, "o") stand for themselves.
char LetterOfKey(char key, int pingYing) {
    std::size_t p = kPinyinKeys.find(key);
    return p == std::string_view::npos ? key : AlphabetOf(pingYing)[p];
}

// Bopomofo symbol i (two bytes) of a 37-symbol string.
std::string SymbolAt(const std::string& symbols, std::size_t i) { return symbols.substr(2 * i, 2); }

// First index of each two-byte character of a list, for lookups over whole libraries. The list is checked
// for changes before use (its loader's generation, size, storage and a sample of entries; every entry of
// a short list): a reload reuses the storage, and the sample alone misses most changes.
class CharIndex {
public:
    int Find(const std::vector<std::string>& list, unsigned generation, unsigned char lead,
             unsigned char trail) {
        if (generation != generation_ || !Unchanged(list)) {
            Build(list);
            generation_ = generation;
        }
        return index_[lead * 256u + trail];
    }

private:
    std::vector<int32_t> index_;
    unsigned generation_ = 0;
    const void* data_ = nullptr;
    std::size_t size_ = 0;
    std::vector<std::pair<std::size_t, std::string>> sample_;

    static std::vector<std::size_t> SamplePositions(std::size_t n) {
        std::vector<std::size_t> at;
        if (n <= 64) {
            for (std::size_t i = 0; i < n; ++i) at.push_back(i);
        } else {
            for (std::size_t k = 0; k <= 16; ++k) at.push_back((n - 1) * k / 16);
        }
        return at;
    }
    bool Unchanged(const std::vector<std::string>& list) const {
        if (index_.empty() || list.size() != size_ || static_cast<const void*>(list.data()) != data_)
            return false;
        for (const auto& [i, text] : sample_)
            if (list[i] != text) return false;
        return true;
    }
    void Build(const std::vector<std::string>& list) {
        index_.assign(65536, -1);
        for (std::size_t i = list.size(); i-- > 0;) {  // backwards: the first entry wins
            const std::string& c = list[i];
            if (c.size() == 2)
                index_[static_cast<unsigned char>(c[0]) * 256u + static_cast<unsigned char>(c[1])] =
                    static_cast<int32_t>(i);
        }
        data_ = list.data();
        size_ = list.size();
        sample_.clear();
        for (std::size_t i : SamplePositions(list.size())) sample_.emplace_back(i, list[i]);
    }
};

CharIndex& ZhuyinIndex() {
    static CharIndex index;
    return index;
}

// Zhuyin key of a character, or 0 when the table does not hold it.
char ZhuyinKeyOf(unsigned char lead, unsigned char trail) {
    int k = ZhuyinIndex().Find(ZhuyinCharList, ZhuyinTableGeneration, lead, trail);
    if (k < 0 || static_cast<std::size_t>(k) >= ZhuyinKeyList.size() || ZhuyinKeyList[k].empty()) return 0;
    return ZhuyinKeyList[k][0];
}

// The walk shared by the code makers: a double-byte character goes to onChar (which returns true when it
// ends a Latin word), and a Latin word adds its upper-case initial unless pingYing is 0.
template <typename OnChar>
std::string WalkReading(const std::string& text, int pingYing, OnChar onChar) {
    const std::string t = RemoveBracketGroups(text);
    std::string out;
    bool inWord = false;
    for (std::size_t i = 0; i < t.size();) {
        auto c = static_cast<unsigned char>(t[i]);
        if (IsBig5LeadByteEx(c)) {
            if (i + 1 < t.size() && onChar(out, c, static_cast<unsigned char>(t[i + 1]))) inWord = false;
            i += 2;
            continue;
        }
        if (c == ' ') {
            inWord = false;
        } else {
            if (!inWord && pingYing != 0 && IsAsciiLetter(t[i])) out += UpperAscii(t[i]);
            inWord = true;
        }
        ++i;
    }
    return out;
}

}  // namespace

std::string MakePinyin(const std::string& text, int pingYing) {
    return WalkReading(text, pingYing, [pingYing](std::string& out, unsigned char lead, unsigned char trail) {
        char key = ZhuyinKeyOf(lead, trail);
        if (key == 0) return false;
        char letter = LetterOfKey(key, pingYing);
        // A broken key line (not a number) gives a control byte; never write it into a record.
        if (letter > ' ' && letter < 0x7F) out += letter;
        return true;
    });
}

std::string MakeZhuyin(const std::string& text, int pingYing) {
    const std::string& symbols = B5(kBopomofoByKey);
    return WalkReading(text, pingYing, [&symbols](std::string& out, unsigned char lead, unsigned char trail) {
        char key = ZhuyinKeyOf(lead, trail);
        if (key == 0) return false;
        std::size_t p = kZhuyinKeys.find(key);
        if (p != std::string_view::npos) out += SymbolAt(symbols, p);
        return true;
    });
}

namespace {

CharIndex& KanjiIndex() {
    static CharIndex index;
    return index;
}

CharIndex& KanaIndex() {
    static CharIndex index;
    return index;
}

}  // namespace

void PrepareReadingCodes() {
    ZhuyinIndex().Find(ZhuyinCharList, ZhuyinTableGeneration, 0, 0);
    KanjiIndex().Find(KanjiList, japaneseGeneration, 0, 0);
    KanaIndex().Find(KanaList, japaneseGeneration, 0, 0);
}

std::string MakeJapanesePinyin(const std::string& text, int pingYing) {
    return WalkReading(text, pingYing, [](std::string& out, unsigned char lead, unsigned char trail) {
        int k = KanjiIndex().Find(KanjiList, japaneseGeneration, lead, trail);
        if (k >= 0 && static_cast<std::size_t>(k) < KanjiReadingList.size()) {
            const std::string& kana = KanjiReadingList[k];
            if (kana.size() < 2) return true;
            lead = static_cast<unsigned char>(kana[0]);
            trail = static_cast<unsigned char>(kana[1]);
        }
        int j = KanaIndex().Find(KanaList, japaneseGeneration, lead, trail);
        if (j >= 0 && static_cast<std::size_t>(j) < KanaInitialList.size()) out += KanaInitialList[j];
        return true;
    });
}

void BuildJapaneseTables(const std::string& tableText) {
    KanjiList.clear();
    KanjiReadingList.clear();
    KanaList.clear();
    KanaInitialList.clear();
    ++japaneseGeneration;

    const std::vector<std::string> lines = SplitTextLines(tableText);

    std::size_t i = 0;
    for (; i < lines.size(); i += 2) {
        const std::string& kanaLine = lines[i];
        if (kanaLine.compare(0, 4, "****") == 0) {
            ++i;
            break;
        }
        auto first = kanaLine.empty() ? 0u : static_cast<unsigned char>(kanaLine[0]);
        if (first != 0xC6 && first != 0xC7) {
            UI().ShowInfoMessage(B5("Zt50.bin檔案格式錯誤"));
            return;
        }
        if (i + 1 >= lines.size()) continue;
        const std::string reading = kanaLine.substr(0, 2);
        const std::string& kanji = lines[i + 1];
        for (std::size_t k = 0; k < kanji.size();) {
            bool dbcs = IsBig5LeadByte(static_cast<unsigned char>(kanji[k])) && k + 1 < kanji.size();
            if (dbcs) {
                KanjiList.push_back(kanji.substr(k, 2));
                KanjiReadingList.push_back(reading);
            }
            k += dbcs ? 2 : 1;
        }
    }
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() < 4) continue;  // no romaji: nothing to learn from the line
        KanaList.push_back(line.substr(0, 2));
        KanaInitialList.push_back(std::string(1, UpperAscii(line[3])));
    }
}

std::string ZhuyinKeysToBopomofoAlways(const std::string& code) {
    const std::string& symbols = B5(kBopomofoByOwnLetter);
    std::string out;
    for (char c : code) {
        std::size_t p = kOwnLetters.find(c);
        if (p != std::string_view::npos) out += SymbolAt(symbols, p);
    }
    return out;
}

std::string ZhuyinKeysToBopomofo(const std::string& code, int pingYing) {
    return pingYing != 0 ? code : ZhuyinKeysToBopomofoAlways(code);
}

std::string BopomofoToKeypadCodes(const std::string& text) {
    const std::string& symbols = B5(kBopomofoByKey);
    std::string out = text;
    for (std::size_t i = 0, count = 0; count < 5 && i + 1 < out.size(); i += 2, ++count) {
        if (out[i] == ' ') break;
        for (std::size_t k = 0; k < kZhuyinKeys.size(); ++k) {
            if (out.compare(i, 2, symbols, 2 * k, 2) == 0) {
                out.replace(i, 2, kKeypadByKey[k]);
                break;
            }
        }
    }
    return out;
}

char PingYingEditKeyPress(const std::string& fieldText, char key) {
    if (key == '\b') return key;
    if (fieldText.size() >= 10 || !IsAsciiLetter(key)) return 0;
    return UpperAscii(key);
}

void N21Click(int pingYing, const std::function<void()>& refreshGrid) {
    UI().ShowWaitMessage(B5("拼音產生中, 請稍候 ..."));
    const std::size_t rows = std::min(AllSong.size(), static_cast<std::size_t>(std::max(AllSongCount, 0)));
    for (std::size_t r = 0; r < rows; ++r) {
        SongRow& row = AllSong[r];
        row[colPinyin] = row[colLanguage] == "6" ? MakeJapanesePinyin(row[colSongName], pingYing)
                                                 : MakePinyin(row[colSongName], pingYing);
        if (r % 4096 == 0) UI().ProcessEvents();
    }
    const bool written = WritePinyinColumn();
    if (refreshGrid) refreshGrid();
    UI().HideWaitMessage();
    // A list that could not be rewritten is not reported as done.
    if (ReportSongListWrite(written)) UI().ShowInfoMessage(B5("拼音產生完成!"));
}

std::vector<PinyinChartRow> PinyinLetterChart() {
    const std::string& symbols = B5(kBopomofoByKey);
    std::vector<PinyinChartRow> rows;
    for (std::size_t i = 0; i < kZhuyinKeys.size(); ++i) {
        char key = kZhuyinKeys[i];
        rows.push_back(
            {SymbolAt(symbols, i), key, LetterOfKey(key, 0), LetterOfKey(key, 1), LetterOfKey(key, 2)});
    }
    return rows;
}

}  // namespace qv
