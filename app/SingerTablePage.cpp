#include "app/SingerTablePage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include "app/FormSupport.h"
#include "app/SetupControls.h"
#include "catalogue/CharTw.h"

namespace qv {

// The name cell edits in a line edit, the language and class cells in a list of their names. Escape
// closes the editor without taking its text; leaving it, or choosing an item, hands the text to the page
// once the editor is gone, so a message never shows while an editor is half closed.
class SingerCellDelegate : public QStyledItemDelegate {
public:
    explicit SingerCellDelegate(TSingerTablePage* page) : QStyledItemDelegate(page), page_(page) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (index.column() == 0) {
            auto* edit = new QLineEdit(parent);
            edit->setObjectName(QStringLiteral("singerbin_edit%1").arg(index.row() + 1));
            return edit;
        }
        const auto& items = index.column() == 1 ? setup::SingerLanguageItems() : setup::SingerClassItems();
        auto* box = NewSetupCombo("", items, parent);
        box->setObjectName(QStringLiteral("singerbin_combo%1%2")
                               .arg(index.column(), 4, 10, QLatin1Char('0'))
                               .arg(index.row() + 1, 6, 10, QLatin1Char('0')));
        box->setMaxVisibleItems(static_cast<int>(items.size()));
        // Choosing an item ends the edit at once.
        auto* self = const_cast<SingerCellDelegate*>(this);
        connect(box, &QComboBox::activated, self, [self, box] {
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString cell = index.data().toString();
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            const bool again = page_->reopenRow_ == index.row();
            edit->setText(again ? page_->reopenText_ : cell);
            page_->reopenRow_ = -1;
        } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(box->findText(cell));
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        QString text;
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) text = edit->text();
        if (auto* box = qobject_cast<QComboBox*>(editor))
            text = box->currentIndex() < 0 ? QString() : box->currentText();
        const int row = index.row(), column = index.column();
        QTimer::singleShot(0, page_,
                           [page = page_, row, column, text] { page->CommitCell(row, column, text); });
    }

private:
    TSingerTablePage* page_;
};

TSingerTablePage::TSingerTablePage(QWidget* parent) : QWidget(parent) {
    setObjectName("SingerTablePage");
    SingerStringGrid = new QTableWidget(0, 3, this);
    SingerStringGrid->setObjectName("SingerStringGrid");
    SingerStringGrid->setHorizontalHeaderLabels(
        {QStringLiteral("歌手名稱"), QStringLiteral("主要語言"), QStringLiteral("歌手類別")});
    SingerStringGrid->verticalHeader()->hide();
    SingerStringGrid->verticalHeader()->setDefaultSectionSize(20);
    SingerStringGrid->setColumnWidth(0, 256);
    SingerStringGrid->setColumnWidth(1, 64);
    SingerStringGrid->setColumnWidth(2, 64);
    SingerStringGrid->setMinimumWidth(256 + 64 + 64 + 24);
    SingerStringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SingerStringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SingerStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SingerStringGrid->setItemDelegate(new SingerCellDelegate(this));
    connect(SingerStringGrid, &QTableWidget::cellClicked, this, &TSingerTablePage::SingerStringGridClick);

    SingerEdit = new QLineEdit(this);
    SingerEdit->setObjectName("SingerEdit");
    SongClassComboBox = NewSetupCombo("SongClassComboBox", setup::SingerLanguageItems(), this, true);
    SingerSexComboBox = NewSetupCombo(
        "SingerSexComboBox", {"男歌手", "女歌手", "團體歌手", "外語歌手", "雙人對唱", "其他"}, this, true);
    AddButton = new QPushButton(QStringLiteral("<==   新增"), this);
    AddButton->setObjectName("AddButton");
    DeleteButton = new QPushButton(QStringLiteral("刪除  ==>"), this);
    DeleteButton->setObjectName("DeleteButton");
    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName("SearchEdit");
    SearchButton = new QPushButton(QStringLiteral("搜尋"), this);
    SearchButton->setObjectName("SearchButton");
    connect(AddButton, &QPushButton::clicked, this, &TSingerTablePage::AddButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TSingerTablePage::DeleteButtonClick);
    connect(SearchButton, &QPushButton::clicked, this, &TSingerTablePage::SearchButtonClick);

    auto* side = new QGridLayout;
    side->addWidget(new QLabel(QStringLiteral("歌手/團體名稱"), this), 0, 0);
    side->addWidget(SingerEdit, 0, 1);
    side->addWidget(new QLabel(QStringLiteral("歌手主要語言"), this), 1, 0);
    side->addWidget(SongClassComboBox, 1, 1);
    side->addWidget(new QLabel(QStringLiteral("歌手類別"), this), 2, 0);
    side->addWidget(SingerSexComboBox, 2, 1);
    side->addWidget(AddButton, 3, 0, 1, 2);
    side->addWidget(DeleteButton, 4, 0, 1, 2);
    side->addWidget(SearchEdit, 6, 0);
    side->addWidget(SearchButton, 6, 1);
    side->setRowMinimumHeight(5, 24);
    side->setRowStretch(7, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(SingerStringGrid, 1);
    layout->addLayout(side);
}

void TSingerTablePage::FillGrid() {
    const auto& rows = editor_.Rows();
    SingerStringGrid->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[r];
        const std::string* cells[3] = {&row.name, &row.language, &row.singerClass};
        for (int c = 0; c < 3; ++c) {
            auto* item = SingerStringGrid->item(r, c);
            if (!item) SingerStringGrid->setItem(r, c, item = new QTableWidgetItem);
            item->setText(FromBig5(*cells[c]));
        }
    }
}

void TSingerTablePage::LoadSingerGrid() {
    editor_.Load();
    FillGrid();
}

void TSingerTablePage::SingerStringGridClick(int gridRow, int column) {
    SingerStringGrid->edit(SingerStringGrid->model()->index(gridRow, column));
}

void TSingerTablePage::CommitCell(int row, int column, const QString& text) {
    if (row < 0 || row >= static_cast<int>(editor_.Rows().size())) return;
    std::string big5;
    const bool typed = TypedBig5(text.trimmed(), big5);
    if (column == 0) {
        const std::string trimmed = TrimBlanks(big5);
        const bool refused = !typed || (!trimmed.empty() && trimmed != editor_.Rows()[row].name &&
                                        !editor_.Rename(static_cast<size_t>(row), trimmed));
        if (refused) {
            // The name stays in its editor to be mended.
            reopenRow_ = row;
            reopenText_ = text;
            SingerStringGrid->setCurrentCell(row, 0);
            SingerStringGrid->edit(SingerStringGrid->model()->index(row, 0));
            return;
        }
    } else if (typed && column == 1) {
        editor_.SetLanguage(static_cast<size_t>(row), big5);
    } else if (typed && column == 2) {
        editor_.SetClass(static_cast<size_t>(row), big5);
    }
    FillGrid();
}

void TSingerTablePage::AddButtonClick() {
    std::string name, language, singerClass;
    if (!TypedBig5(SingerEdit->text(), name) || !TypedBig5(SongClassComboBox->currentText(), language) ||
        !TypedBig5(SingerSexComboBox->currentText(), singerClass))
        return;
    name = TrimBlanks(name);
    SingerEdit->setText(FromBig5(name));
    const int row = editor_.Add(name, TrimBlanks(language), TrimBlanks(singerClass));
    FillGrid();
    if (row >= 0) SingerStringGrid->setCurrentCell(row, 0);
}

void TSingerTablePage::DeleteButtonClick() {
    const int row = SingerStringGrid->selectionModel()->hasSelection() ? SingerStringGrid->currentRow() : -1;
    if (editor_.Delete(row)) FillGrid();
}

void TSingerTablePage::SearchButtonClick() {
    std::string keyword;
    if (!TypedBig5(SearchEdit->text(), keyword)) return;
    keyword = TrimBlanks(keyword);
    SearchEdit->setText(FromBig5(keyword));
    const int found = editor_.Search(keyword, SingerStringGrid->currentRow());
    if (found >= 0) SingerStringGrid->selectRow(found);
}

}  // namespace qv
