// A signal while the offline book is written abandons it with its work folder, and the end request reaches
// only the run going on: not what the framework delivers during the run's steps. The end request lasts for
// the rest of the process, so the cases run in this order in a program of their own.
#include <QProgressBar>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <map>

#include "app/EndSignals.h"
#include "app/ObrelForm.h"
#include "app/QtUserInterface.h"
#include "catalogue/UserInterface.h"
#include "outputs/HtmlObrel.h"
#include "platform/ServerHosts.h"
#include "support/TempSongLibrary.h"

namespace {

namespace fs = std::filesystem;

// Relative path -> bytes of every file below the folder.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[fs::relative(entry.path(), folder).string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    return files;
}

// Raises SIGTERM from the offline book's progress once the book has moved past its start.
class SignalAtProgress : public QObject {
public:
    bool raised = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || watched->objectName() != "ObrelForm") return false;
        auto* bar = watched->findChild<QProgressBar*>("ProgressBar1");
        connect(bar, &QProgressBar::valueChanged, this, [this](int value) {
            if (value <= 0 || value >= 100 || raised) return;
            raised = true;
            std::raise(SIGTERM);
        });
        return false;
    }
};

}  // namespace

class RunEndTest : public QObject {
    Q_OBJECT

    qv::QtUserInterface ui;
    QObject signalContext;

private slots:
    void initTestCase() {
        qv::SetUserInterface(&ui);
        qv::SetCloudSongBookService({"", "", "", "http://127.0.0.1:9"});
        QVERIFY(qv::CatchEndSignals(&signalContext, [this] { ui.CloseForEnd(); }));
    }
    void cleanupTestCase() { qv::SetUserInterface(nullptr); }

    void aSignalDuringTheOfflineBookAbandonsItAndKeepsTheOldBook() {
        qv::test::TempSongLibrary library;
        library.Fill(qv::test::TempSongLibrary::Numbered(3, "歌", "歌手"));
        QVERIFY(qv::WriteOfflineObrelBook());
        const std::string book = library.Path("obrel");
        const auto before = FilesBelow(book);
        QVERIFY(!before.empty());

        library.Fill(qv::test::TempSongLibrary::Numbered(400, "歌", "歌手"));  // pages enough for the bar to move
        SignalAtProgress signal;
        qApp->installEventFilter(&signal);
        bool abandoned = false;
        try {
            qv::AbandonableRun run;
            qv::N38Click(nullptr);
        } catch (const qv::RunAbandoned&) {
            abandoned = true;
        }
        qApp->removeEventFilter(&signal);

        QVERIFY(signal.raised);
        QVERIFY(qv::EndRequested());
        QVERIFY(abandoned);
        QVERIFY(FilesBelow(book) == before);
        QVERIFY(!fs::exists(book + ".new.tmp"));
        QVERIFY(!fs::exists(book + ".old.tmp"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // The end was asked for by now.
    void onlyTheRunGoingOnMeetsTheEndRequest() {
        QVERIFY(qv::EndRequested());
        int delivered = 0, thrownAtDelivered = 0;
        const auto delivery = [&] {
            ++delivered;
            try {
                qv::UI().SetProgress(1, 10);
                qv::UI().ShowErrorBox("?");
                qv::UI().ProcessEvents();
            } catch (const qv::RunAbandoned&) {
                ++thrownAtDelivered;
            }
        };
        QMetaObject::invokeMethod(qApp, delivery, Qt::QueuedConnection);
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, delivery);
        timer.start(0);

        int abandonedSteps = 0;
        while (delivered < 2) {
            try {
                qv::AbandonableRun run;
                qv::UI().ProcessEvents();
            } catch (const qv::RunAbandoned&) {
                ++abandonedSteps;
            }
        }
        QCOMPARE(thrownAtDelivered, 0);
        QVERIFY(abandonedSteps > 0);
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        // Back in the run, every step throws; outside every run the quiet answers stay.
        QVERIFY_THROWS_EXCEPTION(qv::RunAbandoned, {
            qv::AbandonableRun run;
            qv::UI().SetProgress(5, 10);
        });
        QVERIFY(!qv::UI().AskYesNo("?"));  // outside every run: the quiet answer
    }
};

QTEST_MAIN(RunEndTest)
#include "RunEndTest.moc"
