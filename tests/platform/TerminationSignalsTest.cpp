#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <csignal>

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

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

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
