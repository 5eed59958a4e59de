#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <map>

#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "platform/FileSteps.h"
#include "records/ClsIntervals.h"
#include "tests/support/Files.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/SlowSteps.h"

using testsupport::FakeQM73;
using testsupport::Fault;
using testsupport::InstrumentWindow;

namespace {

using DataFiles = std::map<QString, QByteArray>;

// Every file under the data folder, by its path inside it, with its bytes.
DataFiles dataFiles(const InstrumentWindow& w) {
    const QString data = w.rig.folder.paths().dataFolder();
    DataFiles files;
    QDirIterator it(data, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(data).relativeFilePath(path)] = testsupport::readFile(path);
    }
    return files;
}

QStringList names(const DataFiles& files) {
    QStringList list;
    for (const auto& file : files)
        list << file.first;
    return list;
}

// A connected window whose instrument information has been read.
struct ReadWindow : InstrumentWindow {
    ReadWindow() {
        EXPECT_TRUE(connect());
        click(1);
    }

    // Downloads the interval trend and presses Cancel while block `blocks` (one line a block)
    // is late: the blocks before it have been decoded.
    void cancelIntervalDownloadAt(int blocks) {
        fake.linesPerBlock = 1;
        auto& engine = rig.serial.engine;
        onRequest = [&engine, blocks](const QString& body) {
            if (body != "DR,R,") return;
            engine.faults.assign(blocks, Fault{});
            engine.faults.push_back(Fault{Fault::Late, 20});
        };
        const auto plainTick = rig.pump.tick;
        bool pressed = false;
        rig.pump.tick = [this, plainTick, &pressed] {
            if (!pressed && rig.serial.engine.faults.empty() && onRequest) {
                pressed = true;
                QMetaObject::invokeMethod(
                    window->frmUpload.get(), [this] { window->frmUpload->cmdUpload->click(); },
                    Qt::QueuedConnection);
            }
            plainTick();
        };
        click(2);
        rig.pump.tick = plainTick;
        onRequest = {};
        fake.linesPerBlock = FakeQM73().linesPerBlock;
        EXPECT_TRUE(pressed);
        EXPECT_EQ(statusTexts().last(), "Cominucation Canceled.");
    }

    int intervalHeads() {
        return db().query("Select SeqNo From Log_Head Where Types=1").rowCount();
    }
};

// Past the header lines and into the samples of gas 4 of the first recording.
constexpr int BlocksIntoTheSamples = 23;

}  // namespace

TEST(DownloadTrendFiles, ACancelledDownloadLeavesNoFileInTheDataFolder) {
    ReadWindow w;
    const DataFiles before = dataFiles(w);
    w.cancelIntervalDownloadAt(BlocksIntoTheSamples);
    EXPECT_EQ(w.intervalHeads(), 0);
    EXPECT_EQ(names(dataFiles(w)), names(before));
}

TEST(DownloadTrendFiles, AStoredTrendFileOutlivesASecondDownloadThatEndsUnstored) {
    struct Case {
        const char* name;
        std::function<void(ReadWindow&)> secondDownload;
    };
    const std::vector<Case> cases = {
        {"cancelled", [](ReadWindow& w) { w.cancelIntervalDownloadAt(BlocksIntoTheSamples); }},
        {"killed",
         [](ReadWindow& w) {
             // The lines decode into a download's records; the program is killed before
             // they are stored, leaving on disk what was written so far.
             const DataFiles stored = dataFiles(w);
             DataFiles left;
             {
                 records::clsIntervals killed;
                 const QStringList lines = w.fake.intervalLines();
                 killed.SaveRoutingState();
                 for (const QString& line : lines)
                     ASSERT_TRUE(killed.SetDatas(line, true));
                 killed.RestoreRoutingState();
                 for (const QString& line : lines)
                     killed.SetDatas(line, false);
                 for (const auto& record : killed)
                     record->closeTrendFile();
                 core::WaitForTrendWrites();
                 for (const auto& [name, bytes] : dataFiles(w))
                     if (!stored.count(name)) left[name] = bytes;
             }
             EXPECT_FALSE(left.empty());
             for (const auto& [name, bytes] : left)
                 testsupport::writeFile(w.rig.folder.paths().dataFolder() + "/" + name, bytes);
             // The next start of the program.
             w.window.reset();
             w.start();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadWindow w;
        w.click(2);
        ASSERT_EQ(w.intervalHeads(), 2);
        const DataFiles stored = dataFiles(w);
        ASSERT_EQ(stored.size(), 2u);
        // The instrument now holds other recordings that start on the same seconds, made
        // under another user: not the stored ones, but written to the same file names.
        w.fake.user = "USER02";
        for (auto& recording : w.fake.intervals)
            for (uint16_t& count : recording.gas4)
                count = static_cast<uint16_t>(count ^ 0x0101);

        c.secondDownload(w);
        EXPECT_EQ(w.intervalHeads(), 2);
        EXPECT_EQ(dataFiles(w), stored);
    }
}

// The samples of a download reach the disk while the window goes on: on a disk where each
// write of a trend file lasts until the window's events have gone round, no write is taken on
// the window thread nor holds it, and the download stores the same trend file, byte for byte,
// as on a quick disk. One recording: the start of a second one's file is a step of the window
// thread, which the watcher (one step at a time) would take only after a slow write.
TEST(DownloadTrendFiles, SamplesWrittenToASlowDiskNeverHoldTheWindow) {
    DataFiles quick;
    {
        ReadWindow w;
        w.fake.intervals.resize(1);
        w.click(2);
        ASSERT_EQ(w.intervalHeads(), 1);
        quick = dataFiles(w);
    }
    ASSERT_EQ(quick.size(), 1u);
    ReadWindow w;
    w.fake.intervals.resize(1);
    // Bounded so that writes which do hold the window cost the run a few seconds, not minutes.
    testsupport::SlowSteps slow(platform::FileStep::Write, QStringLiteral(".Dat.part"), 300);
    w.click(2);
    EXPECT_EQ(w.statusTexts().last(), "QM-73 Interval Trend Download Complete.");
    EXPECT_GT(slow.steps(), 5);
    EXPECT_EQ(slow.onWindowThread(), 0);
    EXPECT_EQ(slow.windowHeld(), 0);
    EXPECT_EQ(w.intervalHeads(), 1);
    EXPECT_EQ(dataFiles(w), quick);
}
