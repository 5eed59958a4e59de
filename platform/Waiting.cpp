#include "platform/Waiting.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>
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
    int depth = 0;  // waits letting events through now, the boxes open included
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

// The boxes and menus that ask the user now. Each one's own loop (a dialog's exec, a popup
// menu's) lets the window's events through until it is answered, exactly as a wait does: so
// while it is on screen it counts as one, for the depth and for the observer, and nothing the
// program starts on its own begins inside it. It is found by what is shown, not by who shows
// it, so that no box escapes the rule. Its frame of the user's input is the box's own: the box
// takes the user's input, and what it leaves of the rule around it stays as it was.
class AskingWatch : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override {
        // A box minimized and shown again by the window system is the same question.
        if (event->spontaneous() || !object->isWidgetType()) return false;
        if (event->type() == QEvent::Show && asks(object))
            begin(object);
        else if (event->type() == QEvent::Hide)
            end(object);
        return false;
    }

  private:
    struct Open {
        QObject* box;
        bool observed;
        QMetaObject::Connection destroyed;
    };

    // A window that holds the rest of the program until it is answered: a modal box, or a
    // popup menu (a menu's exec runs its own loop too).
    static bool asks(const QObject* widget) {
        return widget->property("modal").toBool() || widget->inherits("QMenu");
    }

    std::vector<Open>::iterator find(const QObject* widget) {
        return std::find_if(open_.begin(), open_.end(),
                            [widget](const Open& o) { return o.box == widget; });
    }

    void begin(QObject* widget) {
        if (find(widget) != open_.end()) return;
        WaitState& s = state();
        ++s.depth;
        const bool observed = static_cast<bool>(s.observer);
        // A box destroyed while shown has ended as well, whether or not it was hidden first.
        open_.push_back(
            {widget, observed,
             connect(widget, &QObject::destroyed, this, [this, widget] { end(widget); })});
        if (observed) {
            const WaitObserver observer = s.observer;
            observer(true);
        }
    }

    void end(const QObject* widget) {
        const auto at = find(widget);
        if (at == open_.end()) return;
        const bool observed = at->observed;
        disconnect(at->destroyed);
        open_.erase(at);
        WaitState& s = state();
        --s.depth;
        if (observed && s.observer) {
            const WaitObserver observer = s.observer;
            observer(false);
        }
    }

    std::vector<Open> open_;
};

// Watches the application's windows for boxes from the first use of the rule on, once per
// application.
void watchBoxes() {
    static QPointer<AskingWatch> watch;
    if (watch || !onWindowThread()) return;
    QCoreApplication* app = QCoreApplication::instance();
    watch = new AskingWatch(app);
    app->installEventFilter(watch);
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
    watchBoxes();
    return state().depth;
}

void WaitWhile(const std::function<bool()>& busy, UserInput most) {
    watchBoxes();
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
    watchBoxes();
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
    // A handler run from the wait's events that fails ends the wait for its caller, as in
    // WaitWhile; but `work` still runs on the caller's data, so the wait goes on until it has
    // ended, and only then is the handler's failure raised. The work's own failure comes first:
    // it is what the caller asked for.
    std::exception_ptr handlerError;
    while (!done) {
        try {
            wait.pass(true);
        } catch (...) {
            if (!handlerError) handlerError = std::current_exception();
        }
    }
    worker.join();
    if (error) {
        if (handlerError) {
            try {
                std::rethrow_exception(handlerError);
            } catch (const std::exception& e) {
                qWarning("A handler failed while the work it waited for failed: %s", e.what());
            } catch (...) {
                qWarning("A handler failed while the work it waited for failed");
            }
        }
        std::rethrow_exception(error);
    }
    if (handlerError) std::rethrow_exception(handlerError);
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
    watchBoxes();
    state().observer = std::move(observer);
}

}  // namespace platform
