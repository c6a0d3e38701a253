#include "outputs/OutputSteps.h"

#include "library/Startup.h"
#include "outputs/VkmIndex.h"

namespace qv {

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.writeVkmIndex = WriteVkmIndex;
}

}  // namespace qv
