#pragma once

#include <QLockFile>
#include <QString>

namespace platform {

// Tells whether another instance of the program runs, by a lock file in the program folder.
// A lock left behind by a program that died is taken over.
class SingleInstance {
  public:
    explicit SingleInstance(const QString& lockPath);
    // True when this process now holds the lock, false when another running instance does.
    // Raises rt::RuntimeError (error 75) naming the folder and the system's reason when no
    // lock can be made there at all.
    bool acquire();

  private:
    QString lockPath_;
    QLockFile lock_;
};

}  // namespace platform
