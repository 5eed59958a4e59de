#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

namespace platform {

// Event codes a serial port reports, as the link knows them.
enum CommEventCode : int {
    CommEvReceive = 2,
    CommEvCts = 3,
    CommEvDsr = 4,
    CommEventBreak = 1001,
    CommEventFrame = 1004,
    CommEventOverrun = 1006,
    CommEventRxOver = 1008,
    CommEventRxParity = 1009,
    CommEventTxFull = 1010,
    CommEventDCB = 1011,
    // The device failed or went away (a pulled USB adapter, a hang-up): the port has been
    // closed. Reported after the modem lines went off.
    CommEventPortLost = 1100,
};

// Modem line bits as the link reads them.
inline constexpr int ModemCts = 0x10;
inline constexpr int ModemDsr = 0x20;

// The line properties that both kinds of port carry, kept here; a port applies them to its
// device through changed().
class LinePort : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    int commPort() const { return commPort_; }
    void setCommPort(int port) { commPort_ = port; }
    // "baud,parity,data bits,stop bits", e.g. "921600,n,8,1". Raises error 380 for a text
    // the port does not accept.
    QString settings() const { return settings_; }
    void setSettings(const QString& settings);
    bool dtrEnable() const { return dtr_; }
    void setDtrEnable(bool on);
    bool rtsEnable() const { return rts_; }
    void setRtsEnable(bool on);
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
    int handshaking() const { return handshaking_; }
    void setHandshaking(int mode);

  signals:
    void commEvent(int code);

  protected:
    virtual bool acceptsSettings(const QString&) const { return true; }
    // Called after a property other than the port number changed.
    virtual void changed() {}

  private:
    int commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    bool dtr_ = false, rts_ = false;
    int handshaking_ = 0;
};

// What the instrument link needs of a serial port. Every notification is posted to the event
// loop (commEvent), never delivered from inside a read.
class SerialPort : public LinePort {
    Q_OBJECT
  public:
    using LinePort::LinePort;

    virtual bool portOpen() const = 0;
    // False with the reason when the port cannot be opened.
    virtual bool open(QString* error) = 0;
    // Whether the last failed open was refused for want of permission on the device.
    virtual bool lastOpenDenied() const { return false; }
    virtual void close() = 0;
    // Why the port was lost, for the log ("" when it was not).
    virtual QString lostReason() const { return QString(); }

    virtual int inBufferCount() const = 0;
    // Takes every byte that is waiting.
    virtual QByteArray input() = 0;
    virtual void output(const QByteArray& bytes) = 0;

    // CTS (0x10) and DSR (0x20) as last polled. Off until the port has been open; a short
    // close keeps them, so reopening an attached instrument's port reports no change.
    virtual int modemLines() const = 0;
    // While the port is open: reads the modem lines and posts CommEvCts / CommEvDsr for each
    // line that changed.
    virtual void pollModemLines() = 0;
    // Forgets the lines (they count as off again), without a notification: after the host
    // closed the port, an instrument found attached at the next opening connects anew.
    virtual void resetModemLines() = 0;
};

// What the link needs of an infrared port.
class InfraredPort : public LinePort {
    Q_OBJECT
  public:
    using LinePort::LinePort;

    enum EventCode : int { Receive = 2, DeviceFound = 1020, SocketError = 1021 };

    // True when data go through this port instead of the serial port.
    virtual bool ownLinkActive() const = 0;
    virtual QString foundDeviceName() const = 0;
    virtual int errorDetail() const = 0;
    virtual void keepAlive() = 0;

    virtual bool portOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;

    virtual int inBufferCount() const = 0;
    virtual QString input() = 0;
    virtual void output(const QString& text) = 0;
};

// Linux has no infrared stack for the instrument: this port never finds a device and never
// carries the link; it only keeps the properties it is given.
class NoInfraredPort : public InfraredPort {
    Q_OBJECT
  public:
    using InfraredPort::InfraredPort;
    bool ownLinkActive() const override { return false; }
    QString foundDeviceName() const override { return QString(); }
    int errorDetail() const override { return 0; }
    void keepAlive() override {}
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override { open_ = open; }
    int inBufferCount() const override { return 0; }
    QString input() override { return QString(); }
    void output(const QString&) override {}

  private:
    bool open_ = false;
};

}  // namespace platform
