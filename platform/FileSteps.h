#pragma once

#include <QString>
#include <functional>

#include "runtime/RuntimeError.h"

namespace platform {

// The steps by which the program changes what the disk keeps: a write of a file that is kept,
// the sync of a file or of a folder, a rename, a removal, a database COMMIT. Each goes through
// this one place, so that the order of the steps can be watched and every state a kill or a
// failure leaves between two of them can be tried.
enum class FileStep { Write, SyncFile, SyncFolder, Rename, Remove, Commit };

// Sees a step before it is taken, with the path it changes (a rename's: the file renamed; a
// folder sync's: the folder; a COMMIT's: the database). It returns 0 to let the step go, or a
// system error number that the step then fails with, as the system would have refused it.
// Steps may come from a worker thread (a sync); the watcher is called for one at a time.
using FileStepWatcher = std::function<int(FileStep step, const QString& path)>;
// Tests only: an empty watcher removes the one set.
void setFileStepWatcher(FileStepWatcher watcher);

// A step the system refused (or the watcher, as the system would have): error 75 naming the
// path and the system's reason, with the system's error number, so that a caller can tell the
// cause in the user's words.
class FileStepError : public rt::RuntimeError {
  public:
    FileStepError(const QString& description, int systemError)
        : rt::RuntimeError(rt::ErrPathAccess, description), systemError_(systemError) {}
    int systemError() const noexcept { return systemError_; }

  private:
    int systemError_;
};

// 0 when the step may be taken, else the error number it fails with.
int FileStepRefusal(FileStep step, const QString& path);
// The same for a step that raises: FileStepError naming the path and the system's reason.
void PassFileStep(FileStep step, const QString& path);

}  // namespace platform
