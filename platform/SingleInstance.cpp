#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "runtime/RuntimeError.h"

namespace platform {

SingleInstance::SingleInstance(const QString& lockPath) : lockPath_(lockPath), lock_(lockPath) {
    // Only a dead owner makes the lock stale; a long-running instance keeps it.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    if (lock_.isLocked() || lock_.tryLock(0)) return true;
    if (lock_.error() == QLockFile::LockFailedError) return false;
    // The lock file could not be made: the system's reason comes from a file made the same way
    // in the same folder (removed again at once).
    const QString folder = QFileInfo(lockPath_).absolutePath();
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("QM73.XXXXXX")));
    const QString reason =
        probe.open() ? QStringLiteral("the lock file cannot be written") : probe.errorString();
    throw rt::RuntimeError(
        rt::ErrPathAccess,
        QStringLiteral("The lock file of the program cannot be created in %1: %2")
            .arg(QDir::toNativeSeparators(folder), reason));
}

}  // namespace platform
