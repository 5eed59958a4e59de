#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <functional>
#include <optional>

#include "core/TrendFile.h"
#include "platform/FileSteps.h"
#include "runtime/RuntimeError.h"
#include "tests/support/TempProgramFolder.h"

using namespace core;

TEST(RunLengthDecode, Cases) {
    const struct {
        const char* text;
        const char* decoded;
    } cases[] = {
        {"!!", "0000"},
        {"!\"", "00FF"},
        {"12!", "1200"},
        {"C!!", "000000000000"},
        {"@!!!\"", "00FF"},  // a count of 0 drops the next word
        {"!", ""},           // an unfinished word is dropped
        {"!\r\n!", "0000"},  // characters outside 32..127 are skipped
        {"#'", "D1FE"},
        {"$%&!", "01020300"},
        {"?0?0", "F0F0"},
        {"1\x7f", ""},  // a malformed pair makes the word too long: nothing more
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunLengthDecode(QString::fromLatin1(c.text)), QString::fromLatin1(c.decoded))
            << c.text;
    // "A" and "B" make the count 1 * 64 + 2.
    EXPECT_EQ(RunLengthDecode("AB!!"), QString("0000").repeated(66));
    EXPECT_EQ(RunLengthDecode("AB!!!!"), QString("0000").repeated(66) + "0000");
}

TEST(RunLengthDecode, ExpansionStopsAtTheWordsAsked) {
    // "\x7F\x7F" asks for 4095 repeats of the next word.
    const QString line = QString("\x7F\x7F!!").repeated(240);
    EXPECT_EQ(RunLengthDecode(line).size(), 4095 * 240 * 4);
    const struct {
        qsizetype maxWords, words;
    } cases[] = {{0, 0}, {1, 1}, {4095, 4095}, {4096, 4096}, {10000, 10000}};
    for (const auto& c : cases)
        EXPECT_EQ(RunLengthDecode(line, c.maxWords), QString("0000").repeated(c.words))
            << c.maxWords;
    EXPECT_EQ(RunLengthDecode("AB!!", -1), QString("0000").repeated(66));
}

TEST(RunLengthDecode, RunsKeepEachRepeatedWordInOnePiece) {
    const auto runsOf = [](const QString& text, qsizetype maxWords) {
        QStringList out;
        for (const TrendRun& run : RunLengthRuns(text, maxWords))
            out << run.text() + "x" + QString::number(run.count);
        return out.join(' ');
    };
    const struct {
        QString text;
        qsizetype maxWords;
        const char* runs;
    } cases[] = {
        {"AB!!!!C$!", -1, "0000x66 0000x1 0100x3"},
        {QString("\x7F\x7F!!").repeated(13) + "YK\"\"", -1,
         "0000x4095 0000x4095 0000x4095 0000x4095 0000x4095 0000x4095 0000x4095 0000x4095 "
         "0000x4095 0000x4095 0000x4095 0000x4095 0000x4095 FFFFx1611"},
        {"AB!!C$!", 67, "0000x66 0100x1"},  // cut at the words asked
        {"@!!!\"", -1, "00FFx1"},           // a count of 0 gives no run
        {"!!C", 1, "0000x1"},               // full before the repeat count at the end
        {"", -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runsOf(c.text, c.maxWords), c.runs) << c.text.toStdString();
}

TEST(RunLengthDecode, TextEndingInARepeatCountIsAnError) {
    EXPECT_THROW(RunLengthDecode("!!C"), rt::RuntimeError);
    EXPECT_THROW(RunLengthDecode("~"), rt::RuntimeError);
    EXPECT_THROW(RunLengthRuns("\x7F\x7F!!~", -1), rt::RuntimeError);
}

TEST(RunLengthDecode, ByteCodes) {
    EXPECT_EQ(ByteCode('!'), "00");
    EXPECT_EQ(ByteCode('"'), "FF");
    EXPECT_EQ(ByteCode('\''), "FE");
    EXPECT_EQ(ByteCode(' '), "");
    EXPECT_EQ(ByteCode('/'), "");
}

namespace {

class TrendFileTest : public ::testing::Test {
  protected:
    QString path() const { return folder.path() + "/t.Dat"; }
    QByteArray bytes() const {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    testsupport::TempProgramFolder folder;
};

}  // namespace

TEST_F(TrendFileTest, SamplesGoToTheirByteOffsets) {
    const rt::OleDate t1(46000.5), t2(46000.75);
    {
        TrendFile f(path());
        PutSample(1, f, 5, 1.5f, t1);
        PutSample(2, f, 1, -101.0f, t2);
        PutRecordTail(3, f, {4, 9});
    }
    const QByteArray b = bytes();
    ASSERT_EQ(b.size(), 90);
    EXPECT_EQ(qFromLittleEndian<double>(b.constData()), t1.value());
    EXPECT_EQ(qFromLittleEndian<float>(b.constData() + 24), 1.5f);
    EXPECT_EQ(QByteArray(b.constData() + 8, 16), QByteArray(16, '\0'));  // gases 1..4 unwritten
    EXPECT_EQ(qFromLittleEndian<double>(b.constData() + 30), t2.value());
    EXPECT_EQ(qFromLittleEndian<float>(b.constData() + 38), -101.0f);
    EXPECT_EQ(b.at(88), 4);
    EXPECT_EQ(b.at(89), 9);
    EXPECT_EQ(QByteArray(b.constData() + 60, 28), QByteArray(28, '\0'));
}

TEST_F(TrendFileTest, ExtendsShortFilesAndReadsZerosPastTheEnd) {
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(95, '\x11'));
    }
    TrendFile f(path());
    EXPECT_EQ(f.RecordCount(), 3);  // 95 bytes hold three whole records
    EXPECT_EQ(GetSampleValue(10, f, 2), 0.0f);
    const TrendRecord past = GetTrendRecord(10, f);
    EXPECT_EQ(past.time.value(), 0.0);
    EXPECT_EQ(past.status[1], 0);
    PutSample(5, f, 3, 7.25f, rt::OleDate(1.0));
    f.close();
    const QByteArray b = bytes();
    ASSERT_EQ(b.size(), 4 * 30 + 20);
    EXPECT_EQ(b.left(95), QByteArray(95, '\x11'));  // the old bytes are kept
    EXPECT_EQ(QByteArray(b.constData() + 95, 25), QByteArray(25, '\0'));
    TrendFile again(path());
    EXPECT_EQ(GetSampleValue(5, again, 3), 7.25f);
    EXPECT_EQ(GetSampleValue(1, again, 1),
              qFromLittleEndian<float>(QByteArray(4, '\x11').constData()));
}

TEST_F(TrendFileTest, WritesOnBothSidesOfTheBufferKeepTheFileIntact) {
    {
        TrendFile f(path());
        for (int r = 1; r <= 100; ++r) {
            PutSample(r, f, 1, static_cast<float>(r), rt::OleDate(r));
            PutRecordTail(r, f, {0, 1});
        }
    }
    {
        TrendFile f(path());
        PutSample(50, f, 2, -1, rt::OleDate(50));
        PutSample(10, f, 2, -2, rt::OleDate(10));    // before the buffer
        PutSample(90, f, 2, -3, rt::OleDate(90));    // after it
        EXPECT_EQ(GetSampleValue(70, f, 1), 70.0f);  // inside, loaded from the file
    }
    TrendFile f(path());
    EXPECT_EQ(f.RecordCount(), 100);
    for (int r = 1; r <= 100; ++r) {
        const TrendRecord rec = GetTrendRecord(r, f);
        EXPECT_EQ(rec.values[0], static_cast<float>(r)) << r;
        EXPECT_EQ(rec.time.value(), r);
    }
    EXPECT_EQ(GetSampleValue(10, f, 2), -2.0f);
    EXPECT_EQ(GetSampleValue(90, f, 2), -3.0f);
    EXPECT_EQ(GetSampleValue(11, f, 2), 0.0f);
}

TEST_F(TrendFileTest, FileEndsAtTheLastWrittenByte) {
    {
        TrendFile f(path());
        PutSample(2, f, 1, 1, rt::OleDate());
    }
    TrendFile f(path());
    EXPECT_EQ(f.size(), 42);
    EXPECT_EQ(f.RecordCount(), 1);
}

TEST_F(TrendFileTest, ARangeOfRecordsGivesTheBytesOfOneWriteASample) {
    // The same changes through a range and sample by sample, on a file that holds some bytes
    // already: what was put, and only what was put, lands; the file ends at the last byte put.
    struct Change {
        int index;
        int gas;  // 0: the status digits
    };
    const struct {
        const char* what;
        int32_t first, count;
        std::vector<Change> changes;
    } cases[] = {
        {"samples past the end", 3, 4, {{0, 4}, {1, 4}, {2, 4}, {3, 4}}},
        {"status digits inside", 1, 3, {{0, 0}, {1, 0}, {2, 0}}},
        {"cut short", 2, 5, {{0, 2}, {1, 2}}},
        {"nothing put", 2, 3, {}},
    };
    const QByteArray before(95, '\x11');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto fresh = [&](const QString& name) {
            QFile f(folder.path() + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(before);
            return folder.path() + "/" + name;
        };
        const auto valueOf = [](const Change& ch) { return 0.5f * ch.index - ch.gas; };
        const rt::OleDate time(45000.25);
        {
            TrendFile one(fresh("one.Dat"));
            for (const Change& ch : c.changes) {
                if (ch.gas)
                    PutSample(c.first + ch.index, one, static_cast<int16_t>(ch.gas), valueOf(ch),
                              time);
                else
                    PutRecordTail(c.first + ch.index, one, {1, static_cast<uint8_t>(ch.index)});
            }
            TrendFile range(fresh("range.Dat"));
            TrendRecordRange records(range, c.first, c.count);
            for (const Change& ch : c.changes) {
                if (ch.gas)
                    records.putSample(ch.index, static_cast<int16_t>(ch.gas), valueOf(ch), time);
                else
                    records.putRecordTail(ch.index, {1, static_cast<uint8_t>(ch.index)});
            }
        }
        QFile one(folder.path() + "/one.Dat"), range(folder.path() + "/range.Dat");
        ASSERT_TRUE(one.open(QIODevice::ReadOnly));
        ASSERT_TRUE(range.open(QIODevice::ReadOnly));
        const QByteArray expected = one.readAll();
        EXPECT_EQ(range.readAll(), expected);
        if (c.changes.empty()) {
            EXPECT_EQ(expected, before);
        }
    }
    // Outside the range: refused.
    TrendFile f(path());
    TrendRecordRange records(f, 1, 2);
    EXPECT_THROW(records.putRecordTail(2, {0, 0}), rt::RuntimeError);
    EXPECT_THROW(records.putSample(-1, 1, 0, rt::OleDate()), rt::RuntimeError);
    EXPECT_THROW(TrendRecordRange(f, 0, 1), rt::RuntimeError);
}

TEST_F(TrendFileTest, BadPositions) {
    TrendFile f(path());
    EXPECT_THROW(PutSample(0, f, 1, 1, rt::OleDate()), rt::RuntimeError);
    EXPECT_THROW(PutSample(1, f, 6, 1, rt::OleDate()), rt::RuntimeError);
    try {
        PutSample(80000000, f, 1, 1, rt::OleDate());
        FAIL();
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrOverflow);
    }
}

TEST(TrendFolders, PathsAndNames) {
    const rt::OleDate start = *rt::OleDate::fromCivil(2026, 3, 7, 5, 4, 9);
    EXPECT_EQ(TrendFolder("/p/Data", start), "/p/Data/26/03");
    EXPECT_EQ(TrendFilePath("/p/Data", start, "it07050409_A1"), "/p/Data/26/03/it07050409_A1.Dat");
    EXPECT_EQ(SanitizeFileName("it01_../x\\y:z*?\"<>|\n"), "it01_.._x_y_z_______");
    EXPECT_EQ(SanitizeFileName(".."), "__");
    testsupport::TempProgramFolder folder;
    const QString data = folder.path() + "/Data";
    ASSERT_NO_THROW(CreateTrendFolders(data, start));
    EXPECT_TRUE(QFileInfo(data + "/26/03").isDir());
    {
        TrendFile f(TrendFilePath(data, start, "x"));
        PutRecordTail(1, f, {1, 2});
    }
    DeleteFolder(data);
    EXPECT_FALSE(QFileInfo::exists(data));
    DeleteFolder(data);  // a missing folder is no error
}

namespace {

// The folder syncs of a piece of work, in their order.
QStringList folderSyncs(const std::function<void()>& work) {
    QStringList synced;
    platform::setFileStepWatcher([&synced](platform::FileStep step, const QString& path) {
        if (step == platform::FileStep::SyncFolder) synced << path;
        return 0;
    });
    work();
    platform::setFileStepWatcher({});
    return synced;
}

QString cannotStore(const QString& folder, const QString& cause) {
    return QStringLiteral("The trend files cannot be stored in the folder %1: %2")
        .arg(folder, cause);
}

const QString NotPermitted =
    "this user may not write there. Give the user write access to it, then download again.";
const QString ReadOnly = "its file system is read-only. Mount it for writing, then download again.";
const QString NotThere =
    "it is not there, or a link on its way leads to a folder that is not there (a disk that is "
    "not mounted?). Mount the disk or mend the link, then download again.";
const QString NoFolder =
    "a file that is no folder stands in its place. Move that file away, then download again.";

}  // namespace

namespace {

// A trend file stored through the writer in the month of `start`, its folders made first.
void storeTrend(const QString& data, rt::OleDate start, int64_t seqNo = 1) {
    CreateTrendFolders(data, start);
    TrendWriter writer;
    PutRecordTail(1, writer.open(TrendFilePath(data, start, "x")), {1, 2});
    writer.prepare(seqNo);
    writer.commit();
}

// The folders above the month folders that a piece of work syncs, in their order.
QStringList syncsAbove(const QString& data, const std::function<void()>& work) {
    QStringList above;
    for (const QString& folder : folderSyncs(work))
        if (folder.count('/') <= data.count('/') + 1) above << folder;
    return above;
}

rt::OleDate monthOf(int year, int month) {
    return *rt::OleDate::fromCivil(year, month, 7);
}

}  // namespace

// Each missing level is made; the folder it was made in is synced by the first store below it,
// before the trend file is kept there, and never again: a folder that was there is not synced.
TEST(TrendFolders, EachFolderMadeIsSyncedInItsFolderOnce) {
    testsupport::TempProgramFolder folder;
    const QString program = folder.path(), data = program + "/Data";
    const struct {
        const char* what;
        std::function<void()> work;
        QStringList synced;
    } cases[] = {
        {"a new data folder",
         [&] { storeTrend(data, monthOf(2026, 3)); },
         {program, data, data + "/26"}},
        {"the same month again", [&] { storeTrend(data, monthOf(2026, 3)); }, {}},
        {"a new month of that year", [&] { storeTrend(data, monthOf(2026, 4)); }, {data + "/26"}},
        {"a new year", [&] { storeTrend(data, monthOf(2027, 1)); }, {data, data + "/27"}},
        {"folders made and not stored in", [&] { CreateTrendFolders(data, monthOf(2028, 1)); }, {}},
        {"a store in another month of that year",
         [&] {
             CreateTrendFolders(data, monthOf(2028, 2));
             storeTrend(data, monthOf(2028, 2));
             storeTrend(data, monthOf(2028, 1));
         },
         {data, data + "/28"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(syncsAbove(data, c.work), c.synced);
    }
    EXPECT_TRUE(QFileInfo(data + "/28/01/x.Dat").isFile());
}

// A level that cannot be made raises the folder and the cause in the user's words; nothing is
// made in the place of a link or a file.
TEST(TrendFolders, AFolderThatCannotBeMadeTellsTheFolderAndTheCause) {
    const rt::OleDate start = monthOf(2026, 3);
    const struct {
        const char* what;
        std::function<void(const QString& data)> make;
        const char* folder;  // within the data folder
        QString cause;
    } cases[] = {
        {"a data folder linked to a disk that is not mounted",
         [](const QString& data) {
             QDir(data).removeRecursively();
             QFile::link(data + ".disk/Data", data);
         },
         "", NotThere},
        {"a linked month folder whose target is gone",
         [](const QString& data) {
             QDir().mkpath(data + "/26");
             QFile::link(data + ".disk/03", data + "/26/03");
         },
         "/26/03", NotThere},
        {"a file where the year folder must be",
         [](const QString& data) {
             QDir().mkpath(data);
             QFile file(data + "/26");
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         },
         "/26", NoFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempProgramFolder folder;
        const QString data = folder.path() + "/Data";
        c.make(data);
        const bool link = QFileInfo(data + c.folder).isSymLink();
        const bool file = QFileInfo(data + c.folder).isFile();
        try {
            CreateTrendFolders(data, start);
            ADD_FAILURE() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrPathAccess);
            EXPECT_EQ(e.description(), cannotStore(data + c.folder, c.cause));
        }
        // What stood there stands as it was.
        EXPECT_EQ(QFileInfo(data + c.folder).isSymLink(), link);
        EXPECT_EQ(QFileInfo(data + c.folder).isFile(), file);
        EXPECT_FALSE(QFileInfo::exists(data + ".disk"));
        EXPECT_FALSE(QFileInfo(TrendFolder(data, start)).isDir());
    }
}

// A linked year folder is followed: the month is made where it leads, and the link stays.
TEST(TrendFolders, ALinkOnTheWayIsFollowed) {
    testsupport::TempProgramFolder folder;
    const QString data = folder.path() + "/Data", elsewhere = folder.path() + "/elsewhere";
    QDir().mkpath(data);
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(QFile::link(elsewhere, data + "/26"));
    EXPECT_EQ(syncsAbove(data, [&] { storeTrend(data, monthOf(2026, 3)); }),
              QStringList{data + "/26"});
    EXPECT_TRUE(QFileInfo(data + "/26").isSymLink());
    EXPECT_TRUE(QFileInfo(elsewhere + "/03/x.Dat").isFile());
}

// A trend file the system refuses to make, write or keep fails with its folder and cause, and
// leaves nothing behind; the folders made above it that were not synced then are synced by the
// next store.
TEST(TrendFolders, AWriterRefusedTellsTheFolderAndTheCause) {
    const rt::OleDate start = monthOf(2026, 3);
    using platform::FileStep;
    const struct {
        const char* what;
        FileStep step;
        int error;
        const char* folder;  // within the data folder
        QString cause;
        bool aboveSynced;  // the folders made above were synced before the refusal
    } cases[] = {
        {"its temporary file cannot be made", FileStep::Remove, EROFS, "/26/03", ReadOnly, false},
        {"its samples cannot be written", FileStep::Write, EACCES, "/26/03", NotPermitted, false},
        {"its samples cannot be synced", FileStep::SyncFile, EROFS, "/26/03", ReadOnly, true},
        {"its samples cannot be kept aside", FileStep::Rename, EPERM, "/26/03", NotPermitted, true},
        {"the folder made above cannot be synced", FileStep::SyncFolder, EROFS, "", ReadOnly,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempProgramFolder folder;
        const QString data = folder.path() + "/Data";
        QDir().mkpath(data);
        platform::setFileStepWatcher(
            [&c](FileStep step, const QString&) { return step == c.step ? c.error : 0; });
        try {
            storeTrend(data, start);
            ADD_FAILURE() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrPathAccess);
            EXPECT_EQ(e.description(), cannotStore(data + c.folder, c.cause));
        }
        platform::setFileStepWatcher({});
        EXPECT_TRUE(QDir(TrendFolder(data, start)).isEmpty());
        const QStringList above = c.aboveSynced ? QStringList() : QStringList{data, data + "/26"};
        EXPECT_EQ(syncsAbove(data, [&] { storeTrend(data, start); }), above);
    }
}

TEST(TrendFolders, AWriterWithoutATrendFileWritesNothing) {
    testsupport::TempProgramFolder folder;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    TrendWriter writer;
    EXPECT_THROW(writer.open(""), rt::RuntimeError);
    writer.discard();
    EXPECT_TRUE(QDir(folder.path())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    QDir::setCurrent(before);
}

namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(EmptyDataFolder, EmptiesTheDataFolderWithoutFollowingLinks) {
    testsupport::TempProgramFolder folder;
    const QString program = folder.path();
    const QString data = program + "/Data";
    touch(data + "/26/05/a.Dat");
    touch(data + "/.hidden");
    touch(program + "/Outside/kept.txt");
    touch(program + "/QM73.mdb");
    ASSERT_TRUE(QFile::link(program + "/Outside", data + "/26/link"));
    ASSERT_TRUE(QFile::link(program + "/Outside/kept.txt", data + "/file-link"));
    ASSERT_TRUE(EmptyDataFolder(data, program));
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_TRUE(
        QDir(data)
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
            .isEmpty());
    EXPECT_TRUE(QFileInfo::exists(program + "/Outside/kept.txt"));
    EXPECT_TRUE(QFileInfo::exists(program + "/QM73.mdb"));
    // A missing data folder is made again.
    QDir(data).removeRecursively();
    EXPECT_TRUE(EmptyDataFolder(data, program));
    EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST(EmptyDataFolder, RefusesEveryOtherFolder) {
    testsupport::TempProgramFolder folder;
    testsupport::TempProgramFolder elsewhere;
    const QString program = folder.path();
    touch(program + "/QM73.mdb");
    touch(program + "/Real/x.Dat");
    touch(elsewhere.path() + "/Data/y.Dat");
    ASSERT_TRUE(QFile::link(program + "/Real", program + "/Linked"));
    const struct {
        const char* what;
        QString data;
    } cases[] = {
        {"empty", ""},
        {"relative", "Data"},
        {"the program folder", program},
        {"the program folder, spelled otherwise", program + "/Real/.."},
        {"outside the program folder", elsewhere.path() + "/Data"},
        {"a link to a folder", program + "/Linked"},
        {"the root", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(EmptyDataFolder(c.data, program));
    }
    EXPECT_FALSE(EmptyDataFolder(program + "/Data", ""));
    EXPECT_TRUE(QFileInfo::exists(program + "/QM73.mdb"));
    EXPECT_TRUE(QFileInfo::exists(program + "/Real/x.Dat"));
    EXPECT_TRUE(QFileInfo::exists(elsewhere.path() + "/Data/y.Dat"));
}

TEST(RemoveTrendLeftovers, RemovesOnlyTemporaryTrendFilesOfTheMonthFolders) {
    testsupport::TempProgramFolder folder;
    const QString program = folder.path();
    const QString data = program + "/Data";
    const QString temp = TrendTempPath("a.Dat");
    touch(data + "/26/05/" + temp);
    touch(data + "/26/05/.hidden" + temp);
    touch(data + "/25/12/" + temp);
    for (const QString& kept :
         QStringList{"26/05/a.Dat", "26/05/a.DAT.PART", "26/05/a.Dat.partial",
                     QString("x") + TrendTempSuffix, "26/" + temp, "26/05/deeper/" + temp})
        touch(data + "/" + kept);
    touch(program + "/Outside/" + temp);
    touch(program + "/Elsewhere/05/" + temp);
    ASSERT_TRUE(QFile::link(program + "/Outside", data + "/26/linked"));
    ASSERT_TRUE(QFile::link(program + "/Elsewhere", data + "/27"));
    ASSERT_TRUE(QFile::link(program + "/Outside/" + temp, data + "/26/05/link" + temp));

    EXPECT_TRUE(RemoveTrendLeftovers(data));
    QStringList left;
    for (const QString& month : QStringList{"26/05", "25/12"})
        for (const QString& name :
             QDir(data + "/" + month)
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            left << month + "/" + name;
    left.sort();
    EXPECT_EQ(left, (QStringList{"26/05/a.DAT.PART", "26/05/a.Dat", "26/05/a.Dat.partial",
                                 "26/05/deeper", "26/05/link" + temp}));
    for (const QString& kept :
         {data + "/x" + TrendTempSuffix, data + "/26/" + temp, data + "/26/05/deeper/" + temp,
          program + "/Outside/" + temp, program + "/Elsewhere/05/" + temp})
        EXPECT_TRUE(QFileInfo::exists(kept)) << kept.toStdString();
    EXPECT_FALSE(RemoveTrendLeftovers(""));
    EXPECT_FALSE(RemoveTrendLeftovers("Data"));
}

// ---- the trend file of a record being stored ------------------------------------------------

namespace {

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Samples of `records` records written through the writer.
void writeSamples(TrendWriter& writer, const QString& path, int records, float value) {
    TrendFile& file = writer.open(path);
    for (int r = 1; r <= records; ++r)
        PutSample(r, file, 4, value, rt::OleDate(46000.0 + r / 1440.0));
    writer.flush();
    // On the disk, as the writing thread leaves it.
    WaitForTrendWrites();
}

}  // namespace

// Before the header row's COMMIT the samples are on the disk under the name tied to the row;
// after it they take the trend file's name. A record not stored leaves nothing.
TEST(TrendWriter, SamplesAreKeptForTheirRowUntilItIsStoredThenPutInPlace) {
    testsupport::TempProgramFolder folder;
    const QString month = folder.path() + "/Data/26/05";
    QDir().mkpath(month);
    const QString path = month + "/iv01.Dat";
    {
        TrendWriter writer;
        writeSamples(writer, path, 3, 1.5f);
        EXPECT_EQ(filesIn(month), QStringList{"iv01.Dat.part"});
        writer.prepare(17);
        EXPECT_EQ(filesIn(month), QStringList{"iv01.Dat.17.ready"});
        EXPECT_EQ(bytesOf(month + "/iv01.Dat.17.ready").size(), 3 * TrendRecordSize - 6);
        writer.commit();
    }
    EXPECT_EQ(filesIn(month), QStringList{"iv01.Dat"});
    // Prepared and then given up (the COMMIT failed): nothing stays.
    {
        TrendWriter writer;
        writeSamples(writer, month + "/iv02.Dat", 2, 2.5f);
        writer.prepare(18);
        writer.discard();
    }
    EXPECT_EQ(filesIn(month), QStringList{"iv01.Dat"});
}

// A stored record's trend file that is missing or short takes the samples of a new download;
// one that holds as much stays as it is.
TEST(TrendWriter, MendingReplacesOnlyAMissingOrShorterStoredFile) {
    testsupport::TempProgramFolder folder;
    const QString month = folder.path() + "/Data/26/05";
    QDir().mkpath(month);
    const QString path = month + "/iv01.Dat";
    const struct {
        const char* what;
        std::optional<int> storedRecords;  // none: missing
        bool replaced;
    } cases[] = {
        {"missing", std::nullopt, true},
        {"short", 2, true},
        {"as long", 4, false},
        {"longer", 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        QByteArray stored;
        if (c.storedRecords) {
            TrendWriter writer;
            writeSamples(writer, path, *c.storedRecords, 9.0f);
            writer.prepare(1);
            writer.commit();
            stored = bytesOf(path);
        }
        TrendWriter writer;
        writeSamples(writer, path, 4, 1.0f);
        const QByteArray fresh = bytesOf(TrendTempPath(path));
        writer.mend();
        EXPECT_EQ(bytesOf(path), c.replaced ? fresh : stored);
        EXPECT_EQ(filesIn(month), QStringList{"iv01.Dat"});
    }
}

// The trend files of rows being deleted are kept aside, under names tied to their rows, until
// the rows are gone; then removed. Put back when the rows stay.
TEST(TrendFileDeletion, FilesAreKeptAsideUntilTheRowsAreDeleted) {
    testsupport::TempProgramFolder folder;
    const QString month = folder.path() + "/Data/26/05";
    QDir().mkpath(month);
    for (const char* name : {"a.Dat", "b.Dat", "other.Dat"}) {
        QFile f(month + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    ASSERT_TRUE(QFile::link(folder.path() + "/elsewhere", month + "/link.Dat"));
    const std::vector<TrendFileDeletion::File> files = {{month + "/a.Dat", 3},
                                                        {month + "/b.Dat", 4},
                                                        {month + "/gone.Dat", 5},
                                                        {month + "/link.Dat", 6}};
    {
        TrendFileDeletion deletion;
        deletion.setAside(files);
        EXPECT_EQ(filesIn(month), (QStringList{"a.Dat.3.deleted", "b.Dat.4.deleted",
                                               "link.Dat.6.deleted", "other.Dat"}));
        // The rows stay (the deletion failed): the files come back.
    }
    EXPECT_EQ(filesIn(month), (QStringList{"a.Dat", "b.Dat", "link.Dat", "other.Dat"}));
    EXPECT_TRUE(QFileInfo(month + "/link.Dat").isSymLink());
    {
        TrendFileDeletion deletion;
        deletion.setAside(files);
        EXPECT_TRUE(deletion.rowsDeleted().empty());
    }
    EXPECT_EQ(filesIn(month), QStringList{"other.Dat"});
}

// A file that cannot be kept aside deletes nothing: those kept aside before it come back.
TEST(TrendFileDeletion, AFileThatCannotBeKeptAsideKeepsEveryFile) {
    testsupport::TempProgramFolder folder;
    const QString month = folder.path() + "/Data/26/05";
    QDir().mkpath(month);
    for (const char* name : {"a.Dat", "b.Dat"}) {
        QFile f(month + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    platform::setFileStepWatcher([](platform::FileStep step, const QString& path) {
        return step == platform::FileStep::Rename && path.endsWith("b.Dat") ? EBUSY : 0;
    });
    TrendFileDeletion deletion;
    EXPECT_THROW(deletion.setAside({{month + "/a.Dat", 1}, {month + "/b.Dat", 2}}),
                 rt::RuntimeError);
    platform::setFileStepWatcher({});
    EXPECT_EQ(filesIn(month), (QStringList{"a.Dat", "b.Dat"}));
}

TEST(KeptTrendFiles, NamesTieEachFileToItsTrendFileAndRow) {
    testsupport::TempProgramFolder folder;
    const QString data = folder.path() + "/Data";
    const QString month = data + "/26/05";
    QDir().mkpath(month);
    for (const char* name :
         {"iv01.Dat.17.ready", "al.x.Dat.4.deleted", "iv01.Dat", "iv01.Dat.part", "x.ready",
          "iv01.Dat.ready", "iv01.Dat.1a.ready", ".7.deleted", "iv02.Dat.-3.deleted"}) {
        QFile f(month + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(data + "/26/x.Dat.1.ready");  // a folder of that name
    QStringList found;
    for (const KeptTrendFile& kept : KeptTrendFiles(data))
        found << QStringLiteral("%1 %2 %3 %4")
                     .arg(QFileInfo(kept.path).fileName(), QFileInfo(kept.trendPath).fileName())
                     .arg(kept.seqNo)
                     .arg(kept.deleted ? "deleted" : "ready");
    found.sort();
    EXPECT_EQ(found, (QStringList{"al.x.Dat.4.deleted al.x.Dat 4 deleted",
                                  "iv01.Dat.17.ready iv01.Dat 17 ready",
                                  "iv02.Dat.-3.deleted iv02.Dat -3 deleted"}));
}
