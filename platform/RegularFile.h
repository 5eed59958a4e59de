#pragma once

#include <QFile>

namespace platform {

// What opening a file for reading found.
enum class FileOpen {
    Opened,     // a regular file, open
    Irregular,  // a FIFO, a device, a socket or a folder: refused, never opened whole
    Failed,     // the system refused (missing, no permission, ...): its error number is given
};

// Opens `file` (by its name) for reading, with `mode` added to ReadOnly, so that nothing ever
// waits: only a regular file is opened. A FIFO, a device, a socket or a folder is refused at
// once, without being read (a FIFO would keep the open waiting for a writer, a device may do
// something when opened). The file is opened by its handle, which leaves its fileName() empty.
// `error` receives the system's error number when it fails.
FileOpen OpenRegularFile(QFile& file, QIODevice::OpenMode mode, int& error);

}  // namespace platform
