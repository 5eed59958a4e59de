#pragma once

#include <vector>

#include "mainwindow/shell/WindowServices.h"
#include "platform/EventPump.h"
#include "platform/UsbPortFinder.h"
#include "tests/support/FakeInstrument.h"
#include "tests/support/GlobalsSnapshot.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// A USB adapter finder that reports the ports a test gives it.
class FakePortFinder : public platform::UsbPortFinder {
  public:
    std::vector<platform::PortRecord> ports;
    std::vector<platform::PortRecord> find(const QString&) override { return ports; }
};

// The services of a main window under test: the fake instrument's ports, a scripted finder and
// scripted dialogs, and a program folder of its own.
struct WindowRig {
    GlobalsSnapshot globals;  // first made, last gone
    TempProgramFolder folder;
    FakeSerialPort serial;
    FakeInfraredPort infrared;
    FakePortFinder finder;
    ScriptedDialogs dialogs;
    platform::QtEventPump pump;

    shell::WindowServices services() {
        return {serial, infrared, finder, dialogs, pump, folder.paths()};
    }
};

}  // namespace testsupport
