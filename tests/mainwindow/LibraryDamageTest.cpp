#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDate>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstring>

#include "core/TrendFile.h"
#include "records/TrendLines.h"
#include "tests/mainwindow/LibraryWindow.h"
#include "tests/support/FifoRescue.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::LanguageScope;
using testsupport::LibraryWindow;
using testsupport::lines;
using testsupport::ScriptedDialogs;
using testsupport::StoredHead;

const rt::OleDate Start = rt::OleDate::DateSerial(2026, 5, 14);

// What a trend file holds.
enum class TrendBytes { Samples, Garbage, GarbageReadings };

void writeTrendFile(const QString& name, TrendBytes bytes, int records = 200) {
    const QString path = records::TrendFileOf(QStringLiteral("05/26"), name);
    QDir().mkpath(QFileInfo(path).path());
    QRandomGenerator random(33);
    if (bytes == TrendBytes::Garbage) {
        QByteArray noise(records * core::TrendRecordSize, '\0');
        for (char& b : noise)
            b = static_cast<char>(random.bounded(256));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(noise);
        return;
    }
    core::TrendFile file(path, core::TrendFile::Mode::Restart);
    for (int i = 1; i <= records; ++i)
        for (int16_t gas = 1; gas <= 5; ++gas) {
            float value = static_cast<float>(i % 50);
            if (bytes == TrendBytes::GarbageReadings) {
                const quint32 bits = random.generate();
                std::memcpy(&value, &bits, sizeof value);
            }
            core::PutSample(i, file, gas, value, Start.addSeconds(10 * i));
        }
    file.close();
}

// A library window whose user acts through the window's own handlers, as clicks run them,
// so that every message box an action shows is counted.
struct DamageWindow : LibraryWindow {
    // A stored download of that kind under folder 05/26: a trend with its trend file, the
    // other kinds with three detail rows.
    void store(int64_t seqNo, const QString& name, int types,
               TrendBytes bytes = TrendBytes::Samples) {
        const platform::Database d = db();
        d.exec(
            "Insert Into Log_Head (SeqNo, Names, SerialNo, UserID, FolderID, Types, Sampling, "
            "Dates, DCount, Interval, Gas4Name, Gas4Unit, Gas4Full, Gas4Avr, Gas4Max, "
            "Gas4Point, Gas4Enable, Gas4MaxDate) Values "
            "(?,?,'A1','U1','05/26',?,0,?,200,10,'CO','ppm',500,12,34,0,1,?)",
            {seqNo, name, static_cast<int32_t>(types), Start, Start.addSeconds(600)});
        if (types == 1 || types == 2) {
            writeTrendFile(name, bytes);
            return;
        }
        const QString table = types == 3 ? "cHistory" : types == 5 ? "Alarm_Event" : "Power_Event";
        for (int i = 0; i < 3; ++i)
            d.exec(QStringLiteral("Insert Into %1 (RelNo, Dates) Values (?, ?)").arg(table),
                   {seqNo, Start.addSeconds(60 * i)});
        if (types == 5) d.exec("Update Alarm_Event Set GasName = 'CO', Alarm_Type = -104");
    }

    // The Data page opened from the menu, the tree built again.
    void openDataPage() {
        window->fields.LogTreeDirty = true;
        window->cmdInst[2]->click();
        settle();
    }
    // The boxes shown since the last look.
    std::vector<ScriptedDialogs::Message> boxes() {
        return std::exchange(rig.dialogs.messages, {});
    }
    void clickNode(const QStringList& path) {
        QTreeWidgetItem* n = node(path);
        ASSERT_NE(n, nullptr) << path.join('/').toStdString();
        emit tree().NodeClick(n);
        settle();
    }
    // The list's item of that name.
    QTreeWidgetItem* item(const QString& name) {
        for (int i = 0; i < list().Count(); ++i)
            if (list().Item(i)->text(0) == name) return list().Item(i);
        return nullptr;
    }
    QString keyOf(const QString& name) {
        QTreeWidgetItem* i = item(name);
        return i ? list().KeyOf(i) : QString();
    }
    void clickItem(const QString& name) {
        QTreeWidgetItem* i = item(name);
        ASSERT_NE(i, nullptr) << name.toStdString();
        emit list().ItemClick(i);
        settle();
    }
    void doubleClick(const QString& name) {
        lib().RememberedLogKey = keyOf(name);
        emit list().DblClick();
        settle();
    }
    void viewData() {
        page().cmdDetail->click();
        settle();
    }
    void returnToLibrary() {
        window->cmdInst_Click(2);
        settle();
    }
    dataview::DataViewPage& dataPage() { return *window->dataPage; }
    int64_t rowsOf(const char* table, const char* where, std::vector<platform::DbParam> values) {
        return db()
            .query(QStringLiteral("Select Count(*) As n From %1 Where %2").arg(table, where),
                   values)
            .longValue(0, "n");
    }
};

// At most one box, and the one there is names the download and tells its data damaged.
::testing::AssertionResult atMostOneNaming(const std::vector<ScriptedDialogs::Message>& boxes,
                                           const QString& name) {
    if (boxes.size() > 1) {
        QStringList texts;
        for (const auto& b : boxes)
            texts << b.text;
        return ::testing::AssertionFailure()
               << boxes.size() << " boxes: " << texts.join(" || ").toStdString();
    }
    for (const auto& b : boxes)
        if (!b.text.contains('"' + name + '"') || b.text.contains("Overflow") ||
            b.title != "Damaged Data")
            return ::testing::AssertionFailure()
                   << "box [" << b.title.toStdString() << "] " << b.text.toStdString();
    return ::testing::AssertionSuccess();
}

TEST(LibraryDamage, ADownloadNumberedBeyondALongIsListedShownAsUnreadableAndNeverSelected) {
    DamageWindow w;
    w.store(1, "Iv", 1);
    w.store(-4294967296LL, "Low", 2);
    w.store(2, "A2", 2);
    w.store(3, "A3", 2);
    w.store(4294967296LL, "Huge", 2);
    for (int i = 0; i < 2; ++i)
        w.db().exec("Insert Into Alarm_Data (RelNo) Values (?)", {int64_t(4294967296LL)});
    w.db().exec("Insert Into Alarm_Data (RelNo) Values (2)");
    w.answerPassword(true);
    w.openDataPage();
    EXPECT_TRUE(w.boxes().empty());

    // An interval trend selected first: nothing of it may stay in the selection.
    w.clickNode({"05/26", "Interval Trend"});
    EXPECT_EQ(w.window->dataView->SelectedLogType, 1);
    EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, 1);
    w.clickNode({"05/26", "Alarm Trend"});
    EXPECT_TRUE(w.boxes().empty());
    EXPECT_EQ(w.listLines(),
              lines({"A2 | A1 | U1 | 14 May 2026", "A3 | A1 | U1 | 14 May 2026",
                     "Huge | A1 | U1 | 14 May 2026", "Low | A1 | U1 | 14 May 2026"}));
    EXPECT_EQ(w.keyOf("Huge"), "4294967296 K");
    EXPECT_EQ(w.keyOf("Low"), "-4294967296 K");

    struct Case {
        QString name, number;
    };
    for (const Case& c : {Case{"Huge", "4294967296"}, Case{"Low", "-4294967296"}}) {
        SCOPED_TRACE(c.name.toStdString());
        w.clickItem("A2");
        w.clickItem(c.name);
        EXPECT_TRUE(w.boxes().empty());
        // Shown as one that cannot be read, and nothing selected: never the kind of this one
        // with the number of the one before.
        EXPECT_EQ(w.gridRow(1), lines({"Name", c.name.toUtf8().constData()}));
        EXPECT_EQ(w.gridRow(2),
                  QStringList({"State", "Cannot be read (No. " + c.number + " out of range)"}));
        EXPECT_EQ(w.window->dataView->SelectedLogType, 0);
        EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, 0);
        EXPECT_TRUE(w.page().cmdDetail->isEnabled());

        // Each command on it says why it cannot run, once, and opens nothing.
        const QString why =
            '"' + c.name + "\" cannot be used: its stored number " + c.number + " is out of range.";
        const std::vector<std::pair<const char*, std::function<void()>>> commands = {
            {"View Data", [&] { w.viewData(); }},
            {"Instrument", [&] { w.page().cmdLogInst->click(); }},
            {"double click", [&] { w.doubleClick(c.name); }},
        };
        for (const auto& [command, run] : commands) {
            SCOPED_TRACE(command);
            run();
            const auto boxes = w.boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, why);
            EXPECT_TRUE(w.fraMenuHidden(3));
            EXPECT_TRUE(w.fraMenuHidden(1));
            EXPECT_FALSE(w.fraMenuHidden(2));
        }
    }

    // Deleting it by its key takes exactly its row, its rows and its trend file.
    w.lib().tvwLog_NodeClick(w.node({"05/26", "Alarm Trend"}));
    w.page().mnuDelete->setData(w.keyOf("Huge"));
    w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    w.page().mnuDelete->trigger();
    w.settle();
    ASSERT_EQ(w.boxes().size(), 1u);  // the question
    EXPECT_EQ(w.rowsOf("Log_Head", "SeqNo = ?", {int64_t(4294967296LL)}), 0);
    EXPECT_EQ(w.rowsOf("Alarm_Data", "RelNo = ?", {int64_t(4294967296LL)}), 0);
    EXPECT_EQ(w.rowsOf("Log_Head", "1 = 1", {}), 4);
    EXPECT_EQ(w.rowsOf("Alarm_Data", "RelNo = 2", {}), 1);
    EXPECT_FALSE(QFileInfo::exists(records::TrendFileOf("05/26", "Huge")));
    EXPECT_TRUE(QFileInfo::exists(records::TrendFileOf("05/26", "Low")));
    EXPECT_EQ(w.item("Huge"), nullptr);

    // The kind node with the other one goes whole, told by nothing but its question.
    w.page().mnuDelete->setData(w.tree().KeyOf(w.node({"05/26", "Alarm Trend"})));
    w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    w.page().mnuDelete->trigger();
    w.settle();
    EXPECT_EQ(w.boxes().size(), 1u);
    EXPECT_EQ(w.rowsOf("Log_Head", "Types = 2", {}), 0);
    EXPECT_EQ(w.rowsOf("Log_Head", "Types = 1", {}), 1);
    EXPECT_FALSE(QFileInfo::exists(records::TrendFileOf("05/26", "Low")));
}

TEST(LibraryDamage, DamagedStoredDataAreToldOncePerActionAndTheRestStaysUsable) {
    struct Case {
        const char* what;
        int types;
        // Run on the stored database after the three downloads are stored.
        const char* damage;
        TrendBytes bytes;
        // The detail row of the damaged download that shows empty (-1: none), and whether the
        // download is listed with its kind (one whose kind cannot be read is listed in its
        // folder).
        int emptyDetailRow;
        bool listed;
        // The one message of viewing its data, "" when that shows none.
        const char* viewMessage;
    };
    const QString valuesDamaged =
        "The stored data of \"Bad\" are damaged: what cannot be read shows empty.";
    const QString fileDamaged =
        "The trend file Data/26/05/Bad.Dat of \"Bad\" is damaged: what cannot be read is left out.";
    const std::vector<Case> cases = {
        {"interval", 1, "Update Log_Head Set Interval = 1e12 Where SeqNo = 5", TrendBytes::Samples,
         6, true, "values"},
        {"count", 1, "Update Log_Head Set DCount = 1e12 Where SeqNo = 5", TrendBytes::Samples, 5,
         true, ""},
        {"decimals", 1, "Update Log_Head Set Gas4Point = 100000 Where SeqNo = 5",
         TrendBytes::Samples, 7, true, "values"},
        {"date", 1, "Update Log_Head Set Dates = 1e300 Where SeqNo = 5", TrendBytes::Samples, 2,
         true, "values"},
        {"maximum", 1, "Update Log_Head Set Gas4Max = 1e300 Where SeqNo = 5", TrendBytes::Samples,
         9, true, "values"},
        {"other gas", 1, "Update Log_Head Set Gas2Point = 70000 Where SeqNo = 5",
         TrendBytes::Samples, -1, true, "values"},
        {"kind", 1, "Update Log_Head Set Types = 1e12 Where SeqNo = 5", TrendBytes::Samples, -1,
         false, ""},
        {"garbage file", 1, "", TrendBytes::Garbage, -1, true, "file"},
        {"garbage readings", 1, "", TrendBytes::GarbageReadings, -1, true, "file"},
        {"alarm trend file", 2, "", TrendBytes::Garbage, -1, true, "file"},
        {"event code", 5, "Update Alarm_Event Set Alarm_Type = 1e12 Where RelNo = 5",
         TrendBytes::Samples, -1, true, "values"},
        {"history decimals", 3, "Update cHistory Set Gas4Point = 1e6 Where RelNo = 5",
         TrendBytes::Samples, -1, true, "values"},
    };
    const std::map<int, const char*> kindName = {
        {1, "Interval Trend"}, {2, "Alarm Trend"}, {3, "Calibration History"}, {5, "Alarm Events"}};
    QTemporaryDir exports;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DamageWindow w;
        // The damaged download between two sound ones, in the order of their numbers.
        w.store(1, "Before", c.types);
        w.store(5, "Bad", c.types, c.bytes);
        w.store(9, "After", c.types);
        if (*c.damage) w.db().exec(c.damage);
        const QByteArray stored = w.bytes();

        // Listing the downloads tells nothing.
        w.openDataPage();
        EXPECT_TRUE(w.boxes().empty());
        w.clickNode({"05/26", kindName.at(c.types)});
        EXPECT_TRUE(atMostOneNaming(w.boxes(), "Bad"));
        // The downloads after the damaged one are listed all the same.
        EXPECT_NE(w.item("Before"), nullptr);
        EXPECT_NE(w.item("After"), nullptr);
        EXPECT_EQ(w.item("Bad") != nullptr, c.listed);
        if (!c.listed) {
            EXPECT_EQ(w.list().Count(), 2);
            continue;
        }

        w.clickItem("Bad");
        EXPECT_TRUE(atMostOneNaming(w.boxes(), "Bad"));
        if (c.emptyDetailRow >= 0) {
            EXPECT_EQ(w.gridRow(c.emptyDetailRow).value(1), "") << c.emptyDetailRow;
            EXPECT_NE(w.gridRow(1).value(1), "");  // the rest shows
        }
        if (c.types == 5) {
            EXPECT_EQ(w.gridRow(1).value(2), "");  // the event that cannot be read
        }

        // Its data: one message, the rest shown.
        w.viewData();
        const auto viewed = w.boxes();
        EXPECT_TRUE(atMostOneNaming(viewed, "Bad"));
        const QString expected = QString::fromLatin1(c.viewMessage) == "values" ? valuesDamaged
                                 : QString::fromLatin1(c.viewMessage) == "file" ? fileDamaged
                                                                                : QString();
        EXPECT_EQ(viewed.empty() ? QString() : viewed[0].text, expected);
        EXPECT_FALSE(w.fraMenuHidden(3));
        if (w.dataPage().optBrowse[1]->isEnabled()) {
            w.dataPage().optBrowse[1]->setChecked(true);
            w.settle();
            EXPECT_TRUE(atMostOneNaming(w.boxes(), "Bad"));
            w.dataPage().optBrowse[0]->setChecked(true);
            w.settle();
            EXPECT_TRUE(atMostOneNaming(w.boxes(), "Bad"));
        }
        if (c.types == 5) {
            EXPECT_EQ(w.dataPage().vfgBrowse->TextMatrix(1, 3), "");
            EXPECT_EQ(w.dataPage().vfgBrowse->TextMatrix(1, 2), "CO");
        }
        const QString file = exports.filePath(QStringLiteral("%1.csv").arg(c.what));
        w.rig.dialogs.fileNames = {file};
        w.dataPage().cmdBrowse[2]->click();
        w.settle();
        EXPECT_TRUE(atMostOneNaming(w.boxes(), "Bad"));
        EXPECT_TRUE(QFileInfo::exists(file));

        // The others open as ever.
        w.returnToLibrary();
        w.clickItem("After");
        w.viewData();
        EXPECT_TRUE(w.boxes().empty());
        EXPECT_FALSE(w.fraMenuHidden(3));
        // Browsing, opening and exporting changed no stored byte.
        EXPECT_EQ(w.bytes(), stored);
    }
}

// A download's date or an event's time that is Null or cannot be read shows empty, in the
// table, the summary and the export, and is told; it is never taken for the time now, and the
// events of the download stay listed.
// Listing the downloads tells nothing of them, the details of one chosen in the list neither;
// a damaged download is told when the user first opens, views or exports it, and then no more
// in this run, however often it is opened again.
// A download whose kind or sampling cannot be read (text, a fraction, a number beyond a Long)
// is listed by its name as one that cannot be read: where its kind is known, with its kind;
// else in its folder's list, and no node of a kind it does not have. Its commands say why they
// cannot run, and it is deleted by its key with its rows.
TEST(LibraryDamage, AKindOrSamplingThatCannotBeReadIsListedAsADownloadThatCannotBeRead) {
    const struct {
        const char* what;
        int types;
        const char* damage;
        QStringList where;  // the node that lists it
        QString state, why;
    } cases[] = {
        {"kind text",
         2,
         "Update Log_Head Set Types = 'trend' Where SeqNo = 5",
         {"05/26"},
         "Cannot be read (kind trend)",
         "its stored kind (trend) cannot be read"},
        {"kind 1.5",
         2,
         "Update Log_Head Set Types = 1.5 Where SeqNo = 5",
         {"05/26"},
         "Cannot be read (kind 1.5)",
         "its stored kind (1.5) cannot be read"},
        {"kind beyond a Long",
         2,
         "Update Log_Head Set Types = 1e12 Where SeqNo = 5",
         {"05/26"},
         "Cannot be read (kind 1000000000000)",
         "its stored kind (1000000000000) cannot be read"},
        {"interval sampling text",
         1,
         "Update Log_Head Set Sampling = 'fast' Where SeqNo = 5",
         {"05/26", "Interval Trend"},
         "Cannot be read (sampling fast)",
         "its stored sampling (fast) cannot be read"},
        {"interval sampling 1.5",
         1,
         "Update Log_Head Set Sampling = 1.5 Where SeqNo = 5",
         {"05/26", "Interval Trend"},
         "Cannot be read (sampling 1.5)",
         "its stored sampling (1.5) cannot be read"},
        {"alarm sampling text",
         2,
         "Update Log_Head Set Sampling = 'x' Where SeqNo = 5",
         {"05/26", "Alarm Trend"},
         "Cannot be read (sampling x)",
         "its stored sampling (x) cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DamageWindow w;
        w.answerPassword(true);
        w.group(false, false, false);
        w.store(1, "Good", 1);
        w.store(5, "Bad", c.types);
        // Its rows, in the table of its kind.
        const char* table = c.types == 1 ? "Interval_Data" : "Alarm_Data";
        for (int i = 0; i < 2; ++i)
            w.db().exec(QStringLiteral("Insert Into %1 (RelNo) Values (5)").arg(table));
        w.db().exec(c.damage);
        w.openDataPage();
        // No node of a kind that no download has for sure.
        const QStringList tree =
            c.types == 2 && c.where.size() == 1
                ? lines({"QM-73 Data", "  05/26", "    Interval Trend"})
            : c.types == 2
                ? lines({"QM-73 Data", "  05/26", "    Interval Trend", "    Alarm Trend"})
                : lines({"QM-73 Data", "  05/26", "    Interval Trend"});
        EXPECT_EQ(w.treeLines(), tree);
        w.clickNode(c.where);
        EXPECT_TRUE(w.boxes().empty());
        ASSERT_NE(w.item("Bad"), nullptr);
        w.clickItem("Bad");
        EXPECT_TRUE(w.boxes().empty());
        EXPECT_EQ(w.gridRow(1), lines({"Name", "Bad"}));
        EXPECT_EQ(w.gridRow(2), QStringList({"State", c.state}));
        EXPECT_EQ(w.window->dataView->SelectedLogType, 0);
        EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, 0);

        // Each command says why, once, and opens nothing.
        for (const auto& run : std::vector<std::function<void()>>{
                 [&] { w.viewData(); }, [&] { w.doubleClick("Bad"); },
                 [&] { w.page().cmdLogInst->click(); }}) {
            run();
            const auto boxes = w.boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "\"Bad\" cannot be used: " + c.why + ".");
            EXPECT_TRUE(w.fraMenuHidden(3));
            EXPECT_TRUE(w.fraMenuHidden(1));
        }

        // Deleted by its key, with its rows; the other stays.
        w.page().mnuDelete->setData(w.keyOf("Bad"));
        w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
        w.page().mnuDelete->trigger();
        w.settle();
        EXPECT_EQ(w.boxes().size(), 1u);  // the question
        EXPECT_EQ(w.rowsOf("Log_Head", "SeqNo = 5", {}), 0);
        EXPECT_EQ(w.rowsOf(table, "RelNo = 5", {}), 0);
        EXPECT_EQ(w.rowsOf("Log_Head", "1 = 1", {}), 1);
        EXPECT_EQ(w.item("Bad"), nullptr);
    }
}

TEST(LibraryDamage, ADamagedDownloadIsToldOncePerRunWhenTheUserActsOnIt) {
    DamageWindow w;
    // First in the list, where a click on the folder shows its details.
    w.store(5, "Bad", 1);
    w.store(6, "Good", 1);
    w.store(7, "Worse", 1);
    w.db().exec("Update Log_Head Set Interval = 1e12, Dates = Null Where SeqNo In (5, 7)");
    w.openDataPage();
    EXPECT_TRUE(w.boxes().empty());
    w.clickNode({"05/26", "Interval Trend"});
    EXPECT_TRUE(w.boxes().empty());
    w.clickNode({"05/26"});
    w.clickNode({"05/26", "Interval Trend"});
    w.clickItem("Bad");
    w.clickItem("Good");
    w.clickItem("Bad");
    EXPECT_TRUE(w.boxes().empty());

    const QString told = "The stored data of \"Bad\" are damaged: what cannot be read shows empty.";
    w.viewData();
    const auto viewed = w.boxes();
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].text, told);
    EXPECT_EQ(viewed[0].title, "Damaged Data");

    // Viewed, exported and opened again: nothing more.
    w.dataPage().optBrowse[1]->setChecked(true);
    w.settle();
    w.dataPage().optBrowse[0]->setChecked(true);
    w.settle();
    QTemporaryDir exports;
    w.rig.dialogs.fileNames = {exports.filePath("bad.csv")};
    w.dataPage().cmdBrowse[2]->click();
    w.settle();
    w.returnToLibrary();
    w.clickItem("Bad");
    w.viewData();
    w.returnToLibrary();
    w.doubleClick("Bad");
    EXPECT_TRUE(w.boxes().empty());

    // Another damaged download is told for itself alone.
    w.returnToLibrary();
    w.clickItem("Worse");
    w.viewData();
    const auto other = w.boxes();
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].text,
              "The stored data of \"Worse\" are damaged: what cannot be read shows empty.");
}

TEST(LibraryDamage, ADateThatCannotBeReadShowsEmptyNeverAsTheTimeNow) {
    const struct {
        const char* what;
        int types;
        const char* damage;
        const char* summaryTitle;  // the summary's row of the download's date
    } cases[] = {
        {"interval start Null", 1, "Update Log_Head Set Dates = Null Where SeqNo = 5",
         "Start Date/Time"},
        {"interval start text", 1, "Update Log_Head Set Dates = 'soon' Where SeqNo = 5",
         "Start Date/Time"},
        {"interval start far", 1, "Update Log_Head Set Dates = 1e300 Where SeqNo = 5",
         "Start Date/Time"},
        {"interval event time", 1,
         "Update Interval_Event Set Datetimes = 'later' Where RelNo = 5 And Gas4Event = -103", ""},
        {"alarm date Null", 2, "Update Log_Head Set Dates = Null Where SeqNo = 5",
         "Alarm Date/Time"},
        {"calibration time Null", 3,
         "Update cHistory Set Dates = Null Where SeqNo = (Select Min(SeqNo) From cHistory)", ""},
        {"download of alarm events", 5, "Update Log_Head Set Dates = 'x' Where SeqNo = 5",
         "Last Download"},
        {"alarm event time Null", 5,
         "Update Alarm_Event Set Dates = Null Where SeqNo = (Select Min(SeqNo) From Alarm_Event)",
         ""},
    };
    const std::map<int, const char*> kindName = {
        {1, "Interval Trend"}, {2, "Alarm Trend"}, {3, "Calibration History"}, {5, "Alarm Events"}};
    const QString today = QDate::currentDate().toString("yyyy/MM/dd");
    QTemporaryDir exports;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DamageWindow w;
        w.store(5, "Bad", c.types);
        if (c.types == 1)
            for (const auto& [seconds, code] : {std::pair{25, -104}, std::pair{95, -103}})
                w.db().exec(
                    "Insert Into Interval_Event (RelNo, Datetimes, BaseDate, Gas4Event) Values "
                    "(5, ?, ?, ?)",
                    {Start.addSeconds(seconds), Start, int32_t(code)});
        w.db().exec(c.damage);
        w.openDataPage();
        w.clickNode({"05/26", kindName.at(c.types)});
        w.clickItem("Bad");
        w.boxes();
        w.viewData();
        // Told once, as damaged values.
        const auto viewed = w.boxes();
        EXPECT_EQ(viewed.size(), 1u);
        EXPECT_EQ(viewed.empty() ? QString() : viewed[0].text,
                  "The stored data of \"Bad\" are damaged: what cannot be read shows empty.");
        EXPECT_FALSE(w.fraMenuHidden(3));

        // Every time shown is the stored one's day, or empty.
        platform::FlexGrid& table = *w.dataPage().vfgBrowse;
        int events = 0, empty = 0;
        // A calibration takes two rows, the second naming its gas where the first has its time.
        const int step = c.types == 3 ? 2 : 1;
        for (int row = 1; row < table.Rows(); row += step) {
            const QString date = table.TextMatrix(row, 1);
            if (date.isEmpty()) ++empty;
            EXPECT_TRUE(date.isEmpty() || date.contains("14 May 2026")) << date.toStdString();
            const QString cell = table.TextMatrix(row, 2);
            if (cell.startsWith("ALARM") || cell.startsWith("WARNING")) ++events;
        }
        if (c.types == 1) {
            // The events stay listed, but the one whose time cannot be read.
            EXPECT_EQ(events, QString(c.what) == "interval event time" ? 1 : 2);
        }
        if (c.types == 3 || c.types == 5) {
            EXPECT_EQ(empty, QString(c.what).endsWith("Null") ? 1 : 0);
        }
        platform::FlexGrid& summary = *w.dataPage().vfgSummary;
        for (int row = 1; row < summary.Rows(); ++row)
            if (*c.summaryTitle && summary.TextMatrix(row, 0) == c.summaryTitle) {
                EXPECT_EQ(summary.TextMatrix(row, 1), "");
            }

        // Nor does the export show the time now.
        const QString file = exports.filePath(QStringLiteral("%1.csv").arg(c.what));
        w.rig.dialogs.fileNames = {file};
        w.dataPage().cmdBrowse[2]->click();
        w.settle();
        EXPECT_TRUE(w.boxes().empty());  // told already
        QFile exported(file);
        ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(exported.readAll());
        EXPECT_FALSE(text.contains(today)) << text.left(400).toStdString();
        if (*c.summaryTitle) {
            EXPECT_TRUE(text.contains(QString(c.summaryTitle) + ",\r\n"))
                << text.left(400).toStdString();
        }
    }
}

// A full scale that cannot be read shows empty, and bounds nothing: the readings and the
// statistics show as read, in the table, the summary and the export, never as "OVER".
TEST(LibraryDamage, ReadingsShowAsReadWhereTheFullScaleCannotBeRead) {
    for (const char* full : {"'wide'", "1e300", "Null"}) {
        SCOPED_TRACE(full);
        DamageWindow w;
        w.store(5, "Bad", 1);
        w.db().exec(QStringLiteral("Update Log_Head Set Gas4Full = %1").arg(full));
        w.openDataPage();
        w.clickNode({"05/26", "Interval Trend"});
        w.clickItem("Bad");
        w.viewData();
        w.boxes();
        platform::FlexGrid& table = *w.dataPage().vfgBrowse;
        ASSERT_GT(table.Rows(), 3);
        EXPECT_EQ(table.TextMatrix(0, 2), "CO(ppm)");
        for (int row = 1; row < table.Rows(); ++row)
            EXPECT_EQ(table.TextMatrix(row, 2), QString::number(row % 50)) << row;
        platform::FlexGrid& summary = *w.dataPage().vfgSummary;
        QStringList shown;
        for (int row = 0; row < summary.Rows(); ++row)
            shown << summary.TextMatrix(row, 0) + "=" + summary.TextMatrix(row, 1);
        EXPECT_TRUE(shown.contains("Gas(FullScale)=CO(ppm)")) << shown.join(' ').toStdString();
        EXPECT_TRUE(shown.contains("Avg=12")) << shown.join(' ').toStdString();
        EXPECT_TRUE(shown.contains("Max=34")) << shown.join(' ').toStdString();

        QTemporaryDir exports;
        w.rig.dialogs.fileNames = {exports.filePath("bad.csv")};
        w.dataPage().cmdBrowse[2]->click();
        w.settle();
        QFile exported(exports.filePath("bad.csv"));
        ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(exported.readAll());
        EXPECT_FALSE(text.contains("OVER")) << text.left(600).toStdString();
        EXPECT_TRUE(text.contains("CO(ppm),12,34\r\n")) << text.left(600).toStdString();
    }
}

// A trend file that is a FIFO never holds the window: its details and its data are shown at
// once, without samples, and the file is told damaged.
TEST(LibraryDamage, ATrendFileThatIsAFifoNeverHoldsTheWindow) {
    for (const int types : {1, 2}) {
        SCOPED_TRACE(types);
        DamageWindow w;
        w.store(5, "Bad", types);
        const QString path = records::TrendFileOf(QStringLiteral("05/26"), "Bad");
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        testsupport::FifoRescue rescue(path);
        w.openDataPage();
        w.clickNode({"05/26", types == 1 ? "Interval Trend" : "Alarm Trend"});
        w.clickItem("Bad");
        EXPECT_TRUE(w.boxes().empty());
        w.viewData();
        EXPECT_FALSE(rescue.finish()) << "the window waited on the trend file";
        const auto viewed = w.boxes();
        ASSERT_EQ(viewed.size(), 1u);
        EXPECT_EQ(viewed[0].text,
                  "The trend file Data/26/05/Bad.Dat of \"Bad\" is damaged: what cannot be read "
                  "is left out.");
        EXPECT_FALSE(w.fraMenuHidden(3));
    }
}

TEST(LibraryDamage, PicturesOfADownloadThatCannotBeRead) {
    for (const auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const LanguageScope scope(language);
        DamageWindow w;
        w.store(2, "A2", 2);
        w.store(4294967296LL, "Huge", 2);
        w.store(5, "Bad", 2);
        w.db().exec("Update Log_Head Set Interval = 1e12, Dates = 1e300 Where SeqNo = 5");
        w.openDataPage();
        emit w.tree().NodeClick(w.node({"05/26"})->child(0));
        w.settle();
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        w.clickItem("Huge");
        testsupport::savePicture(*w.window, "library-unreadable-download-" + suffix);
        w.clickItem("Bad");
        testsupport::savePicture(*w.window, "library-damaged-values-" + suffix);
        // A download whose kind cannot be read, in its folder's list.
        w.store(7, "Kindless", 2);
        w.db().exec("Update Log_Head Set Types = 'trend' Where SeqNo = 7");
        w.openDataPage();
        emit w.tree().NodeClick(w.node({"05/26"}));
        w.settle();
        w.clickItem("Kindless");
        testsupport::savePicture(*w.window, "library-unreadable-kind-" + suffix);
        w.boxes();
    }
}

}  // namespace
