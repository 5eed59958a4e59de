#include "platform/SingleInstance.h"

namespace platform {

SingleInstance::SingleInstance(const QString& lockPath) : lock_(lockPath) {
    // Only a dead owner makes the lock stale; a long-running instance keeps it.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_.isLocked() || lock_.tryLock(0);
}

}  // namespace platform
