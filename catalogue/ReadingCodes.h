#pragma once
// Reading codes of song names and singers: the pinyin letter code (colPinyin), the Zhuyin (Bopomofo) code,
// the keypad digits of a Zhuyin code and the romaji initials of a Japanese name. All texts Big5.
// pingYing is the PingYing setting: 0 own letters, 1 and 2 the two letter schemes; any other value picks
// the own letters but counts as "not 0" for the Latin initials.
#include <functional>
#include <string>
#include <vector>

namespace qv {

// Built by BuildJapaneseTables; parallel two by two.
extern std::vector<std::string> KanjiList;         // one kanji each
extern std::vector<std::string> KanjiReadingList;  // first kana of its reading
extern std::vector<std::string> KanaList;          // one kana each
extern std::vector<std::string> KanaInitialList;   // upper-case first letter of its romaji

std::string MakePinyin(const std::string& text, int pingYing);
// The code makers' look-up tables made now for the tables as they stand: until those change, codes may
// then be made on several threads at once.
void PrepareReadingCodes();
std::string MakeZhuyin(const std::string& text, int pingYing);
std::string MakeJapanesePinyin(const std::string& text, int pingYing);

// tableText: the kana groups with their kanji lines, a "****" line, then "kana romaji" lines.
void BuildJapaneseTables(const std::string& tableText);

std::string ZhuyinKeysToBopomofo(const std::string& code, int pingYing);
std::string ZhuyinKeysToBopomofoAlways(const std::string& code);
std::string BopomofoToKeypadCodes(const std::string& text);

// Key filter of the pinyin field: the key to insert, or 0 when it is dropped.
char PingYingEditKeyPress(const std::string& fieldText, char key);

// Regenerates every song's pinyin code and rewrites that field of the song list file. refreshGrid redraws
// the list view with its current filters.
void N21Click(int pingYing, const std::function<void()>& refreshGrid = {});

// One line of the pinyin letter chart: a Bopomofo symbol, its Zhuyin keyboard key and the letter each
// pinyin scheme writes for it.
struct PinyinChartRow {
    std::string bopomofo;
    char key;
    char ownLetter;  // PingYing 0
    char qvLetter;   // PingYing 1
    char cnLetter;   // PingYing 2
};
std::vector<PinyinChartRow> PinyinLetterChart();

}  // namespace qv
