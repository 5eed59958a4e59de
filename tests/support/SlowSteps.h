#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "platform/FileSteps.h"

namespace testsupport {

// A disk on which each step of a kind lasts until the window's event loop has gone round
// (5 s at most): a step taken on the window thread holds it, and is seen so. The thread of
// each such step is recorded.
class SlowSteps {
  public:
    explicit SlowSteps(platform::FileStep slow) {
        QObject::connect(&tick_, &QTimer::timeout, [this] { ticked_ = true; });
        tick_.start(0);
        platform::setFileStepWatcher([this, slow](platform::FileStep step, const QString&) {
            if (step != slow) return 0;
            ++steps_;
            if (QThread::currentThread() == QCoreApplication::instance()->thread())
                ++onWindowThread_;
            ticked_ = false;
            QElapsedTimer waited;
            waited.start();
            while (!ticked_ && !waited.hasExpired(5000))
                QThread::msleep(1);
            if (!ticked_) ++windowHeld_;
            return 0;
        });
    }
    ~SlowSteps() { platform::setFileStepWatcher({}); }
    SlowSteps(const SlowSteps&) = delete;
    SlowSteps& operator=(const SlowSteps&) = delete;

    int steps() const { return steps_; }
    int onWindowThread() const { return onWindowThread_; }
    // The steps during which the window's events did not go on.
    int windowHeld() const { return windowHeld_; }

  private:
    QTimer tick_;
    std::atomic<bool> ticked_{false};
    std::atomic<int> steps_{0}, onWindowThread_{0}, windowHeld_{0};
};

}  // namespace testsupport
