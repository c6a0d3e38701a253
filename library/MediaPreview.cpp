#include "library/MediaPreview.h"

#include <filesystem>
#include <system_error>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "library/SongFiles.h"
#include "platform/MediaPlayer.h"
#include "catalogue/UserInterface.h"

namespace qv {

std::string PreviewSongNo;

namespace {

namespace fs = std::filesystem;

// The player cannot show these; true after the error box.
bool RefuseUnsupported(const std::string& path) {
    const std::string ext = LowerCaseBig5(fs::path(path).extension().string());
    if (ext != ".wmv" && ext != ".jpg") return false;
    UI().ShowErrorBox(B5("播放機不支援 ") + ext + B5(" 格式的影音檔"));
    return true;
}

}  // namespace

void PlaySongByNumber(const std::string& songNo) {
    PreviewSongNo = songNo;
    const std::string folder = SongFolderOf(songNo);
    const std::string item = FindFileByPrefix(folder, songNo);
    if (item.empty()) {
        UI().ShowErrorBox(B5("找不到欲播放的影音檔:") + Utf8ToBig5(PathIn(folder, songNo)) + ".*");
        return;
    }
    const std::string path = PathIn(folder, item);
    if (!RefuseUnsupported(path)) PlayPreview(path);
}

void PreviewSourceFile(const std::string& path) {
    if (!path.empty() && !RefuseUnsupported(path)) PlayPreview(path);
}

void PlayPreview(const std::string& path) {
    MediaPlayer* player = PreviewPlayer();
    if (!player) return;
    player->SetBalance(0);
    if (!player->Play(path)) ReportUnplayable(path);
}

void StopPreview() {
    if (MediaPlayer* player = PreviewPlayer()) player->Close();
}

void StopPreviewOf(const std::string& songNo) {
    if (!songNo.empty() && songNo == PreviewSongNo) StopPreview();
}

void SetPreviewBalance(int balance) {
    if (MediaPlayer* player = PreviewPlayer(); player && !player->SetBalance(balance))
        UI().ShowErrorBox(B5("播放機無法切換聲道"));
}

void ReportUnplayable(const std::string& path) {
    UI().ShowErrorBox(B5("無法播放影音檔:") + Utf8ToBig5(path));
}

}  // namespace qv
