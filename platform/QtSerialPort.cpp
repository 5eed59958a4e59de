#include "platform/QtSerialPort.h"

#include <QScopeGuard>
#include <QStringList>
#include <QThread>
#include <memory>

#include "platform/StringTable.h"
#include "platform/UsbPortFinder.h"
#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"

namespace platform {

namespace {

enum Text : int {
    TextBeingOpened = 5920,
};

}  // namespace

std::optional<LineSettings> ParseLineSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) return std::nullopt;
    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;
    const int data = parts[2].trimmed().toInt(&ok);
    if (!ok || data < 5 || data > 8) return std::nullopt;
    s.dataBits = static_cast<QSerialPort::DataBits>(data);
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return s;
}

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceForPort, QObject* parent)
    : SerialPort(parent), deviceForPort_(std::move(deviceForPort)) {
    if (!deviceForPort_) deviceForPort_ = deviceOfPortNumber;
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    port_.close();
}

QString QtSerialPort::deviceName() const {
    return deviceForPort_(commPort());
}

bool QtSerialPort::acceptsSettings(const QString& settings) const {
    return ParseLineSettings(settings).has_value();
}

void QtSerialPort::changed() {
    if (portOpen()) applySettings();
}

void QtSerialPort::applySettings() {
    const LineSettings s = *ParseLineSettings(settings());
    port_.setBaudRate(s.baud);
    port_.setParity(s.parity);
    port_.setDataBits(s.dataBits);
    port_.setStopBits(s.stopBits);
    port_.setFlowControl(handshaking() == 1   ? QSerialPort::SoftwareControl
                         : handshaking() >= 2 ? QSerialPort::HardwareControl
                                              : QSerialPort::NoFlowControl);
    port_.setDataTerminalReady(dtrEnable());
    if (port_.flowControl() != QSerialPort::HardwareControl) port_.setRequestToSend(rtsEnable());
}

bool QtSerialPort::open(QString* error) {
    if (opening_) {
        // Asked again from inside the wait for the first opening.
        if (error) *error = LoadResText(TextBeingOpened, {deviceName()});
        return false;
    }
    if (port_.isOpen()) return true;
    port_.setPortName(deviceName());
    failing_ = false;
    if (!openDevice()) {
        denied_ = port_.error() == QSerialPort::PermissionError;
        if (error) *error = QStringLiteral("%1: %2").arg(deviceName(), port_.errorString());
        port_.clearError();
        return false;
    }
    denied_ = false;
    lostReason_.clear();
    applySettings();
    port_.clearError();
    pending_.clear();
    return true;
}

bool QtSerialPort::openDevice() {
    // The open takes the device's lock file and syncs it to the disk, which a slow disk makes
    // long: it runs on a thread of its own while the window waits, and the port (with the
    // notifiers the open makes) comes back to this object's thread once it is open.
    QThread* const home = thread();
    bool opened = false;
    opening_ = true;
    closeWhenOpened_ = false;
    const auto opening = qScopeGuard([this] { opening_ = false; });
    const std::unique_ptr<QThread> opener(QThread::create([&] {
        opened = port_.open(QIODevice::ReadWrite);
        port_.moveToThread(home);
    }));
    port_.moveToThread(opener.get());
    RunOffWindowThread([&] {
        opener->start();
        opener->wait();
    });
    opening_ = false;
    if (opened && closeWhenOpened_) port_.close();
    return opened && port_.isOpen();
}

void QtSerialPort::close() {
    if (opening_) {
        closeWhenOpened_ = true;
        return;
    }
    port_.close();
    pending_.clear();
}

QByteArray QtSerialPort::input() {
    QByteArray taken;
    taken.swap(pending_);
    return taken;
}

void QtSerialPort::output(const QByteArray& bytes) {
    if (portOpen()) port_.write(bytes);
}

void QtSerialPort::post(int code) {
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            if (code == CommEvReceive) receivePosted_ = false;
            emit commEvent(code);
        },
        Qt::QueuedConnection);
}

void QtSerialPort::setLines(int lines) {
    const int changed = lines ^ lines_;
    lines_ = lines;
    if (changed & ModemCts) post(CommEvCts);
    if (changed & ModemDsr) post(CommEvDsr);
}

void QtSerialPort::pollModemLines() {
    if (!portOpen() || failing_) return;
    const QSerialPort::PinoutSignals signals_ = port_.pinoutSignals();
    int lines = 0;
    if (port_.error() != QSerialPort::NoError) {
        // No modem lines on this device (a pseudo-terminal): it counts as connected.
        port_.clearError();
        lines = ModemCts | ModemDsr;
    } else {
        if (signals_ & QSerialPort::ClearToSendSignal) lines |= ModemCts;
        if (signals_ & QSerialPort::DataSetReadySignal) lines |= ModemDsr;
    }
    setLines(lines);
}

void QtSerialPort::onReadyRead() {
    pending_.append(port_.readAll());
    if (!receivePosted_ && !pending_.isEmpty()) {
        receivePosted_ = true;
        post(CommEvReceive);
    }
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            break;
        default:
            return;
    }
    if (failing_) return;
    failing_ = true;
    lostReason_ = QStringLiteral("%1: %2").arg(port_.portName(), port_.errorString());
    // The lines go off first, so the link learns of the loss while the port still counts as
    // open; the port closes after those notifications, and then the loss is reported.
    setLines(0);
    QMetaObject::invokeMethod(
        this,
        [this] {
            close();
            emit commEvent(CommEventPortLost);
        },
        Qt::QueuedConnection);
}

}  // namespace platform
