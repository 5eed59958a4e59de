#pragma once

#include <QSerialPort>
#include <functional>

#include "platform/SerialPort.h"

namespace platform {

// The serial port on QSerialPort. Port n is the device that `deviceForPort` names (by default
// /dev/ttyUSB(n-1)). Modem lines are read when the link polls them; a device without modem
// lines (a pseudo-terminal) reports CTS and DSR on while open. A read or resource error (the
// adapter was pulled) reports the lines off, then closes the port and reports it lost.
class QtSerialPort : public SerialPort {
    Q_OBJECT
  public:
    explicit QtSerialPort(std::function<QString(int)> deviceForPort = {},
                          QObject* parent = nullptr);
    ~QtSerialPort() override;

    // While the device is being opened the port is on the opening thread: it counts as closed
    // here, and nothing else touches it.
    bool portOpen() const override { return !opening_ && port_.isOpen(); }
    bool open(QString* error) override;
    bool lastOpenDenied() const override { return denied_; }
    void close() override;
    QString lostReason() const override { return lostReason_; }

    int inBufferCount() const override { return static_cast<int>(pending_.size()); }
    QByteArray input() override;
    void output(const QByteArray& bytes) override;

    int modemLines() const override { return lines_; }
    void pollModemLines() override;
    void resetModemLines() override { lines_ = 0; }

    QString deviceName() const;

  protected:
    bool acceptsSettings(const QString& settings) const override;
    void changed() override;

  private:
    void applySettings();
    bool openDevice();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void post(int code);
    void setLines(int lines);

    std::function<QString(int)> deviceForPort_;
    QSerialPort port_;
    QByteArray pending_;
    bool receivePosted_ = false;
    int lines_ = 0;
    bool failing_ = false;
    bool opening_ = false;
    bool closeWhenOpened_ = false;  // close() was asked for while the device was being opened
    bool denied_ = false;
    QString lostReason_;
};

struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
// nullopt when the text is not a settings string.
std::optional<LineSettings> ParseLineSettings(const QString& text);

}  // namespace platform
