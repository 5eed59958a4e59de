#pragma once

#include "core/ModMain.h"
#include "tests/support/InstrumentWindow.h"

namespace testsupport {

// A connected window with its instrument's information read and the Set page shown (with
// "-R" when `factory`); every request the instrument receives from then on is kept.
struct SetPageWindow : InstrumentWindow {
    QStringList requests;
    explicit SetPageWindow(bool factory = false)
        : InstrumentWindow(FakeQM73::Typical(),
                           [factory](WindowRig&) { core::SwitchR = factory; }) {
        onRequest = [this](const QString& body) { requests << body; };
        EXPECT_TRUE(connect());
        click(0);
        tick(20);
        window->cmdInst_Click(4);
        settle();
        requests.clear();
        rig.dialogs.messages.clear();
    }
    settings::SetPage& page() { return *window->setPage; }
    core::clsInstrument& inst() { return window->instrument(); }
};

}  // namespace testsupport
