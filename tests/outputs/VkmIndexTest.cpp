#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/TextFile.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "outputs/OutputSteps.h"
#include "outputs/VkmIndex.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

const char* const kSetFiles[] = {"okdata.vkm", "singer.vkm",   "sislist.vkm", "pinyin.vkm",   "zhuyin.vkm",
                                 "index.vkm",  "language.vkm", "like.vkm",    "userlist.vkm", "menu.vkm"};

std::string Entry(long long offset, long long length) {
    std::string o = std::to_string(offset), l = std::to_string(length);
    return std::string(8 - o.size(), '0') + o + std::string(4 - l.size(), '0') + l;
}

// Records of a fixed-width file.
std::vector<std::string> Records(const std::string& bytes, size_t width) {
    std::vector<std::string> out;
    for (size_t at = 0; at + width <= bytes.size(); at += width) out.push_back(bytes.substr(at, width));
    EXPECT_EQ(bytes.size() % width, 0u);
    return out;
}

// The same records, and the same key sequence (the first keyWidth bytes): records with equal keys may come
// in either order.
void ExpectRecordsByKey(const std::vector<std::string>& actual, std::vector<std::string> expected,
                        size_t keyWidth) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i].substr(0, keyWidth), expected[i].substr(0, keyWidth)) << i;
    std::vector<std::string> sorted = actual;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
}

std::string Descrambled(const std::string& path) {
    std::string bytes = test::ReadBytes(path);
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    UnscrambleBuffer(data, data, FileScrambleStartKey, bytes.size());
    return bytes;
}

class VkmIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildLineCipherTables();
        folder_ = library_.Path("000");
        fs::create_directories(folder_);
        LibraryDataDirOk = true;
        IndexPausesEnabled = false;
        IndexDriveOverride = fs::path(library_.Path("")).parent_path().parent_path().string();
        setup::PingYing = 1;
        setup::ZtPinYinIncludeChi = setup::ZtPinYinIncludeEng = setup::ZtPinYinIncludeJpn = true;
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
        for (auto [c, key] : {std::pair{"中", "5"}, {"衣", "u"}, {"杯", "1"}}) {
            ZhuyinCharList.push_back(Utf8ToBig5(c));
            ZhuyinKeyList.push_back(key);
        }
        prefix_ = "C/" + fs::path(library_.Path("")).parent_path().filename().string() + "/";
    }
    void TearDown() override {
        IndexPausesEnabled = true;
        IndexDriveOverride.clear();
        ZhuyinCharList.clear();
        ZhuyinKeyList.clear();
        LibraryDataDirOk = false;
    }

    static SongRow Song(const std::string& no, const std::string& name, const std::string& singer,
                        const std::string& language, const std::string& singerClass, const std::string& words,
                        const std::string& strokes) {
        SongRow row = test::TempSongLibrary::Song(no, name, singer, language, singerClass);
        row[colWordCount] = words;
        row[colStrokes] = strokes;
        return row;
    }

    // Six songs: a volume and channel, an ".mkv" own-choice song, a picture-folder song of a priority
    // singer, a special-deleted song (".jpg"), a song without media, a duet.
    void FillFixture() {
        std::vector<SongRow> rows;
        rows.push_back(Song("00101", "中衣", "杯", "1", "1", "2", "4"));
        rows.back()[colPinyin] = "ZY";
        rows.back()[colVolume] = "9";
        rows.back()[colChannel] = "1";
        rows.back()[colNewMark] = "*";
        rows.push_back(Song("00102", "Love", "Amy", "4", "2", "1", "0"));
        rows.back()[colPinyin] = "L";
        rows.back()[colSelfPlay] = "*";
        rows.back()[colClassic] = "*";
        rows.back()[colDomesticPhoto] = "*";
        rows.push_back(Song("00103", "衣", "杯", "9", "5", "1", "6"));
        rows.back()[colPinyin] = "Y";
        rows.back()[colVolume] = "A";
        rows.back()[colChannel] = "0";
        rows.back()[colSingerPriority] = "1";
        rows.push_back(Song("00104", "Gone", "Amy", "1", "2", "2", "0"));
        rows.push_back(Song("00105", "Lost", "衣", "1", "1", "1", "0"));
        rows.push_back(Song("00106", "杯杯杯", "中&Amy", "2", "6", "3", "4"));
        rows.back()[colPinyin] = "BBB";
        rows.back()[colForeignPhoto] = "*";
        library_.Fill(rows);
        library_.AddMedia("0010191.mpg");
        library_.AddMedia("00102.mkv");
        fs::create_directories(library_.Path("001/00103"));
        library_.AddMedia("00104.jpg");
        library_.AddMedia("00106.mpg");
    }

    std::string File(const std::string& name) const { return test::ReadBytes(folder_ + "/" + name); }

    // The song data's lines (UTF-8, after the byte-order mark) by their offsets.
    static std::map<long long, std::string> LinesByOffset(const std::string& text) {
        std::map<long long, std::string> lineAt;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            EXPECT_NE(end, std::string::npos);
            if (end == std::string::npos) break;
            lineAt[static_cast<long long>(at)] = text.substr(at, end - at);
            at = end + 2;
        }
        return lineAt;
    }

    void ExpectEveryEntryPointsAtItsLine(const std::map<long long, std::string>& lineAt) const {
        auto check = [&](const std::string& file, size_t width, size_t entryAt) {
            const auto records = Records(File(file), width);
            EXPECT_FALSE(records.empty()) << file;
            for (const std::string& record : records) {
                const long long offset = std::stoll(record.substr(entryAt, 8));
                const long long length = std::stoll(record.substr(entryAt + 8, 4));
                const auto line = lineAt.find(offset);
                ASSERT_NE(line, lineAt.end()) << file << " " << record;
                EXPECT_EQ(static_cast<long long>(line->second.size()), length) << file << " " << record;
                // Song records point at song lines (path first), singer records at singer lines.
                EXPECT_EQ(line->second.substr(0, 2) == "C/", file != "singer.vkm") << file << " " << record;
            }
        };
        check("singer.vkm", 14, 2);
        check("sislist.vkm", 16, 4);
        check("pinyin.vkm", 22, 10);
        check("zhuyin.vkm", 22, 10);
        check("index.vkm", 17, 5);
        check("language.vkm", 14, 2);
        check("like.vkm", 13, 1);
    }

    test::TempSongLibrary library_;
    test::FakeUserInterface ui_;
    std::string folder_;
    std::string prefix_;
};

TEST_F(VkmIndexTest, MenuFileByteForByte) {
    const char* lines[] = {"-= 主要選單 =-",
                           "1.歌星點播",
                           "2.語言點播",
                           "3.收藏歌曲",
                           "4.新歌金曲",
                           "5.排行收藏",
                           "6.電影小品",
                           "7.編號點播",
                           "8.拼音點播",
                           "-= 歌星點播 =-",
                           "1.男歌星  ",
                           "2.女歌星  ",
                           "3.團體歌星",
                           "4.外語歌星",
                           "5.雙人對唱",
                           "6.其他歌星",
                           "7.樂隊組合",
                           "8.特殊歌星",
                           "-=歌星姓氏筆劃=-",
                           "1.三劃以下",
                           "2.三到五劃",
                           "3.六到七劃",
                           "4.八到九劃",
                           "5.十到11劃",
                           "6.12到13劃",
                           "7.13劃以上",
                           "8.最愛歌手",
                           "-= 語言點播 =-",
                           "1.國語歌曲",
                           "2.台語歌曲",
                           "3.粵語歌曲",
                           "4.英文歌曲",
                           "5.日韓歌曲",
                           "6.其他歌曲",
                           "7.客語歌曲",
                           "8.兒童歌曲",
                           "-= 曲名字數 =-",
                           "1.一到二字",
                           "2.三字歌曲",
                           "3.四字歌曲",
                           "4.五字歌曲",
                           "5.六字歌曲",
                           "6.七到八字",
                           "7.九到十字",
                           "8.十字以上",
                           "-= 收藏歌曲 =-",
                           "1.新進歌曲",
                           "2.流行歌曲",
                           "3.我的最愛",
                           "4.懷舊歌曲",
                           "5.經典歌曲",
                           "6.全部歌曲",
                           "7.國內照片",
                           "8.國外照片",
                           "-= 新歌金曲 =-",
                           "1.新專輯一",
                           "2.新專輯二",
                           "3.新專輯三",
                           "4.新專輯四",
                           "5.新專輯五",
                           "6.新專輯六",
                           "7.新專輯七",
                           "8.新專輯八",
                           "-=點播排行與收藏=-",
                           "1.點播排行",
                           "2.金曲收藏",
                           " ",
                           " ",
                           " ",
                           " ",
                           " ",
                           " ",
                           "-= 電影小品 =-",
                           "1.精選小品",
                           "2.武打動作",
                           "3.警匪偵破",
                           "4.喜劇動漫",
                           "5.科幻情感",
                           "6.戰爭槍戰",
                           "7.驚險恐怖",
                           "8.其他電影"};
    std::string expected = "\xEF\xBB\xBF";
    for (const char* line : lines) expected += std::string(line) + "\r\n";
    ASSERT_EQ(std::size(lines), 81u);

    // The run writes the menu with its set; not at all while the library's 000 is not usable.
    WriteVkmIndex();
    EXPECT_EQ(File("menu.vkm"), expected);
    EXPECT_EQ(File("menu.vkm").size(), 1262u);
    fs::remove(folder_ + "/menu.vkm");
    LibraryDataDirOk = false;
    WriteVkmIndex();
    EXPECT_FALSE(fs::exists(folder_ + "/menu.vkm"));
}

TEST_F(VkmIndexTest, Codes) {
    EXPECT_EQ(std::string({VkmStrokeGroup(0), VkmStrokeGroup(2), VkmStrokeGroup(3), VkmStrokeGroup(5),
                           VkmStrokeGroup(6), VkmStrokeGroup(7), VkmStrokeGroup(8), VkmStrokeGroup(9),
                           VkmStrokeGroup(10), VkmStrokeGroup(11), VkmStrokeGroup(12), VkmStrokeGroup(13),
                           VkmStrokeGroup(14), VkmStrokeGroup(48)}),
              "11223344556677");
    std::string languages;
    for (const char* l : {"1", "2", "3", "4", "5", "6", "7", "8", "9"}) languages += VkmLanguageCode(l);
    EXPECT_EQ(languages, "123465768");
    std::string words;
    for (int w = 1; w <= 12; ++w) words += VkmWordCountGroup(w);
    EXPECT_EQ(words, "112345667788");

    // Channel letter and volume character beyond the fixture's: "F" and "12" in their groups.
    SongRow row{};
    row[colVolume] = "F";
    EXPECT_EQ(VkmChannelVolumeCode(row, false), "L7");
    row[colChannel] = "2";
    row[colVolume] = "12";
    EXPECT_EQ(VkmChannelVolumeCode(row, false), "R6");
}

TEST_F(VkmIndexTest, EmptyLibraryGivesTheScrambledMarkAndEmptyIndexes) {
    library_.Fill({});
    WriteVkmIndex();
    EXPECT_EQ(Descrambled(folder_ + "/okdata.vkm"), "\xEF\xBB\xBF");
    EXPECT_EQ(File("okdata.vkm").size(), 3u);
    EXPECT_NE(File("okdata.vkm"), "\xEF\xBB\xBF");
    for (const char* name : {"singer.vkm", "sislist.vkm", "pinyin.vkm", "zhuyin.vkm", "index.vkm",
                             "language.vkm", "like.vkm", "userlist.vkm"}) {
        EXPECT_TRUE(fs::exists(folder_ + "/" + name)) << name;
        EXPECT_EQ(File(name), "") << name;
    }
    EXPECT_EQ(File("menu.vkm").size(), 1262u);
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"VKM索引檔產生完成"});
    EXPECT_TRUE(ui_.Texts("error").empty());
    EXPECT_FALSE(ui_.waitVisible);
    EXPECT_EQ(ui_.lastProgress, 0);
}

TEST_F(VkmIndexTest, RecordsOfTheFixtureLibrary) {
    FillFixture();
    WriteVkmIndex();
    ASSERT_EQ(ui_.Texts("info"), std::vector<std::string>{"VKM索引檔產生完成"});
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"找不到" + library_.Path("001") + "/00105*.*"});
    EXPECT_EQ(ui_.Texts("wait"), std::vector<std::string>{"VKM索引檔產生中, 請稍候 ..."});
    EXPECT_EQ(AllSong.size(), 6u);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1, 2, 3, 4, 5}));

    // Sorted: Amy (0 strokes: 00102, the ".jpg" 00104, the duet's Amy), 中 of the duet, 中&Amy (4 strokes),
    // 衣 (no media), 杯 (8 strokes: one word before two).
    const long long p = static_cast<long long>(prefix_.size());
    const std::string lines[] = {
        prefix_ + "001/00102.mkv;Love;Amy;00102;00;",
        "0001;Amy;0003;",
        prefix_ + "001/00106.mpg;杯杯杯;Amy 中;00106;L0;",
        prefix_ + "001/00106.mpg;杯杯杯;中 Amy;00106;L0;",
        "0002;中;0001;",
        prefix_ + "001/00106.mpg;杯杯杯;中&Amy;00106;L0;",
        "0003;中&Amy;0001;",
        prefix_ + "001/00103/jpg.vkm;衣;杯;00103;L5;",
        "0004;杯;0002;",
        prefix_ + "001/0010191.mpg;中衣;杯;00101;R4;",
    };
    std::string data = "\xEF\xBB\xBF";
    for (const std::string& line : lines) data += line + "\r\n";
    EXPECT_EQ(Descrambled(folder_ + "/okdata.vkm"), data);

    // Offsets and lengths in UTF-8 bytes, the mark not counted.
    const std::string love = Entry(0, p + 32), amy = Entry(p + 34, 14), duetAmy = Entry(p + 50, p + 41),
                      duetZhong = Entry(2 * p + 93, p + 41), zhong = Entry(3 * p + 136, 14),
                      duet = Entry(3 * p + 152, p + 41), duetSinger = Entry(4 * p + 195, 18),
                      picture = Entry(4 * p + 215, p + 35), bei = Entry(5 * p + 252, 14),
                      first = Entry(5 * p + 268, p + 36);
    EXPECT_EQ(
        Records(File("singer.vkm"), 14),
        (std::vector<std::string>{"12" + zhong, "21" + amy, "52" + duetSinger, "64" + bei, "68" + bei}));
    EXPECT_EQ(Records(File("sislist.vkm"), 16),
              (std::vector<std::string>{"0001" + love, "0001" + duetAmy, "0002" + duetZhong, "0003" + duet,
                                        "0004" + picture, "0004" + first}));
    EXPECT_EQ(Records(File("index.vkm"), 17),
              (std::vector<std::string>{"00102" + love, "00106" + duet, "00103" + picture, "00101" + first}));
    EXPECT_EQ(Records(File("language.vkm"), 14),
              (std::vector<std::string>{"11" + first, "22" + duet, "41" + love, "81" + picture}));
    EXPECT_EQ(Records(File("like.vkm"), 13),
              (std::vector<std::string>{"1" + first, "5" + love, "6" + love, "6" + duet, "6" + picture,
                                        "6" + first, "7" + love, "8" + duet}));
    ExpectRecordsByKey(
        Records(File("pinyin.vkm"), 22),
        {"A         " + love, "B         " + picture, "B         " + first, "BBB       " + duet,
         "L         " + love, "Y         " + picture, "Z         " + duet, "ZY        " + first},
        10);
    ExpectRecordsByKey(Records(File("zhuyin.vkm"), 22),
                       {"11        " + picture, "11        " + first, "111111    " + duet,
                        "51        " + duet, "5181      " + first, "81        " + picture},
                       10);
    EXPECT_EQ(File("userlist.vkm"), "00102");
    EXPECT_FALSE(fs::exists(folder_ + "/okdata_ori.vkm"));
    EXPECT_EQ(library_.FolderEntries("000").size(), std::size(kSetFiles));
}

TEST_F(VkmIndexTest, EveryEntryPointsAtItsLine) {
    FillFixture();
    // A code without a Unicode image becomes U+FFFD (three bytes) and counts as such; a name of 20 Big5
    // bytes becomes 30 UTF-8 bytes; a longer one is cut before the conversion.
    AllSong[0][colSongName] = Utf8ToBig5("中衣杯中衣杯中衣杯中衣杯") + "\xA3\xC0";
    AllSong[1][colSongName] = std::string("\xA3\xC0", 2) + Utf8ToBig5("中衣杯中衣杯中衣杯中衣");
    WriteVkmIndex();
    ASSERT_EQ(ui_.Texts("info"), std::vector<std::string>{"VKM索引檔產生完成"});
    const std::string data = Descrambled(folder_ + "/okdata.vkm");
    ASSERT_EQ(data.substr(0, 3), "\xEF\xBB\xBF");
    const std::string text = data.substr(3);
    EXPECT_NE(text.find(";中衣杯中衣杯中衣杯中;杯;"), std::string::npos);
    EXPECT_NE(text.find(";\xEF\xBF\xBD中衣杯中衣杯中衣杯;Amy;"), std::string::npos);

    ExpectEveryEntryPointsAtItsLine(LinesByOffset(text));
}

// A library large enough for the lines and records to be made in slices on several threads: the records
// that follow the song data's order still do (song list, number index, the all-songs collection), each
// song's singer number is its singer line's, and every song without media is reported once.
TEST_F(VkmIndexTest, RecordsMadeInSlicesFollowTheSongData) {
    setup::PingYing = 0;  // the Zhuyin keys as the rows hold them
    std::vector<SongRow> rows;
    size_t missing = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string no = std::to_string(10000 + i);
        const bool duet = i % 5 == 0;
        const std::string singer = "S" + std::to_string(i * 7 % 300);
        rows.push_back(Song(no, Utf8ToBig5(i % 2 ? "中衣" : "杯中杯"), duet ? singer + "&T" + std::to_string(i % 13) : singer,
                            std::to_string(1 + i % 4), duet ? "6" : "1", std::to_string(1 + i % 9), "0"));
        rows.back()[colPinyin] = i % 2 ? "5u" : "1u5";
        if (i % 97 == 0) {
            missing += duet ? 3 : 1;  // a duet's song also for each of its two singers
            continue;
        }
        library_.AddMedia(no + (i % 89 == 0 ? ".jpg" : ".mpg"));
    }
    library_.Fill(rows);
    WriteVkmIndex();
    ASSERT_EQ(ui_.Texts("info"), std::vector<std::string>{"VKM索引檔產生完成"});
    EXPECT_EQ(ui_.Texts("error").size(), missing);

    const std::string data = Descrambled(folder_ + "/okdata.vkm");
    const std::map<long long, std::string> lineAt = LinesByOffset(data.substr(3));
    ExpectEveryEntryPointsAtItsLine(lineAt);

    // Each song line's singer number: the singer line right after it (a singer's first song) or else the
    // last one before it.
    std::map<long long, std::string> singerOf;
    std::string current;
    for (auto it = lineAt.begin(); it != lineAt.end(); ++it) {
        if (it->second.substr(0, 2) != "C/") {
            current = it->second.substr(0, 4);
            continue;
        }
        const auto next = std::next(it);
        singerOf[it->first] =
            next != lineAt.end() && next->second.substr(0, 2) != "C/" ? next->second.substr(0, 4) : current;
    }
    ASSERT_GT(singerOf.size(), 6000u);
    auto offsetsAscend = [](const std::vector<std::string>& records, size_t entryAt) {
        for (size_t k = 1; k < records.size(); ++k)
            if (records[k - 1].substr(entryAt, 8) >= records[k].substr(entryAt, 8)) return false;
        return true;
    };
    const std::vector<std::string> sislist = Records(File("sislist.vkm"), 16);
    EXPECT_EQ(sislist.size(), singerOf.size());
    EXPECT_TRUE(offsetsAscend(sislist, 4));
    for (const std::string& record : sislist)
        EXPECT_EQ(record.substr(0, 4), singerOf[std::stoll(record.substr(4, 8))]) << record;
    EXPECT_TRUE(offsetsAscend(Records(File("index.vkm"), 17), 5));
    std::vector<std::string> allSongs;
    for (const std::string& record : Records(File("like.vkm"), 13))
        if (record[0] == '6') allSongs.push_back(record);
    EXPECT_GT(allSongs.size(), 5000u);
    EXPECT_TRUE(offsetsAscend(allSongs, 1));
}

TEST_F(VkmIndexTest, BadFieldLeavesThePreviousSetAsItWas) {
    struct Case {
        int column;
        std::string value;
        std::string message;
    };
    const Case cases[] = {
        {colVolume, "x", "歌曲編號[00103]音量欄位有問題"},
        {colVolume, "a", "歌曲編號[00103]音量欄位有問題"},
        {colLanguage, "", "歌曲編號[00103]歌曲種類欄位有問題"},
        {colWordCount, "二", "歌曲編號[00103]歌曲字數欄位有問題"},
        {colStrokes, "", "歌曲編號[00103]歌曲筆劃欄位有問題"},
    };
    for (const Case& c : cases) {
        FillFixture();
        for (const char* name : kSetFiles) test::WriteBytes(folder_ + "/" + name, std::string("old ") + name);
        AllSong[2][c.column] = c.value;
        // A later bad row (in the run's order) is not the one named.
        AllSong[0][colStrokes] = "?";
        ui_.shown.clear();
        WriteVkmIndex();
        EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{c.message}) << c.value;
        EXPECT_TRUE(ui_.Texts("error").empty());
        for (const char* name : kSetFiles) EXPECT_EQ(File(name), std::string("old ") + name) << name;
        EXPECT_EQ(library_.FolderEntries("000").size(), std::size(kSetFiles));
        EXPECT_EQ(AllSong.size(), 6u);
        EXPECT_FALSE(ui_.waitVisible);
        EXPECT_EQ(ui_.lastProgress, 0);
    }
}

TEST_F(VkmIndexTest, OneSongAndNumbersTooWideForTheirFields) {
    library_.Fill({Song("00101", "Go", "Al", "4", "1", "1", "0")});
    library_.AddMedia("00101.mp4");
    WriteVkmIndex();
    const std::string line = prefix_ + "001/00101.mp4;Go;Al;00101;L0;";
    const long long p = static_cast<long long>(prefix_.size());
    EXPECT_EQ(Descrambled(folder_ + "/okdata.vkm"), "\xEF\xBB\xBF" + line + "\r\n0001;Al;0001;\r\n");
    EXPECT_EQ(File("singer.vkm"), "11" + Entry(p + 31, 13));
    EXPECT_EQ(File("index.vkm"), "00101" + Entry(0, p + 29));

    // A singer of 10,000 songs (rows without media count too): the group's row count needs five digits;
    // reported, and the previous set stays.
    std::vector<SongRow> rows;
    for (int i = 0; i < 10000; ++i) {
        const std::string folder = std::to_string(101 + i / 80).substr(1);
        const std::string no = "0" + folder + (i % 80 + 1 < 10 ? "0" : "") + std::to_string(i % 80 + 1);
        rows.push_back(Song(no, "Go", "Al", "4", "1", i == 0 ? "0" : "1", "0"));
    }
    library_.Fill(rows);
    const std::string before = File("okdata.vkm");
    ui_.shown.clear();
    WriteVkmIndex();
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"索引檔欄位超出範圍: 歌星歌曲數 = 10000"});
    EXPECT_TRUE(ui_.Texts("info").empty());
    EXPECT_EQ(File("okdata.vkm"), before);
    EXPECT_EQ(File("singer.vkm"), "11" + Entry(p + 31, 13));
    EXPECT_EQ(library_.FolderEntries("000").size(), std::size(kSetFiles));
}

TEST_F(VkmIndexTest, SingersCutInsideACharacterFormOneGroupWithItsCount) {
    library_.Fill({Song("00101", "Go", "ABCDEFGHIJKLM衣", "4", "1", "1", "0"),
                   Song("00102", "Go", "ABCDEFGHIJKLM中", "4", "1", "1", "0")});
    library_.AddMedia("00101.mpg");
    library_.AddMedia("00102.mpg");
    WriteVkmIndex();
    EXPECT_EQ(Descrambled(folder_ + "/okdata.vkm"), "\xEF\xBB\xBF" + prefix_ +
                                                        "001/00102.mpg;Go;ABCDEFGHIJKLM;00102;L0;\r\n"
                                                        "0001;ABCDEFGHIJKLM;0002;\r\n" +
                                                        prefix_ +
                                                        "001/00101.mpg;Go;ABCDEFGHIJKLM;00101;L0;\r\n");
    EXPECT_EQ(File("singer.vkm").size(), 14u);
}

TEST_F(VkmIndexTest, UnwritableFolderStopsWithTheFileNamed) {
    FillFixture();
    fs::remove_all(folder_);
    test::WriteBytes(folder_, "not a folder");
    WriteVkmIndex();
    EXPECT_EQ(ui_.Texts("error").back(), "無法寫入檔案: " + folder_ + "/IndexNew.tmp");
    EXPECT_TRUE(ui_.Texts("info").empty());
    EXPECT_EQ(test::ReadBytes(folder_), "not a folder");
    EXPECT_EQ(AllSong.size(), 6u);
    EXPECT_EQ(ShownRows.size(), 6u);
    EXPECT_FALSE(ui_.waitVisible);
    EXPECT_EQ(library_.FolderEntries("").size(), 3u);  // song.qv2, 000 and 001 only

    // A folder in the way of one file: named, and not one file of the old set replaced.
    fs::remove(folder_);
    fs::create_directories(folder_ + "/like.vkm");
    test::WriteBytes(folder_ + "/okdata.vkm", "old");
    ui_.shown.clear();
    WriteVkmIndex();
    EXPECT_EQ(ui_.Texts("error").back(), "無法寫入檔案: " + folder_ + "/like.vkm");
    EXPECT_TRUE(ui_.Texts("info").empty());
    EXPECT_EQ(File("okdata.vkm"), "old");
    EXPECT_EQ(library_.FolderEntries("000"), (std::vector<std::string>{"like.vkm", "okdata.vkm"}));
}

TEST_F(VkmIndexTest, MenuCommandClearsErrFilesAndExitStepWritesTheSet) {
    library_.Fill({});
    fs::create_directories(library_.Path("ErrFiles/sub"));
    test::WriteBytes(library_.Path("ErrFiles/a.mpg"), "x");
    fs::permissions(library_.Path("ErrFiles/a.mpg"), fs::perms::owner_read);
    test::WriteBytes(library_.Path("ErrFiles/sub/b.mpg"), "y");
    ZT1Click();
    EXPECT_FALSE(fs::exists(library_.Path("ErrFiles")));
    EXPECT_EQ(File("okdata.vkm").size(), 3u);

    fs::remove(folder_ + "/okdata.vkm");
    InstallOutputSteps();
    ASSERT_TRUE(StartupOutputSteps().writeVkmIndex);
    StartupOutputSteps().writeVkmIndex();
    EXPECT_EQ(File("okdata.vkm").size(), 3u);
    StartupOutputSteps() = {};
}

}  // namespace
