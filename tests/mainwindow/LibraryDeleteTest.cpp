#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QScopeGuard>
#include <QThread>
#include <atomic>

#include "platform/FileSteps.h"
#include "tests/mainwindow/LibraryWindow.h"

namespace {

using testsupport::LibraryWindow;
using testsupport::lines;

// Two instruments whose names begin alike, every kind of download of the first, and the
// calibration list of both.
struct DeleteFixture : LibraryWindow {
    std::map<int, int32_t> a1;  // Types -> SeqNo of A1's download of that kind
    int32_t a12Interval = 0, a12Events = 0, a1June = 0;

    DeleteFixture() {
        for (int types : {1, 2, 3, 5, 6, 7, 8})
            a1[types] = storeDownload(types, "A1", QStringLiteral("k%1_A1").arg(types));
        a1June = storeDownload(1, "A1", "k1_A1_june", "06/26");
        // Its trend file's name begins with the name of A1's interval trend.
        a12Interval = storeDownload(1, "A12", "k1_A12");
        a12Events = storeDownload(5, "A12", "k5_A12", "07/26");
        const platform::Database d = db();
        for (const char* serial : {"A1", "A12"})
            d.exec("Insert Into cLatestHist (SerialNo, UserID, WriteDates) Values (?,?,?)",
                   {QString(serial), QStringLiteral("*"), rt::OleDate::DateSerial(2026, 5, 1)});
        answerPassword(true);
        group(true, false, false);
        openDataPage();
    }
    QString keyOf(const QStringList& path) { return tree().KeyOf(node(path)); }
    // The delete menu taken on a key, as the popup leaves it.
    void deleteAt(const QString& key, platform::MsgAnswer answer = platform::MsgAnswer::Yes) {
        page().mnuDelete->setData(key);
        rig.dialogs.answers.push_back(answer);
        page().mnuDelete->trigger();
        settle();
    }
    bool exists(const QString& folder, const QString& name) {
        return QFileInfo::exists(records::TrendFileOf(folder, name));
    }
    int relRows(const char* table, int32_t seqNo) {
        return db()
            .query(QStringLiteral("Select Count(*) As n From %1 Where RelNo = ?").arg(table),
                   {seqNo})
            .longValue(0, "n");
    }
};

TEST(LibraryDelete, EverythingGoesButTheCalibrationList) {
    DeleteFixture w;
    // Beside the data folder, and behind a link inside it: neither may go.
    const QString program = w.rig.folder.path();
    QDir().mkpath(program + "/Keep");
    QFile(program + "/Keep/kept.Dat").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(program + "/Keep", program + "/Data/26/linked"));
    w.deleteAt("0 #");
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "Delete all samples.\r\nReady?");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Delete Samples");
    const LibraryWindow::Stored after = w.stored();
    for (const auto& [table, count] : after.rows)
        EXPECT_EQ(count, table == "cLatestHist" ? 2 : 0) << table.toStdString();
    EXPECT_TRUE(after.files.contains("Data"));
    EXPECT_TRUE(after.files.filter(QRegularExpression("^Data/")).isEmpty())
        << after.files.join(' ').toStdString();
    EXPECT_TRUE(after.files.contains("Keep/kept.Dat"));
    EXPECT_TRUE(after.files.contains("QM73.mdb"));
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data"}));
    EXPECT_EQ(w.list().Count(), 0);
    EXPECT_EQ(w.passwordAsked, 1);
}

TEST(LibraryDelete, TheAnswerActsOnlyOnWhatTheQuestionWasAbout) {
    // A download stored while the question is open (a download the user started before) is no
    // part of it: it stays with its rows and its trend file, whatever the answer deletes.
    const struct {
        const char* name;
        std::function<QString(DeleteFixture&)> key;
    } cases[] = {
        {"everything", [](DeleteFixture&) { return QStringLiteral("0 #"); }},
        {"an instrument's node", [](DeleteFixture& w) { return w.keyOf({"A1"}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFixture w;
        int32_t came = 0;
        w.rig.dialogs.onMessage = [&](const testsupport::ScriptedDialogs::Message&) {
            came = w.storeDownload(1, "A1", "k1_A1_came", "05/26");
        };
        w.deleteAt(c.key(w));
        w.rig.dialogs.onMessage = nullptr;
        ASSERT_NE(came, 0);
        EXPECT_EQ(w.db()
                      .query("Select Count(*) As n From Log_Head Where SeqNo = ?", {came})
                      .longValue(0, "n"),
                  1);
        EXPECT_EQ(w.relRows("Interval_Data", came), 2);
        EXPECT_EQ(w.relRows("Interval_Event", came), 2);
        EXPECT_TRUE(w.exists("05/26", "k1_A1_came"));
        // What the question was about is gone.
        EXPECT_EQ(w.db()
                      .query("Select Count(*) As n From Log_Head Where SeqNo = ?", {w.a1[1]})
                      .longValue(0, "n"),
                  0);
        EXPECT_EQ(w.relRows("Interval_Data", w.a1[1]), 0);
        EXPECT_FALSE(w.exists("05/26", "k1_A1"));
    }
}

TEST(LibraryDelete, ACalibrationRowStoredDuringTheQuestionStays) {
    DeleteFixture w;
    w.window->cmdInst_Click(3);
    w.settle();
    platform::FlexGrid& grid = *w.window->lastCalibrationPage->vfgHistory;
    ASSERT_EQ(grid.Rows(), 3);
    const int row = grid.TextMatrix(1, 1) == "A12" ? 1 : 2;
    grid.setRow(row);
    // While the question is open, a run stores the instrument's calibration again: its former
    // row is replaced by a new one, which the answer leaves alone.
    w.rig.dialogs.onMessage = [&](const testsupport::ScriptedDialogs::Message&) {
        const platform::Database d = w.db();
        d.exec("Delete From cLatestHist Where SerialNo = 'A12'");
        d.exec("Insert Into cLatestHist (SeqNo, SerialNo, UserID, WriteDates) Values (?,?,?,?)",
               {int32_t{777}, QStringLiteral("A12"), QStringLiteral("*"),
                rt::OleDate::DateSerial(2026, 6, 1)});
    };
    w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    w.window->lastCalibrationPage->mnuHistDel->trigger();
    w.rig.dialogs.onMessage = nullptr;
    const platform::ResultSet rows =
        w.db().query("Select SeqNo, SerialNo From cLatestHist Order By SerialNo");
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.text(0, "SerialNo"), "A1");
    EXPECT_EQ(rows.longValue(1, "SeqNo"), 777);
}

TEST(LibraryDelete, AGroupingNodeTakesExactlyItsDownloads) {
    DeleteFixture w;
    w.deleteAt(w.keyOf({"A1"}));
    EXPECT_EQ(w.rig.dialogs.messages.at(0).text, "Delete Samples in Folder.\r\nReady?");
    EXPECT_EQ(w.rig.dialogs.messages.at(0).title, "Delete Data in Folder");
    EXPECT_EQ(w.rows("Log_Head"), 2);
    for (const auto& [types, seqNo] : w.a1)
        for (const char* table : {"Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
                                  "Alarm_Event", "Trouble_Event", "Power_Event", "SensorHistory"})
            EXPECT_EQ(w.relRows(table, seqNo), 0) << table;
    EXPECT_EQ(w.relRows("Interval_Data", w.a12Interval), 2);
    EXPECT_EQ(w.relRows("Alarm_Event", w.a12Events), 2);
    EXPECT_FALSE(w.exists("05/26", "k1_A1"));
    EXPECT_FALSE(w.exists("05/26", "k2_A1"));
    EXPECT_FALSE(w.exists("06/26", "k1_A1_june"));
    EXPECT_TRUE(w.exists("05/26", "k1_A12"));
    EXPECT_EQ(w.rows("cLatestHist"), 2);
    // The former parent, the root, is listed again.
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data", "  A12", "    05/26", "      Interval Trend",
                                    "    07/26", "      Alarm Events"}));
    EXPECT_EQ(w.tree().SelectedNode(), w.tree().Node("0 #"));
    EXPECT_EQ(w.listLines(), lines({"A12 |  | "}));
}

TEST(LibraryDelete, AKindNodeAndTheParentFoundAgainByItsKey) {
    DeleteFixture w;
    // A1 comes first; after the deletion its folder is still there, at another place.
    w.deleteAt(w.keyOf({"A1", "05/26", "Alarm Trend"}));
    EXPECT_EQ(w.rows("Log_Head"), 9);
    EXPECT_EQ(w.relRows("Alarm_Data", w.a1[2]), 0);
    EXPECT_FALSE(w.exists("05/26", "k2_A1"));
    EXPECT_TRUE(w.exists("05/26", "k1_A1"));
    QTreeWidgetItem* folder = w.node({"A1", "05/26"});
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(w.tree().SelectedNode(), folder);
    EXPECT_EQ(w.listLines(),
              lines({"Interval Trend |  | ", "Calibration History |  | ", "Alarm Events |  | ",
                     "Trouble Events |  | ", "Power Events |  | ", "Sensor Change History |  | "}));

    // A kind node whose folder goes with it: the root is listed.
    w.deleteAt(w.keyOf({"A12", "07/26", "Alarm Events"}));
    EXPECT_EQ(w.node({"A12", "07/26"}), nullptr);
    EXPECT_EQ(w.relRows("Alarm_Event", w.a12Events), 0);
    EXPECT_EQ(w.listLines(), lines({"A1 |  | ", "A12 |  | "}));
}

TEST(LibraryDelete, ANodeWhoseDownloadsAreGoneDeletesNothingAndShowsTheTree) {
    DeleteFixture w;
    const QString key = w.keyOf({"A1", "06/26", "Interval Trend"});
    w.db().exec("Delete From Log_Head Where SeqNo = ?", {w.a1June});
    const LibraryWindow::Stored before = w.stored();
    w.deleteAt(key);
    EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);  // still asked
    EXPECT_EQ(w.stored(), before);                 // its file is no header's any more
    EXPECT_EQ(w.node({"A1", "06/26"}), nullptr);   // the tree was built again
}

TEST(LibraryDelete, OneDownloadOfEachKind) {
    const struct {
        int types;
        const char* letter;
        QStringList tables;
    } cases[] = {
        {1, "G", {"Interval_Data", "Interval_Event"}},
        {2, "K", {"Alarm_Data"}},
        {3, "H", {"cHistory"}},
        {5, "V", {"Alarm_Event"}},
        {6, "W", {"Trouble_Event"}},
        {7, "P", {"Power_Event"}},
        {8, "Q", {"SensorHistory"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.letter);
        DeleteFixture w;
        // The list of its kind, as the user sees it when right-clicking the download.
        for (int i = 0; i < w.node({"A1", "05/26"})->childCount(); ++i) {
            QTreeWidgetItem* kind = w.node({"A1", "05/26"})->child(i);
            if (library::KindOfLetter(library::KeyLetter(w.tree().KeyOf(kind)))->types == c.types)
                w.lib().tvwLog_NodeClick(kind);
        }
        const int32_t seqNo = w.a1[c.types];
        const QString key = QString::number(seqNo) + " " + c.letter;
        ASSERT_NE(w.list().ItemOf(key), nullptr);
        const QStringList treeBefore = w.treeLines();
        LibraryWindow::Stored expected = w.stored();
        expected.rows["Log_Head"] -= 1;
        for (const QString& table : c.tables)
            expected.rows[table] -= 2;
        const QString file = QStringLiteral("Data/26/05/k%1_A1.Dat").arg(c.types);
        expected.files.removeAll(file);
        w.window->fields.LogTreeDirty = false;

        w.deleteAt(key);
        EXPECT_EQ(w.rig.dialogs.messages.at(0).text,
                  QStringLiteral("Delete sample k%1_A1.\r\nReady?").arg(c.types));
        EXPECT_EQ(w.rig.dialogs.messages.at(0).title, "Delete Sample");
        EXPECT_EQ(w.stored(), expected);
        EXPECT_TRUE(w.exists("05/26", "k1_A12"));
        EXPECT_EQ(w.list().ItemOf(key), nullptr);
        EXPECT_EQ(w.list().Count(), 0);
        EXPECT_EQ(w.treeLines(), treeBefore);  // as it was, until the page opens again
        EXPECT_TRUE(w.window->fields.LogTreeDirty);
        // The deleted download can no longer be opened.
        EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, 0);
    }
}

TEST(LibraryDelete, RefusedOrNotConfirmedNothingChanges) {
    const struct {
        const char* what;
        bool password;
        platform::MsgAnswer answer;
    } cases[] = {
        {"wrong or cancelled password", false, platform::MsgAnswer::Yes},
        {"No", true, platform::MsgAnswer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFixture w;
        w.answerPassword(c.password);
        const QByteArray before = w.bytes();
        for (const QString& key :
             {QStringLiteral("0 #"), w.keyOf({"A1"}), w.keyOf({"A1", "05/26", "Interval Trend"}),
              QString::number(w.a1[1]) + " G"}) {
            w.deleteAt(key, c.answer);
            EXPECT_EQ(w.bytes(), before) << key.toStdString();
        }
        EXPECT_EQ(w.rig.dialogs.messages.size(), c.password ? 4u : 0u);
        EXPECT_EQ(w.passwordAsked, 4);
    }
}

TEST(LibraryDelete, AFailurePartWayLeavesEverythingAsItWas) {
    const struct {
        const char* what;
        const char* inject;
        const char* undo;
    } cases[] = {
        {"the headers refused last",
         "Create Trigger keep Before Delete On Log_Head Begin Select Raise(Abort, 'kept'); End",
         "Drop Trigger keep"},
        {"a detail table missing", "Alter Table Power_Event Rename To Power_Kept",
         "Alter Table Power_Kept Rename To Power_Event"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFixture w;
        const LibraryWindow::Stored before = w.stored();
        for (const QString& key :
             {QStringLiteral("0 #"), w.keyOf({"A1"}), QString::number(w.a1[7]) + " P"}) {
            w.db().exec(c.inject);
            w.rig.dialogs.messages.clear();
            w.deleteAt(key);
            w.db().exec(c.undo);
            // The question and the failure's report.
            ASSERT_EQ(w.rig.dialogs.messages.size(), 2u) << key.toStdString();
            EXPECT_EQ(w.rig.dialogs.messages[1].icon, platform::MsgIcon::Critical);
            EXPECT_EQ(w.stored(), before) << key.toStdString();
        }
        // The tree shows what is stored.
        w.openDataPage();
        EXPECT_NE(w.node({"A1", "05/26", "Power Events"}), nullptr);
    }
}

// Folders nested below `parent`, one in another, until their path is longer than the system
// takes: nobody, the superuser included, can remove the deepest one by its path. They are made
// and removed through the folder handles, one level at a time.
class TooDeepFolders {
  public:
    explicit TooDeepFolders(const QString& parent) : parent_(parent) {
        int at = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < Levels && at >= 0; ++level) {
            EXPECT_EQ(::mkdirat(at, name().constData(), 0755), 0);
            const int next = ::openat(at, name().constData(), O_RDONLY | O_DIRECTORY);
            ::close(at);
            at = next;
        }
        EXPECT_GE(at, 0);
        if (at >= 0) ::close(at);
    }
    ~TooDeepFolders() {
        std::vector<int> handles{
            ::open(QFile::encodeName(parent_).constData(), O_RDONLY | O_DIRECTORY)};
        while (handles.back() >= 0 && static_cast<int>(handles.size()) < Levels)
            handles.push_back(::openat(handles.back(), name().constData(), O_RDONLY | O_DIRECTORY));
        for (auto it = handles.rbegin(); it != handles.rend(); ++it) {
            if (*it < 0) continue;
            ::unlinkat(*it, name().constData(), AT_REMOVEDIR);
            ::close(*it);
        }
    }
    // The first folder below the parent.
    QString top() const { return parent_ + '/' + QString::fromLatin1(name()); }

  private:
    static constexpr int Levels = 24;  // 24 x 201 characters: beyond the 4096 of a path
    static QByteArray name() { return QByteArray(200, 'd'); }
    QString parent_;
};

TEST(LibraryDelete, EverythingTellsWhatStayedInTheDataFolder) {
    DeleteFixture w;
    const QString data = w.rig.folder.paths().dataFolder();
    const TooDeepFolders deep(data + "/26");
    w.deleteAt("0 #");
    const LibraryWindow::Stored after = w.stored();
    for (const auto& [table, count] : after.rows)
        EXPECT_EQ(count, table == "cLatestHist" ? 2 : 0) << table.toStdString();
    EXPECT_FALSE(QFileInfo::exists(data + "/26/05/k1_A1.Dat"));
    EXPECT_TRUE(QFileInfo(deep.top()).isDir());
    // The question, then what stayed: the deepest folder, by its path, with the system's reason.
    ASSERT_EQ(w.rig.dialogs.messages.size(), 2u);
    const auto& told = w.rig.dialogs.messages[1];
    EXPECT_TRUE(told.text.startsWith("The trend file " + deep.top() + "/"))
        << told.text.toStdString();
    EXPECT_TRUE(told.text.contains(" could not be removed: File name too long\r\n"))
        << told.text.right(200).toStdString();
    EXPECT_TRUE(told.text.endsWith("Its stored data are deleted."))
        << told.text.right(200).toStdString();
    EXPECT_EQ(told.title, "Delete Samples");
    EXPECT_EQ(told.icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data"}));
}

TEST(LibraryDelete, AStoredPathOutsideTheDataFolderOrNoneRemovesNoFile) {
    for (const int types : {1, 2}) {
        SCOPED_TRACE(types);
        LibraryWindow w;
        w.answerPassword(true);
        const QString data = w.rig.folder.paths().dataFolder();
        // Beside the program folder: a name of its own.
        const QString own = QFileInfo(w.rig.folder.path()).fileName();
        const struct {
            const char* what;
            std::optional<QString> folder, name;
            QStringList planted;  // where the pieces, joined as they are, would lead
        } cases[] = {
            {"folder ..", "..", own + "_up1", {data + "/../../" + own + "_up1.Dat"}},
            {"folder ../..", "../..", own + "_up2", {data + "/../../" + own + "_up2.Dat"}},
            {"folder /x", "/x", "abs", {data + "//x//x/abs.Dat"}},
            {"folder a/b", "a/b", "sep", {data + "//b/a//sep.Dat"}},
            {"name with a separator", "05/26", "a/b", {data + "/26/05/a/b.Dat"}},
            // The reload took "00/00" and "Name None" for a Null; deletion took the empty text.
            {"Null folder",
             std::nullopt,
             "nofolder",
             {data + "/00/00/nofolder.Dat", data + "/nofolder.Dat"}},
            {"Null name",
             "05/26",
             std::nullopt,
             {data + "/26/05/Name None.Dat", data + "/26/05/.Dat"}},
            {"Null folder and name",
             std::nullopt,
             std::nullopt,
             {data + "/00/00/Name None.Dat", data + "/.Dat"}},
        };
        const auto removePlanted = qScopeGuard([&cases] {
            for (const auto& c : cases)
                for (const QString& path : c.planted)
                    QFile::remove(path);
        });
        std::vector<int32_t> seqNos;
        for (const auto& c : cases) {
            const int32_t seqNo =
                w.add({.names = c.name.value_or(""), .folder = c.folder, .types = types});
            if (!c.name) w.db().exec("Update Log_Head Set Names = Null Where SeqNo = ?", {seqNo});
            seqNos.push_back(seqNo);
            for (const QString& path : c.planted) {
                QDir().mkpath(QFileInfo(path).path());
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
                f.write("planted");
            }
        }
        w.openDataPage();
        for (size_t i = 0; i < seqNos.size(); ++i) {
            SCOPED_TRACE(cases[i].what);
            w.rig.dialogs.messages.clear();
            w.page().mnuDelete->setData(QString::number(seqNos[i]) + (types == 1 ? " G" : " K"));
            w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
            w.page().mnuDelete->trigger();
            w.settle();
            EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);  // the question alone
            EXPECT_EQ(
                w.db().query("Select * From Log_Head Where SeqNo = ?", {seqNos[i]}).rowCount(), 0);
            for (const QString& path : cases[i].planted)
                EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        }
    }
}

// A year folder that is a link out of the data folder, and a trend file that is a link to a file
// outside it: every way of deleting removes the links themselves, never what they lead to, and
// tells what it left.
TEST(LibraryDelete, LinksInTheDataFolderAreRemovedAsLinksNeverFollowed) {
    enum class Way { Single, Node, Everything };
    for (const Way way : {Way::Single, Way::Node, Way::Everything}) {
        SCOPED_TRACE(static_cast<int>(way));
        LibraryWindow w;
        w.answerPassword(true);
        w.group(false, false, false);
        const QString data = w.rig.folder.paths().dataFolder();
        const QString outside = w.rig.folder.path() + "/outside";
        ASSERT_TRUE(QDir().mkpath(outside + "/05"));
        for (const char* file : {"/05/yearLink.Dat", "/far.Dat"}) {
            QFile f(outside + file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("outside");
        }
        const int32_t year = w.storeDownload(1, "A1", "yearLink", "05/27");
        const int32_t link = w.storeDownload(2, "A1", "fileLink", "05/26");
        const int32_t sound = w.storeDownload(1, "A1", "sound", "05/26");
        // The files storeDownload wrote give way to links.
        ASSERT_TRUE(QDir(data + "/27").removeRecursively());
        ASSERT_TRUE(QFile::link(outside, data + "/27"));
        ASSERT_TRUE(QFile::remove(data + "/26/05/fileLink.Dat"));
        ASSERT_TRUE(QFile::link(outside + "/far.Dat", data + "/26/05/fileLink.Dat"));
        w.openDataPage();
        w.rig.dialogs.messages.clear();

        const auto deleteAt = [&w](const QString& key) {
            w.page().mnuDelete->setData(key);
            w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
            w.page().mnuDelete->trigger();
            w.settle();
        };
        switch (way) {
            case Way::Single:
                deleteAt(QString::number(year) + " G");
                deleteAt(QString::number(link) + " K");
                deleteAt(QString::number(sound) + " G");
                break;
            case Way::Node:
                deleteAt(w.tree().KeyOf(w.node({"05/27"})));
                deleteAt(w.tree().KeyOf(w.node({"05/26"})));
                break;
            case Way::Everything:
                deleteAt("0 #");
                break;
        }
        EXPECT_EQ(w.rows("Log_Head"), 0);
        // What the links led to stays, whatever the way.
        EXPECT_TRUE(QFileInfo::exists(outside + "/05/yearLink.Dat"));
        EXPECT_TRUE(QFileInfo::exists(outside + "/far.Dat"));
        // The link to a file is gone, and so is the sound file.
        EXPECT_FALSE(QFileInfo(data + "/26/05/fileLink.Dat").isSymLink());
        EXPECT_FALSE(QFileInfo::exists(data + "/26/05/sound.Dat"));
        QStringList told;
        for (const auto& m : w.rig.dialogs.messages)
            if (!m.text.endsWith("Ready?")) told << m.text;
        if (way == Way::Everything) {
            // Emptying the data folder takes the linked folder as the link it is.
            EXPECT_FALSE(QFileInfo(data + "/27").isSymLink());
            EXPECT_TRUE(told.isEmpty()) << told.join(" || ").toStdString();
        } else {
            // The file behind the linked folder is none of the data folder's: it stays, told.
            EXPECT_EQ(told, QStringList({"The trend file " + data +
                                         "/27/05/yearLink.Dat could not be removed: it lies "
                                         "outside the data folder (a linked folder leads "
                                         "there), and nothing outside it is removed\r\nIts "
                                         "stored data are deleted."}));
        }
    }
}

// ---- the calibration list's row ----------------------------------------------------------

TEST(LibraryDelete, ACalibrationRowGoesAloneAndTheHeaderRowDoesNothing) {
    DeleteFixture w;
    w.window->cmdInst_Click(3);
    w.settle();
    platform::FlexGrid& grid = *w.window->lastCalibrationPage->vfgHistory;
    ASSERT_EQ(grid.Rows(), 3);
    grid.setRow(0);
    w.window->lastCalibrationPage->mnuHistDel->trigger();
    EXPECT_EQ(w.passwordAsked, 0);
    EXPECT_TRUE(w.rig.dialogs.messages.empty());

    const int row = grid.TextMatrix(1, 1) == "A12" ? 1 : 2;
    grid.setRow(row);
    const LibraryWindow::Stored before = w.stored();
    w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    // The deletion is on the disk when it is shown, and the window thread never waits for the
    // sync that puts it there.
    std::atomic<int> syncs{0}, onWindowThread{0};
    platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
        if (step == platform::FileStep::SyncFile || step == platform::FileStep::SyncFolder) {
            ++syncs;
            if (QThread::currentThread() == qApp->thread()) ++onWindowThread;
        }
        return 0;
    });
    w.window->lastCalibrationPage->mnuHistDel->trigger();
    platform::setFileStepWatcher({});
    EXPECT_GT(syncs, 0);
    EXPECT_EQ(onWindowThread, 0);
    EXPECT_EQ(w.passwordAsked, 1);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "Delete History : SerialNo=A12");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Information);
    LibraryWindow::Stored expected = before;
    expected.rows["cLatestHist"] = 1;
    EXPECT_EQ(w.stored(), expected);
    ASSERT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.TextMatrix(1, 1), "A1");
}

}  // namespace
