#pragma once

#include "core/ClsInstrument.h"

namespace download {

// What the Download page's commands and the link's events ask of the rest of the main window.
class DownloadHost {
  public:
    virtual ~DownloadHost() = default;
    // The instrument's information shown on the Download, Instrument Information and Set pages.
    virtual void RefreshInstrumentPages() = 0;
    // One line of the settings record file for the instrument.
    virtual void deviceUpdateLog(core::clsInstrument& instrument) = 0;
    // The live readings in the calibration view.
    virtual void ShowLiveReading() = 0;
    // The window's part of the reset after a power off, in this order: the display settings
    // saved, the defaults set, the settings file read again with its fonts and colours shown,
    // the status labels, the activation's start-up block run again, the port reopened.
    virtual void SaveDisplaySettings() = 0;
    virtual void SetDefaults() = 0;
    virtual void ReloadSettings() = 0;
    virtual void UpdateStatusLabels() = 0;
    virtual void Form_Activate() = 0;
    virtual void OpenInstrumentPort() = 0;
};

}  // namespace download
