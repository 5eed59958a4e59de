#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// The last resort of a program asked to end: `end` is called on a thread of its own once `ms`
// have passed, unless the deadline is cancelled (or goes) before. It ends a program whose window
// thread does not come back from what it waits for.
class EndDeadline {
  public:
    EndDeadline(int ms, std::function<void()> end);
    // Cancels.
    ~EndDeadline();
    EndDeadline(const EndDeadline&) = delete;
    EndDeadline& operator=(const EndDeadline&) = delete;

    void cancel();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
    std::thread thread_;
};

}  // namespace platform
