#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "platform/SerialPort.h"

namespace comm {

// Keeps the link's serial port open. It opens the port when asked to; once the port is gone (the
// adapter pulled out from under the open port, or not there when the link opens the port again
// after closing it itself), it tells the loss once and looks for the adapter once per connect
// interval until it is back, under its old device name or another.
//
// An adapter found by that search may be another one of the same kind: it is kept only once the
// instrument has answered on it. Until then, an opening after which the link stays idle for a
// whole connect interval is closed again, and the next look-up tries the next adapter found, so
// that with several adapters plugged in each is tried in turn.
class PortKeeper {
  public:
    // What the keeper tells its link.
    struct Events {
        std::function<void(const QString& line)> log;     // a line of the serial log
        std::function<void(const QString& reason)> lost;  // the port is gone
        std::function<void()> reopened;                   // the adapter is back and in use
    };
    // Where the instrument's adapter may be: the port numbers of the adapters of its kind now
    // plugged in, in the finder's order; and how the port is made ready to open one of them.
    struct Search {
        std::function<std::vector<int>()> candidates;
        std::function<void(int port)> select;
    };
    // Ticks between two look-ups: the spacing of the connect attempts.
    static constexpr int IntervalTicks = 13;

    PortKeeper(platform::SerialPort& serial, Events events);

    // Without a search, the lost port is opened again under its own number.
    void setSearch(Search search) { search_ = std::move(search); }

    // Opens the port at the host's request. A port that does not open is logged (the reason is
    // kept for the host to tell) and looked for from then on.
    bool open();
    // Opens the port again after the link closed it for a moment; false when it is not there
    // (the link then tells the keeper that it is gone).
    bool reopen();
    // The host closes the port: nothing is looked for any more.
    void close();
    // The port is gone, for `reason`: it went away under the link (and has closed itself), or
    // it did not open again. The loss is told, once while the adapter is away, and the search
    // starts.
    void gone(const QString& reason);
    // One link tick (`linkIdle`: no instrument connected or connecting): a look-up when one is
    // due, the end of a trial.
    void tick(bool linkIdle);
    // The instrument answered on the port: an adapter on trial is kept.
    void instrumentAnswered();

    // True while the port is looked for, or an adapter found is on trial.
    bool searching() const { return state_ != State::Settled; }
    // Why the last opening failed ("" after one that succeeded).
    QString lastOpenError() const { return lastOpenError_; }

  private:
    enum class State {
        Settled,    // open, or closed by the host: nothing to look for
        Searching,  // closed: looked up once per interval
        Trial,      // an adapter found is open; kept once the instrument answers on it
    };

    bool openPort(bool quiet);
    void startSearch(bool failureLogged);
    void lookUp();
    void keep();
    void log(const QString& line);

    platform::SerialPort& serial_;
    Events events_;
    Search search_;
    State state_ = State::Settled;
    int countdown_ = 0;           // ticks to the next look-up, or left of an idle trial
    size_t next_ = 0;             // which of the adapters found the next look-up tries
    bool failureLogged_ = false;  // one log line for the failed openings of one search
    QString lastOpenError_;
};

}  // namespace comm
