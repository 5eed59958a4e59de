#include "mainwindow/download/LinkEvents.h"

#include "core/ModMain.h"

namespace download {

namespace {

enum Text : int {
    TextPortsError = 5371,
    TextPortsErrorTitle = 5372,
    TextPortLost = 5495,
    TextConnectRetry = 5412,
    TextConnected = 5432,
};

// Runs one handler; an error is shown and the window goes on.
template <class F>
void guarded(platform::Dialogs& dialogs, F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs.message(QString::fromUtf8(e.what()), QStringLiteral("QM-73"),
                        platform::MsgIcon::Critical);
    }
}

}  // namespace

LinkEvents::LinkEvents(DownloadWiring wiring, DownloadCommands& commands, QObject* parent)
    : QObject(parent), w_(wiring), commands_(commands) {
    LiveReadings.fill(-101.0f);
    comm::uclVyif* link = &w_.link;
    platform::Dialogs& d = w_.dialogs;
    connect(link, &comm::uclVyif::OnConnect, this,
            [this, &d] { guarded(d, [this] { uclVY5103_OnConnect(); }); });
    connect(link, &comm::uclVyif::Densty, this,
            [this, &d](float r0, float r1, float r2, float r3, float r4) {
                guarded(d, [&] { uclVY5103_Densty(r0, r1, r2, r3, r4); });
            });
    connect(link, &comm::uclVyif::ConnectRetry, this,
            [this, &d](int16_t n) { guarded(d, [&] { uclVY5103_ConnectRetry(n); }); });
    connect(link, &comm::uclVyif::InstMessage, this,
            [this, &d](const QString& t) { guarded(d, [&] { uclVY5103_InstMessage(t); }); });
    connect(link, &comm::uclVyif::InterMessage, this,
            [this, &d](const QString& t) { guarded(d, [&] { uclVY5103_InterMessage(t); }); });
    connect(link, &comm::uclVyif::AlarmMessage, this,
            [this, &d](const QString& t) { guarded(d, [&] { uclVY5103_AlarmMessage(t); }); });
    connect(link, &comm::uclVyif::DumpMessage, this,
            [this, &d](const QString& t) { guarded(d, [&] { uclVY5103_DumpMessage(t); }); });
    connect(link, &comm::uclVyif::CommLost, this,
            [this, &d] { guarded(d, [this] { uclVY5103_CommLost(); }); });
    connect(link, &comm::uclVyif::IrDAError, this,
            [this, &d](int16_t code) { guarded(d, [&] { uclVY5103_IrDAError(code); }); });
    connect(link, &comm::uclVyif::PortLost, this,
            [this, &d] { guarded(d, [this] { uclVY5103_PortLost(); }); });
    connect(link, &comm::uclVyif::PortReopened, this,
            [this, &d] { guarded(d, [this] { uclVY5103_PortReopened(); }); });
    w_.busy.whenIdle([this] { connectWhenIdle(); });
}

void LinkEvents::light(int lamp, const mainwindow::LampColors& colors) {
    w_.page.shpStatus[lamp]->setFillColor(colors.fill);
    w_.page.shpStatus[lamp]->setBorderColor(colors.border);
}

void LinkEvents::connectWhenIdle() {
    if (!connectPending_) return;
    connectPending_ = false;
    // From the event loop, never from inside the scope that just ended.
    QMetaObject::invokeMethod(
        this, [this] { guarded(w_.dialogs, [this] { uclVY5103_OnConnect(); }); },
        Qt::QueuedConnection);
}

void LinkEvents::uclVY5103_OnConnect() {
    // The program is ending: an instrument that connects now is left alone.
    if (w_.fields.Terminating) return;
    if (w_.busy.busy()) {
        connectPending_ = true;
        return;
    }
    if (!w_.link.Connected()) return;
    w_.page.statusLog().append(core::LoadResText(TextConnected), ColorStatusConnected);
    light(1, w_.fields.LampGreen);
    if (!core::AutoLoadMode) {
        std::vector<int> buttons = {0, 1, 8};
        if (core::SwitchR) buttons.insert(buttons.end(), {9, 10});
        for (int i : buttons)
            w_.page.cmdDown[i]->setEnabled(true);
    } else {
        commands_.RunAutomaticDownload();
    }
    // The Set page's writes need the instrument: after an automatic run it is switched off.
    // The calibration view keeps the page's buttons off until it closes, and then sets them by
    // the link.
    if (w_.link.Connected() && !w_.fields.CalibrationViewOpen) {
        EnableSetPageWrites(w_.setPageButtons, true);
        w_.setPageButtons[2]->setEnabled(true);
    }
}

void LinkEvents::uclVY5103_Densty(float r0, float r1, float r2, float r3, float r4) {
    const float readings[] = {r0, r1, r2, r3, r4};
    core::clsInstrument& inst = w_.logs.instrument();
    for (int g = 0; g < 5; ++g)
        LiveReadings[g] = inst.GasEnabled(g) ? readings[g] : -101.0f;
    ReadingArrived = true;
    if (w_.fields.CalibrationViewOpen) w_.host.ShowLiveReading();
}

void LinkEvents::uclVY5103_ConnectRetry(int16_t count) {
    w_.page.statusLog().append(core::LoadResText(TextConnectRetry, {count}), ColorStatusProgress);
}

void LinkEvents::uclVY5103_InstMessage(const QString& text) {
    w_.page.statusLog().append(text, ColorStatusInstrument);
}

void LinkEvents::uclVY5103_InterMessage(const QString& text) {
    w_.page.statusLog().append(text, ColorStatusInstrument);
}

void LinkEvents::uclVY5103_AlarmMessage(const QString& text) {
    w_.page.statusLog().append(text, ColorStatusInstrument);
}

void LinkEvents::uclVY5103_DumpMessage(const QString& text) {
    w_.progress.lblUpload->setText(text);
}

void LinkEvents::uclVY5103_CommLost() {
    light(0, w_.fields.LampGreen);
    light(1, w_.fields.LampGrey);
    for (QWidget* button : w_.page.cmdDown)
        button->setEnabled(false);
    EnableSetPageWrites(w_.setPageButtons, false);
    // The automatic-mode boxes stay live and keep asking: a box the user changes while no
    // instrument is there must change the mode too, or the next connection would run a mode
    // the box no longer shows.
    w_.page.shpStatus[2]->hide();
    w_.page.shpStatus[3]->hide();
    w_.page.lblStatus[8]->hide();
    w_.page.lblStatus[9]->hide();
}

void LinkEvents::uclVY5103_IrDAError(int16_t code) {
    if (code != 10048 && code != 10060) return;
    w_.page.statusLog().append(core::LoadResText(TextPortsError), ColorStatusFailed);
    light(0, w_.fields.LampRed);
    light(1, w_.fields.LampGrey);
    w_.dialogs.message(core::LoadResText(TextPortsError), core::LoadResText(TextPortsErrorTitle),
                       platform::MsgIcon::None, platform::MsgButtons::OK);
}

void LinkEvents::uclVY5103_PortLost() {
    w_.page.statusLog().append(core::LoadResText(TextPortLost), ColorStatusFailed);
    light(0, w_.fields.LampRed);
    light(1, w_.fields.LampGrey);
}

void LinkEvents::uclVY5103_PortReopened() {
    // As at start-up: the port lamp green, the instrument connects when its lines come on.
    light(0, w_.fields.LampGreen);
}

}  // namespace download
