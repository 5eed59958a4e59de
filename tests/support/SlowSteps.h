#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "platform/FileSteps.h"

namespace testsupport {

// A disk on which each step of a kind (of the paths that contain `pathPart`) lasts until the
// window's event loop has gone round (`mostMs` at most): a step taken on the window thread
// holds it, and is seen so. The thread of each such step is recorded. The watcher sees one
// step at a time: a step the window thread takes meanwhile waits for the slow one.
class SlowSteps {
  public:
    explicit SlowSteps(platform::FileStep slow, QString pathPart = QString(), int mostMs = 5000) {
        QObject::connect(&tick_, &QTimer::timeout, [this] { ticked_ = true; });
        tick_.start(0);
        platform::setFileStepWatcher(
            [this, slow, pathPart, mostMs](platform::FileStep step, const QString& path) {
                if (step != slow || !path.contains(pathPart)) return 0;
                ++steps_;
                if (QThread::currentThread() == QCoreApplication::instance()->thread())
                    ++onWindowThread_;
                ticked_ = false;
                QElapsedTimer waited;
                waited.start();
                while (!ticked_ && !waited.hasExpired(mostMs))
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
