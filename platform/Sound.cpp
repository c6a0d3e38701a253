#include "platform/Sound.h"

#include <sys/stat.h>

#include "catalogue/ProgramState.h"

namespace qv {
namespace {
SoundPlayer* g_player = nullptr;
std::string g_folder;
bool g_folderSet = false;
}  // namespace

SoundPlayer* CurrentSoundPlayer() { return g_player; }
void SetSoundPlayer(SoundPlayer* player) { g_player = player; }

std::string SoundFolder() { return g_folderSet ? g_folder : PathIn(AppDir, "media"); }

void SetSoundFolder(const std::string& folder) {
    g_folder = folder;
    g_folderSet = true;
}

void PlaySystemSound(const std::string& fileName) {
    const std::string path = PathIn(SoundFolder(), fileName);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (g_player) g_player->PlayAsync(path);
}

}  // namespace qv
