#pragma once

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <memory>

#include "app/TrendWindow.h"
#include "core/TrendFile.h"
#include "records/TrendLines.h"
#include "tests/mainwindow/StoredWindow.h"

namespace testsupport {

// An alarm trend as the tests store it: gas 3 "H2S" (full scale 100.0 ppm), the fifth gas a
// temperature bounded by its recorded maximum and minimum; samples every `interval` seconds
// from `start`.
struct AlarmTrend {
    int samples = 720;
    int sampling = 0;
    QString name = QStringLiteral("al0001");
    QString serial = QStringLiteral("A1");
    std::function<float(int)> gas3 = [](int i) { return 10.0f + static_cast<float>(i % 10); };
    std::function<float(int)> gas5 = [](int) { return 25.0f; };
    QString gas3Name = QStringLiteral("H2S");
    int gas3Point = 1;
    float gas5Max = 40, gas5Min = 10;
    int interval = 5;
    rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 31, 14, 40, 0);
    rt::OleDate date = *rt::OleDate::fromCivil(2024, 5, 31, 14, 45, 0);
};

// The main window with the typical download stored and the program's alarm-trend window made
// for it, as the program makes it.
struct TrendWindowRig : StoredWindow {
    std::unique_ptr<app::AlarmTrendWindow> trends;

    explicit TrendWindowRig(const std::function<void(WindowRig&)>& prepare = {})
        : StoredWindow(FakeQM73::Typical(), prepare) {
        trends = std::make_unique<app::AlarmTrendWindow>(*window, rig.dialogs,
                                                         window->services().printForms);
    }
    ~TrendWindowRig() { trends.reset(); }
    alarmtrend::FrmIntermittence& form() { return trends->form; }

    // Stores an alarm trend: its header row and its trend file. Returns its SeqNo.
    int32_t storeAlarm(const AlarmTrend& t) {
        const platform::Database d = db();
        const int32_t seqNo = d.MaxSeq("Log_Head");
        const QString folder = QStringLiteral("05/24");
        d.exec(
            "Insert Into Log_Head (SeqNo, Names, Dates, UserID, SerialNo, Types, Interval, "
            "Sampling, FolderID, Dcount, Gas1Name, Gas1Full, Gas1Point, Gas1Unit, Gas1Enable, "
            "Gas2Name, Gas2Full, Gas2Point, Gas2Unit, Gas2Enable, Gas3Name, Gas3Full, Gas3Point, "
            "Gas3Unit, Gas3Enable, Gas4Name, Gas4Full, Gas4Point, Gas4Unit, Gas4Enable, Gas5Name, "
            "Gas5Full, Gas5Point, Gas5Unit, Gas5Enable, Gas5Max, Gas5Min) Values (?, ?, ?, '', "
            "?, 2, ?, ?, ?, ?, 'CH4', 100, 0, '%LEL', 1, 'O2', 25, 1, 'vol%', 1, 'CO', 500, 0, "
            "'ppm', 1, ?, 100, ?, 'ppm', 1, 'TMP', 0, 0, 'C', 0, ?, ?)",
            {seqNo, t.name, t.date, t.serial, t.interval, t.sampling, folder, t.samples, t.gas3Name,
             t.gas3Point, t.gas5Max, t.gas5Min});
        const QString path = records::TrendFileOf(folder, t.name);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        core::TrendFile file(path);
        for (int i = 0; i < t.samples; ++i) {
            const rt::OleDate when = t.start.addSeconds(i * t.interval);
            const float values[5] = {5.0f, 20.9f, 0.0f, t.gas3(i), t.gas5(i)};
            for (int16_t gas = 1; gas <= 5; ++gas)
                core::PutSample(i + 1, file, gas, values[gas - 1], when);
        }
        file.close();
        return seqNo;
    }

    // Opens the window on a trend as the trend search does, without its modal loop.
    void openTrend(int32_t seqNo, int mode = 2, rt::OleDate baseDate = AlarmEvent) {
        core::TrendSelSeqNo = seqNo;
        core::TrendSelMode = mode;
        core::TrendSelBaseDate = baseDate;
        form().Form_Load();
        form().show();
        settle();
    }
    void close() {
        form().done(0);
        settle();
    }
    // The data page's view as the window will take it over.
    void dataPageView(bool graph, bool summary) {
        page().optBrowse[graph ? 1 : 0]->setChecked(true);
        page().vfgSummary->setVisible(summary);
    }
};

}  // namespace testsupport
