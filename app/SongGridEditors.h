#pragma once
// The in-place editors of the song grid: installed on the main window's QTableView (whose model reads
// AllSong through ShownRows, view row i = grid row i + 1), they switch marks on a click, open a line edit or
// a combo box over a clicked text or code cell, and store the value when the editor is left.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "library/InPlaceEdit.h"

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QModelIndex;
class QTableView;

namespace qv {

class SongGridEditors : public QObject {
    Q_OBJECT
public:
    explicit SongGridEditors(QTableView* grid);

    // The open cell editor ("edit_create..." or "combo_create..."), or null.
    QWidget* Editor() const { return editor_; }
    QTimer& KillLastSelectTimer() { return lastSelectTimer_; }
    QTimer& KillComboBoxTimer() { return killComboTimer_; }

signals:
    // Song-table cells changed: a model that keeps copies of them reloads (the grid is repainted anyway).
    void SongsChanged();

public slots:
    void StringGridClick(const QModelIndex& index);
    void StringGridDblClick(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFont CellFont() const;
    void OpenTextEditor(const QModelIndex& index);
    void OpenComboBox(const QModelIndex& index);
    void EditCreateExit();
    void ComboCreateExit();
    void KillComboBoxTimerTimer();
    void KillLastSelectTimerTimer();
    void LeaveEditor();  // as if the editor lost the focus
    void Finish(const EditResult& result);
    void FreeEditor();
    bool EditKeyPress(QLineEdit* edit, QKeyEvent* key);  // true: the key is dropped

    QTableView* grid_;
    QPointer<QWidget> editor_;
    CellEdit edit_;
    bool committing_ = false;  // a store (and its message box) is under way
    bool comboEscapePending_ = false;
    QString comboKillName_;
    QTimer lastSelectTimer_;
    QTimer killComboTimer_;
};

}  // namespace qv
