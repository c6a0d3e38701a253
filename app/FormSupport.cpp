#include "app/FormSupport.h"
#include "app/QtUserInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include "catalogue/Big5Codec.h"

namespace qv {

QString FromBig5(std::string_view big5) { return QString::fromStdString(Big5ToUtf8(big5)); }

std::string ToBig5(const QString& text) { return Utf8ToBig5(text.toStdString()); }

QString MessageText(std::string_view big5) {
    QString in = FromBig5(big5), out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        QChar c = in[i];
        if (c == u'\r' || c == u'\n') {
            QChar pair = c == u'\r' ? u'\n' : u'\r';
            if (i + 1 < in.size() && in[i + 1] == pair) ++i;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void ShowAndPaintNow(QWidget* window) {
    AbandonableRun::Outside outside;
    window->show();
    window->raise();
    // The window system maps the window asynchronously; wait briefly for it, or painting has nowhere to go.
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) && waited.elapsed() < 500) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(2);
    }
    window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qv
