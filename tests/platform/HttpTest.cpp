#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>
#include <fstream>

#include "platform/Http.h"
#include "support/LoopbackHttpServer.h"

namespace qv {
namespace {

using test::LoopbackHttpServer;
using Reply = LoopbackHttpServer::Reply;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// This process's connections to port that a started program would keep, as "fd fd ..." (empty: none),
// and how many connections to port there are.
std::pair<std::string, int> ConnectionsKeptOnExec(int port) {
    std::string kept;
    int connections = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sin_family != AF_INET ||
            ntohs(peer.sin_port) != port)
            continue;
        ++connections;
        if (!(::fcntl(fd, F_GETFD) & FD_CLOEXEC)) kept += std::to_string(fd) + " ";
    }
    return {kept, connections};
}

class HttpTest : public ::testing::Test {
protected:
    std::unique_ptr<HttpClient> client = MakeCurlHttpClient({300, 1000, 1u << 20});
    std::string binary = std::string("\0\x01\xFF\xB0\x54##\r\n", 9);
    LoopbackHttpServer server{[this](const std::string& target) -> Reply {
        if (target == "/text") return {200, "7.3"};
        if (target == "/binary") return {200, binary};
        if (target == "/empty") return {200, ""};
        if (target == "/missing") return {404, "not here"};
        if (target == "/huge") return {200, std::string(2u << 20, 'x')};
        if (target == "/silent") return {200, "", true};
        if (target == "/sockets") {
            const auto [kept, connections] = ConnectionsKeptOnExec(Port());
            return {200, kept + std::to_string(connections)};
        }
        return {500, ""};
    }};
    std::string Url(const char* path) { return "http://" + server.Host() + path; }
    int Port() const { return std::stoi(server.Host().substr(server.Host().find(':') + 1)); }
};

TEST_F(HttpTest, GetReturnsTheBodyOfSuccessfulRepliesByteForByte) {
    std::string body;
    ASSERT_TRUE(client->Get(Url("/text"), body));
    EXPECT_EQ(body, "7.3");
    ASSERT_TRUE(client->Get(Url("/binary"), body));
    EXPECT_EQ(body, binary);
    ASSERT_TRUE(client->Get(Url("/empty"), body));
    EXPECT_EQ(body, "");
}

// Asked while the transfer's connection is open: no program started meanwhile would hold it.
TEST_F(HttpTest, ATransfersSocketIsClosedOnExec) {
    std::string body = "unasked";
    ASSERT_TRUE(client->Get(Url("/sockets"), body));
    EXPECT_EQ(body, "1");  // the one connection, kept by none
}

TEST_F(HttpTest, ErrorStatusesOversizedBodiesSilentAndClosedServersFail) {
    std::string body = "old";
    EXPECT_FALSE(client->Get(Url("/missing"), body));
    EXPECT_EQ(body, "");
    EXPECT_FALSE(client->Get(Url("/huge"), body));
    EXPECT_FALSE(client->Get(Url("/silent"), body));  // ends with the total time-out
    EXPECT_FALSE(client->Get("http://" + LoopbackHttpServer::ClosedHost() + "/text", body));
    EXPECT_FALSE(client->Get("file:///etc/hostname", body));
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(HttpTest, DownloadReplacesTheFileOnlyOnSuccess) {
    auto folder = std::filesystem::temp_directory_path() / ("qv_http_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto file = folder / "book.bin";
    ASSERT_TRUE(client->Download(Url("/binary"), file.string()));
    EXPECT_EQ(ReadAll(file), binary);
    EXPECT_FALSE(client->Download(Url("/missing"), file.string()));
    EXPECT_FALSE(client->Download(Url("/silent"), file.string()));
    EXPECT_EQ(ReadAll(file), binary);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no partial files left
    std::filesystem::remove_all(folder);
}

TEST(PercentEncodeTest, KeepsUnreservedBytesAndEncodesTheRest) {
    EXPECT_EQ(PercentEncode("Ab9-._~"), "Ab9-._~");
    EXPECT_EQ(PercentEncode("a b&c=d/%"), "a%20b%26c%3Dd%2F%25");
    EXPECT_EQ(PercentEncode(std::string("\xB0\x54\0", 3)), "%B0T%00");
}

}  // namespace
}  // namespace qv
