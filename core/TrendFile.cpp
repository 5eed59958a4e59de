#include "core/TrendFile.h"

#include <QDir>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QScopeGuard>

#include "platform/FileSteps.h"
#include "platform/RegularFile.h"
#include "platform/StringTable.h"
#include "platform/Waiting.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace core {

namespace {

enum Text : int {
    TextOutsideDataFolder = 5840,
    TextCannotStore = 5870,
    TextNotPermitted = 5871,
    TextReadOnly = 5872,
    TextNotThere = 5873,
    TextNoFolder = 5874,
};

// The error of a trend folder, or of a file in it, that the system refuses, told so that the
// user can act on it: the folder and the cause in the user's words (the system's own reason
// for a cause without words of its own). A disk without room keeps its own error (61), which
// the download tells as such, with `description` for the log.
rt::RuntimeError storeError(const QString& folder, int systemError, const QString& description) {
    QString cause;
    switch (systemError) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return rt::RuntimeError(rt::ErrDiskFull, description);
        case EACCES:
        case EPERM:
            cause = platform::LoadResText(TextNotPermitted);
            break;
        case EROFS:
            cause = platform::LoadResText(TextReadOnly);
            break;
        case ENOENT:
            cause = platform::LoadResText(TextNotThere);
            break;
        case ENOTDIR:
        case EEXIST:
            cause = platform::LoadResText(TextNoFolder);
            break;
        default:
            cause = systemError ? qt_error_string(systemError) : description;
            break;
    }
    return rt::RuntimeError(rt::ErrPathAccess,
                            platform::LoadResText(TextCannotStore, {folder, cause}));
}

rt::RuntimeError storeError(const QString& folder, const platform::FileStepError& e) {
    return storeError(folder, e.systemError(), e.description());
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

}  // namespace

// ---- compact trend text -------------------------------------------------------------------

QString ByteCode(QChar c) {
    switch (c.unicode()) {
        case '!':
            return QStringLiteral("00");
        case '"':
            return QStringLiteral("FF");
        case '#':
            return QStringLiteral("D1");
        case '$':
            return QStringLiteral("01");
        case '%':
            return QStringLiteral("02");
        case '&':
            return QStringLiteral("03");
        case '\'':
            return QStringLiteral("FE");
        default:
            return QString();
    }
}

std::vector<TrendRun> RunLengthRuns(const QString& text, qsizetype maxWords) {
    static const char hex[] = "0123456789ABCDEF";
    std::vector<TrendRun> runs;
    QString word;
    int repeat = 1;
    qsizetype words = 0;
    const auto full = [&] { return maxWords >= 0 && words >= maxWords; };
    const auto emitIfComplete = [&] {
        if (word.size() != 4) return;
        const qsizetype count = maxWords >= 0 ? std::min<qsizetype>(repeat, maxWords - words)
                                              : static_cast<qsizetype>(repeat);
        if (count > 0) {
            TrendRun run;
            std::copy(word.cbegin(), word.cend(), run.word.begin());
            run.count = count;
            runs.push_back(run);
            words += count;
        }
        word.clear();
        repeat = 1;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n && !full(); ++i) {
        const int code = text.at(i).unicode();
        if (code >= 32 && code <= 47) {
            word += ByteCode(text.at(i));
            emitIfComplete();
        } else if (code >= 48 && code <= 63) {
            word += QLatin1Char(hex[code - 48]);
            if (++i < n) {
                // The second character is taken as it comes: its code minus 48 in hex
                // (a negative difference as its 16-bit two's complement).
                int v = text.at(i).unicode() - 48;
                if (v < 0) v &= 0xFFFF;
                word += QString::number(v, 16).toUpper();
            }
            emitIfComplete();
        } else if (code >= 64 && code <= 127) {
            if (i + 1 >= n)
                throw rt::RuntimeError(rt::ErrInvalidCall,
                                       QStringLiteral("Compact trend text ends in a repeat count"));
            const int next = text.at(i + 1).unicode();
            if (next >= 64 && next <= 127) {
                repeat = (code - 64) * 64 + (next - 64);
                ++i;
            } else {
                repeat = code - 64;
            }
        }
    }
    return runs;
}

QString RunLengthDecode(const QString& text, qsizetype maxWords) {
    const std::vector<TrendRun> runs = RunLengthRuns(text, maxWords);
    qsizetype words = 0;
    for (const TrendRun& run : runs)
        words += run.count;
    QString out;
    out.resize(4 * words);
    QChar* into = out.data();
    for (const TrendRun& run : runs)
        for (qsizetype i = 0; i < run.count; ++i, into += 4)
            std::copy(run.word.begin(), run.word.end(), into);
    return out;
}

// ---- trend files --------------------------------------------------------------------------

namespace {

[[noreturn]] void cannotOpen(const QString& path, const QString& reason) {
    throw rt::RuntimeError(rt::ErrPathAccess,
                           QStringLiteral("Cannot open the trend file %1: %2").arg(path, reason));
}

// Whether the real path `path` is the real folder `folder` or lies inside it.
bool liesInside(const QString& path, const QString& folder) {
    if (path.isEmpty() || folder.isEmpty()) return false;
    if (path == folder) return true;
    return path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

// The real path of an open file or folder, as the system names it.
QString realPathOf(int fd, const QString& fallback) {
    const QString opened = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
    return opened.isEmpty() ? QFileInfo(fallback).canonicalFilePath() : opened;
}

}  // namespace

TrendFile::TrendFile(const QString& path, Mode mode)
    : path_(path), file_(path), readOnly_(mode == Mode::ReadOnly) {
    if (readOnly_) {
        // A reader asks for exactly the bytes it needs; a buffered file would read ahead.
        int error = 0;
        switch (platform::OpenRegularFile(file_, QIODevice::Unbuffered, error)) {
            case platform::FileOpen::Opened:
                break;
            case platform::FileOpen::Irregular:
                cannotOpen(path, QStringLiteral("it is no regular file"));
            case platform::FileOpen::Failed:
                cannotOpen(path, qt_error_string(error));
        }
    } else {
        QIODevice::OpenMode how = QIODevice::ReadWrite;
        if (mode == Mode::Restart) how |= QIODevice::Truncate;
        if (!file_.open(how)) cannotOpen(path, file_.errorString());
    }
    fileLength_ = file_.size();
}

QString TrendFile::realPath() const {
    return file_.isOpen() ? realPathOf(file_.handle(), path_) : QString();
}

TrendFile::~TrendFile() {
    try {
        close();
    } catch (const rt::RuntimeError& e) {
        qWarning("%s", qPrintable(e.description()));
    }
}

qint64 TrendFile::size() const {
    const qint64 onDisk = file_.isOpen() ? fileLength_ : 0;
    return std::max(onDisk, dirtyEnd_);
}

void TrendFile::limitTo(qint64 length) {
    if (readOnly_) fileLength_ = std::clamp<qint64>(length, 0, fileLength_);
}

// Makes the buffer hold [begin, end), loading from the file what it did not hold yet. The
// buffer grows in steps of whole chunks so that walking through a file record by record reads
// it in large pieces.
void TrendFile::cover(qint64 begin, qint64 end) {
    constexpr qint64 Chunk = 64 * 1024;
    const auto load = [this](char* into, qint64 from, qint64 to) {
        const qint64 fileSize = fileLength_;
        if (from >= fileSize || from >= to) return;
        file_.seek(from);
        file_.read(into, std::min(to, fileSize) - from);
    };
    if (buffer_.isEmpty()) {
        bufferStart_ = begin;
        const qint64 size = std::max(end - begin, std::min(Chunk, fileLength_ - begin));
        buffer_ = QByteArray(size, '\0');
        load(buffer_.data(), begin, begin + size);
        return;
    }
    const qint64 bufferEnd = bufferStart_ + buffer_.size();
    if (end > bufferEnd) {
        const qint64 newEnd = std::max(end, std::min(bufferEnd + Chunk, fileLength_));
        buffer_.append(QByteArray(newEnd - bufferEnd, '\0'));
        load(buffer_.data() + (bufferEnd - bufferStart_), bufferEnd, newEnd);
    }
    if (begin < bufferStart_) {
        QByteArray front(bufferStart_ - begin, '\0');
        load(front.data(), begin, bufferStart_);
        buffer_.prepend(front);
        bufferStart_ = begin;
    }
}

void TrendFile::refuseReadOnly() const {
    if (readOnly_)
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("The trend file %1 is open for reading only").arg(path_));
}

void TrendFile::write(qint64 position, const void* data, int size) {
    std::memcpy(bytesToChange(position, size), data, size);
    changed(position, position + size);
}

char* TrendFile::bytesToChange(qint64 position, qint64 size) {
    refuseReadOnly();
    cover(position, position + size);
    return buffer_.data() + (position - bufferStart_);
}

void TrendFile::changed(qint64 begin, qint64 end) {
    if (end <= begin) return;
    if (dirtyBegin_ == dirtyEnd_) {
        dirtyBegin_ = begin;
        dirtyEnd_ = end;
    } else {
        dirtyBegin_ = std::min(dirtyBegin_, begin);
        dirtyEnd_ = std::max(dirtyEnd_, end);
    }
}

void TrendFile::read(qint64 position, void* data, int size) {
    cover(position, position + size);
    std::memcpy(data, buffer_.constData() + (position - bufferStart_), size);
}

namespace {

// The error a refused write raises: "Disk full" when the file system has no room for it (a full
// disk, a quota, a file size limit), else the folder's cause, so that the user is told what to
// do.
rt::RuntimeError writeError(const QString& file, int systemError, const QString& reason) {
    return storeError(folderOf(file), systemError,
                      QStringLiteral("Cannot write the trend file %1: %2").arg(file, reason));
}

}  // namespace

// The writes of one trend file handed to the writing thread: its own handle of the file, so
// that the writes outlive the file's close, and how they went.
struct TrendFileWrites {
    TrendFileWrites(QString path, QString stepPath, int fd)
        : path_(std::move(path)), stepPath_(std::move(stepPath)), fd_(fd) {}
    ~TrendFileWrites() {
        if (fd_ >= 0) ::close(fd_);
    }
    TrendFileWrites(const TrendFileWrites&) = delete;
    TrendFileWrites& operator=(const TrendFileWrites&) = delete;

    // The first write that failed, as the file's flush would have raised it; only once every
    // write handed on is done (WaitForTrendWrites).
    void raiseFailure() const;
    bool failed() const;
    // Drops what of its writes is not done yet (a write under way ends first).
    static void cancel(const TrendFileWrites& writes);

    QString path_;      // as the file was given, for the error
    QString stepPath_;  // as the file-step watcher is told
    int fd_;
    // Set by the writing thread, under its lock.
    int error_ = 0;
    QString reason_;
    bool failed_ = false;
};

namespace {

// The one thread that writes trend files, in the order the writes were handed on: a window
// that decodes the instrument's lines hands each line's bytes on and goes on at once.
class TrendWriteThread {
  public:
    static TrendWriteThread& instance() {
        static TrendWriteThread one;
        return one;
    }

    // After the file's last write: its handle is let go once that is done.
    void release(const std::shared_ptr<TrendFileWrites>& file) {
        const std::lock_guard<std::mutex> held(lock_);
        jobs_.push_back({file, 0, QByteArray(), true});
        work_.notify_one();
    }
    // A write of a file that failed before is dropped: the failure is what the file tells.
    bool add(const std::shared_ptr<TrendFileWrites>& file, qint64 position, QByteArray bytes) {
        const std::lock_guard<std::mutex> held(lock_);
        if (file->failed_) return false;
        jobs_.push_back({file, position, std::move(bytes), false});
        work_.notify_one();
        return true;
    }
    // Until no write is queued nor under way.
    void waitForAll() {
        std::unique_lock<std::mutex> held(lock_);
        done_.wait(held, [this] { return jobs_.empty() && !running_; });
    }
    // Drops the file's queued writes and waits for one under way to end.
    void cancel(const TrendFileWrites* file) {
        std::unique_lock<std::mutex> held(lock_);
        std::erase_if(jobs_, [file](const Job& job) { return job.file.get() == file; });
        done_.wait(held, [this, file] { return running_.get() != file; });
        done_.notify_all();
    }
    bool failed(const TrendFileWrites& file) {
        const std::lock_guard<std::mutex> held(lock_);
        return file.failed_;
    }
    std::pair<int, QString> failure(const TrendFileWrites& file) {
        const std::lock_guard<std::mutex> held(lock_);
        return {file.error_, file.reason_};
    }

  private:
    struct Job {
        std::shared_ptr<TrendFileWrites> file;
        qint64 position = 0;
        QByteArray bytes;
        bool release = false;  // no write: the file's handle is closed
    };

    TrendWriteThread() : thread_([this] { run(); }) {}
    ~TrendWriteThread() {
        {
            const std::lock_guard<std::mutex> held(lock_);
            stop_ = true;
            work_.notify_one();
        }
        thread_.join();
    }

    void run() {
        std::unique_lock<std::mutex> held(lock_);
        for (;;) {
            work_.wait(held, [this] { return stop_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            Job job = std::move(jobs_.front());
            jobs_.pop_front();
            if (job.release && job.file->fd_ >= 0) {
                ::close(job.file->fd_);
                job.file->fd_ = -1;
            }
            if (job.release || job.file->failed_) {
                done_.notify_all();
                continue;
            }
            running_ = job.file;
            held.unlock();
            const auto [error, reason] = write(job);
            held.lock();
            if (error) {
                job.file->failed_ = true;
                job.file->error_ = error;
                job.file->reason_ = reason;
            }
            running_.reset();
            job.file.reset();  // the last owner closes the file's handle
            done_.notify_all();
        }
    }

    // The system's error number and reason of a write that failed, else 0.
    static std::pair<int, QString> write(const Job& job) {
        const TrendFileWrites& file = *job.file;
        if (const int refused =
                platform::FileStepRefusal(platform::FileStep::Write, file.stepPath_))
            return {refused, qt_error_string(refused)};
        const char* from = job.bytes.constData();
        qint64 left = job.bytes.size(), at = job.position;
        while (left > 0) {
            const ssize_t n = ::pwrite(file.fd_, from, static_cast<size_t>(left), at);
            if (n < 0 && errno == EINTR) continue;
            // A write that takes nothing is a disk without room for it.
            const int error = n < 0 ? errno : n == 0 ? ENOSPC : 0;
            if (error) return {error, qt_error_string(error)};
            from += n;
            left -= n;
            at += n;
        }
        return {0, QString()};
    }

    std::mutex lock_;
    std::condition_variable work_, done_;
    std::deque<Job> jobs_;
    std::shared_ptr<TrendFileWrites> running_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

void WaitForTrendWrites() {
    TrendWriteThread::instance().waitForAll();
}

void TrendFileWrites::cancel(const TrendFileWrites& writes) {
    TrendWriteThread::instance().cancel(&writes);
}

bool TrendFileWrites::failed() const {
    return TrendWriteThread::instance().failed(*this);
}

void TrendFileWrites::raiseFailure() const {
    const auto [error, reason] = TrendWriteThread::instance().failure(*this);
    if (error) throw writeError(path_, error, reason);
}

void TrendFile::writeInBackground() {
    if (readOnly_ || writes_ || !file_.isOpen()) return;
    const int fd = ::fcntl(file_.handle(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) cannotOpen(path_, qt_error_string(errno));
    writes_ = std::make_shared<TrendFileWrites>(path_, file_.fileName(), fd);
}

void TrendFile::flush() {
    if (writes_) {
        if (writes_->failed()) {
            dirtyBegin_ = dirtyEnd_ = 0;
            writes_->raiseFailure();
        }
        if (dirtyEnd_ > dirtyBegin_) {
            // A copy: the buffer goes on changing while the write waits for its turn. The bytes
            // stay in the buffer until the close, so nothing of a write not yet done is ever
            // read from the disk.
            TrendWriteThread::instance().add(
                writes_, dirtyBegin_,
                QByteArray(buffer_.constData() + (dirtyBegin_ - bufferStart_),
                           dirtyEnd_ - dirtyBegin_));
            fileLength_ = std::max(fileLength_, dirtyEnd_);
        }
        dirtyBegin_ = dirtyEnd_ = 0;
        return;
    }
    if (dirtyEnd_ > dirtyBegin_) {
        const qint64 length = dirtyEnd_ - dirtyBegin_;
        if (const int refused =
                platform::FileStepRefusal(platform::FileStep::Write, file_.fileName()))
            throw writeError(path_, refused, qt_error_string(refused));
        errno = 0;
        if (!file_.seek(dirtyBegin_) ||
            file_.write(buffer_.constData() + (dirtyBegin_ - bufferStart_), length) != length ||
            !file_.flush())
            throw writeError(path_, errno, file_.errorString());
        fileLength_ = std::max(fileLength_, dirtyEnd_);
    }
    dirtyBegin_ = dirtyEnd_ = 0;
}

void TrendFile::close() {
    if (!file_.isOpen()) return;
    flush();
    if (writes_) {
        WaitForTrendWrites();
        writes_->raiseFailure();
        writes_.reset();
    }
    buffer_.clear();
    file_.close();
}

std::shared_ptr<TrendFileWrites> TrendFile::handOff() noexcept {
    try {
        flush();
    } catch (const rt::RuntimeError&) {
        // Kept by the writes, for whoever waits for them.
    }
    buffer_.clear();
    file_.close();
    dirtyBegin_ = dirtyEnd_ = 0;
    if (writes_) TrendWriteThread::instance().release(writes_);
    return std::exchange(writes_, nullptr);
}

void TrendFile::abandon() noexcept {
    if (writes_) TrendFileWrites::cancel(*writes_);
    writes_.reset();
    dirtyBegin_ = dirtyEnd_ = 0;
    buffer_.clear();
    file_.close();
}

QString TrendTempPath(const QString& trendPath) {
    return trendPath + QLatin1String(TrendTempSuffix);
}

namespace {

QString keptPath(const QString& trendPath, int64_t seqNo, const char* suffix) {
    return trendPath + QLatin1Char('.') + QString::number(seqNo) + QLatin1String(suffix);
}

}  // namespace

QString TrendReadyPath(const QString& trendPath, int64_t seqNo) {
    return keptPath(trendPath, seqNo, TrendReadySuffix);
}

QString TrendDeletedPath(const QString& trendPath, int64_t seqNo) {
    return keptPath(trendPath, seqNo, TrendDeletedSuffix);
}

namespace {

// The folders CreateTrendFolders made a folder in, whose new entry is not yet known to be on the
// disk. They are synced by the first store of a trend file below them, before anything in the
// new folder is kept, and then never again until a folder is made in them anew: a folder is
// synced only when an entry in it changed. Not when the folder is made: that is while the
// record's lines are decoded, and a sync waits with the window's events going on, the link's
// among them, in the middle of its answer.
class FoldersMadeIn {
  public:
    void note(const QString& folder) {
        const std::lock_guard<std::mutex> held(lock_);
        folders_.insert(folder);
    }
    // Syncs those of `folders` that are noted, in their order; each leaves the note once synced.
    // Raises storeError naming the folder that could not be synced; it stays noted.
    void sync(const QStringList& folders) {
        for (const QString& folder : folders) {
            {
                const std::lock_guard<std::mutex> held(lock_);
                if (!folders_.count(folder)) continue;
            }
            try {
                platform::SyncFolder(folder);
            } catch (const platform::FileStepError& e) {
                throw storeError(folder, e);
            }
            const std::lock_guard<std::mutex> held(lock_);
            folders_.erase(folder);
        }
    }

  private:
    std::mutex lock_;
    std::set<QString> folders_;
};

FoldersMadeIn& foldersMadeIn() {
    static FoldersMadeIn made;
    return made;
}

// The folders above a trend file's month folder that a folder was made in (the year folder, the
// data folder, the program folder): their entries reach the disk before the trend file is
// kept in the month folder, or a power cut could take the month folder with every file in it.
void syncFoldersMadeAbove(const QString& trendPath) {
    const QString month = folderOf(QDir::cleanPath(trendPath));
    const QString year = folderOf(month), data = folderOf(year);
    foldersMadeIn().sync({folderOf(data), data, year});
}

}  // namespace

TrendWriter::~TrendWriter() {
    discard();
}

TrendFile& TrendWriter::open(const QString& path) {
    // A record that names no trend file has nowhere to write: never a file of the working folder.
    if (path.isEmpty())
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The record names no trend file"));
    if (path_ != path) {
        discard();
        try {
            // The trend file's own folder: a link there is replaced, never written through.
            replacement_ = std::make_unique<platform::FileReplacement>(
                path, QLatin1String(TrendTempSuffix), platform::FileReplacement::Links::Replace);
        } catch (const platform::FileStepError& e) {
            throw storeError(folderOf(path), e);
        }
        path_ = path;
    }
    if (!file_) {
        // The file is read again as the disk holds it: what was handed on before is written
        // first. Only a record whose lines come back after another's waits here.
        finishClosed();
        try {
            file_ = std::make_unique<TrendFile>(replacement_->handOver());
        } catch (...) {
            discard();
            throw;
        }
        file_->writeInBackground();
    }
    return *file_;
}

void TrendWriter::flush() {
    if (file_) file_->flush();
}

void TrendWriter::closeQuietly() noexcept {
    if (!file_) return;
    if (auto writes = file_->handOff()) closed_.push_back(std::move(writes));
    file_.reset();
}

void TrendWriter::finishClosed() {
    if (closed_.empty()) return;
    WaitForTrendWrites();
    const auto closed = std::exchange(closed_, {});
    for (const auto& writes : closed)
        writes->raiseFailure();
}

void TrendWriter::settle() {
    if (closed_.empty() && !file_) return;
    if (file_) file_->flush();
    // The wait of a COMMIT: the window goes on, and the store that follows finds the bytes on
    // the disk.
    platform::RunOffWindowThread(WaitForTrendWrites);
    finishClosed();
    if (file_) file_->flush();
}

void TrendWriter::closeFile() {
    try {
        settle();
        if (file_) file_->close();
    } catch (...) {
        discard();
        throw;
    }
    file_.reset();
}

void TrendWriter::prepare(int64_t seqNo) {
    if (!replacement_) return;
    closeFile();
    try {
        syncFoldersMadeAbove(path_);
        replacement_->makeWhole(TrendReadyPath(path_, seqNo));
    } catch (const platform::FileStepError& e) {
        const QString folder = folderOf(path_);
        discard();
        throw storeError(folder, e);
    } catch (...) {
        discard();
        throw;
    }
}

void TrendWriter::commit() {
    if (!replacement_) return;
    closeFile();
    const QString target = path_;
    const std::unique_ptr<platform::FileReplacement> replacement = std::move(replacement_);
    path_.clear();
    try {
        replacement->putInPlace(true);
    } catch (const rt::RuntimeError& e) {
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The samples of the trend file %1 could not take "
                                              "its name (%2); the next start puts them in place")
                                   .arg(target, e.description()));
    }
}

void TrendWriter::mend() {
    if (!replacement_) return;
    closeFile();
    const QFileInfo stored(path_), written(replacement_->temporaryPath());
    // A stored file (never one a link stands for) that holds as much stays as it is.
    if (stored.isFile() && !stored.isSymLink() && stored.size() >= written.size()) {
        discard();
        return;
    }
    const std::unique_ptr<platform::FileReplacement> replacement = std::move(replacement_);
    const QString target = std::exchange(path_, QString());
    try {
        syncFoldersMadeAbove(target);
        replacement->commit();
    } catch (const platform::FileStepError& e) {
        throw storeError(folderOf(target), e);
    }
}

void TrendWriter::discard() noexcept {
    // Nothing of it is kept: its writes are dropped, not waited for.
    if (file_) file_->abandon();
    file_.reset();
    for (const auto& writes : std::exchange(closed_, {}))
        TrendFileWrites::cancel(*writes);
    replacement_.reset();  // removes what it holds
    path_.clear();
}

TrendFileDeletion::~TrendFileDeletion() {
    putBack();
}

void TrendFileDeletion::setAside(const std::vector<File>& files, const QString& dataFolder) {
    const QString data =
        dataFolder.isEmpty() ? QString() : QFileInfo(dataFolder).canonicalFilePath();
    const QString outside = platform::LoadResText(TextOutsideDataFolder);
    // Many files may go at once: the window waits with its events going on.
    platform::RunOffWindowThread([&] {
        std::set<QString> folders;
        try {
            for (const File& file : files) {
                const QByteArray name = QFile::encodeName(file.trendPath);
                struct stat st {};
                const bool found = ::lstat(name.constData(), &st) == 0;
                if (!found && errno == ENOENT) continue;
                // A folder of that name is no trend file: it stays, and is told.
                if (found && S_ISDIR(st.st_mode)) {
                    notFiles_.push_back({file.trendPath, qt_error_string(EISDIR)});
                    continue;
                }
                // Nothing that a linked folder leads to out of the data folder is touched.
                if (!dataFolder.isEmpty() &&
                    !liesInside(
                        QFileInfo(QFileInfo(file.trendPath).absolutePath()).canonicalFilePath(),
                        data)) {
                    notFiles_.push_back({file.trendPath, outside});
                    continue;
                }
                const QString aside = TrendDeletedPath(file.trendPath, file.seqNo);
                platform::RenameFile(file.trendPath, aside);
                aside_.emplace_back(file.trendPath, aside);
                folders.insert(QFileInfo(file.trendPath).absolutePath());
            }
            // Kept aside on the disk before any row goes: a power cut cannot bring back a file
            // whose row is deleted.
            for (const QString& folder : folders)
                platform::SyncFolder(folder);
        } catch (...) {
            putBack();
            throw;
        }
    });
}

void TrendFileDeletion::putBack() noexcept {
    std::set<QString> folders;
    for (const auto& [trendPath, aside] : aside_) {
        try {
            platform::RenameFile(aside, trendPath);
            folders.insert(QFileInfo(trendPath).absolutePath());
        } catch (const rt::RuntimeError& e) {
            // The next start puts it back, its row still standing.
            qWarning("%s", qPrintable(e.description()));
        }
    }
    aside_.clear();
    for (const QString& folder : folders) {
        try {
            platform::SyncFolder(folder);
        } catch (const rt::RuntimeError& e) {
            qWarning("%s", qPrintable(e.description()));
        }
    }
}

std::vector<RemovalFailure> TrendFileDeletion::rowsDeleted() {
    std::vector<RemovalFailure> stayed = std::exchange(notFiles_, {});
    const auto aside = std::exchange(aside_, {});
    platform::RunOffWindowThread([&] {
        for (const auto& entry : aside) {
            QString reason;
            if (!platform::RemoveFile(entry.second, &reason))
                stayed.push_back({entry.second, reason});
        }
    });
    return stayed;
}

qint64 TrendRecordsIn(qint64 bytes) {
    const qint64 whole = bytes / TrendRecordSize, rest = bytes % TrendRecordSize;
    const bool half = 2 * rest == TrendRecordSize;
    return whole + ((2 * rest > TrendRecordSize || (half && whole % 2 == 1)) ? 1 : 0);
}

int32_t ReadableRecords(TrendFile& file, int32_t capacity) {
    const qint64 inFile = TrendRecordsIn(file.size());
    const int32_t taken = static_cast<int32_t>(std::clamp<qint64>(inFile, 0, capacity));
    if (inFile > taken)
        qWarning("The trend file %s holds %lld records; the first %d are read, the rest ignored",
                 qPrintable(file.fileName()), static_cast<long long>(inFile), taken);
    file.limitTo(static_cast<qint64>(taken) * TrendRecordSize);
    return taken;
}

namespace {

qint64 position(int32_t record, qint64 offset) {
    if (record < 1) throw rt::RuntimeError(63, QStringLiteral("Bad record number"));
    const qint64 p = (static_cast<qint64>(record) - 1) * TrendRecordSize + offset;
    if (p > std::numeric_limits<int32_t>::max()) throw rt::RuntimeError(rt::ErrOverflow);
    return p;
}

void checkGas(int16_t gas) {
    if (gas < 1 || gas > 5) throw rt::RuntimeError(rt::ErrSubscript);
}

}  // namespace

void PutSample(int32_t record, TrendFile& file, int16_t gas, float value, rt::OleDate time) {
    checkGas(gas);
    const qint64 at = position(record, 0);
    uchar bytes[8];
    qToLittleEndian(time.value(), bytes);
    file.write(at, bytes, 8);
    qToLittleEndian(value, bytes);
    file.write(at + 8 + (gas - 1) * 4, bytes, 4);
}

void PutRecordTail(int32_t record, TrendFile& file, std::array<uint8_t, 2> digits) {
    file.write(position(record, 28), digits.data(), 2);
}

TrendRecordRange::TrendRecordRange(TrendFile& file, int32_t first, int32_t count)
    : file_(file), start_(position(first, 0)) {
    if (count <= 0) return;
    position(first + count - 1, TrendRecordSize - 1);
    size_ = static_cast<qint64>(count) * TrendRecordSize;
    bytes_ = file_.bytesToChange(start_, size_);
}

void TrendRecordRange::put(int32_t index, int offset, const uchar* data, int size) {
    const qint64 at = static_cast<qint64>(index) * TrendRecordSize + offset;
    if (index < 0 || at + size > size_)
        throw rt::RuntimeError(63, QStringLiteral("Bad record number"));
    std::memcpy(bytes_ + at, data, size);
    file_.changed(start_ + at, start_ + at + size);
}

void TrendRecordRange::putSample(int32_t index, int16_t gas, float value, rt::OleDate time) {
    checkGas(gas);
    uchar bytes[8];
    qToLittleEndian(time.value(), bytes);
    put(index, 0, bytes, 8);
    qToLittleEndian(value, bytes);
    put(index, 8 + (gas - 1) * 4, bytes, 4);
}

void TrendRecordRange::putRecordTail(int32_t index, std::array<uint8_t, 2> digits) {
    put(index, 28, digits.data(), 2);
}

std::unique_ptr<TrendFile> OpenStoredTrendFile(const QString& path, const QString& dataFolder) {
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    const QString real = QFileInfo(path).canonicalFilePath();
    // A path that leads nowhere is the caller's to tell; one that leads out is none to read.
    if (real.isEmpty()) cannotOpen(path, qt_error_string(ENOENT));
    if (!liesInside(real, data)) return nullptr;
    struct stat st {};
    // No regular file (a FIFO, a device, a socket, a folder): a reader may wait on it for ever,
    // or change what it stands for by opening it.
    if (::stat(QFile::encodeName(real).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return nullptr;
    auto file = std::make_unique<TrendFile>(path, TrendFile::Mode::ReadOnly);
    // The file opened is the one looked at: a link changed meanwhile leads nowhere else.
    if (!liesInside(file->realPath(), data)) return nullptr;
    return file;
}

float GetSampleValue(int32_t record, TrendFile& file, int16_t gas) {
    checkGas(gas);
    uchar bytes[4];
    file.read(position(record, 8 + (gas - 1) * 4), bytes, 4);
    return qFromLittleEndian<float>(bytes);
}

TrendRecord GetTrendRecord(int32_t record, TrendFile& file) {
    uchar bytes[TrendRecordSize];
    file.read(position(record, 0), bytes, TrendRecordSize);
    TrendRecord r;
    r.time = rt::OleDate(qFromLittleEndian<double>(bytes));
    for (int g = 0; g < 5; ++g)
        r.values[g] = qFromLittleEndian<float>(bytes + 8 + g * 4);
    r.status = {bytes[28], bytes[29]};
    return r;
}

QString SanitizeFileName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        const bool bad = c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c);
        out += bad ? QLatin1Char('_') : c;
    }
    if (out == QLatin1String(".") || out == QLatin1String(".."))
        out.replace(QLatin1Char('.'), QLatin1Char('_'));
    return out;
}

QString TrendFolder(const QString& dataFolder, rt::OleDate start) {
    return dataFolder + QLatin1Char('/') + rt::FormatDate(start, QStringLiteral("yy")) +
           QLatin1Char('/') + rt::FormatDate(start, QStringLiteral("mm"));
}

QString TrendFilePath(const QString& dataFolder, rt::OleDate start, const QString& recordName) {
    return TrendFolder(dataFolder, start) + QLatin1Char('/') + SanitizeFileName(recordName) +
           QStringLiteral(".Dat");
}

namespace {

// Makes the folder at `path` when it is missing; true when it was made. A folder that is there
// is left as it is; a link is followed, never replaced.
bool makeFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const QString parent = folderOf(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        throw storeError(path, ENOTDIR, QString());
    }
    const int missing = errno;
    // A link whose target is not there (a disk that is not mounted): nothing is made in its
    // place.
    if (missing == ENOENT && ::lstat(name.constData(), &st) == 0)
        throw storeError(path, ENOENT, QString());
    if (missing != ENOENT) throw storeError(parent, missing, QString());
    if (::mkdir(name.constData(), 0777) == 0) return true;
    const int error = errno;
    // Made meanwhile by someone else: it is there.
    if (error == EEXIST && ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
    if (error == EEXIST) throw storeError(path, ENOTDIR, QString());
    throw storeError(
        parent, error,
        QStringLiteral("Cannot make the folder %1: %2").arg(path, qt_error_string(error)));
}

}  // namespace

void CreateTrendFolders(const QString& dataFolder, rt::OleDate start) {
    const QString month = QDir::cleanPath(TrendFolder(dataFolder, start));
    const QString year = folderOf(month), data = folderOf(year);
    for (const QString& folder : {data, year, month})
        if (makeFolder(folder)) foldersMadeIn().note(folderOf(folder));
}

void DeleteFolder(const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path) || QDir(path).isRoot()) return;
    QDir(path).removeRecursively();
}

namespace {

// Removes a folder's entries: links and files are removed themselves, sub-folders with all
// they hold. False when anything stays; each entry that stayed for a reason of its own goes to
// `kept`.
bool removeEntries(const QString& folder, std::vector<RemovalFailure>& kept) {
    bool all = true;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (entry.isDir() && !entry.isSymLink()) {
            // A folder that keeps something stays because of it: what it keeps is named.
            if (!removeEntries(path, kept)) {
                all = false;
                continue;
            }
            // The system's own call, so that its reason can be told.
            if (::rmdir(QFile::encodeName(path).constData()) != 0) {
                kept.push_back({path, qt_error_string(errno)});
                all = false;
            }
        } else {
            QString reason;
            if (!platform::RemoveFile(path, &reason)) {
                kept.push_back({path, reason});
                all = false;
            }
        }
    }
    return all;
}

}  // namespace

bool EmptyDataFolder(const QString& dataFolder, const QString& programFolder,
                     std::vector<RemovalFailure>* kept) {
    if (dataFolder.isEmpty() || programFolder.isEmpty() || QDir::isRelativePath(dataFolder) ||
        QDir::isRelativePath(programFolder))
        return false;
    const QString program = QFileInfo(programFolder).canonicalFilePath();
    if (program.isEmpty() || QDir(program).isRoot()) return false;
    const QFileInfo data(QDir::cleanPath(dataFolder));
    if (data.isSymLink()) return false;
    if (data.exists()) {
        const QString canonical = data.canonicalFilePath();
        if (!data.isDir() || canonical == program ||
            !canonical.startsWith(program + QLatin1Char('/')))
            return false;
        std::vector<RemovalFailure> stayed;
        if (!removeEntries(canonical, stayed)) {
            qWarning("The data folder %s could not be emptied whole", qPrintable(canonical));
            if (kept) kept->insert(kept->end(), stayed.begin(), stayed.end());
            return false;
        }
        return true;
    }
    // Gone already: made again, inside the program folder only.
    if (QFileInfo(data.absolutePath()).canonicalFilePath() != program) return false;
    return QDir().mkpath(data.absoluteFilePath());
}

namespace {

// The files of DataFolder/yy/mm whose names end in `suffix`, links neither followed nor listed.
QFileInfoList monthFiles(const QString& dataFolder, const QString& suffix) {
    const auto folders = [](const QString& in) {
        return QDir(in).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks |
                                      QDir::Hidden);
    };
    QFileInfoList found;
    for (const QFileInfo& year : folders(dataFolder))
        for (const QFileInfo& month : folders(year.filePath())) {
            const QFileInfoList files =
                QDir(month.filePath())
                    .entryInfoList({QLatin1Char('*') + suffix},
                                   QDir::Files | QDir::NoSymLinks | QDir::Hidden | QDir::System);
            for (const QFileInfo& file : files)
                if (file.fileName().endsWith(suffix) && !file.isSymLink()) found << file;
        }
    return found;
}

// A kept file's trend file and row, from its name "<trend file>.<SeqNo><suffix>".
std::optional<KeptTrendFile> keptFile(const QFileInfo& file, const char* suffix, bool deleted) {
    const QString path = file.filePath();
    const QString stem = path.left(path.size() - qsizetype(std::strlen(suffix)));
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) return std::nullopt;
    bool number = false;
    const int64_t seqNo = stem.mid(dot + 1).toLongLong(&number);
    const QString trendPath = stem.left(dot);
    if (!number || QFileInfo(trendPath).fileName().isEmpty() ||
        keptPath(trendPath, seqNo, suffix) != path)
        return std::nullopt;
    return KeptTrendFile{path, trendPath, seqNo, deleted};
}

}  // namespace

std::vector<KeptTrendFile> KeptTrendFiles(const QString& dataFolder) {
    std::vector<KeptTrendFile> kept;
    if (dataFolder.isEmpty() || QDir::isRelativePath(dataFolder)) return kept;
    for (const auto& [suffix, deleted] :
         {std::pair{TrendReadySuffix, false}, std::pair{TrendDeletedSuffix, true}})
        for (const QFileInfo& file : monthFiles(dataFolder, QLatin1String(suffix)))
            if (const auto one = keptFile(file, suffix, deleted)) kept.push_back(*one);
    return kept;
}

bool RemoveTrendLeftovers(const QString& dataFolder) {
    if (dataFolder.isEmpty() || QDir::isRelativePath(dataFolder)) return false;
    bool all = true;
    for (const QFileInfo& file : monthFiles(dataFolder, QLatin1String(TrendTempSuffix))) {
        QString reason;
        if (!platform::RemoveFile(file.filePath(), &reason)) {
            qWarning("The temporary trend file %s could not be removed: %s",
                     qPrintable(file.filePath()), qPrintable(reason));
            all = false;
        }
    }
    return all;
}

}  // namespace core
