#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>

#include "app/FrmOpen.h"
#include "core/ModMain.h"
#include "core/Schema.h"
#include "core/Settings.h"
#include "mainwindow/shell/FrmMain.h"
#include "mainwindow/shell/SerialLogs.h"
#include "mainwindow/shell/WindowPlacement.h"
#include "platform/Database.h"
#include "platform/FileSteps.h"
#include "platform/StringTable.h"
#include "runtime/Color.h"
#include "tests/support/FifoRescue.h"
#include "tests/support/FilePermissions.h"
#include "tests/support/OtherConnection.h"
#include "tests/support/Pictures.h"
#include "tests/support/WindowRig.h"

using download::ColorStatusFailed;
using download::ColorStatusProgress;
using platform::MsgAnswer;
using shell::FrmMain;
using testsupport::WindowRig;

namespace {

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A main window started in a program folder of its own, as the title screen starts it: loaded,
// shown and activated. The link's own timer is off: tests move time with tick().
struct StartedWindow {
    WindowRig rig;
    std::unique_ptr<FrmMain> window;

    explicit StartedWindow(const std::function<void(WindowRig&)>& prepare = {}) {
        if (prepare) prepare(rig);
        start();
    }
    void start() {
        window = std::make_unique<FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        ASSERT_FALSE(window->fields.ActivationPending);
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            window->uclVY5103.tmrTimer_Timer();
            rig.serial.tick();
            settle();
        }
    }
    QString file(const QString& name) const { return rig.folder.path() + "/" + name; }
    std::vector<std::pair<QString, int32_t>> statusLines() const {
        return window->downloadPage->statusLog().lines();
    }
    // The page frames that show.
    std::vector<int> shownPages() const {
        std::vector<int> shown;
        for (int i = 0; i < window->fraMenu.count(); ++i)
            if (!window->fraMenu[i]->isHidden()) shown.push_back(i);
        return shown;
    }
};

QStringList tablesOf(const QString& database) {
    QStringList names;
    const platform::ResultSet rows = platform::Database::open(database).query(
        "Select name From sqlite_master Where type='table' Order By name");
    for (int i = 0; i < rows.rowCount(); ++i)
        names << rows.text(i, "name");
    return names;
}

bool hasColumn(const QString& database, const QString& table, const QString& column) {
    return platform::Database::open(database).probe(
        QStringLiteral("Select %1 From %2").arg(column, table));
}

}  // namespace

// ---- start-up ---------------------------------------------------------------------------------

TEST(Startup, FreshFolderGetsItsDataFolderAndDatabaseAndTheSensorColumnsNextTime) {
    StartedWindow s;
    EXPECT_TRUE(QDir(s.file("Data")).exists());
    const QString db = s.file("QM73.mdb");
    const QStringList tables = tablesOf(db);
    EXPECT_EQ(tables.size(), 10) << tables.join(",").toStdString();
    for (const char* table :
         {"Log_Head", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory", "cLatestHist",
          "Alarm_Event", "Trouble_Event", "Power_Event", "SensorHistory"})
        EXPECT_TRUE(tables.contains(table, Qt::CaseInsensitive)) << table;
    EXPECT_FALSE(hasColumn(db, "cHistory", "Gas1SensorNo"));
    platform::Database::close(db);

    // The next start upgrades the database it finds.
    s.window.reset();
    s.start();
    for (int gas = 1; gas <= 5; ++gas)
        EXPECT_TRUE(hasColumn(db, "cHistory", QStringLiteral("Gas%1SensorNo").arg(gas)));
    platform::Database::close(db);
}

TEST(Startup, AnOlderDatabaseGetsTheSensorHistory) {
    StartedWindow s([](WindowRig& rig) {
        const QString db = rig.folder.paths().database();
        core::CreateDatabase(db);
        platform::Database::open(db).exec("Drop Table SensorHistory");
        platform::Database::close(db);
        ASSERT_FALSE(tablesOf(db).contains("SensorHistory"));
        platform::Database::close(db);
    });
    EXPECT_TRUE(tablesOf(s.file("QM73.mdb")).contains("SensorHistory"));
    platform::Database::close(s.file("QM73.mdb"));
}

// A table of the program's own that the database lacks is made as the schema makes it; a
// column it lacks is told in red, by its table and its name, and left missing: no stored row
// changes.
TEST(Startup, AMissingTableIsMadeAndAMissingColumnIsToldInRed) {
    QString path;
    QStringList rowsBefore;
    const auto rowsOf = [](const QString& db) {
        QStringList rows;
        for (const char* table : {"Log_Head", "Trouble_Event", "cHistory"}) {
            const platform::ResultSet r = platform::Database::open(db).query(
                QStringLiteral("Select * From %1 Order By SeqNo").arg(table));
            for (int row = 0; row < r.rowCount(); ++row) {
                QStringList values;
                for (const QString& column : r.columns())
                    if (!column.endsWith("SensorNo")) values << r.text(row, column, "<null>");
                rows << values.join('|');
            }
        }
        return rows;
    };
    StartedWindow s([&](WindowRig& rig) {
        path = rig.folder.paths().database();
        core::CreateDatabase(path);
        const platform::Database db = platform::Database::open(path);
        db.exec("Insert Into Log_Head (SeqNo, Names, Types) Values (7, 'iv01', 1)");
        db.exec("Insert Into Trouble_Event (SeqNo, RelNo, GasName) Values (3, 7, 'CO')");
        db.exec("Insert Into cHistory (SeqNo, RelNo) Values (4, 7)");
        for (const char* statement : {"Drop Table Interval_Event", "Drop Table Alarm_Data",
                                      "Alter Table Log_Head Drop Column Gas5Mode",
                                      "Alter Table Log_Head Drop Column Gas5Twa",
                                      "Alter Table Trouble_Event Drop Column NowCl"})
            db.exec(statement);
        rowsBefore = rowsOf(path);
        platform::Database::close(path);
    });
    // The tables, as the schema makes them.
    const platform::ResultSet made = platform::Database::open(path).query(
        "Select name, sql From sqlite_master Where type = "
        "'table' And name In ('Interval_Event', "
        "'Alarm_Data') Order By name");
    ASSERT_EQ(made.rowCount(), 2);
    // The engine keeps the statement's text, its first words in capitals.
    QStringList statements = core::CreateTableStatements();
    statements.replaceInStrings("Create Table ", "CREATE TABLE ");
    EXPECT_TRUE(statements.contains(made.text(0, "sql") + ";"))
        << made.text(0, "sql").toStdString();
    EXPECT_TRUE(statements.contains(made.text(1, "sql") + ";"))
        << made.text(1, "sql").toStdString();
    // The columns, told and still missing; the rows as they were.
    using Lines = std::vector<std::pair<QString, int32_t>>;
    Lines red;
    for (const auto& line : s.statusLines())
        if (line.second == ColorStatusFailed && line.first.startsWith("The table"))
            red.push_back(line);
    EXPECT_EQ(red, (Lines{{"The table Log_head of the database " + path +
                               " lacks its column(s) Gas5TWA, Gas5Mode. The database is left as it "
                               "is; what is kept there cannot be read or saved whole.",
                           ColorStatusFailed},
                          {"The table Trouble_Event of the database " + path +
                               " lacks its column(s) NowCl. The database is left as it is; what is "
                               "kept there cannot be read or saved whole.",
                           ColorStatusFailed}}));
    EXPECT_FALSE(hasColumn(path, "Log_Head", "Gas5Mode"));
    EXPECT_FALSE(hasColumn(path, "Trouble_Event", "NowCl"));
    EXPECT_EQ(rowsOf(path), rowsBefore);
    platform::Database::close(path);
}

TEST(Startup, AnOlderDatabaseGetsItsIndexesUnlessItTakesNoWrite) {
    // Every row of the tables with downloads in them, as text.
    const auto rowsOf = [](const platform::Database& db) {
        QStringList out;
        for (const QString& table : QStringList{"Log_Head"} + core::DetailTables()) {
            const platform::ResultSet rows =
                db.query(QStringLiteral("Select * From %1 Order By SeqNo").arg(table));
            for (int row = 0; row < rows.rowCount(); ++row)
                for (const QString& column : rows.columns())
                    out << table + "." + column + "=" + rows.text(row, column, "<null>");
        }
        return out;
    };
    const auto indexes = [](const platform::Database& db) {
        return db
            .query(
                "Select name From sqlite_master Where type = 'index' And name Not Like "
                "'sqlite_%'")
            .rowCount();
    };
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable" : "read only");
        QStringList before;
        StartedWindow s([&](WindowRig& rig) {
            const QString path = rig.folder.paths().database();
            core::CreateDatabase(path);
            const platform::Database db = platform::Database::open(path);
            core::UpgradeDatabase(db);  // the tables and columns of today, without the indexes
            for (const QString& table : core::DetailTables()) {
                db.exec(QStringLiteral("Drop Index %1_RelNo").arg(table));
                db.exec(QStringLiteral("Insert Into %1 (RelNo) Values (1)").arg(table));
            }
            db.exec(
                "Insert Into Log_Head (SeqNo, Names, Types, Dates) Values (1, 'iv31130509_SN1', "
                "1, '2024-05-31 13:05:09')");
            before = rowsOf(db);
            ASSERT_EQ(indexes(db), 0);
            // The window goes on with this connection, which refuses any write.
            if (!writable) db.exec("PRAGMA query_only = 1");
        });
        const platform::Database db = platform::Database::open(s.file("QM73.mdb"));
        EXPECT_EQ(rowsOf(db), before);
        EXPECT_EQ(indexes(db), writable ? core::DetailTables().size() : 0);
        // Nothing is told: the database is used as it is.
        for (const auto& [line, colour] : s.statusLines())
            EXPECT_FALSE(line.contains("database", Qt::CaseInsensitive)) << line.toStdString();
        EXPECT_EQ(s.shownPages(), std::vector<int>{0});
        s.window.reset();
        platform::Database::close(s.file("QM73.mdb"));
    }
}

TEST(Startup, LoadGoesOnPastAFailingStep) {
    // A folder in the database's place: the database steps fail, the rest of the start-up runs.
    StartedWindow s([](WindowRig& rig) { QDir().mkpath(rig.folder.paths().database()); });
    EXPECT_TRUE(s.window->isLoaded());
    EXPECT_EQ(s.window->cmdInst[5]->text(), "Exit");
    EXPECT_TRUE(s.window->tmrInter.isActive());
    EXPECT_TRUE(readFile(s.file("SerialLog.log")).contains("Serial Port Standby. Date = "));
    EXPECT_EQ(s.shownPages(), std::vector<int>{0});
}

TEST(Startup, TheTemporarySettingsFileOfACutShortSaveIsRemovedAndNothingElse) {
    const struct {
        const char* name;
        bool removed;
    } files[] = {
        {"QM73.ini.tmp", true},
        // The user's own copies, whatever their names look like.
        {"QM73.ini.a1B2c3", false},
        {"QM73.ini.XyZ789", false},
        {"QM73.ini.backup", false},
        {"QM73.ini.before", false},
        {"QM73.ini.2024v1", false},
        {"QM73.ini", false},
        {"QM73.ini.bak", false},
        {"QM73.ini.a1B2c", false},
        {"QM73.ini.a1B2c3d", false},
        {"QM73.ini.a1-2c3", false},
        {"QM73.ini.tmp.txt", false},
        {"Other.ini.tmp", false},
        {"QM73.ini.tmp2", false},
        {"Data/QM73.ini.tmp", false},
        {"Data/QM73.ini.a1B2c3", false},
    };
    StartedWindow s([&files](WindowRig& rig) {
        QDir().mkpath(rig.folder.paths().dataFolder());
        for (const auto& f : files)
            writeFile(rig.folder.path() + "/" + f.name, "Retry\t3\r\n");
    });
    for (const auto& f : files)
        EXPECT_EQ(QFile::exists(s.file(f.name)), !f.removed) << f.name;
    EXPECT_EQ(readFile(s.file("QM73.ini.bak")), "Retry\t3\r\n");
}

TEST(Startup, FirstActivationShowsTheDownloadPageAndStartsTheSerialLog) {
    StartedWindow s;
    EXPECT_EQ(s.shownPages(), std::vector<int>{0});
    const QList<QByteArray> lines = readFile(s.file("SerialLog.log")).split('\n');
    ASSERT_GE(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains("Serial Port Standby. Date = ")) << lines[0].toStdString();
    // A later activation keeps the page the user chose.
    s.window->cmdInst_Click(2);
    s.window->Form_Activate();
    EXPECT_EQ(s.shownPages(), std::vector<int>{2});
}

TEST(Startup, SerialLogsMoveUpWithTheirGapsAndOnlyWithTheSwitch) {
    for (const bool on : {true, false}) {
        StartedWindow s([on](WindowRig& rig) {
            const QString folder = rig.folder.path();
            for (int n : {0, 1, 2, 4, 9})
                writeFile(QDir(folder).filePath(n == 0 ? QStringLiteral("SerialLog.log")
                                                       : QStringLiteral("SerialLog%1.log").arg(n)),
                          QByteArray("run ") + QByteArray::number(n));
            writeFile(rig.folder.paths().settingsFile(),
                      on ? "Serial Log File\tON\r\n" : "Serial Log File\tOFF\r\n");
        });
        const auto log = [&s](int n) {
            return readFile(s.file(QStringLiteral("SerialLog%1.log").arg(n)));
        };
        if (on) {
            EXPECT_EQ(log(1), "run 0");
            EXPECT_EQ(log(2), "run 1");
            EXPECT_EQ(log(3), "run 2");
            EXPECT_FALSE(QFile::exists(s.file("SerialLog4.log")));  // the gap moved up
            EXPECT_EQ(log(5), "run 4");
            EXPECT_EQ(log(9), "run 9");  // no 8 to take its place
        } else {
            EXPECT_EQ(log(1), "run 1");
            EXPECT_EQ(log(4), "run 4");
        }
        // The log of this run starts afresh in both cases.
        EXPECT_FALSE(readFile(s.file("SerialLog.log")).contains("run 0"));
    }
}

TEST(Startup, RotationWithoutACurrentLogStillMovesTheCopies) {
    WindowRig rig;
    const QString folder = rig.folder.path();
    for (int n = 1; n <= 9; ++n)
        writeFile(QDir(folder).filePath(QStringLiteral("SerialLog%1.log").arg(n)),
                  QByteArray::number(n));
    shell::RotateSerialLogFiles(folder);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("SerialLog1.log")));
    for (int n = 2; n <= 9; ++n)
        EXPECT_EQ(readFile(QDir(folder).filePath(QStringLiteral("SerialLog%1.log").arg(n))),
                  QByteArray::number(n - 1));
}

TEST(Startup, PortMembersForNoneOneAndTwoAdapters) {
    const std::vector<platform::PortRecord> one = {{"/dev/ttyUSB2", "CP2102", "COM3"}};
    const std::vector<platform::PortRecord> two = {{"/dev/ttyUSB0", "", "COM1"},
                                                   {"/dev/ttyUSB1", "", "COM2"}};
    for (const auto& ports : {std::vector<platform::PortRecord>{}, one, two}) {
        StartedWindow s([&ports](WindowRig& rig) { rig.finder.ports = ports; });
        comm::uclVyif& link = s.window->uclVY5103;
        const bool serial = ports.size() == 1;
        EXPECT_EQ(core::IrCommNum, serial ? 3 : 0);
        EXPECT_EQ(link.SerialComm(), serial);
        EXPECT_EQ(s.rig.serial.opens, 1);
        if (serial) {
            EXPECT_EQ(link.CommPort(), 3);
            EXPECT_TRUE(link.RTSEnable());
            EXPECT_TRUE(link.DTREnable());
            EXPECT_EQ(link.Handshaking(), 2);
            EXPECT_EQ(link.Settings(), "921600,n,8,1");
            EXPECT_EQ(s.window->downloadPage->shpStatus[0]->FillColor(), rt::RGB(0, 255, 0));
            EXPECT_TRUE(s.statusLines().empty());
        } else {
            // No single adapter: the user is told the program cannot reach the instrument.
            ASSERT_FALSE(s.statusLines().empty());
            EXPECT_TRUE(s.statusLines()[0].first.startsWith("No single USB serial adapter"));
            EXPECT_EQ(s.statusLines()[0].second, ColorStatusFailed);
        }
        if (ports.size() == 2) {
            ASSERT_EQ(s.rig.dialogs.messages.size(), 1u);
            EXPECT_EQ(s.rig.dialogs.messages[0].text,
                      "More than one USB Serial Converter is connected.");
            EXPECT_EQ(s.rig.dialogs.messages[0].title, "module finder error");
            EXPECT_EQ(s.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
        } else {
            EXPECT_TRUE(s.rig.dialogs.messages.empty());
        }
    }
    // The one adapter's port is kept in the settings file.
    StartedWindow s([&one](WindowRig& rig) { rig.finder.ports = one; });
    s.rig.dialogs.answers = {MsgAnswer::Yes};
    s.window->close();
    EXPECT_TRUE(readFile(s.file("QM73.ini")).contains("IrCOMM Num\t3"));
}

TEST(Startup, APortThatCannotOpenIsToldWithItsReason) {
    for (const bool denied : {true, false}) {
        StartedWindow s([denied](WindowRig& rig) {
            rig.finder.ports = {{"/dev/ttyUSB0", "CP2102", "COM1"}};
            rig.serial.openFailure = "/dev/ttyUSB0: Permission denied";
            rig.serial.openDenied = denied;
        });
        const auto lines = s.statusLines();
        ASSERT_EQ(lines.size(), denied ? 2u : 1u);
        EXPECT_EQ(lines[0].first,
                  "The instrument port cannot be opened: /dev/ttyUSB0: Permission denied");
        EXPECT_EQ(lines[0].second, ColorStatusFailed);
        if (denied) {
            EXPECT_TRUE(lines[1].first.contains("dialout"));
        }
        EXPECT_EQ(s.window->downloadPage->shpStatus[0]->FillColor(), rt::RGB(254, 0, 0));
    }
}

TEST(Startup, ADamagedSettingsLineIsToldInRed) {
    StartedWindow s([](WindowRig& rig) {
        writeFile(rig.folder.paths().settingsFile(),
                  "Retry\t5\r\nIrCOMM Num\t40000\r\nRetry\t7\r\n");
    });
    // The first line: the port's comes after it.
    const auto lines = s.statusLines();
    ASSERT_FALSE(lines.empty());
    const auto& [text, color] = lines.front();
    EXPECT_TRUE(text.contains("line 2")) << text.toStdString();
    EXPECT_TRUE(text.contains("IrCOMM Num\t40000")) << text.toStdString();
    EXPECT_EQ(color, ColorStatusFailed);
    EXPECT_EQ(core::RetryLimit, 5);
}

// A settings file the program may not read: told in red with its reason, the program runs
// with its defaults, and the file is never written over (the close tells why nothing is saved).
TEST(Startup, ASettingsFileThatCannotBeReadIsToldInRedAndNeverWrittenOver) {
    const QByteArray content = "Execute Count\t77\r\nAuto Load Mode\tTrue\tTrue\tFalse\r\n";
    std::unique_ptr<testsupport::FilePermissionsEnforced> asAUser;
    StartedWindow s([&](WindowRig& rig) {
        writeFile(rig.folder.paths().settingsFile(), content);
        ASSERT_TRUE(QFile::setPermissions(rig.folder.paths().settingsFile(), QFile::WriteOwner));
        asAUser = std::make_unique<testsupport::FilePermissionsEnforced>();
    });
    const auto lines = s.statusLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().first, "The settings file " + s.file("QM73.ini") +
                                       " cannot be read (Permission denied). The program runs "
                                       "with its default settings and leaves the file as it is.");
    EXPECT_EQ(lines.front().second, ColorStatusFailed);
    EXPECT_FALSE(core::AutoLoadMode);
    EXPECT_FALSE(s.window->downloadPage->chkAutoLoad[0]->isChecked());
    s.rig.dialogs.answers = {MsgAnswer::Yes};
    s.window->close();
    settle();
    asAUser.reset();
    EXPECT_FALSE(s.window->isVisible());
    ASSERT_EQ(s.rig.dialogs.messages.size(), 2u);
    EXPECT_TRUE(s.rig.dialogs.messages[1].text.contains("are not saved"))
        << s.rig.dialogs.messages[1].text.toStdString();
    ASSERT_TRUE(QFile::setPermissions(s.file("QM73.ini"), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(readFile(s.file("QM73.ini")), content);
    EXPECT_EQ(QDir(s.rig.folder.path()).entryList({"QM73.ini*"}, QDir::Files | QDir::Hidden),
              QStringList{"QM73.ini"});
    // How the line shows on the Download page, in both languages.
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        std::unique_ptr<testsupport::FilePermissionsEnforced> hold;
        StartedWindow shown([&](WindowRig& rig) {
            writeFile(rig.folder.paths().settingsFile(), content);
            QFile::setPermissions(rig.folder.paths().settingsFile(), QFile::WriteOwner);
            hold = std::make_unique<testsupport::FilePermissionsEnforced>();
        });
        hold.reset();
        shown.window->resize(1024, 720);
        settle();
        testsupport::savePicture(
            *shown.window,
            QStringLiteral("frmMain-startup-settings-unreadable-") + QLatin1String(suffix));
        QFile::setPermissions(shown.file("QM73.ini"), QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST(Startup, AnOverlongSettingsLineIsToldInPartWithItsNumber) {
    // Long enough to show when the whole of it goes into the status log; how fast a start with
    // a line of fifty megabytes is, is the benchmark's to tell.
    const QByteArray line = "IrCOMM Num\t" + QByteArray(300 * 1024, '7');
    StartedWindow s([&line](WindowRig& rig) {
        writeFile(rig.folder.paths().settingsFile(), "Retry\t5\r\n" + line + "\r\nRetry\t7\r\n");
    });
    const auto lines = s.statusLines();
    ASSERT_FALSE(lines.empty());
    const auto& [text, color] = lines.front();
    EXPECT_TRUE(text.contains("line 2")) << text.left(300).toStdString();
    EXPECT_TRUE(text.contains("IrCOMM Num\t777")) << text.left(300).toStdString();
    EXPECT_LE(text.size(), 600) << text.left(300).toStdString();
    EXPECT_EQ(color, ColorStatusFailed);
    EXPECT_EQ(core::RetryLimit, 5);
}

TEST(Startup, ADatabaseFileThatIsNotOursIsToldInRedAndLeftAsItIs) {
    const struct {
        const char* what;
        std::function<void(const QString&)> make;
        QString told;  // after the file's path
    } cases[] = {
        {"text", [](const QString& path) { writeFile(path, "Serial No.,User ID\r\nA1,U1\r\n"); },
         " is not a database of this program. It is left unchanged; stored data cannot be read or "
         "saved."},
        {"empty", [](const QString& path) { writeFile(path, ""); },
         " is not a database of this program. It is left unchanged; stored data cannot be read or "
         "saved."},
        {"damaged",
         [](const QString& path) {
             core::CreateDatabase(path);
             platform::Database::close(path);
             QFile f(path);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_TRUE(f.seek(100));  // the first page's header: what the tables are
             f.write(QByteArray(8, '\xff'));
         },
         " is damaged (database disk image is malformed). It is left unchanged; stored data "
         "cannot be read or saved."},
        {"folder",
         [](const QString& path) {
             QDir().mkpath(path);
             writeFile(path + "/inside.txt", "kept");
         },
         " is a folder, not a file. It is left unchanged; stored data cannot be read or saved."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray before;
        QString path;
        StartedWindow s([&](WindowRig& rig) {
            path = rig.folder.paths().database();
            c.make(path);
            before = readFile(path) + readFile(path + "/inside.txt");
        });
        const auto lines = s.statusLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().first, "The database " + path + c.told);
        EXPECT_EQ(lines.front().second, ColorStatusFailed);
        s.window.reset();
        EXPECT_EQ(readFile(path) + readFile(path + "/inside.txt"), before);
        EXPECT_EQ(QFileInfo(path).isDir(), QString(c.what) == "folder");
        platform::Database::close(path);
    }
    // How the line shows on the Download page, in both languages.
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        StartedWindow s([&](WindowRig& rig) { cases[2].make(rig.folder.paths().database()); });
        s.window->resize(1024, 720);
        settle();
        testsupport::savePicture(
            *s.window, QStringLiteral("frmMain-startup-database-damaged-") + QLatin1String(suffix));
        platform::Database::close(s.file("QM73.mdb"));
    }
}

TEST(Startup, ADatabaseLockedByAnotherProgramIsToldAsLockedAndUsedOnceItIsLetGo) {
    // Another program holds the whole file, its readers shut out too, while the program starts.
    std::unique_ptr<testsupport::OtherConnection> other;
    QString path;
    StartedWindow s([&](WindowRig& rig) {
        path = rig.folder.paths().database();
        core::CreateDatabase(path);
        platform::Database::close(path);
        other = std::make_unique<testsupport::OtherConnection>(path);
        ASSERT_TRUE(other->holdWhole()) << other->lastError().toStdString();
    });
    const auto lines = s.statusLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(
        lines.front().first.startsWith("The database " + path + " is locked by another program ("))
        << lines.front().first.toStdString();
    EXPECT_EQ(lines.front().second, ColorStatusFailed);
    for (const auto& [line, colour] : lines)
        EXPECT_FALSE(line.contains("damaged")) << line.toStdString();
    // Once the other program lets go, the next action uses the database, without a restart.
    other->release();
    other.reset();
    s.window->cmdInst[2]->click();
    settle();
    EXPECT_TRUE(s.rig.dialogs.messages.empty());
    platform::Database::open(path).exec(
        "Insert Into Log_Head (SeqNo, Names, Types, Dates) Values (1, 'n', 5, "
        "'2026-05-14 00:00:00')");
    s.window.reset();
    platform::Database::close(path);
}

TEST(Startup, AnOlderDatabaseThatAnotherProgramKeepsLockedIsWaitedForOnceAndTold) {
    // Another program keeps the write lock of a database that lacks its indexes: the start
    // waits for it once, about 5 s, not once for each of the eight, and says why the
    // database stays as it is.
    std::unique_ptr<testsupport::OtherConnection> other;
    QString path;
    QElapsedTimer started;
    StartedWindow s([&](WindowRig& rig) {
        path = rig.folder.paths().database();
        core::CreateDatabase(path);
        const platform::Database db = platform::Database::open(path);
        for (const QString& table : core::DetailTables())
            db.exec(QStringLiteral("Drop Index %1_RelNo").arg(table));
        platform::Database::close(path);
        other = std::make_unique<testsupport::OtherConnection>(path);
        ASSERT_TRUE(other->run("Begin Immediate")) << other->lastError().toStdString();
        started.start();
    });
    EXPECT_LT(started.elapsed(), 20000);
    QStringList texts;
    for (const auto& [line, colour] : s.statusLines())
        texts << line;
    EXPECT_TRUE(
        texts.join('\n').contains("The database " + path +
                                  " is locked by another program, so it could not be brought up "
                                  "to date"))
        << texts.join('\n').toStdString();
    other->release();
    other.reset();
    // The next start brings it up to date.
    s.window.reset();
    s.start();
    EXPECT_EQ(platform::Database::open(path)
                  .query("Select name From sqlite_master Where type = 'index' And name Not Like "
                         "'sqlite_%'")
                  .rowCount(),
              core::DetailTables().size());
    s.window.reset();
    platform::Database::close(path);
}

// A sound database this user may not read is told as a matter of its permissions, naming the
// file, never as damage; a FIFO in its place does not hold the start up. Both are left as they
// are.
TEST(Startup, ADatabaseThatMayNotBeReadIsToldAsSuchAndNoFileHoldsTheStartUp) {
    const struct {
        const char* what;
        std::function<void(const QString&)> make;
        QString told;  // after the file's path
    } cases[] = {
        {"no permission",
         [](const QString& path) {
             core::CreateDatabase(path);
             platform::Database::close(path);
             ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
         },
         " may not be read or written by this user (Permission denied). It is left unchanged; "
         "stored data cannot be read or saved until its permissions allow it."},
        {"a FIFO",
         [](const QString& path) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         " is not a database of this program. It is left unchanged; stored data cannot be read or "
         "saved."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString path;
        // Held to the file's permissions as any user is, also when the tests run as root.
        const testsupport::FilePermissionsEnforced asAnyUser;
        std::unique_ptr<testsupport::FifoRescue> rescue;
        StartedWindow s([&](WindowRig& rig) {
            path = rig.folder.paths().database();
            c.make(path);
            rescue = std::make_unique<testsupport::FifoRescue>(path);
        });
        EXPECT_FALSE(rescue->finish()) << "the start waited on the database file";
        const auto lines = s.statusLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().first, "The database " + path + c.told);
        EXPECT_EQ(lines.front().second, ColorStatusFailed);
        s.window.reset();
        platform::Database::close(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // How the line shows on the Download page, in both languages.
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        const testsupport::FilePermissionsEnforced asAnyUser;
        StartedWindow s([&](WindowRig& rig) { cases[0].make(rig.folder.paths().database()); });
        s.window->resize(1024, 720);
        settle();
        testsupport::savePicture(*s.window, QStringLiteral("frmMain-startup-database-permission-") +
                                                QLatin1String(suffix));
        platform::Database::close(s.file("QM73.mdb"));
        QFile::setPermissions(s.file("QM73.mdb"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

// The user's link at one of the program's files whose target is missing (a disk that is away,
// a file moved) stays as it is: told in red with where it leads, nothing made behind it, at the
// start or when the settings are saved.
TEST(Startup, ALinkThatLeadsNowhereIsKeptToldAndNothingIsMadeBehindIt) {
    const QString away =
        "is a link to <target>, which is not there (on a disk that is away?). The link is left "
        "as it is and nothing is made in its place; what the program keeps there cannot be read "
        "or saved until the link leads to it again.";
    const QString settings =
        "The settings file <link> cannot be read (it is a link to <target>, which is not there). "
        "The program runs with its default settings and leaves the file as it is.";
    const struct {
        const char* what;
        const char* link;
        const char* target;  // in the program folder
        QString told;
    } cases[] = {
        {"the database, on a disk that is away", "QM73.mdb", "away/QM73.mdb", "<link> " + away},
        {"the database, a file that is gone", "QM73.mdb", "gone.mdb", "<link> " + away},
        {"the data folder", "Data", "away/Data", "<link> " + away},
        {"the settings file, on a disk that is away", "QM73.ini", "away/QM73.ini", settings},
        {"the settings file, a file that is gone", "QM73.ini", "gone.ini", settings},
        {"the serial log", "SerialLog.log", "gone.log", "<link> " + away},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString link, target;
        StartedWindow s([&](WindowRig& rig) {
            link = rig.folder.path() + "/" + c.link;
            target = rig.folder.path() + "/" + c.target;
            ASSERT_TRUE(QFile::link(target, link));
        });
        QString told = c.told;
        told.replace("<link>", link).replace("<target>", target);
        bool seen = false;
        for (const auto& [line, colour] : s.statusLines())
            if (line == told) seen = colour == ColorStatusFailed;
        EXPECT_TRUE(seen) << told.toStdString();
        s.rig.dialogs.answers = {MsgAnswer::Yes};
        s.window->close();
        settle();
        s.window.reset();
        platform::Database::close(s.file("QM73.mdb"));
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
        EXPECT_FALSE(QFileInfo::exists(target));
        EXPECT_FALSE(QFileInfo::exists(s.file("away")));
        EXPECT_EQ(QDir(s.rig.folder.path()).entryList({"QM73.mdb.tmp*"}, QDir::AllEntries),
                  QStringList());
    }
}

// How the lines of links that lead nowhere show on the Download page, in both languages.
TEST(Startup, PicturesOfLinksThatLeadNowhere) {
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        StartedWindow s([&](WindowRig& rig) {
            for (const char* name : {"QM73.mdb", "Data", "QM73.ini"})
                ASSERT_TRUE(QFile::link(rig.folder.path() + "/away/" + name,
                                        rig.folder.path() + "/" + name));
        });
        s.window->resize(1024, 720);
        settle();
        testsupport::savePicture(
            *s.window, QStringLiteral("frmMain-startup-links-nowhere-") + QLatin1String(suffix));
        s.window.reset();
        platform::Database::close(s.file("QM73.mdb"));
    }
}

// A database this user may only read is told at the start, in red and naming the file: what
// is downloaded cannot be saved in it.
TEST(Startup, ADatabaseThisUserMayOnlyReadIsToldInRed) {
    QString path;
    std::unique_ptr<testsupport::FilePermissionsEnforced> asAnyUser;
    StartedWindow s([&](WindowRig& rig) {
        path = rig.folder.paths().database();
        core::CreateDatabase(path);
        platform::Database::close(path);
        ASSERT_TRUE(QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        // Held to the file's permissions as any user is, also when the tests run as root.
        asAnyUser = std::make_unique<testsupport::FilePermissionsEnforced>();
    });
    asAnyUser.reset();
    const bool readOnly = platform::Database::open(path).readOnly();
    std::vector<std::pair<QString, int32_t>> told;
    for (const auto& line : s.statusLines())
        if (line.first.contains("database", Qt::CaseInsensitive)) told.push_back(line);
    s.window.reset();
    platform::Database::close(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!readOnly) GTEST_SKIP() << "this process writes a file of mode 0444 whatever its mode";
    const std::vector<std::pair<QString, int32_t>> expected = {
        {"The database " + path +
             " may only be read by this user: nothing downloaded, deleted or changed can be saved "
             "in it. Allow this user to write the file and its folder, then start the program "
             "again.",
         ColorStatusFailed}};
    EXPECT_EQ(told, expected);
}

// A first start that cannot make its database says why, in red, and leaves nothing at the
// database's place nor under its temporary name; the next start makes it. What a start cut
// short left under that name goes, and only that.
TEST(Startup, AFirstStartThatCannotMakeTheDatabaseSaysWhyAndTheNextMakesIt) {
    QString path;
    StartedWindow s([&](WindowRig& rig) {
        path = rig.folder.paths().database();
        platform::setFileStepWatcher([path](platform::FileStep step, const QString& at) {
            return step == platform::FileStep::Rename && at == path + ".tmp" ? EACCES : 0;
        });
    });
    platform::setFileStepWatcher({});
    const auto lines = s.statusLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().first, "The database " + path + " could not be made (Cannot rename " +
                                       path + ".tmp to " + path +
                                       ": Permission denied). Stored data cannot be read or "
                                       "saved; the next start tries again.");
    EXPECT_EQ(lines.front().second, ColorStatusFailed);
    EXPECT_EQ(QDir(s.rig.folder.path()).entryList({"QM73.mdb*"}, QDir::AllEntries | QDir::System),
              QStringList());

    // The next start, with what a kill left under the temporary name beside the user's own
    // files of such names.
    s.window.reset();
    const QStringList leftovers = {"QM73.mdb.tmp", "QM73.mdb.tmp-wal", "QM73.mdb.tmp-shm",
                                   "QM73.mdb.tmp-journal"};
    const QStringList kept = {"QM73.mdb.tmp2", "QM73.mdb.bak", "QM73.mdb.tmp.old",
                              "Data/QM73.mdb.tmp"};
    for (const QString& name : leftovers + kept)
        writeFile(s.file(name), "what a start cut short left");
    s.start();
    for (const auto& [line, colour] : s.statusLines())
        EXPECT_FALSE(line.contains("database", Qt::CaseInsensitive)) << line.toStdString();
    EXPECT_EQ(platform::CheckDatabaseFile(path).state, platform::DatabaseFile::Ours);
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFileInfo::exists(s.file(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_EQ(readFile(s.file(name)), "what a start cut short left") << name.toStdString();
    s.window.reset();
    platform::Database::close(path);
}

TEST(Startup, WindowSizeAndPlace) {
    const struct {
        double screenWidth, screenHeight;
        int32_t count;
        double width, height;
    } cases[] = {
        {15360, 11520, 1, 12288, 8250},  // 1024 x 768 pixels
        {14550, 11520, 1, 11640, 8250},  // 0.8 x the width is exactly the minimum
        {28800, 16200, 1, 23040, 9720},  // 1920 x 1080
        {28800, 16200, 0, 12000, 9000},  // other runs keep the size they have
        {28800, 16200, 2, 12000, 9000},
    };
    for (const auto& c : cases) {
        const shell::WindowPlace p =
            shell::PlaceWindow({c.screenWidth, c.screenHeight}, {12000, 9000}, c.count);
        EXPECT_DOUBLE_EQ(p.width, c.width) << c.screenWidth << " " << c.count;
        EXPECT_DOUBLE_EQ(p.height, c.height) << c.screenHeight << " " << c.count;
        EXPECT_DOUBLE_EQ(p.left, (c.screenWidth - c.width) / 2);
        EXPECT_DOUBLE_EQ(p.top, (c.screenHeight - c.height) / 2);
    }
    // The window itself, on the screen it has, at the first run.
    StartedWindow s([](WindowRig& rig) {
        writeFile(rig.folder.paths().settingsFile(), "Execute Count\t1\r\n");
    });
    const QRect screen = s.window->screen()->geometry();
    const shell::WindowPlace p =
        shell::PlaceWindow({screen.width() * 15.0, screen.height() * 15.0}, {0, 0}, 1);
    const QRect frame = s.window->frameGeometry();
    EXPECT_NEAR(frame.width(), p.width / 15, 1.0);
    EXPECT_NEAR(frame.height(), p.height / 15, 1.0);
    EXPECT_NEAR(frame.left(), p.left / 15, 1.0);
    EXPECT_NEAR(frame.top(), p.top / 15, 1.0);
}

// ---- defaults ---------------------------------------------------------------------------------

TEST(Defaults, FirstCallAndTheResetAfterAPowerOff) {
    WindowRig rig;
    core::SettingsPassword.clear();
    core::IrCommNum = 0;
    FrmMain window(rig.services());
    std::vector<bool> armedWhileSet;
    for (QCheckBox* box : window.downloadPage->chkAutoLoad)
        QObject::connect(box, &QCheckBox::toggled, [&](bool) {
            armedWhileSet.push_back(window.fields.AutoLoadClickEnabled);
        });
    core::AutoLoadMode = true;
    core::AutoRemoveData = true;
    window.SetDefaults();

    EXPECT_EQ(core::IrCommNum, 4);
    EXPECT_EQ(core::CalibRange, (std::array<float, 5>{50, 71, 151, 100, 0}));
    EXPECT_EQ(core::CalUnitOnWait, 45);
    EXPECT_EQ(core::CalSpanOnWait, 90);
    EXPECT_EQ(core::CalSpanOffWait, 45);
    EXPECT_EQ(core::PrintLineWidths[0], 1.0f);
    EXPECT_EQ(core::PrintLineWidths[1], 1.0f);
    EXPECT_EQ(core::SettingsFont.size, 9);
    EXPECT_EQ(core::GraphColors[3], rt::RGB(255, 0, 0));
    EXPECT_EQ(core::GraphColors[4], rt::RGB(128, 0, 255));
    EXPECT_TRUE(core::CompletelyView);
    EXPECT_EQ(core::SqlDateFormat, R"(mm"/"dd"/"yyyy hh":"nn":"ss)");
    EXPECT_EQ(core::SettingsPassword, "pwm");
    const float fullScales[] = {100, 40, 99.5f, 500, 0};
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(core::DefaultInstrument.GasFullScale(g), fullScales[g]) << g;
        EXPECT_EQ(core::DefaultInstrument.GasDesit(g), 1.0f) << g;
    }
    EXPECT_TRUE(window.tmrInter.isActive());
    EXPECT_EQ(window.tmrInter.interval(), 100);
    EXPECT_TRUE(window.fields.LogTreeDirty);
    EXPECT_TRUE(window.fields.AutoLoadClickEnabled);
    EXPECT_EQ(window.downloadPage->shpStatus[1]->FillColor(), rt::RGB(160, 160, 160));
    for (QWidget* button : window.downloadPage->cmdDown)
        EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(window.setPage->cmdOption[0]->isEnabled());
    EXPECT_TRUE(window.downloadPage->shpStatus[2]->isHidden());
    EXPECT_TRUE(window.downloadPage->lblStatus[9]->isHidden());
    EXPECT_TRUE(window.lastCalibrationPage->optHistory[0]->isChecked());
    EXPECT_TRUE(window.downloadPage->chkAutoLoad[0]->isChecked());
    EXPECT_TRUE(window.downloadPage->chkAutoLoad[1]->isChecked());
    EXPECT_TRUE(window.downloadPage->chkAutoLoad[1]->isEnabled());
    EXPECT_EQ(window.setPage->cmdOptionDisp[4]->BackColor(), rt::RGB(255, 0, 0));
    // The boxes changed while their handler was disarmed; nothing was asked.
    EXPECT_EQ(armedWhileSet, (std::vector<bool>{false, false}));
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // The reset: what the user and the file hold wins again.
    window.AppendStatusLog("the download just made", ColorStatusProgress);
    core::IrCommNum = 7;
    core::SettingsPassword = "secret";
    core::PrintLineWidths = {0.5f, 150.0f, 3.0f};
    core::CalibRange = {60, 71, 0, 110, 5};
    core::AutoLoadMode = false;
    writeFile(
        rig.folder.paths().settingsFile(),
        "Graph Color\t0\t16777215\t0\t255\t65280\r\nFont\t'Sans'\t12\tFalse\tFalse\tFalse\r\n");
    window.SetDefaults();
    EXPECT_EQ(core::IrCommNum, 7);
    EXPECT_EQ(core::SettingsPassword, "secret");
    EXPECT_EQ(core::PrintLineWidths, (std::array<float, 3>{1.0f, 1.0f, 3.0f}));
    EXPECT_EQ(core::CalibRange, (std::array<float, 5>{60, 71, 151, 110, 5}));
    EXPECT_FALSE(window.downloadPage->chkAutoLoad[1]->isEnabled());
    core::LoadSettings(rig.folder.paths().settingsFile(), window);
    EXPECT_EQ(core::GraphColors[3], 255);
    EXPECT_EQ(core::GraphColors[4], 65280);
    EXPECT_EQ(core::SettingsFont.size, 12);
    // The status log keeps the lines of the download.
    ASSERT_EQ(window.downloadPage->statusLog().lines().size(), 1u);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Defaults, PasswordByTheLanguage) {
    platform::StringTable::selectLanguage(platform::StringTable::Language::Japanese);
    {
        WindowRig rig;
        core::SettingsPassword.clear();
        FrmMain window(rig.services());
        window.SetDefaults();
        EXPECT_EQ(core::SettingsPassword, "Lotex");
    }
    platform::StringTable::selectLanguage(platform::StringTable::Language::English);
}

// ---- menu -------------------------------------------------------------------------------------

TEST(Menu, EachButtonShowsExactlyItsPage) {
    StartedWindow s;
    s.window->fraMenu[3]->show();  // the data view, which no button shows
    const std::pair<int, int> pages[] = {{1, 1}, {2, 2}, {3, 4}, {4, 5}, {0, 0}, {4, 5}};
    for (const auto& [button, page] : pages) {
        s.window->cmdInst_Click(button);
        EXPECT_EQ(s.shownPages(), std::vector<int>{page}) << button;
    }
    // Indexes that name no button change nothing.
    s.window->cmdInst_Click(-1);
    s.window->cmdInst_Click(6);
    EXPECT_EQ(s.shownPages(), std::vector<int>{5});
}

TEST(Menu, StatusLabelsFollowTheLinkAndTheDownload) {
    StartedWindow s;
    core::clsInstrument& inst = s.window->instrument();
    inst.setSerialNo("SN000001");
    inst.setUserID("USER01");
    core::FactoryRecordSuffix = "F01";
    const struct {
        int32_t status;
        int16_t commFlags;
        bool shown;
    } cases[] = {{6, -1, true}, {2, -1, true}, {0, -1, false}, {1, -1, false}, {6, 0, false}};
    for (const auto& c : cases) {
        s.window->uclVY5103.setStatus(c.status);
        inst.setCommFlags(c.commFlags);
        s.window->cmdInst_Click(0);
        EXPECT_EQ(s.window->downloadPage->lblStatus[5]->text(), c.shown ? "SN000001" : "")
            << c.status << " " << c.commFlags;
        EXPECT_EQ(s.window->downloadPage->lblStatus[7]->text(), c.shown ? "USER01" : "");
        EXPECT_EQ(s.window->downloadPage->txtSuffix->text(), "F01");
        EXPECT_EQ(s.shownPages(), std::vector<int>{0});
    }
}

TEST(Menu, DataButtonIsDisabledWhileTheLibraryRebuilds) {
    StartedWindow s;
    std::vector<bool> states;
    struct Watch : QObject {
        std::vector<bool>& states;
        explicit Watch(std::vector<bool>& s) : states(s) {}
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::EnabledChange)
                states.push_back(static_cast<QWidget*>(o)->isEnabled());
            return false;
        }
    } watch(states);
    s.window->cmdInst[2]->installEventFilter(&watch);
    s.window->fields.LogTreeDirty = true;
    s.window->cmdInst_Click(2);
    s.window->cmdInst[2]->removeEventFilter(&watch);
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
    EXPECT_FALSE(s.window->fields.LogTreeDirty);
    EXPECT_TRUE(s.window->libraryPage->lvwLog->hasFocus() || !s.window->isActiveWindow());
}

TEST(Menu, ExitAsksAndNoChangesNothing) {
    StartedWindow s;
    s.window->cmdInst_Click(2);
    s.rig.dialogs.answers = {MsgAnswer::No};
    s.window->cmdInst_Click(5);
    settle();
    ASSERT_EQ(s.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(s.rig.dialogs.messages[0].text, "End ?");
    EXPECT_EQ(s.rig.dialogs.messages[0].title, "QM-73");
    EXPECT_EQ(s.rig.dialogs.messages[0].icon, platform::MsgIcon::Question);
    EXPECT_EQ(s.rig.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.shownPages(), std::vector<int>{2});
    EXPECT_FALSE(QFile::exists(s.file("QM73.ini")));
}

// ---- closing ----------------------------------------------------------------------------------

TEST(Closing, YesStopsTheLinkThenSavesWhatTheButtonsShow) {
    StartedWindow s;
    s.window->uclVY5103.setTimerEnabled(true);
    s.window->setPage->cmdOptionDisp[4]->setBackColor(rt::RGB(1, 2, 3));
    s.window->setPage->cmdOptionDisp[5]->setBackColor(rt::RGB(4, 5, 6));
    QFont font = s.window->setPage->cmdOptionDisp[0]->font();
    font.setPointSizeF(11);
    font.setBold(true);
    s.window->setPage->cmdOptionDisp[0]->setFont(font);
    bool timerWhenSaving = true;
    QObject::connect(s.window.get(), &FrmMain::aboutToSaveSettings,
                     [&] { timerWhenSaving = s.window->uclVY5103.TimerEnabled(); });
    s.rig.dialogs.answers = {MsgAnswer::Yes};
    s.window->close();
    settle();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_FALSE(timerWhenSaving);
    const QByteArray ini = readFile(s.file("QM73.ini"));
    EXPECT_TRUE(ini.contains("Font\t'" + font.family().toUtf8() + "'\t11\tTrue\tFalse\tFalse"))
        << ini.toStdString();
    EXPECT_TRUE(ini.contains(QByteArray::number(rt::RGB(1, 2, 3)) + "\t" +
                             QByteArray::number(rt::RGB(4, 5, 6)) + "\r\n"))
        << ini.toStdString();
}

TEST(Closing, NoOrARunningCommandKeepsTheWindow) {
    StartedWindow s;
    s.rig.dialogs.answers = {MsgAnswer::No};
    s.window->close();
    settle();
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.rig.dialogs.messages.size(), 1u);
    {
        // A long command runs: no question, the window stays.
        mainwindow::BusyScope running(s.window->busy, platform::UserInput::Allowed);
        s.window->close();
        settle();
        EXPECT_TRUE(s.window->isVisible());
        EXPECT_EQ(s.rig.dialogs.messages.size(), 1u);
    }
    // The Exit button disabled by a command works the same way.
    s.window->cmdInst[5]->setEnabled(false);
    s.window->close();
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.rig.dialogs.messages.size(), 1u);
    EXPECT_FALSE(QFile::exists(s.file("QM73.ini")));
}

// ---- status log and clock -----------------------------------------------------------------------

TEST(StatusLog, LinesInOrderWithTheirColoursAlwaysAtTheEnd) {
    WindowRig rig;
    FrmMain window(rig.services());
    window.AppendStatusLog("first", ColorStatusProgress);
    window.AppendStatusLog(core::LoadResText(5541, {"now"}) + "\r\n", ColorStatusFailed);
    window.AppendStatusLog("", download::ColorStatusConnected);
    // The user selects text in the middle; the next line still goes to the end.
    QTextCursor selection(window.downloadPage->rtbLog->document());
    selection.setPosition(2);
    selection.setPosition(4, QTextCursor::KeepAnchor);
    window.downloadPage->rtbLog->setTextCursor(selection);
    window.AppendStatusLog("last", download::ColorStatusInstrument);
    const std::vector<std::pair<QString, int32_t>> expected = {
        {"first", ColorStatusProgress},
        {"Serial Port Standby. Date = now", ColorStatusFailed},
        {"", ColorStatusFailed},
        {"", download::ColorStatusConnected},
        {"last", download::ColorStatusInstrument}};
    EXPECT_EQ(window.downloadPage->statusLog().lines(), expected);
}

TEST(Clock, CountsTicksAndShowsBothClocksOnTheSetPage) {
    StartedWindow s;
    const int64_t before = s.window->fields.TimerTicks;
    s.window->tmrInter_Timer();
    EXPECT_EQ(s.window->fields.TimerTicks, before + 1);
    QLabel* pc = s.window->setPage->lblOption[5];
    QLabel* instrument = s.window->setPage->lblOption[6];
    pc->clear();
    s.window->tmrInter_Timer();  // the Set page is not shown
    EXPECT_EQ(pc->text(), "");

    s.window->cmdInst_Click(4);
    s.window->uclVY5103.setStatus(0);
    instrument->setText("old");
    s.window->tmrInter_Timer();
    EXPECT_FALSE(pc->text().isEmpty());
    EXPECT_EQ(instrument->text(), "");

    // With the link up, the instrument's clock runs at its offset from the computer's.
    s.window->uclVY5103.setStatus(6);
    s.window->instrument().setSysDateOffset(rt::OleDate(1.0));  // one day behind
    pc->setProperty("tag", QString());
    s.window->tmrInter_Timer();
    EXPECT_FALSE(instrument->text().isEmpty());
    EXPECT_NE(instrument->text(), pc->text());
    EXPECT_EQ(pc->property("tag").toString(), pc->text());
}

// ---- the program from its title screen ----------------------------------------------------------

TEST(Program, FromTheTitleScreenToTheDownloadPageWithTheInstrumentAttached) {
    WindowRig rig;
    rig.finder.ports = {{"/dev/ttyUSB0", "CP2102", "COM1"}};
    FrmMain window(rig.services());
    window.uclVY5103.setTimerEnabled(false);
    app::FrmOpen open(rig.dialogs, rig.pump,
                      {[] { return false; }, [&window] { window.Show(); }, {}}, QString(), 1);
    ASSERT_TRUE(open.Form_Load());
    for (int i = 0; i < 200 && (!open.isUnloaded() || window.fields.ActivationPending); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(open.isUnloaded());
    ASSERT_FALSE(window.fields.ActivationPending);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.fraMenu[0]->isHidden());
    EXPECT_EQ(window.downloadPage->shpStatus[0]->FillColor(), rt::RGB(0, 255, 0));
    // The instrument on the line connects as the link's clock runs.
    for (int i = 0; i < 5 && !window.uclVY5103.Connected(); ++i) {
        window.uclVY5103.tmrTimer_Timer();
        rig.serial.tick();
        settle();
    }
    EXPECT_TRUE(window.uclVY5103.Connected());
    EXPECT_EQ(rig.serial.engine.requests.value(0), "RC,R,");
}
