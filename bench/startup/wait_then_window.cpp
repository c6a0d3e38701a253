// The second floor of the start-up timing: what the program's start-up order costs by itself. The wait
// window (262 x 37, its text, alpha 200) is shown and painted at once, closed after a 20 ms pause, and
// only then is an empty main window shown, as the program shows its own after loading the songs.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <QWidget>
#include <QWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("wait then window"));
    window.resize(1024, 700);
    {
        QWidget wait(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        wait.setFixedSize(262, 37);
        QLabel text(QStringLiteral("程式開啟中, 請稍候..."), &wait);
        wait.setWindowOpacity(200.0 / 255.0);
        wait.show();
        QElapsedTimer waited;
        waited.start();
        while (!(wait.windowHandle() && wait.windowHandle()->isExposed()) && waited.elapsed() < 500) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            QThread::msleep(2);
        }
        wait.repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        wait.close();
        QThread::msleep(20);
    }
    window.show();
    return app.exec();
}
