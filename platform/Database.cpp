#include "platform/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>
#include <utility>

#include <sqlite3.h>

#include "platform/DatabaseVfs.h"
#include "platform/FileReplacement.h"
#include "platform/FileSteps.h"
#include "platform/RegularFile.h"
#include "platform/StringTable.h"
#include "platform/Waiting.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"

namespace platform {

namespace {

enum Text : int {
    TextStoreRunning = 5480,
    TextNoFreeKey = 5848,
    TextLinkLeadsNowhere = 5880,
};

}  // namespace

DatabaseError::DatabaseError(Kind kind, const QString& description, const QString& path,
                             const QString& engineText)
    : rt::RuntimeError(rt::ErrDatabase, description),
      kind_(kind),
      path_(path),
      engineText_(engineText) {}

// ---- values ------------------------------------------------------------------------------

// The driver binds a null QString as SQL NULL, and an empty text often is one: a row written
// with an empty name would then not be found by a search for ''.
DbParam::DbParam(const QString& text) : value_(text.isNull() ? QStringLiteral("") : text) {}

DbParam::DbParam(float f) : value_(rt::SingleToDouble(f)) {}

DbParam::DbParam(rt::OleDate date) : value_(dbDateText(date)) {}

QString dbDateText(rt::OleDate date) {
    return date.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

// The date and time of text of exactly the stored form, digits where digits go; nullopt for
// any other text (which the general parse reads).
std::optional<rt::OleDate> storedFormDate(const QString& text) {
    static constexpr char form[] = "dddd-dd-dd dd:dd:dd";
    const QChar* c = text.constData();
    for (int i = 0; i < 19; ++i) {
        const char16_t u = c[i].unicode();
        if (form[i] == 'd' ? (u < u'0' || u > u'9') : u != char16_t(form[i])) return std::nullopt;
    }
    const auto number = [c](int at, int digits) {
        int n = 0;
        for (int i = at; i < at + digits; ++i)
            n = n * 10 + (c[i].unicode() - u'0');
        return n;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return rt::OleDate::fromDateTime(date, time);
}

}  // namespace

std::optional<rt::OleDate> dateOfDbText(const QString& text) {
    if (text.size() != 19 || text.at(10) != QLatin1Char(' ')) return std::nullopt;
    // Every date the program stores has this form: read without the general parser's cost.
    if (const auto stored = storedFormDate(text)) return stored;
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return rt::OleDate::fromDateTime(date, time);
}

QString InsertStatement(const QString& table, const QStringList& columns) {
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("Insert Into %1(%2) Values (%3);")
        .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

// ---- result sets -------------------------------------------------------------------------

namespace {

// Text with nothing in it stands for no value, as Null does.
bool isBlank(const QVariant& v) {
    return v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty();
}

// The number a value holds; nullopt for text that is no number.
std::optional<double> numberOf(const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

// The whole number of that range a stored number rounds to (half to even, as the
// conversions do); nullopt beyond it.
std::optional<double> roundedWithin(double d, double lowest, double highest) {
    if (!std::isfinite(d)) return std::nullopt;
    const double r = rt::RoundHalfEven(d);
    return r >= lowest && r <= highest ? std::optional<double>(r) : std::nullopt;
}

}  // namespace

ResultSet::ResultSet(QStringList columns, std::vector<std::vector<QVariant>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {}

ResultSet ResultSet::lenient() && {
    lenient_ = true;
    return std::move(*this);
}

bool ResultSet::unreadableIn(int row) const {
    const auto first = unreadable_.lower_bound({row, INT_MIN});
    return first != unreadable_.end() && first->first == row;
}

bool ResultSet::unreadable(int row, const QString& name) const {
    return unreadable_.count({row, column(name)}) > 0;
}

template <class T>
T ResultSet::unreadableValue(int row, const QString& name, T fallback, int error) const {
    return unreadableValue(row, column(name), fallback, error);
}

template <class T>
T ResultSet::unreadableValue(int row, int c, T fallback, int error) const {
    if (!lenient_) throw rt::RuntimeError(error);
    unreadable_.insert({row, c});
    return fallback;
}

int ResultSet::column(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant ResultSet::value(int row, const QString& name) const {
    return value(row, column(name));
}

QVariant ResultSet::value(int row, int c) const {
    if (row < 0 || row >= rowCount() || c < 0 || c >= columnCount()) return QVariant();
    return rows_[row][c];
}

bool ResultSet::isNull(int row, const QString& name) const {
    return value(row, name).isNull();
}

QString ResultSet::text(int row, const QString& name, const QString& fallback) const {
    return text(row, column(name), fallback);
}

QString ResultSet::text(int row, int c, const QString& fallback) const {
    const QVariant v = value(row, c);
    return v.isNull() ? fallback : v.toString();
}

int32_t ResultSet::longValue(int row, const QString& name, int32_t fallback) const {
    return longValue(row, column(name), fallback);
}

int32_t ResultSet::longValue(int row, int c, int32_t fallback) const {
    const QVariant v = value(row, c);
    if (v.isNull()) return fallback;
    const std::optional<double> d = numberOf(v);
    if (!lenient_) return d ? rt::CLng(*d) : fallback;
    if (isBlank(v)) return fallback;
    if (const auto r = d ? roundedWithin(*d, INT32_MIN, INT32_MAX) : std::nullopt)
        return static_cast<int32_t>(*r);
    return unreadableValue(row, c, fallback, rt::ErrOverflow);
}

int16_t ResultSet::integer(int row, const QString& name, int16_t fallback) const {
    const QVariant v = value(row, name);
    if (v.isNull()) return fallback;
    const std::optional<double> d = numberOf(v);
    if (!lenient_) return d ? rt::CInt(*d) : fallback;
    if (isBlank(v)) return fallback;
    if (const auto r = d ? roundedWithin(*d, INT16_MIN, INT16_MAX) : std::nullopt)
        return static_cast<int16_t>(*r);
    return unreadableValue(row, name, fallback, rt::ErrOverflow);
}

std::optional<int64_t> ResultSet::wholeNumber(int row, const QString& name) const {
    return wholeNumber(row, column(name));
}

std::optional<int64_t> ResultSet::wholeNumber(int row, int c) const {
    const QVariant v = value(row, c);
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (ok && (v.typeId() != QMetaType::Double || v.toDouble() == static_cast<double>(n)))
        return static_cast<int64_t>(n);
    // A whole number kept as a Double, within the range where a Double holds every one.
    const std::optional<double> d = numberOf(v);
    if (d && std::isfinite(*d) && std::trunc(*d) == *d && std::abs(*d) <= 9007199254740992.0)
        return static_cast<int64_t>(*d);
    return std::nullopt;
}

double ResultSet::doubleValue(int row, const QString& name, double fallback) const {
    const QVariant v = value(row, name);
    if (v.isNull()) return fallback;
    const std::optional<double> d = numberOf(v);
    if (!lenient_) return d ? *d : fallback;
    if (isBlank(v)) return fallback;
    if (d && std::isfinite(*d)) return *d;
    return unreadableValue(row, name, fallback, rt::ErrOverflow);
}

float ResultSet::single(int row, const QString& name, float fallback) const {
    if (!lenient_) return static_cast<float>(doubleValue(row, name, fallback));
    const double d = doubleValue(row, name, fallback);
    if (std::abs(d) <= std::numeric_limits<float>::max()) return static_cast<float>(d);
    return unreadableValue(row, name, fallback, rt::ErrOverflow);
}

bool ResultSet::boolean(int row, const QString& name, bool fallback) const {
    const QVariant v = value(row, name);
    if (v.isNull()) return fallback;
    const std::optional<double> d = numberOf(v);
    if (!lenient_) return d ? *d != 0.0 : fallback;
    if (isBlank(v)) return fallback;
    if (d) return *d != 0.0;
    return unreadableValue(row, name, fallback, rt::ErrTypeMismatch);
}

rt::OleDate ResultSet::date(int row, const QString& name, rt::OleDate fallback) const {
    const QVariant v = value(row, name);
    if (v.isNull()) return fallback;
    if (const auto d = dateOfDbText(v.toString())) return *d;
    const std::optional<double> days = numberOf(v);
    if (!lenient_) return days ? rt::OleDate(*days) : fallback;
    if (isBlank(v)) return fallback;
    if (days && rt::OleDate::inDateRange(*days)) return rt::OleDate(*days);
    return unreadableValue(row, name, fallback, rt::ErrOverflow);
}

rt::OleDate ResultSet::requiredDate(int row, const QString& name) const {
    const int c = column(name);
    const QVariant v = value(row, c);
    if (lenient_ && c >= 0 && row >= 0 && row < rowCount() && (v.isNull() || isBlank(v)))
        return unreadableValue(row, c, rt::OleDate(), rt::ErrInvalidNull);
    return date(row, name);
}

// ---- waiting for a locked database -------------------------------------------------------

namespace {

// SQLite waits this long inside one call for another connection's lock: the window thread is
// never held up longer than that at a time.
constexpr int LockSliceMs = 20;
// The whole wait of one statement for a lock, as long as the driver used to wait in one call.
constexpr qint64 LockWaitMs = 5000;

// SQLITE_BUSY, with its extended codes (the driver turns them on): another connection holds
// the lock. SQLITE_LOCKED is a conflict inside this connection, which no wait resolves.
bool isBusy(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == SQLITE_BUSY;
}

// Runs one step of a statement (its preparation or its execution) and, while another connection
// keeps the file locked, tries it again until it went through or the statement's wait is up.
// True when the step went through; the query holds the error otherwise.
bool stepWaiting(QSqlQuery& q, bool mayWait, QElapsedTimer& waited,
                 const std::function<bool()>& step) {
    if (step()) return true;
    if (!mayWait || !isBusy(q.lastError())) return false;
    if (!waited.isValid()) waited.start();
    bool done = false;
    // The first call only tells what the first attempt met, so that events go through before
    // the next slice is spent.
    bool tried = true;
    RetryWhile([&] {
        if (std::exchange(tried, false)) return true;
        if (done || !isBusy(q.lastError()) || waited.hasExpired(LockWaitMs)) return false;
        done = step();
        return !done && isBusy(q.lastError());
    });
    return done;
}

}  // namespace

// ---- connections -------------------------------------------------------------------------

namespace {

QHash<QString, QString>& connections() {
    static QHash<QString, QString> byPath;
    return byPath;
}

QString keyOf(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

DatabaseError::Kind kindOf(int nativeCode) {
    switch (nativeCode & 0xff) {
        case SQLITE_BUSY:
            return DatabaseError::Kind::Locked;
        case SQLITE_FULL:
            return DatabaseError::Kind::DiskFull;
        case SQLITE_READONLY:
            return DatabaseError::Kind::ReadOnly;
        default:
            return DatabaseError::Kind::Other;
    }
}

// `what`: the statement (or the file) that failed, for the program's own log.
[[noreturn]] void fail(const QString& path, const QString& what, const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    const QString engineText =
        error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    throw DatabaseError(ok ? kindOf(code) : DatabaseError::Kind::Other,
                        QStringLiteral("Database error: %1 (%2)").arg(error.text(), what), path,
                        engineText);
}

// The engine's own handle of a connection (the driver's), or nullptr.
sqlite3* handleOf(const QString& connection) {
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isValid() || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The transactions this program began, by connection: how deep in waits the code that began
// each one ran, and whether its COMMIT runs now (off the window thread, which then must not
// touch the connection). Whether a transaction is open at all, SQLite tells.
struct Owner {
    int depth = 0;
    bool committing = false;
};

QHash<QString, Owner>& owners() {
    static QHash<QString, Owner> byConnection;
    return byConnection;
}

// Work asked of a connection while its transaction is open belongs to that transaction only
// when it comes from the code that began it. Work from a handler that runs inside one of the
// transaction's waits (a click let through, a timer) would join it silently and be stored or
// rolled back with it: it is refused instead, and told. So is any work while its COMMIT runs.
void refuseInsideAnothersTransaction(const QString& connection) {
    const auto owner = owners().constFind(connection);
    const bool committing = owner != owners().constEnd() && owner->committing;
    if (!committing) {
        sqlite3* handle = handleOf(connection);
        if (!handle || sqlite3_get_autocommit(handle)) return;
        if (WaitDepth() <= (owner != owners().constEnd() ? owner->depth : 0)) return;
    }
    throw DatabaseError(DatabaseError::Kind::Busy, LoadResText(TextStoreRunning));
}

// Whether a statement of the connection may wait for another program's lock: not inside a
// transaction, where SQLite asks for it to be rolled back instead.
bool mayWaitOn(const QString& connection) {
    sqlite3* handle = handleOf(connection);
    return !handle || sqlite3_get_autocommit(handle);
}

QSqlDatabase connect(const QString& key, const QString& mode) {
    static int counter = 0;
    const QString name = QStringLiteral("qm73-db-%1").arg(++counter);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(LockSliceMs));
    // The program's own file layer, so that the engine's syncs and removals are file steps
    // like the program's.
    db.setDatabaseName(
        QUrl::fromLocalFile(key).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=%1&vfs=%2").arg(mode, QString::fromLatin1(DatabaseVfsName())));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        fail(key, key, error);
    }
    connections().insert(key, name);
    return db;
}

// ---- durable COMMITs --------------------------------------------------------------------------

// The frames the log of each connection holds beyond its last checkpoint, as the engine tells
// them after each COMMIT (on whichever thread ran it).
std::unordered_map<QString, std::unique_ptr<std::atomic<int>>>& logFrames() {
    static std::unordered_map<QString, std::unique_ptr<std::atomic<int>>> byConnection;
    return byConnection;
}

int countLogFrames(void* frames, sqlite3*, const char*, int count) {
    static_cast<std::atomic<int>*>(frames)->store(count);
    return SQLITE_OK;
}

// The log is copied into the database once it holds this many pages (about 4 MB), by the
// thread that ran the COMMIT rather than inside it, as the engine would.
constexpr int CheckpointFrames = 1000;

// Copies what the log holds into the database file, as far as no reader keeps it from that;
// the engine syncs both. Run off the window thread.
void checkpoint(sqlite3* handle) {
    const int code =
        sqlite3_wal_checkpoint_v2(handle, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (code != SQLITE_OK && (code & 0xff) != SQLITE_BUSY)
        qWarning("Database checkpoint failed: %s", sqlite3_errmsg(handle));
}

// A COMMIT returns only once what it stored is on the disk, so that what the program tells or
// does after it (a green line, the instrument's erase, the removal of set-aside files) follows
// durable data. In write-ahead logging the COMMIT is one append to the log and one sync of it;
// with the rollback journal that is kept when the log cannot be set (another program holds the
// file, a file the user may only read) the engine also syncs the folder after the journal's
// removal, which is the COMMIT point there.
void setUpDurableCommits(const QString& connection) {
    sqlite3* handle = handleOf(connection);
    if (!handle) return;
    sqlite3_exec(handle, "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr);
    // A transaction larger than the engine's page cache would otherwise write part of itself
    // out before its COMMIT, and the first write of a fresh log (or a journal) is synced: on
    // the window thread, in the middle of a store. Its pages stay in memory until the COMMIT.
    sqlite3_exec(handle, "PRAGMA cache_spill=OFF", nullptr, nullptr, nullptr);
    if (!sqlite3_db_readonly(handle, "main")) {
        // The switch writes and syncs the file's header once: off the window thread.
        int code = SQLITE_OK;
        QString mode;
        RunOffWindowThread([&] {
            sqlite3_stmt* statement = nullptr;
            code = sqlite3_prepare_v2(handle, "PRAGMA journal_mode=WAL", -1, &statement, nullptr);
            if (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) {
                mode = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
                code = SQLITE_OK;
            }
            sqlite3_finalize(statement);
        });
        if (code != SQLITE_OK || mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            qWarning("The database keeps its rollback journal: %s", sqlite3_errmsg(handle));
    }
    auto& frames = logFrames()[connection];
    if (!frames) frames = std::make_unique<std::atomic<int>>(0);
    sqlite3_wal_hook(handle, countLogFrames, frames.get());
}

// Commits the open transaction of a connection: the COMMIT writes and syncs the file, which a
// slow disk makes long, and may wait for another program's lock, so it runs off the window
// thread. Work asked of the connection meanwhile is refused. A refused COMMIT raises and leaves
// the transaction open, so that it can be rolled back.
void commitOffWindowThread(const QString& path, const QString& connection) {
    sqlite3* handle = handleOf(connection);
    if (!handle)
        throw DatabaseError(DatabaseError::Kind::Other,
                            QStringLiteral("Database error: the connection is closed (COMMIT)"),
                            path, QStringLiteral("the connection is closed"));
    owners()[connection].committing = true;
    int code = SQLITE_OK;
    QString message;
    const auto committed = qScopeGuard([connection] {
        if (const auto owner = owners().find(connection); owner != owners().end())
            owner->committing = false;
    });
    const auto frames = logFrames().find(connection);
    std::atomic<int>* logged = frames != logFrames().end() ? frames->second.get() : nullptr;
    RunOffWindowThread([&] {
        QElapsedTimer waited;
        waited.start();
        do {
            code = sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        } while ((code & 0xff) == SQLITE_BUSY && !waited.hasExpired(LockWaitMs));
        if (code != SQLITE_OK) {
            message = QString::fromUtf8(sqlite3_errmsg(handle));
            return;
        }
        // A long log is copied into the file while the connection is still this store's.
        if (logged && logged->load() >= CheckpointFrames) checkpoint(handle);
    });
    if (code != SQLITE_OK)
        throw DatabaseError(kindOf(code),
                            QStringLiteral("Database error: %1 (COMMIT)").arg(message), path,
                            message);
}

// Runs a statement that changes the database, prepared in `q` outside any transaction, as a
// transaction of its own: the statement on the calling thread (the engine keeps what it changes
// in memory until the COMMIT), its COMMIT off the window thread. While the COMMIT runs, work
// asked of the connection is refused as during any store's; a failure rolls the change back.
void runAsItsOwnTransaction(QSqlQuery& q, const QString& path, const QString& connection,
                            const QString& sql, const std::vector<DbParam>& params,
                            QElapsedTimer& waited) {
    QSqlQuery begin(QSqlDatabase::database(connection, false));
    if (!stepWaiting(begin, true, waited,
                     [&] { return begin.exec(QStringLiteral("BEGIN IMMEDIATE")); }))
        fail(path, sql, begin.lastError());
    begin.finish();
    owners().insert(connection, Owner{WaitDepth(), false});
    sqlite3* handle = handleOf(connection);
    auto rollBack = qScopeGuard([&] {
        if (handle && !sqlite3_get_autocommit(handle) &&
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
            qWarning("Rollback failed: %s", sqlite3_errmsg(handle));
        owners().remove(connection);
    });
    for (const DbParam& p : params)
        q.addBindValue(p.value());
    if (!q.exec()) fail(path, sql, q.lastError());
    commitOffWindowThread(path, connection);
    rollBack.dismiss();
    owners().remove(connection);
}

// Prepares and runs a statement; false with the query's error when it cannot run. `mayWait`
// allows waiting for another connection's lock.
bool tryRun(QSqlQuery& q, const QString& sql, const std::vector<DbParam>& params, bool mayWait) {
    q.setForwardOnly(true);
    QElapsedTimer waited;
    if (!stepWaiting(q, mayWait, waited, [&] { return q.prepare(sql); })) return false;
    for (const DbParam& p : params)
        q.addBindValue(p.value());
    // The driver binds the values again on every execution.
    return stepWaiting(q, mayWait, waited, [&] { return q.exec(); });
}

// Whether a statement begins, ends or marks a transaction (BEGIN, COMMIT, END, ROLLBACK,
// SAVEPOINT, RELEASE): the engine counts a BEGIN IMMEDIATE among those that write.
bool controlsATransaction(const QString& sql) {
    static const QRegularExpression control(
        QStringLiteral("^\\s*(BEGIN|COMMIT|END|ROLLBACK|SAVEPOINT|RELEASE)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return control.match(sql).hasMatch();
}

// Whether the statement prepared in `q` changes the database and gives no rows: a read does
// not, nor does a statement that answers with rows (a pragma that tells a setting).
bool changesTheDatabase(const QSqlQuery& q) {
    const QSqlResult* result = q.result();
    const QVariant handle = result ? result->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0) return false;
    sqlite3_stmt* statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    return statement && !sqlite3_stmt_readonly(statement) && sqlite3_column_count(statement) == 0;
}

QSqlQuery run(const QString& path, const QString& connection, const QString& sql,
              const std::vector<DbParam>& params) {
    refuseInsideAnothersTransaction(connection);
    const bool mayWait = mayWaitOn(connection);
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    QElapsedTimer waited;
    if (!stepWaiting(q, mayWait, waited, [&] { return q.prepare(sql); }))
        fail(path, sql, q.lastError());
    // Outside a transaction the engine commits a change inside the statement itself, syncing
    // on the window thread: it is made a transaction of its own, committed as every store is.
    if (mayWait && !controlsATransaction(sql) && changesTheDatabase(q)) {
        runAsItsOwnTransaction(q, path, connection, sql, params, waited);
        return q;
    }
    for (const DbParam& p : params)
        q.addBindValue(p.value());
    if (!stepWaiting(q, mayWait, waited, [&] { return q.exec(); })) fail(path, sql, q.lastError());
    return q;
}

// A symbolic link whose target is missing: the user's link to a disk that is away, which no
// open or creation may go through.
bool isLinkLeadingNowhere(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() && !info.exists();
}

rt::RuntimeError linkLeadingNowhere(const QString& path) {
    return rt::RuntimeError(rt::ErrFileNotFound,
                            LoadResText(TextLinkLeadsNowhere, {path, LinkTargetOf(path)}));
}

}  // namespace

Database Database::open(const QString& path) {
    const QString key = keyOf(path);
    if (const auto it = connections().constFind(key); it != connections().constEnd()) {
        if (QFileInfo::exists(key)) return Database(key, *it);
        close(key);  // the file went away under the connection
    }
    if (QFileInfo(key).isDir())
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The database %1 is a folder").arg(key));
    if (isLinkLeadingNowhere(key)) throw linkLeadingNowhere(key);
    if (!QFileInfo(key).isFile())
        throw rt::RuntimeError(rt::ErrFileNotFound,
                               QStringLiteral("The database %1 does not exist").arg(key));
    connect(key, QStringLiteral("rw"));
    Database db(key, connections().value(key));
    // A file of that name that holds something else is refused at once, not at its first use.
    bool ours = false;
    try {
        ours = db.query(QStringLiteral("Select name From sqlite_master Where type = 'table' And "
                                       "name = 'Log_head' Collate Nocase"))
                   .rowCount() == 1;
    } catch (const DatabaseError& e) {
        // A file another program keeps locked is not told as someone else's: the next use
        // tries again.
        if (e.kind() == DatabaseError::Kind::Locked || e.kind() == DatabaseError::Kind::Busy) {
            close(key);
            throw;
        }
        ours = false;
    }
    if (!ours) {
        close(key);
        throw rt::RuntimeError(rt::ErrDatabase,
                               QStringLiteral("%1 is not a database of this program").arg(key));
    }
    // Only a database of this program is set up: a file of another's is left as it is.
    setUpDurableCommits(db.connectionName());
    return db;
}

DatabaseFileCheck CheckDatabaseFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return {DatabaseFile::Folder, {}};
    if (!info.exists()) return {DatabaseFile::Missing, {}};
    QFile file(path);
    // Opened so that nothing waits: a FIFO or a device is no database of this program.
    int error = 0;
    switch (OpenRegularFile(file, {}, error)) {
        case FileOpen::Opened:
            break;
        case FileOpen::Irregular:
            return {DatabaseFile::NotDatabase, {}};
        case FileOpen::Failed:
            // What this user may not read is a matter of its permissions, never damage.
            if (error == EACCES || error == EPERM)
                return {DatabaseFile::NoPermission, qt_error_string(error)};
            return {DatabaseFile::Damaged, qt_error_string(error)};
    }
    // Every database file of the engine begins so (the text and its terminating zero).
    static const QByteArray magic("SQLite format 3", 16);
    if (file.read(magic.size()) != magic) return {DatabaseFile::NotDatabase, {}};
    file.close();

    // The engine's file: ours when its list of tables can be read and holds the headers.
    static int counter = 0;
    const QString name = QStringLiteral("qm73-check-%1").arg(++counter);
    DatabaseFileCheck result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?mode=ro"));
        if (!db.open()) {
            result = {DatabaseFile::Damaged, db.lastError().databaseText()};
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("Select name From sqlite_master Where type = 'table' And "
                                       "name = 'Log_head' Collate Nocase")))
                result = {isBusy(q.lastError()) ? DatabaseFile::Locked : DatabaseFile::Damaged,
                          q.lastError().databaseText()};
            else
                result = {q.next() ? DatabaseFile::Ours : DatabaseFile::NotDatabase, {}};
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

Database Database::create(const QString& path) {
    const QString key = keyOf(path);
    // The engine would make the file a link leads to: a link stays the user's, whatever it
    // leads to.
    if (isLinkLeadingNowhere(key)) throw linkLeadingNowhere(key);
    if (QFileInfo::exists(key) || QFileInfo(key).isSymLink())
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The database %1 exists already").arg(key));
    close(key);
    connect(key, QStringLiteral("rwc"));
    Database db(key, connections().value(key));
    setUpDurableCommits(db.connectionName());
    return db;
}

void Database::close(const QString& path) {
    const QString key = keyOf(path);
    const QString name = connections().take(key);
    if (name.isEmpty()) return;
    if (owners().value(name).committing)
        throw DatabaseError(DatabaseError::Kind::Busy, LoadResText(TextStoreRunning));
    // The log is copied into the file off the window thread, so that the engine's own copy at
    // the close has nothing left to write or sync. Work asked of the connection meanwhile is
    // refused as during a COMMIT.
    if (sqlite3* handle = handleOf(name); handle && logFrames().count(name)) {
        owners()[name].committing = true;
        RunOffWindowThread([handle] { checkpoint(handle); });
    }
    owners().remove(name);
    logFrames().erase(name);
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void Database::exec(const QString& sql, std::initializer_list<DbParam> params) const {
    exec(sql, std::vector<DbParam>(params));
}

void Database::exec(const QString& sql, const std::vector<DbParam>& params) const {
    run(path_, connection_, sql, params);
}

bool Database::readOnly() const {
    sqlite3* handle = handleOf(connection_);
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

namespace {

// The names of a query's columns, in their order.
QStringList columnsOf(const QSqlRecord& record) {
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    return columns;
}

}  // namespace

ResultSet Database::query(const QString& sql, std::initializer_list<DbParam> params) const {
    return query(sql, std::vector<DbParam>(params));
}

ResultSet Database::query(const QString& sql, const std::vector<DbParam>& params) const {
    QSqlQuery q = run(path_, connection_, sql, params);
    const QStringList columns = columnsOf(q.record());
    std::vector<std::vector<QVariant>> rows;
    while (q.next()) {
        std::vector<QVariant> row(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            row[i] = q.value(i);
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) fail(path_, sql, q.lastError());
    return ResultSet(columns, std::move(rows));
}

void Database::forEachRow(const QString& sql, const std::vector<DbParam>& params, bool lenient,
                          const std::function<void(const ResultSet& row)>& each) const {
    QSqlQuery q = run(path_, connection_, sql, params);
    const QStringList columns = columnsOf(q.record());
    // One result set for all the rows: each takes the place of the one before.
    ResultSet row(columns, {std::vector<QVariant>(columns.size())});
    row.lenient_ = lenient;
    std::vector<QVariant>& values = row.rows_.front();
    while (q.next()) {
        for (int i = 0; i < columns.size(); ++i)
            values[i] = q.value(i);
        row.unreadable_.clear();
        each(row);
    }
    if (q.lastError().isValid()) fail(path_, sql, q.lastError());
}

bool Database::probe(const QString& sql) const {
    refuseInsideAnothersTransaction(connection_);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    return tryRun(q, sql, {}, mayWaitOn(connection_));
}

int32_t Database::MaxSeq(const QString& table) const {
    return NewKeys(*this, table).next();
}

// ---- new keys ----------------------------------------------------------------------------

namespace {

// Keys are Longs: a row numbered past one can be listed and deleted, but never opened.
constexpr int64_t LastKey = INT32_MAX;

}  // namespace

// The table name is one of the program's own, never user text.
NewKeys::NewKeys(const Database& db, QString table) : db_(db), table_(std::move(table)) {
    // After the largest key a Long holds; a key past a Long is no row of this program's.
    const std::optional<int64_t> largest = firstKey(
        QStringLiteral("Select SeqNo As Key From %1 Where SeqNo < ? Order By SeqNo Desc Limit 1;"),
        LastKey);
    next_ = end_ = std::max<int64_t>(largest ? *largest + 1 : 1, 1);
}

int32_t NewKeys::next() {
    if (next_ >= end_) findFree();
    return static_cast<int32_t>(next_++);
}

std::optional<int64_t> NewKeys::firstKey(const QString& sql, int64_t from) const {
    return db_.query(sql.arg(table_), {from}).wholeNumber(0, QStringLiteral("Key"));
}

void NewKeys::findFree() {
    for (;;) {
        if (next_ > LastKey) {
            // Every key up to a Long's end is taken: the lowest free one from 1, once round.
            if (wrapped_)
                throw rt::RuntimeError(
                    rt::ErrOverflow,
                    LoadResText(TextNoFreeKey, {table_, QString::number(LastKey)}));
            wrapped_ = true;
            next_ = 1;
        }
        const std::optional<int64_t> taken = firstKey(
            QStringLiteral("Select SeqNo As Key From %1 Where SeqNo >= ? Order By SeqNo Limit 1;"),
            next_);
        if (!taken || *taken > next_) {
            end_ = taken ? std::min(*taken, LastKey + 1) : LastKey + 1;
            return;
        }
        // The key is taken: the first one after the run of taken keys that it begins; none
        // below a Long's end when the run reaches it.
        const std::optional<int64_t> free = firstKey(
            QStringLiteral("Select a.SeqNo + 1 As Key From %1 a Where a.SeqNo >= ? And a.SeqNo < "
                           "2147483647 And Not Exists (Select 1 From %1 b Where b.SeqNo = "
                           "a.SeqNo + 1) Order By a.SeqNo Limit 1;"),
            next_);
        next_ = free ? *free : LastKey + 1;
    }
}

// ---- transactions ------------------------------------------------------------------------

Transaction::Transaction(const Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
    owners().insert(db_.connectionName(), Owner{WaitDepth(), false});
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        db_.exec(QStringLiteral("ROLLBACK"));
    } catch (const rt::RuntimeError& e) {
        qWarning("Rollback failed: %s", qPrintable(e.description()));
    }
    owners().remove(db_.connectionName());
}

void Transaction::commit() {
    const QString connection = db_.connectionName();
    refuseInsideAnothersTransaction(connection);
    PassFileStep(FileStep::Commit, db_.path());
    commitOffWindowThread(db_.path(), connection);
    owners().remove(connection);
    done_ = true;
}

}  // namespace platform
