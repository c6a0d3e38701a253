#pragma once
// Qt's own dialogs (folder and file choosers, their buttons) in Traditional Chinese, like the program.
class QCoreApplication;

namespace qv {

// Loads Qt's Traditional Chinese translations from Qt's translation folder into the application; false
// when they are not installed (the dialogs then stay in English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace qv
