#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <memory>

namespace platform {

// Turns the signals by which the system or the user ends the program (SIGTERM at a shutdown,
// SIGHUP when the terminal or the session goes, SIGINT for Ctrl+C) into a Qt signal on the
// thread that made this object, so that the program can end as its own close does. The handler
// only writes the signal's number to a pipe; everything else runs from the event loop.
// A signal the program was started with ignored (under nohup, or as a background job of a
// shell) stays ignored: that is what its user asked for.
// One object at a time; the dispositions it found are put back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    // Raises rt::RuntimeError when the pipe or a handler cannot be set up, or when another
    // object already handles the signals.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The signals handled, unless found ignored.
    static constexpr std::array<int, 3> Handled = {SIGTERM, SIGINT, SIGHUP};
    // Whether `signal` is handled by this object (false for one found ignored).
    bool handles(int signal) const;
    // The program is ending: from now on the signals handled are ignored, also once this object
    // is gone, so that a second request during the end changes nothing.
    void ignoreFromNowOn();

  signals:
    // One of the handled signals arrived (once for each delivery).
    void received(int signal);

  private:
    void readPipe();
    void restore();

    int pipe_[2] = {-1, -1};
    // The dispositions found, of the signals whose handler was installed.
    std::array<struct sigaction, Handled.size()> previous_ = {};
    std::array<bool, Handled.size()> installed_ = {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
