#include "link/uclVyif.h"

#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "link/Frame.h"
#include "link/LinkModule.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace comm {

namespace {

// Message texts of the link.
enum LinkText : int {
    TextWrite = 21001,
    TextRead = 21002,
    TextConnectStarted = 21003,
    TextConnectFinished = 21004,
    TextNoResponse = 21005,
    TextBreak = 21006,
    TextFraming = 21007,
    TextOverrun = 21008,
    TextRxOver = 21009,
    TextParity = 21010,
    TextTxFull = 21011,
    TextDeviceControl = 21012,
    TextIrDAConnected = 21013,
};

}  // namespace

uclVyif::uclVyif(platform::SerialPort& serial, platform::InfraredPort& infrared, QObject* parent)
    : QObject(parent),
      serial_(serial),
      infrared_(infrared),
      keeper_(serial,
              {[this](const QString& line) { WriteLog(line); },
               [this](const QString& reason) { raise([this, reason] { emit PortLost(reason); }); },
               [this] { raise([this] { emit PortReopened(); }); }}) {
    status_ = StatusNone;
    serial_.setHandshaking(0);
    serial_.setRtsEnable(false);
    serial_.setDtrEnable(false);
    serial_.setSettings(QStringLiteral("115200,n,8,1"));
    serial_.input();
    infrared_.setPortOpen(false);
    keepAliveCountdown_ = 5;
    lastFrame_.clear();
    tmrTimer_.setInterval(100);
    connect(&tmrTimer_, &QTimer::timeout, this, &uclVyif::tmrTimer_Timer);
    tmrTimer_.start();
    tmrDenst_.setInterval(1000);
    connect(&tmrDenst_, &QTimer::timeout, this, &uclVyif::tmrDenst_Timer);
    linkState_ = LinkNone;
    connect(&serial_, &platform::SerialPort::commEvent, this, &uclVyif::mscComm_OnComm);
    connect(&infrared_, &platform::InfraredPort::commEvent, this, &uclVyif::ZvIrDA1_OnComm);
}

void uclVyif::ReadProperties(const QVariantMap& bag) {
    enabled_ = bag.value(QStringLiteral("Enabled"), true).toBool();
    serial_.setCommPort(bag.value(QStringLiteral("CommPort"), 4).toInt());
    serial_.setDtrEnable(bag.value(QStringLiteral("DTREnable"), false).toBool());
    serial_.setRtsEnable(bag.value(QStringLiteral("RTSEnable"), false).toBool());
    serial_.setSettings(
        bag.value(QStringLiteral("Settings"), QStringLiteral("9600,n,8,1")).toString());
}

QVariantMap uclVyif::WriteProperties() const {
    return {{QStringLiteral("Enabled"), enabled_},
            {QStringLiteral("CommPort"), serial_.commPort()},
            {QStringLiteral("DTREnable"), serial_.dtrEnable()},
            {QStringLiteral("RTSEnable"), serial_.rtsEnable()},
            {QStringLiteral("Settings"), serial_.settings()}};
}

// ---- properties --------------------------------------------------------------------------

void uclVyif::AddLog(const QString& vData) {
    WriteLog(vData);
}

int16_t uclVyif::Timeout() const {
    return rt::CInt(timeoutTicks_ / 10.0);
}

void uclVyif::setTimeout(int16_t seconds) {
    if (seconds > 3276 || seconds < -3276) throw rt::RuntimeError(rt::ErrOverflow);
    timeoutTicks_ = static_cast<int16_t>(seconds * 10);
}

bool uclVyif::infraredCarriesLink() const {
    return infrared_.ownLinkActive() && !serialComm_;
}

platform::LinePort& uclVyif::activePort() const {
    return infraredCarriesLink() ? static_cast<platform::LinePort&>(infrared_)
                                 : static_cast<platform::LinePort&>(serial_);
}

int uclVyif::CommPort() const {
    return activePort().commPort();
}

void uclVyif::setCommPort(int port) {
    serial_.setCommPort(port);
}

bool uclVyif::PortOpen() const {
    return infraredCarriesLink() ? infrared_.portOpen() : serial_.portOpen();
}

void uclVyif::setPortOpen(bool open) {
    if (infraredCarriesLink()) {
        infrared_.setPortOpen(open);
    } else if (open) {
        keeper_.open();
    } else {
        // Closed on purpose: a lost port is no longer looked for.
        keeper_.close();
    }
}

bool uclVyif::DTREnable() const {
    return activePort().dtrEnable();
}
void uclVyif::setDTREnable(bool on) {
    activePort().setDtrEnable(on);
}
int uclVyif::Handshaking() const {
    return activePort().handshaking();
}
void uclVyif::setHandshaking(int mode) {
    activePort().setHandshaking(mode);
}
bool uclVyif::RTSEnable() const {
    return activePort().rtsEnable();
}
void uclVyif::setRTSEnable(bool on) {
    activePort().setRtsEnable(on);
}
QString uclVyif::Settings() const {
    return activePort().settings();
}
void uclVyif::setSettings(const QString& settings) {
    activePort().setSettings(settings);
}

float uclVyif::FactCal(int index) const {
    if (index < 0 || index > 4) throw rt::RuntimeError(rt::ErrSubscript);
    return factCal_[index];
}

void uclVyif::setFactCal(int index, float value) {
    if (index < 0 || index > 4) throw rt::RuntimeError(rt::ErrSubscript);
    factCal_[index] = value;
}

bool uclVyif::DisConnect() {
    tickCount_ = 0;
    status_ = StatusIdle;
    return false;
}

void uclVyif::setTimerEnabled(bool on) {
    if (on)
        tmrTimer_.start();
    else
        tmrTimer_.stop();
}

// ---- log ---------------------------------------------------------------------------------

void uclVyif::WriteLog(const QString& text) {
    if (serialFileNo_ < 1) return;
    // The log is a diagnostic record: a line that cannot be written must not stop the link in
    // the middle of a download. The failure is reported once until the log works again.
    try {
        core::AppendLogLine(serialLogPath(), text);
        logFailed_ = false;
    } catch (const rt::RuntimeError& e) {
        if (!logFailed_) qWarning("Communication log: %s", qPrintable(e.description()));
        logFailed_ = true;
    }
}

void uclVyif::logLineError(int textId) {
    WriteLog(core::LoadResText(textId, {NowText()}));
}

// ---- sending -----------------------------------------------------------------------------

void uclVyif::DataSend(const QString& datas, bool initFlag) {
    resetReceiveBuffer();
    dropLogged_ = false;
    if (infraredCarriesLink())
        infrared_.output(datas);
    else
        serial_.output(FrameBytes(datas));
    raise([this] { emit StsTransmit(); });
    AnswerSeen = false;
    lastFrame_ = datas;
    timeoutCountdown_ = timeoutTicks_;
    if (initFlag) retryCount_ = 0;
    WriteLog(core::LoadResText(TextWrite, {NameControlChars(datas)}));
}

QString uclVyif::ackPrefix() const {
    return rt::Mid(lastFrame_, 6, lastFrame_.contains(QLatin1String("IH")) ? 7 : 5);
}

bool uclVyif::exchangeRunning() const {
    return status_ == StatusMultiRead || status_ == StatusSingleRead || status_ == StatusWrite;
}

// ---- receiving ---------------------------------------------------------------------------

namespace {

// Text with no frame start in it is kept only up to this length: it can never become a frame.
constexpr qsizetype MaxUnframedText = 4096;

}  // namespace

bool uclVyif::linkReady() {
    if (Connected()) return true;
    status_ = StatusFailed;
    WriteLog(QStringLiteral("<<< Not connected: nothing sent >>>"));
    return false;
}

void uclVyif::awaitAnswer(int32_t waiting, const std::function<void()>& each) {
    const int64_t connection = connectCount_;
    const auto lost = [this, connection] { return !Connected() || connectCount_ != connection; };
    pump_->waitWhile([&] {
        if (each) each();
        return status_ == waiting && !cancel_ && !lost();
    });
    // A lost connection fails the exchange whatever came before it in the same pass of events:
    // the operation cannot know what the instrument did.
    if (lost())
        status_ = StatusFailed;
    else if (status_ == waiting)
        status_ = StatusCancelled;
    // Cancel stays set: the caller reads it to tell a cancel from a failure, and the next
    // operation lowers it when it starts.
}

void uclVyif::resetReceiveBuffer() {
    receiveBuffer_.clear();
    frameStart_ = scanPos_ = 0;
    firstCr_ = firstStx_ = -1;
}

void uclVyif::dropReceived(const QString& text) {
    resetReceiveBuffer();
    if (dropLogged_) return;
    dropLogged_ = true;
    WriteLog(core::LoadResText(TextRead, {NameControlChars(text.left(256))}));
    AddLog(QStringLiteral("<<< No request waiting: received data dropped >>>"));
}

void uclVyif::receive(const QString& text, bool infrared) {
    raise([this] { emit StsTransmit(); });
    AnswerSeen = true;
    if (!exchangeRunning()) {
        // The rest of an exchange that has ended (cancelled, failed, a late duplicate) is
        // neither taken in nor answered, so it cannot revive the exchange.
        dropReceived(text);
    } else if (cancel_) {
        status_ = StatusCancelled;
        resetReceiveBuffer();
    } else {
        receiveBuffer_ += text;
        takeFrames();
        if (frameStart_ > 0) {
            receiveBuffer_.remove(0, frameStart_);
            scanPos_ -= frameStart_;
            if (firstCr_ >= 0) firstCr_ -= frameStart_;
            if (firstStx_ >= 0) firstStx_ -= frameStart_;
            frameStart_ = 0;
        }
    }
    if (infrared) raise([this] { emit StsIdle(); });
}

qsizetype uclVyif::scanToTerminator() {
    const QChar* data = receiveBuffer_.constData();
    const qsizetype n = receiveBuffer_.size();
    for (qsizetype i = scanPos_; i < n; ++i) {
        const QChar c = data[i];
        if (c == ETB || c == EOT) {
            scanPos_ = i;
            return i;
        }
        if (c == CR) {
            if (firstCr_ < 0) firstCr_ = i;
        } else if (c == STX) {
            if (firstStx_ < 0) firstStx_ = i;
        }
    }
    scanPos_ = n;
    return -1;
}

void uclVyif::takeFrames() {
    while (exchangeRunning()) {
        const qsizetype end = scanToTerminator();
        if (end < 0) {
            // A CR inside a frame whose terminator has not come yet: wait for the rest.
            if (firstCr_ < 0 || (firstStx_ >= 0 && firstStx_ < firstCr_)) {
                if (firstStx_ < 0 && receiveBuffer_.size() - frameStart_ > MaxUnframedText) {
                    frameStart_ = scanPos_ = receiveBuffer_.size();
                    firstCr_ = -1;
                }
                return;
            }
            // A line ended with no frame in it: the answer was garbled, ask again.
            if (retryCount_ >= retry_) {
                status_ = StatusFailed;
                break;
            }
            ++retryCount_;
            if (retryCount_ > 1) {
                const int16_t count = retryCount_;
                raise([this, count] { emit ConnectRetry(count); });
            }
            DataSend(lastFrame_, false);
            continue;
        }
        QString frame = receiveBuffer_.mid(frameStart_, end + 1 - frameStart_);
        frameStart_ = scanPos_ = end + 1;
        firstCr_ = firstStx_ = -1;
        WriteLog(core::LoadResText(TextRead, {NameControlChars(frame)}));
        const QChar terminator = frame.back();
        switch (ParseResponse(frame)) {
            case Verdict::Accepted:
                if (terminator == EOT)
                    status_ = StatusDone;
                else
                    DataSend(BuildFrame(ackPrefix() + ACK, ETB), true);
                break;
            case Verdict::Foreign:
                break;
            case Verdict::Fatal:
                status_ = StatusFailed;
                break;
            case Verdict::Refused:
                if (retryCount_ >= retry_) {
                    status_ = StatusFailed;
                } else {
                    ++retryCount_;
                    if (status_ == StatusSingleRead || status_ == StatusWrite)
                        DataSend(lastFrame_, false);
                    else
                        DataSend(BuildFrame(ackPrefix() + NAK, ETB), false);
                }
                break;
        }
    }
    // What follows the end of the exchange is not for it.
    resetReceiveBuffer();
}

// ---- tick --------------------------------------------------------------------------------

void uclVyif::tmrTimer_Timer() {
    const HandlerScope handling(handlerDepth_);
    try {
        serial_.pollModemLines();
        ++tickCount_;
        ++tickTotal_;
        if (linkState_ == LinkConnecting && status_ != StatusSingleRead) {
            WriteLog(core::LoadResText(TextConnectStarted));
            if (retryCount_ >= retry_) {
                status_ = StatusNone;
                linkState_ = LinkNone;
                const QString text = core::LoadResText(TextNoResponse);
                raise([this, text] { emit AlarmMessage(text); });
            } else {
                ++retryCount_;
                if (retryCount_ % 5 == 0) {
                    const int16_t count = static_cast<int16_t>(retryCount_ / 5);
                    raise([this, count] { emit ConnectRetry(count); });
                }
                status_ = StatusSingleRead;
                DataSend(BuildFrame(QStringLiteral("RC,R,"), EOT), false);
            }
            tickCount_ = 0;
        } else if (linkState_ == LinkConnecting && status_ == StatusSingleRead) {
            if (tickCount_ > 10) {
                status_ = StatusNone;
                if (!infrared_.ownLinkActive()) {
                    if (serial_.portOpen()) serial_.close();
                    linkState_ = LinkReopen;
                }
                tickCount_ = 0;
            }
        } else if (linkState_ == LinkReopen) {
            status_ = StatusNone;
            tickCount_ = 0;
            // The adapter may have gone while the port was closed.
            if (keeper_.reopen()) {
                linkState_ = LinkConnecting;
            } else {
                serialPortLost();
                keeper_.gone(keeper_.lastOpenError());
            }
        }
        if (linkState_ == LinkConnected) {
            if (timeoutCountdown_ > 0) {
                --timeoutCountdown_;
            } else if (retryCount_ < retry_) {
                ++retryCount_;
                if (status_ == StatusMultiRead) {
                    if (lastFrame_.endsWith(EOT))
                        DataSend(lastFrame_, false);
                    else
                        DataSend(BuildFrame(rt::Mid(lastFrame_, 6, 5) + NAK, ETB), false);
                } else if (status_ == StatusSingleRead || status_ == StatusWrite) {
                    DataSend(lastFrame_, false);
                }
            } else if (status_ == StatusCancelled) {
                status_ = StatusIdle;
            } else if (status_ != StatusDone && status_ != StatusIdle) {
                status_ = StatusFailed;
                AnswerSeen = false;
            }
        }
        keeper_.tick(linkState_ == LinkNone);
        if (keepAliveCountdown_ > 0) {
            --keepAliveCountdown_;
        } else {
            infrared_.keepAlive();
            keepAliveCountdown_ = 5;
        }
    } catch (const rt::RuntimeError& e) {
        qWarning("Link tick: %s", qPrintable(e.description()));
    }
}

// ---- port notifications --------------------------------------------------------------------

void uclVyif::serialPortLost() {
    // Whatever an exchange got before, it cannot know what the instrument did.
    if (exchangeRunning()) status_ = StatusFailed;
    linkState_ = LinkNone;
    retryCount_ = 0;
    if (!linesOff_) {
        linesOff_ = true;
        raise([this] { emit CommLost(); });
    }
}

void uclVyif::mscComm_OnComm(int code) {
    const HandlerScope handling(handlerDepth_);
    // The loss of the port is reported once it is closed; every other event only while open.
    if (code != platform::CommEventPortLost && !serial_.portOpen()) return;
    try {
        switch (code) {
            case platform::CommEventPortLost:
                serialPortLost();
                keeper_.gone(serial_.lostReason());
                break;
            case platform::CommEvReceive:
                receive(FrameText(serial_.input()), false);
                break;
            case platform::CommEvCts:
            case platform::CommEvDsr:
                if ((serial_.modemLines() & (platform::ModemCts | platform::ModemDsr)) == 0) {
                    // CTS and DSR usually drop together: one loss, handled once.
                    if (linesOff_) break;
                    linesOff_ = true;
                    linkState_ = LinkNone;
                    // A line drop during an exchange is a failure, never a success.
                    status_ = exchangeRunning() ? StatusFailed : StatusDone;
                    retryCount_ = 0;
                    raise([this] { emit CommLost(); });
                } else {
                    linesOff_ = false;
                    linkState_ = LinkConnecting;
                    retryCount_ = 0;
                    cancel_ = false;
                }
                break;
            case platform::CommEventBreak:
                logLineError(TextBreak);
                status_ = StatusFailed;
                break;
            case platform::CommEventFrame:
                logLineError(TextFraming);
                status_ = StatusFailed;
                break;
            case platform::CommEventOverrun:
                logLineError(TextOverrun);
                status_ = StatusFailed;
                break;
            case platform::CommEventRxOver:
                logLineError(TextRxOver);
                status_ = StatusFailed;
                break;
            case platform::CommEventRxParity:
                logLineError(TextParity);
                status_ = StatusFailed;
                break;
            case platform::CommEventTxFull:
                if (linkState_ == LinkConnecting) break;
                logLineError(TextTxFull);
                status_ = exchangeRunning() ? StatusFailed : StatusDone;
                break;
            case platform::CommEventDCB:
                logLineError(TextDeviceControl);
                status_ = exchangeRunning() ? StatusFailed : StatusDone;
                break;
            default:
                break;
        }
    } catch (const rt::RuntimeError& e) {
        qWarning("Serial event %d: %s", code, qPrintable(e.description()));
    }
}

void uclVyif::ZvIrDA1_OnComm(int code) {
    const HandlerScope handling(handlerDepth_);
    try {
        switch (code) {
            case platform::InfraredPort::Receive:
                receive(infrared_.input(), true);
                break;
            case platform::InfraredPort::DeviceFound:
                if (linkState_ != LinkNone ||
                    !infrared_.foundDeviceName().contains(QLatin1String("QM-73")))
                    break;
                WriteLog(core::LoadResText(TextIrDAConnected, {NowText()}));
                retryCount_ = 0;
                resetReceiveBuffer();
                tickCount_ = 0;
                linkState_ = LinkConnecting;
                cancel_ = false;
                if (!infrared_.ownLinkActive() && !serial_.portOpen()) {
                    serial_.setSettings(QStringLiteral("115200,N,8,1"));
                    serial_.setCommPort(core::IrCommNum);
                    keeper_.open();
                }
                break;
            case platform::InfraredPort::SocketError: {
                status_ = StatusFailed;
                const int16_t detail = static_cast<int16_t>(infrared_.errorDetail());
                WriteLog(QStringLiteral("Soket Error[") + NowText() + QStringLiteral("](") +
                         QString::number(detail) + QLatin1Char(')'));
                raise([this, detail] { emit IrDAError(detail); });
                break;
            }
            default:
                status_ = StatusFailed;
                WriteLog(QStringLiteral("IrDA Error[") + NowText() + QStringLiteral("][") +
                         QString::number(code) + QStringLiteral("] (") +
                         QString::number(infrared_.errorDetail()) + QLatin1Char(')'));
                break;
        }
    } catch (const rt::RuntimeError& e) {
        qWarning("Infrared event %d: %s", code, qPrintable(e.description()));
    }
}

}  // namespace comm
