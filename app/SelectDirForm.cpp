#include "app/SelectDirForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "library/DiskTools.h"

namespace qv {

TSelectDirForm::TSelectDirForm(std::string songIniDir, QWidget* parent)
    : QDialog(parent), songIniDir_(std::move(songIniDir)) {
    setObjectName("SelectDirForm");
    setWindowTitle(QStringLiteral("選擇歌庫所在磁碟位置"));
    DriveComboBox = new QComboBox(this);
    DriveComboBox->setObjectName("DriveComboBox");
    OKButton = new QPushButton(QStringLiteral("確定"), this);
    OKButton->setObjectName("OKButton");
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName("CancelButton");
    connect(OKButton, &QPushButton::clicked, this, &TSelectDirForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSelectDirForm::CancelButtonClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("請選擇歌庫所在磁碟位置:"), this));
    layout->addWidget(DriveComboBox);
    layout->addLayout(buttons);
    FormCreate();
}

// A drive is a mounted file system; the one shown first is the drive of "data drive", or of the folder of
// "song.ini" when the file or the key is missing.
void TSelectDirForm::FormCreate() {
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady()) DriveComboBox->addItem(volume.rootPath());
    const std::string dataDrive = ReadDataDrive(songIniDir_, songIniDir_);
    const QString current = QStorageInfo(QString::fromStdString(dataDrive)).rootPath();
    int index = DriveComboBox->findText(current);
    if (index < 0 && !current.isEmpty()) {
        DriveComboBox->addItem(current);
        index = DriveComboBox->count() - 1;
    }
    DriveComboBox->setCurrentIndex(index);
}

void TSelectDirForm::OKButtonClick() {
    WriteDataDrive(songIniDir_, DriveComboBox->currentText().toStdString());
    done(1);
}

void TSelectDirForm::CancelButtonClick() { done(2); }

}  // namespace qv
