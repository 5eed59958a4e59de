#include <QDir>
#include <QScopeGuard>
#include <algorithm>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "records/ClsInterval.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

const rt::OleDate NoDate = rt::OleDate::DateSerial(1900, 1, 1);

}  // namespace

bool clsInterval::SetDataAD(const QString& vData, bool testFlag) {
    const HeaderLine header = ParseHeaderLine(vData);
    const bool bad = header.bad();
    if (bad) error_ = true;
    if (testFlag) return true;

    header.applyTo(date_, interval_);
    if (!error_) {
        name_ = QStringLiteral("iv") + rt::FormatDate(date_, QStringLiteral("ddhhnnss")) +
                QLatin1Char('_') + serialNo_;
        folderID_ = rt::FormatDate(date_, QStringLiteral("mm/yy"));
        try {
            core::CreateTrendFolders(core::DataFolder, date_);
        } catch (const rt::RuntimeError& e) {
            // The samples have nowhere to go: the store fails, telling why.
            WriteSerialLog(QStringLiteral("<<< error catch in SetDataAD() >>> ") +
                           QString::number(e.number()) + QLatin1Char(':') + e.description());
            lineFailed(e);
        }
        duplicate_ = FindDuplicate();
        mending_ =
            duplicate_ && StoredTrendFileLacking(date_, userID_, serialNo_,
                                                 core::LogKind::IntervalTrend, TrendFilePath());
    }
    if (bad) WriteSerialLog(QStringLiteral("<<< improper date in SetDataAD() >>> ") + vData);
    return true;
}

bool clsInterval::SetDataAE(const QString& vData, bool testFlag) {
    if (testFlag) return true;
    const QString code = LineText(vData, 3, 2);
    int gasNo;
    bool minimum = false;      // AF carries gas 2's minimum, the others a maximum
    bool clearMinimum = true;  // AE, AH and AI: the gas has no minimum
    if (code == QLatin1String("AE"))
        gasNo = 0;
    else if (code == QLatin1String("AF"))
        gasNo = 1, minimum = true, clearMinimum = false;
    else if (code == QLatin1String("AG"))
        gasNo = 1, clearMinimum = false;
    else if (code == QLatin1String("AH"))
        gasNo = 2;
    else if (code == QLatin1String("AI"))
        gasNo = 3;
    else
        return true;
    Gas& g = gas_[gasNo];
    g.average = core::ParseValueOrStatus(LineText(vData, 5, 5));
    (minimum ? g.minimum : g.maximum) = core::ParseValueOrStatus(LineText(vData, 10, 5));

    rt::OleDate& target = minimum ? g.minDate : g.maxDate;
    const QString yy = LineText(vData, 15, 2), mm = LineText(vData, 17, 2),
                  dd = LineText(vData, 19, 2);
    if (rt::IsNumeric(yy) && rt::IsNumeric(mm) && rt::IsNumeric(dd))
        target = rt::OleDate::DateSerial(2000 + rt::CInt(yy), rt::CInt(mm), rt::CInt(dd));
    else if (LineText(vData, 15, 6) == QLatin1String("******"))
        target = NoDate;
    const QString hh = LineText(vData, 21, 2), nn = LineText(vData, 23, 2),
                  ss = LineText(vData, 25, 2);
    if (rt::IsNumeric(hh) && rt::IsNumeric(nn) && rt::IsNumeric(ss))
        target = target.addSeconds(rt::CInt(hh) * 3600 + rt::CInt(nn) * 60 + rt::CInt(ss));
    else if (LineText(vData, 21, 6) == QLatin1String("******"))
        target = NoDate;
    if (clearMinimum) g.minimum = core::CodeNoValue;
    return true;
}

bool clsInterval::SetDataAC(const QString& vData, bool testFlag) {
    // Always accepted; a block whose numbers are missing changes nothing.
    if (vData.size() >= 69 && !testFlag) ApplyGasListLine(vData, false, gas_[3], gas_[4]);
    return true;
}

void clsInterval::writeSamples(const std::vector<core::TrendRun>& runs, int channel) {
    // A record whose header line never came has no name, date or folder: its samples have
    // nowhere to go.
    if (name_.isEmpty())
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("Data line before the header line"));
    core::TrendFile& file = trend_.open(TrendFilePath());
    // Whatever the line wrote reaches the file, also when it fails half way. A write that
    // fails is kept by the file, and raised by the next line or the store.
    auto written = qScopeGuard([this] {
        try {
            trend_.flush();
        } catch (const rt::RuntimeError&) {
        }
    });
    int32_t& counter = sampleCounters_[channel];
    qsizetype count = 0;
    for (const core::TrendRun& run : runs)
        count += run.count;
    // The line's samples go to consecutive records, changed in memory and written in one
    // piece: one compressed run fills tens of thousands of them, and the window waits for the
    // line. A word past what the record can take fails the line.
    const int32_t room = MaxValueRow + 1 - counter;
    core::TrendRecordRange records(file, counter + 1,
                                   static_cast<int32_t>(std::clamp<qsizetype>(count, 0, room)));
    const int16_t gas = static_cast<int16_t>(channel + 1);
    int32_t index = 0;
    // What comes before a faulty word is kept, as the record holds it.
    for (const core::TrendRun& run : runs) {
        // A run is one word: its value (or its status digits) is worked out once, at its
        // first sample, and fails there when the word is faulty.
        float value = 0;
        std::array<uint8_t, 2> digits{};
        for (qsizetype i = 0; i < run.count; ++i, ++index) {
            const int32_t k = counter = NextSample(counter, MaxValueRow + 1);
            if (channel < 5) {
                if (i == 0) {
                    const Gas& g = gas_[channel];
                    value = SampleWordValue(run.text(), g.name, g.point, g.fullScale, channel == 4);
                }
                records.putSample(index, gas, value,
                                  date_.addSeconds(static_cast<qint64>(k) * interval_));
            } else {
                if (i == 0) {
                    const QChar first = run.word[1], second = run.word[3];
                    if (!first.isDigit() || !second.isDigit() || first.unicode() > 127 ||
                        second.unicode() > 127)
                        throw rt::RuntimeError(rt::ErrTypeMismatch,
                                               QStringLiteral("Bad status word ") + run.text());
                    digits = {static_cast<uint8_t>(first.digitValue()),
                              static_cast<uint8_t>(second.digitValue())};
                }
                records.putRecordTail(index, digits);
            }
        }
    }
    file.flush();
    written.dismiss();
}

void clsInterval::addPlainEvent(const QString& line, int channel) {
    const qint64 offset = LongField(LineText(line, 24, 4)).value_or(0);
    const int16_t code = core::StatusNumberToCode(LineText(line, 5, 2));
    if (channel >= 0 && channel < 5) {
        if (gas_[channel].name.isEmpty()) return;
        const rt::OleDate time =
            date_.addSeconds(static_cast<qint64>(sampleCounters_[channel]) * interval_ + offset);
        AddEvents(channel, time, code, date_);
        return;
    }
    // A0 and A7 name no channel: the event goes to gases 1 to 4 that have a name, at the time
    // of the furthest sample of those channels.
    int32_t furthest = 0;
    for (int g = 0; g < 4; ++g)
        furthest = std::max(furthest, sampleCounters_[g]);
    const rt::OleDate time = date_.addSeconds(static_cast<qint64>(furthest) * interval_ + offset);
    for (int g = 0; g < 4; ++g)
        if (!gas_[g].name.isEmpty()) AddEvents(g, time, code, date_);
}

bool clsInterval::SetDataA0(const QString& vData, bool testFlag, bool compress) {
    if ((duplicate_ && !mending_) || error_) return true;
    const QString code = compress ? previousDataCode_ : LineText(vData, 3, 2);
    if ((!compress && vData.size() < 24) || testFlag) {
        previousDataCode_ = code;
        return true;
    }
    try {
        const int channel = rt::Mid(code, 2, 1).toInt() - 1;
        if (compress) {
            if (channel < 0 || channel > 5)
                throw rt::RuntimeError(rt::ErrSubscript, QStringLiteral("Subscript out of range"));
            // One word past what the record can still take is enough to fail the line.
            writeSamples(core::RunLengthRuns(vData, MaxValueRow + 2 - sampleCounters_[channel]),
                         channel);
        } else if (channel != 5) {
            addPlainEvent(vData, channel);
        }
        previousDataCode_ = code;
    } catch (const rt::RuntimeError& e) {
        WriteSerialLog(QStringLiteral("<<< error catch in SetDataA0() >>> ") +
                       QString::number(e.number()) + QLatin1Char(':') + e.description());
        lineFailed(e);
    }
    return true;
}

}  // namespace records
