#include "app/SongsResultForm.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "catalogue/Big5Codec.h"
#include "library/AddSong.h"

namespace qv {

TSongsResultForm::TSongsResultForm(const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent), lines_(lines) {
    setWindowTitle(FromBig5(B5("批量加歌結果")));
    memo = new QPlainTextEdit(this);
    memo->setReadOnly(true);
    QStringList text;
    for (const std::string& line : lines) text << FromBig5(line);
    memo->setPlainText(text.join(u'\n'));
    okButton = new QPushButton(FromBig5(B5("確定")), this);
    saveButton = new QPushButton(FromBig5(B5("另存新檔")), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo);
    layout->addLayout(buttons);
    resize(520, 420);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(saveButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, FromBig5(B5("另存新檔")), QString(), "*.txt");
        if (!path.isEmpty()) SaveTo(path);
    });
}

bool TSongsResultForm::SaveTo(const QString& path) { return SaveBatchReport(path.toStdString(), lines_); }

}  // namespace qv
