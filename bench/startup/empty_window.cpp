// The floor of the start-up timing: an empty Qt Widgets window with a title, nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("empty window"));
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
