// The song grid's texts against its column widths, at 96 and 120 dots per inch.
#include <QHeaderView>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTableView>
#include <QtTest>

#include "app/MainForm.h"
#include "app/SongGridModel.h"
#include "catalogue/SongRecord.h"
#include "catalogue/SongTable.h"
#include "library/Startup.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

namespace {

// Songs with the widest short texts each column holds: every singer class and language, ten-letter codes
// of wide letters, two-digit counts, the largest volume and the latest kind of date.
std::string WideSongs() {
    std::string out;
    for (int i = 0; i < 40; ++i) {
        qv::FieldList f =
            qv::test::SongFields({"001" + QString::number(i + 1).rightJustified(2, '0').toStdString(), "歌名",
                                  "歌手", std::to_string(1 + i % 9), std::to_string(1 + i % 8)});
        f[qv::colPinyin] = i % 2 ? "WMWMWMWMWM" : "MMMMMMMMMM";
        f[qv::colWordCount] = "11";
        f[qv::colSingerPriority] = "8";
        f[qv::colStrokes] = "48";
        f[qv::colNewMark] = i % 2 ? "@" : "*";
        f[qv::colVolume] = "F";
        f[qv::colChannel] = i % 2 ? "0" : "1";
        f[qv::colDateAdded] = "2026/12/28";
        out += qv::JoinSongRecord(f) + "\r\n";
    }
    return out;
}

int TextSpace(const QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

}  // namespace

class GridLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void theColumnsHoldTheirTextsAt96And120Dpi() {
        qv::test::ProgramFolder folder;
        qv::test::WriteBytes(folder.File("song.qv2"), WideSongs());
        qv::TMainForm form;
        form.resize(1600, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTableView* grid = form.StringGrid;
        QCOMPARE(grid->model()->rowCount(), 40);
        const int indent = qv::SongGridCellDelegate::TextIndent + 1;
        for (int dpi : {96, 120}) {
            qv::ScreenDpi = dpi;
            form.LayoutForScreenDpi();
            QCOMPARE(QFontInfo(grid->font()).family(),
                     QString("AR PL UMing TW"));  // installed, not a stand-in
            QCOMPARE(QFontInfo(grid->font()).pixelSize(), 12 * dpi / 96);
            const QFontMetrics cells(grid->font()), titles(grid->horizontalHeader()->font());
            QHeaderView* header = grid->horizontalHeader();
            const int titleMargin =
                2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int c = 0; c < qv::GridColCount; ++c) {
                const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(titles.horizontalAdvance(title) + titleMargin <= grid->columnWidth(c),
                         qPrintable(title));
                if (c == qv::colSongName || c == qv::colSinger) continue;  // names may be cut
                for (int r = 0; r < 40; ++r) {
                    const QString text = grid->model()->index(r, c).data().toString();
                    QVERIFY2(cells.horizontalAdvance(text) + indent <= grid->columnWidth(c),
                             qPrintable(QString("%1 dpi, %2: %3").arg(dpi).arg(title, text)));
                }
            }
            // The widths made for the old face stand wherever they hold their texts.
            QCOMPARE(grid->columnWidth(qv::colDeleteSelect), 20 * dpi / 96);
            QCOMPARE(grid->columnWidth(qv::colSongNo), 39 * dpi / 96);
            QCOMPARE(grid->columnWidth(qv::colSongName), 164 * dpi / 96);
            QCOMPARE(grid->columnWidth(qv::colSingerClass), 52 * dpi / 96);
            QVERIFY(grid->columnWidth(qv::colPinyin) > 28 * dpi / 96);  // grown to ten letters

            QTRY_VERIFY_WITH_TIMEOUT(!form.VisiblePlayButtons().empty(), 60000);
            for (QPushButton* button : form.VisiblePlayButtons()) {
                QCOMPARE(button->width(), grid->columnWidth(qv::colSongNo));
                QVERIFY2(QFontMetrics(button->font()).horizontalAdvance(button->text()) <= TextSpace(button),
                         qPrintable(button->text()));
            }
        }
        qv::ScreenDpi = 96;
    }
};

QTEST_MAIN(GridLayoutTest)
#include "GridLayoutTest.moc"
