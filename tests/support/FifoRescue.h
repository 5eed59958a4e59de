#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace testsupport {

// While it lives, a FIFO that a reader waits on in its open is opened for writing after a few
// seconds, again and again, so that a reader stuck there gets free: a test of a reader that must
// never wait fails instead of hanging. finish() tells whether a reader had to be freed.
class FifoRescue {
  public:
    explicit FifoRescue(const QString& fifo) : path_(QFile::encodeName(fifo)) {
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            auto wait = std::chrono::milliseconds(3000);
            while (!done_.wait_for(lock, wait, [this] { return finished_; })) {
                // A writer's open succeeds only while a reader waits in its own, which then
                // goes on.
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    rescued_ = true;
                    ::close(fd);
                }
                wait = std::chrono::milliseconds(50);
            }
        });
    }
    ~FifoRescue() { finish(); }
    FifoRescue(const FifoRescue&) = delete;
    FifoRescue& operator=(const FifoRescue&) = delete;

    // True when a reader had to be freed.
    bool finish() {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        if (thread_.joinable()) thread_.join();
        return rescued_;
    }

  private:
    QByteArray path_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::atomic<bool> rescued_ = false;
    std::thread thread_;
};

}  // namespace testsupport
