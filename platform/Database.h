#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace platform {

// A value bound to a statement: texts as they are (an empty text as '', never NULL), dates as
// ISO text to the second, Booleans as 1/0, a Single as the double of its 7-digit text (20.9f is
// stored as 20.9). Only nullptr binds SQL NULL.
class DbParam {
  public:
    DbParam(std::nullptr_t) {}
    DbParam(const QString& text);
    DbParam(const char* text) : DbParam(QString::fromUtf8(text)) {}
    DbParam(bool b) : value_(b ? 1 : 0) {}
    DbParam(int16_t n) : value_(static_cast<int>(n)) {}
    DbParam(int32_t n) : value_(n) {}
    DbParam(int64_t n) : value_(static_cast<qlonglong>(n)) {}
    DbParam(float f);
    DbParam(double d) : value_(d) {}
    DbParam(rt::OleDate date);

    const QVariant& value() const { return value_; }

  private:
    QVariant value_;  // a null QVariant binds SQL NULL
};

// The ISO text a date is stored as, and back (nullopt for text that is no such date).
QString dbDateText(rt::OleDate date);
std::optional<rt::OleDate> dateOfDbText(const QString& text);

// "Insert Into table(columns) Values (?,...)" for bound values.
QString InsertStatement(const QString& table, const QStringList& columns);

// The rows of a query, read into memory. Every getter tests for Null and for a missing
// column and gives the default then.
class ResultSet {
  public:
    ResultSet() = default;
    ResultSet(QStringList columns, std::vector<std::vector<QVariant>> rows);

    // The same rows read leniently, as what a download stored is read to be shown: a value
    // that the getter's type cannot hold (a number beyond its range, an infinite number, text
    // that is no number or date) gives the getter's fallback instead of raising, and is
    // remembered as unreadable. Otherwise a number beyond a Long or an Integer raises
    // error 6, as the conversion does.
    ResultSet lenient() &&;
    // Whether a lenient getter met a value it could not read: anywhere, in one cell.
    bool anyUnreadable() const { return !unreadable_.empty(); }
    bool unreadableIn(int row) const;
    bool unreadable(int row, const QString& column) const;
    // `shown`, or an empty text when the cell of `column` could not be read: what a value that
    // cannot be read shows as.
    template <class T>
    T shownIfReadable(int row, const char* column, const T& shown) const {
        return unreadable(row, QString::fromLatin1(column)) ? T(QString()) : shown;
    }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    int columnCount() const { return static_cast<int>(columns_.size()); }
    QStringList columns() const { return columns_; }
    int column(const QString& name) const;  // -1 when absent; names compare case-insensitively

    bool isNull(int row, const QString& column) const;
    QVariant value(int row, const QString& column) const;
    QString text(int row, const QString& column, const QString& fallback = QString()) const;
    int32_t longValue(int row, const QString& column, int32_t fallback = 0) const;
    // The same getters by the column's index (see column()), for a reader of many rows that
    // looks each name up once.
    QVariant value(int row, int column) const;
    QString text(int row, int column, const QString& fallback = QString()) const;
    int32_t longValue(int row, int column, int32_t fallback = 0) const;
    std::optional<int64_t> wholeNumber(int row, int column) const;
    // A Long column read into an Integer (decimal places, sampling flags).
    int16_t integer(int row, const QString& column, int16_t fallback = 0) const;
    // A whole number as stored, 64 bits wide (a key); nullopt for Null, a missing column or
    // a value that is no whole number.
    std::optional<int64_t> wholeNumber(int row, const QString& column) const;
    double doubleValue(int row, const QString& column, double fallback = 0.0) const;
    float single(int row, const QString& column, float fallback = 0.0f) const;
    bool boolean(int row, const QString& column, bool fallback = false) const;
    rt::OleDate date(int row, const QString& column, rt::OleDate fallback = rt::OleDate()) const;
    // A date every row has (a download's start, an event's time), read as date() does; read
    // leniently, one that is Null or blank counts as unreadable too, so that it shows empty and
    // its download is told damaged rather than taken for a default.
    rt::OleDate requiredDate(int row, const QString& column) const;

  private:
    friend class Database;  // hands over the rows of a query one at a time

    // The fallback of a lenient getter for a value it cannot read; a strict one raises `error`.
    template <class T>
    T unreadableValue(int row, const QString& column, T fallback, int error) const;
    template <class T>
    T unreadableValue(int row, int column, T fallback, int error) const;

    QStringList columns_;
    std::vector<std::vector<QVariant>> rows_;
    bool lenient_ = false;
    mutable std::set<std::pair<int, int>> unreadable_;  // row, column
};

// An error of the database, with what kind of trouble it met, so that a caller can tell the
// user what to do about it.
class DatabaseError : public rt::RuntimeError {
  public:
    enum class Kind {
        Other,
        Locked,    // another program keeps the file locked, past the wait for it
        DiskFull,  // the disk (or the file system) has no room for what was to be written
        Busy,      // refused: this program's own store holds the database (see Transaction)
        ReadOnly,  // the database may only be read (its file or its folder refuses writes)
    };
    // `path`: the database's file; `engineText`: the engine's own words, without the statement.
    DatabaseError(Kind kind, const QString& description, const QString& path = QString(),
                  const QString& engineText = QString());
    Kind kind() const { return kind_; }
    // What the user is told of it names the file and the engine's words, never a statement.
    const QString& path() const { return path_; }
    const QString& engineText() const { return engineText_; }

  private:
    Kind kind_;
    QString path_;
    QString engineText_;
};

// The program's database. Handles are cheap: every handle of one file shares one connection.
// The engine keeps a write-ahead log beside the file while it is open (see Transaction).
// Errors are raised as DatabaseError (number rt::ErrDatabase) naming the statement. A statement
// that finds the file locked by another program waits for it in short slices, about 5 s in
// all, letting the window's events through between the slices (platform/Waiting.h), then
// fails.
class Database {
  public:
    // Opens an existing database; never creates a file. Raises when the file is missing (a
    // link whose target is missing is told as such) or is not a database of this program.
    static Database open(const QString& path);
    // Creates a new, empty database file (nothing may stand at the path, not even a link).
    static Database create(const QString& path);
    // Closes the shared connection of a file (before the file is removed or replaced).
    static void close(const QString& path);

    void exec(const QString& sql, std::initializer_list<DbParam> params = {}) const;
    void exec(const QString& sql, const std::vector<DbParam>& params) const;
    ResultSet query(const QString& sql, std::initializer_list<DbParam> params = {}) const;
    ResultSet query(const QString& sql, const std::vector<DbParam>& params) const;
    // Runs a query and hands its rows to `each` one at a time, as they are read, keeping none:
    // a large table is read once without a copy of it in memory. `each` reads row 0 of the
    // result set it is given (leniently when `lenient`), which holds that row during the call
    // only.
    void forEachRow(const QString& sql, const std::vector<DbParam>& params, bool lenient,
                    const std::function<void(const ResultSet& row)>& each) const;
    // False when the statement cannot run (a probe for a missing table or column).
    bool probe(const QString& sql) const;

    // The key (SeqNo) a new row of a table takes: the largest key below the end of a Long plus
    // 1 (1 for a table without one), or, when that is past a Long, the lowest free key from 1.
    // Keys beyond a Long that a damaged database holds are left alone, never counted on.
    // Raises rt::RuntimeError when no key of a Long is free.
    int32_t MaxSeq(const QString& table) const;

    QString path() const { return path_; }
    QString connectionName() const { return connection_; }
    // Whether the engine opened the file for reading only (this user may not write it): every
    // write then fails with a DatabaseError of kind ReadOnly.
    bool readOnly() const;

  private:
    Database(QString path, QString connection)
        : path_(std::move(path)), connection_(std::move(connection)) {}
    QString path_;
    QString connection_;
};

// The keys of the rows one store adds to a table, one after the other: the first as MaxSeq
// gives it, each next one free as well, past the keys the table holds on the way. Each key must
// be taken by its row before the next is asked for.
class NewKeys {
  public:
    NewKeys(const Database& db, QString table);
    // Raises rt::RuntimeError when no key of a Long is free.
    int32_t next();

  private:
    // Finds the next run of free keys from next_ on.
    void findFree();
    std::optional<int64_t> firstKey(const QString& sql, int64_t from) const;

    Database db_;
    QString table_;
    bool wrapped_ = false;
    int64_t next_ = 1, end_ = 1;  // keys [next_, end_) are free
};

// What stands at a database's place, as far as this program can tell without changing it.
enum class DatabaseFile {
    Missing,       // nothing there
    Folder,        // a folder of that name
    NotDatabase,   // a file that is no database of this program (text, empty, another's, a FIFO)
    NoPermission,  // a file this user may not read (the system's reason given)
    Damaged,       // a database file that cannot be read (its reason given)
    Locked,        // a database file that another program keeps locked (its reason given)
    Ours,          // a database of this program
};
struct DatabaseFileCheck {
    DatabaseFile state = DatabaseFile::Missing;
    QString reason;  // for NoPermission and Damaged: the system's or the engine's own words
};
// Looks at the file at `path` read-only, never waiting on it: nothing is created, written or
// removed.
DatabaseFileCheck CheckDatabaseFile(const QString& path);

// One transaction: committed by commit(), rolled back when it ends without one. While it is
// open, the connection belongs to the code that began it: work asked of the database from a
// handler that runs inside one of its waits (an event let through while a statement or the
// COMMIT waits) is refused with a DatabaseError of kind Busy, never joined to it. The COMMIT
// runs off the window thread (a sync on a slow disk never holds the window up) and waits up to
// about 5 s for another program's lock; it returns only once what it stored is on the disk. A
// COMMIT that fails leaves the transaction open, to be rolled back.
class Transaction {
  public:
    explicit Transaction(const Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database db_;
    bool done_ = false;
};

}  // namespace platform
