#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/ProgressForm.h"
#include "app/SelectDirForm.h"
#include "library/DiskTools.h"
#include "support/FakeUserInterface.h"

using qv::TProgressForm;
using qv::TSelectDirForm;

class DiskToolFormsTest : public QObject {
    Q_OBJECT

    static void Write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void selectDirFormShowsTheDataDriveAndStoresTheChoice() {
        QTemporaryDir dir;
        const std::string iniDir = dir.path().toStdString();
        const QString drive = QStorageInfo(dir.path()).rootPath();
        {
            // No "song.ini" yet: the drive of its folder is offered; cancel writes nothing.
            TSelectDirForm form(iniDir);
            QCOMPARE(form.windowTitle(), QString("選擇歌庫所在磁碟位置"));
            QCOMPARE(form.DriveComboBox->currentText(), drive);
            QTimer::singleShot(0, form.CancelButton, &QPushButton::click);
            QCOMPARE(form.exec(), 2);
            QVERIFY(!QFile::exists(dir.filePath("song.ini")));
        }
        {
            TSelectDirForm form(iniDir);
            QTimer::singleShot(0, form.OKButton, &QPushButton::click);
            QCOMPARE(form.exec(), 1);
            QCOMPARE(QString::fromStdString(qv::ReadDataDrive(iniDir, "")), drive);
        }
        // A stored drive that is not mounted (any more) is still offered as the current one.
        QVERIFY(qv::WriteDataDrive(iniDir, "/"));
        TSelectDirForm form(iniDir);
        QCOMPARE(form.DriveComboBox->currentText(), QString("/"));
    }

    void progressFormSortsThePhotosAndClosesItself() {
        qv::test::FakeUserInterface ui;
        QTemporaryDir dir;
        Write(dir.filePath("singer/謝霆鋒.jpg"), "photo");
        TProgressForm form(dir.path().toStdString());
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 300);
        QCOMPARE(form.exec(), 1);
        QCOMPARE(form.ProgressBar->value(), 100);
        QVERIFY(QFile::exists(dir.filePath("singer_8/謝霆鋒.jpg")));
        QVERIFY(ui.shown.empty());
    }

    void progressFormEndsWithFailureWithoutPhotoFolder() {
        qv::test::FakeUserInterface ui;
        QTemporaryDir dir;
        TProgressForm form(dir.path().toStdString());
        QCOMPARE(form.exec(), 2);
        QCOMPARE(ui.Texts("error").size(), std::size_t{1});
    }
};

QTEST_MAIN(DiskToolFormsTest)
#include "DiskToolFormsTest.moc"
