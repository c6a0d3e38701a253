#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"

using namespace qv;
namespace fs = std::filesystem;

namespace {

std::string AllBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

std::string Slurp(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    return bytes;
}

class SongListFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = (fs::temp_directory_path() / ("qv_cipher_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                  .string();
        fs::remove_all(dir);
        fs::create_directories(dir);
        savedRoot = LibraryRoot;
        LibraryRoot = dir;
    }
    void TearDown() override {
        LibraryRoot = savedRoot;
        fs::remove_all(dir);
    }
    std::string In(const std::string& name) const { return dir + "/" + name; }
    std::string dir, savedRoot;
};

}  // namespace

TEST(LineCipher, EveryTableIsAPermutationThatKeepsControlBytes) {
    BuildLineCipherTables();
    const std::string all = AllBytes();
    for (int k = 0; k < 256; ++k) {
        std::string enc = EncodeLine(k, all);
        ASSERT_EQ(std::set<char>(enc.begin(), enc.end()).size(), 256u) << "table " << k;
        EXPECT_EQ(enc.substr(0, 32), all.substr(0, 32)) << "table " << k;
        EXPECT_EQ(enc.substr(32).find_first_of("\r\n"), std::string::npos) << "table " << k;
        EXPECT_EQ(DecodeLine(k, enc), all) << "table " << k;
    }
}

TEST(LineCipher, TableChosenByLineIndexModulo256) {
    const std::string text = "00101:" + B5("月亮代表我的心");
    EXPECT_EQ(EncodeLine(0, text), EncodeLine(256, text));
    EXPECT_EQ(EncodeLine(0, text), EncodeLine(512, text));
    EXPECT_EQ(EncodeLine(255, text), EncodeLine(511, text));
    EXPECT_NE(EncodeLine(0, text), EncodeLine(1, text));
    EXPECT_EQ(EncodeLine(7, ""), "");
}

TEST(LineCipher, FirstLineOfAnEncipheredListNeverReadsAsASongNumber) {
    // Only the first line decides whether a list is plain; it always uses the table of index 0.
    for (int line : {0, 256, 79872}) {
        for (char d = '0'; d <= '9'; ++d) {
            unsigned char e = static_cast<unsigned char>(EncodeLine(line, std::string(1, d))[0]);
            EXPECT_FALSE((e >= '0' && e <= '9') || e == '+' || e == '-' || e == ' ')
                << "digit " << d << " of line " << line << " becomes " << int(e);
        }
    }
    for (int number = 101; number <= 99980; number += 37) {
        std::string plain = std::to_string(100000 + number).substr(1) + ":";
        EXPECT_FALSE(IsInteger(EncodeLine(0, plain).substr(0, 5))) << plain;
    }
}

TEST(LineCipher, AFieldEncipheredAloneMatchesTheWholeLine) {
    std::string record = "00101:" + B5("愛你一萬年") + std::string(50, ' ') + ";";
    record += std::string(140 - record.size() - 1, ' ') + ";";
    record.replace(104, 2, "12");
    ASSERT_EQ(record.size(), 140u);
    for (int line : {3, 300}) {
        EXPECT_EQ(EncodeLine(line, record).substr(104, 2), EncodeLine(line, "12"));
    }
}

TEST(LineCipher, ListsAreConvertedOnlyFromTheOtherForm) {
    const std::vector<std::string> plain = {"00517:" + B5("情人"), "00518:abc", ""};
    std::vector<std::string> lines = plain;
    DecodeLineList(lines);
    EXPECT_EQ(lines, plain);  // five digits first: already plain
    EncodeLineList(lines);
    EXPECT_NE(lines[0], plain[0]);
    EXPECT_EQ(lines[1], EncodeLine(1, plain[1]));
    std::vector<std::string> again = lines;
    EncodeLineList(again);
    EXPECT_EQ(again, lines);  // never enciphered twice
    DecodeLineList(lines);
    EXPECT_EQ(lines, plain);

    std::vector<std::string> empty;
    EncodeLineList(empty);
    DecodeLineList(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(StreamScrambling, ByteFormRoundTripsWithChainedKey) {
    std::string data = AllBytes() + AllBytes() + B5("歌曲資料");
    std::vector<uint8_t> source(data.begin(), data.end());
    for (uint16_t key : {uint16_t{0}, FileScrambleStartKey, uint16_t{0xFFFF}}) {
        std::vector<uint8_t> scrambled(source.size()), back(source.size());
        ScrambleBuffer(source.data(), scrambled.data(), key, source.size());
        EXPECT_NE(scrambled, source);
        UnscrambleBuffer(scrambled.data(), back.data(), key, back.size());
        EXPECT_EQ(back, source) << "key " << key;

        // The key runs on from each byte: a change reaches the bytes after it.
        std::vector<uint8_t> changed = source, scrambledChanged(source.size());
        changed[10] ^= 1;
        ScrambleBuffer(changed.data(), scrambledChanged.data(), key, changed.size());
        EXPECT_TRUE(std::equal(scrambled.begin(), scrambled.begin() + 10, scrambledChanged.begin()));
        EXPECT_NE(scrambled[11], scrambledChanged[11]);

        std::vector<uint8_t> inPlace = scrambled;
        UnscrambleBuffer(inPlace.data(), inPlace.data(), key, inPlace.size());
        EXPECT_EQ(inPlace, source);
    }
}

TEST(StreamScrambling, HexForm) {
    EXPECT_GE(HexScrambleStartKey, 100);
    EXPECT_LE(HexScrambleStartKey, 999);
    EXPECT_EQ(ScrambleToHex("", HexScrambleStartKey), "");
    EXPECT_EQ(UnscrambleHex("", HexScrambleStartKey), "");

    std::string hex = ScrambleToHex("abc", HexScrambleStartKey);
    EXPECT_EQ(hex.size(), 6u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);

    const std::string id = "QV" + B5("卡拉") + std::string("\x00\xFF", 2);
    const std::string idHex = ScrambleToHex(id, HexScrambleStartKey);
    EXPECT_EQ(UnscrambleHex(idHex, HexScrambleStartKey), id);
    EXPECT_EQ(DescrambleHexString(idHex, HexScrambleStartKey), id);
    EXPECT_EQ(UnscrambleHex(idHex + "7", HexScrambleStartKey), id);  // a last single digit is ignored
    std::string lower = idHex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(UnscrambleHex(lower, HexScrambleStartKey), id);
    EXPECT_NE(UnscrambleHex(idHex, HexScrambleStartKey + 1), id);
}

TEST(StreamScrambling, MalformedHexPairs) {
    const std::string good = ScrambleToHex("xyz", HexScrambleStartKey);
    const std::string bad = good.substr(0, 2) + "0G" + good.substr(4);
    EXPECT_EQ(UnscrambleHex(bad, HexScrambleStartKey), "");
    EXPECT_EQ(UnscrambleHex("zz", HexScrambleStartKey), "");
    EXPECT_EQ(DescrambleHexString(bad, HexScrambleStartKey),
              DescrambleHexString(good.substr(0, 2) + "00" + good.substr(4), HexScrambleStartKey));
    EXPECT_EQ(DescrambleHexString(bad, HexScrambleStartKey).size(), 3u);
}

TEST_F(SongListFiles, ScrambleFileWritesTheWholeTargetOrNothing) {
    const std::string data = B5("歌曲資料") + AllBytes();
    ASSERT_TRUE(ReplaceFileContents(In("data.tmp"), data));
    ASSERT_TRUE(ReplaceFileContents(In("data.bin"), std::string(5000, 'x')));  // older and longer

    ASSERT_TRUE(ScrambleFile(In("data.tmp"), In("data.bin")));
    std::string scrambled = Slurp(In("data.bin"));
    ASSERT_EQ(scrambled.size(), data.size());
    std::string back(scrambled.size(), '\0');
    UnscrambleBuffer(reinterpret_cast<const uint8_t*>(scrambled.data()),
                     reinterpret_cast<uint8_t*>(back.data()), FileScrambleStartKey, back.size());
    EXPECT_EQ(back, data);

    EXPECT_FALSE(ScrambleFile(In("missing.tmp"), In("data.bin")));
    EXPECT_EQ(Slurp(In("data.bin")), scrambled);
    EXPECT_FALSE(ScrambleFile(dir, In("data.bin")));  // a folder is no source
    EXPECT_FALSE(ScrambleFile(In("data.tmp"), In("no/such/folder/data.bin")));
    EXPECT_EQ(Slurp(In("data.tmp")), data);

    ASSERT_TRUE(ReplaceFileContents(In("empty.tmp"), ""));
    EXPECT_TRUE(ScrambleFile(In("empty.tmp"), In("data.bin")));
    EXPECT_EQ(Slurp(In("data.bin")), "");
}

TEST_F(SongListFiles, PlainSongListIsEncipheredWithItsBackup) {
    const std::vector<std::string> plain = {"00101:" + B5("愛你一萬年"), "00102:" + B5("北京"), "00103:x"};
    ASSERT_TRUE(ReplaceFileContents(In("song.qv2"), plain[0] + "\n" + plain[1] + "\r" + plain[2] + "\r\n"));

    ASSERT_TRUE(ScrambleSongList2());
    std::string bytes = Slurp(In("song.qv2"));
    EXPECT_EQ(Slurp(In("song.qv2.backup")), bytes);
    std::vector<std::string> lines = SplitTextLines(bytes);
    EXPECT_EQ(bytes, JoinLinesCrLf(lines));
    EXPECT_FALSE(IsInteger(lines[0].substr(0, 5)));
    DecodeLineList(lines);
    EXPECT_EQ(lines, plain);

    // Already enciphered: left alone.
    fs::remove(In("song.qv2.backup"));
    ASSERT_TRUE(ScrambleSongList2());
    EXPECT_EQ(Slurp(In("song.qv2")), bytes);
    EXPECT_FALSE(fs::exists(In("song.qv2.backup")));
}

TEST_F(SongListFiles, SongListConversionWithNothingToDoOrNowhereToWrite) {
    EXPECT_TRUE(ScrambleSongList2());  // no list
    EXPECT_FALSE(fs::exists(In("song.qv2")));
    ASSERT_TRUE(ReplaceFileContents(In("song.qv2"), ""));
    EXPECT_TRUE(ScrambleSongList2());
    EXPECT_FALSE(fs::exists(In("song.qv2.backup")));

    // A list that starts with another song number is plain too.
    ASSERT_TRUE(ReplaceFileContents(In("song.qv2"), "00517:a\r\n"));
    fs::create_directory(In("song.qv2.backup"));  // the backup cannot be written
    EXPECT_FALSE(ScrambleSongList2());
    EXPECT_EQ(Slurp(In("song.qv2")), EncodeLine(0, "00517:a") + "\r\n");
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename().string().find(".qv2.backup."), std::string::npos)
            << "temporary left";
    }

    // Only the first line counts, however short: "12" is a number, "1" followed by "2x" on the next line
    // is too, and "12x" is not.
    fs::remove(In("song.qv2.backup"));
    for (const auto& [text, plain] : std::vector<std::pair<std::string, bool>>{
             {"12\r\nab\r\n", true}, {"1\n2x\r\n", true}, {"12x\r\n", false}}) {
        ASSERT_TRUE(ReplaceFileContents(In("song.qv2"), text));
        EXPECT_TRUE(ScrambleSongList2());
        std::vector<std::string> lines = SplitTextLines(text);
        EncodeLineList(lines);
        EXPECT_EQ(Slurp(In("song.qv2")), plain ? JoinLinesCrLf(lines) : text) << text;
        fs::remove(In("song.qv2.backup"));
    }
}
