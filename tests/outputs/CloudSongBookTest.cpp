// The cloud song book against a real FTP server on the loopback: the uploaded list's bytes, the favourites
// merged back into the table and "song.qv2", the close-time offer, and every way the service can fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/LineCipher.h"
#include "catalogue/SongRecord.h"
#include "library/ServerMessage.h"
#include "library/Startup.h"
#include "outputs/CloudSongBook.h"
#include "platform/Ftp.h"
#include "platform/ServerHosts.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/LoopbackFtpServer.h"
#include "support/TempFolder.h"
#include "support/TempSongLibrary.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempSongLibrary;
using test::WriteBytes;

constexpr char Login[] = "songbook";
constexpr char Account[] = "QV7A2B9";

class CloudSongBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(served_.Path());
        WriteBytes(library_.Path("boot.bin"),
                   "\r\n0\r\n" + ScrambleToHex(Account, HexScrambleStartKey) + "\r\n");
        SongRow a = TempSongLibrary::Song("00101", "愛你", "歌手甲");
        a[colWordCount] = "2";
        a[colStrokes] = "13";
        a[colNewMark] = "@";
        SongRow b = TempSongLibrary::Song("00102", "Hello", "Band", "4");
        b[colWordCount] = "1";
        b[colStrokes] = "0";
        b[colNewMark] = "*";
        b[colFavourite] = "*";
        SongRow c = TempSongLibrary::Song("00103", "刪除的歌", "某人");
        c[colSpecialDel] = "X";
        SongRow d = TempSongLibrary::Song("00104", "天", "歌手乙", "2");
        d[colWordCount] = "1";
        d[colStrokes] = "4";
        d[colSongName] = Utf8ToBig5("天") + "\xA4";  // a name cut inside a character
        library_.Fill({a, b, c, d});
        savedService_ = CloudSongBookService();
        SetCloudSongBookService({server_.Host(), Login, "KTR3061957KTR", "http://127.0.0.1:9"});
        setup::ObrelEnabled = true;
        HostReachable = true;
    }
    void TearDown() override {
        SetCloudSongBookService(savedService_);
        setup::ObrelEnabled = false;
        HostReachable = false;
    }

    std::string Remote() const { return ReadBytes(served_.File(std::string(Account) + ".txt")); }
    std::string FavouriteInFile(int row) const {
        return library_.Record(row).substr(SongFieldStart[colFavourite] - 1, 1);
    }
    std::string LastUpdate() const {
        return IniFile(library_.Path("setting.ini")).ReadString("Obrel Setting", "LastUpdate", "(none)");
    }

    TempSongLibrary library_;
    test::TempFolder served_;
    test::TempFolder logs_;
    test::LoopbackFtpServer server_{served_.Path(), Login, "KTR3061957KTR", logs_.File("ftp.log")};
    test::FakeUserInterface ui_;
    CloudService savedService_;
};

TEST_F(CloudSongBookTest, UploadSendsTheListInBookOrderAndStoresTheSongListAge) {
    N34Click();
    // Mandarin before Taiwanese before English; the special-deleted song is left out; "@" counts as new;
    // the cut character's lead byte became a blank.
    EXPECT_EQ(Remote(), Utf8ToBig5("00101##愛你##歌手甲##1##2##13##*##0\r\n"
                                   "00104##天 ##歌手乙##2##1##4##0##0\r\n"
                                   "00102##Hello##Band##4##1##0##*##*\r\n"));
    EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));
    EXPECT_NE(server_.Log().find("RNTO QV7A2B9.txt"), std::string::npos);
    EXPECT_FALSE(fs::exists(served_.File("QV7A2B9.txt.part")));
    EXPECT_NE(server_.Log().find("chmod 777 QV7A2B9.txt"), std::string::npos);
    EXPECT_EQ(ui_.Texts("wait"), std::vector<std::string>{"雲端歌簿上傳中, 請稍候..."});
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"雲端歌簿上傳完成"});
    EXPECT_FALSE(ui_.waitVisible);
    EXPECT_EQ(LastUpdate(), std::to_string(FileAge(SongListPath())));

    // Nothing changed since: closing asks nothing.
    OfferCloudUploadOnClose(FileAge(SongListPath()));
    EXPECT_TRUE(ui_.Texts("ask").empty());
}

TEST_F(CloudSongBookTest, AnAccountIdOutsideAsciiNamesTheRemoteFileByItsOwnBytes) {
    const std::string account = Utf8ToBig5("歌本") + "7";
    WriteBytes(library_.Path("boot.bin"), "\r\n0\r\n" + ScrambleToHex(account, HexScrambleStartKey) + "\r\n");
    N34Click();
    EXPECT_EQ(ReadBytes(served_.File(account + ".txt")).substr(0, 37),
              Utf8ToBig5("00101##愛你##歌手甲##1##2##13##*##0\r\n"));
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"雲端歌簿上傳完成"});

    // The sync reads the same file back.
    WriteBytes(served_.File(account + ".txt"), Utf8ToBig5("00101##愛你##歌手甲##1##2##13##*##*\r\n"));
    N36Click();
    EXPECT_EQ(FavouriteInFile(0), "*");
}

TEST_F(CloudSongBookTest, SyncSetsAndClearsFavouritesOfMatchingSongsOnly) {
    WriteBytes(served_.File(std::string(Account) + ".txt"),
               Utf8ToBig5("00104##天##歌手乙##2##1##4##0##*\r\n"     // name differs (the table's is cut)
                          "99999##無##無##1##1##1##0##*\r\n"         // beyond the last song
                          "00102##Hello##Band##4##1##0##*##0\r\n"    // cleared
                          "00101##愛你##歌手甲##1##2##13##*##\r\n"   // empty last field: 7 fields, skipped
                          "00101##愛你##歌手甲##1##2##13##*##*\r\n"  // set
                          "00103##short\r\n"));
    N36Click();
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"雲端歌簿同步完成"});
    EXPECT_EQ(AllSong[0][colFavourite], "*");
    EXPECT_EQ(AllSong[1][colFavourite], "");
    EXPECT_EQ(AllSong[3][colFavourite], "");
    EXPECT_EQ(FavouriteInFile(0), "*");
    EXPECT_EQ(FavouriteInFile(1), " ");
    EXPECT_EQ(FavouriteInFile(3), " ");
    EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));
    EXPECT_EQ(LastUpdate(), std::to_string(FileAge(SongListPath())));
}

TEST_F(CloudSongBookTest, EveryFailureLeavesTheCatalogueAndTheLastUploadAlone) {
    const std::string songList = ReadBytes(SongListPath());
    const auto expectFailure = [&](const char* why, void (*command)(), const char* message) {
        ui_.shown.clear();
        command();
        EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{message}) << why;
        EXPECT_EQ(ReadBytes(SongListPath()), songList) << why;
        EXPECT_EQ(LastUpdate(), "(none)") << why;
        EXPECT_EQ(AllSong[1][colFavourite], "*") << why;
    };
    const char* uploadFailed = "雲端歌簿上傳失敗, 請檢查電腦是否連上網路.";
    const char* syncFailed = "雲端歌簿同步失敗, 請檢查電腦是否連上網路.";

    expectFailure("no remote file", N36Click, syncFailed);
    HostReachable = false;
    expectFailure("service not reachable at start", N34Click, uploadFailed);
    HostReachable = true;
    SetCloudSongBookService({server_.Host(), Login, "wrong", ""});
    expectFailure("login refused", N34Click, uploadFailed);
    SetCloudSongBookService({"127.0.0.1:1", Login, "KTR3061957KTR", ""});
    expectFailure("server down", N36Click, syncFailed);
    SetCloudSongBookService({server_.Host(), Login, "KTR3061957KTR", ""});
    fs::remove(library_.Path("boot.bin"));
    expectFailure("no boot.bin", N34Click, uploadFailed);
    WriteBytes(library_.Path("boot.bin"), "\r\n0\r\n" + ScrambleToHex("../x", HexScrambleStartKey) + "\r\n");
    expectFailure("an account id that names another file", N34Click, uploadFailed);
    EXPECT_FALSE(fs::exists(served_.File("x.txt")));
    EXPECT_TRUE(ui_.Texts("error").empty());

    // The list is the upload's copy only: no failure leaves it behind.
    EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));

    // The switch off: only its message, no file, no connection.
    setup::ObrelEnabled = false;
    ui_.shown.clear();
    N34Click();
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"雲端歌簿尚未啟動, 請先在設定中啟動雲端歌簿功能."});
    EXPECT_TRUE(ui_.Texts("wait").empty());
    EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));
}

// Other installations sync from the account's file at any time: an upload cut by the end request while the
// (slowed) server still takes in the bytes, or one whose rename the server refuses, leaves it as it was.
TEST_F(CloudSongBookTest, TheAccountsFileIsReplacedOnlyByAWholeBook) {
    const std::string part = served_.File(std::string(Account) + ".txt.part");
    WriteBytes(served_.File(std::string(Account) + ".txt"), "the old book");
    library_.Fill(TempSongLibrary::Numbered(6000, "一首名字很長的歌", "歌手"));  // some 250 KB of list
    const char* uploadFailed = "雲端歌簿上傳失敗, 請檢查電腦是否連上網路.";
    {
        test::LoopbackFtpServer slow{served_.Path(), Login, "KTR3061957KTR", logs_.File("slow.log"),
                                     {"elradfmwMT", 32 * 1024}};
        SetCloudSongBookService({slow.Host(), Login, "KTR3061957KTR", ""});
        bool cut = false;
        ui_.onProcessEvents = [&] {
            std::error_code ec;
            if (fs::file_size(part, ec) == 0 || ec) return;
            cut = true;
            throw RunAbandoned{};  // as the window's step does once the end is asked for
        };
        EXPECT_THROW(N34Click(), RunAbandoned);
        ui_.onProcessEvents = nullptr;
        EXPECT_TRUE(cut);
        EXPECT_EQ(Remote(), "the old book");
        EXPECT_EQ(slow.Log().find("RNFR"), std::string::npos);
        EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));
        EXPECT_EQ(LastUpdate(), "(none)");
    }

    test::LoopbackFtpServer noRename{served_.Path(), Login, "KTR3061957KTR", logs_.File("refusing.log"),
                                     {"elradmwMT", 0}};
    SetCloudSongBookService({noRename.Host(), Login, "KTR3061957KTR", ""});
    ui_.shown.clear();
    N34Click();
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{uploadFailed});
    EXPECT_NE(noRename.Log().find("RNFR"), std::string::npos);
    EXPECT_EQ(Remote(), "the old book");
    EXPECT_FALSE(fs::exists(part));  // also the one the cut upload left
    EXPECT_FALSE(fs::exists(library_.Path("obrel.txt")));
    EXPECT_EQ(LastUpdate(), "(none)");
}

TEST_F(CloudSongBookTest, CloseOffersTheUploadWhenTheSongListIsNewer) {
    WriteBytes(library_.Path("setting.ini"), "[Obrel Setting]\r\nLastUpdate=junk\r\n");
    ui_.answers = {false};
    OfferCloudUploadOnClose(100);
    EXPECT_EQ(ui_.Texts("ask"), std::vector<std::string>{"修改後雲端歌簿並未重新上傳, 是否執行上傳?"});
    EXPECT_TRUE(Remote().empty());
    ui_.answers = {true};
    OfferCloudUploadOnClose(100);
    EXPECT_FALSE(Remote().empty());
    EXPECT_EQ(LastUpdate(), "100");
    EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"雲端歌簿上傳完成"});
    ui_.shown.clear();
    OfferCloudUploadOnClose(100);
    EXPECT_TRUE(ui_.Texts("ask").empty());

    // Ages from 2044 on pass the int range and still compare.
    WriteBytes(library_.Path("setting.ini"), "[Obrel Setting]\r\nLastUpdate=3000000000\r\n");
    OfferCloudUploadOnClose(2999999999);
    EXPECT_TRUE(ui_.Texts("ask").empty());
}

}  // namespace
}  // namespace qv
