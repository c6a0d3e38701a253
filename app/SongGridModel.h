#pragma once
// The song list view's data: reads AllSong through ShownRows, converting only the cells on screen.
#include <QAbstractTableModel>

namespace qv {

class SongGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // ShownRows was rebuilt or reordered.
    void Reload();
    // Some cells of the shown rows changed.
    void RepaintColumn(int column);

    // Column titles and widths at 96 dots per inch.
    static const char* const Titles[];
    static const int Widths96[];
};

}  // namespace qv
