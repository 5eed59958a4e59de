#include "platform/EndDeadline.h"

#include <chrono>
#include <utility>

namespace platform {

EndDeadline::EndDeadline(int ms, std::function<void()> end) {
    thread_ = std::thread([this, ms, end = std::move(end)] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return cancelled_; }))
            return;
        lock.unlock();
        end();
    });
}

EndDeadline::~EndDeadline() {
    cancel();
    if (thread_.joinable()) thread_.join();
}

void EndDeadline::cancel() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

}  // namespace platform
