// Saves a picture of the whole X screen (the display of the environment) as PNG: screenshot <file.png>.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2 || !QGuiApplication::primaryScreen()) return 2;
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0
                                                                                                        : 1;
}
