#include "BackgroundCall.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

void callInBackground(const std::function<void()>& call, InputMeanwhile input)
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
    thread->start();
    loop.exec(input == InputMeanwhile::Held ? QEventLoop::ExcludeUserInputEvents
                                            : QEventLoop::AllEvents);
    thread->wait();
    if (error)
        std::rethrow_exception(error);
}
