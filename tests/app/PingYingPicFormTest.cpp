#include <QLabel>
#include <QtTest>

#include "app/PingYingPicForm.h"
#include "support/ModalAnswer.h"

using qv::TPingYingPicForm;

class PingYingPicFormTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheChartBorderless() {
        TPingYingPicForm form;
        form.PlaceForScreen(96);
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.size(), QSize(576, 553));
        QCOMPARE(form.Image1->pixmap().size(), QSize(576, 553));
        QCOMPARE(form.Image2->geometry(), QRect(513, 31, 40, 38));
        QVERIFY(form.Image2->pixmap().isNull());  // invisible: the mark is part of the chart
    }

    void closeAreaFollowsTheScreenDpi() {
        TPingYingPicForm form;
        form.PlaceForScreen(120);
        QCOMPARE(form.Image2->pos(), QPoint(513 * 96 / 120, 31 * 96 / 120));
        QCOMPARE(form.Image2->size(), QSize(40, 38));
        form.PlaceForScreen(144);
        QCOMPARE(form.Image2->pos(), QPoint(342, 20));
    }

    void clickOnTheCloseAreaClosesIt() {
        TPingYingPicForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.Image1, Qt::LeftButton, {}, QPoint(100, 100));
        QVERIFY(form.isVisible());
        QTest::mouseClick(form.Image2, Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void menuCommandShowsItModally() {
        bool seen = false;
        qv::test::WhenModal([&seen](QWidget* modal) {
            auto* form = qobject_cast<TPingYingPicForm*>(modal);
            QVERIFY(form);
            seen = true;
            QTest::mouseClick(form->Image2, Qt::LeftButton);
        });
        qv::QV1Click(nullptr, 96);
        QVERIFY(seen);
    }
};

QTEST_MAIN(PingYingPicFormTest)
#include "PingYingPicFormTest.moc"
