#include "outputs/OutputSteps.h"

#include "library/Startup.h"

namespace qv {

void InstallOutputSteps() { [[maybe_unused]] OutputSteps& steps = StartupOutputSteps(); }

}  // namespace qv
