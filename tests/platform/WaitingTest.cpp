#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
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

// ---- boxes that ask the user ------------------------------------------------------------

TEST(Waiting, ABoxOrAMenuOnScreenCountsAsAWaitUntilItIsAnswered) {
    // What runs from a box's own loop (a timer, an instrument's data) runs inside a wait: the
    // depth tells it, and the observer counts the box while it is open.
    const struct {
        const char* name;
        std::function<void()> ask;  // shows the box; returns when it is answered
        std::function<void()> answer;
        bool counts;
    } cases[] = {
        {"a message box",
         [] {
             QMessageBox box(QMessageBox::Question, "Delete", "Ready?",
                             QMessageBox::Yes | QMessageBox::No);
             box.exec();
         },
         [] {
             auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
             ASSERT_NE(box, nullptr);
             box->button(QMessageBox::Yes)->click();
         },
         true},
        {"a dialog",
         [] {
             QDialog dialog;
             dialog.setModal(true);
             dialog.exec();
         },
         [] {
             auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
             ASSERT_NE(dialog, nullptr);
             dialog->accept();
         },
         true},
        {"a popup menu",
         [] {
             QMenu menu;
             menu.addAction("Delete");
             menu.exec(QPoint(10, 10));
         },
         [] {
             QWidget* menu = QApplication::activePopupWidget();
             ASSERT_NE(menu, nullptr);
             menu->close();
         },
         true},
        {"a window that asks nothing",
         [] {
             QWidget window;
             window.show();
             bool over = false;
             QTimer::singleShot(60, [&] { over = true; });
             while (!over)
                 QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
         },
         [] {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<bool> told;
        platform::setWaitObserver([&told](bool begins) { told.push_back(begins); });
        std::optional<int> depthInside;
        QTimer::singleShot(30, [&] {
            depthInside = platform::WaitDepth();
            c.answer();
        });
        c.ask();
        platform::setWaitObserver({});
        EXPECT_EQ(depthInside, c.counts ? 1 : 0);
        EXPECT_EQ(platform::WaitDepth(), 0);
        EXPECT_EQ(told, c.counts ? (std::vector<bool>{true, false}) : std::vector<bool>{});
    }
}

TEST(Waiting, ABoxInsideAWaitIsOneWaitDeeperAndDestroyedOpenItEnds) {
    std::optional<int> depthInBox;
    std::vector<bool> told;
    platform::setWaitObserver([&told](bool begins) { told.push_back(begins); });
    // A box asked from a handler inside a wait: what runs in its loop is two waits deep.
    bool asked = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(20, [&] {
            depthInBox = platform::WaitDepth();
            qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject();
        });
        QDialog dialog;
        dialog.setModal(true);
        dialog.exec();
        asked = true;
    });
    platform::WaitWhile([&] { return !asked; });
    EXPECT_EQ(depthInBox, 2);
    // A modal window that goes with its owner while shown ends its wait too.
    {
        auto* box = new QDialog;
        box->setModal(true);
        box->show();
        EXPECT_EQ(platform::WaitDepth(), 1);
        delete box;
    }
    EXPECT_EQ(platform::WaitDepth(), 0);
    platform::setWaitObserver({});
    EXPECT_EQ(told, (std::vector<bool>{true, true, false, false, true, false}));
}

// ---- failures and the clock -------------------------------------------------------------

TEST(Waiting, AFailingHandlerInsideAnyWaitReachesTheCallerOfThatWait) {
    const struct {
        const char* name;
        std::function<void(std::atomic<bool>& workEnded)> wait;
        bool workOnCallersData;  // the failure waits for the work to end
    } cases[] = {
        {"a wait for a state",
         [](std::atomic<bool>& workEnded) {
             QTimer::singleShot(80, [&] { workEnded = true; });
             platform::WaitWhile([&] { return !workEnded; });
         },
         false},
        {"work off the window thread",
         [](std::atomic<bool>& workEnded) {
             platform::RunOffWindowThread([&] {
                 std::this_thread::sleep_for(std::chrono::milliseconds(80));
                 workEnded = true;
             });
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> workEnded{false};
        QTimer::singleShot(10, [] { throw rt::RuntimeError(76); });
        int caught = 0;
        try {
            c.wait(workEnded);
        } catch (const rt::RuntimeError& e) {
            caught = e.number();
        }
        EXPECT_EQ(caught, 76);
        EXPECT_EQ(platform::WaitDepth(), 0);
        // Work off the thread is never left running on the caller's data.
        if (c.workOnCallersData) {
            EXPECT_TRUE(workEnded);
        }
        QTest::qWait(100);
    }
}

TEST(Waiting, AFailingHandlerNeverHidesTheFailureOfTheWorkItself) {
    QTimer::singleShot(5, [] { throw rt::RuntimeError(76); });
    int caught = 0;
    try {
        platform::RunOffWindowThread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            throw rt::RuntimeError(75);
        });
    } catch (const rt::RuntimeError& e) {
        caught = e.number();
    }
    EXPECT_EQ(caught, 75);
}

TEST(Waiting, AWaitThatEndsOnTheClockAloneEndsInTime) {
    // Nothing happens while it waits: no timer, no data. Should the wait sleep until the next
    // event, a thread wakes it after 1.5 s, so that the slip shows as a long wait, not a hang.
    std::atomic<bool> over{false};
    std::thread waker([&over] {
        for (int i = 0; i < 150 && !over; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    QElapsedTimer clock;
    clock.start();
    platform::WaitWhile([&clock] { return clock.elapsed() < 120; });
    const qint64 waited = clock.elapsed();
    over = true;
    waker.join();
    QCoreApplication::processEvents();
    EXPECT_GE(waited, 120);
    EXPECT_LT(waited, 600);
}
