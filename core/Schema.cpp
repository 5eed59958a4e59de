#include "core/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <functional>
#include <optional>
#include <vector>

#include "platform/FileReplacement.h"
#include "runtime/RuntimeError.h"

namespace core {

namespace {

const QString TextType = QStringLiteral(" COLLATE NOCASE");

// "Varchar(n)" columns compare without regard to case, as the stored data always did.
QString column(const QString& name, const QString& type) {
    const bool text = type.startsWith(QLatin1String("Varchar"), Qt::CaseInsensitive);
    return name + QLatin1Char(' ') + type + (text ? TextType : QString());
}

// One table of the schema: its name and its columns after the key, as they are declared.
struct TableDefinition {
    QString name;
    QStringList columns;
    QString separator = QStringLiteral(",");

    QString statement() const {
        return QStringLiteral("Create Table ") + name +
               QStringLiteral(" (SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,") +
               columns.join(separator) + QStringLiteral(");");
    }
    // The names of its columns, the key first.
    QStringList columnNames() const {
        QStringList names = {QStringLiteral("SeqNo")};
        for (const QString& column : columns)
            names << column.section(QLatin1Char(' '), 0, 0);
        return names;
    }
};

TableDefinition table(const QString& name, const QStringList& columns,
                      const QString& separator = QStringLiteral(",")) {
    return {name, columns, separator};
}

QStringList perGas(const QList<std::pair<QString, QString>>& columns) {
    QStringList out;
    for (int gas = 1; gas <= 5; ++gas)
        for (const auto& [suffix, type] : columns)
            out << column(QStringLiteral("Gas%1").arg(gas) + suffix, type);
    return out;
}

TableDefinition sensorHistoryTable() {
    return table(QStringLiteral("SensorHistory"),
                 {column("RelNo", "Integer"), column("UserID", "Varchar(20)"),
                  column("SerialNo", "Varchar(20)"), column("Dates", "Date"),
                  column("SensorNo", "VarChar(10)"), column("GasName", "Varchar(10)"),
                  column("FullScale", "Float")},
                 QStringLiteral(", "));
}

TableDefinition eventTable(const QString& name) {
    return table(name,
                 {column("RelNo", "Integer"), column("GasNo", "Integer"),
                  column("GasName", "VarChar(10)"), column("Alarm_Type", "Integer"),
                  column("Dates", "Date"), column("NowEv", "Integer"), column("NowCl", "Integer")});
}

}  // namespace

QString LogKindHeaderName(LogKind kind) {
    switch (kind) {
        case LogKind::CalibrationHistory:
            return QStringLiteral("Calibration Histories");
        case LogKind::AlarmEvents:
            return QStringLiteral("Alarm Events");
        case LogKind::TroubleEvents:
            return QStringLiteral("Trouble Events");
        case LogKind::PowerEvents:
            return QStringLiteral("Power Events");
        case LogKind::SensorHistory:
            return QStringLiteral("Sensor Histories");
        default:
            return QString();
    }
}

namespace {

// The ten tables, in creation order.
std::vector<TableDefinition> tableDefinitions() {
    QStringList logHead = {column("Names", "Varchar(40)"),
                           column("UserID", "Varchar(20)"),
                           column("StationID", "Varchar(20)"),
                           column("SerialNo", "Varchar(20)"),
                           column("RomNum", "Integer"),
                           column("Types", "Integer"),
                           column("Dcount", "Integer"),
                           column("FolderID", "Varchar(10)"),
                           column("Dates", "Date"),
                           column("Interval", "Integer"),
                           column("Sampling", "Integer"),
                           column("CalLimit", "Integer")};
    logHead << perGas({{"Name", "Varchar(10)"},
                       {"Full", "Float"},
                       {"Desit", "Float"},
                       {"Enable", "YesNo"},
                       {"Point", "Integer"},
                       {"Unit", "Varchar(5)"},
                       {"Avr", "Float"},
                       {"Max", "Float"},
                       {"Min", "Float"},
                       {"Warn", "Float"},
                       {"Alarm", "Float"},
                       {"TWA", "Float"},
                       {"STEL", "Float"},
                       {"Mode", "Float"},
                       {"MaxDate", "Date"},
                       {"MinDate", "Date"}});

    QStringList intervalData = {column("RelNo", "Integer"), column("Datetimes", "Date"),
                                column("EvtTime", "Date")};
    intervalData << perGas({{"Value", "Float"}, {"NowCl", "Integer"}});

    QStringList intervalEvent = {column("RelNo", "Integer"), column("Datetimes", "Date"),
                                 column("BaseDate", "Date")};
    for (int gas = 1; gas <= 5; ++gas)
        intervalEvent << column(QStringLiteral("Gas%1Event").arg(gas), "Integer");

    QStringList alarmData = {column("RelNo", "Integer"), column("Datetimes", "Date")};
    for (int gas = 1; gas <= 5; ++gas)
        alarmData << column(QStringLiteral("Gas%1Value").arg(gas), "Float");

    QStringList history = {column("RelNo", "Integer"),         column("UserID", "Varchar(20)"),
                           column("StationID", "Varchar(20)"), column("SerialNo", "Varchar(20)"),
                           column("WriteDates", "Date"),       column("Dates", "Date"),
                           column("CalLimit", "Integer")};
    history << perGas({{"Name", "Varchar(10)"},
                       {"Desit", "Float"},
                       {"Point", "Integer"},
                       {"Unit", "Varchar(5)"},
                       {"Enable", "YesNo"},
                       {"AutoCal", "Integer"},
                       {"Before", "Float"},
                       {"After", "Float"},
                       {"GasName", "Varchar(10)"}});

    QStringList latest = {column("UserID", "Varchar(20)"), column("StationID", "Varchar(20)"),
                          column("SerialNo", "Varchar(20)"), column("WriteDates", "Date"),
                          column("CalLimit", "Integer")};
    latest << perGas({{"Name", "Varchar(10)"},
                      {"Desit", "Float"},
                      {"Point", "Integer"},
                      {"Unit", "Varchar(5)"},
                      {"Enable", "YesNo"},
                      {"AutoCal", "Float"},
                      {"CalDate", "Date"},
                      {"Before", "Float"},
                      {"After", "Float"}});

    return {table("Log_head", logHead),
            table("Interval_Data", intervalData),
            table("Interval_Event", intervalEvent),
            table("Alarm_Data", alarmData),
            table("cHistory", history),
            table("cLatestHist", latest),
            eventTable("Alarm_Event"),
            eventTable("Trouble_Event"),
            table("Power_Event", {column("RelNo", "Integer"), column("Dates", "Date"),
                                  column("Power_Type", "YesNo")}),
            sensorHistoryTable()};
}

}  // namespace

QStringList CreateTableStatements() {
    QStringList statements;
    for (const TableDefinition& definition : tableDefinitions())
        statements << definition.statement();
    return statements;
}

QStringList DetailTables() {
    return {QStringLiteral("Interval_Data"), QStringLiteral("Interval_Event"),
            QStringLiteral("Alarm_Data"),    QStringLiteral("cHistory"),
            QStringLiteral("Alarm_Event"),   QStringLiteral("Trouble_Event"),
            QStringLiteral("Power_Event"),   QStringLiteral("SensorHistory")};
}

namespace {

QString relNoIndexName(const QString& table) {
    return table + QStringLiteral("_RelNo");
}

// Every read of a download's rows asks for its RelNo: without an index each one walks the
// whole table, however many rows other downloads have there.
QString relNoIndexStatement(const QString& table) {
    return QStringLiteral("Create Index If Not Exists %1 On %2 (RelNo);")
        .arg(relNoIndexName(table), table);
}

}  // namespace

QStringList CreateIndexStatements() {
    QStringList statements;
    for (const QString& table : DetailTables())
        statements << relNoIndexStatement(table);
    return statements;
}

namespace {

// The engine's own files beside a database, while it is open or after a kill.
const QStringList& sideSuffixes() {
    static const QStringList suffixes = {QStringLiteral("-wal"), QStringLiteral("-shm"),
                                         QStringLiteral("-journal")};
    return suffixes;
}

bool standsAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

QString UnfinishedDatabasePath(const QString& path) {
    return path + QStringLiteral(".tmp");
}

void RemoveUnfinishedDatabase(const QString& path) {
    const QString unfinished = UnfinishedDatabasePath(path);
    platform::Database::close(unfinished);
    QStringList files = {unfinished};
    for (const QString& suffix : sideSuffixes())
        files << unfinished + suffix;
    for (const QString& file : files) {
        // Only a file of that name: never a folder, a FIFO, a link or what a link leads to.
        const QFileInfo info(file);
        if (info.isSymLink() || !info.isFile()) continue;
        QString reason;
        if (!platform::RemoveFile(file, &reason))
            throw rt::RuntimeError(rt::ErrPathAccess, QStringLiteral("%1: %2").arg(file, reason));
    }
}

void CreateDatabase(const QString& path) {
    // Whatever stands there (a file, a folder, the user's link even when it leads nowhere) is
    // left as it is.
    if (standsAt(path)) return;
    // An earlier start's log would be read into the new file as its own: it goes first.
    RemoveUnfinishedDatabase(path);
    const QString unfinished = UnfinishedDatabasePath(path);
    // Made whole under its temporary name and only then given its own: a start cut short
    // anywhere leaves no database or a whole one, never one the program refuses.
    try {
        {
            const platform::Database db = platform::Database::create(unfinished);
            platform::Transaction transaction(db);
            for (const QString& statement : CreateTableStatements() + CreateIndexStatements())
                db.exec(statement);
            transaction.commit();
        }
        // The close folds the log into the file and removes it: the file alone holds it all.
        // (The index of the log, -shm, holds nothing of the data.)
        platform::Database::close(unfinished);
        for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-journal")})
            if (standsAt(unfinished + suffix))
                throw rt::RuntimeError(rt::ErrPathAccess,
                                       QStringLiteral("%1: its log %2 could not be folded in")
                                           .arg(unfinished, unfinished + suffix));
        platform::SyncFile(unfinished);
        platform::RenameToNewName(unfinished, path);
    } catch (const rt::RuntimeError&) {
        try {
            RemoveUnfinishedDatabase(path);
        } catch (const rt::RuntimeError& e) {
            qWarning("The unfinished database cannot be removed: %s", qPrintable(e.description()));
        }
        throw;
    }
    // What the engine left beside the temporary name (the log's index) holds nothing now.
    try {
        RemoveUnfinishedDatabase(path);
    } catch (const rt::RuntimeError& e) {
        qWarning("%s", qPrintable(e.description()));
    }
    platform::SyncFolder(QFileInfo(path).absolutePath());
}

namespace {

// One upgrade step, inside the upgrade's transaction. A step that fails is undone whole (its
// savepoint) and does not stop the other steps or the start of the program; it is reported.
void upgradeStep(const platform::Database& db, const std::function<void()>& step) {
    db.exec(QStringLiteral("SAVEPOINT UpgradeStep"));
    try {
        step();
    } catch (const rt::RuntimeError& e) {
        qWarning("Database upgrade step failed: %s", qPrintable(e.description()));
        db.exec(QStringLiteral("ROLLBACK TO UpgradeStep"));
    }
    db.exec(QStringLiteral("RELEASE UpgradeStep"));
}

}  // namespace

namespace {

// The tables of the database by their names, lower case (names compare without case).
QSet<QString> tablesOf(const platform::Database& db) {
    QSet<QString> names;
    const platform::ResultSet rows =
        db.query(QStringLiteral("Select name From sqlite_master Where type = 'table'"));
    for (int row = 0; row < rows.rowCount(); ++row)
        names.insert(rows.text(row, QStringLiteral("name")).toLower());
    return names;
}

}  // namespace

void UpgradeDatabase(const platform::Database& db) {
    // What is missing is found by reading alone: a database that has everything is not written
    // to at all, so one that may only be read starts as it always did.
    std::vector<std::function<void()>> steps;
    // A table of the program's own that is missing is made as the schema makes it (an older
    // database had no sensor history; a damaged one may have lost any): no stored row changes.
    try {
        const QSet<QString> present = tablesOf(db);
        for (const TableDefinition& definition : tableDefinitions())
            if (!present.contains(definition.name.toLower()))
                steps.push_back([&db, definition] { db.exec(definition.statement()); });
    } catch (const rt::RuntimeError& e) {
        qWarning("The tables of the database cannot be read: %s", qPrintable(e.description()));
    }
    if (!db.probe(QStringLiteral("Select Gas1SensorNo From cHistory "))) {
        steps.push_back([&db] {
            // SQLite adds one column per statement.
            for (int gas = 1; gas <= 5; ++gas)
                db.exec(QStringLiteral("ALTER TABLE cHistory ADD ") +
                        column(QStringLiteral("Gas%1SensorNo").arg(gas), "Varchar(10)") +
                        QLatin1Char(';'));
        });
    }
    QSet<QString> indexes;
    try {
        const platform::ResultSet rows =
            db.query(QStringLiteral("Select name From sqlite_master Where type = 'index'"));
        for (int row = 0; row < rows.rowCount(); ++row)
            indexes.insert(rows.text(row, QStringLiteral("name")).toLower());
    } catch (const rt::RuntimeError& e) {
        qWarning("The indexes of the database cannot be read: %s", qPrintable(e.description()));
        return;
    }
    for (const QString& table : DetailTables())
        if (!indexes.contains(relNoIndexName(table).toLower()))
            steps.push_back([&db, table] { db.exec(relNoIndexStatement(table)); });
    if (steps.empty()) return;
    // All in one transaction: a database that another program keeps locked is waited for once
    // (about 5 s), not once a step; the lock reaches the caller, which tells it.
    std::optional<platform::Transaction> transaction;
    try {
        transaction.emplace(db);
    } catch (const platform::DatabaseError& e) {
        if (e.kind() == platform::DatabaseError::Kind::Locked) throw;
        qWarning("The database cannot be brought up to date: %s", qPrintable(e.description()));
        return;
    }
    for (const auto& step : steps)
        upgradeStep(db, step);
    transaction->commit();
}

std::vector<MissingColumns> FindMissingColumns(const platform::Database& db) {
    std::vector<MissingColumns> missing;
    const QSet<QString> present = tablesOf(db);
    for (const TableDefinition& definition : tableDefinitions()) {
        if (!present.contains(definition.name.toLower())) continue;
        QSet<QString> stored;
        const platform::ResultSet columns =
            db.query(QStringLiteral("Pragma table_info(%1)").arg(definition.name));
        for (int row = 0; row < columns.rowCount(); ++row)
            stored.insert(columns.text(row, QStringLiteral("name")).toLower());
        MissingColumns lacking{definition.name, {}};
        for (const QString& name : definition.columnNames())
            if (!stored.contains(name.toLower())) lacking.columns << name;
        if (!lacking.columns.isEmpty()) missing.push_back(std::move(lacking));
    }
    return missing;
}

}  // namespace core
