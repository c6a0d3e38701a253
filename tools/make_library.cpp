// Writes a synthetic song library into a folder (a program folder to try the program in):
//   qv_make_library <folder>                 a sample of 400 songs, each with a tiny WAV tone
//   qv_make_library <folder> <songs>         that many songs (at most 79,920), with their WAV tones
//   qv_make_library <folder> full            the full disk of 79,920 songs, each with an empty ".mpg"
//   ... --list-only                          (last) the song list alone, no media
// A folder that already holds a song list is left alone.
#include <charconv>
#include <cstdio>
#include <string_view>

#include "tools/SampleLibrary.h"

int main(int argc, char** argv) {
    using qv::sample::SampleMedia;
    bool listOnly = argc >= 3 && std::string_view(argv[argc - 1]) == "--list-only";
    if (listOnly) --argc;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <folder> [<songs> | full] [--list-only]\n", argv[0]);
        return 2;
    }
    int songs = 400;
    SampleMedia media = SampleMedia::Tones;
    if (argc == 3) {
        const std::string_view count = argv[2];
        if (count == "full") {
            songs = qv::sample::FullDiskSongs;
            media = SampleMedia::Empty;
        } else if (auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), songs);
                   error != std::errc() || end != count.data() + count.size() || songs < 1 ||
                   songs > qv::sample::FullDiskSongs) {
            std::fprintf(stderr, "songs: 1 to %d, or full\n", qv::sample::FullDiskSongs);
            return 2;
        }
    }
    if (listOnly) media = SampleMedia::None;
    if (!qv::sample::WriteSampleLibrary(argv[1], songs, media)) {
        std::fprintf(stderr, "%s: no library written (the folder holds a song list, or cannot be written)\n",
                     argv[1]);
        return 1;
    }
    const char* what = media == SampleMedia::Tones   ? " with a WAV tone each"
                       : media == SampleMedia::Empty ? " with an empty media file each"
                                                     : " (the song list alone)";
    std::printf("%d songs%s in %s\n", songs, what, argv[1]);
    return 0;
}
