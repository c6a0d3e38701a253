#pragma once
// Synthetic song libraries: the full disk of the benchmarks (79,920 songs, folders 001-999, 80 each) and
// small sample libraries with tiny real media files for a first look at the program. Big5 names, singers
// (duets too), languages, classes, marks, volumes and dates, enciphered as the program writes them. Names
// are made of everyday words and singers of common surnames and given-name characters; the word counts,
// strokes and reading codes are the program's own for those names.
// Deterministic: every run and every machine gets the same bytes; a library of n songs holds the first n
// songs of the full disk.
#include <string>
#include <vector>

#include "catalogue/SongTable.h"

namespace qv::sample {

constexpr int FullDiskSongs = 79920;

// The record fields (song-table column order, 21 fields) of the first `count` songs.
std::vector<FieldList> SampleSongs(int count = FullDiskSongs);

// Writes "song.qv2" of the first `count` songs into the folder; returns its path, empty on failure.
std::string WriteSongList(const std::string& folder, int count = FullDiskSongs);

// A short tone as a WAV file (8 kHz, 8-bit mono PCM), its pitch by `pitch` (0 and up).
std::string TinyWav(int pitch);

// The media items of a sample library: none (the song list alone), a short WAV tone per song, or an
// empty ".mpg" per song (enough for the index runs; for libraries too big for tones).
enum class SampleMedia { None, Tones, Empty };

// A library of `count` songs in the folder: its song list and its media items, each in the song's numbered
// folder under the name the program gives it. Refuses (false, nothing written) a folder that already holds
// a song list: it never replaces a library.
bool WriteSampleLibrary(const std::string& folder, int count, SampleMedia media);

}  // namespace qv::sample
