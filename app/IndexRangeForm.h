#pragma once
#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace qv {

// The number-range dialog: two song numbers of at most five digits, the end not below the start.
class TIndexRangeForm : public QDialog {
    Q_OBJECT
public:
    explicit TIndexRangeForm(QWidget* parent = nullptr);

    QLineEdit* StartEdit;
    QLineEdit* EndEdit;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // The two numbers as typed (leading zeros kept); set only when the dialog ends with OK.
    QString RangeStartNo;
    QString RangeEndNo;

    static constexpr int MaxDigits = 5;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OKButtonClick();
    void CancelButtonClick();
};

}  // namespace qv
