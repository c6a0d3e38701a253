#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include "app/AppTitle.h"
#include "app/QtUserInterface.h"
#include "catalogue/Big5Codec.h"
#include "support/ModalAnswer.h"

using qv::B5;
using qv::QtUserInterface;

namespace {

// What the box looked like, read while it was up.
struct Seen {
    bool found = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
    QColor background;
    bool fillsBackground = false;
    QPoint centre;
};

// Records the next box, then answers it with the button of that text, or closes it with Escape.
void AnswerNextBox(Seen& seen, const QString& buttonText) {
    qv::test::WhenModal([&seen, buttonText](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.format = box->textFormat();
        seen.background = box->palette().color(QPalette::Window);
        seen.fillsBackground = box->autoFillBackground();
        seen.centre = box->frameGeometry().center();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
            if (b->text() == buttonText) chosen = b;
        }
        if (chosen)
            QTest::mouseClick(chosen, Qt::LeftButton);
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

    // An owner away from the screen's centre: the light-blue boxes still open in the middle of the screen.
    QWidget owner;
    QtUserInterface ui{&owner};

    static bool CentredOnScreen(const Seen& seen) {
        QPoint d = seen.centre - QGuiApplication::primaryScreen()->availableGeometry().center();
        return d.manhattanLength() <= 2;
    }

private slots:
    void initTestCase() {
        owner.setGeometry(0, 0, 300, 200);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
    }

    void blueMessageIsLightBlueWithOk() {
        Seen seen;
        AnswerNextBox(seen, "OK");
        ui.ShowBlueMessage(B5("清除完畢!"));
        QVERIFY(seen.found);
        QCOMPARE(seen.title, QString("Information"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.text, QString("清除完畢!"));
        QCOMPARE(seen.buttons, QStringList{"OK"});
        QCOMPARE(seen.background, QColor(0xA6, 0xCA, 0xF0));
        QVERIFY(seen.fillsBackground);
        QVERIFY(CentredOnScreen(seen));
    }

    void blueQuestionIsTrueOnlyOnYes() {
        Seen yes, no, escaped;
        AnswerNextBox(yes, "&Yes");
        QVERIFY(ui.AskBlueYesNo(B5("是否確定開始產生歌庫?")));
        QCOMPARE(yes.title, QString("Confirm"));
        QCOMPARE(yes.icon, QMessageBox::Question);
        QCOMPARE(yes.text, QString("是否確定開始產生歌庫?"));
        QCOMPARE(yes.buttons.size(), 2);
        QVERIFY(yes.buttons.contains("&Yes") && yes.buttons.contains("&No"));
        QCOMPARE(yes.background, QColor(0xA6, 0xCA, 0xF0));
        QVERIFY(CentredOnScreen(yes));

        AnswerNextBox(no, "&No");
        QVERIFY(!ui.AskBlueYesNo(B5("是否確定開始產生歌庫?")));
        QVERIFY(no.found);

        AnswerNextBox(escaped, QString());  // closed without choosing
        QVERIFY(!ui.AskBlueYesNo(B5("是否確定開始產生歌庫?")));
        QVERIFY(escaped.found);
    }

    void plainBoxesKeepTheirCaptionsAndIcons() {
        const QColor blue(0xA6, 0xCA, 0xF0);
        Seen error, warning, info, ask;
        AnswerNextBox(error, "OK");
        ui.ShowErrorBox(B5("歌庫中沒有歌曲"));
        AnswerNextBox(warning, "OK");
        ui.ShowWarningBox(B5("請輸入歌曲名稱!"));
        AnswerNextBox(info, "OK");
        ui.ShowInfoMessage(B5("歌簿產生完成"));
        AnswerNextBox(ask, "&Yes");
        QVERIFY(ui.AskYesNo(B5("確定要執行?")));

        QCOMPARE(error.title, QString("Error"));
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(error.buttons, QStringList{"OK"});
        QCOMPARE(warning.title, QString("Warning"));
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(info.title, qv::AppTitle());
        QCOMPARE(info.icon, QMessageBox::NoIcon);
        QCOMPARE(info.text, QString("歌簿產生完成"));
        QCOMPARE(ask.title, QString("Confirm"));
        QCOMPARE(ask.icon, QMessageBox::Question);
        for (const Seen* s : {&error, &warning, &info, &ask}) QVERIFY(s->background != blue);
    }

    void textsShowAsPlainLines() {
        Seen seen;
        AnswerNextBox(seen, "OK");
        // LF CR between lines, as some messages build them, and markup-like song names.
        ui.ShowErrorBox(B5("第一行\n\r<b>歌名</b>&\r\n第三行"));
        QCOMPARE(seen.text, QString("第一行\n<b>歌名</b>&\n第三行"));
        QCOMPARE(seen.format, Qt::PlainText);
    }
};

QTEST_MAIN(MessageBoxTest)
#include "MessageBoxTest.moc"
