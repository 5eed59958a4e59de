#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace testsupport {

// Another program's connection to a database file: it holds a lock on the file while a test
// says so.
class OtherConnection {
  public:
    explicit OtherConnection(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(path);
        open_ = db.open();
    }
    ~OtherConnection() {
        QSqlDatabase::database(name(), false).close();
        QSqlDatabase::removeDatabase(name());
    }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    bool isOpen() const { return open_; }
    // Runs the statements in order; false at the first that fails (lastError() says why).
    bool run(const QStringList& statements) {
        QSqlQuery q(QSqlDatabase::database(name(), false));
        for (const QString& sql : statements)
            if (!q.exec(sql)) {
                lastError_ = sql + QStringLiteral(": ") + q.lastError().text();
                return false;
            }
        return true;
    }
    bool run(const QString& sql) { return run(QStringList{sql}); }
    // Holds the whole file, its readers shut out too, until the connection closes: with the
    // engine's log in use another program's transaction alone keeps no reader out.
    bool holdWhole() {
        return run({QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"),
                    QStringLiteral("Begin Exclusive"),
                    QStringLiteral("Select Count(*) From sqlite_master")});
    }
    // Lets go of the lock of its transaction.
    bool release() { return run(QStringLiteral("Rollback")); }
    // Lets go of what holdWhole() holds: the connection closes, and opens again.
    void letGo() {
        QSqlDatabase db = QSqlDatabase::database(name(), false);
        db.close();
        open_ = db.open();
    }
    QString lastError() const { return lastError_; }

  private:
    static QString name() { return QStringLiteral("other-program"); }
    bool open_ = false;
    QString lastError_;
};

}  // namespace testsupport
