#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

FileOpen OpenRegularFile(QFile& file, QIODevice::OpenMode mode, int& error) {
    error = 0;
    const QString name = file.fileName();
    const QByteArray path = QFile::encodeName(name);
    struct stat st {};
    // Looked at first: what is no regular file is not even opened.
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode)) return FileOpen::Irregular;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return FileOpen::Failed;
    }
    // What was opened, whatever stood there a moment before.
    const bool looked = ::fstat(fd, &st) == 0;
    if (!looked || !S_ISREG(st.st_mode)) {
        if (!looked) error = errno;
        ::close(fd);
        return looked ? FileOpen::Irregular : FileOpen::Failed;
    }
    if (!file.open(fd, QIODevice::ReadOnly | mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = EIO;
        return FileOpen::Failed;
    }
    return FileOpen::Opened;
}

}  // namespace platform
