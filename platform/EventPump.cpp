#include "platform/EventPump.h"

#include "platform/Waiting.h"

namespace platform {

void QtEventPump::waitWhile(const std::function<bool()>& busy) {
    WaitWhile(busy);
}

}  // namespace platform
