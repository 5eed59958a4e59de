#include "platform/SerialPort.h"

#include "runtime/RuntimeError.h"

namespace platform {

void LinePort::setSettings(const QString& settings) {
    if (!acceptsSettings(settings))
        throw rt::RuntimeError(380, QStringLiteral("Invalid port settings: ") + settings);
    settings_ = settings;
    changed();
}

void LinePort::setDtrEnable(bool on) {
    dtr_ = on;
    changed();
}

void LinePort::setRtsEnable(bool on) {
    rts_ = on;
    changed();
}

void LinePort::setHandshaking(int mode) {
    handshaking_ = mode;
    changed();
}

}  // namespace platform
