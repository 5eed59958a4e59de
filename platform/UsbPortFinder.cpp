#include "platform/UsbPortFinder.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include "runtime/RuntimeError.h"

namespace platform {

int portNumberOfDevice(const QString& devicePath) {
    static const QRegularExpression pattern(QStringLiteral("^(?:/dev/)?ttyUSB(\\d+)$"));
    const auto match = pattern.match(devicePath);
    return match.hasMatch() ? match.captured(1).toInt() + 1 : 0;
}

QString deviceOfPortNumber(int port) {
    return QStringLiteral("/dev/ttyUSB%1").arg(port - 1);
}

std::vector<PortRecord> SerialPortInfoFinder::find(const QString& hardwareId) {
    static const QRegularExpression pattern(
        QStringLiteral("^VID_([0-9A-Fa-f]{4})&PID_([0-9A-Fa-f]{4})$"));
    const auto match = pattern.match(hardwareId);
    if (!match.hasMatch())
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("Malformed USB hardware id: ") + hardwareId);
    const quint16 vendor = match.captured(1).toUShort(nullptr, 16);
    const quint16 product = match.captured(2).toUShort(nullptr, 16);

    std::vector<PortRecord> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!info.hasVendorIdentifier() || !info.hasProductIdentifier()) continue;
        if (info.vendorIdentifier() != vendor || info.productIdentifier() != product) continue;
        const int port = portNumberOfDevice(info.systemLocation());
        if (port == 0) continue;
        found.push_back(
            {info.systemLocation(), info.description(), QStringLiteral("COM%1").arg(port)});
    }
    return found;
}

}  // namespace platform
