#pragma once

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/FileReplacement.h"
#include "runtime/OleDate.h"

namespace core {

// ---- compact trend text -------------------------------------------------------------------

// The two hex digits of a one-character byte code ("!" -> "00", '"' -> "FF", ...), else "".
QString ByteCode(QChar c);
// Expands the instrument's compact trend text into four-hex-digit words. Raises error 5 when
// the text ends in a repeat-count character. With `maxWords` set (0 or more), expansion stops
// after that many words: a garbled repeat count cannot blow a short line up into millions.
QString RunLengthDecode(const QString& text, qsizetype maxWords = -1);
// One word of the compact trend text and how many times in a row it stands there.
struct TrendRun {
    std::array<QChar, 4> word{};
    qsizetype count = 0;
    QString text() const { return QString(word.data(), 4); }
};
// The words RunLengthDecode gives, the same ones in the same order, with the same limit and
// the same error, as runs: a run of thousands of samples stays one entry.
std::vector<TrendRun> RunLengthRuns(const QString& text, qsizetype maxWords = -1);

// ---- trend files --------------------------------------------------------------------------

inline constexpr int TrendRecordSize = 30;

// One record of a trend file.
struct TrendRecord {
    rt::OleDate time;
    std::array<float, 5> values{};
    std::array<uint8_t, 2> status{};
};

class TrendFileWrites;

// A trend file opened for reading and writing (created when missing), or for reading only.
// Writes are collected in memory and written in one piece when the file is flushed or closed,
// so that decoding a data line costs one write, not one per sample; what was read or written
// stays in memory after a flush, so the next line of the same file reads nothing again.
// Writing past the end extends the file; reading past it gives zeros. Only one object may
// write a file at a time.
class TrendFile {
  public:
    enum class Mode {
        ReadWrite,  // created when missing, kept as it is
        Restart,    // created when missing, emptied when present
        ReadOnly,   // never created nor changed: a write raises error 75
    };

    // Raises error 75 when the file cannot be opened. A file opened for reading only must be a
    // regular file, opened so that nothing waits: a FIFO, a device or a socket raises error 75
    // at once.
    explicit TrendFile(const QString& path, Mode mode = Mode::ReadWrite);
    ~TrendFile();
    TrendFile(const TrendFile&) = delete;
    TrendFile& operator=(const TrendFile&) = delete;

    void write(qint64 position, const void* data, int size);
    void read(qint64 position, void* data, int size);
    // The bytes [position, position + size) in memory (what lies past the end reads as zeros),
    // to be changed in place; changed() then tells which of them were, and only those count as
    // written. Valid until the next call on the file.
    char* bytesToChange(qint64 position, qint64 size);
    void changed(qint64 begin, qint64 end);
    qint64 size() const;
    QString fileName() const { return path_; }
    // The path of the file the system opened, every link resolved; empty when it cannot be
    // told.
    QString realPath() const;
    // For a file opened for reading only, before its first read: the file ends, for this
    // object, after `length` bytes. Nothing beyond is ever read from the disk; a read there
    // gives zeros as past the end.
    void limitTo(qint64 length);
    int32_t RecordCount() const { return static_cast<int32_t>(size() / TrendRecordSize); }
    // Writes what is pending (hands it on, for a file written in the background); raises
    // error 75 when the file system refuses.
    void flush();
    // Waits for what is pending to be written and closes the file; raises as flush() does.
    void close();

    // From now on flush() hands what is pending to a thread that writes trend files, and
    // returns at once: a slow disk never holds the caller. The first write that fails is kept,
    // and raised (as flush() raises) by the next flush() or close(); what is handed on after
    // it is not written. Raises error 75 when the file cannot be handed on.
    void writeInBackground();
    // Hands what is pending on and closes the file without waiting: the writes go on by
    // themselves. What is returned tells when they are done and how they went (nullptr when
    // nothing is written in the background).
    std::shared_ptr<TrendFileWrites> handOff() noexcept;
    // Closes the file, dropping what was not written yet (a write under way ends first):
    // for a file whose content is thrown away.
    void abandon() noexcept;

  private:
    void cover(qint64 begin, qint64 end);
    void refuseReadOnly() const;

    QString path_;  // as it was given: a file opened by its handle keeps no name
    QFile file_;
    bool readOnly_ = false;
    // The file's length on disk: known at open and moved only by this object's own writes, so
    // the system is asked once per open, not once per sample.
    qint64 fileLength_ = 0;
    QByteArray buffer_;  // bytes [bufferStart_, bufferStart_ + buffer_.size()) of the file
    qint64 bufferStart_ = 0;
    // The written part of the buffer; only that goes to the file, so reading past the end
    // never extends it.
    qint64 dirtyBegin_ = 0, dirtyEnd_ = 0;
    std::shared_ptr<TrendFileWrites> writes_;  // set when written in the background
};

// Blocks, letting no event through, until every trend write handed to the disk is done: for
// work that then reads the trend files as the disk holds them.
void WaitForTrendWrites();

// The records of a trend file of `bytes` bytes: a last record cut short counts when more than
// half of it is there, exactly half of it when that makes the count even.
qint64 TrendRecordsIn(qint64 bytes);
// The records a reader takes from a trend file opened for reading only: those of the file, up
// to `capacity`. The file is then read no further than those records: a damaged file of any
// length costs no more than the record can hold, and its length is reported once.
int32_t ReadableRecords(TrendFile& file, int32_t capacity);

// ---- stored trend files --------------------------------------------------------------------

// A stored download's trend file opened for reading, when it is one a reader may take: a
// regular file whose real path (every link resolved) lies inside the real data folder. nullptr
// when it is none (a FIFO, a device, a socket, a folder, or a file that a link leads to outside
// the data folder): such a file is neither opened nor waited on, and the reader tells it
// damaged. Raises error 75 when a file that may be read cannot be opened.
std::unique_ptr<TrendFile> OpenStoredTrendFile(const QString& path, const QString& dataFolder);

// Byte positions; error 63 for a record below 1, error 6 beyond 32-bit positions.
void PutSample(int32_t record, TrendFile& file, int16_t gas, float value, rt::OleDate time);
void PutRecordTail(int32_t record, TrendFile& file, std::array<uint8_t, 2> digits);
float GetSampleValue(int32_t record, TrendFile& file, int16_t gas);
TrendRecord GetTrendRecord(int32_t record, TrendFile& file);

// Consecutive records of a trend file, changed in memory and written back in one piece: a
// line of thousands of samples costs one write, not one a sample. The file gets exactly the
// bytes PutSample and PutRecordTail would give it, record by record.
class TrendRecordRange {
  public:
    // Records `first` to `first + count - 1`, read once; raises as PutSample does for a
    // record outside the file's positions.
    TrendRecordRange(TrendFile& file, int32_t first, int32_t count);
    // Record `first + index` (index within the range).
    void putSample(int32_t index, int16_t gas, float value, rt::OleDate time);
    void putRecordTail(int32_t index, std::array<uint8_t, 2> digits);
    // What was put counts as written at once, from the first byte changed to the last; nothing
    // else may be done with the file while the range puts.

  private:
    void put(int32_t index, int offset, const uchar* data, int size);

    TrendFile& file_;
    qint64 start_;
    char* bytes_ = nullptr;  // the file's own bytes of the records, in memory
    qint64 size_ = 0;
};

// Names made from instrument text become safe file names (the writer, the reader and the
// deletion all go through this one function).
QString SanitizeFileName(const QString& name);
// DataFolder/yy/mm of a record's start.
QString TrendFolder(const QString& dataFolder, rt::OleDate start);
// DataFolder/yy/mm/<name>.Dat
QString TrendFilePath(const QString& dataFolder, rt::OleDate start, const QString& recordName);

// The suffix of the temporary file a trend file is written as, beside it, while its samples
// arrive. Such a file is never whole for sure: the next start removes it.
inline constexpr char TrendTempSuffix[] = ".part";
// The temporary file of the trend file at `trendPath`.
QString TrendTempPath(const QString& trendPath);

// A trend file kept aside under a name tied to its header row (the row's SeqNo), whole and on
// the disk, until that row is stored or deleted: "<trend file>.<SeqNo>.ready" holds the samples
// of a row being stored, "<trend file>.<SeqNo>.deleted" the file of a row being deleted. A
// start that finds one puts it in place when its row stands in the database, and removes it
// when the row is not there.
inline constexpr char TrendReadySuffix[] = ".ready";
inline constexpr char TrendDeletedSuffix[] = ".deleted";
QString TrendReadyPath(const QString& trendPath, int64_t seqNo);
QString TrendDeletedPath(const QString& trendPath, int64_t seqNo);
struct KeptTrendFile {
    QString path;       // the file kept aside
    QString trendPath;  // the trend file it is kept for
    int64_t seqNo = 0;  // its header row
    bool deleted = false;
};
// The trend files kept aside in DataFolder/yy/mm; links are neither followed nor listed.
std::vector<KeptTrendFile> KeptTrendFiles(const QString& dataFolder);

// The trend file a record writes while its data lines arrive: opened on the first line and
// kept open for the next, so a download costs no open, read and close per line. The samples
// go to the trend file's temporary file, which takes the trend file's name only when the
// record is stored: a stored trend file is never opened for writing, and a download that
// ends without storing the record leaves no file behind. A file or folder the system refuses
// (open, write, prepare, mend) raises error 75 telling the trend file's folder and the cause in
// the user's words; a disk without room raises error 61.
class TrendWriter {
  public:
    TrendWriter() = default;
    // What was not put in place is removed.
    ~TrendWriter();
    TrendWriter(const TrendWriter&) = delete;
    TrendWriter& operator=(const TrendWriter&) = delete;

    // The open temporary file of the trend file at `path` (the one already open when the path
    // is the same). The first open of a trend file starts its temporary file empty, so that
    // nothing of an earlier attempt mixes in; a temporary file of another trend file that
    // was started before is removed. An empty path (no trend file) raises error 75.
    TrendFile& open(const QString& path);
    // Hands what is pending to the disk; the file is written in the background, so that a
    // slow disk never holds the reading of the instrument's lines. Raises error 75 (61 for a
    // disk without room) when an earlier write of the file failed.
    void flush();
    // Hands what is pending to the disk and closes the file without waiting for the writes,
    // keeping what was written for the next open (which waits for them first). A failure is
    // kept for settle() to raise.
    void closeQuietly() noexcept;
    // Waits, with the window's events going on, until every trend write handed to the disk is
    // done; raises the first write of this trend file that failed. The store's first step.
    void settle();
    // Before the COMMIT of the header row `seqNo` that names the trend file: the samples reach
    // the disk, kept aside under the name tied to that row (TrendReadyPath), with their folder
    // and the folders above that a folder was made in. Nothing when nothing was written. Raises
    // error 75 with the samples removed.
    void prepare(int64_t seqNo);
    // After that COMMIT: the samples take the trend file's name (one there is replaced whole,
    // never cut) and the folder keeps the rename. Raises error 75 when that fails; the samples
    // then stay kept aside, and the next start puts them in place since their row is stored.
    void commit();
    // For a record stored before whose trend file is missing or shorter than the samples
    // written now: they replace it, whole and on the disk. A stored file at least as long
    // stays as it is. Nothing when nothing was written. Raises error 75; the stored file is
    // then as it was.
    void mend();
    // Removes what was written and not put in place.
    void discard() noexcept;

  private:
    void closeFile();
    // Waits without letting events through for the writes of the files closed before, and
    // raises the first of them that failed.
    void finishClosed();

    QString path_;  // the trend file whose temporary file was started, until put in place
    std::unique_ptr<platform::FileReplacement> replacement_;
    std::unique_ptr<TrendFile> file_;
    // The writes of the temporary file's earlier opens, going on after their close.
    std::vector<std::shared_ptr<TrendFileWrites>> closed_;
};

// An entry that could not be removed, with the system's reason.
struct RemovalFailure {
    QString path;
    QString reason;
};

// The trend files of header rows being deleted: each is kept aside under a name tied to its
// row before the rows are deleted, and removed once they are. A kill at any moment leaves the
// rows with their files or neither: the next start puts back a file whose row still stands
// and removes one whose row is gone.
class TrendFileDeletion {
  public:
    struct File {
        QString trendPath;
        int64_t seqNo = 0;
    };
    TrendFileDeletion() = default;
    // What is kept aside takes its name again, unless the rows were deleted.
    ~TrendFileDeletion();
    TrendFileDeletion(const TrendFileDeletion&) = delete;
    TrendFileDeletion& operator=(const TrendFileDeletion&) = delete;

    // Keeps each file aside (one that is not there has nothing to keep; a link is kept as the
    // link, a folder of that name stays where it is) and syncs their folders. A file that cannot be
    // kept aside puts the others back and raises error 75 with its reason: nothing may be deleted
    // then. With `dataFolder` given, a file whose folder lies outside it, its links resolved (a
    // linked year or month folder), is not touched: it stays, and is told as staying.
    void setAside(const std::vector<File>& files, const QString& dataFolder = QString());
    // The rows are deleted: what is kept aside is removed. Each file that stays is returned
    // with the system's reason; the next start removes it.
    std::vector<RemovalFailure> rowsDeleted();

  private:
    void putBack() noexcept;

    std::vector<std::pair<QString, QString>> aside_;  // the trend file, where it is kept
    std::vector<RemovalFailure> notFiles_;            // folders where a trend file would be
};

// Makes DataFolder, DataFolder/yy and DataFolder/yy/mm, each level that is missing. The folder
// each new one is made in is synced once, by the first TrendWriter store of a trend file below
// it (prepare, mend), before anything is kept in the new folder; a folder that was there is
// not synced again. Links on the way are followed, never replaced. Raises when a level cannot
// be made: error 61 for a disk without room, else error 75 telling the folder and the cause in
// the user's words (refused, read-only, a link that leads nowhere, a file in the folder's
// place).
void CreateTrendFolders(const QString& dataFolder, rt::OleDate start);
// Deletes a folder with everything in it; failures are ignored. An empty or relative path and
// a filesystem root are refused (nothing is deleted): an empty path would name the folder the
// program was started from.
void DeleteFolder(const QString& path);
// Removes everything in the data folder and leaves it empty (made again when missing). Only a
// data folder inside the program folder is touched: an empty, relative, linked or misplaced
// path, or the program folder itself, is refused (false, nothing removed, nothing in `kept`).
// Links inside are removed as links, never followed. False as well when something could not be
// removed; `kept`, when given, then receives each entry that stayed for a reason of its own (a
// folder that stays only because something in it stayed is not named again).
bool EmptyDataFolder(const QString& dataFolder, const QString& programFolder,
                     std::vector<RemovalFailure>* kept = nullptr);
// Removes the temporary trend files (TrendTempSuffix) a killed program left in
// DataFolder/yy/mm. Nothing else is touched: only files with the temporary suffix, two folder
// levels down, links neither followed nor removed. False when one could not be removed.
bool RemoveTrendLeftovers(const QString& dataFolder);

}  // namespace core
