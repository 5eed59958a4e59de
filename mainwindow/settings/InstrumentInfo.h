#pragma once

#include <QGroupBox>

#include "core/ClsInstrument.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/settings/InstrumentPage.h"

namespace settings {

// What the Instrument Information page needs of the rest of the window.
class InstrumentInfoHost {
  public:
    virtual ~InstrumentInfoHost() = default;
    // The connected instrument's object (made when missing).
    virtual core::clsInstrument& instrument() = 0;
    virtual void UpdateStatusLabels() = 0;
    virtual void ShowSettingsGrid() = 0;
};

struct InstrumentInfoWiring {
    InstrumentPage& page;
    mainwindow::ControlArray<QGroupBox>& fraMenu;  // 1 is this page
    mainwindow::WindowFields& fields;
    InstrumentInfoHost& host;
};

// The Instrument Information page: one instrument's identity, the calibration of gas 3 with
// its due state, and its alarm points.
class InstrumentInfo {
  public:
    explicit InstrumentInfo(InstrumentInfoWiring wiring);

    // A stored download's instrument, opened from the library: kept apart from the connected
    // instrument, whose settings the Set page, the uploads and the calibration use.
    core::clsInstrument StoredInstrument;

    // Fills the page from `inst`: "[Sample data]" for the stored instrument, "[Connected]"
    // for the connected one when it has answered, "[No connected]" otherwise.
    void ShowInstrumentInfo(const core::clsInstrument& inst);
    // Both instrument pages again, after the instrument's data changed.
    void RefreshInstrumentPages();

  private:
    InstrumentInfoWiring w_;
};

}  // namespace settings
