#include "platform/FileSteps.h"

#include <mutex>

#include "runtime/RuntimeError.h"

namespace platform {

namespace {

// Held while the watcher runs: it sees one step at a time, and may itself take steps.
std::recursive_mutex& watcherLock() {
    static std::recursive_mutex lock;
    return lock;
}

FileStepWatcher& watcher() {
    static FileStepWatcher installed;
    return installed;
}

}  // namespace

void setFileStepWatcher(FileStepWatcher w) {
    const std::lock_guard<std::recursive_mutex> held(watcherLock());
    watcher() = std::move(w);
}

int FileStepRefusal(FileStep step, const QString& path) {
    const std::lock_guard<std::recursive_mutex> held(watcherLock());
    const FileStepWatcher& w = watcher();
    return w ? w(step, path) : 0;
}

void PassFileStep(FileStep step, const QString& path) {
    if (const int error = FileStepRefusal(step, path))
        throw FileStepError(QStringLiteral("%1: %2").arg(path, qt_error_string(error)), error);
}

}  // namespace platform
