#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "library/ServerMessage.h"
#include "platform/Http.h"
#include "platform/ServerHosts.h"
#include "support/FakeUserInterface.h"
#include "support/LoopbackHttpServer.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using test::LoopbackHttpServer;
using Reply = LoopbackHttpServer::Reply;

const std::string Prefix = "\xB0\x54\xAE\xA7\x3A";  // 訊息:

std::string MessageReply(const std::string& number) {
    return Prefix + "news##a##b##c##d##e##f##g##" + number + "##tail";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two maker's servers and a web host on the loopback, each answering from its own table of paths.
class ServerMessageTest : public ::testing::Test {
protected:
    struct Site {
        LoopbackHttpServer server;  // replies by path, without the query
    };

    void SetUp() override {
        folder = fs::temp_directory_path() / ("qv_server_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        AppDir = folder.string();
        SetMakerServers({first.server.Host(), second.server.Host(), web.server.Host()});
        SetHttpClient(client.get());
        web.server.SetReply("/QV_message/qv02se_message.php", {200, "<html>message</html>"});
        web.server.SetReply("/QV_song_readme/qv03/qv_song_readme.htm", {200, "<html>new</html>"});
        InstallationId.clear();
        LatestVersion = 0;
        MessageNo = 0;
        HostReachable = true;
    }
    void TearDown() override {
        SetHttpClient(nullptr);
        ResetMakerServers();
        AppDir = ".";
        fs::remove_all(folder);
    }

    void WriteBootBin(const std::string& bytes) {
        std::ofstream(folder / "boot.bin", std::ios::binary) << bytes;
    }
    void SetMessage(Site& site, const std::string& body) {
        site.server.SetReply("/song2_vorel.php", {200, body});
    }
    void SetVersion(Site& site, const std::string& body) {
        site.server.SetReply("/updater.php", {200, body});
    }

    // An updater that records its arguments and the folder it was started in.
    void InstallUpdaterStub() {
        fs::path stub = folder / "updater.exe";
        std::ofstream(stub)
            << "#!/bin/sh\necho \"$*\" > args.tmp\npwd >> args.tmp\nmv args.tmp updater-args.txt\n";
        fs::permissions(stub, fs::perms::owner_all);
    }
    std::string UpdaterArguments() {
        fs::path file = folder / "updater-args.txt";
        for (int i = 0; i < 100 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return ReadAll(file);
    }

    test::FakeUserInterface ui;
    std::unique_ptr<HttpClient> client = MakeCurlHttpClient({300, 800, 1u << 20});
    Site first, second, web;
    fs::path folder;
};

TEST_F(ServerMessageTest, TheNinthHashPieceIsTheMessageNumber) {
    EXPECT_EQ(ReadHashField9(MessageReply("12")), 12);
    EXPECT_EQ(ReadHashField9("1##2##3##4##5##6##7##8##-4"), -4);
    EXPECT_EQ(ReadHashField9("1##2##3##4##5##6##7##8"), 0);    // eight pieces
    EXPECT_EQ(ReadHashField9("1##2##3##4##5##6##7##8##"), 0);  // empty ninth
    EXPECT_EQ(ReadHashField9(MessageReply("12a")), 0);
    EXPECT_EQ(ReadHashField9(MessageReply("99999999999")), 0);  // beyond an integer
    EXPECT_EQ(ReadHashField9(""), 0);
}

TEST_F(ServerMessageTest, BootBinSecondLineIsTheLastReadMessage) {
    EXPECT_EQ(ReadBootBinValue(), -1);  // missing
    WriteBootBin("only\r\n");
    EXPECT_EQ(ReadBootBinValue(), -1);
    WriteBootBin("x\r\n\r\nid\r\n");
    EXPECT_EQ(ReadBootBinValue(), -1);  // empty line
    WriteBootBin("x\r11\rid");
    EXPECT_EQ(ReadBootBinValue(), 11);
    WriteBootBin(std::string("\xFF\0\x01\n\xB0\x54junk\n", 11));
    EXPECT_EQ(ReadBootBinValue(), 0);
}

TEST_F(ServerMessageTest, TheInstallationIdComesFromTheThirdLineAndIsSentPercentEncoded) {
    std::string id = "QV 03&id=\xB0\x54";
    WriteBootBin("\r\n5\r\n" + ScrambleToHex(id, HexScrambleStartKey) + "\r\n");
    EXPECT_EQ(ReadInstallationId(), id);
    SetVersion(first, "7.2");
    ASSERT_FALSE(FinishServerCheck(nullptr));
    EXPECT_EQ(InstallationId, id);
    auto requests = first.server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "/song2_vorel.php?action=getmessage&serial=QV%2003%26id%3D%B0T");
    EXPECT_EQ(requests[1], "/updater.php?action=getcurrentversion&serial=QV%2003%26id%3D%B0T");

    WriteBootBin("\r\n5\r\n");
    EXPECT_EQ(ReadInstallationId(), "");
}

TEST_F(ServerMessageTest, AMessageShowsOnlyWhenItsNumberIsAboveTheStoredOne) {
    SetMessage(first, MessageReply("12"));
    WriteBootBin("\r\n11\r\n");
    EXPECT_TRUE(CheckServerMessage());
    EXPECT_EQ(MessageNo, 12);
    EXPECT_EQ(web.server.Requests().size(), 1u);  // the page was probed

    WriteBootBin("\r\n12\r\n");
    EXPECT_FALSE(CheckServerMessage());

    SetMessage(first, Prefix + "short##12");  // number 0
    EXPECT_FALSE(CheckServerMessage());
    fs::remove(folder / "boot.bin");
    EXPECT_TRUE(CheckServerMessage());  // 0 > -1
    EXPECT_EQ(MessageNo, 0);

    SetMessage(first, "news##a##b##c##d##e##f##g##12");  // no prefix
    EXPECT_FALSE(CheckServerMessage());
    SetMessage(first, Big5ToUtf8(Prefix) + "a##b##c##d##e##f##g##h##12");  // the prefix in UTF-8
    EXPECT_FALSE(CheckServerMessage());
}

TEST_F(ServerMessageTest, AMessagePageThatDoesNotAnswerShowsNoWindow) {
    SetMessage(first, MessageReply("3"));
    web.server.ClearReplies();
    EXPECT_FALSE(CheckServerMessage());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ServerMessageTest, TheSecondServerAnswersWhenTheFirstFails) {
    SetMessage(second, MessageReply("7"));
    EXPECT_TRUE(CheckServerMessage());  // first answers 404
    EXPECT_EQ(MessageNo, 7);

    first.server.SetReply("/song2_vorel.php", {200, "", true});  // accepts and never answers
    EXPECT_TRUE(CheckServerMessage());

    SetMessage(first, "no message");  // an answer, even without a message, is final
    EXPECT_FALSE(CheckServerMessage());
    EXPECT_EQ(second.server.Requests().size(), 2u);
}

TEST_F(ServerMessageTest, RepliesOfAnyBytesShowNothing) {
    for (std::string reply :
         {std::string(), std::string("\0\xFF\xB0", 3), Prefix, Prefix + std::string(900000, '#'),
          Prefix + std::string(900000, 'x'), std::string(2u << 20, 'y')}) {
        SetMessage(first, reply);
        SetVersion(first, reply);
        WriteBootBin("\r\n0\r\n");
        EXPECT_FALSE(CheckServerMessage());
        CheckLatestVersion();
        EXPECT_EQ(LatestVersion, 0);
    }
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ServerMessageTest, TheVersionFallsBackToTheSecondServerAndThenToZero) {
    SetVersion(first, "7.3\r\n");
    CheckLatestVersion();
    EXPECT_DOUBLE_EQ(LatestVersion, 7.3);

    SetVersion(first, "seven");
    SetVersion(second, "7.25");
    CheckLatestVersion();
    EXPECT_DOUBLE_EQ(LatestVersion, 7.25);

    for (const char* junk : {"", "nan", "inf", "7,3", "7.3 beta"}) {
        SetVersion(second, junk);
        LatestVersion = 5;
        CheckLatestVersion();
        EXPECT_EQ(LatestVersion, 0) << junk;
    }
}

TEST_F(ServerMessageTest, ANewerVersionOffersTheUpdaterWithItsArguments) {
    InstallUpdaterStub();
    SetVersion(first, "7.2");
    EXPECT_FALSE(FinishServerCheck(nullptr));
    EXPECT_TRUE(ui.Texts("askblue").empty());

    SetVersion(first, "7.3");
    ui.answers = {false};
    EXPECT_FALSE(FinishServerCheck(nullptr));
    ASSERT_EQ(ui.Texts("askblue").size(), 1u);
    EXPECT_EQ(ui.Texts("askblue")[0], "最新版的QV歌曲管理程式已上線,是否執行線上更新?");
    EXPECT_FALSE(fs::exists(folder / "updater-args.txt"));

    ui.answers = {true};
    EXPECT_TRUE(FinishServerCheck(nullptr));
    EXPECT_EQ(UpdaterArguments(), "7.2 QV03\n" + fs::canonical(folder).string() + "\n");
}

TEST_F(ServerMessageTest, AnUpdaterThatCannotStartIsReportedAndTheProgramGoesOn) {
    SetVersion(first, "8");
    ui.answers = {true};
    EXPECT_FALSE(FinishServerCheck(nullptr));
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"無法執行自動更新工具 updater.exe"});
}

TEST_F(ServerMessageTest, StartUpShowsTheMessageWindowBeforeTheVersionCheck) {
    SetMessage(first, MessageReply("2"));
    SetVersion(first, "7.2");
    int shown = 0;
    size_t requestsWhenShown = 0;
    FinishServerCheck([&] {
        ++shown;
        requestsWhenShown = first.server.Requests().size();
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(requestsWhenShown, 1u);

    HostReachable = false;
    FinishServerCheck([&] { ++shown; });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(first.server.Requests().size(), 2u);  // nothing asked when the host is unreachable
}

// Servers that accept and never answer: the first request uses up the check's one budget, so nothing more
// is asked (without the budget: four requests of the client's full time-out each).
TEST_F(ServerMessageTest, OneBudgetBoundsEveryRequestOfTheCheck) {
    for (Site* site : {&first, &second}) {
        site->server.SetReply("/song2_vorel.php", {200, "", true});
        site->server.SetReply("/updater.php", {200, "", true});
    }
    std::unique_ptr<HttpClient> patient = MakeCurlHttpClient();  // 6 s a request
    SetHttpClient(patient.get());
    int shown = 0;
    EXPECT_FALSE(FinishServerCheck([&] { ++shown; }, 1000));
    EXPECT_EQ(first.server.Requests().size() + second.server.Requests().size(), 1u);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(LatestVersion, 0);
    EXPECT_FALSE(HttpDeadline::Remaining().has_value());  // the budget ends with the check
}

// Each request sees what is left of the budget: never more than the one before it.
TEST_F(ServerMessageTest, EachRequestGetsWhatIsLeftOfTheBudget) {
    struct RecordingClient final : HttpClient {
        std::vector<std::string> urls;
        std::vector<std::optional<std::chrono::milliseconds>> left;
        bool Get(const std::string& url, std::string&) override {
            urls.push_back(url);
            left.push_back(HttpDeadline::Remaining());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return false;
        }
        bool Download(const std::string&, const std::string&) override { return false; }
    } recording;
    SetHttpClient(&recording);
    EXPECT_FALSE(FinishServerCheck(nullptr, 6000));
    ASSERT_EQ(recording.urls.size(), 4u);  // message and version, each from both servers
    for (size_t i = 0; i < recording.left.size(); ++i) {
        ASSERT_TRUE(recording.left[i].has_value()) << recording.urls[i];
        EXPECT_LE(recording.left[i]->count(), 6000);
        if (i > 0) {
            EXPECT_LT(*recording.left[i], *recording.left[i - 1]) << recording.urls[i];
        }
    }
    EXPECT_FALSE(HttpDeadline::Remaining().has_value());
}

TEST_F(ServerMessageTest, RunningTheUpdaterFromTheMenu) {
    InstallUpdaterStub();
    LatestVersion = 7.2;
    EXPECT_FALSE(N14Click());
    EXPECT_EQ(ui.Texts("blue"), std::vector<std::string>{"您已是最新版, 目前不需要更新."});

    LatestVersion = 0;  // unknown: no question asked
    EXPECT_TRUE(N14Click());
    EXPECT_EQ(UpdaterArguments(), "7.2 QV03\n" + fs::canonical(folder).string() + "\n");
    EXPECT_TRUE(ui.Texts("askblue").empty());
}

TEST_F(ServerMessageTest, MarkingTheMessageReadKeepsTheOtherLines) {
    EXPECT_TRUE(StoreReadMessageNo(12));  // no file: created
    EXPECT_EQ(ReadAll(folder / "boot.bin"), "\r\n12\r\n");
    WriteBootBin("first");
    EXPECT_TRUE(StoreReadMessageNo(3));
    EXPECT_EQ(ReadAll(folder / "boot.bin"), "first\r\n3\r\n");
    WriteBootBin("a\n7\nID\n\xB0\x54\n");
    EXPECT_TRUE(StoreReadMessageNo(8));
    EXPECT_EQ(ReadAll(folder / "boot.bin"), "a\r\n8\r\nID\r\n\xB0\x54\r\n");

    fs::remove(folder / "boot.bin");
    fs::create_directory(folder / "boot.bin");  // cannot be read: left alone
    EXPECT_FALSE(StoreReadMessageNo(9));
    EXPECT_TRUE(fs::is_directory(folder / "boot.bin"));
}

TEST_F(ServerMessageTest, TheNewFeaturePageProbe) {
    EXPECT_TRUE(ProbeNewFeaturePage());
    EXPECT_EQ(web.server.Requests(), std::vector<std::string>{"/QV_song_readme/qv03/qv_song_readme.htm"});
    web.server.ClearReplies();
    EXPECT_FALSE(ProbeNewFeaturePage());
    EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"您的電腦目前並非連網狀態，請連上網路後再試試！"});
}

TEST_F(ServerMessageTest, TheEchoDecidesWhetherTheServerIsAsked) {
    SetMakerServers({"127.0.0.1:1", "", ""});
    StartServerCheck();
    EXPECT_FALSE(PingReplied);
    EXPECT_LT(WaitForServerReply(), 16);
    EXPECT_TRUE(PingReplied);
    EXPECT_TRUE(HostReachable);

    SetMakerServers({"", "", ""});  // nothing sent: every step is slept
    StartServerCheck();
    EXPECT_EQ(WaitForServerReply(), 16);
    EXPECT_FALSE(PingReplied);
    EXPECT_FALSE(HostReachable);

    IdIcmpClientReply(EchoStatus::ErrorReply);
    EXPECT_TRUE(PingReplied);
    EXPECT_FALSE(HostReachable);
}

}  // namespace
}  // namespace qv
