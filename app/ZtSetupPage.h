#pragma once
// The ZT jukebox tab ("ZT點歌機設定"): power-on options, the random-play mode, the top-menu value, the
// pinyin song kinds and the own-choice play mode.
#include <QWidget>

#include "outputs/ZtSetupTab.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace qv {

class TZtSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit TZtSetupPage(QWidget* parent = nullptr);

    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox15;
    QComboBox* ComboBox17;
    QComboBox* ComboBox5;
    QCheckBox* CheckBox11;
    QCheckBox* CheckBox12;
    QCheckBox* CheckBox13;
    QComboBox* ComboBox16;
    QPushButton* OkButton5;
    QPushButton* DefaultButton5;

    void LoadZtSettings();
    void OkButton5Click();
    void DefaultButton5Click();
    void ComboBox17Change();

signals:
    // The tab was written; the dialog ends the apply.
    void Applied();

private:
    void Show(const setup::ZtPage& page);
};

}  // namespace qv
