// Writes the synthetic full disk's "song.qv2" (79,920 songs) into a folder: fulldisk <folder>.
// Used by the start-up timing of the real program (startup_to_window.sh).
#include <cstdio>

#include "bench/BenchLibrary.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::puts(qv::bench::WriteFullLibrary(argv[1]).c_str());
    return 0;
}
