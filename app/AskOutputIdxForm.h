#pragma once
#include <QDialog>
#include <QString>

class QCheckBox;
class QPushButton;

namespace qv {

// The question on close which index outputs to write; both buttons keep the ticked boxes as the
// IdxFileOutputFormat mask of SettingDir's "setting.ini".
class TAskOutputIdxForm : public QDialog {
    Q_OBJECT
public:
    explicit TAskOutputIdxForm(QWidget* parent = nullptr);

    QCheckBox* CheckBox1;  // ZT
    QCheckBox* CheckBox2;  // VKM
    QCheckBox* CheckBox3;  // QVi05
    QPushButton* YesButton;
    QPushButton* NoButton;

    QString SettingDir;  // folder of "setting.ini"; set by the caller before showing

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void YesButtonClick();
    void NoButtonClick();
    void StoreChoice();
};

}  // namespace qv
