#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/ModMain.h"
#include "platform/FileSteps.h"
#include "platform/TerminationSignals.h"
#include "platform/Waiting.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/SignalDispositions.h"

using platform::MsgAnswer;
using testsupport::Fault;
using testsupport::InstrumentWindow;

namespace {

const QString AutoStart = "QM-73 Start Automatic Download.";
const QString AutoFailed = "QM-73 Automatic Download Failed.";
const QString Canceled = "Cominucation Canceled.";

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A started window whose program ends on the termination signals as the program's main() makes
// it, with the automatic mode switched on by its boxes as the user does it. The signal
// handling goes (and the signals' defaults come back) before the window.
// How the process's limit ended the program (from its own thread).
struct LimitEnds {
    std::mutex mutex;
    std::vector<int> statuses;
    std::vector<int> taken() {
        const std::lock_guard<std::mutex> lock(mutex);
        return statuses;
    }
    platform::TerminationSignals::EndProcess recorder() {
        return [this](int status) {
            const std::lock_guard<std::mutex> lock(mutex);
            statuses.push_back(status);
        };
    }
};

struct TerminatedWindow : InstrumentWindow {
    struct Save {
        bool busy;
        bool progressShown;
    };
    // The signals at their defaults, however the test program was started.
    testsupport::SignalDispositions defaults;
    LimitEnds limitEnds;
    platform::TerminationSignals termination;
    int received = 0;
    // Every time the settings file was written: whether a command ran and showed its progress.
    std::vector<Save> saves;

    // How often the window told the program to end.
    int ends = 0;

    explicit TerminatedWindow(bool removal = true,
                              int limitMs = platform::TerminationSignals::EndLimitMs)
        : termination(limitMs, limitEnds.recorder()) {
        // As the program's main() does: the window's grace counts from the signal.
        QObject::connect(&termination, &platform::TerminationSignals::received, window.get(),
                         [this] {
                             ++received;
                             window->Terminate(termination.msSinceFirstSignal());
                         });
        window->endProcess = [this](int status) { windowEnds.push_back(status); };
        QObject::connect(window.get(), &shell::FrmMain::terminated, [this] { ++ends; });
        rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        window->downloadPage->chkAutoLoad[0]->click();
        if (removal) window->downloadPage->chkAutoLoad[1]->click();
        rig.dialogs.messages.clear();
        QObject::connect(window.get(), &shell::FrmMain::aboutToSaveSettings, [this] {
            saves.push_back({window->busy.busy(), window->frmUpload->isVisible()});
        });
    }

    // How the window ended the program itself (the end without the work).
    std::vector<int> windowEnds;

    // `signal` sent, and taken by the window.
    void deliver(int signal) {
        const int before = received;
        ASSERT_EQ(raise(signal), 0);
        for (int i = 0; i < 2000 && received == before; ++i) {
            settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_GT(received, before);
        settle();
    }

    QByteArray settingsFile() const { return readFile(rig.folder.paths().settingsFile()); }
    // The window was unloaded: the last save came when no command ran.
    bool unloaded() const { return !saves.empty() && !saves.back().busy; }
};

}  // namespace

TEST(Termination, EachSignalSavesTheSettingsAndClosesWithoutAQuestion) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const auto before = testsupport::SignalDispositions::now(signal);
        {
            TerminatedWindow w;
            ASSERT_TRUE(w.settingsFile().isEmpty());
            w.deliver(signal);
            EXPECT_FALSE(w.window->isVisible());
            EXPECT_TRUE(w.rig.dialogs.messages.empty());
            ASSERT_EQ(w.saves.size(), 1u);
            EXPECT_TRUE(w.unloaded());
            EXPECT_EQ(w.ends, 1);
            EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tTrue\r\n"))
                << w.settingsFile().toStdString();
        }
        EXPECT_EQ(testsupport::SignalDispositions::now(signal), before);
    }
}

TEST(Termination, ARunningDownloadIsCancelledFirstThenTheSettingsAreSaved) {
    TerminatedWindow w;
    w.fake.linesPerBlock = 1;
    // The signal comes while the window waits for the instrument's trend, its progress shown.
    bool progressShown = false;
    w.onRequest = [&](const QString& body) {
        if (body != "DR,R,") return;
        w.rig.serial.engine.faults.assign(1, Fault{Fault::Late, 20});
        progressShown = w.window->frmUpload->isVisible();
        raise(SIGTERM);
    };
    for (int i = 0; i < 200 && w.window->isVisible(); ++i)
        w.tick();
    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(w.window->isVisible());
    const QStringList lines = w.statusTexts();
    EXPECT_TRUE(lines.contains(Canceled)) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.last(), AutoFailed);
    // Nothing was erased; the settings were saved once the run had ended.
    EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
    EXPECT_FALSE(w.fake.intervals.empty());
    EXPECT_TRUE(w.unloaded());
    EXPECT_FALSE(w.saves.back().progressShown);
    EXPECT_FALSE(w.window->busy.busy());
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tTrue\r\n"));
}

TEST(Termination, TheWindowWaitsForTheCommandAndNoInstrumentStartsADownloadMeanwhile) {
    TerminatedWindow w(false);
    {
        // A command of the window runs while the signal comes and the instrument connects.
        mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
        w.deliver(SIGTERM);
        EXPECT_TRUE(w.window->isVisible());
        for (int i = 0; i < 20 && !w.window->uclVY5103.Connected(); ++i)
            w.tick();
        ASSERT_TRUE(w.window->uclVY5103.Connected());
        // A second signal changes nothing.
        ASSERT_EQ(raise(SIGINT), 0);
        w.tick(3);
        EXPECT_TRUE(w.window->isVisible());
        EXPECT_TRUE(w.saves.empty());
    }
    w.settle();
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_FALSE(w.statusTexts().contains(AutoStart));
    EXPECT_FALSE(w.rig.serial.engine.requests.contains("DR,R,"));
    ASSERT_EQ(w.saves.size(), 1u);
    EXPECT_TRUE(w.unloaded());
    EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tFalse\r\n"));
}

TEST(Termination, AModalDialogOpenWhenTheSignalComesIsDismissed) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QDialog>(QWidget*)> make;
        int answer;  // what the dialog's exec() returns once dismissed
    };
    const std::vector<Case> cases = {
        {"a dialog",
         [](QWidget* parent) {
             auto dialog = std::make_unique<QDialog>(parent);
             dialog->setModal(true);
             return dialog;
         },
         QDialog::Rejected},
        // A question without a button that stands for "no" or "cancel": none is taken.
        {"a question",
         [](QWidget* parent) {
             return std::make_unique<QMessageBox>(QMessageBox::Question, "QM-73", "End ?",
                                                  QMessageBox::Yes | QMessageBox::Abort, parent);
         },
         QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminatedWindow w;
        const std::unique_ptr<QDialog> dialog = c.make(w.window.get());
        int answer = -1;
        {
            mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
            QTimer::singleShot(0, dialog.get(), [] { raise(SIGTERM); });
            // Should the dialog stay, the test still ends.
            QTimer::singleShot(10000, dialog.get(), [&dialog] { dialog->done(-2); });
            answer = dialog->exec();
        }
        w.settle();
        EXPECT_EQ(answer, c.answer);
        EXPECT_FALSE(w.window->isVisible());
        EXPECT_TRUE(w.unloaded());
    }
}

TEST(Termination, WorkThatNeverEndsEndsTheProgramInTimeWithItsSettingsSaved) {
    // A print system that never answers: the command waits for it off the window thread.
    TerminatedWindow w;
    w.window->terminationGraceMs = 200;
    std::vector<int>& ended = w.windowEnds;
    std::atomic<bool> answered{false};
    {
        mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
        QTimer::singleShot(0, [] { raise(SIGTERM); });
        QTimer::singleShot(1500, [&answered] { answered = true; });
        platform::RunOffWindowThread([&answered] {
            while (!answered)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        // The program was ended before the work came back, its settings saved.
        EXPECT_EQ(ended, std::vector<int>{0});
        ASSERT_EQ(w.saves.size(), 1u);
        EXPECT_TRUE(w.saves.back().busy);
        EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tTrue\r\n"));
    }
    w.settle();
    EXPECT_EQ(ended, std::vector<int>{0});
    EXPECT_EQ(w.saves.size(), 1u);
}

// A signal that comes while the user's close saves the settings (its sync slow), and the end of
// its grace, wait for that save: the settings are written once, whole, the close is not told as
// failed, and the program ends with success.
TEST(Termination, ASignalDuringASaveOfTheSettingsWaitsForItAndTheyAreSavedOnce) {
    TerminatedWindow w;
    // The end without the running work comes while the save still waits.
    w.window->terminationGraceMs = 50;
    const QString settings = w.rig.folder.paths().settingsFile();
    std::atomic<int> writes{0};
    std::atomic<bool> inside{false};
    platform::setFileStepWatcher([&](platform::FileStep step, const QString& path) {
        if (!path.startsWith(settings)) return 0;
        if (step == platform::FileStep::Write) ++writes;
        if (step == platform::FileStep::SyncFile && !inside.exchange(true)) {
            raise(SIGTERM);
            // Long enough for the window to take the signal while the save waits.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        return 0;
    });
    w.rig.dialogs.answers = {MsgAnswer::Yes};
    w.window->close();
    for (int i = 0; i < 100 && w.ends == 0 && w.windowEnds.empty(); ++i) {
        w.settle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    platform::setFileStepWatcher({});
    EXPECT_TRUE(inside);
    EXPECT_EQ(w.received, 1);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(w.saves.size(), 1u);
    // Ended once the save had ended, the settings saved.
    EXPECT_EQ(w.ends + w.windowEnds.size(), 1u);
    if (!w.windowEnds.empty()) {
        EXPECT_EQ(w.windowEnds, std::vector<int>{0});
    }
    // Only the question of the close: no box told the save failed.
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_NE(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tTrue\r\n"));
}

// The save of the settings has time of its own before the process's limit, even when it is
// slow; when the limit still cuts it (a sync that does not come back, or a window thread held
// before it could take the signal at all) the end is no success: status 1 and one line.
TEST(Termination, TheSettingsSaveHasItsOwnTimeAndItsLossAtTheLimitIsTold) {
    const struct {
        const char* name;
        // The settings file's step held, and how: until the limit ended the program, or for a
        // while.
        platform::FileStep held;
        bool untilTheLimit;
        // The signal comes from inside the held step, before the window could take it.
        bool signalInside;
        std::vector<int> limitEnds;
    } cases[] = {
        // Saved in time: the window ended the program; the limit, which comes all the same
        // here, finds nothing unsaved.
        {"a slow sync", platform::FileStep::SyncFile, false, false, {0}},
        {"a sync that does not come back", platform::FileStep::SyncFile, true, false, {1}},
        {"a write held when the signal comes", platform::FileStep::Write, true, true, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TerminatedWindow w(true, 1500);
        w.window->terminationGraceMs = 100;
        const QString settings = w.rig.folder.paths().settingsFile();
        std::atomic<bool> inside{false};
        platform::setFileStepWatcher([&](platform::FileStep step, const QString& path) {
            if (step != c.held || !path.startsWith(settings) || inside.exchange(true)) return 0;
            if (c.signalInside) raise(SIGTERM);
            // A real wait, short: the limit is 1.5 s.
            const QDeadlineTimer deadline(c.untilTheLimit ? 5000 : 300);
            while (!deadline.hasExpired() && (!c.untilTheLimit || w.limitEnds.taken().empty()))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return 0;
        });
        std::atomic<bool> answered{false};
        {
            // Work that never ends (a print system that does not answer).
            mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
            if (c.signalInside)
                QTimer::singleShot(0, [&w] {
                    // Its outcome is not this case's: the end's save runs inside its wait.
                    try {
                        w.window->SaveDisplaySettings();
                    } catch (const std::exception&) {
                    }
                });
            else
                QTimer::singleShot(0, [] { raise(SIGTERM); });
            QTimer::singleShot(2500, [&answered] { answered = true; });
            platform::RunOffWindowThread([&answered] {
                while (!answered)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            });
        }
        platform::setFileStepWatcher({});
        w.settle();
        EXPECT_TRUE(inside);
        EXPECT_EQ(w.limitEnds.taken(), c.limitEnds);
        if (c.limitEnds == std::vector<int>{0}) {
            EXPECT_EQ(w.windowEnds, std::vector<int>{0});
            EXPECT_TRUE(w.settingsFile().contains("\r\nAuto Load Mode\tFalse\tTrue\tTrue\r\n"));
        }
    }
}
