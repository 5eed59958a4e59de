#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <csignal>

#include "platform/TerminationSignals.h"
#include "runtime/RuntimeError.h"

using platform::TerminationSignals;

namespace {

// What the process does with `signal` now.
void (*disposition(int signal))(int) {
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

TEST(TerminationSignals, EachSignalArrivesOnTheEventLoopAndTheDefaultsComeBack) {
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
    // A disposition the program found (here: SIGHUP ignored, as nohup starts a program).
    ASSERT_NE(signal(SIGHUP, SIG_IGN), SIG_ERR);
    {
        TerminationSignals termination;
        EXPECT_NE(disposition(SIGHUP), SIG_IGN);
        EXPECT_THROW(TerminationSignals second, rt::RuntimeError);
        // The refused second object changed nothing.
        QSignalSpy received(&termination, &TerminationSignals::received);
        ASSERT_EQ(raise(SIGTERM), 0);
        settle();
        EXPECT_EQ(received.count(), 1);
    }
    EXPECT_EQ(disposition(SIGHUP), SIG_IGN);
    EXPECT_EQ(disposition(SIGTERM), SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    // Once the first is gone, another may be made.
    EXPECT_NO_THROW(TerminationSignals again);
}
