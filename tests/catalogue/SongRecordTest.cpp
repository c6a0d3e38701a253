#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/LineCipher.h"
#include "catalogue/Parallel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"
#include "support/FakeUserInterface.h"
#include "support/FileLimits.h"

using namespace qv;

namespace {

const std::string kZhong = "\xA4\xA4";  // 中

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

FieldList Song(const std::string& number, const std::string& name = "AB",
               const std::string& singer = "Singer", const std::string& language = "1",
               const std::string& singerClass = "2") {
    FieldList f(SongFieldCount);
    f[colSongNo] = number;
    f[colSongName] = name;
    f[colWordCount] = "1";
    f[colSinger] = singer;
    f[colSingerClass] = singerClass;
    f[colLanguage] = language;
    f[colStrokes] = "0";
    f[colDateAdded] = "2024/01/02";
    return f;
}

// Numbers 00101, 00102, ... in order.
std::string NumberOf(int i) { return ZeroPad3(1 + i / 80) + ZeroPad3(1 + i % 80).substr(1); }

class SongFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-songrecord-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        LibraryRoot = dir_;
        BuildLineCipherTables();
        StartingUp = true;  // no ".bak" copy and no pause unless a test asks for it
        LoadingSongs = false;
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
    }
    void TearDown() override {
        StartingUp = false;
        LoadingSongs = false;
        std::filesystem::remove_all(dir_);
    }

    std::string Path(const std::string& name = "song.qv2") const { return dir_ + "/" + name; }
    void Write(const std::string& bytes, const std::string& name = "song.qv2") const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name = "song.qv2") const {
        std::string bytes;
        ReadFileBytes(Path(name), bytes);
        return bytes;
    }
    static std::string Plain(const std::vector<std::string>& lines) {
        std::string out;
        for (const auto& l : lines) out += l + "\r\n";
        return out;
    }
    static std::string Enciphered(const std::vector<std::string>& lines) {
        std::string out;
        for (size_t i = 0; i < lines.size(); ++i) out += EncodeLine(static_cast<int>(i), lines[i]) + "\r\n";
        return out;
    }
    static std::vector<std::string> Records(int count) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back(JoinSongRecord(Song(NumberOf(i))));
        return lines;
    }
    // The plain lines of song.qv2 as the program reads them.
    std::vector<std::string> DecodedLines() const {
        std::string bytes = Read();
        std::vector<std::string> lines;
        for (auto l : SplitLines(bytes)) lines.emplace_back(l);
        DecodeLineList(lines);
        return lines;
    }

    std::string dir_;
    test::FakeUserInterface ui_;
};

TEST(SongRecord, FieldStartsFollowTheWidths) {
    EXPECT_EQ(SongFieldStart[colSongNo], 1);
    EXPECT_EQ(SongFieldStart[colSongName], 7);
    EXPECT_EQ(SongFieldStart[colPinyin], 68);
    EXPECT_EQ(SongFieldStart[colSinger], 82);
    EXPECT_EQ(SongFieldStart[colStrokes], 105);
    EXPECT_EQ(SongFieldStart[colForeignPhoto], 122);
    EXPECT_EQ(SongFieldStart[colDateAdded], 130);
}

TEST(SongRecord, JoinCutsNamesOnWholeCharacters) {
    FieldList f = Song("00101", Repeat(kZhong, 30), "A" + Repeat(kZhong, 8));
    std::string record = JoinSongRecord(f);
    ASSERT_EQ(record.size(), 140u);
    EXPECT_EQ(record.substr(0, 6), "00101:");
    EXPECT_EQ(record.substr(6, 60), Repeat(kZhong, 30));  // exactly 60 bytes: kept whole
    EXPECT_EQ(record[66], ';');
    // 17 bytes cut to 16 split the eighth 中: its lead byte became a blank.
    EXPECT_EQ(record.substr(81, 16), "A" + Repeat(kZhong, 7) + " ");
    EXPECT_EQ(record[139], ';');

    f[colSongName] = "A" + Repeat(kZhong, 40);
    record = JoinSongRecord(f);
    EXPECT_EQ(record.substr(6, 60), "A" + Repeat(kZhong, 29) + " ");
}

TEST(SongRecord, SplitTrimsBlanksAndToleratesShortAndLongTexts) {
    FieldList f = Song("00101", kZhong + "\xA1\x40", "\xB3\xA1\x40");  // 中 + full-width blank; 魁@-like pair
    f[colVolume] = "B";
    std::string record = JoinSongRecord(f);
    FieldList back;
    SplitSongRecord(record + "tail beyond the record", back);
    ASSERT_EQ(back.size(), 21u);
    EXPECT_EQ(back[colSongName], kZhong);
    EXPECT_EQ(back[colSinger], "\xB3\xA1\x40");  // A1 40 here is no full-width blank
    EXPECT_EQ(back[colVolume], "B");
    EXPECT_EQ(back[colDateAdded], "2024/01/02");

    SplitSongRecord("00101:Hi", back);
    ASSERT_EQ(back.size(), 21u);
    EXPECT_EQ(back[colSongName], "Hi");
    EXPECT_EQ(back[colDateAdded], "");
}

TEST(SongRecord, SplitTrimsExactlyLikeTrimTrailingBlanks) {
    // Blanks, full-width blank halves, lead bytes and trail-like bytes in every order.
    const unsigned char alphabet[] = {' ', 'A', 0x40, 0xA1, 0xA4, 0x81, 0xFE, 0x41, 0xFF};
    uint32_t seed = 12345;
    FieldList fields;
    for (int round = 0; round < 20000; ++round) {
        std::string record(SongLineLength, ' ');
        for (char& c : record) {
            seed = seed * 1103515245 + 12345;
            c = static_cast<char>(alphabet[(seed >> 16) % std::size(alphabet)]);
        }
        SplitSongRecord(record, fields);
        for (int f = 0; f < SongFieldCount; ++f) {
            const std::string raw = record.substr(SongFieldStart[f] - 1, SongFieldWidths[f]);
            ASSERT_EQ(fields[f], TrimTrailingBlanks(raw)) << "field " << f << " of round " << round;
        }
    }
}

TEST(SongRecord, OldLayoutGainsTwoEmptyPhotoMarks) {
    // 136 characters: fields 0..14, then volume, channel, own choice and date.
    std::string old = JoinSongRecord(Song("00101", "Name")).substr(0, 119) + "7;1;*;2020/05/06;";
    ASSERT_EQ(old.size(), 136u);
    FieldList f;
    SplitOldSongRecord(old, f);
    ASSERT_EQ(f.size(), 21u);
    EXPECT_EQ(f[colSongName], "Name");
    EXPECT_EQ(f[colForeignPhoto - 1], "");
    EXPECT_EQ(f[colForeignPhoto], "");
    EXPECT_EQ(f[colVolume], "7");
    EXPECT_EQ(f[colChannel], "1");
    EXPECT_EQ(f[colSelfPlay], "*");
    EXPECT_EQ(f[colDateAdded], "2020/05/06");
}

TEST(SongRecord, PaddingHelpers) {
    EXPECT_EQ(PadField("abc", 5, false), "abc  ");
    EXPECT_EQ(PadField("abc", 5, true), "00abc");
    EXPECT_EQ(PadField("abcdef", 4, true), "abcd");
    EXPECT_EQ(ZeroPad3(7), "007");
    EXPECT_EQ(ZeroPad3(42), "042");
    EXPECT_EQ(ZeroPad3(1234), "123");
    EXPECT_EQ(ZeroPadInt(5, 4), "0005");
    EXPECT_EQ(ZeroPadInt(12345, 3), "123");
}

TEST(SongRecord, NextSongNumberStaysInsideFolders1To999) {
    EXPECT_EQ(NextSongNumber(""), "00101");
    EXPECT_EQ(NextSongNumber("00180"), "00201");
    EXPECT_EQ(NextSongNumber("00512"), "00513");
    EXPECT_EQ(NextSongNumber("99979"), "99980");
    EXPECT_EQ(NextSongNumber("99980"), "");
    // A malformed last number is refused, never continued in folder 000.
    EXPECT_EQ(NextSongNumber("abcde"), "");
    EXPECT_EQ(NextSongNumber("00050"), "");
    EXPECT_EQ(NextSongNumber("0010"), "");
    EXPECT_EQ(NextSongNumber("0a101"), "");
}

TEST_F(SongFile, NoFileOrEmptyFilePassesAndLoadsEmpty) {
    EXPECT_TRUE(LoadSongList2());
    EXPECT_FALSE(LoadAllSong(Path()));
    Write("");
    EXPECT_TRUE(LoadSongList2());
    EXPECT_EQ(Read(), "");
    EXPECT_TRUE(LoadAllSong(Path()));
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_TRUE(AllSong.empty());
    EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(SongFile, ValidPlainFileIsLeftPlainAndOneShortRecordEnciphersIt) {
    std::vector<std::string> lines = Records(3);
    Write(Plain(lines));
    EXPECT_TRUE(LoadSongList2());
    EXPECT_EQ(Read(), Plain(lines));

    // A record of 120 characters: padded, its counts recomputed from the name.
    FieldList f = Song("00103", Repeat(kZhong, 3) + " AB", "Singer");
    f[colWordCount] = "9";
    f[colStrokes] = "99";
    lines[2] = JoinSongRecord(f).substr(0, 120);
    Write(Plain(lines));
    EXPECT_TRUE(LoadSongList2());
    std::string bytes = Read();
    ASSERT_EQ(bytes.size(), 3u * 142);
    EXPECT_NE(bytes.substr(0, 5), "00101");  // enciphered
    std::vector<std::string> now = DecodedLines();
    EXPECT_EQ(now[0], lines[0]);
    FieldList back;
    SplitSongRecord(now[2], back);
    EXPECT_EQ(now[2].size(), 140u);
    EXPECT_EQ(back[colStrokes], "4");    // 中
    EXPECT_EQ(back[colWordCount], "4");  // three characters and one Latin word
    EXPECT_EQ(back[colSinger], "Singer");
    EXPECT_EQ(back[colSelfPlay], "");
    EXPECT_EQ(back[colDateAdded], "");  // cut off at 120
}

TEST_F(SongFile, OldLayoutRecordIsWidenedKeepingItsTail) {
    std::string old = JoinSongRecord(Song("00101", "Name")).substr(0, 119) + "B;0;*;2020/05/06;";
    old[107] = 'Q';  // new mark outside its values: kept for an old record (its marks 9, 10 stay)
    Write(Enciphered({old}));
    EXPECT_TRUE(LoadSongList2());
    std::vector<std::string> now = DecodedLines();
    ASSERT_EQ(now.size(), 1u);
    ASSERT_EQ(now[0].size(), 140u);
    EXPECT_EQ(now[0].substr(119, 4), " ; ;");
    EXPECT_EQ(now[0].substr(123, 17), "B;0;*;2020/05/06;");
    EXPECT_EQ(now[0][107], 'Q');
}

TEST_F(SongFile, LanguageOrClassNotANumberStopsWithTheLineAndNothingIsWritten) {
    std::vector<std::string> lines = Records(3);
    lines[2] = JoinSongRecord(Song("00103", "AB", "S", "x"));
    lines.push_back("short line, would be rewritten");
    const std::string file = Enciphered(lines);
    Write(file);
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"第3行,歌曲編號00103的歌曲種類欄位有問題"});
    EXPECT_EQ(Read(), file);

    lines[2] = JoinSongRecord(Song("00103", "AB", "S", "1", " "));
    Write(Plain(lines));
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("error").back(), "第3行,歌曲編號00103的歌星種類欄位有問題");
    EXPECT_EQ(Read(), Plain(lines));
}

TEST_F(SongFile, EmptyLineIsRefusedNotSkipped) {
    std::vector<std::string> lines = Records(3);
    lines.insert(lines.begin() + 1, "");
    Write(Enciphered(lines));
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"第2行,歌曲編號的歌曲種類欄位有問題"});
}

TEST_F(SongFile, InvalidVolumeAndDateAreBlanked) {
    std::vector<std::string> lines;
    for (const char* volume : {"G", "B", "7"}) {
        FieldList f = Song(NumberOf(static_cast<int>(lines.size())));
        f[colVolume] = volume;
        lines.push_back(JoinSongRecord(f));
    }
    FieldList f = Song(NumberOf(3));
    f[colDateAdded] = "2024/01/0x";
    lines.push_back(JoinSongRecord(f));
    Write(Enciphered(lines));
    EXPECT_TRUE(LoadSongList2());
    std::vector<std::string> now = DecodedLines();
    FieldList back;
    const char* expected[] = {"", "B", "7"};
    for (int i = 0; i < 3; ++i) {
        SplitSongRecord(now[i], back);
        EXPECT_EQ(back[colVolume], expected[i]);
    }
    SplitSongRecord(now[3], back);
    EXPECT_EQ(back[colDateAdded], "");
    EXPECT_EQ(back[colSongNo], "00104");
}

TEST_F(SongFile, LineBreaksOtherThanCrLfAreRewritten) {
    // 142 records ended by LF alone make a size that is a multiple of 142, yet record i is not at i * 142.
    std::vector<std::string> lines = Records(142);
    std::string lf;
    for (size_t i = 0; i < lines.size(); ++i) lf += EncodeLine(static_cast<int>(i), lines[i]) + "\n";
    ASSERT_EQ(lf.size() % 142, 0u);
    Write(lf);
    EXPECT_TRUE(LoadSongList2());
    EXPECT_EQ(Read(), Enciphered(lines));

    // No break after the last record, and a CR alone.
    std::string mixed = Enciphered(lines);
    mixed.replace(140, 2, "\r");
    mixed.resize(mixed.size() - 2);
    Write(mixed);
    EXPECT_TRUE(LoadSongList2());
    EXPECT_EQ(Read(), Enciphered(lines));
}

TEST_F(SongFile, LoadKeepsEveryLineAsItsRow) {
    std::vector<std::string> lines = Records(4);
    FieldList noNumber = Song("", kZhong + "A", "\xA4\x41\xA4\x61");  // 乙兀
    lines[2] = JoinSongRecord(noNumber);
    Write(Enciphered(lines));
    ASSERT_TRUE(LoadAllSong(Path()));
    ASSERT_EQ(AllSongCount, 4);
    ASSERT_EQ(AllSong.size(), 4u);
    EXPECT_EQ(ShownRows, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(AllSong[1][colSongNo], "00102");
    EXPECT_EQ(AllSong[2][colSongNo], "");
    EXPECT_EQ(AllSong[2][colSongName], kZhong + "A");
    EXPECT_EQ(AllSong[2][colSinger], "\xA4\x41\xA4\x61");
    EXPECT_EQ(AllSong[2][colSingerWordCount], "2");
    EXPECT_EQ(AllSong[2][colSingerStrokes], "1");
    EXPECT_EQ(AllSong[3][colSongNo], "00104");
    EXPECT_EQ(Read(), Enciphered(lines));  // loading appends nothing
    EXPECT_FALSE(LoadingSongs);

    // A plain list is read as it is, whatever its first number.
    lines = {JoinSongRecord(Song("00201")), JoinSongRecord(Song("00202"))};
    Write(Plain(lines));
    ASSERT_TRUE(LoadAllSong(Path()));
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(AllSong[0][colSongNo], "00201");
    EXPECT_EQ(AllSong[1][colSongName], "AB");
}

// A library large enough to be checked and loaded on several cores behaves as a check from the top.
TEST_F(SongFile, WholeLibraryIsCheckedAndLoadedLineByLine) {
    constexpr int kCount = 9000;
    std::vector<std::string> lines = Records(kCount);
    for (int i : {7, 2999, 4500, 8998}) lines[i] = lines[i].substr(0, 120);  // repaired in place
    std::vector<std::string> bad = lines;
    bad[8001] = JoinSongRecord(Song(NumberOf(8001), "AB", "S", "x"));
    bad[3001] = JoinSongRecord(Song(NumberOf(3001), "AB", "S", "1", "y"));
    const std::string refused = Enciphered(bad);
    Write(refused);
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("error"),
              std::vector<std::string>{"第3002行,歌曲編號" + NumberOf(3001) + "的歌星種類欄位有問題"});
    EXPECT_EQ(Read(), refused);

    Write(Enciphered(lines));
    ASSERT_TRUE(LoadSongList2());
    std::vector<std::string> now = DecodedLines();
    ASSERT_EQ(now.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        if (lines[i].size() == 140) {
            EXPECT_EQ(now[i], lines[i]) << i;
        } else {
            EXPECT_EQ(now[i].substr(0, 120), lines[i]) << i;
            EXPECT_EQ(now[i].size(), 140u) << i;
        }
    }

    ASSERT_TRUE(LoadAllSong(Path()));
    ASSERT_EQ(AllSongCount, kCount);
    EXPECT_EQ(ShownRows.size(), static_cast<size_t>(kCount));
    FieldList fields;
    for (int i = 0; i < kCount; ++i) {
        SplitSongRecord(now[i], fields);
        for (int f = 0; f < SongFieldCount; ++f) ASSERT_EQ(AllSong[i][f], fields[f]) << i << ":" << f;
        ASSERT_EQ(ShownRows[i], i);
    }
}

// Rows made ahead are taken only while the file holds exactly the bytes they were made of: any change
// since is read from the file, as a load without the preload would read it.
TEST_F(SongFile, APreloadIsTakenOnlyWhileTheFileHoldsItsBytes) {
    constexpr int kCount = 9000;  // made on several cores
    std::vector<std::string> lines = Records(kCount);
    lines[4321] = JoinSongRecord(Song(NumberOf(4321), kZhong + "A", "\xA4\x41\xA4\x61"));
    Write(Enciphered(lines));
    ASSERT_TRUE(LoadAllSong(Path()));
    const std::vector<SongRow> direct = AllSong;
    struct stat written {};
    ASSERT_EQ(::stat(Path().c_str(), &written), 0);

    // Preloads `preloaded`, lets it finish, applies the change, then loads song.qv2.
    auto loadAfter = [&](const std::function<void()>& change, const std::string& preloaded = "song.qv2") {
        AllSong.clear();
        AllSongCount = 0;
        ShownRows.clear();
        PreloadSongList(Path(preloaded));
        WaitForSongListPreload();
        change();
        return LoadAllSong(Path());
    };

    ASSERT_TRUE(loadAfter([] {}));
    EXPECT_EQ(AllSong, direct);
    EXPECT_EQ(AllSongCount, kCount);
    ASSERT_EQ(ShownRows.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(ShownRows[kCount - 1], kCount - 1);
    EXPECT_FALSE(LoadingSongs);

    // One record rewritten in place: same file, same length, its times put back.
    lines[7000] = JoinSongRecord(Song(NumberOf(7000), "Changed"));
    ASSERT_TRUE(loadAfter([&] {
        Write(Enciphered(lines));
        const timespec times[2] = {written.st_atim, written.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path().c_str(), times, 0), 0);
    }));
    ASSERT_EQ(AllSongCount, kCount);
    EXPECT_EQ(AllSong[7000][colSongName], "Changed");
    EXPECT_EQ(AllSong[4321], direct[4321]);

    // Replaced whole, as start-up's check replaces a list it repairs, and one song longer.
    lines.push_back(JoinSongRecord(Song(NumberOf(kCount), "Last")));
    ASSERT_TRUE(loadAfter([&] { ASSERT_TRUE(ReplaceFileContents(Path(), Enciphered(lines))); }));
    ASSERT_EQ(AllSongCount, kCount + 1);
    EXPECT_EQ(AllSong[kCount][colSongName], "Last");
    EXPECT_EQ(AllSong[7000][colSongName], "Changed");

    // Gone: nothing is loaded.
    EXPECT_FALSE(loadAfter([&] { std::filesystem::remove(Path()); }));
    EXPECT_EQ(AllSongCount, 0);

    // A preload of another file, or of one that was missing then, is not taken.
    Write(Enciphered(lines), "other.qv2");
    EXPECT_FALSE(loadAfter([] {}, "other.qv2"));
    EXPECT_EQ(AllSongCount, 0);
    ASSERT_TRUE(loadAfter([&] { Write(Plain({lines[1], lines[2]})); }));
    ASSERT_EQ(AllSongCount, 2);
    EXPECT_EQ(AllSong[0][colSongNo], NumberOf(1));
}

// The start-up check looks at the file as it is when it runs, whatever was read ahead.
TEST_F(SongFile, TheCheckSeesTheFileAsItIsAfterAPreload) {
    std::vector<std::string> lines = Records(9000);
    Write(Enciphered(lines));
    PreloadSongList(Path());
    WaitForSongListPreload();
    lines[6000] = JoinSongRecord(Song(NumberOf(6000), "AB", "S", "x"));  // no language: refused
    Write(Enciphered(lines));
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("error"),
              std::vector<std::string>{"第6001行,歌曲編號" + NumberOf(6000) + "的歌曲種類欄位有問題"});

    // Read ahead as it is: a record to repair is repaired, and the load takes the repaired list.
    lines[6000] = JoinSongRecord(Song(NumberOf(6000))).substr(0, 120);
    Write(Enciphered(lines));
    PreloadSongList(Path());
    WaitForSongListPreload();
    ASSERT_TRUE(LoadSongList2());
    EXPECT_EQ(DecodedLines()[6000].size(), 140u);
    ASSERT_TRUE(LoadAllSong(Path()));
    EXPECT_EQ(AllSong[6000][colSongNo], NumberOf(6000));
    EXPECT_EQ(AllSong[6000][colDateAdded], "");  // cut off with the record's tail
}

// Out of memory or threads, the loaders do without: the slices run on the calling thread, a preload that
// cannot be made is not there, and the load reads the file itself once memory is back. Nothing ends the
// process. Run in a child whose address space is cut down.
TEST_F(SongFile, LoadingWithoutMemoryForThreadsEndsNothing) {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not live within an address-space limit";
#endif
    constexpr int kCount = 9000;
    std::vector<std::string> lines = Records(kCount);
    lines[8999] = JoinSongRecord(Song(NumberOf(8999), "Last"));
    Write(Enciphered(lines));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto vmBytes = [] {
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("VmSize:", 0) == 0) return static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
            return rlim_t{0};
        };
        rlimit old{};
        ::getrlimit(RLIMIT_AS, &old);
        int code = 0;
        const std::string path = Path();
        std::vector<int> seen;
        // Room for no thread's stack, then for one thread but not for its work.
        for (rlim_t room : {rlim_t{1} << 20, rlim_t{12} << 20, rlim_t{24} << 20}) {
            seen.assign(100000, 0);
            rlimit cut = old;
            cut.rlim_cur = vmBytes() + room;
            ::setrlimit(RLIMIT_AS, &cut);
            try {
                ForEachSlice(seen.size(), [&](size_t first, size_t last) {
                    for (size_t i = first; i < last; ++i) ++seen[i];
                });
            } catch (const std::exception&) {
            }
            if (room == (rlim_t{1} << 20) && std::count(seen.begin(), seen.end(), 1) != 100000) code = 1;
            PreloadSongList(path);
            WaitForSongListPreload();
            ::setrlimit(RLIMIT_AS, &old);
            if (!LoadAllSong(path) || AllSongCount != kCount || AllSong[8999][colSongName] != "Last") code = 2;
        }
        std::_Exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SongFile, RecordWriterRewritesExactlyOneRecord) {
    std::vector<std::string> lines = Records(12);
    const std::string before = Enciphered(lines);
    Write(before);
    ASSERT_TRUE(LoadAllSong(Path()));
    AllSong[10][colSongName] = "New name";
    StartingUp = false;  // takes the ".bak" copy first
    ASSERT_TRUE(WriteSongRecord(10));
    EXPECT_EQ(Read("song.qv2.bak"), before);
    const std::string after = Read();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 1420), before.substr(0, 1420));
    EXPECT_EQ(after.substr(1420, 142), EncodeLine(10, JoinSongRecord(AllSong[10])) + "\r\n");
    EXPECT_EQ(after.substr(1562), before.substr(1562));
    EXPECT_FALSE(WriteSongRecord(12));
}

TEST_F(SongFile, ColumnWritersWriteOnlyTheirField) {
    Write(Enciphered(Records(12)));
    ASSERT_TRUE(LoadAllSong(Path()));
    std::string before = Read();
    for (auto& row : AllSong) row[colStrokes] = "17";
    AllSong[10][colStrokes] = "8";
    ASSERT_TRUE(WriteStrokesColumn());
    std::string after = Read();
    for (size_t r = 0; r < 12; ++r) {
        std::string expected = before.substr(r * 142, 142);
        expected.replace(104, 2, EncodeLine(static_cast<int>(r), r == 10 ? "8 " : "17"));
        EXPECT_EQ(after.substr(r * 142, 142), expected) << "row " << r;
    }
    EXPECT_EQ(DecodeLine(10, after.substr(1420 + 104, 2)), "8 ");

    AllSong[3][colNewMark] = "*";
    AllSong[5][colNewMark] = "@";
    AllSong[7][colNewMark] = "?";
    ASSERT_TRUE(WriteSongRecord(7));
    ASSERT_TRUE(MarkNewSongsBooked());
    EXPECT_EQ(AllSong[3][colNewMark], "@");
    EXPECT_EQ(AllSong[7][colNewMark], "?");
    EXPECT_EQ(DecodeLine(3, Read().substr(3 * 142 + 107, 1)), "@");
    ASSERT_TRUE(ClearNewMarksColumn());
    EXPECT_EQ(AllSong[3][colNewMark], "");
    EXPECT_EQ(AllSong[5][colNewMark], "");
    EXPECT_EQ(AllSong[7][colNewMark], "?");
    EXPECT_EQ(DecodeLine(5, Read().substr(5 * 142 + 107, 1)), " ");

    AllSong[4][colSingerPriority] = "3";
    ASSERT_TRUE(WriteRowPriority(4));
    EXPECT_EQ(DecodedLines()[4].substr(98, 1), "3");
    EXPECT_EQ(DecodedLines(), [] {
        std::vector<std::string> joined;
        for (const auto& row : AllSong) joined.push_back(JoinSongRecord(row));
        return joined;
    }());
}

TEST_F(SongFile, AppendAndTruncateKeepTheFileInStepWithTheTable) {
    Write(Enciphered(Records(2)));
    ASSERT_TRUE(LoadAllSong(Path()));
    ASSERT_TRUE(AddSongRow(Song("00103", "Third")));
    EXPECT_EQ(AllSongCount, 3);
    EXPECT_EQ(Read(), Enciphered({JoinSongRecord(Song("00101")), JoinSongRecord(Song("00102")),
                                  JoinSongRecord(AllSong[2])}));
    ASSERT_TRUE(TruncateSongFile(Path(), SongLineLength, 1));
    EXPECT_EQ(Read().size(), 142u);
    ASSERT_TRUE(TruncateSongFile(Path(), SongLineLength, 0));
    EXPECT_EQ(Read(), "");
}

TEST_F(SongFile, WritersWriteNothingWhileLoading) {
    Write(Enciphered(Records(3)));
    ASSERT_TRUE(LoadAllSong(Path()));
    const std::string before = Read();
    LoadingSongs = true;
    AllSong[1][colVolume] = "9";
    EXPECT_TRUE(WriteSongRecord(1));
    EXPECT_TRUE(WriteVolumeColumn());
    EXPECT_TRUE(WriteStringToFile(Path(), "x", 0));
    EXPECT_TRUE(TruncateSongFile(Path(), SongLineLength, 0));
    EXPECT_TRUE(AddSongRow(Song("00104")));
    EXPECT_EQ(Read(), before);
}

TEST_F(SongFile, WritersThatCannotOpenTheFileFail) {
    Write(Enciphered(Records(2)));
    ASSERT_TRUE(LoadAllSong(Path()));
    std::filesystem::remove(Path());
    std::filesystem::create_directory(Path());  // a folder in its place cannot be opened for writing
    EXPECT_FALSE(WriteSongRecord(1));
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + Path() + " error!"});
    EXPECT_FALSE(WritePinyinColumn());
    EXPECT_FALSE(WriteRowPriority(0));
    EXPECT_FALSE(AddSongRow(Song("00103")));
    EXPECT_EQ(AllSongCount, 3);  // the table keeps the change
    EXPECT_FALSE(TruncateSongFile(Path(), SongLineLength, 1));
    EXPECT_FALSE(WriteStringToFile(Path(), "", 4));
    EXPECT_EQ(ui_.Texts("info").back(), "str is blank in WriteStringToFile, error (" + Path() + ":4)!");
}

TEST_F(SongFile, OldestLayoutAIsConvertedAndCompleted) {
    // Layout A: number, name, word count, singer, class, language, strokes, six marks (106 characters).
    std::string a = "00101:" + PadField(Repeat(kZhong, 2), 60, false) + ";2 ;" + PadField("Old", 16, false) +
                    ";3;2;99;*;X;*; ; ; ;";
    ASSERT_EQ(a.size(), 106u);
    ASSERT_EQ(a[69], ';');
    std::string shortA = "00102:" + PadField("B", 60, false) + ";1 ;" + PadField("Two", 16, false) + ";4;1;";
    ASSERT_LT(shortA.size(), 98u);
    std::string trimmedA = a.substr(0, 99);  // below 100: cut to 98 and given its missing marks
    trimmedA.replace(0, 5, "00102");
    Write(a + "\r\n" + shortA + "\r\n" + trimmedA + "\r\n\r\n" + a + "\r\n", "song1.txt");

    MigrateOlderSongLists();
    EXPECT_FALSE(FileExists(Path("song1.txt")));
    EXPECT_FALSE(FileExists(Path("song.qv")));
    EXPECT_TRUE(FileExists(Path("song.qv.backup")));
    EXPECT_EQ(Read("song.qv2.backup"), Read());
    std::vector<std::string> converted = DecodedLines();
    ASSERT_EQ(converted.size(), 2u);  // the short line is left out, the empty line ends the list
    EXPECT_EQ(converted[0].size(), 123u);

    ASSERT_TRUE(LoadSongList2());
    ASSERT_TRUE(LoadAllSong(Path()));
    ASSERT_EQ(AllSongCount, 2);
    const SongRow& row = AllSong[0];
    EXPECT_EQ(row[colSongName], Repeat(kZhong, 2));
    EXPECT_EQ(row[colPinyin], "");
    EXPECT_EQ(row[colSinger], "Old");
    EXPECT_EQ(row[colSingerClass], "1");  // old class 3
    EXPECT_EQ(row[colLanguage], "2");
    EXPECT_EQ(row[colStrokes], "4");  // recomputed
    EXPECT_EQ(row[colWordCount], "2");
    EXPECT_EQ(row[colNewMark], "*");
    EXPECT_EQ(row[colSpecialDel], "X");
    EXPECT_EQ(row[colPopular], "*");
    EXPECT_EQ(row[colForeignPhoto], "");
    EXPECT_EQ(AllSong[1][colSongNo], "00102");
    EXPECT_EQ(AllSong[1][colSpecialDel], "X");
    EXPECT_EQ(AllSong[1][colPopular], "");  // given by the cut
}

TEST_F(SongFile, OldestLayoutBKeepsItsFirst119Characters) {
    FieldList f = Song("00101", "Bee", "Singer", "3", "4");
    f[colClassic] = "*";
    std::string b = JoinSongRecord(f).substr(0, 119) + "ignored tail";
    Write(b + "\r\n", "song.qv");
    ASSERT_TRUE(UpgradeSongFileLayout());
    EXPECT_EQ(Read(), b.substr(0, 119) + " ; ;\r\n");
}

TEST_F(SongFile, BakCopyIsRestoredAndBackupTakenOnce) {
    Write("bak copy", "song.qv2.bak");
    Write("older backup", "song.qv2.backup");
    MigrateOlderSongLists();
    EXPECT_EQ(Read(), "bak copy");
    EXPECT_FALSE(FileExists(Path("song.qv2.bak")));
    EXPECT_EQ(Read("song.qv2.backup"), "older backup");

    // The converted file never replaces an existing song.qv2.
    Write("old list", "song.qv");
    MigrateOlderSongLists();
    EXPECT_EQ(Read(), "bak copy");
    EXPECT_EQ(Read("song.qv"), "old list");
}

// A rewrite cut short inside a double-byte name (as on a full disk): the record as it was goes back, the
// table shows what the file holds and the failure is reported.
TEST_F(SongFile, RecordWriteCutShortKeepsFileAndTableOnTheOldRecord) {
    const std::vector<std::string> lines = Records(5);
    Write(Enciphered(lines));
    ASSERT_TRUE(LoadAllSong(Path()));
    const std::string before = Read();
    const std::string longName = Repeat(kZhong, 30);
    {
        test::FileSizeLimit limit(3 * SongRecordBytes + 6 + 23);  // cut after a lead byte of the name
        EXPECT_EQ(UpdateInAllSong(NumberOf(3), colSongName, longName), -1);
        EXPECT_FALSE(SetAllSongCell(3, colSongName, longName));
    }
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(JoinSongRecord(AllSong[3]), lines[3]);
    EXPECT_EQ(AllSong[3][colSongName], "AB");
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>(2, "Open file:" + Path() + " error!"));

    // Nothing of the record in the file, nor can it be put back: the row stays as it was.
    const SongRow row3 = AllSong[3];
    std::filesystem::resize_file(Path(), 3 * SongRecordBytes);
    test::Immutable locked(Path());
    if (!locked.ok()) GTEST_SKIP() << "no immutable files here";
    AllSong[3][colSongName] = "Other";
    RestoreSongRecord(3, row3);
    EXPECT_EQ(AllSong[3], row3);
    EXPECT_EQ(std::filesystem::file_size(Path()), 3u * SongRecordBytes);
}

// A safety copy that cannot be finished leaves the old copy, or none, never a cut one.
TEST_F(SongFile, SafetyCopiesAreWholeOrAbsentOnAFullDisk) {
    Write(Enciphered(Records(40)));  // 5680 bytes
    Write("old bak", "song.qv2.bak");
    ASSERT_TRUE(LoadAllSong(Path()));
    StartingUp = false;  // each record write copies the list to ".bak" first
    AllSong[1][colSongName] = "New";
    {
        test::FileSizeLimit limit(2000);
        EXPECT_TRUE(WriteSongRecord(1));  // the record itself lies below the limit
        MigrateOlderSongLists();          // the ".backup" copy does not fit
    }
    EXPECT_EQ(Read("song.qv2.bak"), "old bak");
    EXPECT_FALSE(FileExists(Path("song.qv2.backup")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);  // no temporary left
    EXPECT_EQ(DecodedLines()[1], JoinSongRecord(AllSong[1]));

    // With room again the copies are taken whole.
    MigrateOlderSongLists();
    EXPECT_EQ(Read("song.qv2.backup"), Read());
    ASSERT_TRUE(WriteSongRecord(1));
    EXPECT_EQ(Read("song.qv2.bak"), Read());
}

}  // namespace

namespace {

// Another program cut "song.qv2" to 30 records, or added one, behind the table's back: no writer fills the
// gap with NUL bytes or writes into records the table does not know; each fails as a failed write does.
TEST_F(SongFile, WritersRefuseAFileThatNoLongerHoldsTheTablesRows) {
    Write(Enciphered(Records(60)));
    ASSERT_TRUE(LoadAllSong(Path()));
    std::filesystem::resize_file(Path(), 30 * SongRecordBytes);
    const std::string cut = Read();

    AllSong[51][colSongName] = "New";
    EXPECT_FALSE(WriteSongRecord(51));
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + Path() + " error!"});
    const SongRow row51 = AllSong[51];
    EXPECT_FALSE(SetAllSongCell(51, colSinger, "Other"));
    EXPECT_EQ(AllSong[51], row51);     // nothing of it in the file: the row stays as it was
    EXPECT_FALSE(WriteSongRecord(3));  // a row the file still holds, of a list that is not the table's
    AllSong[2][colVolume] = "9";
    EXPECT_FALSE(WriteVolumeColumn());
    EXPECT_FALSE(AddSongRow(Song("00181")));
    EXPECT_FALSE(TruncateSongFile(Path(), SongLineLength, 59));
    EXPECT_TRUE(Read() == cut) << Read().size() << " bytes";

    // One record more than the table: the append would give the new song another one's place.
    const std::vector<std::string> lines = Records(4);
    Write(Enciphered(lines));
    ASSERT_TRUE(LoadAllSong(Path()));
    Write(Enciphered(Records(5)));
    const std::string longer = Read();
    EXPECT_FALSE(WriteSongRecord(0));
    EXPECT_FALSE(WriteStrokesColumn());
    EXPECT_FALSE(AddSongRow(Song("00105", "Mine")));
    EXPECT_TRUE(Read() == longer) << Read().size() << " bytes";
}

// An append cut short (full disk) takes its part of a record away again.
TEST_F(SongFile, AppendCutShortLeavesTheRowsBeforeIt) {
    Write(Enciphered(Records(3)));
    ASSERT_TRUE(LoadAllSong(Path()));
    const std::string before = Read();
    {
        test::FileSizeLimit limit(3 * SongRecordBytes + 50);
        EXPECT_FALSE(AddSongRow(Song("00104")));
    }
    EXPECT_TRUE(Read() == before) << Read().size() << " bytes";
}

// A list of another disk may be a link or a FIFO: a writer neither makes nor changes what a link points
// at, and a song sent into a pipe is not taken for a stored one.
TEST_F(SongFile, WritersNeverWriteThroughALinkNorIntoAFifo) {
    ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Path().c_str()), 0);
    EXPECT_FALSE(AddSongRow(Song("00101")));
    EXPECT_FALSE(std::filesystem::exists(Path("elsewhere")));

    Write(Enciphered(Records(2)), "elsewhere");
    ASSERT_TRUE(LoadAllSong(Path("elsewhere")));
    const std::string target = Read("elsewhere");
    AllSong[1][colVolume] = "9";
    EXPECT_FALSE(WriteSongRecord(1));
    EXPECT_FALSE(WriteVolumeColumn());
    EXPECT_FALSE(WriteStringToFile(Path(), JoinSongRecord(AllSong[1]), 1));
    EXPECT_FALSE(AddSongRow(Song("00103")));
    EXPECT_FALSE(TruncateSongFile(Path(), SongLineLength, 1));
    EXPECT_TRUE(Read("elsewhere") == target) << Read("elsewhere").size() << " bytes";
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));

    std::filesystem::remove(Path());
    ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
    AllSong.clear();
    AllSongCount = 0;
    EXPECT_FALSE(AddSongRow(Song("00101")));
    EXPECT_FALSE(TruncateSongFile(Path(), SongLineLength, 0));
}

}  // namespace

// Whatever stands under the list's name, the check and the load end at once, say so and load nothing.
TEST_F(SongFile, AListThatIsNoRegularFileOrTooLargeIsRefusedAtOnce) {
    auto expectRefused = [&](const char* what) {
        ui_.shown.clear();
        EXPECT_FALSE(LoadSongList2()) << what;
        EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + Path() + " error!"}) << what;
        PreloadSongList(Path());
        WaitForSongListPreload();
        EXPECT_FALSE(LoadAllSong(Path())) << what;
        EXPECT_EQ(AllSongCount, 0) << what;
    };
    ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
    expectRefused("a FIFO");
    std::filesystem::remove(Path());

    // One byte over the number space's records (sparse: costs no disk).
    Write("");
    ASSERT_EQ(::truncate(Path().c_str(), static_cast<off_t>(SongListLimit) + 1), 0);
    expectRefused("a record too many");
    std::filesystem::remove(Path());

    // More lines than the number space has songs, though few bytes.
    Write(std::string(static_cast<size_t>(MaxSongRecords) + 1, '\n'));
    expectRefused("too many lines");

    // The list is the program's own file: a link in its place is not followed.
    Write(Enciphered(Records(2)), "elsewhere");
    std::filesystem::remove(Path());
    ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Path().c_str()), 0);
    expectRefused("a link");
}

// NUL bytes are holes or cuts, never song text: the check and the load refuse the list instead of
// showing rows the file did not hold.
TEST_F(SongFile, LinesOfNulBytesAreNeverTakenAsSongs) {
    std::vector<std::string> lines = Records(4);
    lines[2].replace(SongFieldStart[colSongName] - 1, 10, std::string(10, '\0'));  // the name only
    Write(Enciphered(lines));
    EXPECT_FALSE(LoadSongList2());
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Open file:" + Path() + " error!"});
    const std::string before = Read();
    EXPECT_FALSE(LoadAllSong(Path()));
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_EQ(Read(), before);

    // A hole of whole records, as a write past the end leaves it.
    lines = Records(3);
    std::string bytes = Enciphered(lines) + std::string(5 * SongRecordBytes, '\0') +
                        EncodeLine(8, JoinSongRecord(Song(NumberOf(8)))) + "\r\n";
    Write(bytes);
    PreloadSongList(Path());
    WaitForSongListPreload();
    EXPECT_FALSE(LoadAllSong(Path()));
    EXPECT_EQ(AllSongCount, 0);
    EXPECT_TRUE(AllSong.empty());
}

// Another program cuts the list between the reads: the rows are those of the cut file, whole.
TEST_F(SongFile, AListCutWhileBeingReadIsReadAgain) {
    const std::vector<std::string> lines = Records(10);
    Write(Enciphered(lines));
    int reads = 0;
    SetSettledReadHook([&](const std::string&) {
        if (++reads == 1) {
            ASSERT_EQ(::truncate(Path().c_str(), 6 * SongRecordBytes), 0);
        }
    });
    const bool loaded = LoadAllSong(Path());
    SetSettledReadHook({});
    ASSERT_TRUE(loaded);
    EXPECT_EQ(reads, 2);
    ASSERT_EQ(AllSongCount, 6);
    EXPECT_EQ(AllSong[5][colSongNo], NumberOf(5));
}
