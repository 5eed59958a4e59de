#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "tests/support/FakeInstrument.h"

namespace testsupport {

// The contents of a simulated QM-73: its settings and its six logs, and the answers it gives
// to every read command and download. Tests change the fields and read them back to compare
// with what the program stored.
class FakeQM73 {
  public:
    // ---- identity and settings, as the wire carries them ----
    QString rom = "120";
    QString sum = "1A2B";
    QString serial = "SN000001";
    QString dummySerial = "DS01";
    QString user = "USER01";
    QString sensor3 = "SENS-3";
    QString specType = "0", spanOffset = "1";
    QString alarmMode = "2";  // decimal
    QString calLimit = "5A";  // hex: 90
    QString interval = "3C";  // hex: 60
    QString dispID = "1", dispCalLimit = "0", calCheck = "1", lunchBreak = "0";
    QString alarmSilence = "1", logOverWrite = "1";
    QString confermation = "2";  // hex
    QString backLight = "1E";    // hex: 30
    QString contrast = "8";      // hex
    std::array<QString, 4> warning = {"*****", "*****", "*****", "100"};
    std::array<QString, 4> alarm = {"*****", "*****", "*****", "200"};
    std::array<QString, 4> stel = {"*****", "*****", "*****", "*****"};
    std::array<QString, 4> twa = {"*****", "*****", "*****", "*****"};
    std::array<QString, 4> autoCal = {"*****", "*****", "*****", "500"};
    QString overScale = "1010";
    QString clock = "241231235959";
    std::array<QString, 8> analog = {"0100", "0200", "0300", "0400",
                                     "0500", "0600", "0700", "0800"};
    QString highTemp = "45", lowTemp = "-10";
    QString alarmO2 = "0", h2sTemperature = "0", zero = "0000";
    // Gas table: four 18-character channel tokens and the fifth gas.
    QStringList gasTable = {"    100.0  0.1%LEL", "    100.0  0.1%LEL", "    100.0  0.1%LEL",
                            "CH4 100.0  0.1%LEL", "TMP  20.0  0.1 C  "};
    QStringList latestCalibration = {"240101120000-----  0.0", "240101120000-----  0.0",
                                     "240101120000-----  0.0", "240601093000  0.5 50.0"};

    // ---- logs ----
    struct IntervalRecording {
        QString date = "240531", time = "130509";
        int intervalSeconds = 60;
        QString station = "ST1";
        std::vector<uint16_t> gas4, gas5;                 // raw counts
        std::vector<std::pair<int, int>> status;          // the two flag digits of every sample
        std::vector<std::pair<int, QString>> gas4Events;  // sample count before, status
    };
    struct AlarmRecording {
        QString date = "240315", time = "143000";
        int intervalSeconds = 10;
        std::vector<uint16_t> gas4;  // 720 samples
    };
    struct HistoryEntry {
        QString date, time, before, after, gas;
    };
    struct Event {
        QString date, time, status;
        int gas = 4;  // 1-based
    };
    struct PowerEvent {
        QString date, time;
        bool on = true;
    };
    std::vector<IntervalRecording> intervals;
    std::vector<AlarmRecording> alarms;
    std::vector<HistoryEntry> history;
    std::vector<Event> alarmEvents, troubleEvents;
    std::vector<PowerEvent> powerEvents;
    int linesPerBlock = 20;

    // ---- services ----
    // Calibration: the polls answered "still running" before the result digits.
    int calibrationPolls = 2;
    QString zeroResult = "0010", spanResult = "0000";
    bool refuseCalibration = false;  // the start of a calibration is answered with NAK
    // Clearing the logs: the polls answered "still running" before it is done.
    int clearPolls = 2;
    // A write whose command is listed here is answered with NAK.
    QStringList refusedWrites;
    // Live reading of channel 4, raw count.
    QString liveGas4 = "123";
    // Flash memory read by the dump commands, in blocks of 128 bytes.
    QByteArray flash;
    // Set by the power-off command; a switched-off instrument answers nothing.
    bool poweredOff = false;

    // A realistic instrument: two interval recordings, one alarm trend, history and events.
    static FakeQM73 Typical();

    // The block bodies that answer a request body.
    // The block bodies that answer a request body; writes and services change the contents.
    std::optional<QStringList> answer(const QString& body);

    // The record lines of each log, as the instrument sends them.
    QStringList intervalLines() const;
    QStringList alarmLines() const;
    QStringList historyLines() const;
    QStringList eventLines(QChar letter, const std::vector<Event>& events) const;
    QStringList powerLines() const;

  private:
    std::optional<QStringList> read(const QString& body) const;
    std::optional<QStringList> write(const QString& command, const QString& value);
    std::optional<QStringList> service(const QString& body);
    QStringList blocks(const QString& key, int headerFields, const QStringList& lines) const;
    int pollsLeft_ = 0;
};

}  // namespace testsupport
