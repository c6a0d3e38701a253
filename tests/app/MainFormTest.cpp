#include <QtTest>

#include "app/MainForm.h"

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
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
