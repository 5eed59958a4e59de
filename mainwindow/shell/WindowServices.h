#pragma once

#include <memory>

#include "mainwindow/common/ReportForms.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "platform/UsbPortFinder.h"

namespace shell {

// What the main window needs of the system: the instrument's ports, the USB adapter finder,
// message boxes and file dialogs, the waits, and the program folder. Tests pass fakes.
struct WindowServices {
    platform::SerialPort& serial;
    platform::InfraredPort& infrared;
    platform::UsbPortFinder& finder;
    platform::Dialogs& dialogs;
    platform::EventPump& pump;
    platform::AppPaths paths;
    // The report printing's print form (filled by the program; tests record the requests).
    mainwindow::PrintForms printForms;
};

// The services of the running program: the real serial port, no infrared link (Linux has no
// stack for it), the system's adapter finder, dialogs on screen and the event loop's waits.
class SystemServices {
  public:
    explicit SystemServices(platform::AppPaths paths);
    ~SystemServices();
    WindowServices bundle();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    platform::AppPaths paths_;
};

}  // namespace shell
