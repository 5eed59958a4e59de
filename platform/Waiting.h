#pragma once

#include <QElapsedTimer>
#include <functional>

// Every wait of the window thread, and the one rule of what may run inside it.
//
// A wait lets the window's own events through (painting, timers, the instrument's data, calls
// posted to the window) so that the window stays alive while the work it waits for goes on.
// Each such pass of events is re-entrancy: whatever a handler started inside it runs in the
// middle of the work that waits. So the rule, decided here and nowhere else:
// - the user's input (keys, clicks) goes through a wait only while a command runs that has
//   locked its own controls (a CommandScope allowing it), so that its Cancel works and the
//   other pages stay usable;
// - a wait that holds the user's input back (in the middle of a database statement, a call
//   that runs off the window thread) holds it back for everything nested in it: a wait inside
//   another, or a command started inside one, never allows more than the wait around it;
// - outside any command the user's input waits until the work is done.
// A box or a popup menu that asks the user runs a loop of its own until it is answered: while
// one is on screen it counts as a wait (in WaitDepth and for the observer), whoever showed it.
// The box takes the user's input itself; the rule for the waits nested in it is the one around
// it. A box is shown through its own loop (exec), so that the code that shows it waits for
// the answer.
namespace platform {

enum class UserInput { Held, Allowed };

// Held by a command that runs long on the window thread, for as long as it runs. Allowed: the
// command has locked its own controls, so the user's input may go on during its waits.
class CommandScope {
  public:
    explicit CommandScope(UserInput input);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
};

// How many waits are letting events through now, the boxes open included: 0 for work run from
// the event loop itself.
// Work that began at one depth and is called again at a deeper one runs inside a wait of
// another piece of work (a handler run from that wait's events).
int WaitDepth();

// Processes the window's events until `busy` is false, sleeping while nothing happens (the
// predicate is looked at again at least every 50 ms). `most` may hold the user's input back
// where the rule would let it through.
void WaitWhile(const std::function<bool()>& busy, UserInput most = UserInput::Allowed);

// As WaitWhile, one pass of events after the other without sleeping: for a caller that moves
// time itself between the passes (a simulated clock), in `busy`.
void PassWhile(const std::function<bool()>& busy);

// Calls `again` until it is false, letting the window's events through between the calls (the
// user's input held): for an attempt that blocks briefly by itself (a database statement that
// finds the file locked tries again for a slice).
void RetryWhile(const std::function<bool()>& again);

// Runs `work` on a thread of its own while the window thread waits for it with its events going
// on, the user's input held: a system call that can take long on a slow disk (a sync, a
// database commit) or a print system's answer never holds the window up. An exception of
// `work` reaches the caller here; so does one of a handler run from the wait's events, once
// `work` has ended (the work's own comes first). Without an application, or when called off the
// window thread, `work` runs at once on the calling thread. `work` must not touch the window's
// objects.
void RunOffWindowThread(const std::function<void()>& work);

// Lets the window's events through now and then while a long piece of work runs on the window
// thread: often enough to keep the window drawn and the timers running, seldom enough not to
// slow the work down. Called as often as the work likes (a row, a line); it looks at the clock
// and lets the events through once the interval has passed since the last time.
class Breather {
  public:
    explicit Breather(int intervalMs = 30);
    void operator()();

  private:
    int intervalMs_;
    QElapsedTimer since_;
};

// Told as each wait begins (true) and ends (false), a box that asks the user included: the
// window counts a wait as one of its running commands, so that nothing it starts on its own
// (an automatic download, its close) begins inside one. Empty to remove.
using WaitObserver = std::function<void(bool begins)>;
void setWaitObserver(WaitObserver observer);

}  // namespace platform
