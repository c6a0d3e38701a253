#include "app/SongGridModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTableView>
#include <algorithm>

#include "app/FormSupport.h"
#include "catalogue/CharTw.h"
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
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SongGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridColCount;
}

QVariant SongGridModel::data(const QModelIndex& index, int role) const {
    const int r = index.row();
    if (!index.isValid() || r < 0 || r >= static_cast<int>(rows_.size())) return {};
    const int row = rows_[static_cast<size_t>(r)];
    if (role == SongRowRole) return row >= 0 && row < AllSongCount ? row : -1;
    if (role == Qt::DisplayRole) {
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
    rows_ = ShownRows;
    endResetModel();
}

void SongGridModel::RepaintColumn(int column) {
    if (!rows_.empty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

}  // namespace qv

namespace qv {
namespace {

constexpr int FontPixels96 = 12;
const char* const GridFontFamily = "AR PL UMing TW";

// A text of n of the widest of the characters.
QString Widest(const QFontMetrics& metrics, const QString& characters, int n) {
    QChar widest = characters.front();
    for (QChar c : characters)
        if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(widest)) widest = c;
    return QString(n, widest);
}

// Every kind of text a column can show, beyond its title; the names and the song name none in particular.
QStringList TextsOfColumn(int column, const QFontMetrics& m) {
    const QString digits = QStringLiteral("0123456789");
    auto names = [](const auto& table) {
        QStringList out;
        for (const std::string& name : table) out << FromBig5(name);
        return out;
    };
    switch (column) {
        case colSongNo:
            return {Widest(m, digits, 5)};
        case colPinyin:  // up to 10 letters or keypad digits
            return {Widest(m, digits + QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 10)};
        case colWordCount:
        case colStrokes:
        case colVolume:
            return {Widest(m, digits, 2)};
        case colSingerPriority:
            return {Widest(m, digits, 1)};
        case colSingerClass:
            return names(SingerClassNames());
        case colLanguage:
            return names(LanguageNames());
        case colChannel:
            return {QStringLiteral("左"), QStringLiteral("右")};
        case colDateAdded:
            return {Widest(m, digits + QLatin1Char('/'), 10)};
        case colSongName:
        case colSinger:
            return {};
        default:  // the marks
            return {QStringLiteral("*"), QStringLiteral("◎"), QStringLiteral("X")};
    }
}

QFont MingFont(int pixels) {
    QFont font(QString::fromUtf8(GridFontFamily));
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

void SongGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);  // background, selection
    painter->save();
    painter->setClipRect(item.rect);
    painter->setFont(item.font);
    const bool selected = item.state & QStyle::State_Selected;
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(item.rect.adjusted(TextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

QFont SongGridFont(int dpi) { return MingFont(FontPixels96 * dpi / 96); }

QFont PlayButtonFont(int dpi) { return MingFont(FontPixels96 * dpi / 96); }

int PlayButtonWidth(const QPushButton& button, int dpi) {
    const int base = SongGridModel::Widths96[colSongNo] * dpi / 96;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = QRect(0, 0, base, button.height());
    const int contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
    const QFontMetrics metrics(button.font());
    const int needed = metrics.horizontalAdvance(TextsOfColumn(colSongNo, metrics).front());
    return std::max(base, base - contents + needed);
}

void LayOutSongGrid(QTableView* grid, int dpi, int buttonWidth) {
    const QFont font = SongGridFont(dpi);
    grid->setFont(font);
    QHeaderView* header = grid->horizontalHeader();
    header->setFont(font);
    header->setMinimumSectionSize(1);  // its default, from the style, is wider than the narrowest column
    const QFontMetrics cells(font), titles(header->font());
    const int titleMargin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int cellMargin = SongGridCellDelegate::TextIndent + 1;  // the grid line takes the last pixel
    for (int c = 0; c < GridColCount; ++c) {
        int width = SongGridModel::Widths96[c] * dpi / 96;
        width = std::max(width,
                         titles.horizontalAdvance(QString::fromUtf8(SongGridModel::Titles[c])) + titleMargin);
        for (const QString& text : TextsOfColumn(c, cells))
            width = std::max(width, cells.horizontalAdvance(text) + cellMargin);
        if (c == colSongNo) width = std::max(width, buttonWidth);
        grid->setColumnWidth(c, width);
    }
}

}  // namespace qv
