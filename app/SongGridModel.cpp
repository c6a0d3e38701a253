#include "app/SongGridModel.h"

#include <QBrush>
#include <QColor>

#include "app/FormSupport.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"

namespace qv {

const char* const SongGridModel::Titles[GridColCount] = {
    "歌號",   "歌名", "拼音", "字數", "歌星名",   "優先", "歌星種類", "歌曲種類",
    "筆劃",   "新進", "特刪", "流行", "最愛",     "懷舊", "經典",     "國內照",
    "國外照", "音量", "聲道", "自播", "加歌日期", "選擇", "刪"};
const int SongGridModel::Widths96[GridColCount] = {39, 164, 28, 28, 92, 32, 52, 52, 28, 28, 28, 28,
                                                   28, 28,  28, 39, 39, 28, 28, 28, 57, 28, 20};

int SongGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ShownRows.size());
}

int SongGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridColCount;
}

QVariant SongGridModel::data(const QModelIndex& index, int role) const {
    const int r = index.row();
    if (!index.isValid() || r < 0 || r >= static_cast<int>(ShownRows.size())) return {};
    if (role == Qt::DisplayRole) {
        const int row = ShownRows[r];
        if (row < 0 || row >= static_cast<int>(AllSong.size())) return {};
        return FromBig5(DisplayCell(row, index.column()));
    }
    // Grid rows count from 1 below the title row: the even ones are shaded.
    if (role == Qt::BackgroundRole && (r + 1) % 2 == 0) return QBrush(QColor(0xE0, 0xE0, 0xE0));
    return {};
}

QVariant SongGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < GridColCount)
        return QString::fromUtf8(Titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void SongGridModel::Reload() {
    beginResetModel();
    endResetModel();
}

void SongGridModel::RepaintColumn(int column) {
    if (!ShownRows.empty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

}  // namespace qv
