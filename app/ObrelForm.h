#pragma once
#include <QDialog>

class QProgressBar;
class QTimer;

namespace qv {

// The offline song book's progress window: writes the book once it is shown, then closes itself after a
// short pause, accepted when the book was written.
class TObrelForm : public QDialog {
    Q_OBJECT
public:
    explicit TObrelForm(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1;
    QTimer* Timer1;

    static constexpr int TimerMs = 300;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();

    bool started_ = false;
};

// Menu 輸出離線雲端歌簿.
void N38Click(QWidget* parent);

}  // namespace qv
