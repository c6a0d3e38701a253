#pragma once
// Answers the next modal window from inside its own event loop: polls until a modal widget is up, then
// hands it to the callback exactly once. The callback must close the window (click a button).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace qv::test {

inline void WhenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

}  // namespace qv::test
