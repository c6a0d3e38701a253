#pragma once
// Turns a media file's path into the values of a new song (name, singer, singer class, language), and the
// singer recognition and duet splitting shared with the index writers. All texts Big5 unless noted.
#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <string>
#include <vector>

#include "catalogue/SingerPair.h"  // SplitSingerPair, SplitSingerWords

namespace qv {

// The name-form settings the parser needs; the caller fills them from the settings store.
struct NameParseSettings {
    int songNameFormat = 0;                                         // SongNameFormat 0..8
    std::array<int, 8> selfDefine{-1, -1, -1, -1, -1, -1, -1, -1};  // SelfDefine1..SelfDefine8
};

// In and out: a routine leaves the outputs it does not set as the caller gave them.
struct ParsedSongName {
    bool recognised = false;
    std::string name;
    int language = 5;     // 1..9
    int singerClass = 5;  // 1..8
    std::string singer;
};

struct SingerMatch {
    std::string text;  // from the earliest start of a known singer to the furthest end of one
    int language = 5;
    int singerClass = 5;
    int position = 0;  // 1-based start; 0 when no known singer occurs
};

struct TextMark {
    int position = 0;  // 1-based; 0 when none occurs
    int number = 0;    // 1-based number in its table
    int length = 0;    // bytes of the mark
};

struct DuetSingers {
    std::string first;
    std::string second;
    int firstClass = 1;
    int secondClass = 2;
};

// Word tables: the first entry (in table order) that occurs wins; 5 when none does.
int SexWordClass(const std::string& text);
int LanguageWordCode(const std::string& text);

SingerMatch FindSingerInText(const std::string& text);
// FindSingerInText's answers for many texts while the singer lists stay as they are: the known singers
// are grouped by their first two bytes, so a text is compared only with those that may start in it.
class SingerFinder {
public:
    SingerFinder();  // over the singer display list and the singer table as they are now
    SingerMatch Find(const std::string& text) const;

private:
    // [0] display entries, [1] singer table names: by the first byte for one-byte names (and display
    // entries whose name is one byte), else by the first two bytes.
    std::vector<uint32_t> byByte_[2][256];
    std::unordered_map<uint16_t, std::vector<uint32_t>> byPair_[2];
};
DuetSingers SplitDuetSingers(const std::string& text);
// The same with another singer search (one that remembers its answers, for walks over many duets).
DuetSingers SplitDuetSingers(const std::string& text,
                             const std::function<SingerMatch(const std::string&)>& findSinger);
std::string StripTrackNumber(const std::string& text, int mode);
TextMark FindNameSeparator(const std::string& text);
TextMark FindSingerJoiner(const std::string& text);
std::string NormalizeWideSpacing(const std::string& text);

// The form routines; text forms take the cleaned file name, folder forms the whole Big5 path ("/" between
// folders).
void ParseOriginalFileName(const std::string& text, ParsedSongName& out);
void ParseFieldFileName(const std::string& text, ParsedSongName& out);
void ParseLanguageSexFolders(const std::string& path, ParsedSongName& out);
void ParseSexLanguageFolders(const std::string& path, ParsedSongName& out);
void ParseSingerFolders(const std::string& path, ParsedSongName& out);
void ParseCustomFolders(const std::string& path, const NameParseSettings& settings, ParsedSongName& out);
void ParseCustomFileName(const std::string& text, const NameParseSettings& settings, ParsedSongName& out);

// path is a Linux path (UTF-8); it is converted to Big5 before parsing. Returns out.recognised.
bool ParseSongFileName(const std::string& utf8Path, const NameParseSettings& settings, ParsedSongName& out);
// The same for a path that is already Big5.
bool ParseSongFileNameBig5(const std::string& path, const NameParseSettings& settings, ParsedSongName& out);

}  // namespace qv
