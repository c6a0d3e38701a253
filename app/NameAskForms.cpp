#include "app/NameAskForms.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "catalogue/Big5Codec.h"

namespace qv {

TNameAskForm::TNameAskForm(const std::string& before, const std::string& name, const std::string& after,
                           bool redName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Confirm"));
    auto* layout = new QVBoxLayout(this);
    auto* line = new QHBoxLayout;
    line->setSpacing(3);
    if (redName) {
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
        line->addWidget(icon);
    }
    Label1 = new QLabel(FromBig5(before), this);
    NameLabel = new QLabel(FromBig5(name), this);
    NameLabel->setObjectName("NameLabel");
    Label2 = new QLabel(FromBig5(after), this);
    if (redName) {
        QFont bold(QStringLiteral("新細明體"));
        bold.setBold(true);
        Label1->setFont(bold);
        NameLabel->setFont(bold);
        NameLabel->setStyleSheet(QStringLiteral("color: red;"));
    }
    line->addWidget(Label1);
    line->addWidget(NameLabel);
    line->addWidget(Label2);
    line->addStretch(1);
    layout->addLayout(line);
    auto* buttons = new QHBoxLayout;
    YesButton = new QPushButton(QStringLiteral("Yes"), this);
    NoButton = new QPushButton(QStringLiteral("No"), this);
    buttons->addStretch(1);
    buttons->addWidget(YesButton);
    buttons->addWidget(NoButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    YesButton->setDefault(true);
    connect(YesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(NoButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TNameAskForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

bool AskDeleteSong(const std::string& songName, QWidget* parent) {
    TNameAskForm form(B5("注意:此動怍會永遠清除["), songName, B5("]這首歌. 確定要執行?"), true, parent);
    return form.exec() == QDialog::Accepted;
}

bool AskAddPictureFolder(const std::string& folderName, QWidget* parent) {
    TNameAskForm form(B5("將加入["), folderName, B5("]資料夾為照片點播. 確定要新增?"), false, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace qv
