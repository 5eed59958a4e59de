#pragma once

#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/ClsInstrument.h"
#include "core/RecordLines.h"
#include "core/SerialLog.h"
#include "link/PortKeeper.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace comm {

// The instrument link: the program's only way to the instrument. It builds and checks frames,
// runs the connect, retry and time-out state machine on a 100 ms tick, keeps the serial log and
// reports to its host through queued signals.
class uclVyif : public QObject {
    Q_OBJECT
  public:
    // Exchange status values.
    enum StatusValue : int32_t {
        StatusNone = 0,
        StatusIdle = 2,
        StatusMultiRead = 3,
        StatusSingleRead = 4,
        StatusWrite = 5,
        StatusDone = 6,
        StatusFailed = 7,
        StatusCancelled = 8,
    };
    // Link states.
    enum LinkStateValue : int32_t {
        LinkNone = 0,
        LinkConnecting = 2,
        LinkConnected = 3,
        LinkReopen = 4,
    };

    uclVyif(platform::SerialPort& serial, platform::InfraredPort& infrared,
            QObject* parent = nullptr);

    // The host's stored properties, read after construction ("Enabled", "CommPort",
    // "DTREnable", "RTSEnable", "Settings"); missing keys take their defaults.
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

    // ---- public members ----
    void AddLog(const QString& vData);
    int16_t Timeout() const;
    void setTimeout(int16_t seconds);  // error 6 above 3276
    int16_t Retry() const { return retry_; }
    void setRetry(int16_t retry) { retry_ = retry; }
    bool Cancel() const { return cancel_; }
    void setCancel(bool cancel) { cancel_ = cancel; }
    int16_t DumpListFileNo() const { return dumpListFileNo_; }
    void setDumpListFileNo(int16_t no) { dumpListFileNo_ = no; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    int CommPort() const;
    void setCommPort(int port);  // always the serial port's
    bool SerialComm() const { return serialComm_; }
    void setSerialComm(bool on) { serialComm_ = on; }
    bool PortOpen() const;
    void setPortOpen(bool open);  // a failure leaves the port closed; the reason is logged
    // Why the last opening of the serial port failed ("" after one that succeeded): the host
    // tells the user, since opening reports nothing to its caller.
    QString LastOpenError() const { return keeper_.lastOpenError(); }
    // A serial port that is gone, or did not open, is looked for by the link itself, one
    // look-up per connect interval, through `search` (see PortKeeper).
    void setPortSearch(PortKeeper::Search search) { keeper_.setSearch(std::move(search)); }
    bool PortLostState() const { return keeper_.searching(); }
    // Ticks between two look-ups for a lost port: the spacing of the connect attempts.
    static constexpr int ReopenTicks = PortKeeper::IntervalTicks;
    bool DTREnable() const;
    void setDTREnable(bool on);
    int Handshaking() const;
    void setHandshaking(int mode);
    float FactCal(int index) const;
    void setFactCal(int index, float value);
    void setSystemBlock(bool) {}
    bool RTSEnable() const;
    void setRTSEnable(bool on);
    int16_t SerialFileNo() const { return serialFileNo_; }
    void setSerialFileNo(int16_t no) { serialFileNo_ = no; }
    QString Settings() const;
    void setSettings(const QString& settings);
    bool DisConnect();
    bool Connected() const { return linkState_ == LinkConnected; }
    // True while one of the link's own handlers (its clocks, its ports' notifications) runs.
    // The host's event handlers never run then: the link raises its events from the event loop.
    bool InsideHandler() const { return handlerDepth_ > 0; }
    void setConnected(bool) {}
    bool TimerEnabled() const { return tmrTimer_.isActive(); }
    void setTimerEnabled(bool on);
    // Widths of the text fields of the settings writes.
    static constexpr int UserIDField = 10;
    static constexpr int SerialField = 12;

    int32_t Status() const { return status_; }
    void setStatus(int32_t status) { status_ = status; }
    void DataSend(const QString& datas, bool initFlag = false);

    // Where the serial log goes (written while SerialFileNo is 1 or more).
    void setSerialLogPath(const QString& path) { serialLogPath_ = path; }
    // SerialLog.log in the program folder unless the host chose another file.
    QString serialLogPath() const {
        return serialLogPath_.isEmpty() ? core::SerialLogPath() : serialLogPath_;
    }

    // The pump the operations wait through (the program's event loop unless a test sets one).
    void setEventPump(platform::EventPump* pump) { pump_ = pump ? pump : &ownPump_; }

    // ---- bound objects ----
    core::clsInstrument* Instrument() const { return instrument_; }
    void setInstrument(core::clsInstrument* instrument) { instrument_ = instrument; }
    core::RecordLines* Intervals() const { return intervals_; }
    void setIntervals(core::RecordLines* intervals) { intervals_ = intervals; }
    core::RecordLines* Alarms() const { return alarms_; }
    void setAlarms(core::RecordLines* alarms) { alarms_ = alarms; }
    core::RecordLines* History() const { return history_; }
    void setHistory(core::RecordLines* history) { history_ = history; }

    // ---- reads and downloads ----
    // Reads every setting into `inst` (cleared first); False when an answer failed.
    bool GetInstrument(core::clsInstrument& inst);
    bool GetInterval(core::RecordLines& intervals);
    bool GetHistory(core::RecordLines& history);
    bool GetLatestHistory(core::clsInstrument& inst);
    bool GetAlarm(core::RecordLines& alarms);
    bool GetAlarmEvent(core::RecordLines& events);
    bool GetTroubleEvent(core::RecordLines& events);
    bool GetPowerEvent(core::RecordLines& events);

    // ---- writes ----
    // Sends every changed setting group in the fixed order, lowering each group's flags once
    // accepted, then "DW,W,"; True when at least one was sent and all were accepted.
    bool SetInstrument(core::clsInstrument& inst);
    bool SetDateTime(rt::OleDate date);
    // Writes every setting, the present time and clears the instrument's memory.
    bool SetInitValue(core::clsInstrument& inst);

    // ---- calibration, clear, power off, live readings ----
    bool ZeroCal(const QString& gasFlag);
    bool SpanCal(const QString& gasFlag);
    bool ZeroStatus(int index) const;
    bool SpanStatus(int index) const;
    bool BodyDataClear();
    bool BodyPowerOff();
    bool RunDensty() const { return tmrDenst_.isActive(); }
    void setRunDensty(bool run);
    // The 1 s live-reading tick; tests call it directly.
    void tmrDenst_Timer();

    // ---- memory dump list ----
    // Reads memory area `cmd` ("EP", "EF", "ES") into the list file `fileName`.
    bool GetRomDump(const QString& fileName, const QString& cmd);
    // The part of a dump line after its address: the 16 bytes in hex and as characters.
    static QString FormatDumpLine(const QString& digits);

    // Results of calibration and clear answers.
    QString ZeroResult() const { return zeroResult_; }
    QString SpanResult() const { return spanResult_; }
    bool ClearDone() const { return clearDone_; }
    bool OperationOk() const { return operationOk_; }

    // The read commands of GetInstrument, in their order ("" for an unused entry).
    struct ReadCommand {
        QString command;
        int32_t minimumRom = -1;
    };
    static const std::array<ReadCommand, 40>& ReadCommandTable();

    int32_t LinkState() const { return linkState_; }
    int16_t RetryCount() const { return retryCount_; }
    QString LastFrame() const { return lastFrame_; }

    // The 100 ms link tick; tests call it directly.
    void tmrTimer_Timer();
    // Notifications of the two ports.
    void mscComm_OnComm(int code);
    void ZvIrDA1_OnComm(int code);

  signals:
    void OnConnect();
    void Densty(float v0, float v1, float v2, float v3, float v4);
    void ConnectRetry(int16_t count);
    void InstMessage(const QString& text);
    void InterMessage(const QString& text);
    void AlarmMessage(const QString& text);
    void DumpMessage(const QString& text);
    void CommLost();
    void IrDAError(int16_t detail);
    void StsTransmit();
    void StsIdle();
    // The serial port was lost, with the reason; and opened again.
    void PortLost(const QString& reason);
    void PortReopened();

  private:
    // What became of one received frame.
    enum class Verdict {
        Accepted,  // taken in: the exchange goes on (ACK) or is done (last block)
        Refused,   // garbled or wrong: asked for again
        Foreign,   // sound, but the answer to another request (a late duplicate): ignored
        Fatal,     // cannot be taken in on this side (the list file failed): the read ends
    };
    // A failure of the list file of a memory dump, as opposed to a fault of the answer.
    struct ListFileError : rt::RuntimeError {
        using rt::RuntimeError::RuntimeError;
    };

    bool infraredCarriesLink() const;
    // The port whose properties the pass-through members reach.
    platform::LinePort& activePort() const;
    bool exchangeRunning() const;
    // An operation needs the instrument: without a connection it fails at once (Status 7),
    // before it sends or empties anything.
    bool linkReady();
    // Waits while Status keeps `waiting`, calling `each` on every pass. The wait also ends when
    // the host cancels (Status 8) or the connection it started on is lost (Status 7).
    void awaitAnswer(int32_t waiting, const std::function<void()>& each = {});
    void WriteLog(const QString& text);
    void logLineError(int textId);
    void receive(const QString& text, bool infrared);
    // Cuts the complete frames out of the receive buffer and answers each, while an exchange
    // runs.
    void takeFrames();
    // The position of the next ETB or EOT from where the last scan stopped, or -1; notes the
    // first CR and STX of the frame being gathered on the way.
    qsizetype scanToTerminator();
    void resetReceiveBuffer();
    // Received text that no request waits for.
    void dropReceived(const QString& text);
    QString ackPrefix() const;
    // The serial port is gone: the connection with it, and whatever exchange ran.
    void serialPortLost();
    Verdict ParseResponse(QString& frame);
    bool parseAnswer(const QString& key, const QString& frame, QChar resultChar);
    bool parseConnect(const QString& frame);
    bool parseSetting(const QString& key);
    bool parseWrite(const QString& key, const QString& frame, QChar resultChar);
    bool parseBlock(core::RecordLines* lines, int firstToken, bool historyBlock);
    // Field i of the answer data; "" beyond the fields of this answer.
    QString token(int i) const;
    int fieldCount() const { return static_cast<int>(answerFields_.size()); }
    // Sends one request and waits while Status keeps `waiting`, passing the messages of
    // `messages` on through `emitMessage`.
    void exchange(const QString& command, int32_t waiting, const std::function<QString()>& message,
                  const std::function<void(const QString&)>& emitMessage);
    bool download(core::RecordLines& lines, core::LogKind kind, core::RecordLines*& binding,
                  const QString& command, bool alarmMessages);
    // Sends one write or confirmation request and waits while Status is 5; the final Status.
    int32_t sendAndWait(const QString& body);
    // Waits `ticks` link ticks (the pause between confirmation polls).
    void pause(int ticks);
    // Polls `body` until `done` holds; False when an answer failed, the host cancelled, or the
    // instrument kept the program waiting beyond the ceiling.
    bool confirm(const QString& body, const std::function<bool()>& done);
    bool calibrate(const QString& command, const QString& gasFlag, QString& result);
    bool parseDump();
    void WriteDumpList();
    // Raises ListFileError when the file takes less than the whole text.
    static void writeList(QFile& file, const QString& text);
    // Events reach the host from the event loop, never from inside a tick or a receive.
    template <class F>
    void raise(F&& emitter) {
        QMetaObject::invokeMethod(this, std::forward<F>(emitter), Qt::QueuedConnection);
    }

    platform::SerialPort& serial_;
    platform::InfraredPort& infrared_;
    QTimer tmrTimer_;
    int handlerDepth_ = 0;
    // Marks the time a handler of the link runs.
    struct HandlerScope {
        explicit HandlerScope(int& depth) : depth_(depth) { ++depth_; }
        ~HandlerScope() { --depth_; }
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;
        int& depth_;
    };

    bool serialComm_ = false;
    int16_t retry_ = 0;
    int16_t timeoutTicks_ = 0;
    int16_t retryCount_ = 0;
    int16_t keepAliveCountdown_ = 0;
    int16_t timeoutCountdown_ = 0;
    std::array<float, 5> factCal_{};
    int32_t tickCount_ = 0;
    int16_t serialFileNo_ = 0;
    int16_t dumpListFileNo_ = 0;
    QString lastFrame_;
    bool cancel_ = false;
    // Received text: [frameStart_, size) is not cut into frames yet; [frameStart_, scanPos_)
    // has been searched for terminators, with its first CR and STX at firstCr_ and firstStx_
    // (-1 when none). The consumed front is dropped once per notification.
    QString receiveBuffer_;
    qsizetype frameStart_ = 0, scanPos_ = 0, firstCr_ = -1, firstStx_ = -1;
    bool dropLogged_ = false;   // one log line for the text dropped since the last send
    int64_t connectCount_ = 0;  // accepted connects; tells a wait that its connection has gone
    int32_t status_ = StatusNone;
    int32_t linkState_ = LinkNone;
    bool linesOff_ = false;
    bool enabled_ = true;
    QString serialLogPath_;
    PortKeeper keeper_;
    bool logFailed_ = false;
    QStringList answerFields_;
    platform::QtEventPump ownPump_;
    platform::EventPump* pump_ = &ownPump_;
    core::clsInstrument* instrument_ = nullptr;
    core::RecordLines* intervals_ = nullptr;
    core::RecordLines* alarms_ = nullptr;
    core::RecordLines* history_ = nullptr;
    core::RecordLines* alarmEvents_ = nullptr;
    core::RecordLines* troubleEvents_ = nullptr;
    core::RecordLines* powerEvents_ = nullptr;
    int16_t historyRequestNo_ = 0;
    QString zeroResult_, spanResult_;
    bool clearDone_ = false;
    bool operationOk_ = false;
    QChar resultChar_;
    QTimer tmrDenst_;
    bool densityInFlight_ = false;
    int64_t tickTotal_ = 0;  // every link tick ever; measures pauses and ceilings
    // The memory dump in progress.
    std::array<QString, 17> dumpData_;
    std::array<int32_t, 17> dumpAddress_{};
    int16_t dumpLineCount_ = 0;
    QFile* dumpFile_ = nullptr;
    std::optional<rt::RuntimeError> listError_;  // the list file's failure, raised after the wait
};

}  // namespace comm
