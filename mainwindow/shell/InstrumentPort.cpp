#include "core/ModMain.h"
#include "mainwindow/shell/FrmMain.h"
#include "mainwindow/shell/SerialLogs.h"

namespace shell {

namespace {

enum PortText : int {
    TextSeveralAdapters = 5489,
    TextPortCannotOpen = 5491,
    TextNoAdapter = 5492,
    TextDevicePermission = 5493,
};

}  // namespace

void FrmMain::configureInstrumentPort() {
    if (core::IrCommNum != 0) {
        uclVY5103.setSerialComm(true);
        uclVY5103.setCommPort(core::IrCommNum);
        uclVY5103.setRTSEnable(true);
        uclVY5103.setDTREnable(true);
        uclVY5103.setHandshaking(2);
        uclVY5103.setSettings(core::CommSettings);
    } else {
        uclVY5103.setSerialComm(false);
    }
}

std::vector<int> FrmMain::LocateInstrumentPort() {
    // Asked again at every look-up while the adapter is away: no message box here, the status
    // log tells the user.
    const std::vector<int> ports =
        core::AdapterPortNumbers(services_.finder.find(core::AdapterHardwareId));
    if (ports.size() > 1 && !severalAdaptersTold_)
        AppendStatusLog(core::LoadResText(TextSeveralAdapters), download::ColorStatusProgress);
    severalAdaptersTold_ = ports.size() > 1;
    return ports;
}

void FrmMain::SelectInstrumentPort(int port) {
    core::IrCommNum = static_cast<int16_t>(port);
    configureInstrumentPort();
}

void FrmMain::OpenInstrumentPort() {
    core::FindAdapterPort(core::AdapterHardwareId, services_.finder, services_.dialogs);
    configureInstrumentPort();
    uclVY5103.setPortOpen(true);

    // The link says nothing of a port that would not open; the user is told here, so that it
    // does not look like an instrument not yet attached.
    if (core::IrCommNum == 0) {
        AppendStatusLog(core::LoadResText(TextNoAdapter), download::ColorStatusFailed);
    } else if (!uclVY5103.PortOpen()) {
        AppendStatusLog(core::LoadResText(TextPortCannotOpen, {uclVY5103.LastOpenError()}),
                        download::ColorStatusFailed);
        if (services_.serial.lastOpenDenied())
            AppendStatusLog(core::LoadResText(TextDevicePermission), download::ColorStatusFailed);
    }
    lightPortLamp();
}

void FrmMain::RotateSerialLogs() {
    RotateSerialLogFiles(services_.paths.programFolder());
}

}  // namespace shell
