#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

#include "app/MainForm.h"
#include "catalogue/SongOrder.h"
#include "catalogue/SongTable.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

using qv::test::TestSong;

namespace {

// A song with extra marks: column -> value.
std::string Record(const TestSong& song, std::initializer_list<std::pair<int, const char*>> marks = {}) {
    qv::FieldList f = qv::test::SongFields(song);
    for (auto [column, value] : marks) f[column] = value;
    return qv::JoinSongRecord(f) + "\r\n";
}

}  // namespace

// The song list view: filters, header sorts, marks, play buttons and drawing.
class SongListViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<qv::test::ProgramFolder> folder_;
    std::unique_ptr<qv::TMainForm> form_;

    void Start(const std::string& songList) {
        qv::test::WriteBytes(folder_->File("song.qv2"), songList);
        form_ = std::make_unique<qv::TMainForm>();
        form_->resize(1000, 700);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    QString Cell(int row, int column) const {
        return form_->StringGrid->model()->index(row, column).data().toString();
    }
    int Rows() const { return form_->StringGrid->model()->rowCount(); }
    QStringList Column(int column) const {
        QStringList out;
        for (int r = 0; r < Rows(); ++r) out << Cell(r, column);
        return out;
    }
    void ClickHeader(int column) {
        QHeaderView* header = form_->StringGrid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

private slots:
    void init() { folder_ = std::make_unique<qv::test::ProgramFolder>(); }
    void cleanup() {
        form_.reset();
        folder_.reset();
    }

    void showsEverySongWithTitlesWidthsAndShading() {
        Start(Record({"00101", "甲", "A"},
                     {{qv::colVolume, "B"}, {qv::colChannel, "0"}, {qv::colNewMark, "@"}}) +
              Record({"00102", "乙", "B", "5"}) + Record({"00103", "丙", "C", "6"}));
        QCOMPARE(Rows(), 3);
        QCOMPARE(form_->StringGrid->model()->headerData(0, Qt::Horizontal).toString(), QString("歌號"));
        QCOMPARE(form_->StringGrid->model()->headerData(22, Qt::Horizontal).toString(), QString("刪"));
        QCOMPARE(form_->StringGrid->columnWidth(0), 39);  // offscreen screens are 96 dpi
        QCOMPARE(form_->StringGrid->columnWidth(1), 164);
        QCOMPARE(Cell(0, qv::colVolume), QString("11"));
        QCOMPARE(Cell(0, qv::colChannel), QString("左"));
        QCOMPARE(Cell(0, qv::colNewMark), QString("◎"));
        QCOMPARE(Cell(1, qv::colLanguage), QString("其他"));
        // Grid rows 2, 4, ... (model rows 1, 3, ...) are shaded.
        auto background = [&](int row) {
            return form_->StringGrid->model()->index(row, 3).data(Qt::BackgroundRole);
        };
        QVERIFY(!background(0).isValid());
        QCOMPARE(background(1).value<QBrush>().color(), QColor(0xE0, 0xE0, 0xE0));
        QVERIFY(!background(2).isValid());
    }

    void theLanguageFilterMapsItsItems() {
        Start(Record({"00101", "A", "S"}) + Record({"00102", "B", "S", "5"}) +
              Record({"00103", "C", "S", "6"}) + Record({"00104", "D", "S", "9"}));
        form_->SearchEdit->setText("x");
        form_->ShowOnlyComboBox->setCurrentIndex(9);  // "只顯示其他歌"
        QCOMPARE(Column(0), QStringList{"00102"});
        QVERIFY(form_->SearchEdit->text().isEmpty());
        form_->ShowOnlyComboBox->setCurrentIndex(5);  // "只顯示日語歌"
        QCOMPARE(Column(0), QStringList{"00103"});
        form_->ShowOnlyComboBox->setCurrentIndex(8);  // "只顯示兒歌"
        QCOMPARE(Column(0), QStringList{"00104"});
        form_->ShowOnlyComboBox->setCurrentIndex(0);
        QCOMPARE(Rows(), 4);
    }

    void collectionsSearchAndMarkFilters() {
        Start(Record({"00101", "Rain", "S"}, {{qv::colDomesticPhoto, "*"}}) +
              Record({"00102", "Sun", "S"}, {{qv::colForeignPhoto, "*"}, {qv::colSelfPlay, "*"}}) +
              Record({"00103", "Rainbow", "S"}, {{qv::colSpecialDel, "X"}, {qv::colNewMark, "*"}}));
        form_->FavorComboBox->setCurrentIndex(5);  // column 15, titled "國內照"
        QCOMPARE(Column(0), QStringList{"00101"});
        form_->FavorComboBox->setCurrentIndex(6);
        QCOMPARE(Column(0), QStringList{"00102"});
        form_->FavorComboBox->setCurrentIndex(0);
        form_->SearchEdit->setText("rain");
        QTest::mouseClick(form_->SearchButton, Qt::LeftButton);
        QCOMPARE(Column(0), (QStringList{"00101", "00103"}));
        form_->SpecialDelCheckBox->setChecked(true);
        QCOMPARE(Column(0), (QStringList{"00103"}));  // the search text went with the change
        form_->SpecialDelCheckBox->setChecked(false);
        form_->NewSongCheckBox->setChecked(true);
        QCOMPARE(Column(0), (QStringList{"00103"}));
        form_->NewSongCheckBox->setChecked(false);
        form_->SelectOnlyCheckBox->setChecked(true);
        QCOMPARE(Column(0), (QStringList{"00102"}));
    }

    void eachLabelTogglesItsOwnFilter() {
        Start(Record({"00101", "A", "S"}, {{qv::colSelfPlay, "*"}}) + Record({"00102", "B", "S"}));
        const std::vector<std::pair<QLabel*, QCheckBox*>> pairs{{form_->Label10, form_->SelectOnlyCheckBox},
                                                                {form_->Label11, form_->SpecialDelCheckBox},
                                                                {form_->Label12, form_->NewSongCheckBox}};
        for (auto [label, box] : pairs) {
            QTest::mouseClick(label, Qt::LeftButton);
            for (auto [otherLabel, other] : pairs) QCOMPARE(other->isChecked(), other == box);
            QTest::mouseClick(label, Qt::LeftButton);
            QVERIFY(!box->isChecked());
        }
        QTest::mouseClick(form_->Label10, Qt::LeftButton);
        QCOMPARE(Column(0), QStringList{"00101"});  // the box's own change refreshed the view
    }

    void headerClicksCycleThroughThreeOrders() {
        // Two "Moon" songs form the largest group; "sun" and "Sun" differ in case and are groups of one.
        Start(Record({"00101", "Sun", "S"}) + Record({"00102", "Moon", "S"}) + Record({"00103", "sun", "S"}) +
              Record({"00104", "Moon", "S"}) + Record({"00105", "Star", "S"}));
        ClickHeader(qv::colSongName);
        QCOMPARE(qv::NameSortState, 1);
        QCOMPARE(Column(1).mid(0, 2), (QStringList{"Moon", "Moon"}));
        ClickHeader(qv::colSongName);
        QCOMPARE(qv::NameSortState, 2);
        QCOMPARE(Column(1), (QStringList{"Moon", "Moon", "Star", "Sun", "sun"}));
        ClickHeader(qv::colSongName);
        QCOMPARE(qv::NameSortState, 0);
        QCOMPARE(Column(0), (QStringList{"00101", "00102", "00103", "00104", "00105"}));
        ClickHeader(qv::colSongName);
        form_->FavorComboBox->setCurrentIndex(0);
        form_->ShowOnlyComboBox->setCurrentIndex(1);  // a filter change starts the cycle again
        QCOMPARE(qv::NameSortState, 0);
        ClickHeader(qv::colSinger);
        QCOMPARE(qv::SingerSortState, 1);
        ClickHeader(qv::colLanguage);
        QCOMPARE(qv::ClassSortState, 1);
        QCOMPARE(qv::SingerSortState, 1);  // the other buttons keep their states
        ClickHeader(qv::colPinyin);
        QCOMPARE(qv::NameSortState + qv::SingerSortState + qv::ClassSortState, 2);
    }

    void selectionButtonsMarkEverySong() {
        Start(Record({"00101", "A", "S"}) + Record({"00102", "B", "S"}, {{qv::colSelfPlay, "*"}}));
        form_->SelectOnlyCheckBox->setChecked(true);
        QTest::mouseClick(form_->AntiSelectButton, Qt::LeftButton);
        for (const qv::SongRow& row : qv::AllSong)
            QCOMPARE(row[qv::colSelect], std::string("*"));  // hidden too
        QCOMPARE(Cell(0, qv::colSelect), QString("*"));
        QTest::mouseClick(form_->ClearSelectButton, Qt::LeftButton);
        for (const qv::SongRow& row : qv::AllSong) QVERIFY(row[qv::colSelect].empty());
    }

    void playButtonsFollowTheVisibleRows() {
        std::string list;
        for (int i = 1; i <= 150; ++i) {
            char number[6];
            std::snprintf(number, sizeof number, "%03d%02d", 1 + (i - 1) / 80, 1 + (i - 1) % 80);
            list += Record({number, "Song " + std::to_string(i), "S"});
        }
        Start(list);
        form_->resize(1000, 3000);  // more than 100 rows on screen
        QTRY_COMPARE_WITH_TIMEOUT(form_->VisiblePlayButtons().size(), size_t(100), 60000);
        QCOMPARE(form_->VisiblePlayButtons().front()->text(), QString("00101"));
        QCOMPARE(form_->VisiblePlayButtons().front()->toolTip(), QString("播放歌曲[Song 1]"));
        QCOMPARE(form_->findChildren<QPushButton*>(QRegularExpression("^p\\d+$")).size(), 100);

        form_->resize(1000, 500);
        QTRY_VERIFY_WITH_TIMEOUT(form_->VisiblePlayButtons().size() < 100, 60000);
        form_->StringGrid->verticalScrollBar()->setValue(10);
        QCOMPARE(form_->VisiblePlayButtons().front()->text(), Cell(form_->StringGrid->rowAt(0), 0));
        QVERIFY(form_->VisiblePlayButtons().front()->text() != QString("00101"));

        form_->SearchEdit->setText("no such song");
        QTest::mouseClick(form_->SearchButton, Qt::LeftButton);
        QVERIFY(form_->VisiblePlayButtons().empty());
    }
};

QTEST_MAIN(SongListViewTest)
#include "SongListViewTest.moc"
