// The main window on a 1024 x 768 screen of a real X server (run under Xvfb): it opens within the
// screen and every control of it lies on the screen, not cut off by the window or a parent.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

#include "app/MainForm.h"
#include "app/MediaPreviewPanel.h"
#include "catalogue/SongRecord.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

namespace {

// Where the widget lies inside the screen, the window and each of its parents; a text of what fails.
QString Misplaced(QWidget* widget, const QRect& screen) {
    const QRect global(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    if (!screen.contains(global))
        return QString("%1 at %2,%3 %4x%5 off the screen")
            .arg(widget->objectName())
            .arg(global.x())
            .arg(global.y())
            .arg(global.width())
            .arg(global.height());
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        const QRect inParent(widget->mapTo(parent, QPoint(0, 0)), widget->size());
        if (!parent->rect().contains(inParent))
            return QString("%1 cut off by %2").arg(widget->objectName(), parent->objectName());
    }
    return {};
}

}  // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsOnA1024By768Screen() {
        qv::test::ProgramFolder folder;
        std::vector<qv::test::TestSong> songs;
        for (int i = 1; i <= 60; ++i)
            songs.push_back({"001" + QString::number(i).rightJustified(2, '0').toStdString(),
                             "月亮代表我的心", "鄧麗君", "1", "3"});
        qv::test::WriteBytes(folder.File("song.qv2"), qv::test::PlainSongList(songs));
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY_WITH_TIMEOUT(form.MediaPreview != nullptr, 60000);
        QTest::qWait(200);  // the window settles into the screen

        const QRect screen = form.screen()->availableGeometry();
        QCOMPARE(form.screen()->geometry().size(), QSize(1024, 768));
        QVERIFY(screen.contains(form.frameGeometry()));
        // Room to spare for a window manager's frame and panel.
        QVERIFY(form.minimumSize().width() <= 1024 - 40);
        QVERIFY(form.minimumSize().height() <= 768 - 80);

        QList<QWidget*> named = {form.SearchEdit,
                                 form.SearchButton,
                                 form.ClearSelectButton,
                                 form.AntiSelectButton,
                                 form.SingerComboBox,
                                 form.ShowOnlyComboBox,
                                 form.FavorComboBox,
                                 form.StringGrid->verticalScrollBar(),
                                 form.MediaPreview,
                                 form.MediaPreview->LeftButton,
                                 form.MediaPreview->MiddleButton,
                                 form.MediaPreview->RightButton,
                                 form.ProgressBar,
                                 form.DeleteButton,
                                 form.ReplaceButton};
        for (QWidget* widget : named) {
            QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
            const QString fault = Misplaced(widget, screen);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
        // And whatever else can be clicked or typed into, the play buttons in the grid aside.
        int checked = 0;
        for (QWidget* widget : form.findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                                 qobject_cast<QComboBox*>(widget) || qobject_cast<QProgressBar*>(widget);
            if (!control || !widget->isVisible() || widget->parentWidget() == form.StringGrid->viewport() ||
                qobject_cast<QComboBox*>(widget->parentWidget()))
                continue;
            const QString fault = Misplaced(widget, screen);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            ++checked;
        }
        QVERIFY(checked > 20);
        QVERIFY(!form.VisiblePlayButtons().empty());
        QVERIFY(form.StringGrid->verticalScrollBar()->maximum() > 0);  // 60 songs: the bar has work
    }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit.moc"
