#pragma once

#include <functional>

namespace platform {

// Waiting loops ("until the answer came") yield to the event loop through this, so tests can
// drive time themselves.
class EventPump {
  public:
    virtual ~EventPump() = default;
    // Processes events until `busy` returns false.
    virtual void waitWhile(const std::function<bool()>& busy) = 0;
};

// The real pump: sleeps in the event loop until something happens, no busy spinning, under the
// one rule of what runs during a wait (platform/Waiting.h).
class QtEventPump : public EventPump {
  public:
    void waitWhile(const std::function<bool()>& busy) override;
};

}  // namespace platform
