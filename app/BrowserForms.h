#pragma once
// The two web-page windows: the server's message and the maker's new-features page.
#include <QDialog>

class QCheckBox;
class QFrame;
class QPushButton;
class QWebEngineView;

namespace qv {

// Right-button clicks on a browser are dropped, so the page never shows its context menu.
bool IsRightClickOnBrowser(const QWidget* browser, const QObject* target, const QEvent* event);

class TMessageHtmlForm : public QDialog {
    Q_OBJECT
public:
    explicit TMessageHtmlForm(QWidget* parent = nullptr);
    ~TMessageHtmlForm() override;

    QFrame* Panel1 = nullptr;
    QWebEngineView* WebBrowser1 = nullptr;
    QCheckBox* NotShowCheckBox = nullptr;
    QPushButton* CloseButton = nullptr;

    void CloseButtonClick();

protected:
    bool eventFilter(QObject* target, QEvent* event) override;  // ApplicationEvents1Message

private:
    void FormCreate();
};

class TNewFeatureHtmlForm : public QDialog {
    Q_OBJECT
public:
    explicit TNewFeatureHtmlForm(QWidget* parent = nullptr);
    ~TNewFeatureHtmlForm() override;

    QWebEngineView* WebBrowser1 = nullptr;

protected:
    bool eventFilter(QObject* target, QEvent* event) override;  // ApplicationEvents1Message

private:
    void FormCreate();
};

// Start-up: the server check after the echo wait, with the message window when one is due. True when the
// updater was started and the program is to end.
bool FinishServerCheckWithWindows(QWidget* owner);
// Menu 新增功能說明.
void N22Click(QWidget* owner);

}  // namespace qv
