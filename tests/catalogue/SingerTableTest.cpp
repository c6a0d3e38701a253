#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "catalogue/CharTw.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "support/FakeSongView.h"

using namespace qv;

namespace {

class SingerTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qv_singertable_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir_);
        savedAppDir_ = AppDir;
        AppDir = dir_.string();
    }
    void TearDown() override {
        AppDir = savedAppDir_;
        std::filesystem::remove_all(dir_);
    }
    void WriteSingerBin(const std::string& bytes) {
        std::ofstream(dir_ / "singer.bin", std::ios::binary) << bytes;
    }
    static std::string SingerLine(const std::string& utf8Name, char language, char fileClass) {
        std::string name = Utf8ToBig5(utf8Name);
        name.resize(30, ' ');
        name.append({language, ' ', fileClass, '\r', '\n'});
        return name;
    }

    std::filesystem::path dir_;
    std::string savedAppDir_;
    const std::string separator_ = std::string(33, '#');
};

TEST_F(SingerTableTest, LoadsSingersWithTheirClassCodesRemapped) {
    std::string file;
    const std::string fileClasses = "0123459";
    for (char c : fileClasses) file += SingerLine(std::string("歌手").append(1, c), '1', c);
    WriteSingerBin(file + separator_ + "\r\n");
    LoadSingerBin();
    ASSERT_EQ(SingerNames.size(), fileClasses.size());
    EXPECT_EQ(SingerNames[0], Utf8ToBig5("歌手0"));  // padding dropped
    EXPECT_EQ(SingerClassCodes, (std::vector<std::string>{"2", "1", "3", "4", "6", "5", "9"}));
    EXPECT_EQ(SingerLanguageCodes, std::vector<std::string>(7, "1"));
    EXPECT_TRUE(ZhuyinCharList.empty());
}

TEST_F(SingerTableTest, CharacterTriplesOutsideAByteCountZero) {
    // key '5' (53) for 中 (A4 A4: lead 164, second 164); then bad triples, a short line, an empty line.
    WriteSingerBin(SingerLine("甲", '4', '1') + separator_ + "\n053164164\n300164abc\n05\n\n-01164164\r");
    LoadSingerBin();
    ASSERT_EQ(SingerNames.size(), 1u);
    ASSERT_EQ(ZhuyinCharList.size(), 5u);
    ASSERT_EQ(ZhuyinKeyList.size(), 5u);
    EXPECT_EQ(ZhuyinCharList[0], Utf8ToBig5("中"));
    EXPECT_EQ(ZhuyinKeyList[0], "5");
    EXPECT_EQ(ZhuyinCharList[1], std::string("\0\xA4", 2));
    EXPECT_EQ(ZhuyinKeyList[1], std::string(1, '\0'));
    EXPECT_EQ(ZhuyinCharList[2], std::string(2, '\0'));
    EXPECT_EQ(ZhuyinKeyList[2], "\x05");
    EXPECT_EQ(ZhuyinCharList[3], std::string(2, '\0'));
    EXPECT_EQ(ZhuyinKeyList[4], std::string(1, '\0'));
}

// A reloaded character table of the same length, changed away from the entries the reading index
// samples, still gives the new table's codes.
TEST_F(SingerTableTest, ReloadedCharacterTableReplacesTheReadingIndex) {
    auto table = [&](unsigned changedTrail) {
        std::string file = separator_ + "\r\n";
        for (unsigned i = 0; i < 100; ++i) {
            const unsigned trail = i == 50 ? changedTrail : 0x40 + i % 63;
            const unsigned lead = i == 50 ? 0xB0 : 0xA5 + i / 63;
            char triple[16];
            std::snprintf(triple, sizeof triple, "053%03u%03u\r\n", trail, lead);
            file += triple;
        }
        return file;
    };
    const std::string changed = "\xB0\x60";  // the character moved to entry 50 by the second table
    WriteSingerBin(table(0x50));
    LoadSingerBin();
    ASSERT_EQ(ZhuyinCharList.size(), 100u);
    EXPECT_EQ(MakePinyin(changed, 0), "");
    WriteSingerBin(table(0x60));
    LoadSingerBin();
    ASSERT_EQ(ZhuyinCharList[50], changed);
    EXPECT_EQ(MakePinyin(changed, 0), MakePinyin(ZhuyinCharList[0], 0));
    EXPECT_EQ(MakePinyin(changed, 0).size(), 1u);
}

TEST_F(SingerTableTest, AnyContentLoadsWithoutHarm) {
    LoadSingerBin();  // missing file
    EXPECT_TRUE(SingerNames.empty());
    WriteSingerBin("");
    LoadSingerBin();
    EXPECT_TRUE(SingerNames.empty() && ZhuyinCharList.empty());

    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(std::uniform_int_distribution<int>(0, 2000)(rng), '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        if (round % 2) bytes.insert(bytes.size() / 2, "\r\n" + separator_ + "\n");
        WriteSingerBin(bytes);
        LoadSingerBin();
        ASSERT_EQ(SingerNames.size(), SingerClassCodes.size());
        ASSERT_EQ(SingerNames.size(), SingerLanguageCodes.size());
        ASSERT_EQ(ZhuyinCharList.size(), ZhuyinKeyList.size());
        for (const auto& c : ZhuyinCharList) ASSERT_EQ(c.size(), 2u);
        BuildSingerDisplayList();
        ASSERT_EQ(SingerDisplayList.size(), SingerDisplayLanguages.size());
    }
}

TEST_F(SingerTableTest, DisplayListPutsTheLastAddedFirstOnce) {
    WriteSingerBin(SingerLine("甲", '1', '1') + SingerLine("乙", '2', '0') + SingerLine("丙", '4', '3') +
                   SingerLine("甲", '6', '1') + separator_ + "\r\n");
    LoadSingerBin();
    BuildSingerDisplayList();
    EXPECT_EQ(SingerDisplayList,
              (std::vector<std::string>{Utf8ToBig5("甲(男歌手)"), Utf8ToBig5("丙(外語歌手)"),
                                        Utf8ToBig5("乙(女歌手)")}));
    EXPECT_EQ(SingerDisplayLanguages, (std::vector<std::string>{"6", "4", "2"}));

    AddSingerDisplayEntry(Utf8ToBig5("乙"), 2, 3);
    EXPECT_EQ(SingerDisplayList.front(), Utf8ToBig5("乙(女歌手)"));
    EXPECT_EQ(SingerDisplayLanguages.front(), "3");
    EXPECT_EQ(SingerDisplayList.size(), 3u);
    for (int badClass : {0, 9, -3}) {
        AddSingerDisplayEntry("X", badClass, 1);
        EXPECT_EQ(SingerDisplayList.front(), "X(" + Utf8ToBig5("其他") + ")");
    }
    EXPECT_EQ(SingerDisplayList.size(), 4u);

    test::FakeSongView view;
    FillSingerComboBox();
    EXPECT_EQ(view.singerItems, SingerDisplayList);
}

TEST_F(SingerTableTest, ShippedFileGivesCharacterKeysAndNoSingers) {
    std::filesystem::copy_file(std::filesystem::path(QV_SOURCE_DIR) / "resources" / "singer.bin",
                               dir_ / "singer.bin");
    LoadSingerBin();
    EXPECT_TRUE(SingerNames.empty());
    ASSERT_EQ(ZhuyinCharList.size(), ZhuyinKeyList.size());
    auto keyOf = [](const std::string& utf8) {
        const auto it = std::find(ZhuyinCharList.begin(), ZhuyinCharList.end(), Utf8ToBig5(utf8));
        return it == ZhuyinCharList.end() ? std::string("?") : ZhuyinKeyList[it - ZhuyinCharList.begin()];
    };
    EXPECT_EQ(keyOf("中"), "5");
    EXPECT_EQ(keyOf("一"), "u");
}

TEST(SingerDisplayBatchTest, GivesTheListOfAddingOneByOne) {
    std::mt19937 rng(99);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::tuple<std::string, int, int>> adds;
        for (int i = 0; i < 60; ++i)
            adds.emplace_back(std::string(1, static_cast<char>('a' + rng() % 12)),
                              static_cast<int>(rng() % 10), static_cast<int>(rng() % 9));
        auto addAll = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                AddSingerDisplayEntry(std::get<0>(adds[i]), std::get<1>(adds[i]), std::get<2>(adds[i]));
        };
        SingerDisplayList.clear();
        SingerDisplayLanguages.clear();
        addAll(0, adds.size());
        const auto oneByOne = SingerDisplayList;
        const auto oneByOneLanguages = SingerDisplayLanguages;

        SingerDisplayList.clear();
        SingerDisplayLanguages.clear();
        addAll(0, 20);  // some entries before the batch
        {
            SingerDisplayBatch outer;
            addAll(20, 40);
            {
                SingerDisplayBatch inner;
                addAll(40, adds.size());
            }
            EXPECT_EQ(SingerDisplayList.size(), SingerDisplayLanguages.size());
        }
        ASSERT_EQ(SingerDisplayList, oneByOne);
        ASSERT_EQ(SingerDisplayLanguages, oneByOneLanguages);
    }
}

TEST(SingerDisplayBatchTest, RowsAtOnceGiveTheListOfAddingThemOneByOne) {
    std::mt19937 rng(7);
    // Enough rows to be cut into slices over the cores; singers of Big5 and Latin text, classes and
    // languages inside and outside their tables, and entries listed before the rows are added.
    for (int round = 0; round < 4; ++round) {
        std::vector<SongRow> rows(9000);
        const char* singers[] = {"\xA4\xFD", "\xA4\x41", "\xA4\x61", "ab",
                                 "AB",       "a b",      "",         "\xB3\x5C\xA4\x40"};
        const char* codes[] = {"1", "2", "6", "8", "9", "0", "", "X"};
        for (SongRow& row : rows) {
            row[colSinger] = singers[rng() % 8] + std::string(rng() % 3, 'x');
            row[colSingerClass] = codes[rng() % 8];
            row[colLanguage] = codes[rng() % 8];
        }
        auto startList = [&] {
            SingerDisplayList.clear();
            SingerDisplayLanguages.clear();
            AddSingerDisplayEntry("ab", 1, 4);
            AddSingerDisplayEntry("zz", 2, 1);
        };
        startList();
        for (const SongRow& row : rows)
            AddSingerDisplayEntry(row[colSinger], SafeStrToInt(row[colSingerClass]),
                                  SafeStrToInt(row[colLanguage]));
        const auto oneByOne = SingerDisplayList;
        const auto oneByOneLanguages = SingerDisplayLanguages;

        startList();
        AddSingerDisplayEntriesOfRows(rows);
        ASSERT_EQ(SingerDisplayList, oneByOne);
        ASSERT_EQ(SingerDisplayLanguages, oneByOneLanguages);
    }
}

}  // namespace
