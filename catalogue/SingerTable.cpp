#include "catalogue/SingerTable.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "platform/SongView.h"

namespace qv {

std::vector<std::string> SingerNames;
std::vector<std::string> SingerLanguageCodes;
std::vector<std::string> SingerClassCodes;
std::vector<std::string> ZhuyinCharList;
std::vector<std::string> ZhuyinKeyList;
std::vector<std::string> SingerDisplayList;
std::vector<std::string> SingerDisplayLanguages;

namespace {

constexpr std::size_t kNameWidth = 30;
constexpr std::size_t kLanguageColumn = 30;  // 0-based
constexpr std::size_t kClassColumn = 32;
const std::string kSeparator(33, '#');

// Lines ended by CR LF, LF or CR; a final line break makes no empty line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// The file codes its singer classes its own way.
std::string CatalogueClassCode(const std::string& fileCode) {
    if (fileCode == "0") return "2";
    if (fileCode == "2") return "3";
    if (fileCode == "3") return "4";
    if (fileCode == "4") return "6";
    return fileCode;
}

std::string Field(const std::string& line, std::size_t pos, std::size_t len) {
    return pos < line.size() ? line.substr(pos, len) : std::string();
}

// One byte given as three decimal digits; anything that is no byte value counts 0.
char ByteOfTriple(const std::string& triple) {
    const int value = SafeStrToInt(triple);
    return static_cast<char>(value >= 0 && value <= 255 ? value : 0);
}

}  // namespace

void LoadSingerBin() {
    SingerNames.clear();
    SingerLanguageCodes.clear();
    SingerClassCodes.clear();
    ZhuyinCharList.clear();
    ZhuyinKeyList.clear();

    std::ifstream in(PathIn(AppDir, "singer.bin"), std::ios::binary);
    if (!in) return;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    bool inCharacters = false;
    for (const std::string& line : SplitLines(text)) {
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
    SingerDisplayList.clear();
    SingerDisplayLanguages.clear();
    for (std::size_t i = 0; i < SingerNames.size(); ++i)
        AddSingerDisplayEntry(SingerNames[i], SafeStrToInt(SingerClassCodes[i]),
                              SafeStrToInt(SingerLanguageCodes[i]));
}

void AddSingerDisplayEntry(const std::string& singer, int classCode, int languageCode) {
    std::string entry = singer + "(" + SingerClassNameOfCode(classCode) + ")";
    std::string language = std::to_string(languageCode);
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
