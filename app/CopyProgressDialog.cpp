#include "app/CopyProgressDialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/FormSupport.h"
#include "app/QtUserInterface.h"
#include "catalogue/Big5Codec.h"

namespace qv {

CopyProgressDialog::~CopyProgressDialog() { delete dialog_; }

void CopyProgressDialog::Begin(const std::string& source, const std::string& target, std::int64_t total) {
    delete dialog_;
    total_ = total > 0 ? total : 1;
    const QString text =
        QFileInfo(QString::fromStdString(source)).fileName() + " -> " + QString::fromStdString(target);
    dialog_ = new QProgressDialog(text, FromBig5(B5("取消")), 0, 1000, owner_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setValue(0);
    ShowAndPaintNow(dialog_);
}

bool CopyProgressDialog::Step(std::int64_t done) {
    if (!dialog_) return true;
    dialog_->setValue(static_cast<int>(done * 1000 / total_));
    // The cancel button needs the user's input; the rest of the window is blocked by the dialog.
    {
        AbandonableRun::Outside outside;
        QCoreApplication::processEvents();
    }
    AbandonIfEndRequested();
    return !dialog_->wasCanceled();
}

void CopyProgressDialog::End() { delete dialog_; }

}  // namespace qv
