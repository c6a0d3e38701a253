// The libVLC preview player against a real file: a two-second tone of 440 Hz on the left channel and
// 1250 Hz on the right, made once with sox, played into memory.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <numbers>
#include <thread>

#include "platform/VlcMediaPlayer.h"

namespace qv {
namespace {

constexpr unsigned kRate = 44100;
const std::string kTones = std::string(QV_SOURCE_DIR) + "/tests/data/tones_left440_right1250.ogg";

// Energy of one frequency in one channel of interleaved stereo frames (Goertzel).
double Energy(const std::vector<int16_t>& frames, int channel, double frequency) {
    const double k = 2 * std::cos(2 * std::numbers::pi * frequency / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = channel; i < frames.size(); i += 2) {
        const double s0 = frames[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

struct Heard {
    double left440, left1250, right440, right1250;
};

class VlcMediaPlayerTest : public ::testing::Test {
protected:
    VlcMediaPlayerTest() : player({"--vout=dummy"}) {
        player.SetAudioSink(
            [this](const int16_t* p, unsigned count) {
                std::lock_guard lock(mutex);
                frames.insert(frames.end(), p, p + 2 * count);
                // At half real time: libVLC would otherwise decode the whole file before the channel holds.
                std::this_thread::sleep_for(std::chrono::microseconds(500000ull * count / kRate));
            },
            kRate);
    }

    // Plays the tones to the end with the balance set before the start, as the preview does.
    Heard PlayWithBalance(int balance) {
        {
            std::lock_guard lock(mutex);
            frames.clear();
        }
        player.SetBalance(balance);
        EXPECT_TRUE(player.Play(kTones));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!player.HasEnded() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        player.Close();
        std::lock_guard lock(mutex);
        EXPECT_GT(frames.size(), 2u * kRate) << "less than a second of sound was heard";
        // The second half: whatever libVLC played before the channel took hold is behind us there.
        std::vector<int16_t> tail(frames.begin() + static_cast<long>(frames.size() / 4 * 2), frames.end());
        return {Energy(tail, 0, 440), Energy(tail, 0, 1250), Energy(tail, 1, 440), Energy(tail, 1, 1250)};
    }

    VlcMediaPlayer player;
    std::mutex mutex;
    std::vector<int16_t> frames;
};

TEST_F(VlcMediaPlayerTest, BalanceChoosesTheChannelThatIsHeard) {
    ASSERT_TRUE(player.Ok());
    const Heard left = PlayWithBalance(-100);
    EXPECT_GT(left.left440, 100 * left.left1250);
    EXPECT_GT(left.right440, 100 * left.right1250) << "the left channel is heard on both speakers";

    const Heard right = PlayWithBalance(100);
    EXPECT_GT(right.left1250, 100 * right.left440) << "the right channel is heard on both speakers";
    EXPECT_GT(right.right1250, 100 * right.right440);

    const Heard stereo = PlayWithBalance(0);
    EXPECT_GT(stereo.left440, 100 * stereo.left1250);
    EXPECT_GT(stereo.right1250, 100 * stereo.right440);
}

TEST_F(VlcMediaPlayerTest, MissingAndUnplayableFilesAreReported) {
    ASSERT_TRUE(player.Ok());
    EXPECT_FALSE(player.Play(std::string(QV_BINARY_DIR) + "/no-such-file.mpg"));

    const std::string junk = std::string(QV_BINARY_DIR) + "/vlc-test-junk.mpg";
    std::ofstream(junk, std::ios::binary) << std::string(4096, '\x5a');
    std::mutex m;
    std::condition_variable cv;
    std::string reported;
    player.SetErrorHandler([&](const std::string& path) {
        std::lock_guard lock(m);
        reported = path;
        cv.notify_all();
    });
    EXPECT_TRUE(player.Play(junk));
    std::unique_lock lock(m);
    cv.wait_for(lock, std::chrono::seconds(120), [&] { return !reported.empty(); });
    EXPECT_EQ(reported, junk);
    lock.unlock();
    player.Close();
    std::remove(junk.c_str());
}

}  // namespace
}  // namespace qv
