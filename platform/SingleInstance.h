#pragma once

#include <QLockFile>
#include <QString>

namespace platform {

// Tells whether another instance of the program runs, by a lock file in the program folder.
// A lock left behind by a program that died is taken over.
class SingleInstance {
  public:
    explicit SingleInstance(const QString& lockPath);
    // True when this process now holds the lock, false when another instance does.
    bool acquire();

  private:
    QLockFile lock_;
};

}  // namespace platform
