#include <QElapsedTimer>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace comm {

namespace {

// Confirmation polls: a pause between two polls, and a ceiling after which the program stops
// waiting for an instrument that never finishes (in 100 ms link ticks).
constexpr int PollPauseTicks = 3;
constexpr int PollCeilingTicks = 5 * 60 * 10;
// The power-off wait.
constexpr int PowerOffTicks = 50;

bool resultOk(const QString& result, int index) {
    return result.size() == 4 && index >= 0 && index <= 3 && result.at(index) == QLatin1Char('0');
}

}  // namespace

void uclVyif::pause(int ticks) {
    const int64_t until = tickTotal_ + ticks;
    pump_->waitWhile([this, until] { return tickTotal_ < until && !cancel_ && Connected(); });
}

bool uclVyif::confirm(const QString& body, const std::function<bool()>& done) {
    const int64_t ceiling = tickTotal_ + PollCeilingTicks;
    for (bool first = true;; first = false) {
        if (!first) pause(PollPauseTicks);
        if (cancel_) {
            status_ = StatusCancelled;
            cancel_ = false;
            return false;
        }
        if (tickTotal_ > ceiling) {
            WriteLog(core::LoadResText(21026, {NowText()}));
            status_ = StatusFailed;
            return false;
        }
        if (sendAndWait(body) != StatusDone) return false;
        if (done()) return true;
    }
}

bool uclVyif::calibrate(const QString& command, const QString& gasFlag, QString& result) {
    if (!linkReady()) return false;
    operationOk_ = true;
    cancel_ = false;
    if (sendAndWait(command + QStringLiteral(",W,") + gasFlag) != StatusDone) {
        WriteLog(core::LoadResText(21018, {NowText()}));
        operationOk_ = false;
        return false;
    }
    operationOk_ =
        confirm(command + QStringLiteral(",C,"), [&result] { return result.size() == 4; });
    return operationOk_;
}

bool uclVyif::ZeroCal(const QString& gasFlag) {
    return calibrate(QStringLiteral("SZ"), gasFlag, zeroResult_);
}

bool uclVyif::SpanCal(const QString& gasFlag) {
    return calibrate(QStringLiteral("S2"), gasFlag, spanResult_);
}

bool uclVyif::ZeroStatus(int index) const {
    return resultOk(zeroResult_, index);
}
bool uclVyif::SpanStatus(int index) const {
    return resultOk(spanResult_, index);
}

bool uclVyif::BodyDataClear() {
    if (!linkReady()) return false;
    operationOk_ = true;
    cancel_ = false;
    WriteLog(core::LoadResText(21019));
    operationOk_ = sendAndWait(QStringLiteral("XC,W,")) == StatusDone;
    if (operationOk_) {
        clearDone_ = false;
        operationOk_ = confirm(QStringLiteral("XC,C,"), [this] { return clearDone_; });
    }
    WriteLog(core::LoadResText(operationOk_ ? 21020 : 21021));
    return operationOk_;
}

bool uclVyif::BodyPowerOff() {
    if (!linkReady()) return false;
    operationOk_ = true;
    cancel_ = false;
    WriteLog(core::LoadResText(21022));
    sendAndWait(QStringLiteral("RO,W,"));
    if (serial_.portOpen()) serial_.close();
    // The lines count as down: an instrument that is on again when the port reopens is then
    // seen as a new connection.
    serial_.resetModemLines();
    infrared_.setPortOpen(false);
    tickCount_ = 0;
    // Counted on the program's own tick counter (which the connect logic never resets) and
    // also on the clock, so that the wait ends even when the link ticks stop.
    const int64_t until = tickTotal_ + PowerOffTicks;
    QElapsedTimer waited;
    waited.start();
    pump_->waitWhile([this, until, &waited] {
        return tickTotal_ < until && waited.elapsed() < PowerOffTicks * 100;
    });
    linkState_ = LinkNone;
    status_ = StatusNone;
    if (!serialComm_) infrared_.setPortOpen(true);
    WriteLog(core::LoadResText(21023));
    return true;
}

void uclVyif::setRunDensty(bool run) {
    if (run == RunDensty()) return;
    if (run) {
        tmrDenst_.start();
        tickCount_ = 0;
    } else {
        pump_->waitWhile([this] { return densityInFlight_ && status_ == StatusSingleRead; });
        tmrDenst_.stop();
        densityInFlight_ = false;
    }
}

void uclVyif::tmrDenst_Timer() {
    const HandlerScope handling(handlerDepth_);
    try {
        // Only the poll's own request can time out here, never a connect attempt or a read of
        // an operation that holds Status 4.
        if (densityInFlight_ && status_ == StatusSingleRead) {
            WriteLog(core::LoadResText(21024, {NowText()}));
            status_ = StatusIdle;
            densityInFlight_ = false;
            return;
        }
        densityInFlight_ = false;
        if (Connected() && (status_ == StatusIdle || status_ == StatusDone)) {
            status_ = StatusSingleRead;
            retryCount_ = 0;
            densityInFlight_ = true;
            DataSend(BuildFrame(QStringLiteral("DN,R,"), EOT), false);
        }
    } catch (const rt::RuntimeError& e) {
        qWarning("Live readings: %s", qPrintable(e.description()));
    }
}

}  // namespace comm
