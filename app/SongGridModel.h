#pragma once
// The song list view's data: reads AllSong through the rows of ShownRows as they stood at the last Reload,
// converting only the cells on screen. The long runs reorder ShownRows and append working rows to AllSong
// meanwhile; the grid keeps showing the view it was told about until it is reloaded.
#include <QAbstractTableModel>
#include <QFont>
#include <QStyledItemDelegate>
#include <vector>

class QPushButton;
class QTableView;

namespace qv {

class SongGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // ShownRows was rebuilt or reordered: the grid shows it as it is now.
    void Reload();
    // Some cells of the shown rows changed.
    void RepaintColumn(int column);

    // Column titles and widths at 96 dots per inch.
    static const char* const Titles[];
    static const int Widths96[];

private:
    std::vector<int> rows_;  // AllSong rows of the grid's rows
};

// The AllSong row that a grid cell shows (an int, -1 when none), asked of the grid's model by this role.
constexpr int SongRowRole = Qt::UserRole;

// The grid's cells as the widths were made for: the text 2 pixels from the cell's left edge, cut at its
// right edge (the columns are wide enough for their short texts; names may be cut).
class SongGridCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int TextIndent = 2;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The grid's font at a screen's dots per inch: a compact Ming face whose Latin letters and digits are
// half as wide as a Chinese character, 12 pixels at 96 dpi, in proportion above.
QFont SongGridFont(int dpi);
// The play buttons' font and their width at a dpi (the first column's width, or more when the widest song
// number needs it with the button's frame).
QFont PlayButtonFont(int dpi);
int PlayButtonWidth(const QPushButton& button, int dpi);

// Fonts and column widths of the grid at a dpi: each column gets its width at 96 dpi in proportion, or more
// when one of the texts it can hold (song numbers, codes, class and language names, dates, its title) needs
// more. buttonWidth: the play buttons' width, which the first column holds.
void LayOutSongGrid(QTableView* grid, int dpi, int buttonWidth);

}  // namespace qv
