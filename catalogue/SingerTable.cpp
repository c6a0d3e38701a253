#include "catalogue/SingerTable.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "catalogue/CharTw.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "catalogue/SongTable.h"
#include "catalogue/SongView.h"

namespace qv {

std::vector<std::string> SingerNames;
std::vector<std::string> SingerLanguageCodes;
std::vector<std::string> SingerClassCodes;
std::vector<std::string> ZhuyinCharList;
std::vector<std::string> ZhuyinKeyList;
unsigned ZhuyinTableGeneration = 0;
std::vector<std::string> SingerDisplayList;
std::vector<std::string> SingerDisplayLanguages;

namespace {

constexpr std::size_t kNameWidth = 30;
constexpr std::size_t kLanguageColumn = 30;  // 0-based
constexpr std::size_t kClassColumn = 32;
const std::string kSeparator(33, '#');

// The file codes its singer classes its own way.
std::string CatalogueClassCode(const std::string& fileCode) {
    if (fileCode == "0") return "2";
    if (fileCode == "2") return "3";
    if (fileCode == "3") return "4";
    if (fileCode == "4") return "6";
    return fileCode;
}

std::string Field(std::string_view line, std::size_t pos, std::size_t len) {
    return pos < line.size() ? std::string(line.substr(pos, len)) : std::string();
}

// One byte given as three decimal digits; anything that is no byte value counts 0.
char ByteOfTriple(const std::string& triple) {
    const int value = SafeStrToInt(triple);
    return static_cast<char>(value >= 0 && value <= 255 ? value : 0);
}

int batchDepth = 0;
std::vector<std::pair<std::string, std::string>> pending;  // entry, language; oldest first

// The latest addition of an entry decides its place and language; entries not added keep their order
// below all added ones.
void ApplyPending() {
    std::unordered_set<std::string_view> placed;
    std::vector<std::string> list, languages;
    list.reserve(pending.size() + SingerDisplayList.size());
    languages.reserve(list.capacity());
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        if (!placed.insert(it->first).second) continue;
        list.push_back(it->first);
        languages.push_back(it->second);
    }
    for (std::size_t i = 0; i < SingerDisplayList.size(); ++i) {
        if (placed.count(SingerDisplayList[i])) continue;
        list.push_back(std::move(SingerDisplayList[i]));
        languages.push_back(std::move(SingerDisplayLanguages[i]));
    }
    SingerDisplayList = std::move(list);
    SingerDisplayLanguages = std::move(languages);
    pending.clear();
}

}  // namespace

void AddSingerDisplayEntriesOfRows(const std::vector<SongRow>& rows) {
    if (batchDepth > 0) {
        for (const SongRow& row : rows)
            AddSingerDisplayEntry(row[colSinger], SafeStrToInt(row[colSingerClass]),
                                  SafeStrToInt(row[colLanguage]));
        return;
    }
    // The last row of a singer and class decides the entry's place and language, as adding the rows one
    // by one would. A whole library is 80,000 rows: one open-addressed table of row numbers instead of a
    // string and a node per row.
    // Record fields are one digit wide: read them without a general conversion.
    auto numberOf = [](const std::string& cell) {
        if (cell.empty()) return 0;
        if (cell.size() == 1) return cell[0] >= '0' && cell[0] <= '9' ? cell[0] - '0' : 0;
        return SafeStrToInt(cell);
    };
    std::vector<unsigned char> classes(rows.size());
    std::vector<std::size_t> hashes(rows.size());
    ForEachSlice(rows.size(), [&](std::size_t first, std::size_t last) {
        for (std::size_t r = first; r < last; ++r) {
            const int code = numberOf(rows[r][colSingerClass]);
            classes[r] = static_cast<unsigned char>(code >= 1 && code <= 8 ? code : 5);  // else 其他
            hashes[r] = std::hash<std::string_view>()(rows[r][colSinger]) * 31 + classes[r];
        }
    });
    auto classOf = [&](std::size_t r) { return static_cast<int>(classes[r]); };
    std::size_t slots = 16;
    while (slots < rows.size() * 2) slots *= 2;
    std::vector<int> table(slots, -1);  // index into list
    std::vector<std::string> list, languages;
    std::vector<std::size_t> listHashes;
    std::vector<unsigned char> listClasses;
    for (std::size_t r = rows.size(); r-- > 0;) {
        const std::string& singer = rows[r][colSinger];
        const int classCode = classOf(r);
        const std::string& className = SingerClassNameOfCode(classCode);
        std::size_t h = hashes[r] & (slots - 1);
        bool seen = false;
        // Compared with the entries made so far, which stay in cache, not with the rows they came from.
        for (; table[h] >= 0; h = (h + 1) & (slots - 1)) {
            const auto k = static_cast<std::size_t>(table[h]);
            if (listHashes[k] == hashes[r] && listClasses[k] == classCode &&
                list[k].size() == singer.size() + className.size() + 2 &&
                list[k].compare(0, singer.size(), singer) == 0) {
                seen = true;
                break;
            }
        }
        if (seen) continue;
        table[h] = static_cast<int>(list.size());
        std::string entry;
        entry.reserve(singer.size() + className.size() + 2);
        entry.append(singer).append("(").append(className).append(")");
        list.push_back(std::move(entry));
        listHashes.push_back(hashes[r]);
        listClasses.push_back(static_cast<unsigned char>(classCode));
        languages.push_back(std::to_string(numberOf(rows[r][colLanguage])));
    }
    // Views into list: no reallocation may follow.
    list.reserve(list.size() + SingerDisplayList.size());
    languages.reserve(list.capacity());
    std::unordered_set<std::string_view> placed;
    if (!SingerDisplayList.empty()) placed.insert(list.begin(), list.end());
    for (std::size_t i = 0; i < SingerDisplayList.size(); ++i) {
        if (placed.count(SingerDisplayList[i])) continue;
        list.push_back(std::move(SingerDisplayList[i]));
        languages.push_back(std::move(SingerDisplayLanguages[i]));
    }
    SingerDisplayList = std::move(list);
    SingerDisplayLanguages = std::move(languages);
}

SingerDisplayBatch::SingerDisplayBatch() { ++batchDepth; }

SingerDisplayBatch::~SingerDisplayBatch() {
    if (--batchDepth == 0) ApplyPending();
}

void LoadSingerBin() {
    std::string text;
    if (!ReadFileBytes(PathIn(AppDir, "singer.bin"), text)) text.clear();
    LoadSingerBinText(text);
}

void LoadSingerBinText(const std::string& text) {
    SingerNames.clear();
    SingerLanguageCodes.clear();
    SingerClassCodes.clear();
    ZhuyinCharList.clear();
    ZhuyinKeyList.clear();
    ++ZhuyinTableGeneration;

    bool inCharacters = false;
    for (const std::string_view line : SplitLines(text)) {
        if (inCharacters) {
            ZhuyinCharList.push_back(
                std::string{ByteOfTriple(Field(line, 6, 3)), ByteOfTriple(Field(line, 3, 3))});
            ZhuyinKeyList.push_back(std::string(1, ByteOfTriple(Field(line, 0, 3))));
        } else if (line == kSeparator) {
            inCharacters = true;
        } else {
            SingerNames.push_back(TrimTrailingBlanks(Field(line, 0, kNameWidth)));
            SingerLanguageCodes.push_back(Field(line, kLanguageColumn, 1));
            SingerClassCodes.push_back(CatalogueClassCode(Field(line, kClassColumn, 1)));
        }
    }
}

void BuildSingerDisplayList() {
    SingerDisplayBatch batch;
    SingerDisplayList.clear();
    SingerDisplayLanguages.clear();
    pending.clear();
    for (std::size_t i = 0; i < SingerNames.size(); ++i)
        AddSingerDisplayEntry(SingerNames[i], SafeStrToInt(SingerClassCodes[i]),
                              SafeStrToInt(SingerLanguageCodes[i]));
}

void AddSingerDisplayEntry(const std::string& singer, int classCode, int languageCode) {
    std::string entry = singer + "(" + SingerClassNameOfCode(classCode) + ")";
    std::string language = std::to_string(languageCode);
    if (batchDepth > 0) {
        pending.emplace_back(std::move(entry), std::move(language));
        return;
    }
    const auto found = std::find(SingerDisplayList.begin(), SingerDisplayList.end(), entry);
    if (found != SingerDisplayList.end()) {
        // Move it to the top: rotating shifts only the entries above it.
        const auto index = found - SingerDisplayList.begin();
        std::rotate(SingerDisplayList.begin(), found, found + 1);
        const auto lang = SingerDisplayLanguages.begin() + index;
        std::rotate(SingerDisplayLanguages.begin(), lang, lang + 1);
        SingerDisplayLanguages.front() = std::move(language);
        return;
    }
    SingerDisplayList.insert(SingerDisplayList.begin(), std::move(entry));
    SingerDisplayLanguages.insert(SingerDisplayLanguages.begin(), std::move(language));
}

void FillSingerComboBox() { TheSongView().SetSingerItems(SingerDisplayList); }

}  // namespace qv
