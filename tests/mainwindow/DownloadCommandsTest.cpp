#include <gtest/gtest.h>

#include <cerrno>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "platform/FileSteps.h"
#include "tests/support/FilePermissions.h"
#include "tests/support/FolderTroubles.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/OtherConnection.h"
#include "tests/support/Pictures.h"

using download::ColorStatusConnected;
using download::ColorStatusFailed;
using download::ColorStatusNoData;
using download::ColorStatusProgress;
using platform::MsgAnswer;
using testsupport::FakeQM73;
using testsupport::Fault;
using testsupport::inOrder;
using testsupport::InstrumentWindow;
using testsupport::joined;
using testsupport::Lines;
using testsupport::ownLines;
using testsupport::serialLines;

namespace {

int logHeads(InstrumentWindow& w, int types) {
    return w.db().query("Select SeqNo From Log_Head Where Types=?", {types}).rowCount();
}

const int32_t Green = ColorStatusProgress;
const int32_t Red = ColorStatusFailed;

// One kind of log download as the Download page offers it.
struct Kind {
    const char* name;
    int button;
    QString start, update, complete, failed, noData;
    QString serialStart, serialFinished, serialFailLine, serialFailed, serialNoResponse;
    int types;          // its Log_Head type
    const char* table;  // its detail rows, if any
    int rows;           // the detail rows of the typical instrument
    QString request;    // the transfer's request
    void (*empty)(FakeQM73&);
};

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all = {
        {"interval trend", 2, "QM-73 Interval Trend Download.", "Interval Trend Update Database.",
         "QM-73 Interval Trend Download Complete.", "QM-73 Interval Trend Download Failed.",
         "QM-73 Interval Trend No Data.",
         "---Interval Trend Download Start Sequence---. Date = <date>",
         "---Interval Trend Download Finished---. Date = <date>[Time = <time>]",
         "---Interval Trend Download Fail Line---",
         "---Interval Trend Download Failed---. Date = <date>[Time = <time>]",
         "---Interval Trend Download Failed. QM-73 No response---. Date = <date>", 1,
         "Interval_Event", 4, "DR,R,", [](FakeQM73& f) { f.intervals.clear(); }},
        {"alarm trend", 3, "QM-73 Alarm Trend Download.", "Alarm Trend Update Database.",
         "QM-73 Alarm Trend Download Complete.", "QM-73 Alarm Trend Download Failed.",
         "QM-73 Alarm Trend No Data.", "---Alarm Trend Download Started---. Date = <date>",
         "---Alarm Trend Download Finished---. Date = <date>[Time = <time>]",
         "---Alarm Trend Download Fail Line---",
         "---Alarm Trend Download Failed---. Date = <date>[Time = <time>]",
         "---Alarm Trend Download Failed. QM-73 No response---. Date = <date>", 2, nullptr, 0,
         "DJ,R,", [](FakeQM73& f) { f.alarms.clear(); }},
        {"alarm events", 4, "QM-73 Alarm Events Download.", "Alarm Events Update Database.",
         "QM-73 Alarm Events Download Complete.", "QM-73 Alarm Events Download Failed.",
         "QM-73 Alarm Events No Data.", "---Alarm Events Download Start Sequence---. Date = <date>",
         "---Alarm Events Download Finished---. Date = <date>[Time = <time>]",
         "---Alarm Events Download Fail Line---",
         "---Alarm Events Download Failed---. Date = <date>[Time = <time>]",
         "---Alarm Events Download Failed. QM-73 No response---. Date = <date>", 5, "Alarm_Event",
         2, "VE,R,", [](FakeQM73& f) { f.alarmEvents.clear(); }},
        {"trouble events", 5, "QM-73 Trouble Events Download.", "Trouble Events Update Database.",
         "QM-73 Trouble Events Download Complete.", "QM-73 Trouble Events Download Failed.",
         "QM-73 Trouble Events No Data.",
         "---Trouble Events Download Start Sequence---. Date = <date>",
         "---Trouble Events Download Finished---. Date = <date>[Time = <time>]",
         "---Trouble Events Download Fail Line---",
         "---Trouble Events Download Failed---. Date = <date>[Time = <time>]",
         "---Trouble Events Download Failed. QM-73 No response---. Date = <date>", 6,
         "Trouble_Event", 1, "TV,R,", [](FakeQM73& f) { f.troubleEvents.clear(); }},
        {"power events", 6, "QM-73 Power Events Download.", "Power Events Update Database.",
         "QM-73 Power Events Download Complete.", "QM-73 Power Events Download Failed.",
         "QM-73 Power Events No Data.", "---Power Events Download Start Sequence---. Date = <date>",
         "---Power Events Download Finished---. Date = <date>[Time = <time>]",
         "---Power Events Download Fail Line---",
         "---Power Events Download Failed---. Date = <date>[Time = <time>]",
         "---Power Events Download Failed. QM-73 No response---. Date = <date>", 7, "Power_Event",
         2, "DO,R,", [](FakeQM73& f) { f.powerEvents.clear(); }},
    };
    return all;
}

const QString NoResponse = "QM-73 No Response. Check Port,Cable And Power.";

// A connected window whose instrument information has been read, so every button is enabled.
struct ReadWindow : InstrumentWindow {
    explicit ReadWindow(FakeQM73 contents = FakeQM73::Typical())
        : InstrumentWindow(std::move(contents)) {
        EXPECT_TRUE(connect());
        click(1);
    }
};

}  // namespace

// ---- single downloads -----------------------------------------------------------------------

TEST(SingleDownload, EachKindStoresTheInstrumentsLogAndTellsSo) {
    for (const Kind& k : kinds()) {
        SCOPED_TRACE(k.name);
        ReadWindow w;
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.window->fields.LogTreeDirty = false;
        w.click(k.button);
        EXPECT_EQ(ownLines(w.statusLines(from)),
                  (Lines{{k.start, Green}, {k.update, Green}, {k.complete, Green}}));
        EXPECT_TRUE(
            inOrder(serialLines(w.serialLog()).mid(serialFrom), {k.serialStart, k.serialFinished}));
        EXPECT_EQ(logHeads(w, k.types), k.types == 1 ? 2 : 1);
        if (k.table) {
            EXPECT_EQ(w.rows(k.table), k.rows);
        }
        EXPECT_TRUE(w.window->fields.LogTreeDirty);
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isVisible());
    }
}

TEST(SingleDownload, AnInstrumentWithNothingStoredGivesTheNoDataLine) {
    for (const Kind& k : kinds()) {
        SCOPED_TRACE(k.name);
        FakeQM73 fake = FakeQM73::Typical();
        k.empty(fake);
        ReadWindow w(fake);
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.click(k.button);
        EXPECT_EQ(ownLines(w.statusLines(from)),
                  (Lines{{k.start, Green}, {k.noData, ColorStatusNoData}}));
        EXPECT_TRUE(
            inOrder(serialLines(w.serialLog()).mid(serialFrom), {k.serialStart, k.serialFinished}));
        EXPECT_EQ(logHeads(w, k.types), 0);
    }
}

TEST(SingleDownload, WithoutTheInstrumentNothingIsAskedAndTheDatabaseIsUntouched) {
    for (const Kind& k : kinds()) {
        SCOPED_TRACE(k.name);
        InstrumentWindow w;  // never connected
        w.window->fields.LogTreeDirty = false;
        w.window->downloadCommands->cmdDown_Click(k.button);
        EXPECT_EQ(w.statusLines(), (Lines{{NoResponse, Red}}));
        EXPECT_TRUE(inOrder(serialLines(w.serialLog()), {k.serialNoResponse}));
        EXPECT_TRUE(w.rig.serial.engine.requests.isEmpty());
        EXPECT_FALSE(w.window->fields.LogTreeDirty);
        EXPECT_EQ(logHeads(w, k.types), 0);
    }
}

TEST(SingleDownload, ATransferThatFailsAfterTheInstrumentAnsweredIsShownAsAFailure) {
    for (const bool debug : {false, true}) {
        for (const Kind& k : kinds()) {
            SCOPED_TRACE(std::string(k.name) + (debug ? " debug" : ""));
            ReadWindow w;
            core::DebugMode = debug;
            // The instrument answers the request, but never with a frame that is whole.
            w.onRequest = [&w, &k](const QString& body) {
                if (body == k.request)
                    w.rig.serial.engine.faults.assign(50, Fault{Fault::BadChecksum, 0});
            };
            const size_t from = w.statusLines().size();
            const qsizetype serialFrom = serialLines(w.serialLog()).size();
            w.click(k.button);
            EXPECT_EQ(ownLines(w.statusLines(from)), (Lines{{k.start, Green}, {k.failed, Red}}));
            const QStringList serial = serialLines(w.serialLog()).mid(serialFrom);
            EXPECT_TRUE(inOrder(serial, {k.serialStart, k.serialFailLine, k.serialFailed}));
            EXPECT_FALSE(serial.contains(k.serialFinished));
            EXPECT_EQ(logHeads(w, k.types), 0);
        }
    }
}

namespace {

// The longest time the window's event loop went without a pass while it is watched.
class LoopWatch {
  public:
    // Runs on every pass.
    std::function<void()> onPass;

    LoopWatch() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            pass();
            if (onPass) onPass();
        });
        since_.start();
        timer_.start();
    }
    qint64 longestMs() {
        pass();
        return longest_;
    }

  private:
    void pass() { longest_ = std::max(longest_, since_.restart()); }
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
};

}  // namespace

TEST(SingleDownload, AStoreThatFindsTheDatabaseLockedWaitsWithoutFreezingTheWindow) {
    // Another program holds the database's write lock while the alarm trend comes in: for longer
    // than the store waits, or only for a few passes of the window's events.
    const Kind& k = kinds()[1];
    const struct {
        const char* name;
        bool released;
        Lines lines;
        int heads;
    } cases[] = {
        {"held throughout",
         false,
         {{k.start, Green},
          {k.update, Green},
          {k.failed, Red},
          {"Reason: the database is locked by another program. Close that program, then "
           "download again.",
           Red}},
         0},
        {"released during the wait",
         true,
         {{k.start, Green}, {k.update, Green}, {k.complete, Green}},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        testsupport::OtherConnection other(w.rig.folder.paths().database());
        ASSERT_TRUE(other.run("Begin Immediate"));
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();

        LoopWatch watch;
        int passesWhileStoring = 0;
        bool held = true;
        watch.onPass = [&] {
            if (!w.statusTexts(from).contains(k.update)) return;
            if (++passesWhileStoring == 3 && c.released) held = !other.run("Rollback");
        };
        w.click(k.button);
        // A statement used to hold the window for the whole 5 s; the slices are 20 ms. The
        // bound leaves room for a loaded machine without letting a whole wait through.
        EXPECT_LT(watch.longestMs(), 500);
        EXPECT_GT(passesWhileStoring, 0);
        if (held) other.run("Rollback");

        EXPECT_EQ(ownLines(w.statusLines(from)), c.lines);
        const QStringList serial = serialLines(w.serialLog()).mid(serialFrom);
        EXPECT_TRUE(
            inOrder(serial, {k.serialStart, c.released ? k.serialFinished : k.serialFailed}));
        EXPECT_EQ(serial.contains(k.serialFinished), c.released);
        EXPECT_EQ(logHeads(w, k.types), c.heads);
    }
}

TEST(SingleDownload, AFailedDownloadSaysWhyInASecondRedLine) {
    const Kind& k = kinds()[0];
    const QString locked =
        "Reason: the database is locked by another program. Close that program, then download "
        "again.";
    const QString full = "Reason: the disk is full. Make room on it, then download again.";
    const QString silent =
        "Reason: the instrument stopped answering. Check the adapter, the cable and the "
        "instrument, then download again.";
    const struct {
        const char* name;
        // Sets the trouble up; what it returns undoes it after the download.
        std::function<std::function<void()>(ReadWindow&, testsupport::OtherConnection&)> trouble;
        Lines lines;
    } cases[] = {
        {"a database another program keeps locked",
         [](ReadWindow&, testsupport::OtherConnection& other) {
             EXPECT_TRUE(other.run("Begin Immediate"));
             return [&other] { other.release(); };
         },
         {{k.start, Green}, {k.update, Green}, {k.failed, Red}, {locked, Red}}},
        {"a full disk",
         [](ReadWindow& w, testsupport::OtherConnection&) {
             // The pages of the tables are full, and the database may not grow by a single
             // page.
             const QString filler(3900, 'x');
             w.db().exec("Insert Into Log_Head (SeqNo, Names, Types) Values (900, ?, 99)",
                         {filler});
             w.db().exec("Insert Into Interval_Data (SeqNo, RelNo, Datetimes) Values (900, 900, ?)",
                         {filler});
             w.db().exec(
                 "Insert Into Interval_Event (SeqNo, RelNo, Datetimes) Values (900, 900, ?)",
                 {filler});
             const int pages = w.db().query("PRAGMA page_count").value(0, 0).toInt();
             w.db().exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
             return [&w] { w.db().exec("PRAGMA max_page_count = 1073741823"); };
         },
         {{k.start, Green}, {k.update, Green}, {k.failed, Red}, {full, Red}}},
        {"a disk without room for the samples",
         [](ReadWindow&, testsupport::OtherConnection&) {
             platform::setFileStepWatcher([](platform::FileStep step, const QString& path) {
                 return step == platform::FileStep::Write && path.contains(".Dat") ? ENOSPC : 0;
             });
             return [] { platform::setFileStepWatcher({}); };
         },
         {{k.start, Green}, {k.update, Green}, {k.failed, Red}, {full, Red}}},
        {"an instrument that stops answering",
         [&k](ReadWindow& w, testsupport::OtherConnection&) {
             w.onRequest = [&w, &k](const QString& body) {
                 if (body == k.request)
                     w.rig.serial.engine.faults.assign(50, Fault{Fault::Silence, 0});
             };
             return [] {};
         },
         {{k.start, Green}, {k.failed, Red}, {silent, Red}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        testsupport::OtherConnection other(w.rig.folder.paths().database());
        const auto undo = c.trouble(w, other);
        const size_t from = w.statusLines().size();
        w.click(k.button);
        undo();
        EXPECT_EQ(ownLines(w.statusLines(from)), c.lines);
        EXPECT_EQ(logHeads(w, k.types), 0);
    }
}

// A trend download whose trend files cannot be stored is a failed download, told with the
// folder and the cause in the user's language as a full disk is told; nothing is stored.
TEST(SingleDownload, TrendFilesThatCannotBeStoredFailTheDownloadNamingTheFolderAndCause) {
    const struct {
        const Kind& kind;
        const char* month;  // the month folder of the first record
    } trends[] = {{kinds()[0], "24/05"}, {kinds()[1], "24/03"}};
    for (const auto& t : trends) {
        const Kind& k = t.kind;
        for (const testsupport::FolderTrouble& trouble : testsupport::folderTroubles()) {
            for (const bool japanese : {false, true}) {
                SCOPED_TRACE(std::string(k.name) + ", " + trouble.name + (japanese ? ", ja" : ""));
                const testsupport::LanguageScope scope(
                    japanese ? platform::StringTable::Language::Japanese
                             : platform::StringTable::Language::English);
                ReadWindow w;
                const QString data = w.rig.folder.paths().dataFolder();
                const auto undo = trouble.make(data);
                const size_t from = w.statusLines().size();
                w.click(k.button);
                undo();
                const QString folder = trouble.folder(data, data + "/" + t.month);
                const Lines lines = ownLines(w.statusLines(from));
                ASSERT_EQ(lines.size(), 4u);
                EXPECT_EQ(lines[2].second, Red);
                EXPECT_EQ(lines[3],
                          std::make_pair(
                              japanese ? testsupport::FolderTroubleReasonJa(folder, trouble.causeJa)
                                       : testsupport::FolderTroubleReason(folder, trouble.cause),
                              Red));
                if (!japanese) {
                    EXPECT_EQ(
                        lines,
                        (Lines{{k.start, Green}, {k.update, Green}, {k.failed, Red}, lines[3]}));
                }
                EXPECT_EQ(logHeads(w, k.types), 0);
                testsupport::ExpectDataFolderUntouched(data);
            }
        }
    }
}

// A store the database refuses is told by the database's file and the engine's words: never
// the statement the program ran.
TEST(SingleDownload, AStoreTheDatabaseRefusesNamesTheFileAndNoStatement) {
    const Kind& k = kinds()[0];
    const struct {
        const char* name;
        // Sets the trouble up; what it returns undoes it after the download.
        std::function<std::function<void()>(ReadWindow&)> trouble;
        QString reason;  // with <db> for the database's path
    } cases[] = {
        {"a table the database lost",
         [](ReadWindow& w) -> std::function<void()> {
             w.db().exec("Drop Table Interval_Data");
             return [] {};
         },
         "Reason: the database <db> could not save it (no such table: Interval_Data)."},
        {"a database this user may only read",
         [](ReadWindow& w) -> std::function<void()> {
             const QString path = w.rig.folder.paths().database();
             platform::Database::close(path);
             EXPECT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
             {
                 // Opened as any user opens it, also when the tests run as root: the engine
                 // keeps the connection for reading alone.
                 const testsupport::FilePermissionsEnforced asAnyUser;
                 w.db();
             }
             return [path] {
                 platform::Database::close(path);
                 QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
             };
         },
         "Reason: the database <db> may only be read by this user. Allow this user to write the "
         "file and its folder, start the program again, then download again."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        const QString path = w.rig.folder.paths().database();
        const auto undo = c.trouble(w);
        if (!w.db().readOnly() && QString(c.name).contains("only read")) {
            undo();
            GTEST_SKIP() << "this process writes a file of mode 0400 whatever its permissions";
        }
        const size_t from = w.statusLines().size();
        w.click(k.button);
        undo();
        EXPECT_EQ(ownLines(w.statusLines(from)),
                  (Lines{{k.start, Green},
                         {k.update, Green},
                         {k.failed, Red},
                         {QString(c.reason).replace("<db>", path), Red}}));
        EXPECT_EQ(logHeads(w, k.types), 0);
    }
}

TEST(SingleDownload, PicturesOfAFailedDownloadAndItsReason) {
    for (const auto& [language, suffix] :
         {std::pair{platform::StringTable::Language::English, "en"},
          std::pair{platform::StringTable::Language::Japanese, "ja"}}) {
        const testsupport::LanguageScope scope(language);
        {
            ReadWindow w;
            w.window->resize(1024, 720);
            w.onRequest = [&w](const QString& body) {
                if (body == "DR,R,")
                    w.rig.serial.engine.faults.assign(50, Fault{Fault::Silence, 0});
            };
            w.click(2);
            w.settle();
            testsupport::savePicture(
                *w.window, QStringLiteral("frmMain-download-reason-") + QLatin1String(suffix));
        }
        // A trend folder that cannot be written: its folder and cause in the reason.
        ReadWindow w;
        w.window->resize(1024, 720);
        const auto undo = testsupport::folderTroubles()[0].make(w.rig.folder.paths().dataFolder());
        w.click(2);
        undo();
        w.settle();
        testsupport::savePicture(
            *w.window, QStringLiteral("frmMain-download-folder-reason-") + QLatin1String(suffix));
    }
}

TEST(SingleDownload, AStoredNumberOutOfRangeIsToldAsTheReasonNamingWhatToDelete) {
    // The instrument's alarm events are stored under a download numbered beyond a Long, which
    // the program cannot add to.
    const Kind& k = kinds()[2];
    ReadWindow w;
    w.db().exec(
        "Insert Into Log_Head (SeqNo, Names, UserID, SerialNo, Types) Values "
        "(4294967296, 'Alarm Events', 'USER01', 'SN000001', 5)");
    const size_t from = w.statusLines().size();
    w.click(k.button);
    EXPECT_EQ(ownLines(w.statusLines(from)),
              (Lines{{k.start, Green},
                     {k.update, Green},
                     {k.failed, Red},
                     {"Reason: The stored download \"Alarm Events\" (serial number SN000001, user "
                      "USER01) is numbered 4294967296, beyond the numbers this program gives: "
                      "nothing can be added to it. Delete it on the Data page, then download "
                      "again.",
                      Red}}));
    EXPECT_EQ(w.rows("Alarm_Event"), 0);
}

TEST(SingleDownload, AWaitForTheLockedDatabaseOutsideACommandCountsAsOne) {
    // Until the statement has run, an instrument that connects waits, and the window stays.
    InstrumentWindow w;
    testsupport::OtherConnection other(w.rig.folder.paths().database());
    ASSERT_TRUE(other.run("Begin Immediate"));
    bool busyWhileWaiting = false;
    QObject context;
    QMetaObject::invokeMethod(
        &context,
        [&] {
            busyWhileWaiting = w.window->busy.busy();
            other.run("Rollback");
        },
        Qt::QueuedConnection);
    ASSERT_FALSE(w.window->busy.busy());
    w.db().exec("Delete From Log_Head");
    EXPECT_TRUE(busyWhileWaiting);
    EXPECT_FALSE(w.window->busy.busy());
}

TEST(SingleDownload, CancelInTheProgressWindowEndsTheTransferAndStoresNothing) {
    ReadWindow w;
    w.fake.linesPerBlock = 1;
    // The user presses Cancel while the blocks of the interval trend come in.
    w.onRequest = [&](const QString& body) {
        if (body == "DR,R,")
            QMetaObject::invokeMethod(
                w.window->frmUpload.get(), [&w] { w.window->frmUpload->cmdUpload->click(); },
                Qt::QueuedConnection);
    };
    const size_t from = w.statusLines().size();
    const qsizetype serialFrom = serialLines(w.serialLog()).size();
    w.click(2);
    EXPECT_EQ(ownLines(w.statusLines(from)),
              (Lines{{kinds()[0].start, Green}, {"Cominucation Canceled.", Red}}));
    EXPECT_TRUE(inOrder(serialLines(w.serialLog()).mid(serialFrom),
                        {kinds()[0].serialStart, "---Process to Canceled---. Date = <date>"}));
    EXPECT_EQ(logHeads(w, 1), 0);
    EXPECT_EQ(w.rows("Interval_Event"), 0);
    // The next download runs whole.
    w.onRequest = {};
    w.click(2);
    EXPECT_EQ(logHeads(w, 1), 2);
}

TEST(SingleDownload, ARecordThatDidNotDecodeKeepsTheSerialLogUnderItsTime) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.powerEvents.push_back({"241399", "250000", true});  // no such date
    ReadWindow w(fake);
    w.window->downloads->now = [] {
        return rt::OleDate::fromDateTime(QDateTime(QDate(2026, 12, 10), QTime(16, 5, 7)));
    };
    const QString errorLogs = w.rig.folder.paths().errorLogsFolder();
    // A log of that second is already kept: the new one takes the next free name.
    QDir().mkpath(errorLogs);
    QFile taken(errorLogs + "/SerialLog_20261210_160507.log");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();

    w.click(6);
    EXPECT_TRUE(QFile::exists(errorLogs + "/SerialLog_20261210_160507_1.log"));
    EXPECT_FALSE(QFile::exists(w.rig.folder.paths().serialLog()));
    // The download itself succeeded.
    EXPECT_EQ(w.statusTexts().last(), kinds()[4].complete);
    EXPECT_EQ(w.rows("Power_Event"), 3);
}

TEST(SingleDownload, AfterwardsTheButtonsAreAsTheyWereBefore) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    // Connected, not yet read: only the buttons of a new connection are enabled.
    const std::vector<bool> connected = {true,  true,  false, false, false, false,
                                         false, false, true,  false, false};
    EXPECT_EQ(w.enabledDownloadButtons(), connected);
    w.window->downloadCommands->cmdDown_Click(4);
    EXPECT_EQ(w.enabledDownloadButtons(), connected);
    EXPECT_EQ(w.rows("Alarm_Event"), 2);
}

// ---- the complete download ---------------------------------------------------------------------

namespace {

const QString InstrumentStart = "QM-73 Instrument Information Download.";
const QString InstrumentComplete = "QM-73 Instrument Information Download Complete.";
const QString InstrumentFailed = "QM-73 Instrument Information Download Failed.";
const QString Canceled = "Cominucation Canceled.";
const QString AllStart = "--- All download sequence start. Date =<date> ---";
const QString AllFinished = "--- All download sequence Finished. Date =<date> ---";
const QString ClockWarning =
    "A date doesn't correspond to the host. Confirm a host and the date of the machine.";

// The lines of a log download that went through.
Lines stored(const Kind& k) {
    return {{k.start, Green}, {k.update, Green}, {k.complete, Green}};
}

std::vector<bool> allButtons(bool on) {
    return std::vector<bool>(11, on);
}

// The buttons a new connection enables, with and without "-R".
std::vector<bool> connectedButtons(bool switchR) {
    std::vector<bool> on = allButtons(false);
    for (int i : {0, 1, 8})
        on[i] = true;
    if (switchR) on[9] = on[10] = true;
    return on;
}

}  // namespace

TEST(CompleteDownload, StoresEverythingInOrderAndPowerEventsOnlyWithTheSwitch) {
    for (const bool switchR : {false, true}) {
        SCOPED_TRACE(switchR ? "-R" : "no switch");
        InstrumentWindow w(FakeQM73::Typical(),
                           [switchR](testsupport::WindowRig&) { core::SwitchR = switchR; });
        ASSERT_TRUE(w.connect());
        EXPECT_EQ(w.enabledDownloadButtons(), connectedButtons(switchR));
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.window->fields.LogTreeDirty = false;
        w.click(0);

        Lines analog;
        if (switchR) {
            analog.push_back(
                {"QM-73 Analog to Digital Converter Values List", download::ColorStatusAnalog});
            const double volts = 0x0100 / 1000.0;
            analog.push_back({QStringLiteral("ch0 POS.  AMP(L)\t: %1V").arg(volts, 0, 'f', 3),
                              download::ColorStatusAnalog});
        }
        Lines expected = joined({{{InstrumentStart, Green}},
                                 analog,
                                 {{InstrumentComplete, Green}},
                                 stored(kinds()[0]),
                                 stored(kinds()[1]),
                                 stored(kinds()[2]),
                                 stored(kinds()[3])});
        if (switchR) expected = joined({expected, stored(kinds()[4])});
        Lines shown = ownLines(w.statusLines(from));
        if (switchR) {
            // Channels 1 to 7 of the converter list are not compared here.
            ASSERT_GE(shown.size(), 10u);
            EXPECT_TRUE(shown[9].first.startsWith("ch7 NOT USED\t: "))
                << shown[9].first.toStdString();
            shown.erase(shown.begin() + 3, shown.begin() + 10);
        }
        EXPECT_EQ(shown, expected);

        QStringList serial = {AllStart, "---Instrument Download Start Sequence---. Date = <date>",
                              "---Instrument Download Finished---. Date = <date>[Time = <time>]"};
        for (int k = 0; k < (switchR ? 5 : 4); ++k)
            serial << kinds()[k].serialStart << kinds()[k].serialFinished;
        serial << AllFinished;
        const QStringList log = serialLines(w.serialLog()).mid(serialFrom);
        EXPECT_TRUE(inOrder(log, serial));
        EXPECT_EQ(log.count(AllFinished), 1);

        EXPECT_EQ(w.rows("Power_Event"), switchR ? 2 : 0);
        EXPECT_EQ(w.rows("Trouble_Event"), 1);
        EXPECT_EQ(w.rows("cHistory"), 3);
        EXPECT_EQ(w.enabledDownloadButtons(), allButtons(true));
        EXPECT_TRUE(w.window->cmdInst[4]->isEnabled());
        EXPECT_TRUE(w.window->cmdInst[5]->isEnabled());
        EXPECT_TRUE(w.window->fields.LogTreeDirty);
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isVisible());
    }
}

// A row of every table keyed at the end of a Long or beyond it (a damaged or hand-edited
// database) takes no download's place: every kind is stored, twice over, each new row under a
// free key of a Long, and the odd rows stay as they are.
TEST(CompleteDownload, GoesOnWhateverKeysAreStored) {
    const QStringList tables = {"Log_Head",    "Interval_Data", "Interval_Event", "Alarm_Data",
                                "cHistory",    "cLatestHist",   "Alarm_Event",    "Trouble_Event",
                                "Power_Event", "SensorHistory"};
    for (const int64_t odd : {2147483647LL, 4294967296LL}) {
        SCOPED_TRACE(odd);
        InstrumentWindow w(FakeQM73::Typical(),
                           [](testsupport::WindowRig&) { core::SwitchR = true; });
        for (const QString& table : tables)
            w.db().exec(QStringLiteral("Insert Into %1 (SeqNo) Values (?)").arg(table), {odd});
        w.db().exec("Update Log_Head Set Names = 'odd', Types = 1, FolderID = '01/20'");
        ASSERT_TRUE(w.connect());
        for (int run = 0; run < 2; ++run) {
            SCOPED_TRACE(run);
            const size_t from = w.statusLines().size();
            w.click(0);
            const Lines shown = ownLines(w.statusLines(from));
            for (const auto& [text, color] : shown)
                EXPECT_NE(color, Red) << text.toStdString();
        }
        EXPECT_EQ(logHeads(w, 1), 3);  // the odd one, the stored trend and its sensor history
        EXPECT_EQ(w.rows("Trouble_Event"), 2);
        EXPECT_EQ(w.rows("Power_Event"), 3);
        EXPECT_EQ(w.rows("cHistory"), 4);
        EXPECT_EQ(w.rows("cLatestHist"), 2);
        for (const QString& table : tables) {
            SCOPED_TRACE(table.toStdString());
            const platform::ResultSet keys =
                w.db().query(QStringLiteral("Select SeqNo From %1 Order By SeqNo").arg(table));
            // The new rows (none of held samples) under keys of their own, the odd row last.
            EXPECT_GE(keys.wholeNumber(0, "SeqNo").value_or(0), 1);
            EXPECT_EQ(keys.wholeNumber(keys.rowCount() - 1, "SeqNo"), odd);
        }
    }
}

TEST(CompleteDownload, AStepThatFailsEndsTheRunAndRestoresTheButtons) {
    struct Case {
        const char* name;
        QString request;  // the request whose answers are spoiled
        Lines lines;
        QString notRequested;  // the next step's request, never sent
    };
    const std::vector<Case> cases = {
        {"instrument information",
         "HC,R,",
         {{InstrumentStart, Green}, {InstrumentFailed, Red}},
         "DR,R,"},
        {"alarm trend", "DJ,R,",
         joined({{{InstrumentStart, Green}, {InstrumentComplete, Green}},
                 stored(kinds()[0]),
                 {{kinds()[1].start, Green}, {kinds()[1].failed, Red}}}),
         "VE,R,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w;
        ASSERT_TRUE(w.connect());
        w.onRequest = [&w, &c](const QString& body) {
            if (body == c.request)
                w.rig.serial.engine.faults.assign(50, Fault{Fault::BadChecksum, 0});
        };
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.click(0);
        EXPECT_EQ(ownLines(w.statusLines(from)), c.lines);
        const QStringList log = serialLines(w.serialLog()).mid(serialFrom);
        EXPECT_FALSE(log.contains(AllFinished));
        EXPECT_FALSE(w.rig.serial.engine.requests.contains(c.notRequested));
        EXPECT_EQ(w.enabledDownloadButtons(), connectedButtons(false));
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isVisible());
    }
}

TEST(CompleteDownload, ACancelEndsTheRunAfterTheStepItStopped) {
    struct Case {
        const char* name;
        QString request;  // Cancel is pressed while this transfer runs
        Lines lines;
        QString notRequested;
    };
    const std::vector<Case> cases = {
        {"instrument information", "HC,R,", {{InstrumentStart, Green}, {Canceled, Red}}, "DR,R,"},
        {"alarm trend", "DJ,R,",
         joined({{{InstrumentStart, Green}, {InstrumentComplete, Green}},
                 stored(kinds()[0]),
                 {{kinds()[1].start, Green}, {Canceled, Red}}}),
         "VE,R,"},
        {"trouble events", "TV,R,",
         joined({{{InstrumentStart, Green}, {InstrumentComplete, Green}},
                 stored(kinds()[0]),
                 stored(kinds()[1]),
                 stored(kinds()[2]),
                 {{kinds()[3].start, Green}, {Canceled, Red}}}),
         "DO,R,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w;
        ASSERT_TRUE(w.connect());
        w.fake.linesPerBlock = 1;
        w.onRequest = [&w, &c](const QString& body) {
            if (body != c.request) return;
            // The instrument is slow to answer; the user presses Cancel meanwhile.
            w.rig.serial.engine.faults.assign(1, Fault{Fault::Late, 20});
            QMetaObject::invokeMethod(
                w.window->frmUpload.get(), [&w] { w.window->frmUpload->cmdUpload->click(); },
                Qt::QueuedConnection);
        };
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.window->fields.LogTreeDirty = false;
        w.click(0);
        EXPECT_EQ(ownLines(w.statusLines(from)), c.lines);
        const QStringList log = serialLines(w.serialLog()).mid(serialFrom);
        EXPECT_EQ(log.count(AllFinished), 1);
        EXPECT_EQ(log.count("---Process to Canceled---. Date = <date>"), 1);
        EXPECT_FALSE(w.rig.serial.engine.requests.contains(c.notRequested));
        EXPECT_EQ(w.enabledDownloadButtons(), connectedButtons(false));
        EXPECT_TRUE(w.window->fields.LogTreeDirty);
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isVisible());
        // The next command starts clean: the cancel does not carry over.
        w.onRequest = {};
        w.click(1);
        EXPECT_EQ(w.statusTexts().last(), InstrumentComplete);
    }
}

TEST(CompleteDownload, EveryCommandIsLockedWhileItRuns) {
    ReadWindow w;
    std::vector<bool> during;
    bool menu = true, exit = true, boxes = true;
    w.onRequest = [&](const QString& body) {
        if (body != "DR,R,") return;
        during = w.enabledDownloadButtons();
        menu = w.window->cmdInst[4]->isEnabled();
        exit = w.window->cmdInst[5]->isEnabled();
        boxes = w.window->downloadPage->chkAutoLoad[0]->isEnabled();
    };
    w.click(0);
    EXPECT_EQ(during, allButtons(false));
    EXPECT_FALSE(menu);
    EXPECT_FALSE(exit);
    EXPECT_FALSE(boxes);
    EXPECT_TRUE(w.window->cmdInst[5]->isEnabled());
    EXPECT_TRUE(w.window->downloadPage->chkAutoLoad[0]->isEnabled());
    EXPECT_FALSE(w.window->downloadPage->chkAutoLoad[1]->isEnabled());  // box 0 not ticked
}

TEST(CompleteDownload, ACloseRequestWhileItRunsIsRefusedWithoutAQuestion) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    w.onRequest = [&w](const QString& body) {
        if (body == "DJ,R,")
            QMetaObject::invokeMethod(
                w.window.get(), [&w] { w.window->close(); }, Qt::QueuedConnection);
    };
    w.click(0);
    EXPECT_TRUE(w.window->isVisible());
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    EXPECT_EQ(w.statusTexts().last(), kinds()[3].complete);  // the download went on to its end
}

// ---- the instrument clock ----------------------------------------------------------------------

TEST(ClockCheck, OnlyAnOffsetBeyondOneDayIsReported) {
    const double second = 1.0 / 86400;
    const struct {
        double days;
        bool warned;
    } cases[] = {
        {1.0, false}, {-1.0, false}, {1.0 + second, true}, {-1.0 - second, true}, {0.0, false}};
    InstrumentWindow w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        w.window->instrument().setSysDateOffset(rt::OleDate(c.days));
        const size_t from = w.statusLines().size();
        w.window->downloadCommands->cmdDown_Click(11);  // the check alone
        EXPECT_EQ(w.statusLines(from), (c.warned ? Lines{{ClockWarning, Red}} : Lines{}));
    }
}

TEST(ClockCheck, AnInstrumentClockTwoDaysBehindIsReportedAfterTheRead) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.clock = QDateTime::currentDateTime().addDays(-2).toString("yyMMddHHmmss");
    InstrumentWindow w(fake);
    ASSERT_TRUE(w.connect());
    w.click(1);
    EXPECT_EQ(w.statusLines().back(), std::make_pair(ClockWarning, Red));
}

// ---- clear, power off, initialize
// -----------------------------------------------------------------

TEST(Clear, AskedFirstThenClearsTheInstrument) {
    struct Case {
        const char* name;
        bool connected;
        MsgAnswer answer;
        bool refused;
        bool debug;
        Lines lines;
        bool noResponseSerial;
    };
    const QString start = "QM-73 Start Data Removal.";
    const QString done = "QM-73 Data Removal Complete.";
    const QString failed = "QM-73 Data Removal Failed.";
    const std::vector<Case> cases = {
        {"no", true, MsgAnswer::No, false, false, {}, false},
        {"yes", true, MsgAnswer::Yes, false, false, {{start, Green}, {done, Green}}, false},
        {"refused", true, MsgAnswer::Yes, true, false, {{start, Green}, {failed, Red}}, true},
        {"refused, debug", true, MsgAnswer::Yes, true, true, {{start, Green}, {failed, Red}}, true},
        {"not connected", false, MsgAnswer::Yes, false, false, {{NoResponse, Red}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        core::DebugMode = c.debug;
        if (c.refused) w.fake.refusedWrites << "XC";
        if (!c.connected) {
            w.rig.serial.plugged = false;
            w.tick(3);
            ASSERT_FALSE(w.window->uclVY5103.Connected());
        }
        const std::vector<bool> before = w.enabledDownloadButtons();
        // An instrument clock far off: the check runs after the command, not after a No.
        w.window->instrument().setSysDateOffset(rt::OleDate(3.0));
        w.rig.dialogs.answers = {c.answer};
        const size_t from = w.statusLines().size();
        const qsizetype serialFrom = serialLines(w.serialLog()).size();
        w.window->downloadCommands->cmdDown_Click(7);
        ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
        EXPECT_EQ(w.rig.dialogs.messages[0].title, "Logger Data Clear");
        EXPECT_EQ(w.rig.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
        EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Question);
        Lines expected = c.lines;
        if (c.answer == MsgAnswer::Yes) expected.push_back({ClockWarning, Red});
        EXPECT_EQ(ownLines(w.statusLines(from)), expected);
        EXPECT_EQ(serialLines(w.serialLog())
                      .mid(serialFrom)
                      .contains("--- Data Remove Failed--- QM-73 No response. "),
                  c.noResponseSerial);
        const bool cleared = c.name == std::string("yes");
        EXPECT_EQ(w.fake.intervals.empty(), cleared);
        EXPECT_EQ(w.rig.serial.engine.requests.contains("XC,W,"),
                  c.connected && c.answer == MsgAnswer::Yes);
        // Button states as they were, with the instrument; none without it.
        EXPECT_EQ(w.enabledDownloadButtons(), c.connected ? before : allButtons(false));
    }
}

TEST(PowerOff, SwitchesTheInstrumentOffAndTheWindowBackToItsStart) {
    ReadWindow w;
    w.window->cmdInst_Click(2);  // the user looks at the stored data meanwhile
    w.window->instrument().setSysDateOffset(rt::OleDate(0.0));
    const int opens = w.rig.serial.opens;
    w.rig.dialogs.answers = {MsgAnswer::Yes};
    const size_t from = w.statusLines().size();
    w.window->downloadCommands->cmdDown_Click(8);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Power off");
    EXPECT_TRUE(w.fake.poweredOff);
    EXPECT_EQ(ownLines(w.statusLines(from)),
              (Lines{{"QM-73 Auto Power OFF.", Green}, {"QM-73 Auto Power OFF Complete.", Green}}));
    // The start-up state: the Download page, the port open again, the lamps idle, nothing read.
    EXPECT_EQ(w.rig.serial.opens, opens + 1);
    EXPECT_TRUE(w.rig.serial.portOpen());
    EXPECT_FALSE(w.fraMenuHidden(0));
    EXPECT_TRUE(w.fraMenuHidden(2));
    EXPECT_EQ(w.window->instrument().CommFlags(), 0);
    EXPECT_EQ(w.window->downloadPage->shpStatus[1]->FillColor(), rt::RGB(160, 160, 160));
    EXPECT_EQ(w.enabledDownloadButtons(), allButtons(false));
    EXPECT_TRUE(w.window->cmdInst[5]->isEnabled());
    EXPECT_TRUE(w.window->cmdInst[4]->isEnabled());
    EXPECT_TRUE(w.window->fields.AutoLoadClickEnabled);
    EXPECT_EQ(serialLines(w.serialLog()).filter("Serial Port Standby").size(), 2);

    // Switched on again, the instrument connects as at the start.
    w.switchOn();
    ASSERT_TRUE(w.connect()) << serialLines(w.serialLog()).join('\n').toStdString();
    EXPECT_EQ(w.enabledDownloadButtons(), connectedButtons(false));
}

TEST(PowerOff, NoAnswerOrNoInstrumentLeavesItOn) {
    for (const bool connected : {true, false}) {
        SCOPED_TRACE(connected ? "connected, No" : "not connected, Yes");
        ReadWindow w;
        if (!connected) {
            w.rig.serial.plugged = false;
            w.tick(3);
        }
        const std::vector<bool> before = w.enabledDownloadButtons();
        w.rig.dialogs.answers = {connected ? MsgAnswer::No : MsgAnswer::Yes};
        const size_t from = w.statusLines().size();
        w.window->downloadCommands->cmdDown_Click(8);
        EXPECT_FALSE(w.fake.poweredOff);
        EXPECT_FALSE(w.rig.serial.engine.requests.contains("RO,W,"));
        EXPECT_EQ(w.statusLines(from), (connected ? Lines{} : Lines{{NoResponse, Red}}));
        EXPECT_EQ(w.enabledDownloadButtons(), before);
        EXPECT_TRUE(w.window->cmdInst[5]->isEnabled());
    }
}

TEST(Initialize, WritesTheDefaultsAndSaysSoOnlyWhenItDid) {
    struct Case {
        const char* name;
        bool connected;
        MsgAnswer answer;
        bool refused;
        Lines lines;
        bool box;
    };
    const QString upload = "QM-73 Instrument Information Upload.";
    const std::vector<Case> cases = {
        {"yes",
         true,
         MsgAnswer::Yes,
         false,
         {{upload, Green}, {"QM-73 Upload Complete.", Green}},
         true},
        {"refused",
         true,
         MsgAnswer::Yes,
         true,
         {{upload, Green}, {"QM-73 Initialize Failed.", Red}},
         false},
        {"not connected", false, MsgAnswer::Yes, false, {{NoResponse, Red}}, false},
        {"no", true, MsgAnswer::No, false, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        if (c.refused) w.fake.refusedWrites << "XZ";
        if (!c.connected) {
            w.rig.serial.plugged = false;
            w.tick(3);
        }
        w.window->instrument().setSysDateOffset(rt::OleDate(0.0));
        w.fake.user = "SOMEONE";
        w.rig.dialogs.answers = {c.answer};
        const size_t from = w.statusLines().size();
        w.window->downloadCommands->cmdDown_Click(9);
        EXPECT_EQ(ownLines(w.statusLines(from)), c.lines);
        ASSERT_EQ(w.rig.dialogs.messages.size(), c.box ? 2u : 1u);
        EXPECT_EQ(w.rig.dialogs.messages[0].title, "Initalize");
        if (c.box) {
            EXPECT_EQ(w.rig.dialogs.messages[1].text, "Upload Complete.");
            EXPECT_EQ(w.rig.dialogs.messages[1].title, "Upload");
            EXPECT_EQ(w.rig.dialogs.messages[1].icon, platform::MsgIcon::Information);
            EXPECT_EQ(w.fake.user, core::DefaultInstrument.UserID().trimmed());
            EXPECT_TRUE(w.fake.intervals.empty());  // the data are cleared with it
            EXPECT_FALSE(
                w.rig.serial.engine.requests.filter(QRegularExpression("^HC,W,")).isEmpty());
        }
        EXPECT_FALSE(w.window->frmUpload->isVisible());
    }
}

// ---- the converter list ------------------------------------------------------------------------

namespace {

// Where the colon of each converter line of the status log stands, in pixels from the line's
// start, as the box lays the text out.
std::vector<qreal> converterColons(const QTextEdit& box) {
    std::vector<qreal> colons;
    QTextDocument& document = *box.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int at = static_cast<int>(block.text().indexOf(QStringLiteral("\t: ")));
        if (!block.text().startsWith(QStringLiteral("ch")) || at < 0) continue;
        document.documentLayout()->blockBoundingRect(block);  // laid out now
        const QTextLine line = block.layout()->lineForTextPosition(at + 1);
        colons.push_back(line.isValid() ? line.cursorToX(at + 1) : -1);
    }
    return colons;
}

}  // namespace

// The channel names are followed by a TAB: the box's tab stops lie beyond the longest name, so
// the colons stand one under the other whatever the language and the font.
TEST(ConverterList, ColonsLineUpInTheStatusLog) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        SCOPED_TRACE(suffix.toStdString());
        InstrumentWindow w(FakeQM73::Typical(),
                           [](testsupport::WindowRig&) { core::SwitchR = true; });
        w.window->resize(1100, 760);
        ASSERT_TRUE(w.connect());
        w.click(1);
        w.settle();
        QTextEdit& box = *w.window->downloadPage->rtbLog;
        const QFont original = box.font();
        for (const int points : {0, 20}) {
            if (points) box.setFont(QFont(box.font().family(), points));  // another font
            const std::vector<qreal> colons = converterColons(box);
            ASSERT_EQ(colons.size(), 8u);
            for (size_t i = 0; i < colons.size(); ++i)
                EXPECT_NEAR(colons[i], colons[0], 0.5) << "channel " << i << ", " << points;
            // Past the longest name.
            const QFontMetricsF metrics(box.font());
            EXPECT_GT(colons[0], metrics.horizontalAdvance(QStringLiteral("ch2 NEG.  AMP(L)")));
        }
        box.setFont(original);
        w.settle();
        EXPECT_NEAR(converterColons(box).back(), converterColons(box).front(), 0.5);
        testsupport::savePicture(*w.window, "frmMain-download-switchR-" + suffix);
    }
}
