#include "app/QtDiskToolsHost.h"

#include <QFileDialog>

#include "app/FormSupport.h"
#include "app/ProgressForm.h"
#include "app/QtUserInterface.h"
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

namespace {
const QString TextFilesFilter = QStringLiteral("Text files (*.txt)");
}  // namespace

bool QtDiskToolsHost::ChooseOpenFile(std::string& path) {
    const QString chosen = QFileDialog::getOpenFileName(owner_, QString(), QString(), TextFilesFilter);
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

bool QtDiskToolsHost::ChooseSaveFile(std::string& path) {
    const QString chosen = QFileDialog::getSaveFileName(owner_, QString(), QString(), TextFilesFilter);
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

int QtDiskToolsHost::ShowSelectDirForm(const std::string& iniDir) {
    TSelectDirForm form(iniDir, owner_);
    return form.exec();
}

int QtDiskToolsHost::ShowProgressForm(const std::string& pictureRoot) {
    TProgressForm form(pictureRoot, owner_);
    const int result = form.exec();
    AbandonIfEndRequested();
    return result;
}

}  // namespace qv
