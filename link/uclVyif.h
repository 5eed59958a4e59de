#pragma once

#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <array>
#include <cstdint>

#include "core/ClsToken.h"
#include "platform/SerialPort.h"

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
    void setConnected(bool) {}
    bool TimerEnabled() const { return tmrTimer_.isActive(); }
    void setTimerEnabled(bool on);
    int32_t Status() const { return status_; }
    void setStatus(int32_t status) { status_ = status; }
    void DataSend(const QString& datas, bool initFlag = false);

    // Where the serial log goes (written while SerialFileNo is 1 or more).
    void setSerialLogPath(const QString& path) { serialLogPath_ = path; }
    QString serialLogPath() const { return serialLogPath_; }

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

  private:
    bool infraredCarriesLink() const;
    // The port whose properties the pass-through members reach.
    platform::LinePort& activePort() const;
    bool exchangeRunning() const;
    void WriteLog(const QString& text);
    void logLineError(int textId);
    void receive(const QString& text, bool infrared);
    QString ackPrefix() const;
    bool openSerialPort();
    bool ParseResponse(QString& frame);
    bool parseConnect(const QString& frame);
    // Events reach the host from the event loop, never from inside a tick or a receive.
    template <class F>
    void raise(F&& emitter) {
        QMetaObject::invokeMethod(this, std::forward<F>(emitter), Qt::QueuedConnection);
    }

    platform::SerialPort& serial_;
    platform::InfraredPort& infrared_;
    QTimer tmrTimer_;

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
    QString receiveBuffer_;
    int32_t status_ = StatusNone;
    int32_t linkState_ = LinkNone;
    bool linesOff_ = false;
    bool enabled_ = true;
    QString serialLogPath_;
    core::clsToken token_;
};

}  // namespace comm
