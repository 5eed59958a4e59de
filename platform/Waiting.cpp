#include "platform/Waiting.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {

// What the waits of the window thread share. Only the window thread touches it.
struct WaitState {
    // The command scopes and the waits that are open, outermost first: whether each lets the
    // user's input through.
    std::vector<bool> frames;
    int depth = 0;  // waits letting events through now
    WaitObserver observer;
};

WaitState& state() {
    static WaitState s;
    return s;
}

// Whether a wait begun now would let the user's input through: only while every open scope
// allows it, and never outside any.
bool userInputGoesThrough() {
    const std::vector<bool>& frames = state().frames;
    return !frames.empty() && std::all_of(frames.begin(), frames.end(), [](bool f) { return f; });
}

bool onWindowThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// One wait: its frame of the rule and its count, for as long as it lasts.
class Wait {
  public:
    Wait(UserInput most, bool observed)
        : input_(most == UserInput::Allowed && userInputGoesThrough()) {
        WaitState& s = state();
        s.frames.push_back(input_);
        ++s.depth;
        if (observed && s.observer) {
            observed_ = true;
            const WaitObserver observer = s.observer;
            observer(true);
        }
    }
    ~Wait() {
        WaitState& s = state();
        if (observed_ && s.observer) {
            const WaitObserver observer = s.observer;
            observer(false);
        }
        --s.depth;
        s.frames.pop_back();
        // The user's input held back waits among the window system's events, which the event
        // loop looks at again only once it is woken: without this a click made during the wait
        // would wait for the next movement of the mouse.
        if (!input_)
            if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
                dispatcher->wakeUp();
    }
    Wait(const Wait&) = delete;
    Wait& operator=(const Wait&) = delete;

    // One pass of the events the rule lets through; `sleep` waits for the next event first.
    void pass(bool sleep) const {
        QEventLoop::ProcessEventsFlags flags =
            input_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
        if (sleep) flags |= QEventLoop::WaitForMoreEvents;
        QCoreApplication::processEvents(flags);
    }

  private:
    bool input_;
    bool observed_ = false;
};

}  // namespace

CommandScope::CommandScope(UserInput input) {
    state().frames.push_back(input == UserInput::Allowed);
}

CommandScope::~CommandScope() {
    state().frames.pop_back();
}

int WaitDepth() {
    return state().depth;
}

void WaitWhile(const std::function<bool()>& busy, UserInput most) {
    if (!busy()) return;
    const Wait wait(most, true);
    // A slow heartbeat makes sure the predicate is looked at again even when the state it
    // reads changed without an event of its own.
    QTimer heartbeat;
    heartbeat.setInterval(50);
    heartbeat.start();
    while (busy())
        wait.pass(true);
}

void PassWhile(const std::function<bool()>& busy) {
    if (!busy()) return;
    const Wait wait(UserInput::Allowed, true);
    do
        wait.pass(false);
    while (busy());
}

void RetryWhile(const std::function<bool()>& again) {
    if (!onWindowThread()) {
        while (again()) {
        }
        return;
    }
    const Wait wait(UserInput::Held, true);
    while (again())
        wait.pass(false);
}

void RunOffWindowThread(const std::function<void()>& work) {
    if (!onWindowThread()) {
        work();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    std::exception_ptr error;
    std::atomic<bool> done{false};
    const Wait wait(UserInput::Held, true);
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        // Wakes the wait below, which sleeps until an event comes.
        QMetaObject::invokeMethod(
            app, [] {}, Qt::QueuedConnection);
    });
    while (!done)
        wait.pass(true);
    worker.join();
    if (error) std::rethrow_exception(error);
}

Breather::Breather(int intervalMs) : intervalMs_(intervalMs) {
    since_.start();
}

void Breather::operator()() {
    if (since_.elapsed() < intervalMs_) return;
    {
        const Wait wait(UserInput::Allowed, false);
        wait.pass(false);
    }
    since_.restart();
}

void setWaitObserver(WaitObserver observer) {
    state().observer = std::move(observer);
}

}  // namespace platform
