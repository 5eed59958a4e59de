#include <QScopeGuard>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "records/ClsAlarm.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

// Sample 361 of every channel falls on the alarm moment.
constexpr int32_t MomentSample = 361;

}  // namespace

bool clsAlarm::SetDataBD(const QString& vData, bool testFlag) {
    const HeaderLine header = ParseHeaderLine(vData);
    const bool bad = header.bad();
    if (bad) error_ = true;
    if (testFlag) return true;

    header.applyTo(date_, interval_);
    if (!error_) {
        name_ = (sampling_ == 0 ? QStringLiteral("al") : QStringLiteral("iv")) +
                rt::FormatDate(date_, QStringLiteral("ddhhnnss")) + QLatin1Char('_') + serialNo_;
        folderID_ = rt::FormatDate(date_, QStringLiteral("mm/yy"));
        try {
            core::CreateTrendFolders(core::DataFolder, date_);
        } catch (const rt::RuntimeError& e) {
            // The samples have nowhere to go: the store fails, telling why.
            WriteSerialLog(QStringLiteral("<<< error catch in SetDataBD() >>> ") +
                           QString::number(e.number()) + QLatin1Char(':') + e.description());
            lineFailed(e);
        }
        duplicate_ = FindDuplicate();
        mending_ = duplicate_ && StoredTrendFileLacking(date_, userID_, serialNo_,
                                                        core::LogKind::AlarmTrend, TrendFilePath());
    }
    if (bad) WriteSerialLog(QStringLiteral("<<< improper date in SetDataBD() >>> ") + vData);
    return true;
}

bool clsAlarm::SetDataBC(const QString& vData, bool testFlag) {
    if (vData.size() < 69) return false;
    return ApplyGasListLine(vData, testFlag, gas_[3], gas_[4]);
}

bool clsAlarm::SetDataBB(const QString& vData, bool testFlag) {
    if (!testFlag) {
        serialNo_ = core::EmptyToAsterisk(LineText(vData, 5, 12));
        // A line too short for the window mode, or with no digit there, gives mode 0.
        const QString mode = LineText(vData, 23, 1);
        sampling_ =
            mode.size() == 1 && mode.at(0) >= QLatin1Char('0') && mode.at(0) <= QLatin1Char('9')
                ? static_cast<int16_t>(mode.at(0).digitValue())
                : 0;
    }
    return rt::IsNumeric(LineText(vData, 18, 4));
}

int32_t clsAlarm::trendRecordOf(int32_t n) const {
    if (sampling_ != 2) return n;
    return n >= MomentSample && n <= 540 ? n - 360 : 0;
}

void clsAlarm::writeSamples(const QString& words, int channel) {
    // A record whose header line never came has no name, date or folder.
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
    std::array<uint8_t, 2> flags{0, 0};
    for (qsizetype at = 0; at < words.size(); at += 4) {
        const QString word = words.mid(at, 4);
        const int32_t n = NextSample(sampleCount_[channel], Rows);
        sampleCount_[channel] = static_cast<int16_t>(n);
        const int32_t record = trendRecordOf(n);
        if (channel < 5) {
            const Gas& g = gas_[channel];
            const float value = SampleWordValue(word, g.name, g.point, g.fullScale, channel == 4);
            const rt::OleDate time =
                date_.addSeconds(static_cast<qint64>(n - MomentSample) * interval_);
            if (record > 0)
                core::PutSample(record, file, static_cast<int16_t>(channel + 1), value, time);
            continue;
        }
        if (word == QLatin1String("FEFE") || word == QLatin1String("FFFF")) continue;
        const QString high = word.left(2), low = word.mid(2, 2);
        if (high == QLatin1String("00") || high == QLatin1String("01"))
            flags[0] = static_cast<uint8_t>(high.at(1).digitValue());
        if (low == QLatin1String("00") || low == QLatin1String("01"))
            flags[1] = static_cast<uint8_t>(low.at(1).digitValue());
        if (record > 0) core::PutRecordTail(record, file, flags);
    }
    file.flush();
    written.dismiss();
}

bool clsAlarm::SetDataB0(const QString& vData, bool testFlag, bool compress) {
    if ((duplicate_ && !mending_) || error_) return true;
    if (!compress) {
        dataLineCode_ = LineText(vData, 3, 2);
        return true;
    }
    if (testFlag) return true;
    try {
        const int channel = rt::Right(dataLineCode_, 1).toInt() - 1;
        if (channel < 0 || channel > 5)
            throw rt::RuntimeError(rt::ErrSubscript, QStringLiteral("Subscript out of range"));
        // One word past what the record can still take is enough to fail the line.
        writeSamples(core::RunLengthDecode(vData, Rows + 1 - sampleCount_[channel]), channel);
    } catch (const rt::RuntimeError& e) {
        WriteSerialLog(QStringLiteral("<<< error catch in SetDataB0() >>> ") +
                       QString::number(e.number()) + QLatin1Char(':') + e.description());
        lineFailed(e);
    }
    return true;
}

bool clsAlarm::SetDataXX(const QString& vData, bool testFlag) {
    const auto number = LongField(LineText(vData, 11, 4));
    if (vData.size() < 14 || !number) return false;
    const int32_t n = *number;
    if (n < 1 || n > 720) return false;
    if (!testFlag) {
        Row& row = rows_[n - 1];
        row.date = date_.addSeconds(static_cast<qint64>(n - 181) * interval_);
        row.values.fill(core::CodeNoValue);
    }
    return true;
}

bool clsAlarm::SetData96(const QString& vData, bool testFlag) {
    bool result = true;
    const auto take = [&](Gas& gas, int namePos, int fullPos, int digitPos, int desitPos) {
        const QString digit = LineText(vData, digitPos, 1);
        if (!rt::IsNumeric(digit)) {
            if (LineText(vData, namePos, 3) != QLatin1String("   ")) {
                result = false;
            } else if (!testFlag) {
                gas.name.clear();
                gas.fullScale = gas.desit = core::CodeNoValue;
            }
            return;
        }
        if (testFlag) return;
        gas.name = LineText(vData, namePos, 3);
        gas.fullScale = core::ParseValueOrStatus(LineText(vData, fullPos, 4));
        gas.desit = core::ParseValueOrStatus(LineText(vData, desitPos, 3) + digit);
    };
    take(gas_[2], 5, 8, 11, 12);
    take(gas_[3], 15, 18, 20, 22);
    return result;
}

}  // namespace records
