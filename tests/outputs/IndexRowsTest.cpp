#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "catalogue/UserInterface.h"
#include "library/FileNameParser.h"
#include "outputs/IndexCommon.h"
#include "settings/Settings.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

// A library large enough for the keys to be made on several threads: each position's keys are the ones the
// row gives alone, for Chinese, Japanese and English songs under both schemes; a duet's singer rows (beyond
// the table, in the order after its own row's singer) have none. The table is not grown.
TEST(IndexRowsTest, KeysMadeAtOnceAreEachRowsOwn) {
    test::TempSongLibrary library;
    ZhuyinCharList = {Utf8ToBig5("中"), Utf8ToBig5("衣"), Utf8ToBig5("杯"), Utf8ToBig5("愛")};
    ZhuyinKeyList = {"5", "u", "1", "9"};
    ++ZhuyinTableGeneration;
    setup::ZtPinYinIncludeChi = setup::ZtPinYinIncludeJpn = setup::ZtPinYinIncludeEng = true;
    const char* const names[] = {"中衣", "杯愛中", "Hello 杯", "愛", "衣衣中杯"};
    const char* const languages[] = {"1", "6", "4", "2", "5"};
    std::vector<SongRow> songs;
    for (int i = 0; i < 6000; ++i) {
        const std::string no = std::to_string(10000 + i);
        SongRow row = test::TempSongLibrary::Song(no, names[i % 5], i % 7 ? "杯愛" : "中衣 杯愛",
                                                  languages[(i / 5) % 5], i % 7 ? "1" : "6");
        row[colPinyin] = i % 2 ? "fq" : "1f";
        songs.push_back(row);
    }
    library.Fill(songs);

    for (const int scheme : {0, 1}) {
        setup::PingYing = scheme;
        const IndexRows rows;
        ASSERT_EQ(AllSong.size(), 6000u);
        ASSERT_GT(rows.Order().size(), 6000u);
        const std::vector<SongKeys> keys = SongKeysInOrder(rows);
        ASSERT_EQ(keys.size(), rows.Order().size());
        size_t withKeys = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
            const int row = rows.Order()[i];
            if (IsTemporaryRow(row)) {
                EXPECT_TRUE(keys[i].pinyin.empty() && keys[i].zhuyin.empty()) << i;
                continue;
            }
            const std::string zhuyin = SongZhuyinKey(AllSong[row]);
            EXPECT_EQ(keys[i].pinyin, SongPinyinKey(AllSong[row])) << scheme << " " << i;
            EXPECT_EQ(keys[i].zhuyin, zhuyin) << scheme << " " << i;
            EXPECT_EQ(keys[i].keypad, zhuyin.empty() ? "" : KeypadRecord(zhuyin)) << scheme << " " << i;
            withKeys += !keys[i].pinyin.empty() && !keys[i].keypad.empty();
        }
        EXPECT_GT(withKeys, 1000u) << scheme;
    }
    setup::PingYing = 0;
    ZhuyinCharList.clear();
    ZhuyinKeyList.clear();
}

// Duet singers looked up once per name, several at once: each duet's temporary rows hold the singers and
// classes that splitting its singer alone gives, in the table's order, first singer before second.
TEST(IndexRowsTest, DuetRowsAreThoseOfEachDuetAlone) {
    test::TempSongLibrary library;
    const std::vector<std::string> singers = {"Amy", "Bo", "Cid", Utf8ToBig5("中衣"), Utf8ToBig5("杯愛"), "Dee"};
    SingerNames = {"Amy", "Bo", Utf8ToBig5("中衣"), "Dee"};
    SingerClassCodes = {"2", "1", "4", "3"};
    SingerLanguageCodes = {"1", "1", "1", "4"};
    std::vector<SongRow> songs;
    for (int i = 0; i < 5000; ++i) {
        const std::string& first = singers[static_cast<size_t>(i) % singers.size()];
        const std::string& second = singers[static_cast<size_t>(i / 7) % singers.size()];
        const bool duet = i % 3 == 0;
        songs.push_back(test::TempSongLibrary::Song(std::to_string(10000 + i), "Go",
                                                    duet ? first + "&" + second + std::to_string(i % 11) : first,
                                                    "1", duet ? "6" : "1"));
    }
    library.Fill(songs);

    const IndexRows rows;
    std::vector<SongRow> expected;
    for (int r = 0; r < AllSongCount; ++r) {
        if (AllSong[r][colSingerClass] != "6") continue;
        const DuetSingers duet = SplitDuetSingers(AllSong[r][colSinger]);
        for (const auto& [singer, other, singerClass] :
             {std::tuple{duet.first, duet.second, duet.firstClass}, {duet.second, duet.first, duet.secondClass}}) {
            if (singer.empty()) continue;
            SongRow row = AllSong[r];
            row[colSinger] = singer;
            row[colDuetFullSinger] = other.empty() ? singer : singer + " " + other;
            row[colSingerClass] = std::to_string(singerClass);
            expected.push_back(row);
        }
    }
    ASSERT_EQ(rows.Order().size(), static_cast<size_t>(AllSongCount) + expected.size());
    std::set<int> classes;
    for (size_t k = 0; k < expected.size(); ++k) {
        const SongRow& row = rows[AllSongCount + static_cast<int>(k)];
        EXPECT_EQ(row[colSinger], expected[k][colSinger]) << k;
        EXPECT_EQ(row[colDuetFullSinger], expected[k][colDuetFullSinger]) << k;
        EXPECT_EQ(row[colSingerClass], expected[k][colSingerClass]) << k;
        classes.insert(std::stoi(row[colSingerClass]));
    }
    EXPECT_GE(classes.size(), 3u);  // the singer table's classes, not only the defaults
    SingerNames.clear();
    SingerClassCodes.clear();
    SingerLanguageCodes.clear();
}

// The keys are the longest part of a run's walk over the rows: an end asked for meanwhile (a logout) stops it
// at its next step instead of after every row. The request is for the whole process: a child asks for it.
TEST(IndexRowsTest, MakingTheKeysStopsAtAnEndRequest) {
    test::TempSongLibrary library;
    std::vector<SongRow> songs;
    for (int i = 0; i < 3000; ++i)
        songs.push_back(test::TempSongLibrary::Song(std::to_string(10000 + i), "Go", "Amy", "4", "1"));
    library.Fill(songs);
    auto makeKeysAfterTheRequest = [] {
        const IndexRows rows;
        RequestEnd();
        try {
            const std::vector<SongKeys> keys = SongKeysInOrder(rows);
            std::_Exit(keys.size() == 3000u ? 8 : 9);
        } catch (const RunAbandoned&) {
            std::_Exit(7);
        }
    };
    EXPECT_EXIT(makeKeysAfterTheRequest(), ::testing::ExitedWithCode(7), "");
}

// Entries and fixed-width numbers fill their widths exactly; one digit more is an error naming the field.
TEST(IndexCommonTest, NumbersFillTheirFieldsOrNameTheFieldTooNarrow) {
    EXPECT_EQ(MakeIndexEntry(0, 0), "000000000000");
    EXPECT_EQ(MakeIndexEntry(1234, 56), "000012340056");
    EXPECT_EQ(MakeIndexEntry(99999999, 9999), "999999999999");
    EXPECT_EQ(FixedDigits(42, 4, "歌星序號"), "0042");
    EXPECT_EQ(FixedDigits(9999, 4, B5("歌星序號")), "9999");
    auto failure = [](const std::function<void()>& make) {
        try {
            make();
        } catch (const IndexRunError& error) {
            return Big5ToUtf8(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure([] { MakeIndexEntry(100000000, 1); }), "索引檔欄位超出範圍: 資料位置 = 100000000");
    EXPECT_EQ(failure([] { MakeIndexEntry(1, 10000); }), "索引檔欄位超出範圍: 資料長度 = 10000");
    EXPECT_EQ(failure([] { FixedDigits(10000, 4, "歌星序號"); }), "索引檔欄位超出範圍: 歌星序號 = 10000");
    EXPECT_EQ(failure([] { FixedDigits(123, 2, B5("歌手編號")); }), "索引檔欄位超出範圍: 歌手編號 = 123");
}

}  // namespace
}  // namespace qv
