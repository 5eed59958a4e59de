#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <optional>

#include "platform/FileSteps.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/OtherConnection.h"
#include "tests/support/UserInput.h"

using testsupport::InstrumentWindow;
using testsupport::OtherConnection;

// The user's input and the window's own work while the window waits: for a locked database,
// for a COMMIT, for the instrument.

namespace {

const QString AlarmUpdate = "Alarm Trend Update Database.";
const QString AlarmComplete = "QM-73 Alarm Trend Download Complete.";
constexpr int AlarmButton = 3;

// A connected window whose instrument information has been read.
struct ReadWindow : InstrumentWindow {
    ReadWindow() {
        EXPECT_TRUE(connect());
        click(1);
    }
};

// Runs `each` on every pass of the window's events until it is stopped.
class EveryPass {
  public:
    explicit EveryPass(std::function<void()> each) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, std::move(each));
        timer_.start();
    }

  private:
    QTimer timer_;
};

}  // namespace

TEST(WindowWaits, AClickDuringAStoresCommitIsTakenOnlyOnceTheStoreHasEnded) {
    // A slow disk keeps the COMMIT of the alarm trend waiting for its sync; meanwhile the user
    // clicks the Last Calibration page's menu button, whose page reads the database.
    ReadWindow w;
    QWidget* menu = w.window->cmdInst[3];
    std::optional<bool> storedWhenClicked;
    QObject::connect(w.window->cmdInst[3], &QAbstractButton::clicked,
                     [&] { storedWhenClicked = w.statusTexts().contains(AlarmComplete); });
    bool queued = false;
    std::atomic<int> passes{0};
    std::atomic<bool> waited{false};
    const QString log = w.rig.folder.paths().database() + "-wal";
    platform::setFileStepWatcher([&](platform::FileStep step, const QString& path) {
        if (step != platform::FileStep::SyncFile || path != log) return 0;
        QElapsedTimer held;
        held.start();
        while (passes < 20 && !held.hasExpired(3000))
            QThread::msleep(1);
        waited = waited || passes >= 20;
        return 0;
    });
    const auto unwatch = qScopeGuard([] { platform::setFileStepWatcher({}); });
    const EveryPass watch([&] {
        if (!w.statusTexts().contains(AlarmUpdate)) return;
        if (!std::exchange(queued, true)) testsupport::QueueClick(menu);
        ++passes;
    });
    w.click(AlarmButton);
    w.settle();
    ASSERT_TRUE(queued);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(w.statusTexts().contains(AlarmComplete));
    // The click was not lost, and it did not run in the middle of the store.
    EXPECT_EQ(storedWhenClicked, true);
    EXPECT_FALSE(w.fraMenuHidden(4));
}

TEST(WindowWaits, NoClickSlipsIntoAWaitNestedInAnotherOutsideACommand) {
    // A statement outside any command finds the database locked; while it waits, the window's
    // clock runs a statement of its own, which waits too. A click made then waits for both.
    InstrumentWindow w;
    OtherConnection other(w.rig.folder.paths().database());
    ASSERT_TRUE(other.holdWhole());
    // The test's own timer: it never fires after the test, into what has gone.
    QTimer letGo;
    letGo.setSingleShot(true);
    QObject::connect(&letGo, &QTimer::timeout, [&] { other.letGo(); });
    QWidget* menu = w.window->cmdInst[3];
    bool inStatement = false;
    std::optional<bool> clickedInStatement;
    QObject::connect(w.window->cmdInst[3], &QAbstractButton::clicked,
                     [&] { clickedInStatement = inStatement; });
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            testsupport::QueueClick(menu);
            letGo.start(100);
        });
        EXPECT_NO_THROW(w.db().query("Select Count(*) From Log_Head"));
    });
    inStatement = true;
    EXPECT_NO_THROW(w.db().query("Select SeqNo From Log_Head"));
    inStatement = false;
    w.settle();
    EXPECT_EQ(clickedInStatement, false);
}

TEST(WindowWaits, AnActionTakenDuringADownloadTellsItsErrorWhenItEnds) {
    // While the alarm trend comes in, the user opens the Last Calibration page, whose table
    // cannot be read: the error is told when that click's action ends, not when the download
    // does, minutes later.
    ReadWindow w;
    w.db().exec("Drop Table cLatestHist");
    QWidget* menu = w.window->cmdInst[3];
    std::optional<bool> downloadEndedWhenTold;
    w.rig.dialogs.onMessage = [&](const testsupport::ScriptedDialogs::Message& m) {
        if (m.text.contains("cLatestHist"))
            downloadEndedWhenTold = w.statusTexts().contains(AlarmComplete);
    };
    w.onRequest = [&](const QString& body) {
        if (body == "DJ,R,") testsupport::QueueClick(menu);
    };
    w.click(AlarmButton);
    w.settle();
    EXPECT_TRUE(w.statusTexts().contains(AlarmComplete));
    EXPECT_EQ(downloadEndedWhenTold, false);
}
