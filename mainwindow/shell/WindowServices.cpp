#include "mainwindow/shell/WindowServices.h"

#include "platform/QtSerialPort.h"
#include "platform/gui/QtDialogs.h"

namespace shell {

struct SystemServices::Parts {
    platform::QtSerialPort serial;
    platform::NoInfraredPort infrared;
    platform::SerialPortInfoFinder finder;
    platform::QtDialogs dialogs;
    platform::QtEventPump pump;
};

SystemServices::SystemServices(platform::AppPaths paths)
    : parts_(std::make_unique<Parts>()), paths_(std::move(paths)) {}

SystemServices::~SystemServices() = default;

WindowServices SystemServices::bundle() {
    return {parts_->serial,
            parts_->infrared,
            parts_->finder,
            parts_->dialogs,
            parts_->pump,
            paths_,
            {}};
}

}  // namespace shell
