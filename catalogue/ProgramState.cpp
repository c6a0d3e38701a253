#include "catalogue/ProgramState.h"

namespace qv {

std::string AppDir = ".";
std::string LibraryRoot = ".";
bool LibraryDataDirOk = false;
bool StartingUp = false;
bool LoadingSongs = false;
bool AddingSongs = false;

std::string PathIn(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace qv
