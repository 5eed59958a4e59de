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
    // A folder where the journal must go makes the first write fail once the file is made.
    ASSERT_TRUE(QDir().mkpath(path + "-journal"));
    EXPECT_THROW(core::CreateDatabase(path), rt::RuntimeError);
    EXPECT_FALSE(QFileInfo::exists(path));
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

TEST(Schema, KindHeaderNames) {
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::CalibrationHistory), "Calibration Histories");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::AlarmEvents), "Alarm Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::TroubleEvents), "Trouble Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::PowerEvents), "Power Events");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::SensorHistory), "Sensor Histories");
    EXPECT_EQ(core::LogKindHeaderName(core::LogKind::IntervalTrend), "");
}
