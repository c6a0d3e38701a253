#pragma once
// The singer table tab ("歌手資料庫"): the grid of "singer.bin" with its cell editors, add, delete and
// search.
#include <QWidget>

#include "settings/SingerBinEditor.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qv {

class TSingerTablePage : public QWidget {
    Q_OBJECT
public:
    explicit TSingerTablePage(QWidget* parent = nullptr);

    QTableWidget* SingerStringGrid;
    QLineEdit* SingerEdit;
    QComboBox* SongClassComboBox;
    QComboBox* SingerSexComboBox;
    QPushButton* AddButton;
    QPushButton* DeleteButton;
    QLineEdit* SearchEdit;
    QPushButton* SearchButton;

    void LoadSingerGrid();
    void AddButtonClick();
    void DeleteButtonClick();
    void SearchButtonClick();
    // A cell editor's text for a singer row (0-based), taken once the editor has closed.
    void CommitCell(int row, int column, const QString& text);

    const setup::SingerBinEditor& Editor() const { return editor_; }

private:
    void FillGrid();
    void SingerStringGridClick(int gridRow, int column);

    setup::SingerBinEditor editor_;
    int reopenRow_ = -1;  // a refused name is offered again in its editor
    QString reopenText_;
    friend class SingerCellDelegate;
};

}  // namespace qv
