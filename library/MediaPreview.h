#pragma once
// Previewing a song's media item, or a source file, in the main window's player (PreviewPlayer), and the
// three channel buttons. Song numbers are Big5 text; paths are file-system paths (UTF-8).
#include <string>

namespace qv {

// Number of the song last sent to the player; kept until the next preview.
extern std::string PreviewSongNo;

// PlaySongByNumber: plays the media item of the song (the first entry of its song folder that begins
// with the number); the error box when there is none or it is a .wmv or .jpg item.
void PlaySongByNumber(const std::string& songNo);
// FileListBoxDblClick: previews a file of the source-file list.
void PreviewSourceFile(const std::string& path);
// Balance 0, then the file plays; an error box when the player cannot open it.
void PlayPreview(const std::string& path);
void StopPreview();
// Stops the preview when it plays that song (before its media item is moved, replaced or deleted).
void StopPreviewOf(const std::string& songNo);
// LeftButtonClick, MiddleButtonClick, RightButtonClick: -100, 0, 100.
void SetPreviewBalance(int balance);
// The error box of a file the player could not play.
void ReportUnplayable(const std::string& path);

}  // namespace qv
