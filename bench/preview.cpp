// The first media preview of a session, from the click to the picture: the program starts libVLC on the
// first preview, so the click pays for the engine's start (its plugins) and then for opening the file up
// to a video output that shows it. Each repetition is a fresh process, as a user meets it; the one-minute
// load average at its start goes beside it. libVLC opens its own window, so an X server is needed:
//   bash tests/e2e/with_xvfb.sh 1024x768x24 build/bench/bench_preview
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "bench/BenchLibrary.h"
#include "platform/VlcMediaPlayer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Two seconds of a 320 x 240 picture as raw frames: a file every libVLC reads without a codec package.
void WriteVideo(const std::string& path) {
    constexpr int kWidth = 320, kHeight = 240, kFrames = 50;
    std::ofstream out(path, std::ios::binary);
    out << "YUV4MPEG2 W" << kWidth << " H" << kHeight << " F25:1 Ip A1:1 C420jpeg\n";
    std::string frame(kWidth * kHeight * 3 / 2, '\x80');
    for (int f = 0; f < kFrames; ++f) {
        for (int i = 0; i < kWidth * kHeight; ++i) frame[i] = static_cast<char>((i + f * 4) % 220 + 16);
        out << "FRAME\n";
        out.write(frame.data(), static_cast<std::streamsize>(frame.size()));
    }
}

struct FirstPreview {
    double engineMs = 0;   // the player made: libVLC started
    double pictureMs = 0;  // the click to the video output showing the file
};

// In a child process: the player made and the file played as the first preview does. False when no
// picture came within ten seconds.
bool TimeFirstPreview(const std::string& video, FirstPreview& took) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::close(pipeEnds[0]);
        const auto click = Clock::now();
        qv::VlcMediaPlayer player;
        const auto started = Clock::now();
        bool shown = false;
        if (player.Play(video)) {
            while (!player.ShowsPicture() && !player.HasEnded() && Clock::now() - click < std::chrono::seconds(10))
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            shown = player.ShowsPicture();
        }
        const auto done = Clock::now();
        FirstPreview result{std::chrono::duration<double, std::milli>(started - click).count(),
                            std::chrono::duration<double, std::milli>(done - click).count()};
        const bool written = shown && ::write(pipeEnds[1], &result, sizeof result) == sizeof result;
        player.Close();
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    const bool got = ::read(pipeEnds[0], &took, sizeof took) == sizeof took;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_FirstPreviewClickToPicture(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("libVLC shows the picture in an X window: run under an X server");
        return;
    }
    qv::bench::TempFolder folder;
    const std::string video = folder.path() + "/clip.y4m";
    WriteVideo(video);
    for (auto _ : state) {
        state.counters["load_avg"] = qv::bench::LoadAverage();
        FirstPreview took;
        if (!TimeFirstPreview(video, took)) {
            state.SkipWithError("no picture within ten seconds");
            return;
        }
        state.SetIterationTime(took.pictureMs / 1000);
        state.counters["engine_start_ms"] = took.engineMs;
    }
}

}  // namespace

BENCHMARK(BM_FirstPreviewClickToPicture)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
