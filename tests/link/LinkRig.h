#pragma once

#include <QCoreApplication>
#include <QStringList>

#include "link/uclVyif.h"
#include "tests/support/FakeInstrument.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// The link with a fake instrument on an in-process port; time moves only by tick().
struct LinkRig {
    FakeSerialPort port;
    FakeInfraredPort infrared;
    comm::uclVyif link{port, infrared};
    TempProgramFolder folder;

    int ticks = 0;
    int onConnect = 0, commLost = 0;
    std::vector<int16_t> connectRetries;
    QStringList alarmMessages;
    std::vector<int16_t> irdaErrors;

    explicit LinkRig(int16_t retry = 3, int16_t timeout = 3) {
        link.setTimerEnabled(false);
        link.ReadProperties({});
        link.setRetry(retry);
        link.setTimeout(timeout);
        link.setSerialLogPath(folder.paths().serialLog());
        link.setSerialFileNo(1);
        QObject::connect(&link, &comm::uclVyif::OnConnect, [this] { ++onConnect; });
        QObject::connect(&link, &comm::uclVyif::CommLost, [this] { ++commLost; });
        QObject::connect(&link, &comm::uclVyif::ConnectRetry,
                         [this](int16_t n) { connectRetries.push_back(n); });
        QObject::connect(&link, &comm::uclVyif::AlarmMessage,
                         [this](const QString& t) { alarmMessages << t; });
        QObject::connect(&link, &comm::uclVyif::IrDAError,
                         [this](int16_t d) { irdaErrors.push_back(d); });
    }

    static void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    void tick() {
        link.tmrTimer_Timer();
        port.tick();
        ++ticks;
        settle();
    }
    void tick(int n) {
        for (int i = 0; i < n; ++i)
            tick();
    }
    // Opens the port with the instrument plugged in and runs the connect sequence.
    void connect() {
        link.setPortOpen(true);
        tick(2);  // the lines are seen, then the connect request goes out and is answered
    }
    QStringList logLines() const {
        QFile f(folder.paths().serialLog());
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
};

}  // namespace testsupport
