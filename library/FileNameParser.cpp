#include "library/FileNameParser.h"

#include <algorithm>
#include <bitset>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"
#include "catalogue/UserInterface.h"

namespace qv {

namespace {

struct Word {
    const char* utf8;
    int code;
};

constexpr Word kSexWords[] = {{"對", 6}, {"男", 1}, {"女", 2}, {"團", 3}, {"外", 4}};
constexpr Word kLanguageWords[] = {{"國", 1}, {"台", 2}, {"臺", 2}, {"粵", 3}, {"廣東", 3}, {"英", 4},
                                   {"日", 6}, {"客", 7}, {"越", 8}, {"兒", 9}, {"童", 9}};
constexpr const char* kNameSeparators[] = {"_", "-", " ", "　"};
constexpr const char* kSingerJoiners[] = {"&", "+", "、"};
constexpr const char* kTrackSeparators[] = {".", "_", "-", " ", "、", ","};

const std::string& UnknownSinger() { return B5("佚名"); }
const std::string& NoSongName() { return B5("無歌名"); }

int WordCode(const std::string& text, const Word* words, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
        if (FindAligned(text, B5(words[k].utf8)) != std::string::npos) return words[k].code;
    return 5;
}

template <std::size_t N>
TextMark FirstMarkInTableOrder(const std::string& text, const char* const (&table)[N]) {
    for (std::size_t k = 0; k < N; ++k) {
        const std::string& mark = B5(table[k]);
        std::size_t p = FindAligned(text, mark);
        if (p != std::string::npos)
            return {static_cast<int>(p) + 1, static_cast<int>(k) + 1, static_cast<int>(mark.size())};
    }
    return {};
}

std::string ReplaceAligned(const std::string& text, const std::string& from, const std::string& to,
                           bool firstOnly) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    bool done = false;
    while (i < text.size()) {
        if (!done && text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
            done = firstOnly;
            continue;
        }
        std::size_t n = Big5CharLength(text, i);
        out.append(text, i, n);
        i += n;
    }
    return out;
}

std::string AmpersandToBlank(const std::string& text) { return ReplaceAligned(text, "&", " ", false); }

std::string UpToFirstDot(const std::string& text) { return text.substr(0, FindAligned(text, ".")); }

// The name's "-" and "_": removed at either end, a blank inside; first "-", then "_".
std::string CleanNameMarks(std::string name) {
    for (const char* mark : {"-", "_"}) {
        for (std::size_t p; (p = FindAligned(name, mark)) != std::string::npos;) {
            if (p == 0 || p + 1 == name.size())
                name.erase(p, 1);
            else
                name[p] = ' ';
        }
    }
    return name;
}

std::string OrDefault(const std::string& text, const std::string& fallback) {
    return text.empty() ? fallback : text;
}

int ClampCode(int code, int last) { return code >= 1 && code <= last ? code : 5; }

int CodeAt(const std::vector<std::string>& list, std::size_t i, int last) {
    return i < list.size() ? ClampCode(SafeStrToInt(list[i]), last) : 5;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t p = path.find('/', start);  // never a Big5 trail byte
        parts.push_back(path.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) return parts;
        start = p + 1;
    }
}

// Folder `up` levels above the file part ("" when the path is not that deep).
const std::string& FolderAbove(const std::vector<std::string>& parts, std::size_t up) {
    static const std::string none;
    return parts.size() > up ? parts[parts.size() - 1 - up] : none;
}

// When no folder gave a class, the class of the singer if known.
int ClassOrSingerClass(int folderClass, const std::string& singer) {
    if (folderClass != 5) return folderClass;
    SingerMatch m = FindSingerInText(singer);
    return m.position > 0 ? m.singerClass : 5;
}

// Forms 0/8, rule (a): a joiner in the text before the singer joins that text to the singer.
void JoinFromBefore(std::string& before, std::string& singer, bool joinWhenNoSeparator) {
    TextMark j = FindSingerJoiner(before);
    if (!j.position) return;
    std::string head = before.substr(0, j.position - 1);
    TextMark s = FindNameSeparator(head);
    if (!s.position) {
        if (!joinWhenNoSeparator) return;
        singer = before + singer;
        before.clear();
        return;
    }
    singer = before.substr(s.position - 1 + s.length) + singer;
    before = head.substr(0, s.position - 1);
}

// Rule (b): a joiner in the text after the singer joins the following name to it.
void JoinFromAfter(std::string& after, std::string& singer, bool joinWhenNoSeparator) {
    TextMark j = FindSingerJoiner(after);
    if (!j.position) return;
    std::size_t restStart = j.position - 1 + j.length;
    std::string rest = after.substr(restStart);
    TextMark s = FindNameSeparator(rest);
    if (!s.position) {
        if (!joinWhenNoSeparator) return;
        singer += after;
        after.clear();
        return;
    }
    singer += after.substr(0, restStart + s.position - 1);
    after = rest.substr(s.position - 1 + s.length);
}

// Characters that start at an aligned place of a text: the single bytes and the byte pairs.
struct TextStarts {
    std::bitset<256> firstBytes;
    std::bitset<65536> pairs;
    explicit TextStarts(const std::string& text) {
        for (std::size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) {
            auto b = static_cast<unsigned char>(text[i]);
            firstBytes.set(b);
            if (i + 1 < text.size()) pairs.set(b * 256u + static_cast<unsigned char>(text[i + 1]));
        }
    }
    // False only when `candidate` cannot start anywhere in the text. For a display entry the name may be
    // one byte followed by its "(" class group.
    bool MayStart(const std::string& candidate, bool displayEntry) const {
        if (candidate.empty()) return false;
        auto b0 = static_cast<unsigned char>(candidate[0]);
        if (!firstBytes.test(b0)) return false;
        if (candidate.size() < 2 || (displayEntry && candidate[1] == '(')) return true;
        return pairs.test(b0 * 256u + static_cast<unsigned char>(candidate[1]));
    }
};

struct SingerSearch {
    const std::string& text;
    std::size_t bestStart = std::string::npos;
    std::size_t bestEnd = 0;
    SingerMatch result;

    // True when the name occurs and starts before every earlier find.
    bool Consider(const std::string& name) {
        if (name.empty()) return false;
        std::size_t p = FindAligned(text, name);
        if (p == std::string::npos) return false;
        bestEnd = std::max(bestEnd, p + name.size());
        if (bestStart != std::string::npos && p >= bestStart) return false;
        bestStart = p;
        return true;
    }
};

}  // namespace

int SexWordClass(const std::string& text) { return WordCode(text, kSexWords, std::size(kSexWords)); }

int LanguageWordCode(const std::string& text) {
    return WordCode(text, kLanguageWords, std::size(kLanguageWords));
}

TextMark FindNameSeparator(const std::string& text) { return FirstMarkInTableOrder(text, kNameSeparators); }

TextMark FindSingerJoiner(const std::string& text) { return FirstMarkInTableOrder(text, kSingerJoiners); }

namespace {

// The search over the display entries and the singer table names that `may` lets through (by index), in
// list order: later finds that start earlier win, as in the lists' own order.
template <typename MayDisplay, typename MayName>
SingerMatch SearchSingers(const std::string& text, MayDisplay mayDisplay, MayName mayName) {
    SingerSearch search{text, std::string::npos, 0, {}};
    if (text.empty()) return {};
    const auto& classNames = SingerClassNames();
    mayDisplay([&](std::size_t i) {
        const std::string& entry = SingerDisplayList[i];
        if (!search.Consider(StripParenSuffix(entry))) return;
        for (int k = 0; k < 8; ++k) {
            if (FindAligned(entry, "(" + classNames[k] + ")") != std::string::npos) {
                search.result.singerClass = k + 1;
                break;
            }
        }
        search.result.language = CodeAt(SingerDisplayLanguages, i, 9);
    });
    mayName([&](std::size_t i) {
        if (!search.Consider(SingerNames[i])) return;
        search.result.singerClass = CodeAt(SingerClassCodes, i, 8);
        search.result.language = CodeAt(SingerLanguageCodes, i, 9);
    });
    if (search.bestStart == std::string::npos) return {};
    search.result.text = text.substr(search.bestStart, search.bestEnd - search.bestStart);
    search.result.position = static_cast<int>(search.bestStart) + 1;
    return search.result;
}

// Whether a name is filed by its first byte alone (see SingerFinder).
bool FiledByFirstByte(const std::string& name, bool displayEntry) {
    return name.size() < 2 || (displayEntry && name[1] == '(');
}

uint16_t PairAt(const std::string& text, std::size_t i) {
    return static_cast<uint16_t>(static_cast<unsigned char>(text[i]) * 256u +
                                 static_cast<unsigned char>(text[i + 1]));
}

}  // namespace

SingerMatch FindSingerInText(const std::string& text) {
    const TextStarts starts(text);
    return SearchSingers(
        text,
        [&](const auto& consider) {
            for (std::size_t i = 0; i < SingerDisplayList.size(); ++i)
                if (starts.MayStart(SingerDisplayList[i], true)) consider(i);
        },
        [&](const auto& consider) {
            for (std::size_t i = 0; i < SingerNames.size(); ++i)
                if (starts.MayStart(SingerNames[i], false)) consider(i);
        });
}

SingerFinder::SingerFinder() {
    const std::vector<std::string>* lists[2] = {&SingerDisplayList, &SingerNames};
    for (int l = 0; l < 2; ++l) {
        const std::vector<std::string>& list = *lists[l];
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string& name = list[i];
            if (name.empty()) continue;
            if (FiledByFirstByte(name, l == 0))
                byByte_[l][static_cast<unsigned char>(name[0])].push_back(static_cast<uint32_t>(i));
            else
                byPair_[l][PairAt(name, 0)].push_back(static_cast<uint32_t>(i));
        }
    }
}

SingerMatch SingerFinder::Find(const std::string& text) const {
    // The names that may start at a character of the text, in list order: what the linear search
    // compares, without the rest.
    std::vector<uint32_t> candidates[2];
    std::bitset<256> bytes;
    for (std::size_t i = 0; i < text.size(); i += Big5CharLength(text, i)) {
        const auto b = static_cast<unsigned char>(text[i]);
        for (int l = 0; l < 2; ++l) {
            if (!bytes.test(b))
                candidates[l].insert(candidates[l].end(), byByte_[l][b].begin(), byByte_[l][b].end());
            if (i + 1 >= text.size()) continue;
            const auto pair = byPair_[l].find(PairAt(text, i));
            if (pair != byPair_[l].end())
                candidates[l].insert(candidates[l].end(), pair->second.begin(), pair->second.end());
        }
        bytes.set(b);
    }
    for (auto& c : candidates) {
        std::sort(c.begin(), c.end());
        c.erase(std::unique(c.begin(), c.end()), c.end());
    }
    auto over = [](const std::vector<uint32_t>& indices) {
        return [&indices](const auto& consider) {
            for (const uint32_t i : indices) consider(i);
        };
    };
    return SearchSingers(text, over(candidates[0]), over(candidates[1]));
}

DuetSingers SplitDuetSingers(const std::string& text) { return SplitDuetSingers(text, FindSingerInText); }

DuetSingers SplitDuetSingers(const std::string& text,
                             const std::function<SingerMatch(const std::string&)>& findSinger) {
    DuetSingers d;
    SplitSingerPair(text, d.first, d.second);
    SingerMatch first = findSinger(d.first);
    d.firstClass =
        first.position > 0 && first.singerClass != 5 && first.singerClass != 6 ? first.singerClass : 1;
    SingerMatch second = findSinger(d.second);
    if (second.position > 0 && second.singerClass != 5 && second.singerClass != 6)
        d.secondClass = second.singerClass;
    else
        d.secondClass = d.firstClass == 1 ? 2 : 1;
    return d;
}

std::string StripTrackNumber(const std::string& text, int mode) {
    std::string t = mode == 1 ? CleanFileNameTitle(text) : StripFileNameTags(text);
    for (const char* sep : kTrackSeparators) {
        const std::string& mark = B5(sep);
        std::size_t p = FindAligned(t, mark);
        if (p != std::string::npos && IsInteger(t.substr(0, p))) return t.substr(p + mark.size());
    }
    return t;
}

std::string NormalizeWideSpacing(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = Big5CharLength(text, i);
        if (text[i] == ' ' && i > 0 && text[i - 1] != ' ' && i + 1 < text.size() &&
            IsBig5LeadByte(static_cast<unsigned char>(text[i + 1])))
            out += ' ';
        out.append(text, i, n);
        i += n;
    }
    return out;
}

void ParseOriginalFileName(const std::string& text, ParsedSongName& out) {
    SingerMatch m = FindSingerInText(text);
    if (m.position == 0 && !ContainsDbcs(text)) {
        out = {true, OrDefault(text, NoSongName()), 4, 5, B5("英文歌")};
        return;
    }
    if (m.position > 0) {
        std::string singer = m.text;
        std::string before = text.substr(0, m.position - 1);
        std::string after = text.substr(m.position - 1 + singer.size());
        std::string name;
        if (before.empty()) {
            JoinFromAfter(after, singer, false);
            name = after;
        } else if (!after.empty()) {
            JoinFromBefore(before, singer, true);
            JoinFromAfter(after, singer, true);
            if (before.size() >= after.size()) {
                singer += after;
                name = before;
            } else {
                singer = before + singer;
                name = after;
            }
        } else {
            JoinFromBefore(before, singer, false);
            name = before;
        }
        TextMark j = FindSingerJoiner(singer);
        if (j.position) singer = ReplaceAligned(singer, B5(kSingerJoiners[j.number - 1]), " ", false);
        out = {true, OrDefault(CleanNameMarks(name), NoSongName()), m.language, m.singerClass, singer};
        return;
    }
    TextMark s = FindNameSeparator(text);
    if (!s.position) {
        out = {true, text, 1, 1, UnknownSinger()};
        return;
    }
    std::string before = text.substr(0, s.position - 1);
    std::string after = text.substr(s.position - 1 + s.length);
    out.recognised = false;
    out.singerClass = 1;
    out.language = 1;
    TextMark jb = FindSingerJoiner(before);
    TextMark ja = FindSingerJoiner(after);
    if (jb.position) {
        out.singer = ReplaceAligned(before, B5(kSingerJoiners[jb.number - 1]), " ", true);
        out.name = after;
    } else if (ja.position) {
        out.singer = ReplaceAligned(after, B5(kSingerJoiners[ja.number - 1]), " ", true);
        out.name = before;
    } else if (before.size() <= after.size()) {
        out.singer = before;
        out.name = after;
    } else {
        out.singer = after;
        out.name = before;
    }
}

void ParseFieldFileName(const std::string& text, ParsedSongName& out) {
    out = {false, text, 5, 5, UnknownSinger()};
    std::size_t u1 = FindAligned(text, "_");
    if (u1 == std::string::npos) return;
    out.name = OrDefault(text.substr(0, u1), NoSongName());
    std::size_t u2 = FindAligned(text, "_", u1 + 1);
    std::string singer =
        AmpersandToBlank(text.substr(u1 + 1, u2 == std::string::npos ? std::string::npos : u2 - u1 - 1));
    out.recognised = FindSingerInText(singer).position > 0;
    out.singer = OrDefault(singer, UnknownSinger());
    if (u2 == std::string::npos) return;
    std::size_t u3 = FindAligned(text, "_", u2 + 1);
    out.singerClass =
        SexWordClass(text.substr(u2 + 1, u3 == std::string::npos ? std::string::npos : u3 - u2 - 1));
    if (u3 != std::string::npos) out.language = LanguageWordCode(text.substr(u3 + 1));
}

namespace {

// Forms 2 and 3: the file part "name_singer.ext" under two word folders.
void ParseWordFolders(const std::string& path, std::size_t classUp, std::size_t languageUp,
                      ParsedSongName& out) {
    std::vector<std::string> parts = SplitPath(path);
    const std::string& file = parts.back();
    int folderClass = SexWordClass(FolderAbove(parts, classUp));
    out.language = LanguageWordCode(FolderAbove(parts, languageUp));
    out.singerClass = folderClass;
    out.name = OrDefault(UpToFirstDot(file), NoSongName());
    out.singer = UnknownSinger();
    out.recognised = false;
    std::size_t u = FindAligned(file, "_");
    if (u == std::string::npos) return;
    out.name = OrDefault(file.substr(0, u), NoSongName());
    std::string singer = AmpersandToBlank(UpToFirstDot(file.substr(u + 1)));
    SingerMatch m = FindSingerInText(singer);
    out.recognised = m.position > 0;
    out.singer = OrDefault(singer, UnknownSinger());
    if (folderClass == 5) out.singerClass = m.position > 0 ? m.singerClass : 5;
}

std::string SingerFromText(const std::string& text) {
    return OrDefault(ReplaceAligned(AmpersandToBlank(text), "_", " ", false), UnknownSinger());
}

}  // namespace

void ParseLanguageSexFolders(const std::string& path, ParsedSongName& out) {
    ParseWordFolders(path, 1, 2, out);
}

void ParseSexLanguageFolders(const std::string& path, ParsedSongName& out) {
    ParseWordFolders(path, 2, 1, out);
}

void ParseSingerFolders(const std::string& path, ParsedSongName& out) {
    std::vector<std::string> parts = SplitPath(path);
    out.language = LanguageWordCode(FolderAbove(parts, 3));
    out.singer = SingerFromText(FolderAbove(parts, 1));
    out.name = OrDefault(UpToFirstDot(parts.back()), NoSongName());
    out.singerClass = ClassOrSingerClass(SexWordClass(FolderAbove(parts, 2)), out.singer);
    out.recognised = true;
}

void ParseCustomFolders(const std::string& path, const NameParseSettings& settings, ParsedSongName& out) {
    const int fileLayout = settings.selfDefine[3];
    if (fileLayout == -1) {
        UI().ShowErrorBox(B5("自訂資料夾形式有誤!"));
        out.recognised = false;
        return;
    }
    std::vector<int> codes;
    for (int k = 0; k < 3; ++k)
        if (settings.selfDefine[k] != -1 && settings.selfDefine[k] != 0)
            codes.push_back(settings.selfDefine[k]);
    codes.push_back(fileLayout);
    std::vector<std::string> parts = SplitPath(path);

    // The file part first, so that a singer folder replaces a singer taken from the file name.
    const std::string& file = parts.back();
    std::string name = UpToFirstDot(file);
    std::string singer;
    if (fileLayout >= 1 && fileLayout <= 4) {
        std::size_t p = FindAligned(file, fileLayout % 2 == 1 ? "_" : "-");
        if (p != std::string::npos) {
            std::string before = file.substr(0, p);
            std::string rest = file.substr(p + 1);
            if (fileLayout <= 2) {
                singer = before;
                name = UpToFirstDot(rest);
            } else {
                name = before;
                singer = UpToFirstDot(rest);
            }
        }
    }
    int folderClass = 5;
    out.language = 5;
    std::size_t pairs = std::min(codes.size(), parts.size());
    for (std::size_t up = 1; up < pairs; ++up) {
        const std::string& folder = FolderAbove(parts, up);
        switch (codes[codes.size() - 1 - up]) {
            case 1:
                out.language = LanguageWordCode(folder);
                break;
            case 2:
                folderClass = SexWordClass(folder);
                break;
            case 3:
                singer = folder;
                break;
            default:
                break;
        }
    }
    out.name = OrDefault(name, NoSongName());
    out.singer = SingerFromText(singer);
    out.singerClass = ClassOrSingerClass(folderClass, out.singer);
    out.recognised = true;
}

void ParseCustomFileName(const std::string& text, const NameParseSettings& settings, ParsedSongName& out) {
    out = {true, NoSongName(), 5, 5, UnknownSinger()};
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 3) {
        std::size_t u = FindAligned(text, "_", start);
        if (u == std::string::npos) break;
        fields.push_back(text.substr(start, u - start));
        start = u + 1;
    }
    fields.push_back(text.substr(start));

    std::vector<int> codes;
    for (int k = 4; k < 8; ++k)
        if (settings.selfDefine[k] != -1 && settings.selfDefine[k] != 0)
            codes.push_back(settings.selfDefine[k]);
    int folderClass = 5;
    for (std::size_t k = 0; k < codes.size() && k < fields.size(); ++k) {
        const std::string& field = fields[k];
        switch (codes[k]) {
            case 1:
                out.language = LanguageWordCode(field);
                break;
            case 2:
                folderClass = SexWordClass(field);
                break;
            case 3:
                if (!field.empty()) out.singer = AmpersandToBlank(field);
                break;
            case 4:
                if (!field.empty()) out.name = field;
                break;
            default:
                break;
        }
    }
    out.singerClass = ClassOrSingerClass(folderClass, out.singer);
}

bool ParseSongFileNameBig5(const std::string& path, const NameParseSettings& settings, ParsedSongName& out) {
    std::size_t slash = path.rfind('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = file.rfind('.');  // never a Big5 trail byte
    if (dot != std::string::npos) file.erase(dot);
    file = ReplaceSingleByteChar(file, '-', '_');

    switch (settings.songNameFormat) {
        case 0:
            ParseOriginalFileName(StripTrackNumber(file, 1), out);
            break;
        case 1:
            ParseFieldFileName(file, out);
            break;
        case 2:
            ParseLanguageSexFolders(path, out);
            break;
        case 3:
            ParseSexLanguageFolders(path, out);
            break;
        case 4:
        case 5:
            ParseSingerFolders(path, out);
            break;
        case 6:
            ParseCustomFolders(path, settings, out);
            break;
        case 7:
            ParseCustomFileName(file, settings, out);
            break;
        case 8:
            ParseOriginalFileName(StripTrackNumber(file, 2), out);
            break;
        default:
            out.recognised = false;
            break;
    }
    return out.recognised;
}

bool ParseSongFileName(const std::string& utf8Path, const NameParseSettings& settings, ParsedSongName& out) {
    return ParseSongFileNameBig5(Utf8ToBig5(utf8Path), settings, out);
}

}  // namespace qv
