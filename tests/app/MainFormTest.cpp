#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/AboutForm.h"
#include "app/AddSongPanel.h"
#include "app/FormSupport.h"
#include "app/MainForm.h"
#include "app/MediaPreviewPanel.h"
#include "app/NameAskForms.h"
#include "app/QtUserInterface.h"
#include "catalogue/ProgramState.h"
#include "catalogue/ReadingCodes.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/AddSong.h"
#include "library/MediaPreview.h"
#include "resources/ShippedData.h"
#include "library/SongFiles.h"
#include "library/Startup.h"
#include "outputs/IndexCommon.h"
#include "settings/Settings.h"
#include "support/ModalAnswer.h"
#include "support/ProgramFolder.h"
#include "support/RecordingPlayer.h"
#include "support/SongListFile.h"

namespace {

// Answers every message box and name question that comes up while it lives: Yes when it asks, else the
// box's first button.
class BoxAnswerer {
public:
    BoxAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            if (auto* ask = qobject_cast<qv::TNameAskForm*>(modal)) {
                texts << ask->Label1->text() + ask->NameLabel->text() + ask->Label2->text();
                QTest::mouseClick(ask->YesButton, Qt::LeftButton);
                return;
            }
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return;
            texts << box->text();
            QAbstractButton* chosen = box->buttons().value(0);
            for (QAbstractButton* b : box->buttons())
                if (b->text().contains("Yes")) chosen = b;
            QTest::mouseClick(chosen, Qt::LeftButton);
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

// Whether a shared library whose file name contains the text is mapped into this process.
bool LibraryMapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos) return true;
    return false;
}

std::string SongListOf(std::vector<qv::FieldList> songs) {
    std::string out;
    for (const qv::FieldList& song : songs) out += qv::JoinSongRecord(song) + "\r\n";
    return out;
}

// The songs the grid's rows show, read as a user does: the number on each row's play button and the name
// in the same row. Each pair that is not one song of the table is reported.
QStringList MismatchedRows(qv::TMainForm& form) {
    QStringList wrong;
    const int top = std::max(0, form.StringGrid->rowAt(0));
    const std::vector<QPushButton*> buttons = form.VisiblePlayButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const QString number = buttons[i]->text();
        const QString name = form.StringGrid->model()->index(top + static_cast<int>(i), qv::colSongName).data().toString();
        const int row = qv::FindSongRow(qv::ToBig5(number));
        if (row < 0 || qv::FromBig5(qv::AllSong[row][qv::colSongName]) != name) wrong << number + " " + name;
    }
    if (buttons.empty()) wrong << "no rows shown";
    return wrong;
}

// Checks that the menu item is there and enabled, then runs it.
void Trigger(qv::TMainForm& form, const char* item, bool run = true) {
    QAction* action = form.menuBar()->findChild<QAction*>(item);
    QVERIFY2(action && action->isEnabled(), item);
    if (run) action->trigger();
}

}  // namespace

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

    // The preview's video area is the one native child window: the rest of the window is drawn by Qt.
    void onlyTheVideoAreaIsANativeWindow() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* video = form.MediaPreview->VideoSurface();
        QVERIFY(video->internalWinId());
        QStringList native;
        for (QWidget* child : form.findChildren<QWidget*>())
            if (child != video && !child->isWindow() && child->internalWinId())
                native << child->metaObject()->className() + QString(" ") + child->objectName();
        QCOMPARE(native, QStringList());
    }

    // The box lists the singer entries in their order, the first one chosen, and a refill replaces them.
    void theSingerBoxListsTheSingersOfTheSongs() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             qv::test::PlainSongList({{"00101", "Song", "鄧麗君"},
                                                      {"00102", "Other", "Beatles", "4", "2"},
                                                      {"00103", "Third", "鄧麗君"}}));
        qv::TMainForm form;
        QComboBox* box = form.SingerComboBox;
        QCOMPARE(box->count(), 2);
        QVERIFY(box->itemText(0).startsWith("鄧麗君("));
        QVERIFY(box->itemText(1).startsWith("Beatles("));
        for (int i = 0; i < box->count(); ++i)
            QCOMPARE(box->itemText(i), qv::FromBig5(qv::SingerDisplayList[static_cast<size_t>(i)]));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->currentText(), box->itemText(0));

        form.SetSingerItems({qv::Utf8ToBig5("張學友(男歌星)")});
        QCOMPARE(box->count(), 1);
        QCOMPARE(box->currentText(), QString("張學友(男歌星)"));
        form.SetSingerItems({});
        QCOMPARE(box->count(), 0);
        QCOMPARE(box->currentIndex(), -1);
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
        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 60000);
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

    // The updater was started during start-up, which runs before the message loop and keeps the window
    // painted meanwhile: the program still ends as soon as its loop starts.
    void anEndAskedForDuringStartUpEndsTheMessageLoop() {
        qv::TMainForm form;
        static_cast<qv::StartupWindow&>(form).EndAfterStartUp();
        QCoreApplication::processEvents();  // as the wait window's painting does
        form.show();
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        giveUp.start(120000);  // only a hang gives up
        QCOMPARE(QCoreApplication::exec(), 0);
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

    void vkmIndexCommandWritesTheSetAndReportsIt() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             qv::test::PlainSongList({{"00101", "Song", "Singer", "1"}}));
        std::filesystem::create_directories(folder_->File("001"));
        qv::test::WriteBytes(folder_->File("001/00101.mpg"), "media");
        qv::TMainForm form;
        QStringList messages;
        qv::test::WhenModal([&messages](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) messages << box->text();
            modal->close();
        });
        qv::IndexPausesEnabled = false;
        Trigger(form, "ZT1");
        qv::IndexPausesEnabled = true;
        QCOMPARE(messages, QStringList{"VKM索引檔產生完成"});
        QCOMPARE(qv::AllSong.size(), size_t{1});
        QCOMPARE(std::filesystem::file_size(folder_->File("000/index.vkm")), uintmax_t{17});
        QCOMPARE(std::filesystem::file_size(folder_->File("000/menu.vkm")), uintmax_t{1262});
    }

    // The index run sorts its working rows by singer and appends rows for the duet's singers while its
    // boxes keep the window painted: the grid goes on showing whole songs, during the run and after it.
    void theGridShowsWholeSongsDuringAndAfterAnIndexRun() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             qv::test::PlainSongList({{"00101", "Zeta", "Zed", "1"},
                                                      {"00102", "Alpha", "Amy", "2"},
                                                      {"00103", "Duet", "Mo&Bo", "6"},
                                                      {"00104", "Mid", "Kim", "1"}}));
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(MismatchedRows(form), QStringList{});
        QStringList texts, duringRun;
        QTimer answer;
        answer.setInterval(5);
        connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            if (texts.isEmpty()) duringRun = MismatchedRows(form) << QString::number(form.StringGrid->model()->rowCount());
            texts << box->text();
            box->close();
        });
        answer.start();
        qv::IndexPausesEnabled = false;
        Trigger(form, "ZT2");  // no media: a box for each song
        qv::IndexPausesEnabled = true;
        QCOMPARE(texts.size(), 5);
        QCOMPARE(duringRun, QStringList{"4"});
        QCOMPARE(MismatchedRows(form), QStringList{});
        QCOMPARE(form.StringGrid->model()->rowCount(), 4);
        QCOMPARE(form.VisiblePlayButtons().front()->text(), QString("00101"));
    }

    void everyCommandOfTheMenuIsBuilt() {
        qv::TMainForm form(nullptr, qv::Edition::Server);
        int items = 0;
        for (QAction* action : form.menuBar()->findChildren<QAction*>()) {
            if (action->menu() || action->objectName().isEmpty()) continue;
            ++items;
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
        }
        QCOMPARE(items, 39);  // the server edition keeps all but the five items every edition removes
    }

    void theAddPanelSitsBesideTheGridAndItsFuzzyCaptionTogglesItsOwnBox() {
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.AddPanel->isVisible());
        QCheckBox* fuzzy = form.AddPanel->fuzzyCheck;
        QTest::mouseClick(fuzzy, Qt::LeftButton, {}, QPoint(fuzzy->width() - 4, fuzzy->height() / 2));
        QVERIFY(fuzzy->isChecked());
        QVERIFY(!form.NewSongCheckBox->isChecked());
    }

    void theWindowsHooksGoWithIt() {
        {
            qv::TMainForm form;
            QVERIFY(qv::TheAddSongHooks().resetFilters);
            QVERIFY(qv::TheSongFileHooks().refreshGrid);
        }
        QVERIFY(!qv::TheAddSongHooks().resetFilters);
        QVERIFY(!qv::TheAddSongHooks().showBatchReport);
        QVERIFY(!qv::TheSongFileHooks().refreshGrid);
    }

    void clearNewMarksReachesTheSongList() {
        qv::FieldList marked = qv::test::SongFields({"00101", "Song", "Singer"});
        marked[qv::colNewMark] = "*";
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             SongListOf({marked, qv::test::SongFields({"00102", "Other", "Singer"})}));
        qv::TMainForm form;
        form.NewSongCheckBox->setChecked(true);
        QCOMPARE(form.StringGrid->model()->rowCount(), 1);
        BoxAnswerer answers;
        Trigger(form, "N9");
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(!form.NewSongCheckBox->isChecked());
        QCOMPARE(form.StringGrid->model()->rowCount(), 2);
        QVERIFY(qv::LoadAllSong(qv::SongListPath()));
        QCOMPARE(qv::AllSongCount, 2);
        QCOMPARE(qv::AllSong[0][qv::colNewMark], std::string());
    }

    void regeneratingPinyinRewritesTheColumn() {
        qv::test::WriteBytes(folder_->File("singer.bin"), qv::ShippedSingerBin());
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             SongListOf({qv::test::SongFields({"00101", "杯愛", "S"})}));
        qv::TMainForm form;
        QCOMPARE(qv::AllSong[0][qv::colPinyin], std::string());
        const std::string expected = qv::MakePinyin(qv::AllSong[0][qv::colSongName], qv::setup::PingYing);
        QVERIFY(!expected.empty());
        BoxAnswerer answers;
        Trigger(form, "N21");
        QCOMPARE(answers.texts, QStringList{"拼音產生完成!"});
        QVERIFY(qv::LoadAllSong(qv::SongListPath()));
        QCOMPARE(qv::AllSong[0][qv::colPinyin], expected);
    }

    void theDeleteButtonDeletesTheSelectedSong() {
        WriteFirstAndLastSongs();
        qv::test::WriteBytes(folder_->File("001/00101.mpg"), "first");
        qv::test::WriteBytes(folder_->File("001/00102.mpg"), "last");
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        {
            BoxAnswerer answers;
            form.DeleteButtonClick();  // nothing selected: nothing asked
            QVERIFY(answers.texts.isEmpty());
        }
        form.StringGrid->setCurrentIndex(form.StringGrid->model()->index(0, qv::colSongName));
        BoxAnswerer answers;
        QTest::mouseClick(form.DeleteButton, Qt::LeftButton);
        QCOMPARE(answers.texts, (QStringList{"注意:此動怍會永遠清除[First]這首歌. 確定要執行?", "刪除完成"}));
        QCOMPARE(qv::AllSongCount, 1);
        QCOMPARE(form.StringGrid->model()->rowCount(), 1);
        QCOMPARE(qv::test::ReadBytes(folder_->File("001/00101.mpg")), std::string("last"));
        QVERIFY(!std::filesystem::exists(folder_->File("001/00102.mpg")));
    }

    // Both engines are slow to start and large; a run that never previews or shows a page starts neither.
    void thePreviewEngineStartsOnTheFirstPreviewAndTheWebEngineNotAtAll() {
        WriteFirstAndLastSongs();
        qv::test::WriteBytes(folder_->File("001/00102.mpg"), "last");
        std::vector<std::string> calls;  // outlives the form, whose player closes as it goes
        int started = 0;
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        QVERIFY(form.MediaPreview);
        QVERIFY(!form.MediaPreview->Player().IsStarted());
        QVERIFY(!LibraryMapped("libQt6WebEngineCore"));

        form.MediaPreview->Player().SetFactory([&] {
            ++started;
            return std::make_unique<qv::test::RecordingPlayer>(calls);
        });
        qv::StopPreview();  // closing what never played starts nothing, nor does a channel change
        QTest::mouseClick(form.MediaPreview->LeftButton, Qt::LeftButton);
        QCOMPARE(started, 0);
        QTRY_COMPARE(form.VisiblePlayButtons().size(), size_t{2});
        QTest::mouseClick(form.VisiblePlayButtons()[1], Qt::LeftButton);
        QCOMPARE(started, 1);
        QVERIFY(form.MediaPreview->Player().IsStarted());
        const std::string item = folder_->File("001") + "/00102.mpg";
        QCOMPARE(calls, (std::vector<std::string>{"balance 0", "play " + item}));
        QTest::mouseClick(form.MediaPreview->RightButton, Qt::LeftButton);
        qv::StopPreview();
        QCOMPARE(started, 1);
        QCOMPARE(calls, (std::vector<std::string>{"balance 0", "play " + item, "balance 100", "close"}));
        QVERIFY(!LibraryMapped("libQt6WebEngineCore"));
    }

    void addingAPictureFolderAsksByNameAndAppendsTheSong() {
        std::filesystem::create_directories(folder_->File("photos/旅行"));
        qv::test::WriteBytes(folder_->File("photos/旅行/a.jpg"), "jpeg");
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.AddPanel->SetFolder(QString::fromStdString(folder_->File("photos/旅行")));
        BoxAnswerer answers;
        QTest::mouseClick(form.AddPanel->addButton, Qt::LeftButton);
        QCOMPARE(answers.texts.value(0), QString("將加入[旅行]資料夾為照片點播. 確定要新增?"));
        QCOMPARE(qv::AllSongCount, 1);
        QCOMPARE(form.StringGrid->model()->rowCount(), 1);
        QCOMPARE(qv::test::ReadBytes(folder_->File("001/00101/a.jpg")), std::string("jpeg"));
        QCOMPARE(qv::AllSong[0][qv::colStrokes],
                 qv::CodesForName(qv::AllSong[0][qv::colSongName], 4).strokes);
        QVERIFY(!qv::AllSong[0][qv::colStrokes].empty());
    }

private:
    // Songs 00101 "First" and 00102 "Last" in the program folder, and their song folder 001 (no media).
    void WriteFirstAndLastSongs() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             SongListOf({qv::test::SongFields({"00101", "First", "Singer"}),
                                         qv::test::SongFields({"00102", "Last", "Singer"})}));
        std::filesystem::create_directory(folder_->File("001"));
    }

    std::unique_ptr<qv::test::ProgramFolder> folder_;
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
