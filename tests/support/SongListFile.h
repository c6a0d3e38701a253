#pragma once
// Plain song list files for tests: one record per song, written as the program's own layout.
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/SongRecord.h"

namespace qv::test {

struct TestSong {
    std::string number, name, singer;  // UTF-8
    std::string language = "1", singerClass = "1";
};

// The fields of a song: number, name (Big5), word count 1, singer, class, language, strokes 1.
inline FieldList SongFields(const TestSong& song) {
    FieldList f(SongFieldCount);
    f[colSongNo] = song.number;
    f[colSongName] = Utf8ToBig5(song.name);
    f[colWordCount] = "1";
    f[colSinger] = Utf8ToBig5(song.singer);
    f[colSingerClass] = song.singerClass;
    f[colLanguage] = song.language;
    f[colStrokes] = "1";
    return f;
}

// The bytes of a plain (not enciphered) song list.
inline std::string PlainSongList(const std::vector<TestSong>& songs) {
    std::string out;
    for (const TestSong& song : songs) out += JoinSongRecord(SongFields(song)) + "\r\n";
    return out;
}

}  // namespace qv::test
