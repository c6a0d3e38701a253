#pragma once
#include <QDialog>

class QLabel;

namespace qv {

// The wait window: a small half-transparent box with one line of text, shown modelessly during long work.
class TInfoForm : public QDialog {
    Q_OBJECT
public:
    TInfoForm(const QString& infoText, QWidget* owner);

    QLabel* Label1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const QString& infoText);
};

}  // namespace qv
