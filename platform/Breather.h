#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace platform {

// Lets the window's events through now and then while a long piece of work runs on the
// window's thread: often enough to keep the windows drawn and the timers running, seldom enough
// not to slow the work down. Called as often as the work likes (a row, a line); it looks at the
// clock and lets the events through once the interval has passed since the last time.
class Breather {
  public:
    explicit Breather(int intervalMs = 30,
                      QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents)
        : intervalMs_(intervalMs), flags_(flags) {
        since_.start();
    }
    void operator()() {
        if (since_.elapsed() < intervalMs_) return;
        QCoreApplication::processEvents(flags_);
        since_.restart();
    }

  private:
    int intervalMs_;
    QEventLoop::ProcessEventsFlags flags_;
    QElapsedTimer since_;
};

}  // namespace platform
