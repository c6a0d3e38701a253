#pragma once
#include <QDialog>
#include <string>

class QProgressBar;
class QTimer;

namespace qv {

// The singer-photo window: sorts the photos once it is shown, then closes itself after a short pause with
// result 1 when everything moved, 2 after any failure.
class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(std::string singerPictureRoot, QWidget* parent = nullptr);

    QProgressBar* ProgressBar;
    QTimer* Timer1;

    static constexpr int TimerMs = 300;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void Timer1Timer();

    std::string singerPictureRoot_;  // SingerPictureRoot
    bool moveFailed_ = false;
    bool started_ = false;
};

}  // namespace qv
