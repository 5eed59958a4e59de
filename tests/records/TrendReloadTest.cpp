#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QScopeGuard>

#include "core/TrendFile.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"
#include "records/TrendLines.h"
#include "tests/records/RecordFixture.h"

namespace {

// Bytes the system has read for this thread so far, from any file (the database's too).
qint64 bytesReadByThisThread() {
    QFile io(QStringLiteral("/proc/thread-self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The warnings written while it lives.
class CaughtWarnings {
  public:
    CaughtWarnings() {
        lines_ = &caught_;
        previous_ = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtWarningMsg && lines_) lines_->append(text);
            });
    }
    ~CaughtWarnings() {
        qInstallMessageHandler(previous_);
        lines_ = nullptr;
    }
    CaughtWarnings(const CaughtWarnings&) = delete;
    CaughtWarnings& operator=(const CaughtWarnings&) = delete;
    int naming(const QString& text) const { return static_cast<int>(caught_.filter(text).size()); }

  private:
    static inline QStringList* lines_ = nullptr;
    QStringList caught_;
    QtMessageHandler previous_ = nullptr;
};

const rt::OleDate Start = *rt::OleDate::fromCivil(2024, 5, 31, 0, 0, 0);

// What a reload of SeqNo 1 gave: its rows, the last row's date and gas-3 value, and the bytes
// read for it.
struct Reloaded {
    int32_t rows = 0;
    rt::OleDate lastDate;
    float lastValue = 0;
    qint64 bytesRead = 0;
};

Reloaded reload(int kind) {
    Reloaded out;
    const qint64 before = bytesReadByThisThread();
    if (kind == 1) {
        records::clsInterval r;
        r.ClearDatas();
        r.setSeqNo(1);
        r.ReLoad();
        out.bytesRead = bytesReadByThisThread() - before;
        out.rows = r.DataCount();
        out.lastDate = r.DateTimes(out.rows - 1);
        out.lastValue = r.GasValue(3, out.rows - 1).toSingle();
    } else {
        records::clsAlarm r;
        r.ClearDatas();
        r.setSeqNo(1);
        r.ReLoad();
        out.bytesRead = bytesReadByThisThread() - before;
        out.rows = r.DataCount();
        out.lastDate = r.DateTimes(out.rows - 1);
        out.lastValue = r.Value(3, out.rows - 1);
    }
    return out;
}

class TrendReload : public testsupport::RecordFixture {};

}  // namespace

// A trend file far longer than its record can hold (a damaged file, or one put there by hand)
// is read only as far as the record's capacity: the reload reads no byte more than a file of
// exactly that length costs, ends with the last sample it read (in outline mode too, where a
// run of equal samples keeps its first and its last), and says once that the rest is ignored.
TEST_F(TrendReload, AnOversizedTrendFileIsReadOnlyAsFarAsTheRecordTakes) {
    ASSERT_GE(bytesReadByThisThread(), 0) << "the system does not count this thread's reads";
    constexpr qint64 GB = qint64(1) << 30;
    const struct {
        const char* name;
        int kind;
        bool outline;
        int32_t capacity, rows;
        qint64 length;
    } cases[] = {
        {"interval trend", 1, false, records::clsInterval::MaxValueRow + 1, 54001, 3 * GB},
        {"interval trend in outline mode", 1, true, records::clsInterval::MaxValueRow + 1, 2,
         3 * GB},
        {"alarm trend", 2, false, records::clsAlarm::Rows, 721, 3 * GB},
        {"alarm trend beyond 32-bit record numbers", 2, false, records::clsAlarm::Rows, 721,
         100 * GB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        core::OutlineMode = c.outline;
        db().exec("Delete From Log_Head");
        db().exec(
            "Insert Into Log_Head (SeqNo, Names, Dates, FolderID, Types) Values (1, 'big', ?, "
            "'05/24', ?)",
            {Start, c.kind});
        const QString path = records::TrendFileOf("05/24", "big");
        core::CreateTrendFolders(core::DataFolder, Start);
        const auto removed = qScopeGuard([&] { QFile::remove(path); });
        // Exactly the samples the record holds, all alike but for their times.
        {
            QFile::remove(path);
            core::TrendFile f(path);
            for (int32_t k = 1; k <= c.capacity; ++k) {
                const rt::OleDate when = Start.addSeconds(60 * qint64(k - 1));
                for (int16_t gas = 1; gas <= 5; ++gas)
                    core::PutSample(k, f, gas, 2.0f, when);
                core::PutRecordTail(k, f, {0, 0});
            }
        }
        const rt::OleDate lastDate = Start.addSeconds(60 * qint64(c.capacity - 1));
        reload(c.kind);  // the database's pages read once
        const Reloaded exact = reload(c.kind);
        EXPECT_EQ(exact.rows, c.rows);
        EXPECT_EQ(exact.lastDate, lastDate);

        // The same samples followed by gigabytes of zeros, which take no room on the disk.
        ASSERT_TRUE(QFile::resize(path, c.length));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        ASSERT_EQ(st.st_size, c.length);
        if (qint64(st.st_blocks) * 512 > 64 * 1024 * 1024)
            GTEST_SKIP() << "the test folder's file system keeps no sparse files";

        const CaughtWarnings warnings;
        Reloaded oversized;
        EXPECT_NO_THROW(oversized = reload(c.kind));
        EXPECT_EQ(oversized.rows, c.rows);
        EXPECT_EQ(oversized.lastDate, lastDate);
        EXPECT_EQ(oversized.lastValue, 2.0f);
        EXPECT_LE(oversized.bytesRead, exact.bytesRead + 1024)
            << "a file of exactly the capacity costs " << exact.bytesRead << " bytes";
        EXPECT_EQ(warnings.naming(path), 1);
    }
}
