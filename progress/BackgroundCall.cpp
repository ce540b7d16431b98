#include "BackgroundCall.h"

#include "ServerWaitDialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <exception>
#include <memory>

void callInBackground(const std::function<void()>& call, InputMeanwhile input,
                      const ServerWait* wait)
{
    std::exception_ptr error;
    std::unique_ptr<QThread> thread(QThread::create([&call, &error] {
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    // The wait is looked at now and then; once it is long the window shows it. Its own
    // modal loop takes input: Cancel, while the other windows stay blocked.
    QTimer watch;
    QPointer<TServerWaitDialog> shown;
    if (wait) {
        watch.setInterval(100);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (shown || wait->waitedFor() < kWaitShownAfter)
                return;
            watch.stop();
            TServerWaitDialog dialog(wait->waitingFor, QApplication::activeWindow());
            shown = &dialog;
            QObject::connect(thread.get(), &QThread::finished, &dialog, &QDialog::accept);
            QObject::connect(&dialog, &TServerWaitDialog::cancelRequested,
                             [wait] { wait->abandon(); });
            if (!thread->isFinished())
                dialog.exec();
        });
        watch.start();
    }
    thread->start();
    loop.exec(input == InputMeanwhile::Held ? QEventLoop::ExcludeUserInputEvents
                                            : QEventLoop::AllEvents);
    watch.stop();
    thread->wait();
    if (error)
        std::rethrow_exception(error);
}
