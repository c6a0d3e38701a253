#include "app/SongGridEditors.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include "app/FormSupport.h"
#include "app/SongGridModel.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongTable.h"
#include "library/MediaPreview.h"

namespace qv {

namespace {

// AllSong row shown in a view row, -1 when there is none.
int SongRowOf(const QModelIndex& index) {
    const QVariant row = index.isValid() ? index.data(SongRowRole) : QVariant();
    return row.isValid() ? row.toInt() : -1;
}

}  // namespace

SongGridEditors::SongGridEditors(QTableView* grid) : QObject(grid), grid_(grid) {
    lastSelectTimer_.setInterval(KillLastSelectIntervalMs);
    lastSelectTimer_.setSingleShot(true);
    killComboTimer_.setInterval(KillComboBoxIntervalMs);
    connect(&lastSelectTimer_, &QTimer::timeout, this, &SongGridEditors::KillLastSelectTimerTimer);
    connect(&killComboTimer_, &QTimer::timeout, this, &SongGridEditors::KillComboBoxTimerTimer);
    connect(grid, &QTableView::clicked, this, &SongGridEditors::StringGridClick);
    connect(grid, &QTableView::doubleClicked, this, &SongGridEditors::StringGridDblClick);
    // An editor does not scroll with its cell: scrolling leaves it, which stores its value.
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &SongGridEditors::LeaveEditor);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &SongGridEditors::LeaveEditor);
}

QFont SongGridEditors::CellFont() const { return grid_->font(); }

void SongGridEditors::StringGridClick(const QModelIndex& index) {
    const int row = SongRowOf(index);
    if (row < 0) return;
    if (editor_) {  // one refused by its message box keeps the focus until it is left or discarded
        editor_->setFocus();
        return;
    }
    switch (ActionOfColumn(index.column())) {
        case CellAction::ToggleMark:
            Finish(ToggleMarkCell(row, index.column()));
            break;
        case CellAction::EditText:
            OpenTextEditor(index);
            break;
        case CellAction::ChooseItem:
            OpenComboBox(index);
            break;
        case CellAction::None:
            break;
    }
}

void SongGridEditors::StringGridDblClick(const QModelIndex& index) {
    if (index.column() != colSongNo) return;
    if (const int row = SongRowOf(index); row >= 0) PlaySongByNumber(AllSong[row][colSongNo]);
}

void SongGridEditors::OpenTextEditor(const QModelIndex& index) {
    if (!BeginCellEdit(SongRowOf(index), index.column(), edit_)) return;
    auto* edit = new QLineEdit(grid_->viewport());
    edit->setObjectName(QString::fromStdString(TextEditorName(index.row() + 1)));
    edit->setGeometry(grid_->visualRect(index));
    edit->setFont(CellFont());
    edit->setText(FromBig5(edit_.shown));
    edit->installEventFilter(this);
    editor_ = edit;
    edit->show();
    edit->setFocus();
}

void SongGridEditors::OpenComboBox(const QModelIndex& index) {
    if (!BeginCellEdit(SongRowOf(index), index.column(), edit_)) return;
    const ComboChoices choices = ComboChoicesOf(edit_);
    auto* combo = new QComboBox(grid_->viewport());
    combo->setObjectName(QString::fromStdString(ComboEditorName(index.column(), index.row() + 1)));
    combo->setGeometry(grid_->visualRect(index));
    combo->setFont(CellFont());
    combo->setMaxVisibleItems(choices.dropDownRows);
    for (const auto& item : choices.items) combo->addItem(FromBig5(item));
    combo->setCurrentIndex(choices.selected);
    combo->installEventFilter(this);
    editor_ = combo;
    combo->show();
    combo->setFocus();
}

bool SongGridEditors::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_) return QObject::eventFilter(watched, event);
    auto* combo = qobject_cast<QComboBox*>(editor_);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (combo) {
            if (key->key() != Qt::Key_Escape) return false;
            comboEscapePending_ = true;  // ComboKeyPress
            comboKillName_ = combo->objectName();
            killComboTimer_.start();
            return true;
        }
        return EditKeyPress(static_cast<QLineEdit*>(editor_.data()), key);
    }
    if (event->type() == QEvent::FocusOut) {
        // The combo box's own list and the edit's context menu take the focus without leaving the cell.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) return false;
        if (committing_ || (combo && comboEscapePending_)) return false;
        combo ? ComboCreateExit() : EditCreateExit();
    }
    return false;
}

// EditKeyPress and EditKeyPress2: Esc discards the edit; the pinyin cell takes letters only, upper-cased,
// at most ten.
bool SongGridEditors::EditKeyPress(QLineEdit* edit, QKeyEvent* key) {
    if (key->key() == Qt::Key_Escape) {
        FreeEditor();
        return true;
    }
    if (edit_.column != colPinyin || key->text().isEmpty() || key->key() == Qt::Key_Backspace) return false;
    const QString typed = key->text();
    if (typed.size() != 1 || typed[0].unicode() >= 0x80) return true;
    const char c = static_cast<char>(typed[0].unicode());
    const char passed = PingYingEditKeyPress(ToBig5(edit->text()), c);
    if (passed == 0) return true;
    if (passed == c) return false;
    edit->insert(QString(QChar(passed)));
    return true;
}

void SongGridEditors::EditCreateExit() {
    auto* edit = qobject_cast<QLineEdit*>(editor_);
    if (!edit) return;
    committing_ = true;
    const QString text = edit->text();
    const EditResult result = CommitTextEdit(edit_, ToBig5(text), Utf8FitsBig5(text.toStdString()));
    committing_ = false;
    Finish(result);
}

void SongGridEditors::ComboCreateExit() {
    auto* combo = qobject_cast<QComboBox*>(editor_);
    if (!combo) return;
    comboEscapePending_ = false;
    killComboTimer_.stop();
    // A box whose cell is no longer the grid's current cell stores nothing.
    int column = -1, gridRow = -1;
    const QModelIndex current = grid_->currentIndex();
    if (!CellOfComboName(combo->objectName().toStdString(), column, gridRow) || !current.isValid() ||
        current.column() != column || current.row() + 1 != gridRow) {
        FreeEditor();
        return;
    }
    committing_ = true;
    const EditResult result = CommitComboEdit(edit_, combo->currentIndex(), ToBig5(combo->currentText()));
    committing_ = false;
    Finish(result);
}

void SongGridEditors::Finish(const EditResult& result) {
    if (result.restartLastSelectTimer) lastSelectTimer_.start();
    if (result.outcome == EditOutcome::KeepEditing && editor_) {
        editor_->setFocus();
        return;
    }
    FreeEditor();
    // A refused value may have left the row as the song list file holds it: the cell shows that.
    if (result.outcome != EditOutcome::Unchanged) grid_->viewport()->update();
    if (result.outcome == EditOutcome::Stored) emit SongsChanged();
}

void SongGridEditors::LeaveEditor() {
    if (!editor_ || committing_) return;
    if (qobject_cast<QComboBox*>(editor_)) {
        if (!comboEscapePending_) ComboCreateExit();
    } else {
        EditCreateExit();
    }
}

void SongGridEditors::KillComboBoxTimerTimer() {
    if (editor_ && editor_->objectName() == comboKillName_) FreeEditor();
    comboEscapePending_ = false;
    killComboTimer_.stop();
}

void SongGridEditors::KillLastSelectTimerTimer() {
    ForgetLastChoices();
    lastSelectTimer_.stop();
}

void SongGridEditors::FreeEditor() {
    QWidget* editor = editor_;
    editor_ = nullptr;
    if (!editor) return;
    editor->removeEventFilter(this);
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus) grid_->setFocus();
}

}  // namespace qv
