#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app/AddSongPanel.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "catalogue/SingerTable.h"
#include "catalogue/SongTable.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"

using qv::AddSongPanel;

class AddSongPanelTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static QString U(const char* utf8) { return QString::fromUtf8(utf8); }
    void Touch(const QString& name) { std::ofstream((dir.path() + "/src/" + name).toStdString()) << "media"; }

private slots:
    void init() {
        qv::LibraryRoot = qv::AppDir = (dir.path() + "/lib").toStdString();
        std::filesystem::create_directories(qv::LibraryRoot + "/000");
        std::filesystem::create_directories((dir.path() + "/src").toStdString());
        qv::AllSong.clear();
        qv::AllSongCount = 0;
        qv::ShownRows.clear();
        qv::SingerDisplayList.clear();
        qv::SingerDisplayLanguages.clear();
        qv::AddSingerDisplayEntry(qv::Utf8ToBig5("張三"), 1, 3);
        qv::setup::SongNameFormat = 1;
    }

    void typingANameFillsItsCodes() {
        AddSongPanel panel;
        panel.songNameEdit->insert(U("一二三四五六七八九十百"));
        QCOMPARE(panel.lineMaskEdit->text(), U("1"));
        QCOMPARE(panel.wordCombo->currentText(), U("十字部以上"));
        panel.songNameEdit->clear();
        QCOMPARE(panel.lineMaskEdit->text(), QString());
        QCOMPARE(panel.wordCombo->currentIndex(), 0);
    }

    void singerClassButtonsTickTheirOwnClass() {
        AddSongPanel panel;
        QCOMPARE(panel.sexGroup->buttons().size(), 8);
        QCOMPARE(panel.classGroup->buttons().size(), 9);
        auto* duet = qobject_cast<QRadioButton*>(panel.sexGroup->button(5));
        QCOMPARE(duet->text(), U("雙人對唱"));
        QTest::mouseClick(duet, Qt::LeftButton, {}, QPoint(20, duet->height() / 2));
        QCOMPARE(panel.sexGroup->checkedId(), 5);
        panel.SetSexIndex(8);
        QCOMPARE(panel.sexGroup->checkedId(), -1);
    }

    void choosingASingerSetsClassAndLanguage() {
        AddSongPanel panel;
        panel.singerEdit->insert(U("張"));
        QCOMPARE(panel.singerCombo->count(), 1);
        QCOMPARE(panel.singerCombo->itemText(0), U("張三(男歌手)"));
        emit panel.singerCombo->activated(0);
        QCOMPARE(panel.singerEdit->text(), U("張三"));
        QCOMPARE(panel.sexGroup->checkedId(), 0);
        QCOMPARE(panel.classGroup->checkedId(), 2);
    }

    void clickingAFileFillsTheFieldsAndAddAddsIt() {
        qv::test::FakeUserInterface ui;
        Touch(U("情歌_張三_女_台語.mpg"));
        AddSongPanel panel;
        panel.SetFolder(dir.path() + "/src");
        QTRY_COMPARE_WITH_TIMEOUT(panel.fileList->model()->rowCount(panel.fileList->rootIndex()), 1, 60000);
        const QModelIndex first = panel.fileList->model()->index(0, 0, panel.fileList->rootIndex());
        panel.fileList->setCurrentIndex(first);
        emit panel.fileList->clicked(first);
        QCOMPARE(panel.songNameEdit->text(), U("情歌"));
        QCOMPARE(panel.singerEdit->text(), U("張三"));
        QCOMPARE(panel.sexGroup->checkedId(), 1);
        QCOMPARE(panel.classGroup->checkedId(), 1);
        QCOMPARE(panel.SelectedFiles().size(), 1);

        QTest::mouseClick(panel.addButton, Qt::LeftButton);
        QCOMPARE(qv::AllSongCount, 1);
        QVERIFY(std::filesystem::exists(qv::LibraryRoot + "/001/00101.mpg"));
        QCOMPARE(QString::fromStdString(ui.Texts("line").back()), U("[情歌] 新增完成"));
        QVERIFY(panel.songNameEdit->text().isEmpty());
    }

    void theFileListStartsInTheCurrentFolder() {
        const QString start = dir.path() + "/start";
        std::filesystem::create_directories(start.toStdString());
        std::ofstream((start + "/" + U("情歌_張三.mpg")).toStdString()) << "media";
        const QString before = QDir::currentPath();
        QDir::setCurrent(start);
        AddSongPanel panel;
        QDir::setCurrent(before);
        QCOMPARE(panel.Folder(), start);
        QTRY_COMPARE_WITH_TIMEOUT(panel.fileList->model()->rowCount(panel.fileList->rootIndex()), 1, 60000);
        const QModelIndex only = panel.fileList->model()->index(0, 0, panel.fileList->rootIndex());
        QCOMPARE(only.data().toString(), U("情歌_張三.mpg"));
        panel.fileList->setCurrentIndex(only);
        QCOMPARE(panel.SelectedFiles(), QStringList{start + "/" + U("情歌_張三.mpg")});
    }

    void selectAllGivesEachFileOnce() {
        const QStringList names{U("甲_張三.mpg"), U("乙_張三.mpg"), U("丙_張三.mpg")};
        const QString folder = dir.path() + "/all";
        std::filesystem::create_directories(folder.toStdString());
        for (const QString& name : names) std::ofstream((folder + "/" + name).toStdString()) << "media";
        AddSongPanel panel;
        panel.SetFolder(folder);
        QTRY_COMPARE_WITH_TIMEOUT(panel.fileList->model()->rowCount(panel.fileList->rootIndex()), 3, 60000);
        panel.fileList->setFocus();
        QTest::keyClick(panel.fileList, Qt::Key_A, Qt::ControlModifier);
        const QStringList selected = panel.SelectedFiles();
        QCOMPARE(selected.size(), 3);
        for (const QString& name : names) QVERIFY(selected.contains(folder + "/" + name));
        QCOMPARE(panel.State().selectedFiles.size(), std::size_t{3});
    }
};

QTEST_MAIN(AddSongPanelTest)
#include "AddSongPanelTest.moc"
