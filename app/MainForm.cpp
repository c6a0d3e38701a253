#include "app/MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QProgressDialog>  // the copy progress window is owned here
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStringListModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AboutForm.h"
#include "app/AddSongPanel.h"
#include "app/AskOutputIdxForm.h"
#include "app/BrowserForms.h"
#include "app/CopyProgressDialog.h"
#include "app/FormSupport.h"
#include "app/MainMenu.h"
#include "app/MediaPreviewPanel.h"
#include "app/NameAskForms.h"
#include "app/ObrelForm.h"
#include "app/PingYingPicForm.h"
#include "app/QtDiskToolsHost.h"
#include "app/QtUserInterface.h"
#include "app/SetupForm.h"
#include "app/SongGridEditors.h"
#include "app/SongGridModel.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "library/AddSong.h"
#include "library/DiskTools.h"
#include "library/MediaPreview.h"
#include "library/ServerMessage.h"
#include "library/SongFiles.h"
#include "library/SongListView.h"
#include "outputs/CloudSongBook.h"
#include "outputs/OutputSteps.h"
#include "outputs/SingerBook.h"
#include "outputs/SongBook.h"
#include "outputs/Qvi05Database.h"
#include "outputs/SongListExchange.h"
#include "outputs/VkmIndex.h"
#include "outputs/ZtControlFiles.h"
#include "outputs/ZtIndex.h"
#include "settings/Settings.h"

namespace qv {
namespace {

constexpr int MaxPlayButtons = 100;
constexpr int GridRowHeight = 22;
constexpr int PlayButtonHeight = 20;
const char* const PlayButtonStyle = "padding: 0px;";

// The menu bar and its menus in the program's light blue; the chosen item in pure blue.
const char* const MenuStyle =
    "QMenuBar { background: #A6CAF0; }"
    "QMenuBar::item { background: #A6CAF0; color: palette(window-text); padding: 2px 8px; }"
    "QMenuBar::item:selected { background: #0000FF; color: palette(highlighted-text); }"
    "QMenu { background: #A6CAF0; color: palette(window-text); }"
    "QMenu::item:selected { background: #0000FF; color: palette(highlighted-text); }"
    "QMenu::item:disabled { color: gray; }";

QComboBox* NewComboBox(const char* name, std::initializer_list<const char*> items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const char* item : items) box->addItem(QString::fromUtf8(item));
    return box;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent, Edition edition, const std::vector<std::string>& playerArgs)
    : QMainWindow(parent), edition_(edition), ui_(std::make_unique<QtUserInterface>(this)) {
    setObjectName("MainForm");
    SetUserInterface(ui_.get());
    SetAbandonedRunHandler([this] { EndNow(); });
    SetSongView(this);
    SetEdition(edition_);
    resize(1024, 700);
    BuildControls(playerArgs);
    BuildAddPanel();
    BuildMenu();
    InstallHooks();
    InstallOutputSteps();
    FormCreate();
    FitIntoScreen();
}

TMainForm::~TMainForm() {
    if (&TheDiskToolsHost() == diskTools_.get()) SetDiskToolsHost(nullptr);
    if (&CopyProgress() == copyProgress_.get()) SetCopyProgressWindow(nullptr);
    TheAddSongHooks() = {};
    TheSongFileHooks() = {};
    if (&UI() == ui_.get()) SetUserInterface(nullptr);
    SetAbandonedRunHandler(nullptr);
    if (&TheSongView() == this) SetSongView(nullptr);
}

void TMainForm::FormCreate() {
    // The first paint's work (polish, layout, every shown text's glyphs) is done in the pause that ends
    // start-up anyway, so that the window paints at once when it shows.
    ui_->DuringNextPause([this] {
        if (!ProgramUsable || StartingUp || EndRequested()) return;
        ensurePolished();
        (void)grab();
    });
    try {
        AbandonableRun run;
        RunStartup(*this);
    } catch (const RunAbandoned&) {
        // Asked to end during start-up: the window is never shown (see EndNow).
        skipClosingOffers_ = true;
        ui_->CloseForEnd();
    }
    ui_->DuringNextPause(nullptr);
}

void TMainForm::BuildControls(const std::vector<std::string>& playerArgs) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* filters = new QHBoxLayout;
    ShowOnlyComboBox =
        NewComboBox("ShowOnlyComboBox",
                    {"顯示所有類別", "只顯示國語歌", "只顯示台語歌", "只顯示粵語歌", "只顯示英語歌",
                     "只顯示日語歌", "只顯示客語歌", "只顯示越語歌", "只顯示兒歌", "只顯示其他歌"},
                    central);
    FavorComboBox = NewComboBox("FavorComboBox",
                                {"顯示所有收藏", "只顯示流行歌曲", "只顯示我的最愛", "只顯示懷舊歌曲",
                                 "只顯示經典歌曲", "只顯示校園民歌", "只顯示HD高畫質"},
                                central);
    filters->addWidget(ShowOnlyComboBox);
    filters->addWidget(FavorComboBox);
    auto addCheck = [&](QCheckBox*& box, const char* boxName, QLabel*& label, const char* labelName,
                        const char* caption) {
        box = new QCheckBox(central);
        box->setObjectName(boxName);
        label = new QLabel(QString::fromUtf8(caption), central);
        label->setObjectName(labelName);
        label->installEventFilter(this);
        filters->addWidget(box);
        filters->addWidget(label);
        connect(box, &QCheckBox::toggled, this, &TMainForm::FilterControlChange);
    };
    addCheck(SelectOnlyCheckBox, "SelectOnlyCheckBox", Label10, "Label10", "只顯示自播歌曲");
    addCheck(SpecialDelCheckBox, "SpecialDelCheckBox", Label11, "Label11", "只顯示特刪歌曲");
    addCheck(NewSongCheckBox, "NewSongCheckBox", Label12, "Label12", "只顯示新進歌曲");
    SearchEdit = new QLineEdit(central);
    SearchEdit->setObjectName("SearchEdit");
    SearchEdit->setMinimumWidth(160);  // room for a song name even beside the add panel
    SearchButton = new QPushButton(QStringLiteral("搜尋"), central);
    SearchButton->setObjectName("SearchButton");
    ClearSelectButton = new QPushButton(QStringLiteral("清除選擇"), central);
    ClearSelectButton->setObjectName("ClearSelectButton");
    AntiSelectButton = new QPushButton(QStringLiteral("反向選擇"), central);
    AntiSelectButton->setObjectName("AntiSelectButton");
    // Filters on one row, the search and the selection buttons on the next: one row would not fit a
    // 1024-pixel screen beside the add panel.
    filters->addStretch(1);
    layout->addLayout(filters);
    auto* search = new QHBoxLayout;
    search->addWidget(SearchEdit, 1);
    search->addWidget(SearchButton);
    search->addWidget(ClearSelectButton);
    search->addWidget(AntiSelectButton);
    layout->addLayout(search);
    connect(ShowOnlyComboBox, &QComboBox::currentIndexChanged, this, &TMainForm::FilterControlChange);
    connect(FavorComboBox, &QComboBox::currentIndexChanged, this, &TMainForm::FilterControlChange);
    connect(SearchButton, &QPushButton::clicked, this, &TMainForm::SearchButtonClick);
    connect(ClearSelectButton, &QPushButton::clicked, this, &TMainForm::ClearSelectButtonClick);
    connect(AntiSelectButton, &QPushButton::clicked, this, &TMainForm::AntiSelectButtonClick);

    auto* formats = new QHBoxLayout;
    SongNameFormatLabel1 = new QLabel(central);
    SongNameFormatLabel1->setObjectName("SongNameFormatLabel1");
    SongNameFormatLabel2 = new QLabel(central);
    SongNameFormatLabel2->setObjectName("SongNameFormatLabel2");
    // A long custom name form is cut rather than widening the window past the screen.
    SongNameFormatLabel2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    SingerComboBox = new QComboBox(central);
    SingerComboBox->setObjectName("SingerComboBox");
    // Thousands of singers: measuring every item for the box's width would cost more than loading the songs.
    SingerComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    SingerComboBox->setMinimumContentsLength(16);
    // A plain list of texts: an item object per singer would take longer to make than the rest of the
    // window.
    SingerComboBox->setModel(new QStringListModel(SingerComboBox));
    formats->addWidget(SongNameFormatLabel1);
    formats->addWidget(SongNameFormatLabel2, 1);
    formats->addWidget(SingerComboBox);
    layout->addLayout(formats);

    StringGrid = new QTableView(central);
    StringGrid->setObjectName("StringGrid");
    model_ = new SongGridModel(StringGrid);
    StringGrid->setModel(model_);
    StringGrid->setItemDelegate(new SongGridCellDelegate(StringGrid));
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid->verticalHeader()->setDefaultSectionSize(GridRowHeight);
    StringGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setWordWrap(false);
    StringGrid->viewport()->installEventFilter(this);
    connect(StringGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TMainForm::HeaderClick);
    connect(StringGrid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { LayoutPlayButtons(); });
    Editors = new SongGridEditors(StringGrid);
    connect(Editors, &SongGridEditors::SongsChanged, this, [this] { StringGrid->viewport()->update(); });
    body_ = new QHBoxLayout;
    body_->addWidget(StringGrid, 1);
    layout->addLayout(body_, 1);
    playerArgs_ = playerArgs;
    setCentralWidget(central);

    LineMesgLabel = new QLabel(QStringLiteral("訊息:"), this);
    LineMesgLabel->setObjectName("LineMesgLabel");
    LineMesgLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long message is cut
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    statusBar()->addWidget(LineMesgLabel, 1);
    statusBar()->addPermanentWidget(ProgressBar);
    ui_->AttachLineLabel(LineMesgLabel);
    ui_->AttachProgressBar(ProgressBar);
}

void TMainForm::BuildAddPanel() {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    AddPanel = new AddSongPanel(side);
    AddPanel->setObjectName("AddSongPanel");
    layout->addWidget(AddPanel, 1);
    auto* buttons = new QHBoxLayout;
    auto addButton = [&](QPushButton*& button, const char* name, const char* caption,
                         void (TMainForm::*click)()) {
        button = new QPushButton(QString::fromUtf8(caption), side);
        button->setObjectName(name);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, click] { RunAbandonable([this, click] { (this->*click)(); }); });
    };
    addButton(DeleteButton, "DeleteButton", "刪除", &TMainForm::DeleteButtonClick);
    addButton(MultiDelButton, "MultiDelButton", "刪除所選", &TMainForm::MultiDelButtonClick);
    addButton(SpecialDelButton, "SpecialDelButton", "特刪", &TMainForm::SpecialDelButtonClick);
    addButton(ReplaceButton, "ReplaceButton", "取代", &TMainForm::ReplaceButtonClick);
    layout->addLayout(buttons);
    side_ = layout;
    AddPanelDock = new QDockWidget(this);
    AddPanelDock->setObjectName("AddPanelDock");
    AddPanelDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    AddPanelDock->setTitleBarWidget(new QWidget(AddPanelDock));
    AddPanelDock->setWidget(side);
    addDockWidget(Qt::LeftDockWidgetArea, AddPanelDock);
    CreateMediaPreview();
}

// What the subsystems need from the window.
void TMainForm::InstallHooks() {
    AddSongHooks& add = TheAddSongHooks();
    add.resetFilters = [this] { ResetSongFilters(); };
    add.refreshGridToEnd = [this] {
        RefreshSongGrid();
        StringGrid->scrollToBottom();
        LayoutPlayButtons();
    };
    add.askPictureFolder = [this](const std::string& folderName) {
        return AskAddPictureFolder(folderName, this);
    };
    copyProgress_ = std::make_unique<CopyProgressDialog>(this);
    SetCopyProgressWindow(copyProgress_.get());

    TheSongFileHooks().refreshGrid = [this] { RefreshSongGrid(); };
    TheSongFileHooks().askDeleteSong = [this](const std::string& songName) {
        return AskDeleteSong(songName, this);
    };

    diskTools_ = std::make_unique<QtDiskToolsHost>(this);
    diskTools_->resetSongFilters = [this] { ResetSongFilters(); };
    diskTools_->refreshSongList = [this] { RefreshSongGrid(); };
    diskTools_->stopPreview = [] { StopPreview(); };
    SetDiskToolsHost(diskTools_.get());
}

void TMainForm::BuildMenu() {
    std::map<std::string, std::function<void()>> handlers{
        {"N4", [this] { N4Click(); }},
        {"N11", [this] { N11Click(); }},
        {"N14", [this] { N14Click(); }},
        {"N20", [] { N20Click(); }},
        {"N21", [this] { N21Click(); }},
        {"N22", [this] { N22Click(this); }},
        {"N25", [this] { N25Click(); }},
        {"QV1", [this] { QV1Click(); }},
        {"N9", [] { ClearNewSongMarks(); }},
        {"N26", [] { RegenerateSongStrokes(); }},
        {"N28", [] { RedetectDuetSongs(); }},
        {"N29", [] { ResetAllSongVolumes(); }},
        {"N5001", [] { CreateEmptySongFolders(); }},
        {"N23", [] { ChooseLibraryDisk(); }},
        {"N24", [] { ReorganiseSongDisk(); }},
        {"N27", [] { BuildFolderFormLibrary(); }},
        {"N31", [] { RestoreFolderFormLibrary(); }},
        {"N33", [] { ExportSongRange(); }},
        {"ZT2", [] { ZT2Click(); }},
        {"N30", [] { N30Click(); }},
        {"N37", [] { SortSingerPhotos(); }},
        {"N6", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::All); }); }},
        {"N7", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::New); }); }},
        {"N16", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::Popular); }); }},
        {"N17", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::Favourite); }); }},
        {"N18", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::Nostalgic); }); }},
        {"N19", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::Classic); }); }},
        {"N15", [this] { SongBookCommand([] { return WriteSongBookCommand(SongBookKind::SelfPlay); }); }},
        {"N12", [this] { SongBookCommand([] { return WriteSingerBookCommand(false); }); }},
        {"N35", [this] { SongBookCommand([] { return WriteSingerBookCommand(true); }); }},
        {"N32", [this] { SongBookCommand(WriteRangeSongBookCommand); }},
        {"N34", [] { N34Click(); }},
        {"N36", [] { N36Click(); }},
        {"N38", [this] { N38Click(this); }},
        {"N2", [] { N2Click(); }},
        {"N3", [] { N3Click(); }},
        {"QV21", [] { QV21Click(); }},
        {"QV22", [] { QV22Click(); }},
        {"OK1", [] { OK1Click(); }},
        {"N900GX1", [] { N900GX1Click(); }},
        {"songlisttxtsong1txt1", [] { songlisttxtsong1txt1Click(); }},
        {"N13", [] { N13Click(); }},
        {"XVorelKTV1", [] { XVorelKTV1Click(); }},
        {"ZT1", [] { ZT1Click(); }},
    };
    for (auto& [name, handler] : handlers) handler = [run = std::move(handler)] { RunAbandonable(run); };
    BuildMainMenu(menuBar(), handlers);
    menuBar()->setStyleSheet(MenuStyle);
}

// A song book shows its selection while it runs; the user's own view comes back after it.
void TMainForm::SongBookCommand(const std::function<bool()>& command) {
    if (command()) RefreshSongGrid();
}

// Start-up steps of the window.

void TMainForm::UpdateNameFormatLabels() {
    const auto [first, second] = NameFormatLabelTexts();
    SongNameFormatLabel1->setText(FromBig5(first));
    // The label captions write a shown "&" as "&&", the way menu captions escape it; a plain label shows it
    // once.
    SongNameFormatLabel2->setText(FromBig5(second).replace(QStringLiteral("&&"), QStringLiteral("&")));
}

void TMainForm::ResetPlayButtons() {
    for (QPushButton* button : playButtons_) button->hide();
    visiblePlayButtons_ = 0;
}

void TMainForm::LayoutSongGrid() {
    ScreenDpi = screen() ? static_cast<int>(screen()->logicalDotsPerInchY()) : 96;
    if (ScreenDpi > 96) resize(width() + 15, height());
    LayoutForScreenDpi();
}

void TMainForm::LayoutForScreenDpi() {
    QPushButton probe;
    probe.setStyleSheet(PlayButtonStyle);
    probe.setFont(PlayButtonFont(ScreenDpi));
    probe.resize(probe.width(), PlayButtonHeight);
    playButtonWidth_ = PlayButtonWidth(probe, ScreenDpi);
    LayOutSongGrid(StringGrid, ScreenDpi, playButtonWidth_);
    for (QPushButton* button : playButtons_) {
        button->setFont(probe.font());
        button->setFixedSize(playButtonWidth_, PlayButtonHeight);
    }
    LayoutPlayButtons();
}

// The window asks for 1024 x 700 but never opens larger than the screen's free area, nor past its edges.
void TMainForm::FitIntoScreen() {
    const QScreen* shownOn = screen();
    if (!shownOn) return;
    // The add panel as narrow as it goes: the rest is the grid's.
    resizeDocks({AddPanelDock}, {AddPanelDock->minimumSizeHint().width()}, Qt::Horizontal);
    const QRect area = shownOn->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();  // known once a window manager framed it
    const QSize most = area.size() - frame;
    if (width() > most.width() || height() > most.height())
        resize(std::min(width(), most.width()), std::min(height(), most.height()));
    QRect outer = frameGeometry();
    if (!area.contains(outer)) {
        outer.moveLeft(
            std::clamp(outer.left(), area.left(), std::max(area.left(), area.right() - outer.width() + 1)));
        outer.moveTop(
            std::clamp(outer.top(), area.top(), std::max(area.top(), area.bottom() - outer.height() + 1)));
        move(outer.topLeft());
    }
}

void TMainForm::ResetFilterControls() {
    const QSignalBlocker showOnly(ShowOnlyComboBox), favor(FavorComboBox);
    ShowOnlyComboBox->setCurrentIndex(0);
    FavorComboBox->setCurrentIndex(0);
}

void TMainForm::ApplyEdition() {
    RemoveMenuItems(menuBar(), RemovedMenuItems(edition_, ZtModelEnabled));
    setWindowTitle(FromBig5(MainWindowTitle(edition_)));
}

void TMainForm::ShowServerMessage() {
    TMessageHtmlForm form(this);
    form.exec();
}

// quit() does nothing while no message loop runs, and start-up runs (and paints) before the loop starts:
// the request is repeated until the loop is there to take it (not at once: a message box of start-up
// would spin on it).
void TMainForm::EndAfterStartUp() {
    skipClosingOffers_ = true;
    auto* request = new QTimer(this);
    connect(request, &QTimer::timeout, qApp, &QCoreApplication::quit);
    request->start(50);
}

// The view.

void TMainForm::RefreshSongGrid() {
    SongFilterChoice choice;
    choice.newOnly = NewSongCheckBox->isChecked();
    choice.searchText = ToBig5(SearchEdit->text());
    choice.favorItem = std::max(0, FavorComboBox->currentIndex());
    choice.selfPlayOnly = SelectOnlyCheckBox->isChecked();
    choice.specialDeletedOnly = SpecialDelCheckBox->isChecked();
    choice.showOnlyItem = std::max(0, ShowOnlyComboBox->currentIndex());
    qv::RefreshSongGrid(choice);
}

void TMainForm::ResetSongFilters() {
    const QSignalBlocker special(SpecialDelCheckBox), fresh(NewSongCheckBox), showOnly(ShowOnlyComboBox),
        favor(FavorComboBox);
    SpecialDelCheckBox->setChecked(false);
    NewSongCheckBox->setChecked(false);
    ShowOnlyComboBox->setCurrentIndex(0);
    FavorComboBox->setCurrentIndex(0);
}

std::string TMainForm::SelectedSongNo() const {
    const QModelIndex current = StringGrid->currentIndex();
    if (!current.isValid() || !StringGrid->selectionModel()->isSelected(current)) return {};
    const int row = current.data(SongRowRole).toInt();
    return row >= 0 && row < AllSongCount ? AllSong[static_cast<size_t>(row)][colSongNo] : std::string();
}

void TMainForm::RefreshRows() {
    model_->Reload();
    StringGrid->scrollToTop();
    LayoutPlayButtons();
}

void TMainForm::RefreshPriorityCells() { model_->RepaintColumn(colSingerPriority); }

void TMainForm::SetSingerItems(const std::vector<std::string>& big5Items) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(big5Items.size()));
    for (const std::string& item : big5Items) items << FromBig5(item);
    static_cast<QStringListModel*>(SingerComboBox->model())->setStringList(items);
    SingerComboBox->setCurrentIndex(SingerComboBox->count() > 0 ? 0 : -1);
}

void TMainForm::LayoutPlayButtons() {
    const int rows = model_->rowCount();
    int shown = 0;
    if (rows > 0) {
        const int top = std::max(0, StringGrid->rowAt(0));
        const int fit = StringGrid->viewport()->height() / GridRowHeight;
        shown = std::clamp(std::min(fit, rows - top), 0, MaxPlayButtons);
        for (int i = 0; i < shown; ++i) {
            const int r = top + i;
            if (i >= static_cast<int>(playButtons_.size())) {
                auto* button = new QPushButton(StringGrid->viewport());
                button->setObjectName(QStringLiteral("p%1").arg(i + 1));
                button->setFont(PlayButtonFont(ScreenDpi));
                button->setStyleSheet(PlayButtonStyle);
                button->setFixedSize(playButtonWidth_, PlayButtonHeight);
                if (MediaPreview)
                    connect(button, &QPushButton::clicked, MediaPreview, &MediaPreviewPanel::PlayButtonClick);
                playButtons_.push_back(button);
            }
            QPushButton* button = playButtons_[i];
            const QRect cell = StringGrid->visualRect(model_->index(r, colSongNo));
            button->move(cell.left(), cell.top() + (cell.height() - button->height()) / 2);
            button->setText(model_->index(r, colSongNo).data().toString());
            button->setToolTip(
                QStringLiteral("播放歌曲[%1]").arg(model_->index(r, colSongName).data().toString()));
            button->show();
        }
    }
    for (size_t i = shown; i < playButtons_.size(); ++i) playButtons_[i]->hide();
    visiblePlayButtons_ = shown;
}

std::vector<QPushButton*> TMainForm::VisiblePlayButtons() const {
    return {playButtons_.begin(), playButtons_.begin() + visiblePlayButtons_};
}

// Handlers.

void TMainForm::N4Click() { close(); }

void TMainForm::N11Click() {
    TAboutForm about(this);
    about.exec();
}

void TMainForm::N14Click() {
    if (qv::N14Click()) EndAfterStartUp();
}

void TMainForm::N21Click() {
    qv::N21Click(setup::PingYing, [this] { RefreshSongGrid(); });
}

void TMainForm::N25Click() {
    RunSetupForm(this, ScreenDpi);
    UpdateNameFormatLabels();
}

void TMainForm::QV1Click() { qv::QV1Click(this, ScreenDpi); }

void TMainForm::DeleteButtonClick() { DeleteSong(SelectedSongNo()); }

void TMainForm::MultiDelButtonClick() { DeleteMarkedSongs(); }

void TMainForm::SpecialDelButtonClick() {
    SpecialDeleteSong(SelectedSongNo());
    StringGrid->viewport()->update();
}

void TMainForm::ReplaceButtonClick() {
    std::vector<std::string> sources;
    for (const QString& path : AddPanel->SelectedFiles()) sources.push_back(path.toStdString());
    ReplaceSongFile(sources, SelectedSongNo());
    StringGrid->viewport()->update();
}

void TMainForm::SearchButtonClick() { RefreshSongGrid(); }

void TMainForm::FilterControlChange() {
    SearchEdit->clear();
    RefreshSongGrid();
}

void TMainForm::ClearSelectButtonClick() {
    ClearSelectMarks();
    SearchEdit->clear();
    RefreshSongGrid();
}

void TMainForm::AntiSelectButtonClick() {
    InvertSelectMarks();
    SearchEdit->clear();
    RefreshSongGrid();
}

void TMainForm::HeaderClick(int column) {
    if (ShownRows.empty()) return;
    if (column == colSongName)
        HeaderSort(SortButton::Name);
    else if (column == colSinger)
        HeaderSort(SortButton::Singer);
    else if (column == colLanguage)
        HeaderSort(SortButton::Class);
    else
        return;
    RefreshRows();
}

// Window events.

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        // Each label toggles its own check box.
        QCheckBox* box = watched == Label10   ? SelectOnlyCheckBox
                         : watched == Label11 ? SpecialDelCheckBox
                         : watched == Label12 ? NewSongCheckBox
                                              : nullptr;
        if (box) {
            box->setFocus();
            box->setChecked(!box->isChecked());
            return true;
        }
    }
    if (watched == StringGrid->viewport() && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] { LayoutPlayButtons(); });
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FormActivate() {
    if (ui_->WaitShown()) ui_->BringWaitToFront();
    if (!ProgramUsable) close();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

// Only the panel: the player's engine starts on the first preview.
void TMainForm::CreateMediaPreview() {
    if (MediaPreview) return;
    // Under the add panel: beside the grid it would push the window past a 1024-pixel screen.
    MediaPreview = new MediaPreviewPanel(AddPanelDock->widget(), playerArgs_);
    MediaPreview->setObjectName("MediaPreview");
    side_->addWidget(MediaPreview);
    for (QPushButton* button : playButtons_)
        connect(button, &QPushButton::clicked, MediaPreview, &MediaPreviewPanel::PlayButtonClick);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) QTimer::singleShot(0, this, &TMainForm::FitIntoScreen);
    // Without a window manager the window may never be activated: a failed start closes all the same.
    if (!ProgramUsable) QTimer::singleShot(0, this, &QWidget::close);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutPlayButtons();
}

void TMainForm::CloseWithoutOffers() {
    skipClosingOffers_ = true;
    close();
}

void TMainForm::EndNow() {
    RequestEnd();
    ui_->CloseForEnd();
    CloseWithoutOffers();
    // Every event loop returns, the boxes' own ones included; quit() would be refused by a running dialog.
    QCoreApplication::exit(0);
}

bool TMainForm::AskIndexOutput() {
    TAskOutputIdxForm form(this);
    form.SettingDir = QString::fromStdString(AppDir);
    const bool accepted = form.exec() == QDialog::Accepted;
    // The window is closing: it goes now, not after the index files the user chose (their wait window
    // stays up on its own).
    hide();
    return accepted;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The program ends for the updater, or for a signal, without the closing offers.
    try {
        AbandonableRun run;
        if (!skipClosingOffers_) RunShutdown(*this);
    } catch (const RunAbandoned&) {
        skipClosingOffers_ = true;
        ui_->CloseForEnd();
        QCoreApplication::exit(0);
    }
    event->accept();
}

}  // namespace qv
