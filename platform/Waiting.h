#pragma once

#include <functional>

namespace platform {

// Runs `work` on a thread of its own while the window thread waits for it with its events
// going on (never the user's input): a system call that can take long on a slow disk (a sync)
// never holds the window up. An exception of `work` reaches the caller here. Without an
// application, or when called off the window thread, `work` runs at once on the calling
// thread.
void RunOffWindowThread(const std::function<void()>& work);

}  // namespace platform
