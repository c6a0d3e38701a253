#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "app/SingerTablePage.h"
#include "catalogue/Big5Codec.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/TempFolder.h"

using qv::TSingerTablePage;
using qv::test::ReadBytes;
using qv::test::WriteBytes;

namespace {

std::string Line(const char* utf8Name, const char* codes) {
    std::string name = qv::Utf8ToBig5(utf8Name);
    name.resize(30, ' ');
    return name + codes + "\r\n";
}

const std::string kTail = std::string(33, '#') + "\r\n065164165\r066\n";

}  // namespace

class SingerTablePageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<qv::test::TempFolder> folder_;
    std::unique_ptr<qv::test::FakeUserInterface> ui_;
    std::unique_ptr<TSingerTablePage> page_;

    std::string Bin() const { return folder_->File("singer.bin"); }
    QTableWidget* Grid() const { return page_->SingerStringGrid; }
    void ClickCell(int row, int column) {
        const QRect cell = Grid()->visualRect(Grid()->model()->index(row, column));
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    template <class Editor>
    Editor* OpenEditor() {
        return Grid()->viewport()->findChild<Editor*>(QString(), Qt::FindChildrenRecursively);
    }

private slots:
    void init() {
        folder_ = std::make_unique<qv::test::TempFolder>();
        ui_ = std::make_unique<qv::test::FakeUserInterface>();
        qv::setup::AppPath = folder_->Path();
        WriteBytes(Bin(), Line("鄧麗君", "1 0") + Line("Beatles", "4 2") + kTail);
        page_ = std::make_unique<TSingerTablePage>();
        page_->resize(800, 500);
        page_->show();
        page_->LoadSingerGrid();
    }
    void cleanup() {
        page_.reset();
        ui_.reset();
        folder_.reset();
    }

    void gridShowsTheSingers() {
        QCOMPARE(Grid()->rowCount(), 2);
        QCOMPARE(Grid()->horizontalHeaderItem(0)->text(), QString("歌手名稱"));
        QCOMPARE(Grid()->columnWidth(0), 256);
        QCOMPARE(Grid()->item(0, 0)->text(), QString("鄧麗君"));
        QCOMPARE(Grid()->item(0, 1)->text(), QString("國語"));
        QCOMPARE(Grid()->item(1, 2)->text(), QString("團體歌手"));
    }

    void nameEditorSavesRefusesAndCancels() {
        ClickCell(1, 0);
        auto* edit = OpenEditor<QLineEdit>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), QString("Beatles"));
        edit->selectAll();
        QTest::keyClicks(edit, "the beatles");
        QTest::keyClick(edit, Qt::Key_Escape);
        QTest::qWait(20);
        QCOMPARE(ReadBytes(Bin()), Line("鄧麗君", "1 0") + Line("Beatles", "4 2") + kTail);

        ClickCell(1, 0);
        edit = OpenEditor<QLineEdit>();
        QVERIFY(edit);
        edit->setText(QString::fromUtf8(" 鄧麗君 "));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(ui_->Texts("error").size(), size_t(1), 60000);
        QCOMPARE(ui_->Texts("error")[0], std::string("已有相同的歌手/團體"));
        // The typed name waits in its editor to be mended.
        QTRY_VERIFY_WITH_TIMEOUT(OpenEditor<QLineEdit>() != nullptr, 60000);
        edit = OpenEditor<QLineEdit>();
        QCOMPARE(edit->text(), QString::fromUtf8(" 鄧麗君 "));
        edit->setText("The Beatles");
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(Grid()->item(1, 0)->text(), QString("The Beatles"), 60000);
        QCOMPARE(ReadBytes(Bin()), Line("鄧麗君", "1 0") + Line("The Beatles", "4 2") + kTail);
    }

    void comboEditorSavesTheChosenName() {
        ClickCell(0, 1);
        auto* box = OpenEditor<QComboBox>();
        QVERIFY(box);
        QCOMPARE(box->currentText(), QString("國語"));
        QCOMPARE(box->count(), 9);
        QTest::keyClick(box, Qt::Key_End);  // "其他", the last item
        QTRY_COMPARE_WITH_TIMEOUT(Grid()->item(0, 1)->text(), QString("其他"), 60000);
        QCOMPARE(ReadBytes(Bin()), Line("鄧麗君", "5 0") + Line("Beatles", "4 2") + kTail);
    }

    void addDeleteAndSearchButtons() {
        page_->SingerEdit->setText(QString::fromUtf8("  林俊傑 "));
        page_->SongClassComboBox->setCurrentText(QString::fromUtf8("國語"));
        page_->SingerSexComboBox->setCurrentText(QString::fromUtf8("男歌手"));
        QTest::mouseClick(page_->AddButton, Qt::LeftButton);
        QCOMPARE(page_->SingerEdit->text(), QString::fromUtf8("林俊傑"));
        QCOMPARE(ui_->Texts("info").back(), std::string("新增完成"));
        QCOMPARE(Grid()->rowCount(), 3);
        QCOMPARE(ReadBytes(Bin()),
                 Line("鄧麗君", "1 0") + Line("Beatles", "4 2") + Line("林俊傑", "1 1") + kTail);

        page_->SingerEdit->setText(QString::fromUtf8("한"));
        QTest::mouseClick(page_->AddButton, Qt::LeftButton);
        QCOMPARE(ui_->Texts("error").back(), std::string("輸入的文字含有Big5無法表示的字元, 請修改後再試!"));
        QCOMPARE(Grid()->rowCount(), 3);

        page_->SearchEdit->setText(" beat ");
        QTest::mouseClick(page_->SearchButton, Qt::LeftButton);
        QCOMPARE(page_->SearchEdit->text(), QString("beat"));
        QCOMPARE(Grid()->currentRow(), 1);
        ui_->answers = {true};
        QTest::mouseClick(page_->DeleteButton, Qt::LeftButton);
        QCOMPARE(ui_->Texts("ask").back(), std::string("確定要從資料庫刪除歌手[Beatles]的資料?"));
        QCOMPARE(ReadBytes(Bin()), Line("鄧麗君", "1 0") + Line("林俊傑", "1 1") + kTail);
        QCOMPARE(Grid()->rowCount(), 2);
    }
};

QTEST_MAIN(SingerTablePageTest)
#include "SingerTablePageTest.moc"
