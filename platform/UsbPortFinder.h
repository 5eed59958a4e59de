#pragma once

#include <QString>
#include <vector>

namespace platform {

// One device found by the finder; portName is "COM" followed by the port number.
struct PortRecord {
    QString deviceName;
    QString description;
    QString portName;
};

// Finds the serial ports of USB devices by a hardware id such as "VID_10C4&PID_EA60".
// Errors (a malformed id, a failing system query) are raised as rt::RuntimeError.
class UsbPortFinder {
  public:
    virtual ~UsbPortFinder() = default;
    virtual std::vector<PortRecord> find(const QString& hardwareId) = 0;
};

// The system's serial ports through QSerialPortInfo. /dev/ttyUSBk is reported as port k+1.
class SerialPortInfoFinder : public UsbPortFinder {
  public:
    std::vector<PortRecord> find(const QString& hardwareId) override;
};

// "/dev/ttyUSB3" -> 4; 0 when the path is not a USB serial device.
int portNumberOfDevice(const QString& devicePath);
// 4 -> "/dev/ttyUSB3".
QString deviceOfPortNumber(int port);

}  // namespace platform
