#include "outputs/OutputSteps.h"

#include "library/Startup.h"
#include "outputs/CloudSongBook.h"

namespace qv {

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.offerCloudUpload = OfferCloudUploadOnClose;
}

}  // namespace qv
