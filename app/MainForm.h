#pragma once
#include <QMainWindow>
#include <memory>

namespace qv {

class QtUserInterface;

// The main window. Handlers stay thin: each calls one function of its subsystem.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The program's message boxes, wait window, status line and progress bar.
    QtUserInterface& Ui() { return *ui_; }

public slots:
    void N4Click();   // 檔案 / 關閉
    void N11Click();  // 說明 / 關於歌曲管理程式

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    std::unique_ptr<QtUserInterface> ui_;
};

}  // namespace qv
