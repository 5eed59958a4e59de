#pragma once

#include <QString>
#include <functional>

#include "link/uclVyif.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/download/DownloadHost.h"
#include "mainwindow/download/StatusLog.h"
#include "mainwindow/download/WindowLogs.h"
#include "platform/AppPaths.h"
#include "runtime/OleDate.h"

namespace download {

// The logs the instrument keeps, one download each.
enum class LogDownload { IntervalTrend, AlarmTrend, AlarmEvents, TroubleEvents, PowerEvents };

// Moves each kind of the instrument's data into the database: asks the link for one transfer
// into the window's collection of the kind, stores every record, and tells the user in the
// status log and the serial log. Each returns whether the download succeeded.
class Downloads {
  public:
    Downloads(comm::uclVyif& link, WindowLogs& logs, mainwindow::WindowFields& fields,
              StatusLog statusLog, DownloadHost& host, platform::AppPaths paths);

    bool DownloadIntervalTrend() { return DownloadLog(LogDownload::IntervalTrend); }
    bool DownloadAlarmTrend() { return DownloadLog(LogDownload::AlarmTrend); }
    bool DownloadAlarmEvents() { return DownloadLog(LogDownload::AlarmEvents); }
    bool DownloadTroubleEvents() { return DownloadLog(LogDownload::TroubleEvents); }
    bool DownloadPowerEvents() { return DownloadLog(LogDownload::PowerEvents); }
    bool DownloadLog(LogDownload kind);
    bool DownloadInstrument();
    // Moves SerialLog.log to ErrorLogs/SerialLog_yyyymmdd_hhnnss.log (with _1, _2, ... when the
    // name is taken); a move that fails is logged and changes no result.
    void KeepSerialLogOnError();
    // With "-R": the instrument's eight converter channels in the status log.
    void LogAnalogValues();

    // False once a download of this run left something behind on the instrument that is not
    // stored whole: a record that did not decode or did not store, or a latest calibration
    // that did not arrive. The automatic data removal follows only a whole run.
    bool RunWhole() const { return runWhole_; }
    void StartRun() { runWhole_ = true; }

    // The clock of the time-stamped names (tests fix it).
    std::function<rt::OleDate()> now = [] { return rt::OleDate::now(); };

  private:
    // The reason of a transfer that failed because the instrument stopped answering, in red.
    void tellNoAnswer();

    comm::uclVyif& link_;
    WindowLogs& logs_;
    mainwindow::WindowFields& fields_;
    StatusLog status_;
    DownloadHost& host_;
    platform::AppPaths paths_;
    bool runWhole_ = true;
};

}  // namespace download
