#include "link/PortKeeper.h"

#include <exception>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "runtime/RuntimeError.h"

namespace comm {

namespace {

enum KeeperText : int {
    TextPortOpenFailed = 21014,
    TextPortLost = 21027,
    TextPortReopened = 21028,
};

}  // namespace

PortKeeper::PortKeeper(platform::SerialPort& serial, Events events)
    : serial_(serial), events_(std::move(events)) {}

bool PortKeeper::open() {
    if (openPort(false)) {
        state_ = State::Settled;
        return true;
    }
    // The host tells why; from here on the adapter is looked for.
    startSearch(true);
    return false;
}

bool PortKeeper::reopen() {
    return openPort(false);
}

void PortKeeper::close() {
    state_ = State::Settled;
    serial_.close();
    serial_.resetModemLines();
}

void PortKeeper::gone(const QString& reason) {
    log(core::LoadResText(TextPortLost, {reason, NowText()}));
    const bool told = state_ != State::Settled;
    // The lines of the next opening are news: an instrument found there connects anew.
    serial_.resetModemLines();
    startSearch(false);
    if (!told && events_.lost) events_.lost(reason);
}

void PortKeeper::tick(bool linkIdle) {
    switch (state_) {
        case State::Settled:
            return;
        case State::Searching:
            if (countdown_ > 0)
                --countdown_;
            else
                lookUp();
            return;
        case State::Trial:
            // Closed by the link for a moment: its reopening says whether the port is there.
            if (!serial_.portOpen()) return;
            if (!linkIdle) {
                countdown_ = IntervalTicks;
                return;
            }
            if (--countdown_ > 0) return;
            // No instrument came on this adapter: the next look-up tries the next one.
            serial_.close();
            serial_.resetModemLines();
            state_ = State::Searching;
            countdown_ = 0;
            return;
    }
}

bool PortKeeper::openPort(bool quiet) {
    if (serial_.portOpen()) return true;
    QString reason;
    lastOpenError_.clear();
    if (serial_.open(&reason)) return true;
    lastOpenError_ = reason.isEmpty() ? QStringLiteral("?") : reason;
    // The caller is not told why; the log says it (a missing device, no permission).
    if (!quiet) log(core::LoadResText(TextPortOpenFailed, {serial_.commPort(), reason}));
    return false;
}

void PortKeeper::startSearch(bool failureLogged) {
    state_ = State::Searching;
    countdown_ = IntervalTicks - 1;
    next_ = 0;
    failureLogged_ = failureLogged;
}

void PortKeeper::lookUp() {
    countdown_ = IntervalTicks - 1;
    // A re-plugged adapter may come back under another device name, beside others.
    if (search_.candidates) {
        try {
            const std::vector<int> ports = search_.candidates();
            if (ports.empty()) return;
            const int port = ports[next_++ % ports.size()];
            if (search_.select)
                search_.select(port);
            else
                serial_.setCommPort(port);
        } catch (const std::exception& e) {
            qWarning("Looking for the instrument's adapter: %s", e.what());
            return;
        }
    }
    if (!openPort(failureLogged_)) {
        failureLogged_ = true;
        return;
    }
    state_ = State::Trial;
    countdown_ = IntervalTicks;
}

void PortKeeper::instrumentAnswered() {
    if (state_ == State::Trial) keep();
}

void PortKeeper::keep() {
    state_ = State::Settled;
    log(core::LoadResText(TextPortReopened, {NowText()}));
    if (events_.reopened) events_.reopened();
}

void PortKeeper::log(const QString& line) {
    if (events_.log) events_.log(line);
}

}  // namespace comm
