#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <cstring>
#include <functional>
#include <optional>

#include "core/ClsInstrument.h"
#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "records/ClsAlarms.h"
#include "records/ClsIntervals.h"
#include "records/TrendRecovery.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"
#include "tests/support/FifoRescue.h"

namespace L = testsupport::lines;

namespace {

enum class Spoil { None, DropDetailTable, FlagError };

struct TrendFileCase {
    const char* name;
    bool interval;
    Spoil spoil;
    QStringList files;  // what the data folder holds afterwards
};

void PrintTo(const TrendFileCase& c, std::ostream* out) {
    *out << c.name;
}

class TrendFiles : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        inst.setRomNumber(1);
        intervals.setInstruments(&inst);
        alarms.setInstruments(&inst);
    }

    // Every file under the data folder, by its path inside it.
    QStringList dataFiles() const {
        QStringList files;
        QDirIterator it(core::DataFolder, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(core::DataFolder).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    // A recording with its samples decoded (both passes, as the link feeds them).
    records::RecordBase& decodeInterval() {
        EXPECT_TRUE(testsupport::FeedBlock(
            intervals,
            {L::AA("01", "U1", "ST1"), L::AB("01", "S1"), L::AD("01", "240531", "130509", "0060"),
             L::AC("01", "CH4", "100", "0.1", "TMP", "20", "0.1"),
             L::data("01", "A4", "00", "0000"), L::words({"0001", "0002", "0003"})}));
        return *intervals.Item(1);
    }
    records::RecordBase& decodeAlarm() {
        QString gasList = L::AC("01", "H2S", "30.0", " 0.1", "TEMP", "50", "  1");
        gasList.replace(3, 2, "BC");
        EXPECT_TRUE(testsupport::FeedBlock(
            alarms,
            {"/01BA" + L::pad("U1", 20), "/01BB" + L::pad("S1", 12) + "0000000",
             "/01BD2403151430000010000", gasList, "/01B4", L::words({"0010", "0011", "0012"})}));
        return *alarms.Item(1);
    }
    core::clsInstrument inst;
    records::clsIntervals intervals;
    records::clsAlarms alarms;
};

class TrendFileCases : public TrendFiles, public ::testing::WithParamInterface<TrendFileCase> {
  protected:
    void update() {
        if (GetParam().interval)
            intervals.Item(1)->Update();
        else
            alarms.Item(1)->Update();
    }
};

}  // namespace

TEST_P(TrendFileCases, ARecordLeavesItsTrendFileOnlyWhenItIsStored) {
    const TrendFileCase& c = GetParam();
    records::RecordBase& record = c.interval ? decodeInterval() : decodeAlarm();
    ASSERT_FALSE(record.Error());
    ASSERT_FALSE(dataFiles().isEmpty());  // the samples went to disk as they came
    if (c.spoil == Spoil::DropDetailTable) {
        db().exec(c.interval ? "Drop Table Interval_Data" : "Drop Table Alarm_Data");
        EXPECT_THROW(update(), rt::RuntimeError);
    } else {
        if (c.spoil == Spoil::FlagError) record.setError(true);
        update();
    }
    EXPECT_EQ(dataFiles(), c.files);
    const int trendHeads =
        db().query("Select SeqNo From Log_Head Where Types=1 Or Types=2").rowCount();
    EXPECT_EQ(trendHeads, c.spoil == Spoil::None ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrendFileCases,
    ::testing::Values(
        TrendFileCase{"interval stored", true, Spoil::None, {"24/05/iv31130509_S1.Dat"}},
        TrendFileCase{"interval whose store fails", true, Spoil::DropDetailTable, {}},
        TrendFileCase{"interval with an error", true, Spoil::FlagError, {}},
        TrendFileCase{"alarm stored", false, Spoil::None, {"24/03/al15143000_S1.Dat"}},
        TrendFileCase{"alarm whose store fails", false, Spoil::DropDetailTable, {}},
        TrendFileCase{"alarm with an error", false, Spoil::FlagError, {}}));

TEST_F(TrendFiles, ATrendFileThatCannotTakeItsNameFailsTheStoreAndTheNextStartPutsItInPlace) {
    // A folder stands where the trend file goes: the rename after the commit fails.
    const QString trendFile = core::DataFolder + "/24/05/iv31130509_S1.Dat";
    ASSERT_TRUE(QDir().mkpath(trendFile));
    records::clsInterval& record = static_cast<records::clsInterval&>(decodeInterval());
    ASSERT_FALSE(record.Error());
    EXPECT_THROW(record.Update(), rt::RuntimeError);
    // The rows are committed and stay; their samples are kept on the disk for them, under the
    // name that ties them to their header row.
    const platform::ResultSet head = db().query("Select SeqNo From Log_Head Where Types=1");
    ASSERT_EQ(head.rowCount(), 1);
    const int32_t seqNo = head.longValue(0, "SeqNo");
    EXPECT_EQ(dataFiles(),
              QStringList{QStringLiteral("24/05/iv31130509_S1.Dat.%1.ready").arg(seqNo)});
    EXPECT_TRUE(QFileInfo(trendFile).isDir());
    // The obstacle gone, the next start puts them in place.
    QDir(trendFile).removeRecursively();
    records::RecoverTrendFiles(core::DataFolder, folder.paths().database());
    EXPECT_EQ(dataFiles(), QStringList{"24/05/iv31130509_S1.Dat"});
    records::clsInterval stored;
    stored.setSeqNo(seqNo);
    stored.ReLoad();
    EXPECT_EQ(stored.DataCount(), 3);
}

// ---- stored header rows that name no trend file of the data folder ---------------------------

namespace {

// A header row of a stored trend; a missing value is stored as Null.
int32_t storeTrendHead(const platform::Database& db, int types,
                       const std::optional<QString>& folder, const std::optional<QString>& name) {
    const auto text = [](const std::optional<QString>& v) {
        return v ? platform::DbParam(*v) : platform::DbParam(nullptr);
    };
    const int32_t seqNo = db.MaxSeq("Log_Head");
    db.exec("Insert Into Log_Head (SeqNo, Names, FolderID, Types, Dates) Values (?,?,?,?,?)",
            {seqNo, text(name), text(folder), int32_t(types), rt::OleDate::DateSerial(2026, 5, 1)});
    return seqNo;
}

// A trend file of three samples, 7.5 each.
void plantTrendFile(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path())) << path.toStdString();
    core::TrendFile file(path);
    for (int32_t r = 1; r <= 3; ++r)
        for (int16_t gas = 1; gas <= 5; ++gas)
            core::PutSample(r, file, gas, 7.5f, rt::OleDate::DateSerial(2026, 5, 1));
    file.close();
}

// What one reload of an interval and an alarm trend stored under `folder`/`name` gave.
struct ReloadedTrends {
    int intervalRows = 0, alarmRows = 0;
    bool intervalPathDamaged = false, alarmPathDamaged = false;
    QString told;  // the damage the reloads noted
};

ReloadedTrends reloadBoth(const platform::Database& db, const std::optional<QString>& folder,
                          const std::optional<QString>& name) {
    ReloadedTrends out;
    const int32_t interval = storeTrendHead(db, 1, folder, name);
    const int32_t alarm = storeTrendHead(db, 2, folder, name);
    core::DamageFindings findings;
    records::clsInterval i;
    i.setSeqNo(interval);
    i.ReLoad();
    records::clsAlarm a;
    a.setSeqNo(alarm);
    a.ReLoad();
    out.intervalRows = i.DataCount();
    out.alarmRows = a.DataCount();
    out.intervalPathDamaged = i.TrendPathDamaged();
    out.alarmPathDamaged = a.TrendPathDamaged();
    out.told = findings.take();
    return out;
}

}  // namespace

TEST_F(TrendFiles, AStoredPathOutsideTheDataFolderOrNoneIsNeverRead) {
    // The data folder two levels down, so that a way out of it stays inside this test's folder.
    const QString program = folder.path() + "/p/q";
    core::DataFolder = program + "/Data";
    const QString data = core::DataFolder;
    QDir().mkpath(data);
    const struct {
        const char* what;
        std::optional<QString> folder, name;
        QStringList planted;  // where the pieces, joined as they are, would lead
        bool damaged;
    } cases[] = {
        {"a stored folder and name", "05/26", "good", {data + "/26/05/good.Dat"}, false},
        {"folder ..", "..", "up1", {data + "/../../up1.Dat"}, true},
        {"folder ../..", "../..", "up2", {data + "/../../up2.Dat"}, true},
        {"folder /x", "/x", "abs", {data + "//x//x/abs.Dat"}, true},
        {"folder a/b", "a/b", "sep", {data + "//b/a//sep.Dat"}, true},
        {"folder empty", "", "none", {data + "////none.Dat"}, true},
        {"name with a separator", "05/26", "../../x/y", {data + "/26/05/../../x/y.Dat"}, false},
        {"name with a separator inside", "05/26", "a/b", {data + "/26/05/a/b.Dat"}, false},
        // The reload took "00/00" and "Name None" for a Null; deletion took the empty text.
        {"Null folder",
         std::nullopt,
         "nofolder",
         {data + "/00/00/nofolder.Dat", data + "/nofolder.Dat"},
         true},
        {"Null name",
         "05/26",
         std::nullopt,
         {data + "/26/05/Name None.Dat", data + "/26/05/.Dat"},
         true},
        {"Null folder and name",
         std::nullopt,
         std::nullopt,
         {data + "/00/00/Name None.Dat", data + "/.Dat"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& path : c.planted)
            plantTrendFile(path);
        const ReloadedTrends got = reloadBoth(db(), c.folder, c.name);
        const int expected = QString(c.what).startsWith("a stored") ? 3 : 0;
        EXPECT_EQ(got.intervalRows, expected);
        EXPECT_EQ(got.alarmRows, expected);
        EXPECT_EQ(got.intervalPathDamaged, c.damaged);
        EXPECT_EQ(got.alarmPathDamaged, c.damaged);
        for (const QString& path : c.planted) {
            EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
            QFile::remove(path);
        }
    }
}

// ---- trend files that are no regular files, or lie outside the data folder --------------------

namespace {

// A socket bound at `path`, for as long as it lives.
class BoundSocket {
  public:
    explicit BoundSocket(const QString& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 && name.size() < qsizetype(sizeof address.sun_path) &&
                 ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~BoundSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool bound() const { return bound_; }

  private:
    int fd_ = -1;
    bool bound_ = false;
};

}  // namespace

TEST_F(TrendFiles, ATrendFileThatIsNoRegularFileIsToldDamagedAtOnce) {
    const QString folder = core::DataFolder + "/26/05/";
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        const char* what;
        std::function<bool(const QString&)> make;
    } cases[] = {
        {"fifo", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
        {"folder", [](const QString& p) { return QDir().mkpath(p); }},
        {"socket", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QString::fromLatin1(c.what);
        const QString path = folder + name + ".Dat";
        std::optional<BoundSocket> socket;
        if (c.make) {
            ASSERT_TRUE(c.make(path));
        } else {
            socket.emplace(path);
            ASSERT_TRUE(socket->bound());
        }
        testsupport::FifoRescue rescue(path);
        ReloadedTrends got;
        EXPECT_NO_THROW(got = reloadBoth(db(), "05/26", name));
        EXPECT_FALSE(rescue.finish()) << "a reload waited in the trend file's open";
        EXPECT_EQ(got.intervalRows, 0);
        EXPECT_EQ(got.alarmRows, 0);
        // Both downloads, by name and file.
        EXPECT_EQ(got.told.count("The trend file Data/26/05/" + name + ".Dat of \"" + name +
                                 "\" is damaged"),
                  1)
            << got.told.toStdString();
    }
}

TEST_F(TrendFiles, ATrendFileIsReadOnlyWhereItsLinksLeadInsideTheDataFolder) {
    const QString data = core::DataFolder;
    const QString outside = folder.path() + "/outside";
    plantTrendFile(outside + "/05/far.Dat");
    plantTrendFile(outside + "/05/yearLink.Dat");
    plantTrendFile(outside + "/monthLink.Dat");
    plantTrendFile(data + "/26/04/near.Dat");
    ASSERT_TRUE(QDir().mkpath(data + "/26/05"));
    // A year folder, a month folder and trend files that are links.
    ASSERT_TRUE(QFile::link(outside, data + "/27"));
    ASSERT_TRUE(QFile::link(outside, data + "/26/06"));
    ASSERT_TRUE(QFile::link(outside + "/05/far.Dat", data + "/26/05/far.Dat"));
    ASSERT_TRUE(QFile::link(data + "/26/04/near.Dat", data + "/26/05/near.Dat"));
    ASSERT_TRUE(QFile::link("../04/near.Dat", data + "/26/05/relative.Dat"));
    const struct {
        const char* what;
        QString folder, name;
        bool read;
    } cases[] = {
        {"a linked year folder", "05/27", "yearLink", false},
        {"a linked month folder", "06/26", "monthLink", false},
        {"a link to a file outside", "05/26", "far", false},
        {"a link to a trend file inside", "05/26", "near", true},
        {"a relative link inside", "05/26", "relative", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReloadedTrends got = reloadBoth(db(), c.folder, c.name);
        EXPECT_EQ(got.intervalRows, c.read ? 3 : 0);
        EXPECT_EQ(got.alarmRows, c.read ? 3 : 0);
        EXPECT_EQ(got.told.isEmpty(), c.read) << got.told.toStdString();
        if (!c.read) {
            EXPECT_TRUE(got.told.contains('"' + c.name + '"')) << got.told.toStdString();
        }
    }
}
