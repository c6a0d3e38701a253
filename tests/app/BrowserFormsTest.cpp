#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <filesystem>
#include <fstream>

#include "app/BrowserForms.h"
#include "catalogue/ProgramState.h"
#include "library/ServerMessage.h"
#include "platform/ServerHosts.h"
#include "support/FakeUserInterface.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using qv::test::LoopbackHttpServer;

namespace {

// Counts the mouse presses that reach a widget after the application-wide filters.
class PressCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) ++presses;
        return false;
    }
};

void Click(QWidget* target, Qt::MouseButton button) {
    QPointF at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// The browser is made by the web view module.
QWebEngineView* View(const qv::BrowserDialog& form) { return qobject_cast<QWebEngineView*>(form.WebBrowser1); }

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class BrowserFormsTest : public QObject {
    Q_OBJECT
    LoopbackHttpServer web{[](const std::string& target) -> LoopbackHttpServer::Reply {
        if (target == "/QV_message/qv02se_message.php") return {200, "<html><body>message 12</body></html>"};
        if (target == "/QV_song_readme/qv03/qv_song_readme.htm")
            return {200, "<html><body>new</body></html>"};
        return {404, ""};
    }};
    // A fresh program folder for each test, inside a folder of this run's own that goes with the run.
    qv::test::TempFolder run;
    fs::path folder = fs::path(run.Path()) / "program";

private slots:
    void init() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        qv::AppDir = folder.string();
        qv::SetMakerServers({"", "", web.Host()});
    }
    void cleanup() {
        qv::ResetMakerServers();
        fs::remove_all(folder);
    }

    void messageWindowShowsThePageAndStoresTheNumberWhenTicked() {
        qv::test::FakeUserInterface ui;
        qv::MessageNo = 12;
        qv::TMessageHtmlForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("訊息視窗"));
        QCOMPARE(form.size(), QSize(642, 536));
        QCOMPARE(form.WebBrowser1->size(), QSize(640, 480));
        QCOMPARE(form.NotShowCheckBox->text(), QStringLiteral("已讀過的訊息，不再出現"));
        QCOMPARE(form.CloseButton->text(), QStringLiteral("關閉"));
        QVERIFY(ui.shown.empty());

        QSignalSpy loaded(View(form), &QWebEngineView::loadFinished);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 60000);
        QVERIFY(loaded[0][0].toBool());
        QCOMPARE(View(form)->url().path(), QStringLiteral("/QV_message/qv02se_message.php"));
        QString text;
        View(form)->page()->toPlainText([&text](const QString& t) { text = t; });
        QTRY_COMPARE_WITH_TIMEOUT(text, QStringLiteral("message 12"), 60000);

        form.CloseButton->click();  // not ticked: nothing written
        QVERIFY(!form.isVisible());
        QVERIFY(!fs::exists(folder / "boot.bin"));

        std::ofstream(folder / "boot.bin", std::ios::binary) << "x\r\n3\r\nID\r\n";
        form.show();
        form.NotShowCheckBox->setChecked(true);
        form.CloseButton->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(ReadAll(folder / "boot.bin"), std::string("x\r\n12\r\nID\r\n"));
    }

    void messageWindowStillOpensWhenThePageFails() {
        qv::test::FakeUserInterface ui;
        qv::SetMakerServers({"", "", LoopbackHttpServer::ClosedHost()});
        qv::TMessageHtmlForm form;
        QCOMPARE(ui.Texts("error"),
                 std::vector<std::string>{"您的電腦目前並非連網狀態，請連上網路後再試試！"});
        QVERIFY(View(form)->url().isEmpty());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    void rightClicksNeverReachTheBrowser() {
        qv::test::FakeUserInterface ui;
        qv::TNewFeatureHtmlForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* inner = form.WebBrowser1->focusProxy() ? form.WebBrowser1->focusProxy() : form.WebBrowser1;
        QVERIFY(inner != form.WebBrowser1);  // the widget that really gets the mouse
        PressCounter counter;
        inner->installEventFilter(&counter);
        Click(inner, Qt::RightButton);
        QCOMPARE(counter.presses, 0);
        Click(inner, Qt::LeftButton);
        QCOMPARE(counter.presses, 1);

        QMouseEvent right(QEvent::MouseButtonDblClick, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QVERIFY(qv::IsRightClickOnBrowser(form.WebBrowser1, form.WebBrowser1, &right));
        QVERIFY(!qv::IsRightClickOnBrowser(form.WebBrowser1, &form, &right));  // outside the browser
    }

    void newFeatureWindowLoadsThePage() {
        qv::test::FakeUserInterface ui;
        qv::TNewFeatureHtmlForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("新增功能說明"));
        QCOMPARE(form.size(), QSize(846, 564));
        QSignalSpy loaded(View(form), &QWebEngineView::loadFinished);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 60000);
        QVERIFY(loaded[0][0].toBool());
        QCOMPARE(View(form)->url().path(), QStringLiteral("/QV_song_readme/qv03/qv_song_readme.htm"));
        QVERIFY(ui.shown.empty());
        form.resize(900, 600);  // sizeable; the browser fills it
        QCOMPARE(form.WebBrowser1->size(), QSize(900, 600));
    }

    void newFeatureCommandShowsTheWindowOnlyWhenThePageAnswers() {
        qv::test::FakeUserInterface ui;
        QStringList shown;
        QTimer closer;  // closes whatever modal window the command opens
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown << modal->windowTitle();
                modal->close();
            }
        });
        closer.start(10);
        qv::N22Click(nullptr);
        QCOMPARE(shown, QStringList{QStringLiteral("新增功能說明")});
        QVERIFY(ui.shown.empty());

        qv::SetMakerServers({"", "", LoopbackHttpServer::ClosedHost()});
        qv::N22Click(nullptr);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(ui.Texts("error"),
                 std::vector<std::string>{"您的電腦目前並非連網狀態，請連上網路後再試試！"});
    }
};

int main(int argc, char** argv) {
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    BrowserFormsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BrowserFormsTest.moc"
