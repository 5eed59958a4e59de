#pragma once

#include "core/ModMain.h"

namespace testsupport {

// The program's module-level settings as they were when made, put back when it ends: a test
// that starts the main window (which reads and writes them) leaves no trace in the next one.
class GlobalsSnapshot {
  public:
    GlobalsSnapshot()
        : switchR_(core::SwitchR),
          switchU_(core::SwitchU),
          debugMode_(core::DebugMode),
          commSettings_(core::CommSettings),
          irCommNum_(core::IrCommNum),
          appPath_(core::AppPath.isSet() ? core::AppPath.path() : QString()),
          dataFolder_(core::DataFolder.isSet() ? core::DataFolder.path() : QString()),
          executeCount_(core::ExecuteCount),
          serialLogEnabled_(core::SerialLogEnabled),
          factoryRecordSuffix_(core::FactoryRecordSuffix),
          timeoutSeconds_(core::TimeoutSeconds),
          retryLimit_(core::RetryLimit),
          autoCalibrationMode_(core::AutoCalibrationMode),
          autoLoadMode_(core::AutoLoadMode),
          autoRemoveData_(core::AutoRemoveData),
          graphColors_(core::GraphColors),
          limitDays_(core::LimitDays),
          calibRange_(core::CalibRange),
          printLineWidths_(core::PrintLineWidths),
          calUnitOnWait_(core::CalUnitOnWait),
          calSpanOnWait_(core::CalSpanOnWait),
          calSpanOffWait_(core::CalSpanOffWait),
          completelyView_(core::CompletelyView),
          outlineMode_(core::OutlineMode),
          trendSearchBefore_(core::TrendSearchBefore),
          trendSearchAfter_(core::TrendSearchAfter),
          settingsPassword_(core::SettingsPassword),
          defaultInstrument_(core::DefaultInstrument),
          settingsFont_(core::SettingsFont),
          autoCalibSnapshot_(core::AutoCalibSnapshot),
          gasPresetTable_(core::GasPresetTable) {}
    ~GlobalsSnapshot() {
        core::SwitchR = switchR_;
        core::SwitchU = switchU_;
        core::DebugMode = debugMode_;
        core::CommSettings = commSettings_;
        core::IrCommNum = irCommNum_;
        core::AppPath = appPath_;
        core::DataFolder = dataFolder_;
        core::ExecuteCount = executeCount_;
        core::SerialLogEnabled = serialLogEnabled_;
        core::FactoryRecordSuffix = factoryRecordSuffix_;
        core::TimeoutSeconds = timeoutSeconds_;
        core::RetryLimit = retryLimit_;
        core::AutoCalibrationMode = autoCalibrationMode_;
        core::AutoLoadMode = autoLoadMode_;
        core::AutoRemoveData = autoRemoveData_;
        core::GraphColors = graphColors_;
        core::LimitDays = limitDays_;
        core::CalibRange = calibRange_;
        core::PrintLineWidths = printLineWidths_;
        core::CalUnitOnWait = calUnitOnWait_;
        core::CalSpanOnWait = calSpanOnWait_;
        core::CalSpanOffWait = calSpanOffWait_;
        core::CompletelyView = completelyView_;
        core::OutlineMode = outlineMode_;
        core::TrendSearchBefore = trendSearchBefore_;
        core::TrendSearchAfter = trendSearchAfter_;
        core::SettingsPassword = settingsPassword_;
        core::DefaultInstrument = defaultInstrument_;
        core::SettingsFont = settingsFont_;
        core::AutoCalibSnapshot = autoCalibSnapshot_;
        core::GasPresetTable = gasPresetTable_;
    }
    GlobalsSnapshot(const GlobalsSnapshot&) = delete;
    GlobalsSnapshot& operator=(const GlobalsSnapshot&) = delete;

  private:
    bool switchR_, switchU_, debugMode_;
    QString commSettings_;
    int16_t irCommNum_;
    QString appPath_, dataFolder_;
    int32_t executeCount_;
    bool serialLogEnabled_;
    QString factoryRecordSuffix_;
    int16_t timeoutSeconds_, retryLimit_;
    bool autoCalibrationMode_, autoLoadMode_, autoRemoveData_;
    std::array<int32_t, 6> graphColors_;
    int16_t limitDays_;
    std::array<float, 5> calibRange_;
    std::array<float, 3> printLineWidths_;
    int16_t calUnitOnWait_, calSpanOnWait_, calSpanOffWait_;
    bool completelyView_;
    bool outlineMode_;
    int16_t trendSearchBefore_, trendSearchAfter_;
    QString settingsPassword_;
    core::clsInstrument defaultInstrument_;
    core::StdFont settingsFont_;
    std::array<float, 6> autoCalibSnapshot_;
    std::array<std::array<core::GasPreset, 9>, 5> gasPresetTable_;
};

}  // namespace testsupport
