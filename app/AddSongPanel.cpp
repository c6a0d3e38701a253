#include "app/AddSongPanel.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "app/QtUserInterface.h"
#include "app/SongsResultForm.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/CharTw.h"

namespace qv {
namespace {

// The lists show names and a folder picture only. The default type text of each entry looks its MIME type
// up and reads that type's description from the MIME database, on the GUI thread, for every file of a
// folder listed: the type column is never shown, so a plain text does. The default icon of each entry is
// looked up in the icon theme by its type, which costs more than listing the folder: every folder gets
// one picture drawn here (even the theme's folder picture takes a search through the theme), files none.
class NameAndIconProvider final : public QAbstractFileIconProvider {
public:
    // On the GUI thread, before any model asks (the models also ask from their listing threads).
    void Prepare() {
        if (folder_) return;
        QPixmap picture(16, 16);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setPen(QColor(0x9C, 0x7A, 0x1C));
        painter.setBrush(QColor(0xF0, 0xC8, 0x50));
        painter.drawRect(1, 2, 5, 2);   // the tab
        painter.drawRect(1, 4, 13, 10);
        painter.end();
        folder_ = new QIcon(picture);  // never freed: the provider outlives the application
    }
    QIcon icon(IconType type) const override { return type == Folder || type == Drive ? Folder_() : QIcon(); }
    QIcon icon(const QFileInfo& info) const override { return info.isDir() ? Folder_() : QIcon(); }
    QString type(const QFileInfo& info) const override {
        if (info.isDir()) return QStringLiteral("Folder");
        return info.suffix().isEmpty() ? QStringLiteral("File") : info.suffix() + QStringLiteral(" File");
    }

private:
    QIcon Folder_() const { return folder_ ? *folder_ : QIcon(); }
    const QIcon* folder_ = nullptr;
};

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(FromBig5(B5(text)), parent); }

// A group of radio buttons whose checked button is its index; none may be checked.
QButtonGroup* RadioGroup(const auto& names, int columns, QWidget* parent, QGridLayout* grid) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        auto* button = new QRadioButton(FromBig5(names[static_cast<size_t>(i)]), parent);
        group->addButton(button, i);
        grid->addWidget(button, i / columns, i % columns);
    }
    return group;
}

void CheckIndex(QButtonGroup* group, int n) {
    if (QAbstractButton* button = group->button(n)) {
        button->setChecked(true);
        return;
    }
    // None checked: an exclusive group cannot uncheck its last button.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

}  // namespace

AddSongPanel::AddSongPanel(QWidget* parent) : QWidget(parent) {
    static NameAndIconProvider icons;  // shared by every panel, so it outlives their models
    icons.Prepare();
    folders_ = new QFileSystemModel(this);
    folders_->setIconProvider(&icons);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath("/");
    folderTree = new QTreeView(this);
    folderTree->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c) folderTree->hideColumn(c);
    folderTree->setHeaderHidden(true);

    files_ = new QFileSystemModel(this);
    files_->setIconProvider(&icons);
    files_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    fileList = new QListView(this);
    fileList->setModel(files_);
    fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);

    songNameEdit = new QLineEdit(this);
    singerEdit = new QLineEdit(this);
    singerCombo = new QComboBox(this);  // not editable: it only offers choices
    lineMaskEdit = new QLineEdit(this);
    wordCombo = new QComboBox(this);
    for (const char* item : {"一字部", "二字部", "三字部", "四字部", "五字部", "六字部", "七字部", "八字部",
                             "九字部", "十字部", "十字部以上"})
        wordCombo->addItem(FromBig5(B5(item)));
    pingYingEdit = new QLineEdit(this);
    fuzzyCheck = new QCheckBox(FromBig5(B5("歌名模糊比對")), this);
    addButton = new QPushButton(FromBig5(B5("新增")), this);
    multiAddButton = new QPushButton(FromBig5(B5("批量")), this);

    auto* fields = new QGridLayout;
    fields->addWidget(Caption("歌名", this), 0, 0);
    fields->addWidget(songNameEdit, 0, 1, 1, 3);
    fields->addWidget(Caption("歌手", this), 1, 0);
    fields->addWidget(singerEdit, 1, 1, 1, 3);
    fields->addWidget(singerCombo, 2, 1, 1, 3);
    fields->addWidget(Caption("筆劃", this), 3, 0);
    fields->addWidget(lineMaskEdit, 3, 1);
    fields->addWidget(Caption("字部", this), 3, 2);
    fields->addWidget(wordCombo, 3, 3);
    fields->addWidget(Caption("拼音", this), 4, 0);
    fields->addWidget(pingYingEdit, 4, 1, 1, 3);
    auto* sexGrid = new QGridLayout;
    sexGroup = RadioGroup(SingerClassNames(), 4, this, sexGrid);
    auto* classGrid = new QGridLayout;
    classGroup = RadioGroup(LanguageNames(), 5, this, classGrid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fuzzyCheck);
    buttons->addStretch();
    buttons->addWidget(addButton);
    buttons->addWidget(multiAddButton);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(Caption("選取歌曲來源目錄", this));
    left->addWidget(folderTree);
    auto* right = new QVBoxLayout;
    right->addWidget(Caption("來源歌曲列表", this));
    right->addWidget(fileList);
    lists->addLayout(left);
    lists->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(fields);
    layout->addLayout(sexGrid);
    layout->addLayout(classGrid);
    layout->addLayout(buttons);

    connect(folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { SetFolder(folders_->filePath(index)); });
    connect(fileList, &QListView::clicked, this, &AddSongPanel::FileClicked);
    connect(songNameEdit, &QLineEdit::textChanged, this, &AddSongPanel::SongNameChanged);
    connect(singerEdit, &QLineEdit::textChanged, this, &AddSongPanel::SingerChanged);
    connect(singerCombo, &QComboBox::activated, this, &AddSongPanel::SingerChosen);
    // Adding copies media files: a long run, abandoned like a command when the program is asked to end.
    connect(addButton, &QPushButton::clicked, this, [this] { RunAbandonable([this] { AddClicked(); }); });
    connect(multiAddButton, &QPushButton::clicked, this,
            [this] { RunAbandonable([this] { MultiAddClicked(); }); });
    // A file list without a folder shows the file system's root as a choosable item.
    SetFolder(QDir::currentPath());

    TheAddSongHooks().showBatchReport = [this](const std::vector<std::string>& lines) {
        TSongsResultForm form(lines, this);
        form.exec();
    };
    FillSingerCombo(SingerChoicesFor(""));
}

void AddSongPanel::SetFolder(const QString& path) {
    const QModelIndex index = folders_->index(path);
    if (folderTree->currentIndex() != index) folderTree->setCurrentIndex(index);
    fileList->setRootIndex(files_->setRootPath(path));
    fileList->clearSelection();
}

QString AddSongPanel::Folder() const { return files_->rootPath(); }

QStringList AddSongPanel::SelectedFiles() const {
    // Select-all marks every column of the file model: each file counts once, by its row.
    QModelIndexList rows = fileList->selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const QModelIndex& a, const QModelIndex& b) { return a.row() == b.row(); }),
               rows.end());
    QStringList paths;
    for (const QModelIndex& index : rows) paths << files_->filePath(index);
    return paths;
}

AddPanel AddSongPanel::State() const {
    AddPanel s;
    s.folder = Folder().toStdString();
    for (const QString& path : SelectedFiles()) s.selectedFiles.push_back(path.toStdString());
    s.songName = ToBig5(songNameEdit->text());
    s.singer = ToBig5(singerEdit->text());
    s.strokes = ToBig5(lineMaskEdit->text());
    s.pinyin = ToBig5(pingYingEdit->text());
    s.wordIndex = wordCombo->currentIndex();
    s.sexIndex = sexGroup->checkedId();
    s.classIndex = classGroup->checkedId();
    s.fuzzy = fuzzyCheck->isChecked();
    return s;
}

void AddSongPanel::SetState(const AddPanel& s) {
    SetSexIndex(s.sexIndex);
    SetClassIndex(s.classIndex);
    songNameEdit->setText(FromBig5(s.songName));
    singerEdit->setText(FromBig5(s.singer));
    lineMaskEdit->setText(FromBig5(s.strokes));
    pingYingEdit->setText(FromBig5(s.pinyin));
}

void AddSongPanel::SetSexIndex(int n) { CheckIndex(sexGroup, n); }
void AddSongPanel::SetClassIndex(int n) { CheckIndex(classGroup, n); }

void AddSongPanel::FileClicked() {
    const QString path = files_->filePath(fileList->currentIndex());
    if (path.isEmpty()) return;
    AddPanel s = State();
    FillPanelFromFile(s, path.toStdString());
    SetSexIndex(s.sexIndex);
    SetClassIndex(s.classIndex);
    songNameEdit->setText(FromBig5(s.songName));
    singerEdit->setText(FromBig5(s.singer));
}

void AddSongPanel::SongNameChanged() {
    const NameCodes codes = CodesForName(ToBig5(songNameEdit->text()), classGroup->checkedId());
    lineMaskEdit->setText(FromBig5(codes.strokes));
    wordCombo->setCurrentIndex(codes.wordIndex);
    pingYingEdit->setText(FromBig5(codes.pinyin));
}

void AddSongPanel::SingerChanged() { FillSingerCombo(SingerChoicesFor(ToBig5(singerEdit->text()))); }

void AddSongPanel::FillSingerCombo(const std::vector<std::string>& items) {
    fillingSinger_ = true;
    singerCombo->clear();
    for (const std::string& item : items) singerCombo->addItem(FromBig5(item));
    if (singerCombo->count() > 0) singerCombo->setCurrentIndex(0);
    fillingSinger_ = false;
}

void AddSongPanel::SingerChosen() {
    if (fillingSinger_) return;
    const SingerChoice choice = ChooseSingerEntry(ToBig5(singerCombo->currentText()));
    {
        const QSignalBlocker block(singerEdit);  // the combo keeps its list
        singerEdit->setText(FromBig5(choice.singer));
    }
    SetSexIndex(choice.sexIndex);
    SetClassIndex(choice.classIndex);
}

void AddSongPanel::AddClicked() {
    AddPanel s = State();
    AddSelectedSong(s);
    SetState(s);
}

void AddSongPanel::MultiAddClicked() { AddSongsInBatch(State()); }

}  // namespace qv
