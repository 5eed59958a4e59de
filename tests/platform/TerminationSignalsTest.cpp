#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSignalSpy>

#include <QDeadlineTimer>
#include <QTemporaryFile>
#include <chrono>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/TerminationSignals.h"
#include "runtime/RuntimeError.h"
#include "tests/support/SignalDispositions.h"

using platform::TerminationSignals;
using testsupport::SignalDispositions;

namespace {

SignalDispositions::Handler disposition(int signal) {
    return SignalDispositions::now(signal);
}

// A handler of the program's own, found by the object.
extern "C" void ownHandler(int) {}

// The signals reach the event loop through the object's thread: a short while lets them in.
void settle() {
    const QDeadlineTimer deadline(100);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// What the standard error received while it lived.
class CapturedStderr {
  public:
    CapturedStderr() : saved_(::dup(STDERR_FILENO)) {
        file_.open();
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~CapturedStderr() {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QByteArray text() {
        file_.seek(0);
        return file_.readAll();
    }

  private:
    int saved_;
    QTemporaryFile file_;
};

// The program ends as the object's limit ends it: its status, and whether on the thread that
// made the object.
struct Ends {
    std::mutex mutex;
    std::vector<int> statuses;
    bool onTheWindowThread = false;
    std::function<void(int)> recorder() {
        const std::thread::id window = std::this_thread::get_id();
        return [this, window](int status) {
            const std::lock_guard<std::mutex> lock(mutex);
            statuses.push_back(status);
            onTheWindowThread = onTheWindowThread || std::this_thread::get_id() == window;
        };
    }
    std::vector<int> taken() {
        const std::lock_guard<std::mutex> lock(mutex);
        return statuses;
    }
};

}  // namespace

TEST(TerminationSignals, EachSignalArrivesOnTheEventLoopAndTheDefaultsComeBack) {
    const SignalDispositions defaults;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(disposition(signal), SIG_DFL);
        {
            TerminationSignals termination;
            QSignalSpy received(&termination, &TerminationSignals::received);
            ASSERT_EQ(raise(signal), 0);
            // Nothing happens inside the handler: the signal comes through the event loop.
            EXPECT_EQ(received.count(), 0);
            settle();
            ASSERT_EQ(received.count(), 1);
            EXPECT_EQ(received[0][0].toInt(), signal);
            // Every delivery is told.
            ASSERT_EQ(raise(signal), 0);
            ASSERT_EQ(raise(signal), 0);
            settle();
            EXPECT_EQ(received.count(), 3);
        }
        EXPECT_EQ(disposition(signal), SIG_DFL);
    }
}

TEST(TerminationSignals, OneObjectAtATimeAndWhatWasThereBeforeComesBack) {
    const SignalDispositions found({SIGTERM, SIGINT}, SIG_DFL);
    SignalDispositions own({SIGHUP}, ownHandler);
    {
        TerminationSignals termination;
        EXPECT_NE(disposition(SIGHUP), ownHandler);
        EXPECT_THROW(TerminationSignals second, rt::RuntimeError);
        // The refused second object changed nothing.
        QSignalSpy received(&termination, &TerminationSignals::received);
        ASSERT_EQ(raise(SIGTERM), 0);
        settle();
        EXPECT_EQ(received.count(), 1);
    }
    EXPECT_EQ(disposition(SIGHUP), ownHandler);
    EXPECT_EQ(disposition(SIGTERM), SIG_DFL);
    // Once the first is gone, another may be made.
    EXPECT_NO_THROW(TerminationSignals again);
}

// A program started under nohup finds SIGHUP ignored; a background job of a shell finds
// SIGINT ignored. Those stay ignored while the program runs and after: the program does not end
// when the terminal hangs up or Ctrl+C is pressed in it. The others are handled as ever.
TEST(TerminationSignals, SignalsFoundIgnoredStayIgnored) {
    const struct {
        const char* name;
        int ignored;
    } cases[] = {{"under nohup", SIGHUP}, {"as a background job", SIGINT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SignalDispositions defaults;
        SignalDispositions started({c.ignored}, SIG_IGN);
        {
            TerminationSignals termination;
            QSignalSpy received(&termination, &TerminationSignals::received);
            for (const int signal : TerminationSignals::Handled) {
                EXPECT_EQ(termination.handles(signal), signal != c.ignored) << signal;
                EXPECT_EQ(disposition(signal) == SIG_IGN, signal == c.ignored) << signal;
            }
            ASSERT_EQ(raise(c.ignored), 0);
            settle();
            EXPECT_EQ(received.count(), 0);
            ASSERT_EQ(raise(SIGTERM), 0);
            settle();
            ASSERT_EQ(received.count(), 1);
            EXPECT_EQ(received[0][0].toInt(), SIGTERM);
        }
        EXPECT_EQ(disposition(c.ignored), SIG_IGN);
        EXPECT_EQ(disposition(SIGTERM), SIG_DFL);
    }
}

// Once the program is ending, a second request changes nothing, also after the object is gone
// while the rest of the program is taken down.
TEST(TerminationSignals, OnceTheProgramEndsTheSignalsAreIgnoredToTheEnd) {
    const SignalDispositions defaults;
    {
        TerminationSignals termination;
        QSignalSpy received(&termination, &TerminationSignals::received);
        termination.ignoreFromNowOn();
        for (const int signal : TerminationSignals::Handled) {
            EXPECT_EQ(disposition(signal), SIG_IGN) << signal;
            ASSERT_EQ(raise(signal), 0);
        }
        settle();
        EXPECT_EQ(received.count(), 0);
    }
    for (const int signal : TerminationSignals::Handled) {
        EXPECT_EQ(disposition(signal), SIG_IGN) << signal;
        ASSERT_EQ(raise(signal), 0);
    }
}

// The limit is started by the signal itself, on the object's own thread: the thread that made
// the object may be held all along (a write or a sync that does not return, a box), and never
// hears of the signal. The end says what it loses.
TEST(TerminationSignals, TheFirstSignalEndsTheProgramAtTheLimitWhateverHoldsTheWindowThread) {
    const struct {
        const char* name;
        QString unsaved;
        int status;
    } cases[] = {
        {"nothing unsaved", QString(), 0},
        {"the settings unsaved", QStringLiteral("The settings were not saved."), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SignalDispositions defaults;
        Ends ends;
        CapturedStderr captured;
        platform::setUnsavedAtTheEnd(c.unsaved);
        {
            TerminationSignals termination(150, ends.recorder());
            ASSERT_EQ(termination.msSinceFirstSignal(), 0);
            ASSERT_EQ(raise(SIGTERM), 0);
            // A second request does not put the limit off.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ASSERT_EQ(raise(SIGINT), 0);
            // Held: no event of this thread runs.
            const QDeadlineTimer held(3000);
            while (ends.taken().empty() && !held.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const qint64 since = termination.msSinceFirstSignal();
            EXPECT_GE(since, 150);
            EXPECT_LT(since, 1500);
            EXPECT_EQ(ends.taken(), std::vector<int>{c.status});
            EXPECT_FALSE(ends.onTheWindowThread);
        }
        platform::setUnsavedAtTheEnd({});
        EXPECT_EQ(captured.text(), c.unsaved.isEmpty() ? QByteArray() : c.unsaved.toUtf8() + "\n");
    }
}

// Started with the termination signals blocked (as some service managers and shells leave
// them), the program still takes them; one that waited arrives at once.
TEST(TerminationSignals, SignalsFoundBlockedAreTaken) {
    SignalDispositions defaults;
    sigset_t handled, before;
    sigemptyset(&handled);
    for (const int signal : TerminationSignals::Handled)
        sigaddset(&handled, signal);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &handled, &before), 0);
    // One that came before the program took the signals.
    ASSERT_EQ(raise(SIGHUP), 0);
    std::vector<int> got;
    Ends ends;
    {
        TerminationSignals termination(TerminationSignals::EndLimitMs, ends.recorder());
        QObject::connect(&termination, &TerminationSignals::received,
                         [&got](int signal) { got.push_back(signal); });
        settle();
        for (const int signal : {SIGTERM, SIGINT})
            ASSERT_EQ(raise(signal), 0);
        settle();
    }
    // Whatever is still waiting (the former code never took them) goes before the mask and
    // the defaults come back.
    const struct timespec none = {0, 0};
    while (sigtimedwait(&handled, nullptr, &none) > 0) {
    }
    ASSERT_EQ(pthread_sigmask(SIG_SETMASK, &before, nullptr), 0);
    EXPECT_EQ(got, (std::vector<int>{SIGHUP, SIGTERM, SIGINT}));
}
