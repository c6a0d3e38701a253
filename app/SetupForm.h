#pragma once
// The settings dialog "設定(Setup)": the tabs in page order, each loaded at creation, each with its apply
// ("套用") and, on most, a defaults button ("回復預設值"). An apply writes its tab and closes the dialog
// unless a defaults button asked to keep it open; closing by the frame writes nothing.
#include <QDialog>
#include <array>

#include "settings/ScreenMenu.h"
#include "settings/SetupPages.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace qv {

class TColorPanel;
class TRadioGroup;
class TPcJukeboxSetupPage;
class TSingerTablePage;
class TVkmSetupPage;
class TZtSetupPage;

class TSetupForm : public QDialog {
    Q_OBJECT
public:
    // Runs FormCreate: reads every tab from the files below setup::AppPath.
    explicit TSetupForm(QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet6, *TabSheet4, *TabSheet5, *TabSheet9, *TabSheet7, *TabSheet8, *TabSheet2;

    // Basic tab.
    TRadioGroup* LanguageRadioGroup;
    TRadioGroup* PingYingRadioGroup;
    TRadioGroup* FileNameRadioGroup;
    std::array<QComboBox*, 9> SelfDefineComboBoxes;  // ComboBox6 .. ComboBox14
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox6;
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox10;
    QPushButton* OKButton1;
    QPushButton* DefaultButton1;

    // Screen-menu editor tab.
    std::array<QLineEdit*, setup::ScreenMenuFieldCount> MenuEdits;  // Edit3_1 ..
    std::array<QLabel*, setup::ScreenMenuFieldCount> MenuLabels;    // Label3_1 ..
    QPushButton* OKButton6;
    QPushButton* DefaultButton6;

    // Song-book rules tab.
    std::array<QCheckBox*, 6> ReportCheckBoxes;  // CheckBox1, 2, 3, 4, 5, 7
    TRadioGroup* RadioGroup1;
    TRadioGroup* RadioGroup2;
    std::array<QComboBox*, 5> ReportComboBoxes;  // ComboBox1, 2, 3, 4, 15
    std::array<TColorPanel*, 6> ColourPanels;    // MalePanel .. OtherPanel
    QPushButton* OKButton4;
    QPushButton* DefaultButton4;

    // Cloud tab.
    QCheckBox* CheckBox14;
    QLineEdit* PasswordEdit;
    QPushButton* OkButton7;

    TZtSetupPage* ZtPage;  // null when the edition has no ZT tab
    TVkmSetupPage* VkmPage;
    TSingerTablePage* SingerPage;
    TPcJukeboxSetupPage* PcJukeboxPage;

    void OKButton1Click();
    void DefaultButton1Click();
    void OKButton4Click();
    void DefaultButton4Click();
    void OKButton6Click();
    void DefaultButton6Click();
    void OkButton7Click();

    // Closes the dialog unless kept open; every apply that ends ends with it.
    void FinishApply();

private:
    void FormCreate();
    void BuildBasicTab();
    void BuildScreenMenuTab();
    void BuildReportRuleTab();
    void BuildCloudTab();
    void LoadBasicSettings();
    void LoadScreenMenu();
    void LoadReportRule();
    void LoadObrelSettings();
    void ShowBasicPage(const setup::BasicPage& page);
    void ShowScreenMenu(const setup::ScreenMenuTexts& texts);
};

// The command 設定: hands the dialog its context, hides 匯入歌曲規則 in the standalone edition and runs the
// dialog modally.
void RunSetupForm(QWidget* parent, int screenDpi);

}  // namespace qv
