#pragma once
// Song lists exchanged with other libraries and other karaoke systems: the export of new songs and the
// imports of the system's own lists, other makers' lists, the JETKTV list written from a folder and the
// songlist.txt conversion. Paths are Linux paths (UTF-8); list texts are Big5.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/SongTable.h"
#include "outputs/ListReaders.h"

namespace qv {

// ---- the import frame shared by every import ----

// One song of a list: its fields in song-table column order and its media item (a file or a picture
// folder); media empty when the line names none (already reported).
struct ImportSong {
    FieldList fields;
    std::string media;
    std::optional<bool> picture;  // whether media is a picture folder, when a folder listing told it
};
// Adds the songs that prepare(i, song) yields for line i (false: skip the line) through the ordinary add
// path, duplicates skipped quietly, with the filters reset, the progress bar and the completion message.
// A song that cannot be added stops the import with a message naming it and why; no completion message
// then. True when the import ran to its end.
bool ImportSongs(size_t lineCount, const std::function<bool(size_t line, ImportSong& song)>& prepare);
// The duplicate rule of the imports (the setting decides whether the name alone is enough), looked up in
// the run's index of the song table.
bool IsImportDuplicate(const FieldList& fields, SongNameIndex& index);

// ---- the system's own lists ----

bool ImportSongList2(const std::string& path);  // whole records
bool ImportSongList(const std::string& path, bool byWordCount = false);

void N3Click();    // 匯出新歌
void N2Click();    // 匯入歌曲
void QV21Click();  // 匯入QV2
void QV22Click();  // 匯入QV2(以字數排序)

// ---- other makers' lists ----

// One JETKTV line per media file under the folder, depth first, symbolic links to folders not followed.
void CollectJetktvLines(const std::string& folder, std::vector<std::string>& lines);

void OK1Click();                   // 匯入統一卡拉OK/JETKTV
void N900GX1Click();               // 匯入其他
void songlisttxtsong1txt1Click();  // songlist.txt 轉 song1.txt
void N13Click();                   // 以目錄建立統一JETKTV檔

}  // namespace qv
