#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace platform {

void QtEventPump::waitWhile(const std::function<bool()>& busy) {
    // A slow heartbeat makes sure the predicate is looked at again even when the state it
    // reads changed without an event of its own.
    QTimer heartbeat;
    heartbeat.setInterval(50);
    heartbeat.start();
    while (busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace platform
