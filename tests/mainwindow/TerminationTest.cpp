#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include "core/ModMain.h"
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
struct TerminatedWindow : InstrumentWindow {
    struct Save {
        bool busy;
        bool progressShown;
    };
    // The signals at their defaults, however the test program was started.
    testsupport::SignalDispositions defaults;
    platform::TerminationSignals termination;
    // Every time the settings file was written: whether a command ran and showed its progress.
    std::vector<Save> saves;

    // How often the window told the program to end.
    int ends = 0;

    explicit TerminatedWindow(bool removal = true) {
        QObject::connect(&termination, &platform::TerminationSignals::received, window.get(),
                         &shell::FrmMain::Terminate);
        QObject::connect(window.get(), &shell::FrmMain::terminated, [this] { ++ends; });
        rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        window->downloadPage->chkAutoLoad[0]->click();
        if (removal) window->downloadPage->chkAutoLoad[1]->click();
        rig.dialogs.messages.clear();
        QObject::connect(window.get(), &shell::FrmMain::aboutToSaveSettings, [this] {
            saves.push_back({window->busy.busy(), window->frmUpload->isVisible()});
        });
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
            ASSERT_EQ(raise(signal), 0);
            w.settle();
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
        ASSERT_EQ(raise(SIGTERM), 0);
        w.settle();
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
    std::vector<int> ended;
    w.window->endProcess = [&ended](int status) { ended.push_back(status); };
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

TEST(Termination, AWindowThreadThatDoesNotComeBackIsEndedAtTheLimit) {
    TerminatedWindow w;
    w.window->terminationLimitMs = 100;
    std::atomic<int> ends{0};
    std::atomic<bool> elsewhere{false};
    const std::thread::id window = std::this_thread::get_id();
    w.window->endProcess = [&](int status) {
        if (status == 0) ++ends;
        elsewhere = std::this_thread::get_id() != window;
    };
    ASSERT_EQ(raise(SIGTERM), 0);
    {
        mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
        w.settle();
        // The window thread held up, as by a call that does not return.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        EXPECT_EQ(ends, 1);
        EXPECT_TRUE(elsewhere);
    }
    w.settle();
}
