#include "app/QtDiskToolsHost.h"

#include <QFileDialog>

#include "app/FormSupport.h"
#include "app/ProgressForm.h"
#include "app/SelectDirForm.h"

namespace qv {

bool QtDiskToolsHost::ChooseFolder(const std::string& caption, const std::string& start,
                                   std::string& folder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(owner_, FromBig5(caption), QString::fromStdString(start));
    if (chosen.isEmpty()) return false;
    folder = chosen.toStdString();
    return true;
}

int QtDiskToolsHost::ShowSelectDirForm(const std::string& iniDir) {
    TSelectDirForm form(iniDir, owner_);
    return form.exec();
}

int QtDiskToolsHost::ShowProgressForm(const std::string& pictureRoot) {
    TProgressForm form(pictureRoot, owner_);
    return form.exec();
}

}  // namespace qv
