#pragma once
// The outputs' steps of the program's start-up and shut-down.

namespace qv {

// Fills StartupOutputSteps() (library/Startup.h) with the outputs' own functions.
void InstallOutputSteps();

}  // namespace qv
