#include "outputs/OutputSteps.h"

#include "catalogue/ProgramState.h"
#include "catalogue/TextFile.h"
#include "library/Startup.h"
#include "outputs/CloudSongBook.h"
#include "outputs/VkmIndex.h"
#include "outputs/ZtControlFiles.h"
#include "outputs/ZtIndex.h"
#include "outputs/Qvi05Database.h"

namespace qv {

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.writeQvi05Database = [] { WriteQvi05Database(); };
    steps.offerCloudUpload = OfferCloudUploadOnClose;
    steps.writeMenuTopSetIfMissing = [] {
        if (!FileExists(PathIn(LibraryRoot, "000/MenuTopSet.ztx"))) WriteMenuTopSet(3);
    };
    steps.resetPlayModeFilesOnFirstRun = [] { ResetPlayModeFiles(); };
    steps.writeZtIndex = [] { WriteZtIndex(); };
    steps.writeVkmIndex = WriteVkmIndex;
}

}  // namespace qv
