#pragma once
// The two web-page windows: the server's message and the maker's new-features page.
#include <QDialog>

#include <string>

class QCheckBox;
class QFrame;
class QPushButton;

namespace qv {

// Right-button clicks on a browser are dropped, so the page never shows its context menu.
bool IsRightClickOnBrowser(const QWidget* browser, const QObject* target, const QEvent* event);

// A dialog with a web browser that watches every event of the application while it exists.
class BrowserDialog : public QDialog {
    Q_OBJECT
public:
    explicit BrowserDialog(QWidget* parent);
    ~BrowserDialog() override;

    QWidget* WebBrowser1 = nullptr;  // a QWebEngineView, made by the web view module

protected:
    bool eventFilter(QObject* target, QEvent* event) override;  // ApplicationEvents1Message
    void CentreOnDesktop();
    // GET of the page, then the browser goes there; the error box when the GET fails.
    void Navigate(const std::string& url);
};

class TMessageHtmlForm : public BrowserDialog {
    Q_OBJECT
public:
    explicit TMessageHtmlForm(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QCheckBox* NotShowCheckBox = nullptr;
    QPushButton* CloseButton = nullptr;

    void CloseButtonClick();

private:
    void FormCreate();
};

class TNewFeatureHtmlForm : public BrowserDialog {
    Q_OBJECT
public:
    explicit TNewFeatureHtmlForm(QWidget* parent = nullptr);

private:
    void FormCreate();
};

// Start-up: the server check after the echo wait, with the message window when one is due. True when the
// updater was started and the program is to end.
bool FinishServerCheckWithWindows(QWidget* owner);
// Menu 新增功能說明.
void N22Click(QWidget* owner);

}  // namespace qv
