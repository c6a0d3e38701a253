#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QtTest>

#include <filesystem>

#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/QtUserInterface.h"
#include "catalogue/SongTable.h"
#include "catalogue/ProgramState.h"
#include "library/Startup.h"
#include "support/ModalAnswer.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void init() { folder_ = std::make_unique<qv::test::ProgramFolder>(); }
    void cleanup() { folder_.reset(); }

    void showsAndCloses() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("歌曲管理程式7.2(單機版)"));
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    void startsWithAnEmptyTableWhenTheSongListIsMissing() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(qv::ProgramUsable);
        QCOMPARE(form.StringGrid->model()->rowCount(), 0);
        QCOMPARE(form.StringGrid->model()->columnCount(), 23);
        QVERIFY(form.VisiblePlayButtons().empty());
        QVERIFY(std::filesystem::is_directory(folder_->File("000")));
        QVERIFY(form.isVisible());
    }

    void aFailingSongListIsReportedAndTheWindowClosesOnActivation() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             qv::test::PlainSongList({{"00101", "Song", "Singer", "x"}}));
        QString message;
        qv::test::WhenModal([&message](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) message = box->text();
            modal->close();
        });
        qv::TMainForm form;
        QVERIFY(!message.isEmpty());
        QVERIFY(!qv::ProgramUsable);
        QVERIFY(!qv::StartingUp);
        form.show();
        form.activateWindow();
        QTRY_VERIFY(!form.isVisible());
    }

    void aFolder000ThatCannotBeMadeIsReportedAndTheProgramRuns() {
        qv::test::WriteBytes(folder_->File("000"), "a file in the way");
        QString message;
        qv::test::WhenModal([&message](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) message = box->text();
            modal->close();
        });
        qv::TMainForm form;
        QCOMPARE(message, "無法產生目錄[" + QString::fromStdString(folder_->Path()) + "/000]");
        QVERIFY(qv::ProgramUsable);
        QVERIFY(!qv::LibraryDataDirOk);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(50);
        QVERIFY(form.isVisible());
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

private:
    std::unique_ptr<qv::test::ProgramFolder> folder_;
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
