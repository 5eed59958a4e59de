#pragma once

#include <QObject>
#include <array>

#include "mainwindow/download/DownloadCommands.h"

namespace download {

// What the window does with the link's events: status lines, the lamps, the commands a
// connection enables, the live readings, the dump list's progress text, and in automatic mode
// the download of a connected instrument.
class LinkEvents : public QObject {
    Q_OBJECT
  public:
    LinkEvents(DownloadWiring wiring, DownloadCommands& commands, QObject* parent = nullptr);

    void uclVY5103_OnConnect();
    void uclVY5103_Densty(float r0, float r1, float r2, float r3, float r4);
    void uclVY5103_ConnectRetry(int16_t count);
    void uclVY5103_InstMessage(const QString& text);
    void uclVY5103_InterMessage(const QString& text);
    void uclVY5103_AlarmMessage(const QString& text);
    void uclVY5103_DumpMessage(const QString& text);
    void uclVY5103_CommLost();
    void uclVY5103_IrDAError(int16_t code);
    // The serial port went away (a pulled adapter); the link opens it again by itself.
    void uclVY5103_PortLost();
    void uclVY5103_PortReopened();
    void uclVY5103_StsTransmit() {}
    void uclVY5103_StsIdle() {}

    // The last live reading of gases 0 to 4 (-101 for a gas not enabled); entry 5 stays -101.
    std::array<float, 6> LiveReadings;
    // Set by every live reading; the calibration commands clear it and wait for it.
    bool ReadingArrived = false;

  private:
    void light(int lamp, const mainwindow::LampColors& colors);
    // A connection that came while a command ran is handled when the last command has ended.
    void connectWhenIdle();

    DownloadWiring w_;
    DownloadCommands& commands_;
    bool connectPending_ = false;
};

}  // namespace download
