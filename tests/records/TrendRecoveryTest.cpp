#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <functional>
#include <map>

#include "core/StoredDamage.h"
#include "core/TrendFile.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"
#include "records/TrendLines.h"
#include "records/TrendRecovery.h"
#include "tests/records/RecordFixture.h"
#include "tests/support/FilePermissions.h"
#include "tests/support/OtherConnection.h"

namespace {

using Files = std::map<QString, QByteArray>;

class TrendRecoveryTest : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        month = core::DataFolder + "/26/05";
        QDir().mkpath(month);
    }
    void head(int32_t seqNo, int types, const QString& name, int32_t count = 0) {
        db().exec(
            "Insert Into Log_Head (SeqNo, Names, FolderID, Types, Sampling, Dcount, Dates) "
            "Values (?,?,?,?,0,?,?)",
            {seqNo, name, QStringLiteral("05/26"), int32_t(types), count,
             rt::OleDate::DateSerial(2026, 5, 1)});
    }
    void put(const QString& name, const QByteArray& bytes) {
        QFile f(month + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Files files() const {
        Files all;
        QDirIterator it(core::DataFolder, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            all[QDir(month).relativeFilePath(path)] = f.readAll();
        }
        return all;
    }
    records::TrendRecovery recover() {
        return records::RecoverTrendFiles(core::DataFolder, folder.paths().database());
    }
    QString month;
};

}  // namespace

// What a store or a deletion cut short left is finished as the rows in the database tell: a
// kept file takes its place when its own row stands (the row of its number, naming that trend
// file), and goes when it does not; samples still being written always go.
TEST_F(TrendRecoveryTest, KeptFilesFollowTheirRows) {
    head(1, 1, "iv01");
    head(2, 2, "al02");
    head(3, 5, "Alarm Events");
    head(4, 1, "iv04");
    put("iv01.Dat", "stale");           // an orphan the stored samples replace
    put("iv01.Dat.1.ready", "stored");  // its row was committed
    put("iv09.Dat.9.ready", "never");   // its row was not
    put("al02.Dat.1.ready", "other");   // row 1 names another file
    put("x.Dat.3.ready", "events");     // row 3 has no trend file
    put("al02.Dat.2.deleted", "kept");  // its deletion was not committed
    put("iv05.Dat.5.deleted", "gone");  // its deletion was
    put("iv04.Dat", "own");             // a deletion not committed, and the file is back
    put("iv04.Dat.4.deleted", "older");
    put("iv06.Dat.part", "half");  // still being written
    const records::TrendRecovery done = recover();
    EXPECT_EQ(files(), (Files{{"iv01.Dat", "stored"}, {"al02.Dat", "kept"}, {"iv04.Dat", "own"}}));
    EXPECT_EQ(done.putInPlace, 1);
    EXPECT_EQ(done.putBack, 1);
    EXPECT_EQ(done.removed, 5);
    EXPECT_EQ(done.left, 0);
}

// A database that cannot tell whether the rows stand decides nothing: every kept file stays for
// a later start. Samples still being written go all the same.
TEST_F(TrendRecoveryTest, ADatabaseThatCannotTellLeavesEveryKeptFile) {
    const QString database = folder.paths().database();
    head(1, 1, "iv01");
    const struct {
        const char* what;
        std::function<void()> spoil, mend;
    } cases[] = {
        {"missing",
         [&] {
             platform::Database::close(database);
             QFile::rename(database, database + ".away");
         },
         [&] { QFile::rename(database + ".away", database); }},
        {"not ours",
         [&] {
             platform::Database::close(database);
             QFile::rename(database, database + ".away");
             QFile f(database);
             f.open(QIODevice::WriteOnly);
             f.write("Serial No.,User ID\r\n");
         },
         [&] {
             QFile::remove(database);
             QFile::rename(database + ".away", database);
         }},
        {"not readable",
         [&] {
             platform::Database::close(database);
             QFile::setPermissions(database, QFile::WriteOwner);
         },
         [&] { QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        put("iv01.Dat.1.ready", "stored");
        put("iv09.Dat.9.ready", "never");
        put("iv06.Dat.part", "half");
        c.spoil();
        records::TrendRecovery done;
        {
            const testsupport::FilePermissionsEnforced asAUser;
            done = recover();
        }
        c.mend();
        EXPECT_EQ(files(), (Files{{"iv01.Dat.1.ready", "stored"}, {"iv09.Dat.9.ready", "never"}}));
        EXPECT_EQ(done.left, 2);
        platform::Database::close(database);
    }
    // Locked by another program for longer than a statement waits.
    {
        testsupport::OtherConnection other(database);
        ASSERT_TRUE(other.holdWhole());
        EXPECT_EQ(recover().left, 2);
        other.release();
    }
    EXPECT_EQ(files(), (Files{{"iv01.Dat.1.ready", "stored"}, {"iv09.Dat.9.ready", "never"}}));
    // A later start that can tell finishes the work.
    EXPECT_EQ(recover().putInPlace, 1);
    EXPECT_EQ(files(), (Files{{"iv01.Dat", "stored"}}));
}

// A stored trend whose file is missing or holds fewer samples than its row counts is told,
// naming the download and the file; one that counts none, or whose file holds them all, is not.
TEST_F(TrendRecoveryTest, AStoredTrendWhoseFileIsMissingOrShortIsTold) {
    // Records of sound samples, as a download writes them.
    const auto samples = [](int records) {
        QByteArray bytes;
        for (int r = 0; r < records; ++r) {
            QByteArray record(core::TrendRecordSize, '\0');
            const double time = rt::OleDate::DateSerial(2026, 5, 1).addSeconds(r * 60).value();
            qToLittleEndian(time, record.data());
            for (int g = 0; g < 5; ++g)
                qToLittleEndian(1.5f, record.data() + 8 + 4 * g);
            bytes += record;
        }
        return bytes;
    };
    const struct {
        const char* what;
        int types;
        int32_t count;
        int events;
        std::optional<int> records;  // none: no file
        bool told;
    } cases[] = {
        {"interval, no file", 1, 12, 2, std::nullopt, true},
        {"interval, short", 1, 12, 2, 9, true},
        {"interval, whole", 1, 12, 2, 10, false},
        {"interval, longer", 1, 12, 2, 11, false},
        {"interval that counts only its events", 1, 2, 2, std::nullopt, false},
        {"interval that counts none", 1, 0, 0, std::nullopt, false},
        {"alarm, no file", 2, 720, 0, std::nullopt, true},
        {"alarm, empty file", 2, 720, 0, 0, true},
        {"alarm, some samples", 2, 720, 0, 3, false},
        {"alarm that counts none", 2, 0, 0, std::nullopt, false},
    };
    int32_t seqNo = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ++seqNo;
        const QString name = QStringLiteral("t%1").arg(seqNo);
        head(seqNo, c.types, name, c.count);
        for (int e = 0; e < c.events; ++e)
            db().exec(
                "Insert Into Interval_Event (SeqNo, RelNo, Datetimes, BaseDate) Values (?,?,?,?)",
                {db().MaxSeq("Interval_Event"), seqNo,
                 rt::OleDate::DateSerial(2026, 5, 1).addSeconds(60 * e),
                 rt::OleDate::DateSerial(2026, 5, 1)});
        if (c.records) put(name + ".Dat", samples(*c.records));
        core::DamageFindings findings;
        if (c.types == 1) {
            records::clsInterval r;
            r.setSeqNo(seqNo);
            r.ReLoad();
        } else {
            records::clsAlarm r;
            r.setSeqNo(seqNo);
            r.ReLoad();
        }
        const QString told = findings.take();
        EXPECT_EQ(told.isEmpty(), !c.told) << told.toStdString();
        if (c.told) {
            EXPECT_EQ(told, QStringLiteral("The trend file Data/26/05/%1.Dat of \"%1\" is missing "
                                           "or cut short: not all of its samples can be shown. "
                                           "Download the same record from the instrument again "
                                           "to restore it.")
                                .arg(name));
        }
    }
}
