#include "platform/Waiting.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace platform {

void RunOffWindowThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        // Wakes the wait below, which sleeps until an event comes.
        QMetaObject::invokeMethod(
            app, [] {}, Qt::QueuedConnection);
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    if (error) std::rethrow_exception(error);
}

}  // namespace platform
