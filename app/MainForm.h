#pragma once
#include <QMainWindow>

namespace qv {

// The main window. Handlers stay thin: each calls one function of its subsystem.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
};

}  // namespace qv
