#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <optional>

#include "platform/Database.h"
#include "platform/FileSteps.h"
#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"
#include "tests/support/FifoRescue.h"
#include "tests/support/FilePermissions.h"
#include "tests/support/OtherConnection.h"
#include "tests/support/TempProgramFolder.h"

using platform::Database;
using platform::DbParam;
using platform::Transaction;
using testsupport::OtherConnection;

namespace {

class DatabaseFile : public ::testing::Test {
  protected:
    void SetUp() override {
        const Database db = Database::create(path());
        db.exec(
            "Create Table Log_head (SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,"
            "Names Varchar(40) COLLATE NOCASE,Dates Date,Gas1Full Float,Gas1Enable YesNo)");
    }
    void TearDown() override { Database::close(path()); }
    QString path() const { return folder.paths().database(); }
    // The database as the program has it when the file was in rollback-journal mode and another
    // program held it at the open: the switch to the log cannot be made, the journal stays.
    Database openKeepingTheJournal() {
        Database::close(path());
        OtherConnection other(path());
        EXPECT_TRUE(other.run({"PRAGMA journal_mode=DELETE", "Begin Immediate"}))
            << other.lastError().toStdString();
        const Database db = Database::open(path());
        other.release();
        EXPECT_EQ(db.query("PRAGMA journal_mode").text(0, "journal_mode"), "delete");
        return db;
    }
    Database openIn(const char* journal) {
        return QLatin1String(journal) == QLatin1String("log") ? Database::open(path())
                                                              : openKeepingTheJournal();
    }

    testsupport::TempProgramFolder folder;
};

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const rt::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// Counts the passes of the window's events while a statement waits: a zero timer fires once
// in every pass.
struct CountingWaiter {
    int retries = 0;
    QTimer timer;
    CountingWaiter() {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] { ++retries; });
        timer.start();
    }
};

}  // namespace

TEST_F(DatabaseFile, ALockedDatabaseIsWaitedForWhileEventsGoThrough) {
    const QStringList writeLock = {"Begin Immediate"};
    const QStringList readLock = {"Begin", "Select Count(*) From Log_head"};
    const QStringList exclusiveLock = {"Begin Exclusive"};
    // Each case takes the other program's lock through `lock` where it says. With the log (the
    // program's own mode) only another writer holds a write; a reader holds neither a COMMIT
    // nor a read. With a rollback journal a reader holds the COMMIT and a writer the reads.
    const struct {
        const char* name;
        const char* journal;
        QStringList held;
        std::function<void(const Database& db, const std::function<void()>& lock)> work;
        int rows;
        bool waits;
    } cases[] = {
        {"a write", "log", writeLock,
         [](const Database& db, const auto& lock) {
             lock();
             db.exec("Insert Into Log_head (SeqNo) Values (?)", {1});
         },
         1, true},
        {"a transaction's start", "log", writeLock,
         [](const Database& db, const auto& lock) {
             lock();
             Transaction t(db);
             db.exec("Insert Into Log_head (SeqNo) Values (?)", {1});
             t.commit();
         },
         1, true},
        {"a commit beside a reader", "log", readLock,
         [](const Database& db, const auto& lock) {
             Transaction t(db);
             db.exec("Insert Into Log_head (SeqNo) Values (?)", {1});
             lock();
             t.commit();
         },
         1, false},
        {"a read beside a writer", "log", exclusiveLock,
         [](const Database& db, const auto& lock) {
             lock();
             EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 0);
         },
         0, false},
        {"a write", "rollback", writeLock,
         [](const Database& db, const auto& lock) {
             lock();
             db.exec("Insert Into Log_head (SeqNo) Values (?)", {1});
         },
         1, true},
        // A reader keeps the commit from writing the file.
        {"a commit", "rollback", readLock,
         [](const Database& db, const auto& lock) {
             Transaction t(db);
             db.exec("Insert Into Log_head (SeqNo) Values (?)", {1});
             lock();
             t.commit();
         },
         1, true},
        {"a read", "rollback", exclusiveLock,
         [](const Database& db, const auto& lock) {
             lock();
             EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 0);
         },
         0, true},
        {"a probe", "rollback", exclusiveLock,
         [](const Database& db, const auto& lock) {
             lock();
             EXPECT_TRUE(db.probe("Select count(*) From Log_head"));
         },
         0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " (" + c.journal + ")");
        const Database db = openIn(c.journal);
        db.exec("Delete From Log_head");
        OtherConnection other(path());
        CountingWaiter waiter;
        QObject context;
        c.work(db, [&] {
            ASSERT_TRUE(other.run(c.held)) << other.lastError().toStdString();
            // The other program lets go once the waiting statement lets events through.
            QMetaObject::invokeMethod(
                &context, [&] { other.release(); }, Qt::QueuedConnection);
        });
        if (c.waits) {
            EXPECT_GT(waiter.retries, 0);
        }
        EXPECT_EQ(db.query("Select * From Log_head").rowCount(), c.rows);
        Database::close(path());
    }
}

TEST_F(DatabaseFile, ALockLetGoWithinTheWaitLetsTheWorkThrough) {
    // The wait for another program's lock is about 5 s: a lock let go after a second and a
    // half is waited out, for a statement and for a COMMIT alike (a COMMIT waits only with a
    // rollback journal).
    const struct {
        const char* name;
        const char* journal;
        QStringList held;
        std::function<void(const Database& db, const std::function<void()>& lock)> work;
    } cases[] = {
        {"a write",
         "log",
         {"Begin Immediate"},
         [](const Database& db, const auto& lock) {
             lock();
             db.exec("Insert Into Log_head (SeqNo) Values (1)");
         }},
        {"a commit",
         "rollback",
         {"Begin", "Select Count(*) From Log_head"},
         [](const Database& db, const auto& lock) {
             Transaction t(db);
             db.exec("Insert Into Log_head (SeqNo) Values (1)");
             lock();
             t.commit();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Database db = openIn(c.journal);
        db.exec("Delete From Log_head");
        OtherConnection other(path());
        QElapsedTimer held;
        c.work(db, [&] {
            ASSERT_TRUE(other.run(c.held)) << other.lastError().toStdString();
            held.start();
            QTimer::singleShot(1500, [&] { other.release(); });
        });
        EXPECT_GE(held.elapsed(), 1400);
        EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 1);
        Database::close(path());
    }
}

TEST_F(DatabaseFile, WorkAskedFromInsideACommitWaitIsRefusedNeverJoined) {
    // While the COMMIT of a store runs off the window thread (its sync on a slow disk), the
    // window's events go on; work they start is refused with a clear reason, and nothing of it
    // joins the store.
    const Database db = Database::open(path());
    const struct {
        const char* name;
        std::function<void()> work;
    } cases[] = {
        {"a statement", [&] { db.exec("Insert Into Log_head (SeqNo) Values (2)"); }},
        {"a deletion", [&] { db.exec("Delete From Log_head"); }},
        {"a transaction of its own",
         [&] {
             Transaction t(db);
             db.exec("Insert Into Log_head (SeqNo) Values (3)");
             t.commit();
         }},
        {"a read", [&] { db.query("Select * From Log_head"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        db.exec("Delete From Log_head");
        std::optional<platform::DatabaseError::Kind> refused;
        QString reason;
        std::atomic<bool> worked{false};
        // The timer is the case's own: if the COMMIT did not wait for it, it goes with the case
        // rather than firing into the next one with what has gone.
        QTimer work;
        work.setSingleShot(true);
        QObject::connect(&work, &QTimer::timeout, [&] {
            try {
                c.work();
            } catch (const platform::DatabaseError& e) {
                refused = e.kind();
                reason = e.description();
            }
            worked = true;
        });
        {
            Transaction t(db);
            db.exec("Insert Into Log_head (SeqNo) Values (1)");
            // The COMMIT's sync lasts until the window's work has run (5 s at most).
            platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
                QElapsedTimer waited;
                waited.start();
                while (step == platform::FileStep::SyncFile && !worked && !waited.hasExpired(5000))
                    QThread::msleep(1);
                return 0;
            });
            work.start(0);
            t.commit();
            platform::setFileStepWatcher({});
        }
        EXPECT_TRUE(worked);
        EXPECT_EQ(refused, platform::DatabaseError::Kind::Busy);
        EXPECT_TRUE(reason.contains("store that has not ended")) << reason.toStdString();
        const platform::ResultSet rows = db.query("Select SeqNo From Log_head");
        ASSERT_EQ(rows.rowCount(), 1);
        EXPECT_EQ(rows.longValue(0, "SeqNo"), 1);
    }
}

TEST_F(DatabaseFile, WorkFromAnyWaitOfAStoreBeforeItsCommitIsRefusedNeverJoined) {
    // Work a handler runs from a wait of the store, or from a box the store asks in, is not the
    // store's, wherever the store itself began: at the event loop's level or from a handler
    // inside a wait.
    const Database db = Database::open(path());
    const struct {
        const char* name;
        std::function<void(const std::function<void()>& work)> waitInStore;
    } waits[] = {
        {"a wait for a state",
         [](const std::function<void()>& work) {
             bool ran = false;
             QTimer::singleShot(0, [&] {
                 work();
                 ran = true;
             });
             platform::WaitWhile([&] { return !ran; });
         }},
        {"a box's own loop",
         [](const std::function<void()>& work) {
             QTimer::singleShot(10, [work] {
                 work();
                 if (QWidget* box = QApplication::activeModalWidget()) box->close();
             });
             QDialog box;
             box.setModal(true);
             box.exec();
         }},
    };
    for (const auto& wait : waits)
        for (const bool storeInsideAWait : {false, true}) {
            SCOPED_TRACE(std::string(wait.name) + (storeInsideAWait ? ", inside a wait" : ""));
            db.exec("Delete From Log_head");
            std::optional<platform::DatabaseError::Kind> refused;
            bool stored = false;
            const auto store = [&] {
                Transaction t(db);
                db.exec("Insert Into Log_head (SeqNo) Values (1)");
                wait.waitInStore([&] {
                    try {
                        db.exec("Insert Into Log_head (SeqNo) Values (2)");
                    } catch (const platform::DatabaseError& e) {
                        refused = e.kind();
                    }
                });
                // The store's own statements after the wait are still its own.
                db.exec("Insert Into Log_head (SeqNo) Values (3)");
                t.commit();
                stored = true;
            };
            if (storeInsideAWait) {
                QTimer::singleShot(0, store);
                platform::WaitWhile([&] { return !stored; });
            } else {
                store();
            }
            EXPECT_TRUE(stored);
            EXPECT_EQ(refused, platform::DatabaseError::Kind::Busy);
            const platform::ResultSet rows = db.query("Select SeqNo From Log_head Order By SeqNo");
            ASSERT_EQ(rows.rowCount(), 2);
            EXPECT_EQ(rows.longValue(0, "SeqNo"), 1);
            EXPECT_EQ(rows.longValue(1, "SeqNo"), 3);
        }
}

TEST_F(DatabaseFile, AStatementOfTheStoreItselfStillRunsInsideItsTransaction) {
    // The code that began the transaction runs its statements whatever handle it uses, and a
    // statement between two waits of the window is still its own.
    const Database db = Database::open(path());
    Transaction t(db);
    db.exec("Insert Into Log_head (SeqNo) Values (1)");
    platform::WaitWhile([n = 0]() mutable { return ++n < 3; });
    Database::open(path()).exec("Insert Into Log_head (SeqNo) Values (2)");
    t.commit();
    EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 2);
}

TEST_F(DatabaseFile, ALockHeldPastTheWaitFailsTheStatement) {
    const Database db = Database::open(path());
    OtherConnection other(path());
    ASSERT_TRUE(other.run("Begin Immediate")) << other.lastError().toStdString();
    CountingWaiter waiter;
    try {
        db.exec("Insert Into Log_head (SeqNo) Values (1)");
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrDatabase);
        EXPECT_TRUE(e.description().contains("database is locked"));
        EXPECT_TRUE(e.description().contains("Insert Into Log_head"));
    }
    EXPECT_GT(waiter.retries, 1);
    other.release();
    EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 0);
}

TEST_F(DatabaseFile, AnErrorOtherThanALockIsNotWaitedFor) {
    const Database db = Database::open(path());
    db.exec("Insert Into Log_head (SeqNo) Values (1)");
    // (A change that succeeds lets events through while its COMMIT runs: counted from here.)
    CountingWaiter waiter;
    EXPECT_EQ(errorOf([&] { db.exec("Insert Into Log_head (SeqNo) Values (1)"); }),
              rt::ErrDatabase);
    EXPECT_EQ(errorOf([&] { db.query("Select Nothing From Log_head"); }), rt::ErrDatabase);
    EXPECT_FALSE(db.probe("Select count(*) From SensorHistory"));
    EXPECT_EQ(waiter.retries, 0);
}

TEST_F(DatabaseFile, ValuesRoundTripThroughBoundParameters) {
    const Database db = Database::open(path());
    const rt::OleDate date = *rt::OleDate::fromCivil(2026, 12, 10, 13, 51, 14);
    const QString name = QStringLiteral("O'Brien's \"log\"; Drop Table Log_head; --");
    db.exec("Insert Into Log_head (SeqNo, Names, Dates, Gas1Full, Gas1Enable) Values (?,?,?,?,?)",
            {1, name, date, 20.9f, true});
    db.exec("Insert Into Log_head (SeqNo, Names, Dates, Gas1Full, Gas1Enable) Values (?,?,?,?,?)",
            {2, nullptr, rt::OleDate(-101), nullptr, false});
    const platform::ResultSet r = db.query("Select * From Log_head Order By SeqNo");
    ASSERT_EQ(r.rowCount(), 2);
    EXPECT_EQ(r.text(0, "Names"), name);
    EXPECT_EQ(r.date(0, "Dates"), date);
    EXPECT_EQ(r.single(0, "Gas1Full"), 20.9f);
    EXPECT_EQ(r.doubleValue(0, "Gas1Full"), 20.9);  // the Single's text, not its binary
    EXPECT_TRUE(r.boolean(0, "gas1enable"));        // columns by any case
    EXPECT_TRUE(r.isNull(1, "Names"));
    EXPECT_EQ(r.text(1, "Names", "*"), "*");
    EXPECT_EQ(r.single(1, "Gas1Full", -101.0f), -101.0f);
    EXPECT_EQ(r.date(1, "Dates").value(), -101.0);
    EXPECT_FALSE(r.boolean(1, "Gas1Enable", true));
    EXPECT_EQ(r.longValue(5, "SeqNo", 7), 7);    // no such row
    EXPECT_EQ(r.longValue(0, "Nothing", 7), 7);  // no such column
    // Text compares without regard to case, dates in order.
    EXPECT_EQ(db.query("Select SeqNo From Log_head Where Names = ?", {name.toUpper()}).rowCount(),
              1);
    EXPECT_EQ(db.query("Select SeqNo From Log_head Where Dates < ?", {date}).longValue(0, "SeqNo"),
              2);
}

TEST_F(DatabaseFile, StoredValuesBeyondTheirTypeAreUnreadableWhenReadLeniently) {
    const Database db = Database::open(path());
    // Each stored value as the lenient getter of its type reads it, with the fallback 7 (a
    // date: day 7) when it cannot be read; the strict getters raise error 6 or keep to the
    // fallback as before.
    struct Case {
        const char* stored;  // an SQL literal
        const char* as;
        double read;
        bool unreadable;
        int strictError;  // 0: the strict getter reads it too
    };
    const std::vector<Case> cases = {
        {"2147483647", "long", 2147483647, false, 0},
        {"2147483648", "long", 7, true, rt::ErrOverflow},
        {"-4294967296", "long", 7, true, rt::ErrOverflow},
        {"1e300", "long", 7, true, rt::ErrOverflow},
        {"'12'", "long", 12, false, 0},
        {"'abc'", "long", 7, true, 0},
        {"' '", "long", 7, false, 0},
        {"32767", "integer", 32767, false, 0},
        {"70000", "integer", 7, true, rt::ErrOverflow},
        {"3.4e38", "single", 3.4e38f, false, 0},
        {"1e300", "single", 7, true, 0},
        {"9e999", "double", 7, true, 0},
        {"'x'", "boolean", 7, true, 0},
        {"45000.5", "date", 45000.5, false, 0},
        {"1e300", "date", 7, true, 0},
        {"'2026-13-45 00:00:00'", "date", 7, true, 0},
    };
    int seqNo = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " as " + c.as);
        db.exec(QStringLiteral("Insert Into Log_head (SeqNo, Gas1Full) Values (%1, %2)")
                    .arg(++seqNo)
                    .arg(QString::fromLatin1(c.stored)));
        const QString sql = QStringLiteral("Select * From Log_head Where SeqNo = %1").arg(seqNo);
        const QString as = QString::fromLatin1(c.as);
        const auto read = [&as](const platform::ResultSet& r) -> double {
            if (as == "long") return r.longValue(0, "Gas1Full", 7);
            if (as == "integer") return r.integer(0, "Gas1Full", 7);
            if (as == "single") return r.single(0, "Gas1Full", 7);
            if (as == "double") return r.doubleValue(0, "Gas1Full", 7);
            if (as == "boolean") return r.boolean(0, "Gas1Full", true) ? 7 : 0;
            return r.date(0, "Gas1Full", rt::OleDate(7)).value();
        };
        const platform::ResultSet lenient = db.query(sql).lenient();
        EXPECT_EQ(read(lenient), c.read);
        EXPECT_EQ(lenient.unreadable(0, "Gas1Full"), c.unreadable);
        EXPECT_EQ(lenient.unreadableIn(0), c.unreadable);
        EXPECT_EQ(lenient.anyUnreadable(), c.unreadable);
        EXPECT_FALSE(lenient.unreadable(0, "Names"));
        const platform::ResultSet strict = db.query(sql);
        EXPECT_EQ(errorOf([&] { read(strict); }), c.strictError);
        EXPECT_FALSE(strict.anyUnreadable());
    }
    // A key is read whole, however large.
    db.exec("Insert Into Log_head (SeqNo) Values (4294967296)");
    const platform::ResultSet keys = db.query("Select SeqNo From Log_head Where SeqNo > 100");
    EXPECT_EQ(keys.wholeNumber(0, "SeqNo"), std::optional<int64_t>(4294967296LL));
    EXPECT_EQ(keys.wholeNumber(0, "Nothing"), std::nullopt);
}

TEST_F(DatabaseFile, RowsHandedOverOneByOneReadAsTheWholeResult) {
    const Database db = Database::open(path());
    db.exec(
        "Insert Into Log_head (SeqNo, Names, Gas1Full) Values (3, 'a', 12), (1, 'd', 5), "
        "(4294967296, ' b ', 'x'), (2, Null, 1e300)");
    const QString sql =
        "Select SeqNo, Names, Gas1Full From Log_head Where SeqNo > ? Order By SeqNo";
    // Each row as the getters by name and by place read it, and what they found unreadable.
    const auto describe = [](const platform::ResultSet& r, int row) {
        const int names = r.column("NAMES"), full = r.column("Gas1Full"), key = r.column("SeqNo");
        QString line = r.text(row, "Names", "-") + "|" + r.text(row, names, "-") + "|" +
                       QString::number(r.longValue(row, "Gas1Full", 7)) + "|" +
                       QString::number(r.longValue(row, full, 7)) + "|" +
                       QString::number(r.wholeNumber(row, key).value_or(-1)) + "|" +
                       QString::number(r.wholeNumber(row, "SeqNo").value_or(-1)) + "|" +
                       (r.value(row, full) == r.value(row, "Gas1Full") ? "same" : "differs");
        return line + (r.unreadableIn(row) ? "|unreadable" : "");
    };
    for (const bool lenient : {true, false}) {
        SCOPED_TRACE(lenient ? "lenient" : "strict");
        platform::ResultSet whole = db.query(sql, {1});
        if (lenient) whole = std::move(whole).lenient();
        QStringList expected;
        for (int row = 0; row < whole.rowCount(); ++row) {
            try {
                expected << describe(whole, row);
            } catch (const rt::RuntimeError& e) {
                expected << QString::number(e.number());
            }
        }
        QStringList got;
        db.forEachRow(sql, {1}, lenient, [&](const platform::ResultSet& row) {
            EXPECT_EQ(row.rowCount(), 1);
            try {
                got << describe(row, 0);
            } catch (const rt::RuntimeError& e) {
                got << QString::number(e.number());
            }
        });
        EXPECT_EQ(got, expected);
        EXPECT_EQ(got.size(), 3);
    }
    // Outside the columns, by place: nothing.
    const platform::ResultSet r = db.query("Select Names From Log_head Where SeqNo = 3");
    EXPECT_TRUE(r.value(0, 1).isNull());
    EXPECT_TRUE(r.value(0, -1).isNull());
    EXPECT_EQ(r.text(0, 0), "a");
    EXPECT_EQ(errorOf([&] {
                  db.forEachRow("Select Nothing From Log_head", {}, false,
                                [](const platform::ResultSet&) {});
              }),
              rt::ErrDatabase);
}

TEST_F(DatabaseFile, EmptyTextsBindAsEmptyTextAndOnlyNullptrAsNull) {
    const Database db = Database::open(path());
    const struct {
        DbParam value;
        bool null;
    } cases[] = {{QString(), false},
                 {QStringLiteral(""), false},
                 {"", false},
                 {QString().trimmed(), false},
                 {nullptr, true}};
    int32_t seqNo = 0;
    for (const auto& c : cases) {
        db.exec("Insert Into Log_head (SeqNo, Names) Values (?,?)", {++seqNo, c.value});
        const platform::ResultSet r = db.query("Select Names From Log_head Where SeqNo=?", {seqNo});
        EXPECT_EQ(r.isNull(0, "Names"), c.null) << seqNo;
    }
    EXPECT_EQ(db.query("Select SeqNo From Log_head Where Names=?", {QString()}).rowCount(), 4);
}

TEST_F(DatabaseFile, MaxSeqIsLargestPlusOne) {
    const Database db = Database::open(path());
    EXPECT_EQ(db.MaxSeq("Log_head"), 1);
    db.exec("Insert Into Log_head (SeqNo) Values (?)", {41});
    EXPECT_EQ(db.MaxSeq("Log_Head"), 42);
}

// Whatever keys a table holds (a damaged or hand-edited database), the key a new row takes is
// one of a Long that no row has: after the largest key below the end of a Long, or, when there
// is none past it, the lowest free one. No key is computed beyond its type.
TEST_F(DatabaseFile, TheNextKeyIsAFreeLongWhateverKeysAreStored) {
    const Database db = Database::open(path());
    const int64_t top = 2147483647;
    const struct {
        const char* what;
        std::vector<int64_t> keys;
        int32_t next;
    } cases[] = {
        {"none", {}, 1},
        {"the largest of a Long", {top}, 1},
        {"the largest of a Long and others", {3, 7, top}, 8},
        {"beyond a Long", {3, 4294967296LL}, 4},
        {"far beyond and far below a Long", {9223372036854775807LL, -4294967296LL}, 1},
        {"below 1 only", {-5, 0}, 1},
        {"every key up to the end of a Long taken", {1, 2, top - 2, top - 1, top}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db.exec("Delete From Log_head");
        for (const int64_t key : c.keys)
            db.exec("Insert Into Log_head (SeqNo) Values (?)", {key});
        EXPECT_EQ(db.MaxSeq("Log_head"), c.next);
    }
}

// The keys of the rows one store adds: each free, one after the other, past the keys taken on the
// way, and none beyond a Long.
TEST_F(DatabaseFile, ASequenceOfNewKeysSkipsTheKeysTaken) {
    const Database db = Database::open(path());
    const int32_t top = 2147483647;
    const struct {
        const char* what;
        std::vector<int64_t> keys;
        std::vector<int32_t> next;
    } cases[] = {
        {"none", {}, {1, 2, 3}},
        {"after the largest", {5, 9}, {10, 11, 12}},
        {"up to the end of a Long, then from the lowest free",
         {2, 4, top - 3, top},
         {top - 2, top - 1, 1, 3, 5, 6}},
        {"a Long's end taken, and keys beyond it", {top, 4294967296LL, 1, 2, 3}, {4, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db.exec("Delete From Log_head");
        for (const int64_t key : c.keys)
            db.exec("Insert Into Log_head (SeqNo) Values (?)", {key});
        platform::NewKeys keys(db, "Log_head");
        std::vector<int32_t> got;
        for (size_t i = 0; i < c.next.size(); ++i) {
            got.push_back(keys.next());
            // Each key is taken by its row before the next one is asked for.
            db.exec("Insert Into Log_head (SeqNo) Values (?)", {got.back()});
        }
        EXPECT_EQ(got, c.next);
    }
}

// What stands at the database's place, told apart without changing it: a file this user may not
// read is a matter of its permissions, never damage; a FIFO is looked at without waiting on it.
TEST(DatabaseFileCheck, PermissionsAndSpecialFilesAreToldApartFromDamage) {
    testsupport::TempProgramFolder folder;
    const QString ours = folder.path() + "/ours.mdb";
    {
        const Database db = Database::create(ours);
        db.exec("Create Table Log_head (SeqNo Integer Primary Key)");
        Database::close(ours);
    }
    const QString locked = folder.path() + "/locked.mdb";
    ASSERT_TRUE(QFile::copy(ours, locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    const QString fifo = folder.path() + "/fifo.mdb";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString text = folder.path() + "/text.mdb";
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Serial No.,User ID\r\n");
    }
    const struct {
        const char* what;
        QString path;
        platform::DatabaseFile state;
        QString reason;
    } cases[] = {
        {"ours", ours, platform::DatabaseFile::Ours, ""},
        {"no permission", locked, platform::DatabaseFile::NoPermission, "Permission denied"},
        {"a FIFO", fifo, platform::DatabaseFile::NotDatabase, ""},
        {"text", text, platform::DatabaseFile::NotDatabase, ""},
        {"a folder", folder.path(), platform::DatabaseFile::Folder, ""},
        {"nothing", folder.path() + "/none.mdb", platform::DatabaseFile::Missing, ""},
    };
    const testsupport::FilePermissionsEnforced asAnyUser;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::FifoRescue rescue(c.path);
        const platform::DatabaseFileCheck check = platform::CheckDatabaseFile(c.path);
        EXPECT_FALSE(rescue.finish()) << "the check waited on the file";
        EXPECT_EQ(check.state, c.state);
        EXPECT_EQ(check.reason, c.reason);
    }
}

TEST_F(DatabaseFile, TransactionRollsBackWithoutCommit) {
    const Database db = Database::open(path());
    try {
        Transaction t(db);
        db.exec("Insert Into Log_head (SeqNo) Values (1)");
        db.exec("Insert Into Log_head (SeqNo) Values (1)");  // duplicate key
        t.commit();
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrDatabase);
        EXPECT_TRUE(e.description().contains("Insert Into Log_head"));
    }
    EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 0);
    {
        Transaction t(db);
        db.exec("Insert Into Log_head (SeqNo) Values (1)");
        t.commit();
    }
    EXPECT_EQ(db.query("Select * From Log_head").rowCount(), 1);
}

namespace {

// Rows enough to outgrow the engine's page cache (about 2 MB): 5000 of 1.2 kB each.
const char* const ManyLargeRows =
    "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 5000) "
    "Insert Into Log_head (SeqNo, Names) Select i, hex(zeroblob(600)) From n";

// The syncs of the database's files, by the thread they were taken on.
struct SyncThreads {
    std::atomic<int> onWindowThread{0};
    std::atomic<int> elsewhere{0};
    SyncThreads() {
        platform::setFileStepWatcher([this](platform::FileStep step, const QString&) {
            if (step == platform::FileStep::SyncFile || step == platform::FileStep::SyncFolder)
                ++(QThread::currentThread() == QCoreApplication::instance()->thread()
                       ? onWindowThread
                       : elsewhere);
            return 0;
        });
    }
    ~SyncThreads() { platform::setFileStepWatcher({}); }
};

}  // namespace

TEST_F(DatabaseFile, NoChangeSyncsOnTheWindowThread) {
    // A slow disk holds up whatever thread syncs: a change is synced by its COMMIT, off the
    // window thread, whether it runs inside a transaction or alone, however large it is.
    const struct {
        const char* name;
        const char* before;  // what the table holds first
        std::function<void(const Database&)> change;
        int rowsAfter;
    } cases[] = {
        {"a row added outside a transaction", nullptr,
         [](const Database& db) { db.exec("Insert Into Log_head (SeqNo) Values (?)", {7}); }, 1},
        {"rows changed outside a transaction", ManyLargeRows,
         [](const Database& db) { db.exec("Update Log_head Set Gas1Full = 1.5"); }, 5000},
        {"rows deleted outside a transaction", ManyLargeRows,
         [](const Database& db) { db.exec("Delete From Log_head Where SeqNo % 2 = 0"); }, 2500},
        {"rows past the page cache added outside a transaction", nullptr,
         [](const Database& db) { db.exec(ManyLargeRows); }, 5000},
        {"rows past the page cache added in a transaction", nullptr,
         [](const Database& db) {
             Transaction t(db);
             db.exec(ManyLargeRows);
             t.commit();
         },
         5000},
        {"rows past the page cache deleted in a transaction", ManyLargeRows,
         [](const Database& db) {
             Transaction t(db);
             db.exec("Update Log_head Set Gas1Full = 2.5");
             db.exec("Delete From Log_head Where SeqNo > 2000");
             t.commit();
         },
         2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Database::open(path()).exec("Delete From Log_head");
        if (c.before) Database::open(path()).exec(c.before);
        // A start opens the file anew: its log begins empty, and its first write is synced.
        Database::close(path());
        const Database db = Database::open(path());
        {
            SyncThreads syncs;
            c.change(db);
            EXPECT_EQ(syncs.onWindowThread, 0);
            EXPECT_GT(syncs.elsewhere, 0);
        }
        // What was changed is stored, once the file is opened anew as well.
        EXPECT_EQ(db.query("Select Count(*) As n From Log_head").longValue(0, "n"), c.rowsAfter);
        Database::close(path());
        EXPECT_EQ(
            Database::open(path()).query("Select Count(*) As n From Log_head").longValue(0, "n"),
            c.rowsAfter);
    }
}

TEST_F(DatabaseFile, AFailedStatementOutsideATransactionChangesNothing) {
    // The statement runs inside a transaction of its own: what it did before it failed is
    // rolled back whole, and the next statement is not joined to anything.
    const Database db = Database::open(path());
    db.exec("Insert Into Log_head (SeqNo) Values (2)");
    EXPECT_EQ(errorOf([&] { db.exec("Insert Into Log_head (SeqNo) Select 1 Union All Select 2"); }),
              rt::ErrDatabase);
    db.exec("Insert Into Log_head (SeqNo) Values (3)");
    Database::close(path());
    const platform::ResultSet rows =
        Database::open(path()).query("Select SeqNo From Log_head Order By SeqNo");
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.longValue(0, "SeqNo"), 2);
    EXPECT_EQ(rows.longValue(1, "SeqNo"), 3);
}

TEST_F(DatabaseFile, WorkAskedWhileAStatementIsCommittedIsRefused) {
    // The COMMIT of a statement outside a transaction waits as a store's does: a handler run
    // from that wait finds the connection taken, never a transaction to join.
    const Database db = Database::open(path());
    std::optional<platform::DatabaseError::Kind> refused;
    std::atomic<bool> worked{false};
    QTimer work;
    work.setSingleShot(true);
    QObject::connect(&work, &QTimer::timeout, [&] {
        try {
            db.exec("Insert Into Log_head (SeqNo) Values (2)");
        } catch (const platform::DatabaseError& e) {
            refused = e.kind();
        }
        worked = true;
    });
    platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
        QElapsedTimer waited;
        waited.start();
        while (step == platform::FileStep::SyncFile && !worked && !waited.hasExpired(5000))
            QThread::msleep(1);
        return 0;
    });
    work.start(0);
    db.exec("Insert Into Log_head (SeqNo) Values (1)");
    platform::setFileStepWatcher({});
    EXPECT_TRUE(worked);
    EXPECT_EQ(refused, platform::DatabaseError::Kind::Busy);
    const platform::ResultSet rows = db.query("Select SeqNo From Log_head");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.longValue(0, "SeqNo"), 1);
}

TEST_F(DatabaseFile, ProbeTellsMissingObjects) {
    const Database db = Database::open(path());
    EXPECT_TRUE(db.probe("Select count(*) From Log_head"));
    EXPECT_FALSE(db.probe("Select count(*) From SensorHistory"));
    EXPECT_FALSE(db.probe("Select Gas1SensorNo From Log_head "));
}

TEST(Database, OpeningNeverCreatesAFile) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    EXPECT_EQ(errorOf([&] { Database::open(path); }), rt::ErrFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(Database, ForeignFileIsNotADatabaseOfThisProgram) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    for (const QByteArray& content :
         {QByteArray("Standard Jet DB\0\0\0 garbage", 25), QByteArray()}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        try {
            Database::open(path);
            FAIL();
        } catch (const rt::RuntimeError& e) {
            EXPECT_TRUE(e.description().contains("not a database of this program"));
        }
        QFile check(path);
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), content);  // left as it was
    }
}

// Stored dates are read as the general parse of their form reads them, the odd ones included.
TEST(DbDateText, ReadsAsTheGeneralParseOfItsForm) {
    const auto generalParse = [](const QString& text) -> std::optional<rt::OleDate> {
        if (text.size() != 19 || text.at(10) != QLatin1Char(' ')) return std::nullopt;
        const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
        if (!date.isValid() || !time.isValid()) return std::nullopt;
        return rt::OleDate::fromDateTime(date, time);
    };
    QStringList texts = {
        "2024-05-31 14:45:09",
        "2024-02-29 00:00:00",
        "2023-02-29 10:00:00",
        "2024-13-01 10:00:00",
        "2024-00-10 10:00:00",
        "2024-05-00 10:00:00",
        "2024-05-31 24:00:00",
        "2024-05-31 23:60:00",
        "2024-05-31 23:59:60",
        "0000-01-01 00:00:00",
        "0100-01-01 00:00:00",
        "9999-12-31 23:59:59",
        "1899-12-30 12:00:00",
        "2024-05-31T14:45:09",
        "2024/05/31 14:45:09",
        "2024-5-31  14:45:09",
        "2024-05-31 4:45:09 ",
        "+024-05-31 14:45:09",
        "２０２４-05-31 14:45:09",
        "2024-05-31 14:45",
        "",
        "45000.5",
    };
    for (int day = 0; day < 800; day += 7)
        texts << QDate(2023, 1, 1).addDays(day).toString("yyyy-MM-dd") +
                     QStringLiteral(" %1:%2:%3")
                         .arg(day % 24, 2, 10, QLatin1Char('0'))
                         .arg(day % 60, 2, 10, QLatin1Char('0'))
                         .arg((day * 7) % 60, 2, 10, QLatin1Char('0'));
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(platform::dateOfDbText(text), generalParse(text));
    }
}
