#pragma once
// The progress window of a long file copy, with a cancel button. Install it with SetCopyProgressWindow.
#include <QPointer>

#include "platform/CopyProgress.h"

class QProgressDialog;
class QWidget;

namespace qv {

class CopyProgressDialog final : public CopyProgressWindow {
public:
    explicit CopyProgressDialog(QWidget* owner = nullptr) : owner_(owner) {}
    ~CopyProgressDialog() override;

    void Begin(const std::string& source, const std::string& target, std::int64_t total) override;
    bool Step(std::int64_t done) override;
    void End() override;

    QProgressDialog* Dialog() const { return dialog_; }

private:
    QPointer<QWidget> owner_;
    QPointer<QProgressDialog> dialog_;
    std::int64_t total_ = 1;
};

}  // namespace qv
