#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/Ping.h"
#include "platform/ServerHosts.h"

namespace qv {
namespace {

TEST(PingTest, LoopbackAnswersTheEchoOnce) {
    IcmpEchoClient client;
    std::vector<EchoStatus> replies;
    client.host = "127.0.0.1";
    client.onReply = [&](EchoStatus s) { replies.push_back(s); };
    ASSERT_TRUE(client.Send()) << "neither a ping socket nor a raw socket could be opened";
    for (int i = 0; i < 20 && replies.empty(); ++i) client.Wait(200);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], EchoStatus::EchoReply);
    EXPECT_FALSE(client.Pending());
    client.Wait(10);  // nothing pending: no second event
    EXPECT_EQ(replies.size(), 1u);
}

TEST(PingTest, AnUnknownHostSendsNothingAndNeverReplies) {
    IcmpEchoClient client;
    int replies = 0;
    client.onReply = [&](EchoStatus) { ++replies; };
    client.host = "";
    EXPECT_FALSE(client.Send());
    EXPECT_FALSE(client.Pending());
    auto start = std::chrono::steady_clock::now();
    client.Wait(50);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));  // it still sleeps
    EXPECT_EQ(replies, 0);
}

TEST(PingTest, TheEchoTargetIsTheServerWithoutItsPort) {
    EXPECT_EQ(HostWithoutPort("127.0.0.1:8080"), "127.0.0.1");
    EXPECT_EQ(HostWithoutPort("song.example"), "song.example");
    EXPECT_EQ(HostWithoutPort("[::1]:80"), "::1");
    EXPECT_EQ(HostWithoutPort("::1"), "::1");
}

}  // namespace
}  // namespace qv
