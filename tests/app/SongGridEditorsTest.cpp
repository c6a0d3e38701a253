// The cell editors over a grid like the main window's: a table view over AllSong through ShownRows.
#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include "app/FormSupport.h"
#include "app/SongGridEditors.h"
#include "app/SongGridModel.h"
#include "catalogue/CharTw.h"
#include "catalogue/SongOrder.h"
#include "support/FakeUserInterface.h"
#include "support/TempSongLibrary.h"

using namespace qv;

namespace {

class SongModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(ShownRows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return GridColCount; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == SongRowRole) return ShownRows[index.row()] < AllSongCount ? ShownRows[index.row()] : -1;
        if (role != Qt::DisplayRole) return {};
        return FromBig5(DisplayCell(ShownRows[index.row()], index.column()));
    }
};

std::string Field(const std::string& record, int column) {
    return TrimTrailingBlanks(record.substr(SongFieldStart[column] - 1, SongFieldWidths[column]));
}

}  // namespace

class SongGridEditorsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::FakeUserInterface> ui;
    std::unique_ptr<test::TempSongLibrary> lib;
    std::unique_ptr<SongModel> model;
    std::unique_ptr<QTableView> grid;
    SongGridEditors* editors = nullptr;

    void Click(int row, int column) {
        const QRect cell = grid->visualRect(model->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    template <class Editor>
    Editor* OpenEditor(int row, int column) {
        grid->setCurrentIndex(model->index(row, column));
        Click(row, column);
        auto* editor = qobject_cast<Editor*>(editors->Editor());
        if (editor) editor->setFocus();
        return editor;
    }

private slots:
    void init() {
        ui = std::make_unique<test::FakeUserInterface>();
        lib = std::make_unique<test::TempSongLibrary>();
        lib->Fill({test::TempSongLibrary::Song("00101", "Love", "Amy", "4", "4"),
                   test::TempSongLibrary::Song("00102", "Rain", "Bob", "4", "1")});
        model = std::make_unique<SongModel>();
        grid = std::make_unique<QTableView>();
        grid->setModel(model.get());
        grid->resize(900, 300);
        editors = new SongGridEditors(grid.get());
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        grid->activateWindow();
    }
    void cleanup() {
        grid.reset();
        model.reset();
        lib.reset();
        ui.reset();
    }

    void markClickIsStoredInTheSongList() {
        Click(0, colNewMark);
        QCOMPARE(Field(lib->Record(0), colNewMark), std::string("*"));
        Click(1, colSelect);
        QCOMPARE(AllSong[1][colSelect], std::string("*"));
        QVERIFY(editors->Editor() == nullptr);
    }

    void nameEditorStoresWhenLeft() {
        auto* edit = OpenEditor<QLineEdit>(1, colSongName);
        QVERIFY(edit);
        QCOMPARE(edit->objectName(), QString("edit_create2"));
        QCOMPARE(edit->text(), QString("Rain"));
        edit->setText(QString::fromUtf8("一 Rain"));
        edit->clearFocus();
        QVERIFY(editors->Editor() == nullptr);
        QCOMPARE(Field(lib->Record(1), colSongName), Utf8ToBig5("一 Rain"));
        QCOMPARE(Field(lib->Record(1), colStrokes), std::string("1"));
    }

    void pinyinCellTakesTenCapitalLettersAndEscapeDiscards() {
        auto* edit = OpenEditor<QLineEdit>(0, colPinyin);
        QVERIFY(edit);
        QTest::keyClicks(edit, "ab1c-d");
        QCOMPARE(edit->text(), QString("ABCD"));
        QTest::keyClicks(edit, "efghijklm");
        QCOMPARE(edit->text(), QString("ABCDEFGHIJ"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString("ABCDEFGHI"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(editors->Editor() == nullptr);
        QCOMPARE(AllSong[0][colPinyin], std::string());
        QCOMPARE(Field(lib->Record(0), colPinyin), std::string());
    }

    void channelBoxRenamesTheMediaItem() {
        lib->AddMedia("00101.mpg");
        auto* combo = OpenEditor<QComboBox>(0, colChannel);
        QVERIFY(combo);
        QCOMPARE(combo->objectName(), QString("combo_create0018000001"));
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 0);
        combo->setCurrentIndex(2);
        combo->clearFocus();
        QVERIFY(editors->Editor() == nullptr);
        QCOMPARE(Field(lib->Record(0), colChannel), std::string("1"));
        QCOMPARE(lib->FolderEntries("001"), std::vector<std::string>{"0010191.mpg"});
        QVERIFY(ui->shown.empty());
    }

    void escapedBoxIsFreedUnstored() {
        lib->AddMedia("00101.mpg");
        auto* combo = OpenEditor<QComboBox>(0, colVolume);
        QVERIFY(combo);
        combo->setCurrentIndex(5);
        QTest::keyClick(combo, Qt::Key_Escape);
        QVERIFY(editors->Editor() == combo);  // freed by the timer, not at once
        combo->clearFocus();                  // leaving meanwhile stores nothing either
        QTRY_VERIFY_WITH_TIMEOUT(editors->Editor() == nullptr, 60000);
        QCOMPARE(AllSong[0][colVolume], std::string());
        QCOMPARE(lib->FolderEntries("001"), std::vector<std::string>{"00101.mpg"});
    }

    void boxOfACellNoLongerCurrentStoresNothing() {
        auto* combo = OpenEditor<QComboBox>(1, colSingerClass);
        QVERIFY(combo);
        combo->setCurrentIndex(0);
        grid->selectionModel()->setCurrentIndex(model->index(0, colSongNo), QItemSelectionModel::NoUpdate);
        combo->clearFocus();
        QVERIFY(editors->Editor() == nullptr);
        QCOMPARE(AllSong[1][colSingerClass], std::string("1"));
        QCOMPARE(LastChosenClass, -1);
    }

    void classChoiceIsRememberedUntilTheTimerFires() {
        auto* combo = OpenEditor<QComboBox>(1, colSingerClass);
        QVERIFY(combo);
        combo->setCurrentIndex(3);
        combo->clearFocus();
        QCOMPARE(AllSong[1][colSingerClass], std::string("4"));
        QCOMPARE(LastChosenClass, 4);
        QVERIFY(editors->KillLastSelectTimer().isActive());
        QCOMPARE(editors->KillLastSelectTimer().interval(), 60000);
        editors->KillLastSelectTimer().setInterval(10);
        editors->KillLastSelectTimer().start();
        QTRY_COMPARE_WITH_TIMEOUT(LastChosenClass, -1, 60000);
    }
};

QTEST_MAIN(SongGridEditorsTest)
#include "SongGridEditorsTest.moc"
