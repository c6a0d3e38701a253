#include "catalogue/SongTable.h"

#include <algorithm>

#include "catalogue/CharTw.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"

namespace qv {

std::vector<SongRow> AllSong;
int AllSongCount = 0;
std::vector<int> ShownRows;

bool AddSongRow(const FieldList& fields) {
    if (static_cast<int>(AllSong.size()) > AllSongCount) AllSong.resize(AllSongCount);
    SongRow& row = AllSong.emplace_back();
    const size_t n = std::min<size_t>(fields.size(), GridColCount);
    for (size_t c = 0; c < n; ++c) row[c] = fields[c];
    row[colSingerWordCount] = std::to_string(CountSongWords(row[colSinger]));
    row[colSingerStrokes] = std::to_string(Big5StrokeCountOfFirstChar(row[colSinger]));
    ++AllSongCount;
    ShownRows.push_back(AllSongCount - 1);
    const bool written = AppendSongRecord();
    AddSingerDisplayEntry(row[colSinger], SafeStrToInt(row[colSingerClass]), SafeStrToInt(row[colLanguage]));
    return written;
}

}  // namespace qv
