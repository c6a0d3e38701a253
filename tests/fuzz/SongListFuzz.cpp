// Any bytes as "song.qv2": the start-up check repairs them or refuses them, never crashes. A refusal
// writes nothing; after a pass every record is 140 bytes at i * 142, and the load makes one row of
// every line and writes nothing.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/LineCipher.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SongRecord.h"
#include "catalogue/TextFile.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        ::mkdir("library", 0755);
        qv::BuildLineCipherTables();
        return true;
    }();
    (void)ready;
    qv::LibraryRoot = "library";
    qv::StartingUp = true;
    qv::LoadingSongs = false;
    const std::string path = qv::SongListPath();
    const std::string input(reinterpret_cast<const char*>(data), size);
    Require(qv::ReplaceFileContents(path, input));

    const bool passed = qv::LoadSongList2();
    std::string after;
    Require(qv::ReadFileBytes(path, after));
    if (!passed) {
        Require(after == input);
        return 0;
    }
    const auto lines = qv::SplitLines(after);
    Require(after.size() == lines.size() * qv::SongRecordBytes);
    for (auto line : lines) Require(line.size() == qv::SongLineLength);

    qv::LoadingSongs = true;
    Require(qv::LoadAllSong(path));
    qv::LoadingSongs = false;
    Require(qv::AllSongCount == static_cast<int>(lines.size()));
    Require(qv::AllSong.size() == lines.size());
    std::string reread;
    Require(qv::ReadFileBytes(path, reread) && reread == after);
    if (qv::AllSongCount > 0) {
        const std::string next = qv::NextSongNumber(qv::AllSong.back()[qv::colSongNo]);
        Require(next.empty() || (next.size() == 5 && next.substr(0, 3) != "000"));
        // A loaded row joins back to a full record.
        Require(qv::JoinSongRecord(qv::AllSong.back()).size() == qv::SongLineLength);
    }
    return 0;
}
