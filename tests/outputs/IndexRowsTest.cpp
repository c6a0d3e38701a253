#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
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

}  // namespace
}  // namespace qv
