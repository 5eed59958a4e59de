#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"
#include "tests/support/UserInput.h"

using platform::CommandScope;
using platform::UserInput;

namespace {

// A button the user clicks while the window thread waits: it counts the clicks that came
// through during the wait and those after it.
class ClickTarget {
  public:
    ClickTarget() {
        button_.resize(120, 40);
        button_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&button_));
        QObject::connect(&button_, &QPushButton::clicked, [this] {
            ++clicks;
            if (waiting) ++clicksDuringWait;
        });
    }
    void queueClick() { testsupport::QueueClick(&button_); }
    // What is left in the queue, the user's input included.
    void flush() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    bool waiting = false;
    int clicks = 0;
    int clicksDuringWait = 0;

  private:
    QPushButton button_;
};

// Waits about 80 ms through WaitWhile.
void waitAWhile(UserInput most = UserInput::Allowed) {
    bool over = false;
    QTimer::singleShot(80, [&] { over = true; });
    platform::WaitWhile([&] { return !over; }, most);
}

}  // namespace

TEST(Waiting, TheUserInputGoesThroughAWaitOnlyWhileACommandHasLockedItsControls) {
    const struct {
        const char* name;
        std::function<void(ClickTarget&)> wait;  // queues the click and waits
        bool through;
    } cases[] = {
        {"outside any command",
         [](ClickTarget& t) {
             t.queueClick();
             waitAWhile();
         },
         false},
        {"a command that locked its controls",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Allowed);
             t.queueClick();
             waitAWhile();
         },
         true},
        {"a command that holds the input",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Held);
             t.queueClick();
             waitAWhile();
         },
         false},
        {"a wait that holds it inside a command that allows it",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Allowed);
             t.queueClick();
             waitAWhile(UserInput::Held);
         },
         false},
        {"a retried statement inside a command that allows it",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Allowed);
             t.queueClick();
             int attempts = 0;
             platform::RetryWhile([&] {
                 std::this_thread::sleep_for(std::chrono::milliseconds(5));
                 return ++attempts < 16;
             });
         },
         false},
        {"work off the thread inside a command that allows it",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Allowed);
             t.queueClick();
             platform::RunOffWindowThread(
                 [] { std::this_thread::sleep_for(std::chrono::milliseconds(80)); });
         },
         false},
        // What runs inside a wait that holds the input (a timer) and starts a command of its
        // own, which allows the input, still waits with it held: a wait nested in another
        // never allows more than the outer one.
        {"a command started inside a wait that holds it",
         [](ClickTarget& t) {
             const CommandScope outer(UserInput::Allowed);
             QTimer::singleShot(0, [&t] {
                 const CommandScope inner(UserInput::Allowed);
                 t.queueClick();
                 waitAWhile();
             });
             platform::RunOffWindowThread(
                 [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
         },
         false},
        {"a long piece of work that breathes inside a command that allows it",
         [](ClickTarget& t) {
             const CommandScope command(UserInput::Allowed);
             t.queueClick();
             platform::Breather breathe(5);
             for (int i = 0; i < 40; ++i) {
                 std::this_thread::sleep_for(std::chrono::milliseconds(2));
                 breathe();
             }
         },
         true},
        {"a long piece of work that breathes outside any command",
         [](ClickTarget& t) {
             t.queueClick();
             platform::Breather breathe(5);
             for (int i = 0; i < 40; ++i) {
                 std::this_thread::sleep_for(std::chrono::milliseconds(2));
                 breathe();
             }
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClickTarget target;
        target.waiting = true;
        c.wait(target);
        target.waiting = false;
        EXPECT_EQ(target.clicksDuringWait, c.through ? 1 : 0);
        // A click held back is not lost: it is taken once the wait is over.
        target.flush();
        EXPECT_EQ(target.clicks, 1);
    }
}

TEST(Waiting, TheWindowsEventsGoOnInEveryWaitAndTheDepthTellsWhereWorkRuns) {
    int ticks = 0;
    std::optional<int> depthInTimer;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        depthInTimer = platform::WaitDepth();
    });
    timer.start(5);
    EXPECT_EQ(platform::WaitDepth(), 0);
    platform::RunOffWindowThread(
        [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); });
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(depthInTimer, 1);
    EXPECT_EQ(platform::WaitDepth(), 0);
}

TEST(Waiting, EachWaitIsToldToTheObserverAsItBeginsAndEnds) {
    std::vector<bool> told;
    platform::setWaitObserver([&told](bool begins) { told.push_back(begins); });
    waitAWhile();
    platform::RunOffWindowThread([] {});
    int attempts = 0;
    platform::RetryWhile([&] { return ++attempts < 3; });
    // A breather is part of a command that is already counted.
    platform::Breather breathe(0);
    breathe();
    platform::setWaitObserver({});
    EXPECT_EQ(told, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(Waiting, WorkOffTheWindowThreadRunsElsewhereWhileTheTimersGoOn) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    std::thread::id workedOn;
    platform::RunOffWindowThread([&] {
        workedOn = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
    });
    EXPECT_NE(workedOn, std::this_thread::get_id());
    EXPECT_GE(ticks, 5);
}

TEST(Waiting, AnErrorOfTheWorkOffTheThreadReachesTheCaller) {
    EXPECT_THROW(platform::RunOffWindowThread([] { throw rt::RuntimeError(75); }),
                 rt::RuntimeError);
}
