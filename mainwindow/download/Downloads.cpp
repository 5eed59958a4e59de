#include "mainwindow/download/Downloads.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/LinkModule.h"
#include "platform/Database.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace download {

namespace {

enum Text : int {
    TextCanceled = 5462,
    TextCanceledSerial = 5589,
    TextInstrumentStart = 5414,
    TextInstrumentComplete = 5415,
    TextInstrumentFailed = 5416,
    TextInstrumentNoResponse = 5417,
    TextInstrumentStartSerial = 5517,
    TextInstrumentFinishedSerial = 5519,
    TextInstrumentFailLineSerial = 5520,
    TextInstrumentFailedSerial = 5521,
    TextInstrumentNoResponseSerial = 5522,
    TextBadClock = 5590,
    TextReasonLocked = 5483,
    TextReasonDiskFull = 5484,
    TextReasonNoAnswer = 5485,
    TextReasonOther = 5486,
    TextReasonReadOnly = 5883,
    TextReasonDatabase = 5884,
};

// The texts and the parts of one kind of log download.
struct KindTable {
    int noResponse, start, update, complete, failed, noData;
    int serialNoResponse, serialStart, serialFailLine, serialFailed, serialFinished;
    bool readsError;
    bool (comm::uclVyif::*transfer)(core::RecordLines&);
};

const KindTable& tableOf(LogDownload kind) {
    using L = comm::uclVyif;
    static const KindTable tables[] = {
        {5422, 5418, 5419, 5420, 5421, 5443, 5528, 5523, 5526, 5527, 5525, true, &L::GetInterval},
        {5427, 5423, 5424, 5425, 5426, 5444, 5534, 5530, 5532, 5533, 5531, true, &L::GetAlarm},
        {5427, 5447, 5448, 5449, 5450, 5451, 5576, 5571, 5574, 5575, 5573, false,
         &L::GetAlarmEvent},
        {5427, 5452, 5453, 5454, 5455, 5456, 5582, 5577, 5580, 5581, 5579, false,
         &L::GetTroubleEvent},
        {5427, 5457, 5458, 5459, 5460, 5461, 5588, 5583, 5586, 5587, 5585, true, &L::GetPowerEvent},
    };
    return tables[static_cast<int>(kind)];
}

// What storing the records of a download met.
struct Stored {
    bool recordError = false;  // a record whose lines did not all decode
    bool storeFailed = false;  // a record that could not be stored
    QString reason;            // why the first one could not, as the user is told
};

// Why a record could not be stored, in words the user can act on.
QString storeFailureReason(const std::exception& e) {
    if (const auto* db = dynamic_cast<const platform::DatabaseError*>(&e)) {
        if (db->kind() == platform::DatabaseError::Kind::Locked)
            return core::LoadResText(TextReasonLocked);
        if (db->kind() == platform::DatabaseError::Kind::DiskFull)
            return core::LoadResText(TextReasonDiskFull);
        // The file by its name and the engine's own words: the statement is the program's
        // business, not the user's.
        if (db->kind() == platform::DatabaseError::Kind::ReadOnly)
            return core::LoadResText(TextReasonReadOnly, {db->path()});
        if (!db->path().isEmpty())
            return core::LoadResText(TextReasonDatabase, {db->path(), db->engineText()});
    }
    if (const auto* error = dynamic_cast<const rt::RuntimeError*>(&e)) {
        if (error->number() == rt::ErrDiskFull) return core::LoadResText(TextReasonDiskFull);
        return core::LoadResText(TextReasonOther, {error->description()});
    }
    return core::LoadResText(TextReasonOther, {QString::fromUtf8(e.what())});
}

// Stores every record of a collection with the window's instrument; a record that cannot be
// stored is told in the serial log and the others are still stored (each in its own
// transaction).
template <class Collection, class Store>
Stored storeRecords(Collection& collection, core::clsInstrument& instrument, bool readError,
                    comm::uclVyif& link, Store store) {
    Stored result;
    for (int i = 1; i <= collection.Count(); ++i) {
        auto* record = collection.Item(i);
        record->setInstrument(&instrument);
        try {
            store(*record);
        } catch (const std::exception& e) {
            link.AddLog(QStringLiteral("<<< The record cannot be stored: %1 >>>")
                            .arg(QString::fromUtf8(e.what())));
            if (!result.storeFailed) result.reason = storeFailureReason(e);
            result.storeFailed = true;
        }
        if (readError && record->Error()) result.recordError = true;
    }
    return result;
}

Stored storeLogs(LogDownload kind, WindowLogs& logs, bool readError, comm::uclVyif& link) {
    const auto update = [](auto& record) { record.Update(); };
    core::clsInstrument& inst = logs.instrument();
    switch (kind) {
        case LogDownload::IntervalTrend:
            return storeRecords(logs.intervals, inst, readError, link, update);
        case LogDownload::AlarmTrend:
            return storeRecords(logs.alarms, inst, readError, link, update);
        case LogDownload::AlarmEvents:
            return storeRecords(logs.alarmEvents, inst, readError, link, update);
        case LogDownload::TroubleEvents:
            return storeRecords(logs.troubleEvents, inst, readError, link, update);
        case LogDownload::PowerEvents:
            return storeRecords(logs.powerEvents, inst, readError, link, update);
    }
    return {};
}

core::RecordLines& collectionOf(LogDownload kind, WindowLogs& logs) {
    switch (kind) {
        case LogDownload::IntervalTrend:
            return logs.intervals;
        case LogDownload::AlarmTrend:
            return logs.alarms;
        case LogDownload::AlarmEvents:
            return logs.alarmEvents;
        case LogDownload::TroubleEvents:
            return logs.troubleEvents;
        case LogDownload::PowerEvents:
            break;
    }
    return logs.powerEvents;
}

// The trend files the records of a download wrote and did not store are removed: a download
// that ends early or fails leaves no file behind.
void discardTrendFiles(LogDownload kind, WindowLogs& logs) {
    if (kind == LogDownload::IntervalTrend)
        for (const auto& record : logs.intervals)
            record->discardTrendFile();
    else if (kind == LogDownload::AlarmTrend)
        for (const auto& record : logs.alarms)
            record->discardTrendFile();
}

int recordCount(LogDownload kind, WindowLogs& logs) {
    switch (kind) {
        case LogDownload::IntervalTrend:
            return logs.intervals.Count();
        case LogDownload::AlarmTrend:
            return logs.alarms.Count();
        case LogDownload::AlarmEvents:
            return logs.alarmEvents.Count();
        case LogDownload::TroubleEvents:
            return logs.troubleEvents.Count();
        case LogDownload::PowerEvents:
            break;
    }
    return logs.powerEvents.Count();
}

}  // namespace

Downloads::Downloads(comm::uclVyif& link, WindowLogs& logs, mainwindow::WindowFields& fields,
                     StatusLog statusLog, DownloadHost& host, platform::AppPaths paths)
    : link_(link),
      logs_(logs),
      fields_(fields),
      status_(statusLog),
      host_(host),
      paths_(std::move(paths)) {}

bool Downloads::DownloadLog(LogDownload kind) {
    const KindTable& t = tableOf(kind);
    if (!link_.Connected()) {
        status_.append(core::LoadResText(t.noResponse), ColorStatusFailed);
        link_.AddLog(core::LoadResText(t.serialNoResponse, {comm::NowText()}));
        return false;
    }
    status_.append(core::LoadResText(t.start), ColorStatusProgress);
    link_.AddLog(core::LoadResText(t.serialStart, {comm::NowText()}));
    QElapsedTimer started;
    started.start();
    core::RecordLines& collection = collectionOf(kind, logs_);
    // Stored records have put their trend files in place; whatever else was written goes.
    const auto unstored = qScopeGuard([this, kind] { discardTrendFiles(kind, logs_); });

    bool result = (link_.*t.transfer)(collection);
    Stored stored;
    if (!result) {
        if (link_.Cancel()) {
            status_.append(core::LoadResText(TextCanceled), ColorStatusFailed);
            link_.AddLog(core::LoadResText(TextCanceledSerial, {comm::NowText()}));
        } else {
            // A failure is shown as one, whether the instrument answered or not.
            status_.append(core::LoadResText(t.failed), ColorStatusFailed);
            tellNoAnswer();
            link_.AddLog(core::LoadResText(t.serialFailLine));
            link_.AddLog(collection.FailLine() + QStringLiteral("\r\n"));
            link_.AddLog(core::LoadResText(
                t.serialFailed, {comm::NowText(), comm::ElapsedText(started.elapsed())}));
        }
    } else {
        if (recordCount(kind, logs_) < 1) {
            status_.append(core::LoadResText(t.noData), ColorStatusNoData);
        } else {
            status_.append(core::LoadResText(t.update), ColorStatusProgress);
            stored = storeLogs(kind, logs_, t.readsError, link_);
            if (!stored.storeFailed)
                status_.append(core::LoadResText(t.complete), ColorStatusProgress);
        }
        if (stored.storeFailed) {
            // A download that could not be stored is a failed download, told with its reason.
            status_.append(core::LoadResText(t.failed), ColorStatusFailed);
            status_.append(stored.reason, ColorStatusFailed);
            link_.AddLog(core::LoadResText(
                t.serialFailed, {comm::NowText(), comm::ElapsedText(started.elapsed())}));
            result = false;
        } else {
            link_.AddLog(core::LoadResText(
                t.serialFinished, {comm::NowText(), comm::ElapsedText(started.elapsed())}));
        }
    }
    if (stored.storeFailed || stored.recordError) runWhole_ = false;
    fields_.LogTreeDirty = true;
    if (stored.recordError) KeepSerialLogOnError();
    return result;
}

bool Downloads::DownloadInstrument() {
    if (!link_.Connected()) {
        status_.append(core::LoadResText(TextInstrumentNoResponse), ColorStatusFailed);
        link_.AddLog(core::LoadResText(TextInstrumentNoResponseSerial, {comm::NowText()}));
        return false;
    }
    status_.append(core::LoadResText(TextInstrumentStart), ColorStatusProgress);
    link_.AddLog(core::LoadResText(TextInstrumentStartSerial, {comm::NowText()}));
    QElapsedTimer started;
    started.start();
    core::clsInstrument& inst = logs_.instrument();
    Stored stored;
    const auto failedLines = [&] {
        status_.append(core::LoadResText(TextInstrumentFailed), ColorStatusFailed);
        if (stored.storeFailed)
            status_.append(stored.reason, ColorStatusFailed);
        else
            tellNoAnswer();
        link_.AddLog(core::LoadResText(TextInstrumentFailedSerial,
                                       {comm::NowText(), comm::ElapsedText(started.elapsed())}));
    };

    if (!link_.GetInstrument(inst)) {
        if (link_.Cancel()) {
            status_.append(core::LoadResText(TextCanceled), ColorStatusFailed);
            link_.AddLog(core::LoadResText(TextCanceledSerial, {comm::NowText()}));
        } else {
            status_.append(core::LoadResText(TextInstrumentFailed), ColorStatusFailed);
            tellNoAnswer();
            link_.AddLog(core::LoadResText(TextInstrumentFailLineSerial));
            if (inst.FailLine() == QLatin1String("HC,R"))
                status_.append(core::LoadResText(TextBadClock), ColorStatusFailed);
            link_.AddLog(
                core::LoadResText(TextInstrumentFailedSerial,
                                  {comm::NowText(), comm::ElapsedText(started.elapsed())}));
        }
        return false;
    }

    inst.setCommFlags(-1);
    host_.RefreshInstrumentPages();
    bool historyWhole = true;
    if (link_.GetLatestHistory(inst)) {
        try {
            inst.HistoryUpdate();
        } catch (const std::exception& e) {
            link_.AddLog(QStringLiteral("<<< The latest calibration cannot be stored: %1 >>>")
                             .arg(QString::fromUtf8(e.what())));
            stored.reason = storeFailureReason(e);
            stored.storeFailed = true;
        }
        logs_.history.setInstruments(&inst);
        historyWhole = link_.GetHistory(logs_.history);
        const Stored history = storeRecords(logs_.history, inst, true, link_,
                                            [](records::clsHistory& r) { r.HistoryUpdate(); });
        if (!stored.storeFailed) stored.reason = history.reason;
        stored.storeFailed = stored.storeFailed || history.storeFailed;
        stored.recordError = history.recordError;
    } else {
        // The download still succeeds; but what the instrument holds is not stored whole.
        runWhole_ = false;
    }
    LogAnalogValues();
    const bool ok = historyWhole && !stored.storeFailed;
    if (ok) {
        status_.append(core::LoadResText(TextInstrumentComplete), ColorStatusProgress);
        link_.AddLog(core::LoadResText(TextInstrumentFinishedSerial,
                                       {comm::NowText(), comm::ElapsedText(started.elapsed())}));
    } else {
        failedLines();
    }
    if (!ok || stored.recordError) runWhole_ = false;
    if (stored.recordError) KeepSerialLogOnError();
    return ok;
}

void Downloads::tellNoAnswer() {
    // The last request went unanswered through every retry, or the instrument's lines dropped.
    if (!comm::AnswerSeen || !link_.Connected())
        status_.append(core::LoadResText(TextReasonNoAnswer), ColorStatusFailed);
}

void Downloads::LogAnalogValues() {
    if (!core::SwitchR) return;
    static const char* const channels[] = {
        "ch0 POS.  AMP(L)", "ch1 POS.  AMP(H)", "ch2 NEG.  AMP(L)", "ch3 NEG.  AMP(H)",
        "ch4 BATT.",        "ch5 TEMP.",        "ch6 NOT USED",     "ch7 NOT USED"};
    QStringList names;
    for (const char* name : channels)
        names << QString::fromLatin1(name);
    // The names are set in the box's proportional font: the values line up after the TAB only
    // with a tab stop beyond the longest name.
    status_.alignTabsAfter(names);
    status_.append(QStringLiteral("QM-73 Analog to Digital Converter Values List"),
                   ColorStatusAnalog);
    core::clsInstrument& inst = logs_.instrument();
    for (int channel = 0; channel < 8; ++channel)
        status_.append(
            names[channel] + QStringLiteral("\t: ") +
                rt::FormatNumber(inst.AnalogValue(channel) / 1000.0, QStringLiteral("0.000")) +
                QLatin1Char('V'),
            ColorStatusAnalog);
}

void Downloads::KeepSerialLogOnError() {
    const QString log = paths_.serialLog();
    if (!QFile::exists(log)) return;
    const QString folder = paths_.errorLogsFolder();
    if (!QDir(folder).exists()) QDir().mkpath(folder);
    const QString stamp = rt::FormatDate(now(), QStringLiteral("yyyymmdd_hhnnss"));
    QString target = QDir(folder).filePath(QStringLiteral("SerialLog_%1.log").arg(stamp));
    for (int n = 1; QFile::exists(target); ++n)
        target = QDir(folder).filePath(QStringLiteral("SerialLog_%1_%2.log").arg(stamp).arg(n));
    if (!QFile::rename(log, target))
        qWarning("The serial log could not be kept as %s", qPrintable(target));
}

}  // namespace download
