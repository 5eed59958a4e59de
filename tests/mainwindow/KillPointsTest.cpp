#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <tuple>

#include "core/TrendFile.h"
#include "records/TrendLines.h"
#include "records/TrendRecovery.h"
#include "tests/mainwindow/LibraryWindow.h"
#include "tests/support/DiskModel.h"
#include "tests/support/Files.h"
#include "tests/support/KillPoints.h"

using platform::FileStep;
using testsupport::FakeQM73;
using testsupport::KillPoints;
using testsupport::LibraryWindow;

namespace {

// The stored trends of a program folder: their header rows and the files of the data folder.
struct Trends {
    std::map<int64_t, QString> rows;      // a trend header's SeqNo, its trend file in Data/
    std::map<QString, QByteArray> files;  // every file in Data/, by its path there
    bool operator==(const Trends&) const = default;
    std::optional<QByteArray> file(const QString& path) const {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<QByteArray>(found->second);
    }
    std::set<int64_t> seqNos() const {
        std::set<int64_t> all;
        for (const auto& row : rows)
            all.insert(row.first);
        return all;
    }
};

// Failures show the rows and the files' sizes rather than the object's bytes.
void PrintTo(const Trends& t, std::ostream* os) {
    for (const auto& [seqNo, path] : t.rows)
        *os << "row " << seqNo << ": " << path.toStdString() << "; ";
    for (const auto& [path, bytes] : t.files)
        *os << path.toStdString() << " (" << bytes.size() << " bytes); ";
}

Trends read(const QString& folder) {
    Trends s;
    const QString data = folder + "/Data";
    const QString database = folder + "/QM73.mdb";
    const platform::ResultSet heads = platform::Database::open(database).query(
        "Select SeqNo, Types, FolderID, Names From Log_Head Where Types In (1, 2)");
    for (int row = 0; row < heads.rowCount(); ++row)
        s.rows[*heads.wholeNumber(row, "SeqNo")] =
            QDir(data).relativeFilePath(records::TrendFileIn(data, heads, row));
    QDirIterator it(data, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        s.files[QDir(data).relativeFilePath(path)] = testsupport::readFile(path);
    }
    return s;
}

// What the next start finds in a folder a kill left: its recovery run, the database opened as
// a start opens it (a transaction cut short is rolled back).
Trends nextStart(const QString& folder) {
    records::RecoverTrendFiles(folder + "/Data", folder + "/QM73.mdb");
    const Trends s = read(folder);
    platform::Database::close(folder + "/QM73.mdb");
    return s;
}

const char* stepName(FileStep step) {
    switch (step) {
        case FileStep::Write:
            return "write";
        case FileStep::SyncFile:
            return "sync file";
        case FileStep::SyncFolder:
            return "sync folder";
        case FileStep::Rename:
            return "rename";
        case FileStep::Remove:
            return "remove";
        case FileStep::Commit:
            return "commit";
    }
    return "?";
}

// Every state a kill or a power cut leaves is, after the next start, one the run went through
// whole: each stored trend has its trend file as the run left it (a trend stored before the
// run: or as it was before), byte for byte, and the data folder holds no file without its row.
// `rows`, when given, checks the rows of each state as well.
void expectEveryStateRecoverable(const KillPoints& kills, const Trends& before, const Trends& after,
                                 const std::function<void(const Trends&)>& rows = {}) {
    EXPECT_FALSE(kills.points().empty());
    EXPECT_FALSE(kills.endStates().empty());
    EXPECT_EQ(kills.syncsOnWindowThread(), 0);
    std::vector<std::pair<QString, QString>> states;  // each state, and what left it
    for (const KillPoints::Point& point : kills.points())
        for (const QString& state : point.states())
            states.emplace_back(state, QStringLiteral("%1 before the %2 of %3")
                                           .arg(state == point.copy ? "a kill" : "a power cut",
                                                stepName(point.step), point.path));
    for (const QString& state : kills.endStates())
        states.emplace_back(state, QStringLiteral("a power cut after the last step"));
    for (const auto& [state, what] : states) {
        SCOPED_TRACE(what.toStdString());
        const Trends s = nextStart(state);
        std::set<QString> named;
        for (const auto& [seqNo, path] : s.rows) {
            named.insert(path);
            const bool fromBefore = before.rows.count(seqNo) && before.rows.at(seqNo) == path;
            const bool fromAfter = after.rows.count(seqNo) && after.rows.at(seqNo) == path;
            EXPECT_TRUE(fromBefore || fromAfter) << "a row of neither: " << seqNo;
            const std::optional<QByteArray> now = s.file(path);
            EXPECT_TRUE((fromAfter && now == after.file(path)) ||
                        (fromBefore && now == before.file(path)))
                << path.toStdString() << (now ? " not whole" : " missing");
        }
        for (const auto& file : s.files)
            EXPECT_TRUE(named.count(file.first)) << "no row: " << file.first.toStdString();
        if (rows) rows(s);
    }
}

// A connected window whose instrument's information has been read.
struct DownloadWindow : LibraryWindow {
    explicit DownloadWindow(const std::function<void(testsupport::WindowRig&)>& prepare = {})
        : LibraryWindow(prepare) {
        EXPECT_TRUE(connect());
        click(1);
    }
    QString folder() const { return rig.folder.path(); }
    Trends trends() const { return read(folder()); }
};

// A third interval recording of the instrument, not stored yet.
FakeQM73::IntervalRecording anotherRecording(const FakeQM73& fake) {
    FakeQM73::IntervalRecording r = fake.intervals.front();
    r.date = "240702";
    r.time = "101010";
    r.gas4.resize(70);
    r.gas5.resize(70);
    r.status.resize(70);
    for (size_t k = 0; k < r.gas4.size(); ++k)
        r.gas4[k] = static_cast<uint16_t>(300 + k);
    return r;
}

}  // namespace

// ---- downloads ------------------------------------------------------------------------------

// A download killed or cut off by a power cut at any step of its store (each write of a trend
// file, its sync and rename, each COMMIT and the engine's syncs) loses nothing at the next start:
// every stored trend has its whole trend file, the trends stored before keep theirs untouched, and
// no trend file is left without its row.
TEST(KillPoints, ADownloadKilledAnywhereLosesNothing) {
    DownloadWindow w;
    w.click(2);
    const Trends stored = w.trends();
    ASSERT_EQ(stored.rows.size(), 2u);
    w.fake.intervals.push_back(anotherRecording(w.fake));

    const Trends before = w.trends();
    KillPoints kills(w.folder());
    w.click(2);  // two recordings stored before, one new
    w.click(3);  // the alarm trend, new
    kills.stop();
    const Trends after = w.trends();
    ASSERT_EQ(after.rows.size(), 4u);
    ASSERT_EQ(after.files.size(), 4u);
    for (const auto& [seqNo, path] : before.rows)
        EXPECT_EQ(after.file(path), before.file(path)) << "a stored download was written again";
    EXPECT_GE(kills.count(FileStep::Write), 3u);
    EXPECT_GE(kills.count(FileStep::Commit), 2u);

    // Kills before and after each new trend's COMMIT are among them.
    std::map<int64_t, std::set<bool>> seen;
    expectEveryStateRecoverable(kills, before, after, [&](const Trends& s) {
        for (const auto& row : after.rows)
            if (!before.rows.count(row.first)) seen[row.first].insert(s.rows.count(row.first) > 0);
    });
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& [seqNo, states] : seen)
        EXPECT_EQ(states.size(), 2u) << seqNo;
}

// A stored trend whose trend file is missing or cut short is told when it is shown; the same
// record downloaded again puts its whole file back (killed anywhere on the way, the stored
// file is as it was or whole).
TEST(KillPoints, ADownloadAgainRestoresAMissingOrShortTrendFile) {
    DownloadWindow w;
    w.click(2);
    w.click(3);
    const Trends whole = w.trends();
    ASSERT_EQ(whole.files.size(), 3u);
    // One interval trend's file is gone, the other's cut short, the alarm trend's empty.
    const QString data = w.rig.folder.paths().dataFolder();
    auto file = whole.files.begin();
    const QString gone = file->first, cut = (++file)->first, emptied = (++file)->first;
    QFile::remove(data + "/" + gone);
    testsupport::writeFile(data + "/" + cut, whole.files.at(cut).left(500));
    testsupport::writeFile(data + "/" + emptied, "");

    // Shown on the Data page: told, naming the download and the file.
    w.answerPassword(true);
    w.openDataPage();
    w.rig.dialogs.messages.clear();
    for (const auto& [seqNo, path] : whole.rows) {
        const QString name = QFileInfo(path).completeBaseName();
        w.window->dataView->SelectedLogType = path.contains("/al") ? 2 : 1;
        w.window->dataView->SelectedLogSeqNo = static_cast<int32_t>(seqNo);
        w.page().cmdDetail->click();
        w.settle();
        ASSERT_EQ(w.rig.dialogs.messages.size(), 1u) << name.toStdString();
        const auto told = std::exchange(w.rig.dialogs.messages, {}).front();
        EXPECT_EQ(told.title, "Damaged Data");
        EXPECT_EQ(told.text, "The trend file Data/" + path + " of \"" + name +
                                 "\" is missing or cut short: not all of its samples can be "
                                 "shown. Download the same record from the instrument again to "
                                 "restore it.");
        w.window->cmdInst_Click(2);
        w.settle();
    }

    const Trends before = w.trends();
    KillPoints kills(w.folder());
    w.click(2);
    w.click(3);
    kills.stop();
    const Trends after = w.trends();
    EXPECT_EQ(after, whole);
    expectEveryStateRecoverable(kills, before, after);
}

// ---- the first start --------------------------------------------------------------------------

// A first start killed or cut off by a power cut at any step (the database made under its
// temporary name, its COMMIT and the engine's syncs, its log folded in and removed, the file
// synced, renamed into place, the folder synced) leaves what the next start uses: no database,
// which it makes, or a whole one. Each next start tells nothing of the database, leaves no
// temporary file, and a download is then stored.
TEST(KillPoints, AFirstStartKilledAnywhereLeavesNoDatabaseOrAWholeOne) {
    std::unique_ptr<KillPoints> kills;
    {
        testsupport::InstrumentWindow first(FakeQM73::Typical(), [&](testsupport::WindowRig& rig) {
            kills = std::make_unique<KillPoints>(rig.folder.path());
        });
        kills->stop();
        EXPECT_EQ(platform::CheckDatabaseFile(first.rig.folder.paths().database()).state,
                  platform::DatabaseFile::Ours);
    }
    EXPECT_GE(kills->count(FileStep::Commit), 1u);
    EXPECT_GE(kills->count(FileStep::Rename), 1u);
    std::vector<std::pair<QString, QString>> states;  // each state, and what left it
    for (const KillPoints::Point& point : kills->points())
        for (const QString& state : point.states())
            states.emplace_back(state, QStringLiteral("%1 before the %2 of %3")
                                           .arg(state == point.copy ? "a kill" : "a power cut",
                                                stepName(point.step), point.path));
    for (const QString& state : kills->endStates())
        states.emplace_back(state, QStringLiteral("a power cut after the last step"));
    std::set<bool> found;  // whether a state held the database
    for (const auto& [state, what] : states) {
        SCOPED_TRACE(what.toStdString());
        found.insert(QFileInfo::exists(state + "/QM73.mdb"));
        DownloadWindow next([&](testsupport::WindowRig& rig) {
            testsupport::copyFolder(state, rig.folder.path());
        });
        for (const auto& [line, colour] : next.statusLines())
            EXPECT_FALSE(line.contains("database", Qt::CaseInsensitive)) << line.toStdString();
        EXPECT_EQ(platform::CheckDatabaseFile(next.rig.folder.paths().database()).state,
                  platform::DatabaseFile::Ours);
        EXPECT_EQ(QDir(next.folder()).entryList({"QM73.mdb.tmp*"}, QDir::AllEntries),
                  QStringList());
        next.click(2);
        EXPECT_TRUE(next.statusTexts().contains("QM-73 Interval Trend Download Complete."));
        EXPECT_EQ(next.trends().rows.size(), 2u);
    }
    EXPECT_EQ(found, (std::set<bool>{false, true}));
}

// ---- a rename that fails ----------------------------------------------------------------------

// The samples of a trend whose rows were stored but whose file could not take its name stay on
// the disk for their row: the download is told failed, nothing is erased from the instrument,
// and the next start puts the file in place.
TEST(KillPoints, AFailedRenameAfterTheCommitIsFinishedByTheNextStart) {
    DownloadWindow w;
    // A reference run elsewhere: what the trend files of the download hold.
    Trends reference;
    {
        DownloadWindow other;
        other.click(2);
        reference = other.trends();
    }
    {
        KillPoints refused(w.folder(), [](FileStep step, const QString& path) {
            return step == FileStep::Rename && path.endsWith(".ready") ? EACCES : 0;
        });
        w.click(2);
    }
    EXPECT_TRUE(w.statusTexts().contains("QM-73 Interval Trend Download Failed."));
    const Trends left = w.trends();
    EXPECT_EQ(left.rows.size(), 2u);
    for (const auto& file : left.files)
        EXPECT_TRUE(file.first.endsWith(".ready")) << file.first.toStdString();

    // The next start.
    w.window.reset();
    platform::Database::close(w.rig.folder.paths().database());
    w.start();
    EXPECT_EQ(w.trends(), reference);
}

TEST(KillPoints, AnAutomaticRunWithAFailedRenameErasesNothing) {
    LibraryWindow w;
    w.rig.dialogs.answers = {platform::MsgAnswer::Yes, platform::MsgAnswer::Yes};
    w.window->downloadPage->chkAutoLoad[0]->click();
    w.window->downloadPage->chkAutoLoad[1]->click();
    ASSERT_TRUE(core::AutoRemoveData);
    KillPoints refused(w.rig.folder.path(), [](FileStep step, const QString& path) {
        return step == FileStep::Rename && path.endsWith(".ready") ? EACCES : 0;
    });
    for (int i = 0; i < 300 && !w.statusTexts().contains("QM-73 Automatic Download Failed."); ++i)
        w.tick();
    EXPECT_TRUE(w.statusTexts().contains("QM-73 Automatic Download Failed."));
    EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
    EXPECT_FALSE(w.fake.intervals.empty());
}

// ---- the erase of an automatic run -----------------------------------------------------------

// The instrument's data are erased only once every row and trend file of the run is on the
// disk: each trend file synced before its row's COMMIT with its folder, the folders above it on
// the disk before it is kept in its month folder, its rename synced with the folder, all before
// the erase is sent. No folder of the data folder is synced unless an entry in it changed: the
// data folder once, for the year folder made in it.
TEST(KillPoints, AnAutomaticRunErasesOnlyWhatIsOnTheDisk) {
    LibraryWindow w;
    w.rig.dialogs.answers = {platform::MsgAnswer::Yes, platform::MsgAnswer::Yes};
    w.window->downloadPage->chkAutoLoad[0]->click();
    w.window->downloadPage->chkAutoLoad[1]->click();
    ASSERT_TRUE(core::AutoRemoveData);
    const QString data = w.rig.folder.paths().dataFolder();
    const auto inData = [&data](const QString& path) -> std::optional<QString> {
        if (path == data) return QString();
        if (path.startsWith(data + "/")) return path.mid(data.size() + 1);
        return std::nullopt;
    };
    // What a power cut would leave of the data folder, step by step.
    testsupport::DiskModel disk(data);
    std::vector<std::pair<FileStep, QString>> steps;
    std::vector<std::set<QString>> unsynced;  // before each step: the folders not on the disk
    QStringList idleSyncs;                    // folders synced with nothing changed in them
    platform::setFileStepWatcher([&](FileStep step, const QString& path) {
        steps.emplace_back(step, path);
        unsynced.push_back(disk.unsyncedFolders());
        const std::optional<QString> folder = inData(path);
        if (step == FileStep::SyncFolder && folder && !unsynced.back().count(*folder))
            idleSyncs.push_back(path);
        disk.step(step, path);
        return 0;
    });
    const auto unwatch = qScopeGuard([] { platform::setFileStepWatcher({}); });
    size_t erasedAt = 0;
    w.onRequest = [&](const QString& body) {
        if (body == "XC,W,") erasedAt = steps.size();
    };
    for (int i = 0; i < 300 && !w.statusTexts().contains("QM-73 Automatic Download Complete."); ++i)
        w.tick();
    ASSERT_TRUE(w.statusTexts().contains("QM-73 Automatic Download Complete."));
    ASSERT_GT(erasedAt, 0u);
    EXPECT_TRUE(w.fake.intervals.empty());

    const Trends stored = read(w.rig.folder.path());
    ASSERT_EQ(stored.files.size(), 3u);
    const auto at = [&](FileStep step, const QString& path, size_t from = 0) {
        for (size_t i = from; i < steps.size(); ++i)
            if (steps[i].first == step && steps[i].second == path) return i;
        return steps.size();
    };
    const auto count = [&](FileStep step, const QString& path) {
        return std::count(steps.begin(), steps.end(), std::make_pair(step, path));
    };
    std::set<QString> months;
    for (const auto& [seqNo, name] : stored.rows) {
        SCOPED_TRACE(name.toStdString());
        const QString path = data + "/" + name;
        const QString month = QFileInfo(path).absolutePath();
        const QString year = QFileInfo(month).absolutePath();
        months.insert(month);
        const QString ready = core::TrendReadyPath(path, seqNo);
        const size_t synced = at(FileStep::SyncFile, core::TrendTempPath(path));
        const size_t kept = at(FileStep::Rename, core::TrendTempPath(path), synced);
        const size_t keptOnDisk = at(FileStep::SyncFolder, month, kept);
        const size_t committed = at(FileStep::Commit, w.rig.folder.paths().database(), keptOnDisk);
        ASSERT_LT(committed, steps.size());
        // The month folder is in its year folder, the year folder in the data folder, on the
        // disk before the file is kept in it.
        EXPECT_FALSE(unsynced[kept].count(*inData(year)));
        EXPECT_FALSE(unsynced[kept].count(QString()));
        const size_t placed = at(FileStep::Rename, ready, committed);
        const size_t placedOnDisk = at(FileStep::SyncFolder, month, placed);
        EXPECT_LT(placedOnDisk, erasedAt);
    }
    EXPECT_TRUE(idleSyncs.empty()) << idleSyncs.join(", ").toStdString();
    EXPECT_EQ(count(FileStep::SyncFolder, data), 1);
    EXPECT_GE(count(FileStep::SyncFolder, data + "/24"), 1);
    EXPECT_LE(count(FileStep::SyncFolder, data + "/24"), static_cast<long>(months.size()));
}

namespace {

// Every row of every table of a program folder's database, as text, by table.
std::map<QString, QStringList> everyRow(const QString& folder) {
    const platform::Database db = platform::Database::open(folder + "/QM73.mdb");
    std::map<QString, QStringList> all;
    const platform::ResultSet tables =
        db.query("Select name From sqlite_master Where type = 'table' Order By name");
    for (int t = 0; t < tables.rowCount(); ++t) {
        const QString table = tables.text(t, "name");
        QStringList& rows = all[table];
        const platform::ResultSet r = db.query("Select * From " + table + " Order By rowid");
        for (int row = 0; row < r.rowCount(); ++row) {
            QStringList cells;
            for (int c = 0; c < r.columnCount(); ++c)
                cells << r.text(row, c, "<null>");
            rows << cells.join('|');
        }
    }
    return all;
}

}  // namespace

// A power cut at the moment the erase is sent keeps every row the run stored (its events as
// well as its trends) and every trend file: what the instrument forgets is all on the disk.
TEST(KillPoints, APowerCutWhenTheEraseIsSentKeepsEveryRowOfTheRun) {
    LibraryWindow w;
    w.rig.dialogs.answers = {platform::MsgAnswer::Yes, platform::MsgAnswer::Yes};
    w.window->downloadPage->chkAutoLoad[0]->click();
    w.window->downloadPage->chkAutoLoad[1]->click();
    ASSERT_TRUE(core::AutoRemoveData);
    KillPoints kills(w.rig.folder.path());
    std::vector<QString> cuts;
    std::map<QString, QStringList> stored;
    Trends trends;
    w.onRequest = [&](const QString& body) {
        if (body != "XC,W,") return;
        cuts = kills.powerCutsNow();
        stored = everyRow(w.rig.folder.path());
        trends = read(w.rig.folder.path());
    };
    for (int i = 0; i < 300 && !w.statusTexts().contains("QM-73 Automatic Download Complete."); ++i)
        w.tick();
    kills.stop();
    ASSERT_TRUE(w.statusTexts().contains("QM-73 Automatic Download Complete."));
    ASSERT_FALSE(cuts.empty());
    ASSERT_EQ(trends.files.size(), 3u);
    // The run stored rows beside the trends' headers (events, the instrument's settings).
    int others = 0;
    for (const auto& [table, rows] : stored)
        if (table.compare("Log_Head", Qt::CaseInsensitive) != 0) others += rows.size();
    EXPECT_GT(others, 0);
    for (const QString& cut : cuts) {
        SCOPED_TRACE(cut.toStdString());
        EXPECT_EQ(nextStart(cut), trends);
        EXPECT_EQ(everyRow(cut), stored);
        platform::Database::close(cut + "/QM73.mdb");
    }
}

// ---- deletions ---------------------------------------------------------------------------------

namespace {

// Trends and events of two instruments in two months, their trend files of some bytes.
struct DeletionWindow : LibraryWindow {
    std::map<QString, int32_t> seqNos;
    DeletionWindow() {
        for (const auto& [types, serial, name, folder] :
             std::vector<std::tuple<int, QString, QString, QString>>{
                 {1, "A1", "k1_A1", "05/26"},
                 {2, "A1", "k2_A1", "05/26"},
                 {1, "A1", "k1_A1_june", "06/26"},
                 {5, "A1", "k5_A1", "05/26"},
                 {1, "A12", "k1_A12", "05/26"},
                 {2, "A12", "k2_A12", "07/26"}})
            seqNos[name] = storeDownload(types, serial, name, folder);
        answerPassword(true);
        group(true, false, false);
        openDataPage();
    }
    void deleteAt(const QString& key) {
        page().mnuDelete->setData(key);
        rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
        page().mnuDelete->trigger();
        settle();
    }
};

}  // namespace

// A deletion killed or cut off by a power cut at any step (each file kept aside, the COMMIT and
// the engine's syncs, each removal) is whole or not done at the next start: its rows and their
// trend files all gone, or all there as before.
TEST(KillPoints, ADeletionKilledAnywhereIsWholeOrNotDone) {
    const struct {
        const char* what;
        std::function<QString(DeletionWindow&)> key;
    } cases[] = {
        {"one download",
         [](DeletionWindow& w) { return QString::number(w.seqNos["k2_A1"]) + " K"; }},
        {"an instrument's node", [](DeletionWindow& w) { return w.tree().KeyOf(w.node({"A1"})); }},
        {"everything", [](DeletionWindow&) { return QStringLiteral("0 #"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeletionWindow w;
        const QString key = c.key(w);
        const Trends before = read(w.rig.folder.path());
        KillPoints kills(w.rig.folder.path());
        w.deleteAt(key);
        kills.stop();
        const Trends after = read(w.rig.folder.path());
        ASSERT_LT(after.rows.size(), before.rows.size());
        EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);  // the question alone
        EXPECT_GE(kills.count(FileStep::Remove), 1u);
        std::set<bool> done;
        expectEveryStateRecoverable(kills, before, after, [&](const Trends& s) {
            EXPECT_TRUE(s.seqNos() == before.seqNos() || s.seqNos() == after.seqNos());
            done.insert(s.seqNos() == after.seqNos());
        });
        EXPECT_EQ(done.size(), 2u);  // states before and after the COMMIT
    }
}

// A trend file that cannot be kept aside deletes nothing: told, rows and files as they were.
TEST(KillPoints, ADeletionWhoseFileCannotBeKeptAsideDeletesNothing) {
    DeletionWindow w;
    const Trends before = read(w.rig.folder.path());
    {
        KillPoints refused(w.rig.folder.path(), [](FileStep step, const QString& path) {
            return step == FileStep::Rename && path.endsWith("k1_A1_june.Dat") ? EBUSY : 0;
        });
        w.deleteAt(w.tree().KeyOf(w.node({"A1"})));
    }
    ASSERT_EQ(w.rig.dialogs.messages.size(), 2u);
    EXPECT_TRUE(w.rig.dialogs.messages[1].text.startsWith("Nothing was deleted: "))
        << w.rig.dialogs.messages[1].text.toStdString();
    EXPECT_TRUE(w.rig.dialogs.messages[1].text.contains("k1_A1_june.Dat"));
    EXPECT_EQ(read(w.rig.folder.path()), before);
}
