// Ctrl+C (SIGINT) while a command's box is open: the box closes unanswered, the command is abandoned with its
// staged files, no later box shows and the window closes without its questions. The end request lasts for
// the rest of the process, so this program holds one case.
#include <QMessageBox>
#include <QMenuBar>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "app/EndSignals.h"
#include "app/MainForm.h"
#include "app/QtUserInterface.h"
#include "catalogue/UserInterface.h"
#include "outputs/IndexCommon.h"
#include "support/ProgramFolder.h"
#include "support/SongListFile.h"

namespace {

// Every file below the folder with its contents (the run may leave its empty index folders).
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            names.push_back(entry.path().string() + ":" + qv::test::ReadBytes(entry.path().string()));
    std::sort(names.begin(), names.end());
    return names;
}

// Asks the user from a destructor, as a clean-up while something unwinds might.
struct AsksWhenDestroyed {
    bool& answer;
    ~AsksWhenDestroyed() { answer = qv::UI().AskYesNo("?"); }
};

}  // namespace

class EndRequestTest : public QObject {
    Q_OBJECT
private slots:
    void anInterruptAtABoxAbandonsTheRunAndClosesTheWindow() {
        qv::test::ProgramFolder folder;
        qv::test::WriteBytes(folder.File("song.qv2"), qv::test::PlainSongList({{"00101", "One", "Amy", "1"},
                                                                              {"00102", "Two", "Bob", "1"}}));
        qv::TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        qv::test::WriteBytes(folder.File("000/index.ztx"), "the old index");
        const std::vector<std::string> before = FilesIn(folder.File("000"));
        QVERIFY(qv::CatchEndSignals(&form, [&form] { form.EndNow(); }));

        QStringList boxes;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, [&boxes] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || boxes.contains(box->text())) return;
            boxes << box->text();
            std::raise(SIGINT);  // left open: only the signal may close it
        });
        watch.start();
        qv::IndexPausesEnabled = false;
        form.menuBar()->findChild<QAction*>("ZT2")->trigger();  // no media: a box for the first song
        watch.stop();

        QCOMPARE(boxes, QStringList{"找不到" + QString::fromStdString(folder.File("001/00101*.*"))});
        QVERIFY(qv::EndRequested());
        QVERIFY(!form.isVisible());
        QCOMPARE(FilesIn(folder.File("000")), before);

        // Later boxes are not shown: the next one abandons its run, and one met while unwinding answers no.
        bool answer = true;
        QVERIFY_THROWS_EXCEPTION(qv::RunAbandoned, {
            qv::AbandonableRun run;
            AsksWhenDestroyed ask{answer};
            qv::UI().ShowErrorBox("!");
        });
        QVERIFY(!answer);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        // Outside every run (a panel's own handler) a box answers no without throwing through the framework.
        answer = true;
        answer = qv::UI().AskYesNo("?");
        QVERIFY(!answer);
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        // A second signal, once the end was asked for, ends the process at once (here a child's).
        const pid_t child = ::fork();
        if (child == 0) {
            std::raise(SIGINT);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGINT);
    }
};

QTEST_MAIN(EndRequestTest)
#include "EndRequestTest.moc"
