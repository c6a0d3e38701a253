#include <QLabel>
#include <QtTest>

#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/QtUserInterface.h"
#include "support/ModalAnswer.h"

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void showsAndCloses() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.windowTitle().startsWith("QV"));
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    void installsItsUserInterfaceForItsLifetime() {
        {
            qv::TMainForm form;
            QCOMPARE(&qv::UI(), static_cast<qv::UserInterface*>(&form.Ui()));
        }
        // Afterwards the silent stand-in answers: nothing refers to the destroyed window.
        std::string from, to;
        QVERIFY(!qv::UI().AskIndexRange(from, to));
    }

    void closeCommandClosesTheWindow() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.N4Click();
        QVERIFY(!form.isVisible());
    }

    void aboutBoxShowsThePictureModally() {
        qv::TMainForm form;
        form.show();
        QString title;
        QSize client, picture;
        qv::test::WhenModal([&](QWidget* modal) {
            if (auto* about = qobject_cast<qv::TAboutForm*>(modal)) {
                title = about->windowTitle();
                client = about->size();
                picture = about->Image1->pixmap().size();
            }
            modal->close();
        });
        form.N11Click();
        QCOMPARE(title, QString("關於歌曲管理程式"));
        QVERIFY(!picture.isEmpty());
        QCOMPARE(client, picture);
    }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
