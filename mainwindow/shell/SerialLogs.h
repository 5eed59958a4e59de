#pragma once

#include <QString>

namespace shell {

// Deletes a file and waits until it is gone, at most `waitMs` (yielding to the event loop when
// asked to); false when it is still there, which is logged.
bool DeleteAndWait(const QString& path, int waitMs = 2000, bool yield = true);

// Saves the serial logs of earlier runs in `folder`: SerialLog1.log .. SerialLog8.log move up by
// one (the oldest, 9, is replaced only by an 8), then SerialLog.log becomes SerialLog1.log.
// Raises rt::RuntimeError when a file cannot be moved; files already moved stay moved.
void RotateSerialLogFiles(const QString& folder);

}  // namespace shell
