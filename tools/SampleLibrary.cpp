#include "tools/SampleLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>

#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "library/AddSong.h"
#include "resources/ShippedData.h"
#include "settings/Settings.h"
#include "library/SongFiles.h"

namespace qv::sample {
namespace {

// Raw engine output only (no std distributions): the same numbers with every standard library.
class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<uint32_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }
    int Between(int low, int high) { return low + Below(high - low + 1); }

private:
    std::mt19937 engine_;
};

// Everyday words of song titles (UTF-8 here, Big5 in the library).
const char* const kTitleWords[] = {
    "愛",   "你",   "我",   "他",   "心",     "夢",   "雨",   "風",   "月亮", "星星", "天空", "大海", "春天",
    "夏天", "秋天", "冬天", "思念", "回憶",   "永遠", "今夜", "明天", "昨天", "離開", "等待", "相信", "幸福",
    "眼淚", "微笑", "朋友", "情人", "故鄉",   "家",   "花",   "時光", "青春", "溫柔", "寂寞", "快樂", "傷心",
    "再見", "一生", "一起", "最後", "第一次", "告白", "約定", "承諾", "唯一", "勇氣", "自由", "飛翔", "流浪",
    "城市", "街頭", "路口", "車站", "海邊",   "山上", "小雨", "晴天", "彩虹", "燈火", "夜空", "黃昏", "黎明",
    "季節", "遠方", "旅行", "歸來", "思鄉",   "故事", "秘密", "心事", "心願", "願望", "祝福", "歌聲", "舞曲",
    "情歌", "戀曲", "童話", "美麗", "可愛",   "溫暖", "孤單", "難忘", "不要", "不再", "還是", "如果", "只要",
    "為了", "沒有", "就是", "的",   "我們",   "你們", "愛情", "夜晚", "早晨", "玫瑰", "蝴蝶", "白雲", "藍天",
    "紅塵", "人生", "世界", "天涯", "海角",   "光陰", "歲月", "相逢", "離別", "重逢", "月光", "陽光", "雪花",
    "落葉", "清風", "細雨", "長夜", "舊夢",   "新娘", "媽媽", "爸爸", "寶貝", "姑娘", "少年",
};
const char* const kLatinWords[] = {"Love",  "Story", "My",    "Heart", "Will", "Go",    "On",   "Yesterday",
                                   "Hello", "Rain",  "Night", "Dream", "Baby", "Angel", "Blue", "Forever",
                                   "Time",  "Sweet", "Home",  "Star",  "Fire", "Moon",  "Kiss", "Tonight"};
// Common surnames and given-name characters: plausible names, not anyone's in particular.
const char* const kSurnames[] = {"陳", "林", "黃", "張", "李", "王", "吳", "劉", "蔡", "楊",
                                 "許", "鄭", "謝", "郭", "洪", "曾", "邱", "廖", "賴", "周",
                                 "徐", "蘇", "葉", "莊", "呂", "江", "何", "蕭", "羅", "高"};
const char* const kGivenChars[] = {"志", "明", "家", "豪", "俊", "傑", "建", "宏", "文", "雅", "婷", "怡",
                                   "君", "淑", "芬", "美", "玲", "佳", "穎", "欣", "宜", "惠", "嘉", "慧",
                                   "偉", "哲", "宇", "翔", "冠", "廷", "心", "如", "安", "小", "芳", "華",
                                   "承", "恩", "子", "涵", "依", "晴", "信", "誠", "育"};
const char* const kGiven[] = {"Mary", "Jay", "Amy", "Tom", "Eric", "Coco", "Ken", "Lisa", "Sam", "Ivy"};
const char* const kFamily[] = {"Lin", "Chen", "Wang", "Lee", "Chang", "Wu", "Tsai", "Huang"};

template <size_t N>
std::string Pick(Random& r, const char* const (&words)[N]) {
    return Utf8ToBig5(words[r.Below(static_cast<int>(N))]);
}

std::string TitleWords(Random& r, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += Pick(r, kTitleWords);
    return out;
}

std::string LatinWords(Random& r, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += kLatinWords[r.Below(std::size(kLatinWords))];
    }
    return out;
}

std::string SongName(Random& r) {
    const int kind = r.Below(100);
    if (kind < 70) return TitleWords(r, r.Between(2, 4));
    if (kind < 88) return LatinWords(r, r.Between(1, 5));
    if (kind < 95) return TitleWords(r, r.Between(1, 3)) + " " + LatinWords(r, 1);
    return TitleWords(r, r.Between(1, 3)) + "(Live)";
}

std::vector<std::string> SingerPool(Random& r) {
    std::vector<std::string> pool;
    for (int i = 0; i < 3000; ++i) {
        if (r.Percent(85)) {
            std::string name = Pick(r, kSurnames) + Pick(r, kGivenChars);
            if (r.Percent(85)) name += Pick(r, kGivenChars);
            pool.push_back(std::move(name));
        } else {
            pool.push_back(std::string(kGiven[r.Below(std::size(kGiven))]) + " " +
                           kFamily[r.Below(std::size(kFamily))]);
        }
    }
    return pool;
}

// The reading codes as the add panel makes them from a name, with the shipped character and kana tables
// and the default settings; the program's own singer and character tables are back in place when it goes
// (its kana table is always the shipped one).
class ShippedReadingTables {
public:
    ShippedReadingTables()
        : names_(SingerNames),
          languages_(SingerLanguageCodes),
          classes_(SingerClassCodes),
          chars_(ZhuyinCharList),
          keys_(ZhuyinKeyList),
          pingYing_(setup::PingYing) {
        LoadSingerBinText(ShippedSingerBin());
        BuildJapaneseTables(ShippedJapaneseTable());
        setup::PingYing = 0;
    }
    ~ShippedReadingTables() {
        SingerNames = std::move(names_);
        SingerLanguageCodes = std::move(languages_);
        SingerClassCodes = std::move(classes_);
        ZhuyinCharList = std::move(chars_);
        ZhuyinKeyList = std::move(keys_);
        ++ZhuyinTableGeneration;
        setup::PingYing = pingYing_;
    }
    ShippedReadingTables(const ShippedReadingTables&) = delete;
    ShippedReadingTables& operator=(const ShippedReadingTables&) = delete;

private:
    std::vector<std::string> names_, languages_, classes_, chars_, keys_;
    int pingYing_;
};

std::string Mark(Random& r, int percent) { return r.Percent(percent) ? "*" : ""; }

const char kVolumes[] = "123456789ABCDEF";

}  // namespace

std::vector<FieldList> SampleSongs(int count) {
    Random r(20240611);
    const std::vector<std::string> singers = SingerPool(r);
    std::vector<FieldList> songs;
    const ShippedReadingTables tables;
    count = std::clamp(count, 0, FullDiskSongs);
    songs.reserve(count);
    for (int i = 0; i < count; ++i) {
        FieldList f(SongFieldCount);
        f[colSongNo] = ZeroPad3(1 + i / 80) + ZeroPad3(1 + i % 80).substr(1);
        f[colSongName] = SongName(r);
        const bool duet = r.Percent(8);
        if (duet) {
            // Two Chinese names, stored as adding a song stores a duet: the blank between them doubled.
            auto chinese = [&] {
                for (;;) {
                    const std::string& s = singers[r.Below(singers.size())];
                    if (s.size() <= 6 && static_cast<unsigned char>(s[0]) >= 0x80) return s;
                }
            };
            const std::string a = chinese();
            std::string b = chinese();
            while (b == a) b = chinese();
            f[colSinger] = NormalizeWideSpacing(a + " " + b);
        } else {
            f[colSinger] = singers[r.Below(singers.size())];
        }
        f[colSingerPriority] = r.Percent(10) ? std::to_string(r.Between(1, 9)) : "";
        // 6 is the duets' class: a single singer gets any other.
        int singerClass = r.Percent(80) ? r.Between(1, 3) : r.Between(4, 7);
        if (singerClass >= 6) ++singerClass;
        f[colSingerClass] = duet ? "6" : std::to_string(singerClass);
        const int lang = r.Below(100);
        f[colLanguage] = std::to_string(lang < 50   ? 1
                                        : lang < 70 ? 2
                                        : lang < 78 ? 3
                                        : lang < 88 ? 4
                                                    : r.Between(5, 9));
        // As the add panel fills them in from the name (its language buttons count from 0).
        const NameCodes codes = CodesForName(f[colSongName], SafeStrToInt(f[colLanguage]) - 1);
        f[colWordCount] = std::to_string(codes.wordIndex + 1);
        f[colPinyin] = TrimAndCutName(codes.pinyin, SongFieldWidths[colPinyin]);
        f[colStrokes] = codes.strokes;
        f[colNewMark] = r.Percent(5) ? "*" : r.Percent(3) ? "@" : "";
        f[colSpecialDel] = r.Percent(1) ? "X" : "";
        for (int c = colPopular; c <= colForeignPhoto; ++c) f[c] = Mark(r, 5);
        f[colVolume] = r.Percent(30) ? std::string(1, kVolumes[r.Below(15)]) : "";
        f[colChannel] = r.Percent(40) ? (r.Percent(50) ? "0" : "1") : "";
        f[colSelfPlay] = Mark(r, 3);
        f[colDateAdded] = std::to_string(r.Between(2005, 2024)) + "/" + ZeroPad3(r.Between(1, 12)).substr(1) +
                          "/" + ZeroPad3(r.Between(1, 28)).substr(1);
        songs.push_back(std::move(f));
    }
    return songs;
}

namespace {

std::string WriteSongListOf(const std::string& folder, const std::vector<FieldList>& songs) {
    EnsureLineCipherTables();
    std::string bytes;
    bytes.reserve(songs.size() * SongRecordBytes);
    for (size_t i = 0; i < songs.size(); ++i) {
        bytes += EncodeLine(static_cast<int>(i), JoinSongRecord(songs[i]));
        bytes += "\r\n";
    }
    const std::string path = folder + "/song.qv2";
    if (!ReplaceFileContents(path, bytes)) return {};
    return path;
}

}  // namespace

std::string WriteSongList(const std::string& folder, int count) { return WriteSongListOf(folder, SampleSongs(count)); }

std::string TinyWav(int pitch) {
    constexpr uint32_t rate = 8000, samples = rate / 4;  // a quarter of a second
    auto le = [](std::string& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    std::string wav = "RIFF";
    le(wav, 36 + samples, 4);
    wav += "WAVEfmt ";
    le(wav, 16, 4);
    le(wav, 1, 2);     // PCM
    le(wav, 1, 2);     // mono
    le(wav, rate, 4);  // samples a second
    le(wav, rate, 4);  // bytes a second
    le(wav, 1, 2);     // bytes a sample frame
    le(wav, 8, 2);     // bits a sample
    wav += "data";
    le(wav, samples, 4);
    const double hertz = 220.0 * std::pow(2.0, (pitch % 24) / 12.0);
    const double pi = std::acos(-1.0);
    for (uint32_t n = 0; n < samples; ++n)
        wav += static_cast<char>(128 + static_cast<int>(60 * std::sin(2 * pi * hertz * n / rate)));
    return wav;
}

bool WriteSampleLibrary(const std::string& folder, int count, SampleMedia media) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::path(folder) / "song.qv2", error) || error) return false;
    fs::create_directories(folder, error);
    if (error) return false;
    const std::vector<FieldList> songs = SampleSongs(count);
    if (media != SampleMedia::None) {
        const bool tones = media == SampleMedia::Tones;
        for (size_t i = 0; i < songs.size(); ++i) {
            const FieldList& f = songs[i];
            const fs::path songFolder = fs::path(folder) / f[colSongNo].substr(0, 3);
            fs::create_directories(songFolder, error);
            const std::string name =
                MediaItemName(f[colSongNo], f[colVolume], f[colChannel], tones ? ".wav" : ".mpg");
            if (error) return false;
            // Plain writes: the song list comes last, so a library cut short is never taken for one.
            std::ofstream file(songFolder / name, std::ios::binary);
            if (tones) file << TinyWav(static_cast<int>(i));
            if (!file.flush()) return false;
        }
    }
    // The list last: a library that could not be finished is not taken for one.
    return !WriteSongListOf(folder, songs).empty();
}

}  // namespace qv::sample
