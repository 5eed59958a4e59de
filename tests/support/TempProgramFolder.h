#pragma once

#include <QTemporaryDir>

#include "platform/AppPaths.h"

namespace testsupport {

// A fresh program folder for one test, removed afterwards.
class TempProgramFolder {
  public:
    TempProgramFolder();
    const platform::AppPaths& paths() const { return paths_; }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    platform::AppPaths paths_;
};

}  // namespace testsupport
