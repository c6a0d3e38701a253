#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <set>

#include "app/MainForm.h"
#include "app/MainMenu.h"
#include "support/ProgramFolder.h"

using qv::Edition;

// Which commands each edition's main menu keeps.
class MainMenuTest : public QObject {
    Q_OBJECT

    static std::set<QString> Items(qv::TMainForm& form) {
        std::set<QString> names;
        for (QAction* action : form.menuBar()->findChildren<QAction*>())
            if (!action->objectName().isEmpty() && !action->menu()) names.insert(action->objectName());
        return names;
    }

    static std::set<QString> AllItemsBut(std::initializer_list<const char*> removed) {
        std::set<QString> names;
        for (const auto& menu : qv::MainMenuLayout())
            for (const auto& item : menu.items) names.insert(QString::fromUtf8(item.name));
        for (const char* name : removed) names.erase(QString::fromUtf8(name));
        return names;
    }

private slots:
    void fourMenusInOrder() {
        qv::test::ProgramFolder folder;
        qv::TMainForm form(nullptr, Edition::Server);
        QStringList titles;
        for (QAction* action : form.menuBar()->actions()) titles << action->text();
        QCOMPARE(titles, (QStringList{"檔案", "歌簿", "工具", "說明"}));
        QCOMPARE(form.menuBar()->findChild<QMenu*>("N8")->title(), QString("工具"));
    }

    void eachEditionKeepsItsCommands() {
        qv::test::ProgramFolder folder;
        {
            qv::TMainForm form(nullptr, Edition::Standalone);
            QCOMPARE(form.windowTitle(), QString("歌曲管理程式7.2(單機版)"));
            QCOMPARE(Items(form),
                     AllItemsBut({"N24", "N23", "N5001", "QV1", "N14", "N2", "N3", "OK1", "N900GX1", "QV21",
                                  "QV22", "N31", "N27", "N13", "songlisttxtsong1txt1"}));
            QStringList file;
            for (QAction* a : form.menuBar()->findChild<QMenu*>("FileMenu")->actions()) file << a->text();
            QCOMPARE(file, (QStringList{"依範圍匯出歌曲", "關閉"}));
            QStringList help;
            for (QAction* a : form.menuBar()->findChild<QMenu*>("HelpMenu")->actions()) help << a->text();
            QCOMPARE(help, (QStringList{"新增功能說明", "關於歌曲管理程式"}));
        }
        {
            qv::TMainForm form(nullptr, Edition::Advanced);
            QCOMPARE(form.windowTitle(), QString("歌曲管理程式7.2(單機進階版)"));
            QCOMPARE(Items(form), AllItemsBut({"N24", "N23", "N5001", "QV1", "N14", "N900GX1", "QV21", "N31",
                                               "songlisttxtsong1txt1"}));
            for (const char* item : {"N2", "N3", "QV22", "OK1", "N13"})
                QVERIFY2(form.menuBar()->findChild<QAction*>(item)->isEnabled(), item);
        }
        {
            qv::TMainForm form(nullptr, Edition::Server);
            QCOMPARE(form.windowTitle(), QString("歌曲管理程式7.2(Server版)"));
            QCOMPARE(Items(form), AllItemsBut({"N24", "N23", "N5001", "QV1", "N14"}));
            for (const char* item : {"N2", "N3", "QV21", "QV22", "OK1", "N900GX1", "N13", "songlisttxtsong1txt1"})
                QVERIFY2(form.menuBar()->findChild<QAction*>(item)->isEnabled(), item);
        }
    }

    void theZtCommandsGoOnlyWhenTheZtModelIsOff() {
        auto removed = qv::RemovedMenuItems(Edition::Standalone, false);
        QVERIFY(std::count(removed.begin(), removed.end(), "ZT1") == 1);
        QVERIFY(std::count(removed.begin(), removed.end(), "ZT2") == 1);
        removed = qv::RemovedMenuItems(Edition::Advanced, false);
        QVERIFY(std::count(removed.begin(), removed.end(), "ZT1") == 0);
    }

    void theSettingsAndCloseCommandsAreEnabled() {
        qv::test::ProgramFolder folder;
        qv::TMainForm form(nullptr, Edition::Standalone);
        for (const char* item : {"N4", "N11", "N25", "N34", "N38", "ZT1", "ZT2", "XVorelKTV1"})
            QVERIFY2(form.menuBar()->findChild<QAction*>(item)->isEnabled(), item);
    }
};

QTEST_MAIN(MainMenuTest)
#include "MainMenuTest.moc"
