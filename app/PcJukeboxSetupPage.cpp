#include "app/PcJukeboxSetupPage.h"

namespace qv {

TPcJukeboxSetupPage::TPcJukeboxSetupPage(QWidget* parent) : QWidget(parent) {
    setObjectName("PcJukeboxSetupPage");
}

// The dialog calls this at its place in the tabs' loading order; the tab has no controls yet.
void TPcJukeboxSetupPage::LoadPcJukeboxSettings() {}

}  // namespace qv
