#pragma once
// Program-wide state of the catalogue, owned by the main window for the whole run.
#include <string>

namespace qv {

extern std::string AppDir;       // program folder: the current directory at start, no trailing slash
extern std::string LibraryRoot;  // song library root: the same folder
extern bool LibraryDataDirOk;    // LibraryRoot holds its folder "000"

extern bool StartingUp;    // no ".bak" copy of the song list while set
extern bool LoadingSongs;  // every song-list writer writes nothing and reports success while set
extern bool AddingSongs;   // the grid refresh does nothing while set

// Path of a file in a folder; folder + "/" + name.
std::string PathIn(const std::string& folder, const std::string& name);

}  // namespace qv
