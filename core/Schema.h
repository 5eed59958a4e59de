#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/Database.h"

namespace core {

// Kinds of stored logs (Log_head.Types); 4 is only the report kind of the last calibration.
enum class LogKind : int {
    IntervalTrend = 1,
    AlarmTrend = 2,
    CalibrationHistory = 3,
    LastCalibrationReport = 4,
    AlarmEvents = 5,
    TroubleEvents = 6,
    PowerEvents = 7,
    SensorHistory = 8,
};

// The header name of the kinds stored once per user ID and serial number ("" for the others).
QString LogKindHeaderName(LogKind kind);

// The statements that create the ten tables, in creation order.
QStringList CreateTableStatements();

// The tables whose rows belong to a download (or a calibration) by their RelNo.
QStringList DetailTables();
// The statements that create the index on RelNo of each detail table, when it is missing.
QStringList CreateIndexStatements();

// Creates the database with its ten tables and their indexes unless something stands at its
// place (a file, whose content is then not looked at, a folder or a link, even one whose target
// is missing). The database is made whole under a temporary name beside it (see
// UnfinishedDatabasePath), in one transaction, its log folded into the file, synced, renamed
// into its place without replacing anything there, and the folder synced: a kill or a power
// cut leaves no database or a whole one. When it fails, what was made is removed again and the
// error reaches the caller.
void CreateDatabase(const QString& path);

// The name the database of `path` is made under before it takes its own.
QString UnfinishedDatabasePath(const QString& path);
// Removes what a creation cut short left: the file of that name and the engine's files beside
// it (-wal, -shm, -journal), each only when it is a regular file, never through a link. Raises
// rt::RuntimeError with the system's reason when one of them stays.
void RemoveUnfinishedDatabase(const QString& path);

// Brings a database to the current schema, all in one transaction: makes each table of the
// schema that is missing (as the schema makes it: SensorHistory of an older database, any one a
// damaged database lost), adds the cHistory columns Gas1SensorNo..Gas5SensorNo when they are
// missing, then each missing index on RelNo. Each step is done whole or not at all, and a failed
// step is reported without stopping the others. No stored row changes, and a database that
// cannot take an index (read only, full disk) is used without it. A database that another
// program keeps locked is waited for once (about 5 s); the platform::DatabaseError of kind
// Locked then reaches the caller, and nothing is changed.
void UpgradeDatabase(const platform::Database& db);

// The columns of the schema's tables that a database lacks, table by table, in the schema's
// order (a table that is missing whole is none of them). Nothing is changed: the user is told.
struct MissingColumns {
    QString table;
    QStringList columns;
};
std::vector<MissingColumns> FindMissingColumns(const platform::Database& db);

}  // namespace core
