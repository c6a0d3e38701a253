#pragma once
// The add panel of the main window: a folder tree and the file list of the chosen folder, the new song's
// name, singer, strokes, word count, pinyin, singer class and language, and the add and batch buttons.
// Each handler is one call into library/AddSong.
#include <QWidget>

#include "library/AddSong.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

namespace qv {

class AddSongPanel : public QWidget {
    Q_OBJECT
public:
    explicit AddSongPanel(QWidget* parent = nullptr);

    // Shows that folder in the tree and its files in the file list.
    void SetFolder(const QString& path);
    QString Folder() const;
    // Full paths of the selected files, in list order.
    QStringList SelectedFiles() const;

    // The panel's state for the library, and back (texts Big5).
    AddPanel State() const;
    void SetState(const AddPanel& state);

    // Checks button n (0-based) of the group, or none when n is outside it.
    void SetSexIndex(int n);
    void SetClassIndex(int n);

    QTreeView* folderTree = nullptr;
    QListView* fileList = nullptr;
    QLineEdit* songNameEdit = nullptr;
    QLineEdit* singerEdit = nullptr;
    QComboBox* singerCombo = nullptr;
    QLineEdit* lineMaskEdit = nullptr;
    QComboBox* wordCombo = nullptr;
    QLineEdit* pingYingEdit = nullptr;
    QButtonGroup* sexGroup = nullptr;
    QButtonGroup* classGroup = nullptr;
    QCheckBox* fuzzyCheck = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* multiAddButton = nullptr;

private:
    void FileClicked();
    void SongNameChanged();
    void SingerChanged();
    void SingerChosen();
    void AddClicked();
    void MultiAddClicked();
    void FillSingerCombo(const std::vector<std::string>& items);

    QFileSystemModel* folders_ = nullptr;
    QFileSystemModel* files_ = nullptr;
    bool fillingSinger_ = false;
};

}  // namespace qv
