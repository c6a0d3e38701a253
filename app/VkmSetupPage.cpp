#include "app/VkmSetupPage.h"

namespace qv {

TVkmSetupPage::TVkmSetupPage(QWidget* parent) : QWidget(parent) { setObjectName("VkmSetupPage"); }

// The dialog calls this at its place in the tabs' loading order; the tab has no controls yet.
void TVkmSetupPage::LoadVkmSettings() {}

}  // namespace qv
