#pragma once
#include <QDialog>

class QLabel;

namespace qv {

// The about box: the program's picture, nothing else; only a close button on the title bar.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* Image1;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace qv
