#include "outputs/OutputSteps.h"

#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "library/Startup.h"
#include "outputs/ZtControlFiles.h"
#include "outputs/ZtIndex.h"
#include "outputs/CloudSongBook.h"

namespace qv {

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.writeMenuTopSetIfMissing = [] {
        if (!FileExists(PathIn(LibraryRoot, "000/MenuTopSet.ztx"))) WriteMenuTopSet(3);
    };
    steps.resetPlayModeFilesOnFirstRun = [] { ResetPlayModeFiles(); };
    steps.writeZtIndex = [] { WriteZtIndex(); };
    steps.offerCloudUpload = OfferCloudUploadOnClose;
}

}  // namespace qv
