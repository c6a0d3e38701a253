#include "tools/SampleLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>

#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
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

// A character of the frequent block A440-C67E, with a valid trail byte.
std::string Hanzi(Random& r) {
    const int lead = r.Between(0xA4, 0xC5);
    int trail = r.Below(157);
    trail = trail < 63 ? 0x40 + trail : 0xA1 + (trail - 63);
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

std::string Hanzis(Random& r, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += Hanzi(r);
    return out;
}

const char* const kWords[] = {"Love",  "Story", "My",    "Heart", "Will", "Go",    "On",   "Yesterday",
                              "Hello", "Rain",  "Night", "Dream", "Baby", "Angel", "Blue", "Forever",
                              "Time",  "Sweet", "Home",  "Star",  "Fire", "Moon",  "Kiss", "Tonight"};
const char* const kGiven[] = {"Mary", "Jay", "Amy", "Tom", "Eric", "Coco", "Ken", "Lisa", "Sam", "Ivy"};
const char* const kFamily[] = {"Lin", "Chen", "Wang", "Lee", "Chang", "Wu", "Tsai", "Huang"};

std::string LatinWords(Random& r, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += kWords[r.Below(std::size(kWords))];
    }
    return out;
}

std::string SongName(Random& r) {
    const int kind = r.Below(100);
    if (kind < 70) return Hanzis(r, r.Between(2, 9));
    if (kind < 88) return LatinWords(r, r.Between(1, 5));
    if (kind < 95) return Hanzis(r, r.Between(2, 5)) + " " + LatinWords(r, 1);
    return Hanzis(r, r.Between(2, 6)) + "(Live)";
}

std::vector<std::string> SingerPool(Random& r) {
    std::vector<std::string> pool;
    for (int i = 0; i < 3000; ++i) {
        if (r.Percent(85))
            pool.push_back(Hanzis(r, r.Percent(80) ? 3 : r.Between(2, 4)));
        else
            pool.push_back(std::string(kGiven[r.Below(std::size(kGiven))]) + " " +
                           kFamily[r.Below(std::size(kFamily))]);
    }
    return pool;
}

std::string Mark(Random& r, int percent) { return r.Percent(percent) ? "*" : ""; }

const char kVolumes[] = "123456789ABCDEF";

}  // namespace

std::vector<FieldList> SampleSongs(int count) {
    Random r(20240611);
    const std::vector<std::string> singers = SingerPool(r);
    std::vector<FieldList> songs;
    count = std::clamp(count, 0, FullDiskSongs);
    songs.reserve(count);
    for (int i = 0; i < count; ++i) {
        FieldList f(SongFieldCount);
        f[colSongNo] = ZeroPad3(1 + i / 80) + ZeroPad3(1 + i % 80).substr(1);
        f[colSongName] = SongName(r);
        const int words = CountSongWords(f[colSongName]);
        f[colWordCount] = std::to_string(words > 10 ? 11 : words);
        for (int w = 0; w < std::min(words, 10); ++w) f[colPinyin] += static_cast<char>('A' + r.Below(26));
        const bool duet = r.Percent(8);
        if (duet) {
            // Two Chinese names: "甲&乙" stays within the singer field.
            auto chinese = [&] {
                for (;;) {
                    const std::string& s = singers[r.Below(singers.size())];
                    if (s.size() <= 6 && static_cast<unsigned char>(s[0]) >= 0x80) return s;
                }
            };
            const std::string a = chinese();
            std::string b = chinese();
            while (b == a) b = chinese();
            f[colSinger] = a + "&" + b;
        } else {
            f[colSinger] = singers[r.Below(singers.size())];
        }
        f[colSingerPriority] = r.Percent(10) ? std::to_string(r.Between(1, 9)) : "";
        f[colSingerClass] = duet ? "6" : std::to_string(r.Percent(80) ? r.Between(1, 3) : r.Between(4, 8));
        const int lang = r.Below(100);
        f[colLanguage] = std::to_string(lang < 50   ? 1
                                        : lang < 70 ? 2
                                        : lang < 78 ? 3
                                        : lang < 88 ? 4
                                                    : r.Between(5, 9));
        f[colStrokes] = std::to_string(Big5StrokeCountOfFirstChar(f[colSongName]));
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

std::string WriteSongList(const std::string& folder, int count) {
    BuildLineCipherTables();
    const std::vector<FieldList> songs = SampleSongs(count);
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

bool WriteSampleLibrary(const std::string& folder, int count, bool withMedia) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::path(folder) / "song.qv2", error) || error) return false;
    fs::create_directories(folder, error);
    if (error) return false;
    if (withMedia) {
        const std::vector<FieldList> songs = SampleSongs(count);
        for (size_t i = 0; i < songs.size(); ++i) {
            const FieldList& f = songs[i];
            const fs::path songFolder = fs::path(folder) / f[colSongNo].substr(0, 3);
            fs::create_directories(songFolder, error);
            const std::string name = MediaItemName(f[colSongNo], f[colVolume], f[colChannel], ".wav");
            if (error || !ReplaceFileContents((songFolder / name).string(), TinyWav(static_cast<int>(i))))
                return false;
        }
    }
    // The list last: a library that could not be finished is not taken for one.
    return !WriteSongList(folder, count).empty();
}

}  // namespace qv::sample
