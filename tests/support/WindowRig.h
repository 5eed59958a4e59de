#pragma once

#include <QCoreApplication>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "mainwindow/shell/WindowServices.h"
#include "platform/EventPump.h"
#include "platform/UsbPortFinder.h"
#include "platform/Waiting.h"
#include "tests/support/FakeInstrument.h"
#include "tests/support/GlobalsSnapshot.h"
#include "tests/support/RecordingPrintForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// A USB adapter finder that reports the ports a test gives it.
class FakePortFinder : public platform::UsbPortFinder {
  public:
    std::vector<platform::PortRecord> ports;
    int finds = 0;
    std::vector<platform::PortRecord> find(const QString&) override {
        ++finds;
        return ports;
    }
};

// The window's event pump. Without a tick it is the real one; with a tick, every pass of events
// is followed by one tick of simulated time (the link's and the window's clocks), so waits for
// the instrument and for the clock end as fast as the program can go.
class WindowPump : public platform::EventPump {
  public:
    std::function<void()> tick;
    int ticks = 0;
    int limit = 200000;

    void waitWhile(const std::function<bool()>& busy) override {
        if (!tick) {
            real_.waitWhile(busy);
            return;
        }
        // Events first, then a look, then a tick; under the program's one rule for waits.
        bool first = true;
        int n = 0;
        platform::PassWhile([&] {
            if (std::exchange(first, false)) return true;
            if (!busy()) return false;
            if (n++ > limit) throw std::runtime_error("The wait did not end");
            ++ticks;
            tick();
            return true;
        });
    }

  private:
    platform::QtEventPump real_;
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
    WindowPump pump;
    // What the window's print forms were asked to print; or, when set, the print forms the
    // window uses.
    std::vector<PrintRequest> printed;
    mainwindow::PrintForms printForms;

    shell::WindowServices services() {
        mainwindow::PrintForms forms = printForms;
        if (!forms) forms = [this] { return std::make_unique<RecordingPrintForm>(printed); };
        return {serial, infrared, finder, dialogs, pump, folder.paths(), forms};
    }
};

}  // namespace testsupport
