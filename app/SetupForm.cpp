#include "app/SetupForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "app/PcJukeboxSetupPage.h"
#include "app/SetupControls.h"
#include "app/SingerTablePage.h"
#include "app/VkmSetupPage.h"
#include "app/ZtSetupPage.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/Edition.h"
#include "settings/SetupPages.h"
#include "settings/Settings.h"

namespace qv {
namespace {

constexpr int kClientWidth = 867;
constexpr int kClientHeight = 569;

QPushButton* NewButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    return button;
}

QLabel* NewLabel(const char* caption, QWidget* parent) {
    return new QLabel(QString::fromUtf8(caption), parent);
}

// The apply and defaults buttons of a page, at its foot on the right.
QHBoxLayout* ButtonRow(QPushButton* apply, QPushButton* defaults) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(apply);
    if (defaults) row->addWidget(defaults);
    return row;
}

}  // namespace

TSetupForm::TSetupForm(QWidget* parent) : QDialog(parent) {
    setObjectName("SetupForm");
    setWindowTitle(QStringLiteral("設定(Setup)"));
    setStyleSheet(QStringLiteral("QDialog#SetupForm { background: #A6CAF0; }"));
    QFont font(QStringLiteral("新細明體"));
    font.setPointSize(this->font().pointSize());
    setFont(font);
    resize(kClientWidth, kClientHeight);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PageControl1);

    BuildBasicTab();
    BuildScreenMenuTab();
    BuildReportRuleTab();
    QWidget* content = nullptr;
    TabSheet5 = NewScrollPage("TabSheet5", content);
    ZtPage = new TZtSetupPage(content);
    (new QVBoxLayout(content))->addWidget(ZtPage);
    PageControl1->addTab(TabSheet5, QStringLiteral("ZT點歌機設定"));
    TabSheet9 = NewScrollPage("TabSheet9", content);
    VkmPage = new TVkmSetupPage(content);
    (new QVBoxLayout(content))->addWidget(VkmPage);
    PageControl1->addTab(TabSheet9, QStringLiteral("VKM點歌機設定"));
    TabSheet7 = NewScrollPage("TabSheet7", content);
    SingerPage = new TSingerTablePage(content);
    (new QVBoxLayout(content))->addWidget(SingerPage);
    PageControl1->addTab(TabSheet7, QStringLiteral("歌手資料庫"));
    BuildCloudTab();
    TabSheet2 = NewScrollPage("TabSheet2", content);
    PcJukeboxPage = new TPcJukeboxSetupPage(content);
    (new QVBoxLayout(content))->addWidget(PcJukeboxPage);
    PageControl1->addTab(TabSheet2, QStringLiteral("電腦點歌機設定"));
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), false);

    connect(ZtPage, &TZtSetupPage::Applied, this, &TSetupForm::FinishApply);
    connect(VkmPage, &TVkmSetupPage::Applied, this, &TSetupForm::FinishApply);
    connect(PcJukeboxPage, &TPcJukeboxSetupPage::Applied, this, &TSetupForm::FinishApply);
    FormCreate();
}

void TSetupForm::FormCreate() {
    if (!setup::ZtTabEnabled) {
        PageControl1->removeTab(PageControl1->indexOf(TabSheet5));
        delete TabSheet5;
        ZtPage = nullptr;
        TabSheet5 = nullptr;
    }
    if (setup::SetupScreenDpi > 96) resize(width() + 15, height());
    PageControl1->setCurrentIndex(0);
    LoadBasicSettings();
    LoadScreenMenu();
    LoadReportRule();
    LoadObrelSettings();
    PcJukeboxPage->LoadPcJukeboxSettings();
    if (ZtPage) ZtPage->LoadZtSettings();
    VkmPage->LoadVkmSettings();
    SingerPage->LoadSingerGrid();
    setup::KeepOpenAfterApply = false;
}

void TSetupForm::FinishApply() {
    if (setup::EndApply()) accept();
}

// Basic tab.

void TSetupForm::BuildBasicTab() {
    QWidget* page = nullptr;
    TabSheet1 = NewScrollPage("TabSheet1", page);
    PageControl1->addTab(TabSheet1, QStringLiteral("基本設定(Basic Setup)"));

    LanguageRadioGroup = new TRadioGroup("LanguageRadioGroup", QStringLiteral("語言(language)"),
                                         {"繁體中文(Big5)", "英文(English)"}, page);
    PingYingRadioGroup = new TRadioGroup("PingYingRadioGroup", QStringLiteral("拼音法(Spell Word)"),
                                         {"注音(TW)", "QV拼音法(QV)", "漢語拼音(CN)"}, page);
    FileNameRadioGroup = new TRadioGroup("FileNameRadioGroup", QStringLiteral("檔名判斷格式"),
                                         setup::FileNameItemTexts(), page);
    for (int i = 0; i < 9; ++i) {
        const std::string name = "ComboBox" + std::to_string(6 + i);
        static const std::vector<const char*> none;
        const auto& items = i < 3    ? setup::FolderLevelItems()
                            : i == 3 ? setup::FolderFileItems()
                            : i < 8  ? setup::FileFieldItems()
                                     : none;
        SelfDefineComboBoxes[i] = NewSetupCombo(name.c_str(), items, page);
    }
    QComboBox* volume = SelfDefineComboBoxes[8];
    volume->addItem(QStringLiteral("空白(使用點歌機預設值)"));
    for (int v = 1; v < setup::VolumeItemCount(); ++v) volume->addItem(QString::number(v));
    volume->setCurrentIndex(-1);

    QHBoxLayout* folderRow = FileNameRadioGroup->Row(setup::CustomFolderItem);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) folderRow->addWidget(NewLabel("/", page));
        folderRow->addWidget(SelfDefineComboBoxes[i]);
    }
    folderRow->addStretch();
    QHBoxLayout* fileRow = FileNameRadioGroup->Row(setup::CustomFileItem);
    for (int i = 4; i < 8; ++i) {
        if (i > 4) fileRow->addWidget(NewLabel("_", page));
        fileRow->addWidget(SelfDefineComboBoxes[i]);
    }
    fileRow->addWidget(NewLabel(".xxx", page));
    fileRow->addStretch();

    auto* volumeGroup = new QGroupBox(QStringLiteral("歌曲預設音量"), page);
    (new QVBoxLayout(volumeGroup))->addWidget(volume);
    GroupBox1 = new QGroupBox(QStringLiteral("匯入歌曲規則"), page);
    GroupBox1->setObjectName("GroupBox1");
    CheckBox6 = NewSetupCheck("CheckBox6", "歌名相同但不同歌手演唱時視為相同歌曲", GroupBox1);
    (new QVBoxLayout(GroupBox1))->addWidget(CheckBox6);
    GroupBox2 = new QGroupBox(QStringLiteral("批量加歌規則"), page);
    GroupBox2->setObjectName("GroupBox2");
    CheckBox10 = NewSetupCheck("CheckBox10", "批量加歌時排除警示歌曲(不加入)", GroupBox2);
    (new QVBoxLayout(GroupBox2))->addWidget(CheckBox10);

    OKButton1 = NewButton("OKButton1", "套用", page);
    DefaultButton1 = NewButton("DefaultButton1", "回復預設值", page);
    connect(OKButton1, &QPushButton::clicked, this, &TSetupForm::OKButton1Click);
    connect(DefaultButton1, &QPushButton::clicked, this, &TSetupForm::DefaultButton1Click);

    auto* grid = new QGridLayout(page);
    grid->addWidget(LanguageRadioGroup, 0, 0);
    grid->addWidget(PingYingRadioGroup, 0, 1);
    grid->addWidget(volumeGroup, 0, 2);
    grid->addWidget(FileNameRadioGroup, 1, 0, 1, 3);
    grid->addWidget(GroupBox1, 2, 0, 1, 3);
    grid->addWidget(GroupBox2, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    grid->addLayout(ButtonRow(OKButton1, DefaultButton1), 5, 0, 1, 3);
}

void TSetupForm::LoadBasicSettings() { ShowBasicPage(setup::LoadBasicSettings()); }

void TSetupForm::ShowBasicPage(const setup::BasicPage& page) {
    LanguageRadioGroup->SetItemIndex(page.language);
    PingYingRadioGroup->SetItemIndex(page.pingYing);
    FileNameRadioGroup->SetItemIndex(page.fileNameItem);
    for (int i = 0; i < 8; ++i) SelfDefineComboBoxes[i]->setCurrentIndex(page.selfDefine[i]);
    SelfDefineComboBoxes[8]->setCurrentIndex(page.defaultSongVolumn);
    CheckBox6->setChecked(page.sameSongNameBeSameSong);
    CheckBox10->setChecked(page.excludeWarningSongs);
}

void TSetupForm::OKButton1Click() {
    setup::BasicPage page;
    page.language = LanguageRadioGroup->ItemIndex();
    page.pingYing = PingYingRadioGroup->ItemIndex();
    page.fileNameItem = FileNameRadioGroup->ItemIndex();
    for (int i = 0; i < 8; ++i) page.selfDefine[i] = SelfDefineComboBoxes[i]->currentIndex();
    page.defaultSongVolumn = SelfDefineComboBoxes[8]->currentIndex();
    page.sameSongNameBeSameSong = CheckBox6->isChecked();
    page.excludeWarningSongs = CheckBox10->isChecked();
    if (setup::ApplyBasicSettings(page))
        FinishApply();
    else
        setup::KeepOpenAfterApply = false;
}

void TSetupForm::DefaultButton1Click() {
    ShowBasicPage(setup::DefaultBasicSettings());
    setup::KeepOpenAfterApply = true;
    OKButton1->click();
}

// Screen-menu editor tab.

void TSetupForm::BuildScreenMenuTab() {
    QWidget* page = nullptr;
    TabSheet6 = NewScrollPage("TabSheet6", page);
    PageControl1->addTab(TabSheet6, QStringLiteral("QV03系列螢幕選單編輯"));
    static const char* const kMenuTitles[6] = {"主要選單", "歌星點歌",     "語言點歌",
                                               "收藏歌曲", "歌手姓氏筆劃", "歌曲字數"};
    auto* grid = new QGridLayout(page);
    std::array<QGridLayout*, 6> menus{};
    for (int m = 0; m < 6; ++m) {
        auto* group = new QGroupBox(QString::fromUtf8(kMenuTitles[m]), page);
        menus[m] = new QGridLayout(group);
        grid->addWidget(group, m / 3, m % 3);
    }
    const auto& fields = setup::ScreenMenuFields();
    for (int i = 0; i < setup::ScreenMenuFieldCount; ++i) {
        const setup::ScreenMenuField& f = fields[i];
        const int menu = i < 6 ? 0 : 1 + (i - 6) / 6;
        const int line = i < 6 ? i : (i - 6) % 6;
        auto* edit = new QLineEdit(page);
        edit->setObjectName(f.name);
        edit->setValidator(new Big5WidthValidator(f.width, QString::fromUtf8(f.fixedStart), edit));
        edit->setFixedWidth(f.width * 9 + 16);
        auto* label = NewLabel(f.caption, page);
        label->setObjectName(QStringLiteral("Label3_") + QString::fromLatin1(f.name + 6));
        menus[menu]->addWidget(edit, line, 0);
        menus[menu]->addWidget(label, line, 1);
        MenuEdits[i] = edit;
        MenuLabels[i] = label;
    }
    OKButton6 = NewButton("OKButton6", "套用", page);
    DefaultButton6 = NewButton("DefaultButton6", "回復預設值", page);
    connect(OKButton6, &QPushButton::clicked, this, &TSetupForm::OKButton6Click);
    connect(DefaultButton6, &QPushButton::clicked, this, &TSetupForm::DefaultButton6Click);
    grid->setRowStretch(2, 1);
    grid->addLayout(ButtonRow(OKButton6, DefaultButton6), 3, 0, 1, 3);
}

void TSetupForm::ShowScreenMenu(const setup::ScreenMenuTexts& texts) {
    for (int i = 0; i < setup::ScreenMenuFieldCount; ++i) MenuEdits[i]->setText(FromBig5(texts[i]));
}

void TSetupForm::LoadScreenMenu() { ShowScreenMenu(setup::LoadScreenMenu()); }

void TSetupForm::OKButton6Click() {
    setup::ScreenMenuTexts texts;
    for (int i = 0; i < setup::ScreenMenuFieldCount; ++i) {
        if (!TypedBig5(MenuEdits[i]->text(), texts[i])) {
            PageControl1->setCurrentWidget(TabSheet6);
            MenuEdits[i]->setFocus();
            setup::KeepOpenAfterApply = false;
            return;
        }
    }
    if (setup::ApplyScreenMenu(texts))
        FinishApply();
    else
        setup::KeepOpenAfterApply = false;
}

void TSetupForm::DefaultButton6Click() {
    for (int i = 0; i < setup::ScreenMenuFieldCount; ++i) MenuEdits[i]->setText(MenuLabels[i]->text());
    setup::KeepOpenAfterApply = true;
    OKButton6->click();
}

// Song-book rules tab.

void TSetupForm::BuildReportRuleTab() {
    QWidget* page = nullptr;
    TabSheet4 = NewScrollPage("TabSheet4", page);
    PageControl1->addTab(TabSheet4, QStringLiteral("輸出歌簿規則(Report Rule)"));
    static const char* const kChecks[6][2] = {
        {"CheckBox1", "主要語言歌簿連續"}, {"CheckBox2", "其他類歌簿連續"},
        {"CheckBox3", "連同拼音輸出"},     {"CheckBox4", "歌手連續"},
        {"CheckBox5", "歌手依語言分類"},   {"CheckBox7", "輸出時不包含特刪歌曲"}};
    for (int i = 0; i < 6; ++i) ReportCheckBoxes[i] = NewSetupCheck(kChecks[i][0], kChecks[i][1], page);
    RadioGroup1 = new TRadioGroup("RadioGroup1", QStringLiteral("歌手名稱框底"), {"全黑", "黑框"}, page);
    RadioGroup2 = new TRadioGroup("RadioGroup2", QStringLiteral("每頁行數"),
                                  {"一頁四行(字比較小)", "一頁三行(字比較大)"}, page);
    static const char* const kCombos[5] = {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox15"};
    for (int i = 0; i < 5; ++i)
        ReportComboBoxes[i] = NewSetupCombo(
            kCombos[i], i < 4 ? setup::FontSizeItems() : setup::SongsPerPageItems(), page, true);
    static const char* const kPanels[6][2] = {{"MalePanel", "男歌手"},     {"FemalePanel", "女歌手"},
                                              {"GroupPanel", "團體歌手"},  {"ForeignPanel", "外語歌手"},
                                              {"DoublePanel", "雙人對唱"}, {"OtherPanel", "其他"}};
    for (int i = 0; i < 6; ++i) ColourPanels[i] = new TColorPanel(kPanels[i][0], page);

    auto fontRow = [&](QComboBox* lead, QComboBox* normal) {
        auto* row = new QHBoxLayout;
        row->addWidget(NewLabel("字首", page));
        row->addWidget(lead);
        row->addWidget(NewLabel("號字型, 一般", page));
        row->addWidget(normal);
        row->addWidget(NewLabel("號字型", page));
        row->addStretch();
        return row;
    };
    auto* general = new QGroupBox(QStringLiteral("一般歌簿規則:"), page);
    auto* g = new QVBoxLayout(general);
    for (int i = 0; i < 3; ++i) g->addWidget(ReportCheckBoxes[i]);
    g->addLayout(fontRow(ReportComboBoxes[0], ReportComboBoxes[1]));
    auto* perPage = new QHBoxLayout;
    perPage->addWidget(NewLabel("每頁", page));
    perPage->addWidget(ReportComboBoxes[4]);
    perPage->addWidget(NewLabel("首歌", page));
    perPage->addStretch();
    g->addLayout(perPage);

    auto* singer = new QGroupBox(QStringLiteral("歌手歌簿規則:"), page);
    auto* s = new QVBoxLayout(singer);
    s->addWidget(ReportCheckBoxes[3]);
    s->addWidget(ReportCheckBoxes[4]);
    auto* radios = new QHBoxLayout;
    radios->addWidget(RadioGroup1);
    radios->addWidget(RadioGroup2);
    s->addLayout(radios);
    s->addLayout(fontRow(ReportComboBoxes[2], ReportComboBoxes[3]));

    auto* all = new QGroupBox(QStringLiteral("所有歌簿規則:"), page);
    auto* a = new QVBoxLayout(all);
    a->addWidget(ReportCheckBoxes[5]);
    auto* colours = new QHBoxLayout;
    colours->addWidget(NewLabel("歌手顏色:", page));
    for (int i = 0; i < 6; ++i) {
        colours->addWidget(NewLabel(kPanels[i][1], page));
        colours->addWidget(ColourPanels[i]);
    }
    colours->addStretch();
    a->addLayout(colours);

    OKButton4 = NewButton("OKButton4", "套用", page);
    DefaultButton4 = NewButton("DefaultButton4", "回復預設值", page);
    connect(OKButton4, &QPushButton::clicked, this, &TSetupForm::OKButton4Click);
    connect(DefaultButton4, &QPushButton::clicked, this, &TSetupForm::DefaultButton4Click);
    auto* grid = new QGridLayout(page);
    grid->addWidget(general, 0, 0);
    grid->addWidget(singer, 0, 1);
    grid->addWidget(all, 1, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->addLayout(ButtonRow(OKButton4, DefaultButton4), 3, 0, 1, 2);
}

namespace {

void ShowReportRule(const setup::ReportRulePage& page, const std::array<QCheckBox*, 6>& checks,
                    TRadioGroup* group1, TRadioGroup* group2, const std::array<QComboBox*, 5>& combos,
                    const std::array<TColorPanel*, 6>& panels) {
    const bool flags[6] = {page.mainLanguageContinue,       page.otherReportContinue,
                           page.outputWithPingYing,         page.singerReportContinue,
                           page.singerClassifiedByLanguage, page.excludeSpecialDeleteSongs};
    for (int i = 0; i < 6; ++i) checks[i]->setChecked(flags[i]);
    group1->SetItemIndex(page.singerNameBackground);
    group2->SetItemIndex(page.singerOutputRowStyle);
    const std::string* texts[5] = {&page.songLeadFontSize, &page.songNormalFontSize, &page.singerLeadFontSize,
                                   &page.singerNormalFontSize, &page.songsPerPage};
    for (int i = 0; i < 5; ++i) SetComboText(combos[i], *texts[i]);
    for (int i = 0; i < 6; ++i) panels[i]->SetColour(page.colours[i]);
}

}  // namespace

void TSetupForm::LoadReportRule() {
    ShowReportRule(setup::LoadReportRule(), ReportCheckBoxes, RadioGroup1, RadioGroup2, ReportComboBoxes,
                   ColourPanels);
}

void TSetupForm::OKButton4Click() {
    setup::ReportRulePage page;
    bool* flags[6] = {&page.mainLanguageContinue,       &page.otherReportContinue,
                      &page.outputWithPingYing,         &page.singerReportContinue,
                      &page.singerClassifiedByLanguage, &page.excludeSpecialDeleteSongs};
    for (int i = 0; i < 6; ++i) *flags[i] = ReportCheckBoxes[i]->isChecked();
    page.singerNameBackground = RadioGroup1->ItemIndex();
    page.singerOutputRowStyle = RadioGroup2->ItemIndex();
    std::string* texts[5] = {&page.songLeadFontSize, &page.songNormalFontSize, &page.singerLeadFontSize,
                             &page.singerNormalFontSize, &page.songsPerPage};
    for (int i = 0; i < 5; ++i) {
        if (!TypedBig5(ReportComboBoxes[i]->currentText(), *texts[i])) {
            setup::KeepOpenAfterApply = false;
            return;
        }
    }
    for (int i = 0; i < 6; ++i) page.colours[i] = ColourPanels[i]->Colour();
    if (!setup::ApplyReportRule(page)) {
        setup::KeepOpenAfterApply = false;
        return;
    }
    ShowReportRule(page, ReportCheckBoxes, RadioGroup1, RadioGroup2, ReportComboBoxes, ColourPanels);
    FinishApply();
}

void TSetupForm::DefaultButton4Click() {
    ShowReportRule(setup::DefaultReportRule(), ReportCheckBoxes, RadioGroup1, RadioGroup2, ReportComboBoxes,
                   ColourPanels);
    setup::KeepOpenAfterApply = true;
    OKButton4->click();
}

// Cloud tab.

void TSetupForm::BuildCloudTab() {
    QWidget* page = nullptr;
    TabSheet8 = NewScrollPage("TabSheet8", page);
    PageControl1->addTab(TabSheet8, QStringLiteral("雲端歌簿"));
    auto* group = new QGroupBox(QStringLiteral("雲端歌簿設定"), page);
    CheckBox14 = NewSetupCheck("CheckBox14", "啟用雲端歌簿", group);
    PasswordEdit = new QLineEdit(group);
    PasswordEdit->setObjectName("PasswordEdit");
    // Ten characters at most; Backspace and the other editing keys always work.
    PasswordEdit->setMaxLength(setup::PasswordMaxLength);
    OkButton7 = NewButton("OkButton7", "套用", group);
    connect(OkButton7, &QPushButton::clicked, this, &TSetupForm::OkButton7Click);
    auto* g = new QGridLayout(group);
    g->addWidget(CheckBox14, 0, 0, 1, 2);
    g->addWidget(NewLabel("自訂密碼", group), 1, 0);
    g->addWidget(PasswordEdit, 1, 1);
    g->addWidget(OkButton7, 2, 1, Qt::AlignRight);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
}

void TSetupForm::LoadObrelSettings() {
    const setup::ObrelPage page = setup::LoadObrelSettings();
    CheckBox14->setChecked(page.enabled);
    PasswordEdit->setText(FromBig5(page.password));
}

void TSetupForm::OkButton7Click() {
    setup::ObrelPage page;
    page.enabled = CheckBox14->isChecked();
    if (TypedBig5(PasswordEdit->text(), page.password) && setup::ApplyObrelSettings(page))
        FinishApply();
    else
        setup::KeepOpenAfterApply = false;
}

void RunSetupForm(QWidget* parent, int screenDpi) {
    setup::AppPath = AppDir;
    setup::SetupScreenDpi = screenDpi;
    setup::ZtTabEnabled = ZtModelEnabled;
    TSetupForm form(parent);
    if (!ServerEdition && !AdvancedEdition) form.GroupBox1->hide();
    form.exec();
}

}  // namespace qv
