#include "core/TrendFile.h"

#include <QDir>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QScopeGuard>

#include "platform/RegularFile.h"
#include "platform/StringTable.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace core {

namespace {

enum Text : int {
    TextOutsideDataFolder = 5840,
};

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

// A file the system tells to be no regular file (a FIFO, a device, a socket, a folder): a
// reader may wait on it for ever, or change what it stands for by opening it.
bool isIrregular(const struct stat& st) {
    return !S_ISREG(st.st_mode);
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

void TrendFile::flush() {
    if (dirtyEnd_ > dirtyBegin_) {
        const qint64 length = dirtyEnd_ - dirtyBegin_;
        if (!file_.seek(dirtyBegin_) ||
            file_.write(buffer_.constData() + (dirtyBegin_ - bufferStart_), length) != length ||
            !file_.flush())
            throw rt::RuntimeError(rt::ErrPathAccess,
                                   QStringLiteral("Cannot write the trend file %1: %2")
                                       .arg(path_, file_.errorString()));
        fileLength_ = std::max(fileLength_, dirtyEnd_);
    }
    dirtyBegin_ = dirtyEnd_ = 0;
}

void TrendFile::close() {
    if (!file_.isOpen()) return;
    flush();
    buffer_.clear();
    file_.close();
}

QString TrendTempPath(const QString& trendPath) {
    return trendPath + QLatin1String(TrendTempSuffix);
}

TrendWriter::~TrendWriter() {
    discard();
}

TrendFile& TrendWriter::open(const QString& path) {
    // A record that names no trend file has nowhere to write: never a file of the working folder.
    if (path.isEmpty())
        throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("The record names no trend file"));
    if (path_ != path) {
        discard();
        file_ = std::make_unique<TrendFile>(TrendTempPath(path), TrendFile::Mode::Restart);
        path_ = path;
    } else if (!file_) {
        file_ = std::make_unique<TrendFile>(TrendTempPath(path));
    }
    return *file_;
}

void TrendWriter::flush() {
    if (file_) file_->flush();
}

void TrendWriter::closeQuietly() noexcept {
    try {
        file_.reset();  // the file's own close writes what is pending and reports a failure
    } catch (...) {
    }
}

void TrendWriter::commit() {
    if (path_.isEmpty()) return;
    try {
        if (file_) file_->close();
    } catch (...) {
        discard();
        throw;
    }
    file_.reset();
    const QByteArray from = QFile::encodeName(TrendTempPath(path_));
    const QByteArray to = QFile::encodeName(path_);
    // The system's rename replaces the trend file in one step: a reader or a kill sees the
    // old file or the new one, never a part of either.
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString reason = qt_error_string(errno);
        const QString target = path_;
        discard();
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot put the trend file %1 in place: %2").arg(target, reason));
    }
    path_.clear();
}

void TrendWriter::discard() noexcept {
    closeQuietly();
    if (path_.isEmpty()) return;
    const QString temp = TrendTempPath(path_);
    path_.clear();
    QFile file(temp);
    if (!file.remove() && file.exists())
        qWarning("The temporary trend file %s could not be removed: %s", qPrintable(temp),
                 qPrintable(file.errorString()));
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
    if (::stat(QFile::encodeName(real).constData(), &st) == 0 && isIrregular(st)) return nullptr;
    auto file = std::make_unique<TrendFile>(path, TrendFile::Mode::ReadOnly);
    // The file opened is the one looked at: a link changed meanwhile leads nowhere else.
    if (!liesInside(file->realPath(), data)) return nullptr;
    return file;
}

bool RemoveStoredTrendFile(const QString& path, const QString& dataFolder, QString& reason) {
    const QFileInfo entry(path);
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 && errno == ENOENT) return true;
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    const QString holder = QFileInfo(entry.absolutePath()).canonicalFilePath();
    // The folder is opened once and the entry removed inside that very folder.
    const int folder = holder.isEmpty() ? -1
                                        : ::open(QFile::encodeName(holder).constData(),
                                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        reason = qt_error_string(errno);
        return false;
    }
    const auto closed = qScopeGuard([folder] { ::close(folder); });
    if (!liesInside(realPathOf(folder, holder), data)) {
        reason = platform::LoadResText(TextOutsideDataFolder);
        return false;
    }
    if (::unlinkat(folder, QFile::encodeName(entry.fileName()).constData(), 0) != 0 &&
        errno != ENOENT) {
        reason = qt_error_string(errno);
        return false;
    }
    return true;
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

bool CreateTrendFolders(const QString& dataFolder, rt::OleDate start) {
    return QDir().mkpath(TrendFolder(dataFolder, start));
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
            QFile file(path);
            if (!file.remove()) {
                kept.push_back({path, file.errorString()});
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

bool RemoveTrendLeftovers(const QString& dataFolder) {
    if (dataFolder.isEmpty() || QDir::isRelativePath(dataFolder)) return false;
    const auto folders = [](const QString& in) {
        return QDir(in).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks |
                                      QDir::Hidden);
    };
    const QString suffix = QLatin1String(TrendTempSuffix);
    bool all = true;
    for (const QFileInfo& year : folders(dataFolder))
        for (const QFileInfo& month : folders(year.filePath())) {
            const QFileInfoList files =
                QDir(month.filePath())
                    .entryInfoList({QLatin1Char('*') + suffix},
                                   QDir::Files | QDir::NoSymLinks | QDir::Hidden | QDir::System);
            for (const QFileInfo& file : files) {
                if (!file.fileName().endsWith(suffix) || file.isSymLink()) continue;
                if (!QFile::remove(file.filePath())) {
                    qWarning("The temporary trend file %s could not be removed",
                             qPrintable(file.filePath()));
                    all = false;
                }
            }
        }
    return all;
}

}  // namespace core
