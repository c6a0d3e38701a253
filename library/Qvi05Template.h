#pragma once
// The empty QVi05 database that the PC jukebox index output fills: an SQLite file with its two tables.
#include <string>

namespace qv {

// Writes the empty database to the path when nothing is there; false when it could not be written
// (a half-written file is never left behind).
bool WriteQvi05Template(const std::string& path);

}  // namespace qv
