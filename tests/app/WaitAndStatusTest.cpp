#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWindow>
#include <QtTest>

#include "app/InfoForm.h"
#include "app/QtUserInterface.h"
#include "catalogue/Big5Codec.h"

using qv::B5;
using qv::QtUserInterface;
using qv::TInfoForm;

// Counts the paint events the wait window's label receives.
class LabelPaints : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->objectName() == "Label1" &&
            qobject_cast<TInfoForm*>(static_cast<QWidget*>(watched)->window()))
            ++count;
        return false;
    }
};

// Counts the paint events one widget receives.
class BarPaints : public QObject {
public:
    explicit BarPaints(QWidget* bar) : bar_(bar) {}
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == bar_) ++count;
        return false;
    }

private:
    QWidget* bar_;
};

class WaitAndStatusTest : public QObject {
    Q_OBJECT

    QWidget owner;
    QtUserInterface ui{&owner};

private slots:
    void initTestCase() {
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
    }

    void waitWindowIsPaintedBeforeTheWorkStarts() {
        LabelPaints paints;
        qApp->installEventFilter(&paints);
        // No event loop runs between the call and the checks: as in a long command on the GUI thread.
        ui.ShowWaitMessage(B5("程式開啟中, 請稍候..."));
        qApp->removeEventFilter(&paints);

        QVERIFY(ui.WaitShown());
        TInfoForm* form = ui.WaitForm();
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        QVERIFY(form->windowHandle() && form->windowHandle()->isExposed());
        QVERIFY(paints.count > 0);
        QCOMPARE(form->Label1->text(), QString("程式開啟中, 請稍候..."));
        QCOMPARE(form->size(), QSize(262, 37));
        QCOMPARE(form->parentWidget(), &owner);
        QVERIFY(qAbs(form->windowOpacity() - 200.0 / 255.0) < 0.01);

        QPointer<TInfoForm> gone = form;
        ui.HideWaitMessage();
        QVERIFY(!ui.WaitShown());
        QVERIFY(gone.isNull());
        QVERIFY(!ui.WaitForm());
    }

    void aSecondWaitMessageReplacesTheFirst() {
        ui.ShowWaitMessage(B5("檔案刪除中, 請稍候 ..."));
        QPointer<TInfoForm> first = ui.WaitForm();
        ui.ShowWaitMessage(B5("空白目錄建立中, 請稍候 ..."));
        QVERIFY(first.isNull());
        QCOMPARE(ui.WaitForm()->Label1->text(), QString("空白目錄建立中, 請稍候 ..."));
        QCOMPARE(owner.findChildren<TInfoForm*>().size(), 1);

        // The main window's activation brings it back while it is up, and not after.
        ui.WaitForm()->hide();
        ui.BringWaitToFront();
        QVERIFY(ui.WaitForm()->isVisible());
        ui.HideWaitMessage();
        ui.BringWaitToFront();
        QVERIFY(owner.findChildren<TInfoForm*>().isEmpty());
        ui.HideWaitMessage();  // twice is harmless
    }

    // Work given for the pause runs once, after the wait window has gone, and the pause keeps its 20 ms.
    void workForThePauseRunsOnceInsideTheNextPause() {
        int runs = 0;
        bool waitGone = false;
        ui.DuringNextPause([&] {
            ++runs;
            waitGone = !ui.WaitShown() && owner.findChildren<TInfoForm*>().isEmpty();
        });
        ui.ShowWaitMessage(B5("程式開啟中, 請稍候..."));
        QCOMPARE(runs, 0);
        QElapsedTimer paused;
        paused.start();
        ui.HideWaitMessage();
        QVERIFY(paused.elapsed() >= 20);
        QCOMPARE(runs, 1);
        QVERIFY(waitGone);
        ui.ShowWaitMessage(B5("檔案刪除中, 請稍候 ..."));
        ui.HideWaitMessage();
        QCOMPARE(runs, 1);
    }

    void statusLineAndProgressBar() {
        QtUserInterface detached;
        detached.SetLineMessage(B5("訊息"));  // nothing attached: nothing to do
        detached.SetProgress(3, 10);

        QLabel line("訊息:", &owner);
        QProgressBar bar(&owner);
        ui.AttachLineLabel(&line);
        ui.AttachProgressBar(&bar);
        ui.SetLineMessage(B5("讀取中"));
        QCOMPARE(line.text(), QString("讀取中"));
        ui.SetLineMessage("");
        QCOMPARE(line.text(), QString());

        ui.SetProgress(40, 100);
        QCOMPARE(bar.maximum(), 100);
        QCOMPARE(bar.value(), 40);
        ui.SetProgress(7, 12);  // a bar that counts rows
        QCOMPARE(bar.maximum(), 12);
        QCOMPARE(bar.value(), 7);
        ui.SetProgress(0, 0);  // an empty run must not turn the bar into a busy indicator
        QVERIFY(bar.maximum() > bar.minimum());
        QCOMPARE(bar.value(), 0);
    }

    // A run sets the bar for every song; it is painted only for the positions that show a change.
    void theBarIsPaintedOnlyWhenItChanges() {
        QProgressBar bar(&owner);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        ui.AttachProgressBar(&bar);
        ui.SetProgress(0, 100);
        BarPaints paints(&bar);
        qApp->installEventFilter(&paints);
        for (int song = 0; song < 2000; ++song) ui.SetProgress(song * 100 / 2000, 100);
        qApp->removeEventFilter(&paints);
        QCOMPARE(bar.value(), 99);
        QVERIFY(paints.count > 0);
        QVERIFY(paints.count <= 2 * 99);  // at most the bar's own repaint of a new value and ours
        ui.SetProgress(99, 120);  // a new range is a change too
        QCOMPARE(bar.maximum(), 120);
        ui.AttachProgressBar(nullptr);
    }
};

QTEST_MAIN(WaitAndStatusTest)
#include "WaitAndStatusTest.moc"
