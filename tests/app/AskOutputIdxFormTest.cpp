#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <sqlite3.h>

#include "app/AskOutputIdxForm.h"
#include "app/MainForm.h"
#include "catalogue/SongRecord.h"
#include "settings/Settings.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

using qv::TAskOutputIdxForm;

namespace {

// A settings file with other keys, a comment and Big5 text, which the dialog must keep byte for byte.
const std::string kSettings =
    "; \xB3\x5D\xA9\x77\r\n[Basic Setting]\r\nSongNameFormat=3\r\nIdxFileOutputFormat=5\r\nFirstTime=no\r\n"
    "[Obrel Setting]\r\nLastUpdate=1277256796\r\n";

std::string SettingsWith(const std::string& mask) {
    std::string expected = kSettings;
    expected.replace(expected.find("IdxFileOutputFormat=5"), 21, "IdxFileOutputFormat=" + mask);
    return expected;
}

}  // namespace

class AskOutputIdxFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<qv::test::ProgramFolder> folder_;

    QString Dir() const { return QString::fromStdString(folder_->Path()); }
    std::string Settings() const { return qv::test::ReadBytes(folder_->File("setting.ini")); }

private slots:
    void init() {
        folder_ = std::make_unique<qv::test::ProgramFolder>();
        qv::test::WriteBytes(folder_->File("setting.ini"), kSettings);
    }
    void cleanup() {
        folder_.reset();
        qv::setup::IdxFileOutputFormat = 2;
    }

    void theBoxesShowTheMask() {
        const struct {
            int mask;
            bool zt, vkm, qvi05;
        } cases[] = {{5, true, false, true},
                     {2, false, true, false},
                     {3, true, true, false},
                     {12, false, false, true},
                     {0, false, false, false}};
        for (const auto& c : cases) {
            qv::setup::IdxFileOutputFormat = c.mask;
            TAskOutputIdxForm form;
            QCOMPARE(form.CheckBox1->isChecked(), c.zt);
            QCOMPARE(form.CheckBox2->isChecked(), c.vkm);
            QCOMPARE(form.CheckBox3->isChecked(), c.qvi05);
        }
        TAskOutputIdxForm form;
        QCOMPARE(form.windowTitle(), QString("Confirm"));
        QCOMPARE(form.YesButton->text(), QString("Yes"));
        QCOMPARE(form.NoButton->text(), QString("No"));
    }

    void bothButtonsStoreTheMaskAndNothingElse() {
        qv::setup::IdxFileOutputFormat = 5;
        {
            TAskOutputIdxForm form;
            form.SettingDir = Dir();
            form.show();
            form.CheckBox1->setChecked(false);
            QTest::mouseClick(form.CheckBox2, Qt::LeftButton);
            form.CheckBox3->setChecked(false);
            QTest::mouseClick(form.NoButton, Qt::LeftButton);
            QCOMPARE(form.result(), int(QDialog::Rejected));
        }
        QCOMPARE(qv::setup::IdxFileOutputFormat, 2);
        QCOMPARE(Settings(), SettingsWith("2"));
        {
            TAskOutputIdxForm form;
            form.SettingDir = Dir();
            form.show();
            form.CheckBox1->setChecked(true);
            form.CheckBox3->setChecked(true);
            QTest::mouseClick(form.YesButton, Qt::LeftButton);
            QCOMPARE(form.result(), int(QDialog::Accepted));
        }
        QCOMPARE(qv::setup::IdxFileOutputFormat, 7);
        QCOMPARE(Settings(), SettingsWith("7"));
    }

    // The real close: the question comes up, Yes with only the QVi05 box fills the database.
    void closingAsksAndWritesTheChosenDatabase() {
        qv::test::WriteBytes(folder_->File("song.qv2"),
                             qv::JoinSongRecord(qv::test::SongFields({"00101", "Song", "Singer"})) + "\r\n");
        QStringList boxes;
        bool asked = false;
        QTimer answerer;
        answerer.setInterval(5);
        connect(&answerer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            if (auto* ask = qobject_cast<TAskOutputIdxForm*>(modal)) {
                asked = true;
                ask->CheckBox1->setChecked(false);
                ask->CheckBox2->setChecked(false);
                ask->CheckBox3->setChecked(true);
                QTest::mouseClick(ask->YesButton, Qt::LeftButton);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes << box->text();
                QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
            }
        });
        answerer.start();
        {
            qv::TMainForm form;
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.close());
        }
        QVERIFY(asked);
        QCOMPARE(boxes, QStringList{"QVi05索引檔輸出完成"});
        QCOMPARE(Settings(), SettingsWith("4"));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(folder_->File("000/qvi05.data").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "SELECT song_no || '/' || song_name FROM ktv_song", -1, &st, nullptr),
                 SQLITE_OK);
        QStringList rows;
        while (sqlite3_step(st) == SQLITE_ROW)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        QCOMPARE(rows, QStringList{"00101/Song"});
    }
};

QTEST_MAIN(AskOutputIdxFormTest)
#include "AskOutputIdxFormTest.moc"
