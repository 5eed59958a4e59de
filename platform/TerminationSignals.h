#pragma once

#include <QObject>
#include <array>
#include <atomic>
#include <csignal>
#include <functional>
#include <string>
#include <thread>

namespace platform {

// Turns the signals by which the system or the user ends the program (SIGTERM at a shutdown,
// SIGHUP when the terminal or the session goes, SIGINT for Ctrl+C) into a Qt signal on the
// thread that made this object, so that the program can end as its own close does. The handler
// only writes the signal's number to a pipe, which a thread of this object reads.
// The first signal also starts the end's limit on that thread: once `limitMs` have passed the
// process is ended, whatever holds the window thread meanwhile (a slow write, a sync that does
// not return, a box). It ends with status 0, or, when something is still unsaved
// (setUnsavedAtTheEnd), with status 1 after writing that line to the standard error.
// A signal the program was started with ignored (under nohup, or as a background job of a
// shell) stays ignored: that is what its user asked for. One it was started with blocked is
// unblocked: nobody asked for a program that cannot be ended.
// One object at a time; the dispositions it found are put back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    // The time from the first termination signal to the end of the process.
    static constexpr int EndLimitMs = 10000;
    using EndProcess = std::function<void(int status)>;

    // Raises rt::RuntimeError when the pipe, the thread or a handler cannot be set up, or when
    // another object already handles the signals. `endProcess` is called on the object's own
    // thread when the limit comes (tests record it; the program's exits at once).
    explicit TerminationSignals(int limitMs = EndLimitMs, EndProcess endProcess = exitNow,
                                QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The signals handled, unless found ignored.
    static constexpr std::array<int, 3> Handled = {SIGTERM, SIGINT, SIGHUP};
    // Whether `signal` is handled by this object (false for one found ignored).
    bool handles(int signal) const;
    // The program is ending: from now on the signals handled are ignored, also once this object
    // is gone, so that a second request during the end changes nothing. A limit already started
    // still holds.
    void ignoreFromNowOn();
    // Milliseconds since the first signal arrived; 0 before one did.
    qint64 msSinceFirstSignal() const;

    static void exitNow(int status);

  signals:
    // One of the handled signals arrived (once for each delivery).
    void received(int signal);

  private:
    void watch(int limitMs, const EndProcess& endProcess);
    void restore();

    int pipe_[2] = {-1, -1};
    // Written once to end the thread.
    int stop_[2] = {-1, -1};
    // The dispositions found, of the signals whose handler was installed.
    std::array<struct sigaction, Handled.size()> previous_ = {};
    std::array<bool, Handled.size()> installed_ = {};
    // When the first signal arrived (steady clock, ms), 0 before.
    std::atomic<qint64> firstSignalMs_{0};
    std::thread thread_;
};

// What an end at the limit would lose, said in one line for the standard error: set while the
// session's settings are in memory only, cleared once they are saved. Process-wide, as the
// process's end is. Empty: nothing.
void setUnsavedAtTheEnd(const QString& line);
bool unsavedAtTheEnd();

}  // namespace platform
