#include <gtest/gtest.h>

#include <QDir>

#include <QFile>
#include <QFileInfo>

#include "core/Schema.h"
#include "platform/Database.h"
#include "runtime/RuntimeError.h"
#include "tests/support/TempProgramFolder.h"

using platform::Database;

namespace {

int columnCount(const Database& db, const QString& table) {
    return db.query(QStringLiteral("Select * From %1").arg(table)).columnCount();
}

// The index a read of one download's rows of the table goes through ("" when it walks the
// whole table).
QString indexOfRelNoRead(const Database& db, const QString& table) {
    const platform::ResultSet plan = db.query(
        QStringLiteral("Explain Query Plan Select * From %1 Where RelNo = ?").arg(table), {7});
    const QString detail = plan.text(0, "detail");
    const qsizetype at = detail.indexOf("USING INDEX ");
    return at < 0 ? QString() : detail.mid(at + 12).section(' ', 0, 0);
}

// The database as the former schema left it: the same tables and columns, no index.
void dropIndexes(const Database& db) {
    core::UpgradeDatabase(db);
    for (const QString& table : core::DetailTables())
        db.exec(QStringLiteral("Drop Index %1_RelNo").arg(table));
}

// A header and one row in each detail table that has a RelNo.
void storeRows(const Database& db) {
    db.exec("Insert Into Log_Head (SeqNo, Names, Types) Values (7, 'iv01', 1)");
    for (const QString& table : core::DetailTables())
        if (db.probe(QStringLiteral("Select RelNo From %1").arg(table)))
            db.exec(QStringLiteral("Insert Into %1 (SeqNo, RelNo) Values (3, 7)").arg(table));
    db.exec(
        "Insert Into Interval_Event (SeqNo, RelNo, Datetimes, Gas4Event) Values "
        "(4, 7, '2024-05-31 13:05:09', -104)");
}

// Every row of every table, as text.
QStringList allRows(const Database& db) {
    QStringList out;
    for (const QString& table : QStringList{"Log_Head", "cLatestHist"} + core::DetailTables()) {
        const platform::ResultSet rows =
            db.query(QStringLiteral("Select * From %1 Order By SeqNo").arg(table));
        for (int row = 0; row < rows.rowCount(); ++row) {
            QStringList values;
            for (const QString& column : rows.columns())
                values << rows.text(row, column, "<null>");
            out << table + ": " + values.join('|');
        }
    }
    return out;
}

}  // namespace

TEST(Schema, FreshDatabaseHasTheTenEmptyTables) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    const std::pair<const char*, int> tables[] = {
        {"Log_head", 93},   {"Interval_Data", 14}, {"Interval_Event", 9}, {"Alarm_Data", 8},
        {"cHistory", 53},   {"cLatestHist", 51},   {"Alarm_Event", 8},    {"Trouble_Event", 8},
        {"Power_Event", 4}, {"SensorHistory", 8}};
    for (const auto& [name, columns] : tables) {
        EXPECT_EQ(columnCount(db, name), columns) << name;
        EXPECT_EQ(db.query(QStringLiteral("Select * From %1").arg(name)).rowCount(), 0);
        EXPECT_EQ(db.MaxSeq(name), 1);
    }
    const auto logHead = db.query("Select * From Log_Head").columns();
    EXPECT_EQ(logHead.mid(0, 4), (QStringList{"SeqNo", "Names", "UserID", "StationID"}));
    EXPECT_EQ(logHead.mid(13, 3), (QStringList{"Gas1Name", "Gas1Full", "Gas1Desit"}));
    EXPECT_EQ(logHead.last(), "Gas5MinDate");
    core::UpgradeDatabase(db);
    EXPECT_EQ(columnCount(db, "cHistory"), 58);
    Database::close(path);
}

// The columns a database lacks are found table by table and left missing; a complete one lacks
// none, the columns the upgrade adds included.
TEST(Schema, MissingColumnsAreFoundAndNotAdded) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    EXPECT_TRUE(core::FindMissingColumns(db).empty());
    core::UpgradeDatabase(db);
    EXPECT_TRUE(core::FindMissingColumns(db).empty());
    db.exec("Alter Table cLatestHist Drop Column Gas4After");
    db.exec("Alter Table Alarm_Event Drop Column NowEv");
    db.exec("Drop Table Power_Event");
    const std::vector<core::MissingColumns> missing = core::FindMissingColumns(db);
    ASSERT_EQ(missing.size(), 2u);
    EXPECT_EQ(missing[0].table, "cLatestHist");
    EXPECT_EQ(missing[0].columns, QStringList{"Gas4After"});
    EXPECT_EQ(missing[1].table, "Alarm_Event");
    EXPECT_EQ(missing[1].columns, QStringList{"NowEv"});
    core::UpgradeDatabase(db);
    EXPECT_EQ(core::FindMissingColumns(db).size(), 2u);
    EXPECT_EQ(columnCount(db, "Power_Event"), 4);
    Database::close(path);
}

TEST(Schema, StatementsKeepTheirText) {
    const QStringList statements = core::CreateTableStatements();
    ASSERT_EQ(statements.size(), 10);
    EXPECT_EQ(statements[3],
              "Create Table Alarm_Data (SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,RelNo "
              "Integer,Datetimes Date,Gas1Value Float,Gas2Value Float,Gas3Value Float,Gas4Value "
              "Float,Gas5Value Float);");
    EXPECT_EQ(statements[9],
              "Create Table SensorHistory (SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,RelNo "
              "Integer, UserID Varchar(20) COLLATE NOCASE, SerialNo Varchar(20) COLLATE NOCASE, "
              "Dates Date, SensorNo VarChar(10) COLLATE NOCASE, GasName Varchar(10) COLLATE "
              "NOCASE, FullScale Float);");
}

TEST(Schema, ExistingFileIsLeftAlone) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    core::CreateDatabase(path);
    core::CreateDatabase(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not a database");
}

TEST(Schema, FailedCreationLeavesNoFile) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.path() + "/no such folder/QM73.mdb";
    EXPECT_THROW(core::CreateDatabase(path), rt::RuntimeError);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(Schema, CreationThatFailsAfterTheFileExistsRemovesIt) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    // A folder where the journal of the file being made must go makes the first write fail
    // once the file is made.
    const QString unfinished = core::UnfinishedDatabasePath(path);
    ASSERT_TRUE(QDir().mkpath(unfinished + "-journal"));
    EXPECT_THROW(core::CreateDatabase(path), rt::RuntimeError);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(unfinished));
    EXPECT_TRUE(QFileInfo(unfinished + "-journal").isDir());  // not a file of the program's
}

TEST(Schema, UpgradeStepsSucceedOrFailEachOnItsOwn) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    db.exec("Drop Table SensorHistory");
    // An odd old database: the third sensor column exists, the first does not. Adding the
    // five columns fails at the third, so that step leaves the table as it was.
    db.exec("Drop Table cHistory");
    db.exec("Create Table cHistory (SeqNo Integer, Gas3SensorNo Varchar(10))");
    EXPECT_NO_THROW(core::UpgradeDatabase(db));
    EXPECT_EQ(columnCount(db, "SensorHistory"), 8);
    EXPECT_EQ(columnCount(db, "cHistory"), 2);
    Database::close(path);
}

TEST(Schema, UpgradeAddsWhatAnOldDatabaseLacks) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    db.exec("Drop Table SensorHistory");
    db.exec("Insert Into cHistory (SeqNo, UserID) Values (?, ?)", {1, "U"});
    core::UpgradeDatabase(db);
    EXPECT_EQ(columnCount(db, "SensorHistory"), 8);
    EXPECT_EQ(columnCount(db, "cHistory"), 58);
    EXPECT_EQ(db.query("Select UserID From cHistory").text(0, "UserID"), "U");
    // A second run finds both and changes nothing.
    core::UpgradeDatabase(db);
    EXPECT_EQ(columnCount(db, "cHistory"), 58);
    Database::close(path);
}

TEST(Schema, EveryDetailTableIsReadByDownloadThroughItsIndex) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    const QStringList tables = core::DetailTables();
    EXPECT_EQ(tables,
              (QStringList{"Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
                           "Alarm_Event", "Trouble_Event", "Power_Event", "SensorHistory"}));
    for (const QString& table : tables)
        EXPECT_EQ(indexOfRelNoRead(db, table), table + "_RelNo") << table.toStdString();
    // The headers are found by their key, the last calibrations by their instrument: no index.
    EXPECT_EQ(db.query("Select name From sqlite_master Where type = 'index' And name Not Like "
                       "'sqlite_%'")
                  .rowCount(),
              tables.size());
    Database::close(path);
}

TEST(Schema, UpgradeIndexesAnOlderDatabaseAndKeepsEveryRow) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    dropIndexes(db);
    storeRows(db);
    const QStringList before = allRows(db);
    ASSERT_EQ(before.size(), 10);
    for (const QString& table : core::DetailTables())
        ASSERT_EQ(indexOfRelNoRead(db, table), "") << table.toStdString();

    core::UpgradeDatabase(db);
    for (const QString& table : core::DetailTables())
        EXPECT_EQ(indexOfRelNoRead(db, table), table + "_RelNo") << table.toStdString();
    EXPECT_EQ(allRows(db), before);
    // A second run finds them all and changes nothing.
    core::UpgradeDatabase(db);
    EXPECT_EQ(allRows(db), before);
    Database::close(path);
}

TEST(Schema, ADatabaseThatTakesNoWriteIsUsedWithoutItsIndexes) {
    testsupport::TempProgramFolder folder;
    const QString path = folder.paths().database();
    core::CreateDatabase(path);
    const Database db = Database::open(path);
    dropIndexes(db);
    // A table that lost its RelNo cannot take the index; the others still do.
    db.exec("Drop Table Power_Event");
    db.exec("Create Table Power_Event (SeqNo Integer, Dates Date)");
    storeRows(db);
    const QStringList before = allRows(db);

    // Any write is refused, as for a file that may only be read.
    db.exec("PRAGMA query_only = 1");
    EXPECT_NO_THROW(core::UpgradeDatabase(db));
    EXPECT_EQ(allRows(db), before);
    EXPECT_EQ(indexOfRelNoRead(db, "Interval_Event"), "");

    db.exec("PRAGMA query_only = 0");
    EXPECT_NO_THROW(core::UpgradeDatabase(db));
    EXPECT_EQ(allRows(db), before);
    EXPECT_EQ(indexOfRelNoRead(db, "Interval_Event"), "Interval_Event_RelNo");
    EXPECT_EQ(db.query("Select name From sqlite_master Where tbl_name = 'Power_Event' And type = "
                       "'index'")
                  .rowCount(),
              0);
    EXPECT_EQ(indexOfRelNoRead(db, "SensorHistory"), "SensorHistory_RelNo");
    Database::close(path);
}

TEST(Schema, KindHeaderNames) {
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::CalibrationHistory), "Calibration Histories");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::AlarmEvents), "Alarm Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::TroubleEvents), "Trouble Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::PowerEvents), "Power Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::SensorHistory), "Sensor Histories");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::IntervalTrend), "");
}
