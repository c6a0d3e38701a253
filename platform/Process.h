#pragma once
// Starting separate programs.
#include <string>
#include <vector>

namespace qv {

// Starts the program with the arguments in the working folder and does not wait for it. False when it
// could not be started (missing, not executable, ...).
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingFolder);

}  // namespace qv
