#include "library/ServerMessage.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "platform/Http.h"
#include "platform/Process.h"
#include "platform/ServerHosts.h"
#include "catalogue/UserInterface.h"

namespace qv {

bool PingReplied = false;
bool HostReachable = false;
std::string InstallationId;
double LatestVersion = 0;
int MessageNo = 0;

namespace {

namespace fs = std::filesystem;

// "訊息:" in Big5.
constexpr std::string_view MessagePrefix = "\xB0\x54\xAE\xA7\x3A";
const char* const OfflineText = "您的電腦目前並非連網狀態，請連上網路後再試試！";

IcmpEchoClient echoClient;

std::string_view Trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Decimal integer, optionally signed, blanks around it allowed; fallback otherwise.
int IntOr(std::string_view text, int fallback) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    return value;
}

std::optional<double> RealNumber(std::string_view text) {
    text = Trimmed(text);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string BootBinPath() { return PathIn(AppDir, "boot.bin"); }

std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return std::nullopt;
    return SplitTextLines(bytes);
}

std::string ServerUrl(const std::string& host, const char* pathAndQuery) {
    return "http://" + host + pathAndQuery + PercentEncode(InstallationId);
}

// The request to the first server, else to the second; a reply counts when `usable` accepts it.
template <typename Usable>
std::optional<std::string> AskServers(const char* pathAndQuery, Usable usable) {
    const auto& hosts = MakerServers();
    for (const std::string* host : {&hosts.server, &hosts.secondServer}) {
        std::string reply;
        if (Http().Get(ServerUrl(*host, pathAndQuery), reply) && usable(reply)) return reply;
    }
    return std::nullopt;
}

}  // namespace

std::string MessageUrl() { return "http://" + MakerServers().webHost + "/QV_message/qv02se_message.php"; }

std::string NewFeatureUrl() {
    return "http://" + MakerServers().webHost + "/QV_song_readme/qv03/qv_song_readme.htm";
}

void IdIcmpClientReply(EchoStatus status) {
    PingReplied = true;
    HostReachable = status == EchoStatus::EchoReply;
}

int ReadHashField9(const std::string& text) {
    size_t start = 0;
    for (int piece = 1; piece < 9; ++piece) {
        size_t mark = text.find("##", start);
        if (mark == std::string::npos) return 0;
        start = mark + 2;
    }
    size_t end = text.find("##", start);
    return IntOr(std::string_view(text).substr(start, end == std::string::npos ? end : end - start), 0);
}

int ReadBootBinValue() {
    auto lines = ReadLines(BootBinPath());
    if (!lines || lines->size() < 2 || (*lines)[1].empty()) return -1;
    return IntOr((*lines)[1], 0);
}

std::string ReadInstallationId() {
    auto lines = ReadLines(BootBinPath());
    if (!lines || lines->size() <= 2) return {};
    return DescrambleHexString((*lines)[2], HexScrambleStartKey);
}

bool StoreReadMessageNo(int messageNo) {
    std::string path = BootBinPath();
    std::vector<std::string> lines;
    std::error_code error;
    if (fs::exists(path, error)) {
        auto read = ReadLines(path);
        if (!read) return false;  // never replace a file that could not be read: it holds the identifier
        lines = std::move(*read);
    } else if (error) {
        return false;
    }
    if (lines.size() < 2) lines.resize(2);
    lines[1] = std::to_string(messageNo);
    return ReplaceFileContents(path, JoinLinesCrLf(lines));
}

void StartServerCheck() {
    PingReplied = false;
    HostReachable = false;
    echoClient.host = HostWithoutPort(MakerServers().server);
    echoClient.receiveTimeoutMs = PingTimeout;
    echoClient.onReply = IdIcmpClientReply;
    echoClient.Send();  // nothing sent: no reply, start-up just waits the time-out out
}

int WaitForServerReply() {
    int slept = 0, steps = 0;
    while (!PingReplied) {
        echoClient.Wait(PingWaitStep);
        slept += PingWaitStep;
        ++steps;
        if (slept > PingTimeout) break;
    }
    return steps;
}

bool CheckServerMessage() {
    std::string reply = AskServers("/song2_vorel.php?action=getmessage&serial=", [](const std::string&) {
                            return true;
                        }).value_or(std::string());
    if (reply.compare(0, MessagePrefix.size(), MessagePrefix) != 0) return false;
    int number = ReadHashField9(reply);
    if (number <= ReadBootBinValue()) return false;
    MessageNo = number;
    std::string page;
    return Http().Get(MessageUrl(), page);
}

void CheckLatestVersion() {
    auto reply = AskServers("/updater.php?action=getcurrentversion&serial=",
                            [](const std::string& text) { return RealNumber(text).has_value(); });
    LatestVersion = reply ? *RealNumber(*reply) : 0;
}

bool StartUpdater() {
    std::error_code error;
    fs::path folder = fs::absolute(AppDir, error);
    if (error) folder = AppDir;
    if (StartProgram((folder / "updater.exe").string(), {OwnVersionText, "QV03"}, folder.string()))
        return true;
    UI().ShowErrorBox(B5("無法執行自動更新工具 updater.exe"));
    return false;
}

bool OfferUpdate() {
    if (!(LatestVersion > OwnVersion)) return false;
    if (!UI().AskBlueYesNo(B5("最新版的QV歌曲管理程式已上線,是否執行線上更新?"))) return false;
    return StartUpdater();
}

bool FinishServerCheck(const std::function<void()>& showMessageWindow, int budgetMs) {
    if (!HostReachable) return false;
    InstallationId = ReadInstallationId();
    std::chrono::milliseconds left{budgetMs};
    bool messageDue;
    {
        HttpDeadline deadline(left);
        messageDue = CheckServerMessage();
        left = deadline.Left();
    }
    if (messageDue && showMessageWindow) showMessageWindow();
    {
        HttpDeadline deadline(left);
        CheckLatestVersion();
    }
    return OfferUpdate();
}

bool N14Click() {
    if (LatestVersion != 0 && !(LatestVersion > OwnVersion)) {
        UI().ShowBlueMessage(B5("您已是最新版, 目前不需要更新."));
        return false;
    }
    return StartUpdater();
}

bool FetchPageForBrowser(const std::string& url) {
    std::string page;
    if (Http().Get(url, page)) return true;
    UI().ShowErrorBox(B5(OfflineText));
    return false;
}

bool ProbeNewFeaturePage() { return FetchPageForBrowser(NewFeatureUrl()); }

}  // namespace qv
