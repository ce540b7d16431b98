// Drives modal dialogs from Qt tests: the handler runs once the dialog is shown.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `handle` on the next modal widget once it is shown. When none shows within the
// deadline the watch ends with a warning, so that a test whose dialog never comes fails
// on its own assertions instead of driving a later test's dialog.
inline void whenModal(std::function<void(QWidget*)> handle, int deadlineMs = 30000)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    const QDeadlineTimer deadline(deadlineMs);
    QObject::connect(timer, &QTimer::timeout, [timer, handle, deadline] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handle(modal);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            qWarning("whenModal: no modal dialog showed before the deadline");
        }
    });
    timer->start();
}
