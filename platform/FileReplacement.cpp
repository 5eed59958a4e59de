#include "platform/FileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileSteps.h"
#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"

namespace platform {

namespace {

QByteArray nameOf(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void fail(const QString& what, int error) {
    throw FileStepError(QStringLiteral("%1: %2").arg(what, qt_error_string(error)), error);
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// Syncs what the descriptor of `path` opened with `flags` refers to.
void syncOpened(FileStep step, const QString& path, int flags, const QString& what) {
    const QByteArray name = nameOf(path);
    RunOffWindowThread([&] {
        PassFileStep(step, path);
        const int fd = ::open(name.constData(), flags | O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) fail(what, errno);
        // A file system that cannot sync this kind of file (EINVAL) has nothing to keep.
        const int result = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        if (result != 0 && error != EINVAL) fail(what, error);
    });
}

// A new file made by this process alone: never an existing file, never through a link. The
// mode asked for is the usual one; the umask makes it the user's.
int createExclusive(const QString& path) {
    return ::open(nameOf(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                  0666);
}

// What follows a file's name in the name of its own temporary file: the mark, then so many
// letters or digits at random.
constexpr char OwnMark[] = ".~QM73-";
constexpr int RandomLength = 6;

QString randomPart() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString part;
    for (int i = 0; i < RandomLength; ++i)
        part += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return part;
}

bool isRandomPart(const char* text) {
    int length = 0;
    for (; text[length] != '\0'; ++length) {
        const char c = text[length];
        const bool letterOrDigit =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letterOrDigit || length >= RandomLength) return false;
    }
    return length == RandomLength;
}

// Removes a file of the own temporary pattern when a killed writer left it: a regular file of
// this user with no other name (a link, a folder, a device, another user's file stay), which
// no living writer holds locked, and which is still the file looked at when it goes.
void removeIfLeft(const QString& path) {
    const QByteArray name = nameOf(path);
    struct stat seen;
    if (::lstat(name.constData(), &seen) != 0 || !S_ISREG(seen.st_mode) ||
        seen.st_uid != ::geteuid() || seen.st_nlink != 1)
        return;
    const int fd =
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    struct stat opened;
    // A living writer holds its file locked.
    if (::fstat(fd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        QString reason;
        if (!RemoveFile(path, &reason))
            qWarning("The temporary file %s left by an earlier write could not be removed: %s",
                     qPrintable(path), qPrintable(reason));
    }
    ::close(fd);
}

}  // namespace

void SyncFile(const QString& path) {
    syncOpened(FileStep::SyncFile, path, O_NONBLOCK,
               QStringLiteral("Cannot sync %1 to the disk").arg(path));
}

void SyncFolder(const QString& folder) {
    syncOpened(FileStep::SyncFolder, folder, O_DIRECTORY,
               QStringLiteral("Cannot sync the folder %1 to the disk").arg(folder));
}

void RenameFile(const QString& from, const QString& to) {
    const QString what = QStringLiteral("Cannot rename %1 to %2").arg(from, to);
    if (const int refused = FileStepRefusal(FileStep::Rename, from)) fail(what, refused);
    if (::rename(nameOf(from).constData(), nameOf(to).constData()) != 0) fail(what, errno);
}

void RenameToNewName(const QString& from, const QString& to) {
    const QString what = QStringLiteral("Cannot rename %1 to %2").arg(from, to);
    if (const int refused = FileStepRefusal(FileStep::Rename, from)) fail(what, refused);
    const QByteArray source = nameOf(from), target = nameOf(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return;
    if (errno != EINVAL && errno != ENOSYS) fail(what, errno);
    // A file system that cannot rename so: a second name made where none is (a link there
    // counts), then the first one let go. A kill between the two leaves both names on the one
    // file, the new one whole.
    if (::link(source.constData(), target.constData()) == 0) {
        if (::unlink(source.constData()) != 0) fail(what, errno);
        return;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) fail(what, errno);
    // Nor a second name (a file system of one name a file): looked at, then renamed.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0) fail(what, EEXIST);
    if (::rename(source.constData(), target.constData()) != 0) fail(what, errno);
}

bool RemoveFile(const QString& path, QString* reason, int* systemError) {
    int error = FileStepRefusal(FileStep::Remove, path);
    if (!error && ::unlink(nameOf(path).constData()) != 0 && errno != ENOENT) error = errno;
    if (error && reason) *reason = qt_error_string(error);
    if (systemError) *systemError = error;
    return error == 0;
}

QString LinkTargetOf(const QString& path) {
    QString at = path;
    // As many links in a row as the system itself follows.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(nameOf(at).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = ::readlink(nameOf(at).constData(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return at;
        const QString target = QFile::decodeName(QByteArray(buffer.data(), length));
        // Not cleaned: ".." after a linked folder is where the system goes, not the text's.
        at =
            target.startsWith(QLatin1Char('/')) ? target : folderOf(at) + QLatin1Char('/') + target;
    }
    return at;
}

void RemoveLeftTemporaries(const QString& path) {
    const QFileInfo info(path);
    const QByteArray folder = nameOf(info.absolutePath());
    const QByteArray prefix = nameOf(info.fileName()) + OwnMark;
    // A folder of many files on a slow disk is read off the window thread.
    RunOffWindowThread([&] {
        DIR* dir = ::opendir(folder.constData());
        if (!dir) return;
        QStringList left;
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (std::strncmp(name, prefix.constData(), prefix.size()) == 0 &&
                isRandomPart(name + prefix.size()))
                left << QFile::decodeName(folder + '/' + name);
        }
        ::closedir(dir);
        for (const QString& file : left)
            removeIfLeft(file);
    });
}

OwnTemporaryFile::OwnTemporaryFile(const QString& path, mode_t mode) {
    RemoveLeftTemporaries(path);
    int error = 0;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        path_ = path + QLatin1String(OwnMark) + randomPart();
        fd_ = ::open(nameOf(path_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                     mode);
        error = errno;
        if (fd_ < 0 && error != EEXIST) break;
    }
    if (fd_ < 0) {
        path_.clear();
        fail(QStringLiteral("Cannot write %1").arg(path), error);
    }
    // Held while this writer lives, so that another's cleaning leaves the file alone. A file
    // system without locks leaves it unlocked: another writer for the same file may then
    // remove it, and this one fails with its reason, the file as it was.
    ::flock(fd_, LOCK_EX | LOCK_NB);
}

OwnTemporaryFile::~OwnTemporaryFile() {
    if (fd_ < 0) return;
    QString reason;
    if (!RemoveFile(path_, &reason))
        qWarning("The temporary file %s could not be removed: %s", qPrintable(path_),
                 qPrintable(reason));
    letGo();
}

void OwnTemporaryFile::letGo() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

FileReplacement::FileReplacement(const QString& path, const QString& temporarySuffix, Links links)
    : target_(links == Links::Follow ? LinkTargetOf(path) : path) {
    const QString what = QStringLiteral("Cannot write %1").arg(target_);
    int fd = -1;
    if (!temporarySuffix.isEmpty()) {
        temporary_ = target_ + temporarySuffix;
        // What an earlier attempt left under that name goes first.
        int error = 0;
        if (!RemoveFile(temporary_, nullptr, &error)) fail(what, error);
        fd = createExclusive(temporary_);
    } else {
        own_ = std::make_unique<OwnTemporaryFile>(target_);
        temporary_ = own_->path();
        fd = own_->descriptor();
    }
    if (fd < 0) {
        const int error = errno;
        temporary_.clear();
        fail(what, error);
    }
    // The file keeps the access its owner gave it.
    struct stat st;
    const int found = links == Links::Follow ? ::stat(nameOf(target_).constData(), &st)
                                             : ::lstat(nameOf(target_).constData(), &st);
    if (found == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);
    file_ = std::make_unique<QFile>();
    // The own temporary file's descriptor holds its lock: it stays open with it.
    if (!file_->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                     own_ ? QFileDevice::DontCloseHandle : QFileDevice::AutoCloseHandle)) {
        if (!own_) ::close(fd);
        const QString reason = file_->errorString();
        discard();
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("%1: %2").arg(what, reason));
    }
}

FileReplacement::~FileReplacement() {
    discard();
}

void FileReplacement::write(const QByteArray& bytes) {
    const QString what = QStringLiteral("Cannot write %1").arg(target_);
    if (!file_)
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("%1: the file is no longer written").arg(what));
    // A write can take long on a slow disk: it runs off the window thread, which only waits.
    int refused = 0;
    qint64 written = 0;
    RunOffWindowThread([&] {
        refused = FileStepRefusal(FileStep::Write, temporary_);
        if (!refused) written = file_->write(bytes);
    });
    if (refused) fail(what, refused);
    // A write the system takes only in part (a full disk, a size limit) is no success.
    if (written != bytes.size())
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("%1: %2").arg(what, file_->error() != QFileDevice::NoError
                                                   ? file_->errorString()
                                                   : QStringLiteral("written in part only")));
}

QString FileReplacement::handOver() {
    file_.reset();
    return temporary_;
}

void FileReplacement::commit() {
    makeWhole();
    putInPlace();
}

void FileReplacement::makeWhole(const QString& keptAs) {
    try {
        if (file_) {
            file_->close();
            file_.reset();
        }
        SyncFile(temporary_);
        if (!keptAs.isEmpty()) {
            RenameFile(temporary_, keptAs);
            temporary_ = keptAs;
            SyncFolder(folderOf(keptAs));
        }
    } catch (...) {
        discard();
        throw;
    }
}

void FileReplacement::putInPlace(bool keepOnFailure) {
    try {
        RenameFile(temporary_, target_);
    } catch (...) {
        if (keepOnFailure) {
            temporary_.clear();
            letGoOwn();
        } else {
            discard();
        }
        throw;
    }
    temporary_.clear();
    letGoOwn();
    SyncFolder(folderOf(target_));
}

void FileReplacement::discard() noexcept {
    file_.reset();
    QString reason;
    if (!temporary_.isEmpty() && !RemoveFile(temporary_, &reason))
        qWarning("The temporary file %s could not be removed: %s", qPrintable(temporary_),
                 qPrintable(reason));
    temporary_.clear();
    letGoOwn();
}

void FileReplacement::letGoOwn() noexcept {
    if (!own_) return;
    own_->letGo();
    own_.reset();
}

}  // namespace platform
