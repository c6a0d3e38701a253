#include "catalogue/CharTw.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"

namespace qv {
namespace {

constexpr unsigned char kBlank = 0x20;
constexpr unsigned char kWideBlankLead = 0xA1;
constexpr unsigned char kWideBlankTrail = 0x40;

unsigned char At(const std::string& text, size_t i) { return static_cast<unsigned char>(text[i]); }

// Length of the character starting at i: 2 for a lead byte with a byte after it, else 1 (a lone lead
// byte at the end is a cut character of one byte).

bool IsSingleByteChar(const std::string& text, size_t i) { return !IsBig5LeadByte(At(text, i)); }

bool IsBlankAt(const std::string& text, size_t i) {
    if (At(text, i) == kBlank) return true;
    return At(text, i) == kWideBlankLead && i + 1 < text.size() && At(text, i + 1) == kWideBlankTrail;
}

bool ReplaceFirstAligned(std::string& text, const std::string& what, const std::string& with) {
    size_t pos = FindAligned(text, what);
    if (pos == std::string::npos) return false;
    text.replace(pos, what.size(), with);
    return true;
}

struct StrokeRange {
    unsigned lo, hi;
    int strokes;
};

constexpr StrokeRange kStrokeRanges[] = {
    {0xA440, 0xA441, 1},  {0xA442, 0xA453, 2},  {0xC940, 0xC944, 2},  {0xA454, 0xA47E, 3},
    {0xC945, 0xC94C, 3},  {0xA4A1, 0xA4FD, 4},  {0xC94D, 0xC962, 4},  {0xA4FE, 0xA5DF, 5},
    {0xC963, 0xC9AA, 5},  {0xA5E0, 0xA6E9, 6},  {0xC9AB, 0xCA59, 6},  {0xA6EA, 0xA8C2, 7},
    {0xCA5A, 0xCBB0, 7},  {0xA260, 0xA260, 8},  {0xA8C3, 0xAB44, 8},  {0xCBB1, 0xCDDC, 8},
    {0xA259, 0xA259, 9},  {0xAB45, 0xADBB, 9},  {0xCDDD, 0xD0C7, 9},  {0xF9DA, 0xF9DA, 9},
    {0xA25A, 0xA25A, 10}, {0xADBC, 0xB0AD, 10}, {0xD0C8, 0xD44A, 10}, {0xA25B, 0xA25C, 11},
    {0xB0AE, 0xB3C2, 11}, {0xD44B, 0xD850, 11}, {0xB3C3, 0xB6C2, 12}, {0xD851, 0xDCB0, 12},
    {0xF9DB, 0xF9DB, 12}, {0xA25D, 0xA25D, 13}, {0xA25F, 0xA25F, 13}, {0xB6C3, 0xB9AB, 13},
    {0xC6A1, 0xC6A1, 13}, {0xDCB1, 0xE0EF, 13}, {0xF9D6, 0xF9D6, 13}, {0xF9D8, 0xF9D8, 13},
    {0xB9AC, 0xBBF4, 14}, {0xE0F0, 0xE4E5, 14}, {0xF9DC, 0xF9DC, 14}, {0xA261, 0xA261, 15},
    {0xBBF5, 0xBEA6, 15}, {0xE4E6, 0xE8F3, 15}, {0xA25E, 0xA25E, 16}, {0xBEA7, 0xC074, 16},
    {0xE8F4, 0xECB8, 16}, {0xF9D7, 0xF9D7, 16}, {0xF9D9, 0xF9D9, 16}, {0xC075, 0xC24E, 17},
    {0xECB9, 0xEFB6, 17}, {0xC24F, 0xC35E, 18}, {0xEFB7, 0xF1EA, 18}, {0xC35F, 0xC454, 19},
    {0xF1EB, 0xF3FC, 19}, {0xC455, 0xC4D6, 20}, {0xF3FD, 0xF5BF, 20}, {0xC4D7, 0xC56A, 21},
    {0xF5C0, 0xF6D5, 21}, {0xC56B, 0xC5C7, 22}, {0xF6D6, 0xF7CF, 22}, {0xC5C8, 0xC5F0, 23},
    {0xF7D0, 0xF8A4, 23}, {0xC5F1, 0xC654, 24}, {0xF8A5, 0xF8ED, 24}, {0xC655, 0xC664, 25},
    {0xF8EE, 0xF96A, 25}, {0xC665, 0xC66B, 26}, {0xF96B, 0xF9A1, 26}, {0xC66C, 0xC675, 27},
    {0xF9A2, 0xF9B9, 27}, {0xC676, 0xC678, 28}, {0xF9BA, 0xF9C5, 28}, {0xC679, 0xC67C, 29},
    {0xF9C7, 0xF9CB, 29}, {0xC67D, 0xC67D, 30}, {0xF9CC, 0xF9CF, 30}, {0xF9D0, 0xF9D0, 31},
    {0xC67E, 0xC67E, 32}, {0xF9D1, 0xF9D1, 32}, {0xF9C6, 0xF9C6, 33}, {0xF9D2, 0xF9D2, 33},
    {0xF9D3, 0xF9D3, 35}, {0xF9D4, 0xF9D4, 36}, {0xF9D5, 0xF9D5, 48},
};

// Printable ASCII other than blank, digits, letters and the back-quote.
bool IsWordPunctuation(unsigned char b) {
    return (b >= 0x21 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x5F) ||
           (b >= 0x7B && b <= 0x7E);
}

int CountWordsOf(const std::string& t) {
    enum class State { Single, Double, Blank };
    const size_t n = t.size();
    size_t pos = 0;
    while (pos < n && At(t, pos) == kBlank) ++pos;
    if (pos == n) return 0;
    int words = 1;
    State state = IsBig5LeadByte(At(t, pos)) ? State::Double : State::Single;
    ++pos;  // on the trail byte of a double-byte word, or past a single byte
    auto skipPunctuation = [&] {
        while (pos < n && IsWordPunctuation(At(t, pos))) ++pos;
    };
    while (pos < n) {
        if (state == State::Double) ++pos;  // step off the trail byte
        skipPunctuation();
        if (pos >= n) break;
        unsigned char b = At(t, pos);
        if (IsBig5LeadByte(b)) {
            ++words;
            state = State::Double;
        } else if (b == kBlank) {
            state = State::Blank;
        } else if (state != State::Single) {
            ++words;
            state = State::Single;
        }
        ++pos;
    }
    return words;
}

template <size_t N>
std::array<std::string, N> ToBig5(const std::array<const char*, N>& utf8) {
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i) out[i] = B5(utf8[i]);
    return out;
}

template <size_t N>
int CodeOfName(const std::array<std::string, N>& names, const std::string& name) {
    for (size_t i = 0; i < N; ++i) {
        if (names[i] == name) return static_cast<int>(i) + 1;
    }
    return 5;
}

template <size_t N>
const std::string& NameOfCode(const std::array<std::string, N>& names, int code) {
    if (code < 1 || code > static_cast<int>(N)) code = 5;
    return names[static_cast<size_t>(code) - 1];
}

// Bracket groups inside bracket groups: repeat until a whole pass changes nothing.
template <size_t N>
std::string RemoveBracketsUntilStable(std::string text,
                                      const std::array<std::pair<std::string, std::string>, N>& marks) {
    for (;;) {
        std::string before = text;
        for (const auto& [open, close] : marks) text = RemoveDelimited(text, open, close);
        if (text == before) return text;
    }
}

void CollectBelow(std::vector<std::string>& list, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());  // readdir order is arbitrary; keep runs repeatable
    for (const std::string& name : names) {
        std::string path = PathIn(folder, name);
        fs::file_status own = fs::symlink_status(path, ec);
        if (fs::is_directory(own)) {
            CollectBelow(list, path);
        } else if (fs::is_symlink(own) && fs::is_directory(fs::status(path, ec))) {
            continue;  // a link back up the tree would never end
        } else {
            list.push_back(path);
        }
    }
}

}  // namespace

size_t Big5CharLength(const std::string& text, size_t i) {
    return IsBig5LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

size_t FindAligned(const std::string& text, const std::string& needle, size_t from) {
    if (needle.empty() || needle.size() > text.size()) return std::string::npos;
    const size_t last = text.size() - needle.size();
    for (size_t i = 0; i <= last; i += Big5CharLength(text, i))
        if (i >= from && text.compare(i, needle.size(), needle) == 0) return i;
    return std::string::npos;
}

bool IsBig5LeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool IsBig5LeadByteEx(unsigned char b) { return IsBig5LeadByte(b) || b == 0xC6 || b == 0xC7; }

int Big5StrokeCountOfFirstChar(const std::string& text) {
    if (text.size() < 2 || !IsBig5LeadByte(At(text, 0))) return 0;
    unsigned code = At(text, 0) * 256u + At(text, 1);
    for (const StrokeRange& r : kStrokeRanges) {
        if (code >= r.lo && code <= r.hi) return r.strokes;
    }
    return 0;
}

int CountSongWords(const std::string& name) {
    std::string t = RemoveBracketGroups(name);
    int digits = RemoveAsciiDigits(t);
    int result = CountWordsOf(t) + digits;
    return result == 0 ? 1 : result;
}

std::string TrimLeadingBlanks(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlankAt(text, i)) i += Big5CharLength(text, i);
    return text.substr(i);
}

std::string TrimTrailingBlanks(const std::string& text) {
    size_t keep = 0;
    for (size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) {
        if (!IsBlankAt(text, i)) keep = i + Big5CharLength(text, i);
    }
    return text.substr(0, keep);
}

std::string TrimBlanks(const std::string& text) { return TrimLeadingBlanks(TrimTrailingBlanks(text)); }

std::string TrimAndCutName(const std::string& text, int width) {
    std::string t = TrimLeadingBlanks(text);
    t.resize(std::min(t.size(), static_cast<size_t>(std::max(width, 0))));
    return TrimTrailingBlanks(FixTruncatedDbcsTail(t));
}

std::string FixTruncatedDbcsTail(const std::string& text) {
    std::string out = text;
    size_t i = 0;
    while (i < out.size() && i + Big5CharLength(out, i) < out.size()) i += Big5CharLength(out, i);
    if (i + 1 == out.size() && IsBig5LeadByte(At(out, i))) out[i] = ' ';
    return out;
}

bool ContainsDbcs(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return IsBig5LeadByte(static_cast<unsigned char>(c)); });
}

bool IsValidSongText(const std::string& text) {
    for (size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) {
        unsigned char b = At(text, i);
        if (!IsSingleByteChar(text, i)) continue;
        if (b < 0x20 || b == 0x5E || b >= 0x7F) return false;
    }
    return true;
}

std::string ReplaceSingleByteChar(const std::string& text, char from, char to) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); i += Big5CharLength(out, i)) {
        if (IsSingleByteChar(out, i) && out[i] == from) out[i] = to;
    }
    return out;
}

int PosCharDbcs(const std::string& text, int start, char byte) {
    size_t i = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    for (; i < text.size(); i += Big5CharLength(text, i)) {
        if (IsSingleByteChar(text, i) && text[i] == byte) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string StripParenSuffix(const std::string& text) {
    size_t close = text.rfind(')');
    if (close == std::string::npos || close == 0) return text;
    size_t open = text.rfind('(', close - 1);
    if (open == std::string::npos) return text;
    return text.substr(0, open);
}

std::string RemoveDelimited(const std::string& text, const std::string& open, const std::string& close) {
    const size_t n = open.size();
    if (n == 0 || close.empty()) return text;
    size_t openPos = std::string::npos;
    size_t closeEnd = std::string::npos;
    size_t i = 0;
    while (i < text.size()) {
        if (openPos == std::string::npos) {
            if (text.compare(i, n, open) == 0) {
                openPos = i;
                i += n;
                continue;
            }
        } else if (text.compare(i, close.size(), close) == 0) {
            // The close mark's own length: one shorter than the open mark must not reach past the end.
            closeEnd = i + close.size();
        }
        i += Big5CharLength(text, i);
    }
    if (openPos == std::string::npos || closeEnd == std::string::npos) return text;
    return text.substr(0, openPos) + text.substr(closeEnd);
}

std::string RemoveBracketGroups(const std::string& text) {
    static const std::array<std::pair<std::string, std::string>, 4> marks = {{
        {B5("（"), B5("）")},
        {"{", "}"},
        {"(", ")"},
        {"[", "]"},
    }};
    // Most names hold no bracket: every open mark needs one of these bytes ("（" is A1 5D).
    if (text.find_first_of("({[\xA1") == std::string::npos) return text;
    return RemoveBracketsUntilStable(text, marks);
}

std::string StripFileNameTags(const std::string& text) {
    static const std::array<std::string, 8> tags = {B5("_國_"), B5("_台_"), B5("_閩_"), B5("_粵_"),
                                                    B5("_英_"), B5("_兒_"), "_vR_",     "_vL_"};
    static const std::array<std::string, 2> makers = {B5("瑞影"), B5("揚聲")};
    std::string t = text;
    for (const std::string& tag : tags) ReplaceFirstAligned(t, tag, "__");
    for (const std::string& word : makers) ReplaceFirstAligned(t, word, "");
    while (ReplaceFirstAligned(t, "__", "_")) {
    }
    return t;
}

std::string CleanFileNameTitle(const std::string& text) {
    static const std::array<std::pair<std::string, std::string>, 3> marks = {{
        {"(", ")"},
        {"[", "]"},
        {"{", "}"},
    }};
    return StripFileNameTags(RemoveBracketsUntilStable(text, marks));
}

int RemoveAsciiDigits(std::string& text) {
    std::string out;
    out.reserve(text.size());
    int removed = 0;
    for (size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) {
        if (IsSingleByteChar(text, i) && text[i] >= '0' && text[i] <= '9') {
            ++removed;
            continue;
        }
        out.append(text, i, Big5CharLength(text, i));
    }
    text = std::move(out);
    return removed;
}

std::string RepeatChar(char c, int n) {
    return n <= 0 ? std::string() : std::string(static_cast<size_t>(n), c);
}

// Leading blanks are allowed and trailing ones are not, as with the conversion the stored lists were
// written against; then an optional sign and decimal digits within 32 bits.
namespace {

// The value of a text IsInteger accepts: blanks, a sign, decimal digits, within int.
std::optional<int> IntegerOf(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size()) return std::nullopt;
    for (size_t j = i; j < text.size(); ++j) {
        if (text[j] < '0' || text[j] > '9') return std::nullopt;
    }
    long long value = 0;
    if (text.size() - i > 18) {
        // Too many digits to add up without overflow.
        errno = 0;
        value = std::strtoll(text.c_str(), nullptr, 10);
        if (errno == ERANGE) return std::nullopt;
    } else {
        for (size_t j = i; j < text.size(); ++j) value = value * 10 + (text[j] - '0');
        if (negative) value = -value;
    }
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

bool IsInteger(const std::string& text) { return IntegerOf(text).has_value(); }

int SafeStrToInt(const std::string& text) { return IntegerOf(text).value_or(0); }

std::string LowerCaseBig5(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); i += Big5CharLength(out, i)) {
        if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

const std::array<std::string, 9>& LanguageNames() {
    static const std::array<std::string, 9> names =
        ToBig5<9>({"國語", "台語", "粵語", "英語", "其他", "日語", "客語", "越語", "兒歌"});
    return names;
}

const std::array<std::string, 8>& SingerClassNames() {
    static const std::array<std::string, 8> names =
        ToBig5<8>({"男歌手", "女歌手", "團體歌手", "外語歌手", "其他", "雙人對唱", "樂隊組合", "特殊歌星"});
    return names;
}

int LanguageCodeOfName(const std::string& name) { return CodeOfName(LanguageNames(), name); }

int SingerClassCodeOfName(const std::string& name) { return CodeOfName(SingerClassNames(), name); }

const std::string& LanguageNameOfCode(int code) { return NameOfCode(LanguageNames(), code); }

const std::string& SingerClassNameOfCode(int code) { return NameOfCode(SingerClassNames(), code); }

std::string ValidFontSize(const std::string& value, const std::string& defaultValue) {
    static const std::array<const char*, 8> sizes = {"14", "16", "18", "20", "22", "24", "26", "28"};
    for (const char* s : sizes) {
        if (value == s) return value;
    }
    return defaultValue;
}

void CollectFilesRecursive(std::vector<std::string>& list, const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        CollectBelow(list, path);
    } else {
        list.push_back(path);
    }
}

}  // namespace qv
