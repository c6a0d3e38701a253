#include "outputs/OutputSteps.h"

#include "library/Startup.h"
#include "outputs/CloudSongBook.h"
#include "outputs/Qvi05Database.h"

namespace qv {

void InstallOutputSteps() {
    OutputSteps& steps = StartupOutputSteps();
    steps.writeQvi05Database = [] { WriteQvi05Database(); };
    steps.offerCloudUpload = OfferCloudUploadOnClose;
}

}  // namespace qv
