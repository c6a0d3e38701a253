// Singer photos sorted into the folders singer_1 .. singer_8 by the stroke count of their names.
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"
#include "catalogue/ProgramState.h"
#include "library/DiskTools.h"
#include "library/DiskFiles.h"
#include "library/DiskToolsSupport.h"
#include "library/SongFiles.h"
#include "catalogue/UserInterface.h"

namespace qv {

using namespace disktools;

int SingerPhotoGroup(int strokes) {
    if (strokes < 3) return 1;
    if (strokes <= 5) return 2;
    if (strokes <= 7) return 3;
    if (strokes <= 9) return 4;
    if (strokes <= 11) return 5;
    if (strokes <= 13) return 6;
    if (strokes <= 16) return 7;
    return 8;
}

bool MoveSingerPhotos(const std::string& pictureRoot, const std::function<void(int)>& progress) {
    bool failed = false;
    const std::string source = PathIn(pictureRoot, "singer");
    std::vector<std::string> files;
    if (IsFolder(source)) {
        CollectFilesRecursive(files, source);
    } else {
        UI().ShowErrorBox(B5("找不到目錄[") + Shown(source) + "]");
        failed = true;
    }
    std::vector<bool> groupReady(9, false);
    for (int k = 1; k <= 8; ++k) {
        const std::string group = PathIn(pictureRoot, "singer_" + std::to_string(k));
        groupReady[static_cast<std::size_t>(k)] = MakeDir(group);
        if (!groupReady[static_cast<std::size_t>(k)]) {
            UI().ShowErrorBox(B5("無法產生目錄[") + Shown(group) + "]");
            failed = true;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        progress(static_cast<int>((i + 1) * 100 / files.size()));
        const std::string& file = files[i];
        const std::string name = file.substr(file.rfind('/') + 1);
        // File names are UTF-8; the strokes are those of the Big5 character (0, group 1, for any other).
        const int group = SingerPhotoGroup(Big5StrokeCountOfFirstChar(Utf8ToBig5(name)));
        const std::string target = PathIn(PathIn(pictureRoot, "singer_" + std::to_string(group)), name);
        if (PathExists(target)) continue;  // a photo of that name is already sorted: this one stays
        // Into a group folder that could not be made no move can succeed: no retries for it.
        if (!groupReady[static_cast<std::size_t>(group)] || !MoveFileRetry(file, target)) {
            UI().ShowErrorBox(B5("移動檔案") + Shown(file) + B5("到") + Shown(target) + B5("發生錯誤"));
            failed = true;
        }
    }
    progress(100);
    return !failed;
}

void SortSingerPhotos() {
    if (TheDiskToolsHost().ShowProgressForm(LibraryRoot) == 1) UI().ShowInfoMessage(B5("搬移完成"));
}

}  // namespace qv
