#include <QDir>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "records/ClsInterval.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

// n characters of the line from position p (1-based); fewer when the line is shorter.
QString text(const QString& line, int p, int n) {
    return rt::Mid(line, p, n);
}

bool twoDigits(const QString& s) {
    return s.size() == 2 && s.at(0).isDigit() && s.at(1).isDigit() && s.at(0).unicode() < 128 &&
           s.at(1).unicode() < 128;
}

// A yymmdd field as a date of 2000..2099; nullopt when it is no valid date.
std::optional<rt::OleDate> dateField(const QString& line, int p) {
    const QString yy = text(line, p, 2), mm = text(line, p + 2, 2), dd = text(line, p + 4, 2);
    if (!twoDigits(yy) || !twoDigits(mm) || !twoDigits(dd)) return std::nullopt;
    return rt::OleDate::fromCivil(2000 + yy.toInt(), mm.toInt(), dd.toInt());
}

// An hhnnss field as seconds of the day; nullopt when it is no valid time.
std::optional<int> timeField(const QString& line, int p) {
    const QString hh = text(line, p, 2), nn = text(line, p + 2, 2), ss = text(line, p + 4, 2);
    if (!twoDigits(hh) || !twoDigits(nn) || !twoDigits(ss)) return std::nullopt;
    const int h = hh.toInt(), n = nn.toInt(), s = ss.toInt();
    if (h > 23 || n > 59 || s > 59) return std::nullopt;
    return h * 3600 + n * 60 + s;
}

const rt::OleDate NoDate = rt::OleDate::DateSerial(1900, 1, 1);

}  // namespace

bool clsInterval::SetDataAD(const QString& vData, bool testFlag) {
    const auto date = dateField(vData, 5);
    const auto time = timeField(vData, 11);
    const QString interval = text(vData, 17, 4);
    const bool intervalOk = rt::IsNumeric(interval);
    const bool bad = !date || !time || !intervalOk;
    if (bad) error_ = true;
    if (testFlag) return true;

    if (date) date_ = *date;
    if (time) date_ = date_.addSeconds(*time);
    if (intervalOk) interval_ = rt::CLng(interval);
    if (!error_) {
        name_ = QStringLiteral("iv") + rt::FormatDate(date_, QStringLiteral("ddhhnnss")) +
                QLatin1Char('_') + serialNo_;
        folderID_ = rt::FormatDate(date_, QStringLiteral("mm/yy"));
        core::CreateTrendFolders(core::DataFolder, date_);
        duplicate_ = FindDuplicate();
    }
    if (bad) WriteSerialLog(QStringLiteral("<<< improper date in SetDataAD() >>> ") + vData);
    return true;
}

bool clsInterval::SetDataAE(const QString& vData, bool testFlag) {
    if (testFlag) return true;
    const QString code = text(vData, 3, 2);
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
    g.average = core::ParseValueOrStatus(text(vData, 5, 5));
    (minimum ? g.minimum : g.maximum) = core::ParseValueOrStatus(text(vData, 10, 5));

    rt::OleDate& target = minimum ? g.minDate : g.maxDate;
    const QString yy = text(vData, 15, 2), mm = text(vData, 17, 2), dd = text(vData, 19, 2);
    if (rt::IsNumeric(yy) && rt::IsNumeric(mm) && rt::IsNumeric(dd))
        target = rt::OleDate::DateSerial(2000 + rt::CInt(yy), rt::CInt(mm), rt::CInt(dd));
    else if (text(vData, 15, 6) == QLatin1String("******"))
        target = NoDate;
    const QString hh = text(vData, 21, 2), nn = text(vData, 23, 2), ss = text(vData, 25, 2);
    if (rt::IsNumeric(hh) && rt::IsNumeric(nn) && rt::IsNumeric(ss))
        target = target.addSeconds(rt::CInt(hh) * 3600 + rt::CInt(nn) * 60 + rt::CInt(ss));
    else if (text(vData, 21, 6) == QLatin1String("******"))
        target = NoDate;
    if (clearMinimum) g.minimum = core::CodeNoValue;
    return true;
}

bool clsInterval::SetDataAC(const QString& vData, bool testFlag) {
    if (vData.size() < 69 || testFlag) return true;
    // Gas 4: a name in four pieces, its full scale and its Desit value.
    Gas& gas4 = gas_[3];
    const QString piece = text(vData, 5, 3);
    if (piece == QLatin1String("***") || piece == QLatin1String("   ")) {
        gas4.enabled = false;
    } else if (rt::IsNumeric(text(vData, 47, 5)) && rt::IsNumeric(text(vData, 52, 5))) {
        gas4.enabled = true;
        gas4.name = rt::Trim(piece + text(vData, 18, 3) + text(vData, 31, 3) + text(vData, 44, 3));
        gas4.fullScale = core::ParseValueOrStatus(text(vData, 47, 5));
        gas4.desit = core::ParseValueOrStatus(text(vData, 52, 5));
        gas4.point = core::DecimalsOf(text(vData, 52, 5));
    }
    // Gas 5: its full-scale field is the offset of its samples.
    Gas& gas5 = gas_[4];
    const QString name5 = text(vData, 57, 4);
    if (name5 == QLatin1String("****") || name5 == QLatin1String("    ")) {
        gas5.enabled = false;
    } else if (rt::IsNumeric(text(vData, 61, 5)) && rt::IsNumeric(text(vData, 66, 5))) {
        gas5.enabled = true;
        gas5.name = name5;
        gas5.fullScale = core::ParseValueOrStatus(text(vData, 61, 5));
        gas5.desit = core::ParseValueOrStatus(text(vData, 66, 5));
        gas5.point = core::DecimalsOf(text(vData, 66, 5));
    }
    return true;
}

// The value of one sample word of a gas channel.
static float sampleValue(const QString& word, const QString& gasName, int16_t decimals,
                         float offset, bool isGas5) {
    if (word == QLatin1String("FEFE")) return -118.0f;
    if (word == QLatin1String("FFFF")) return core::CodeNoValue;
    if (gasName.isEmpty()) return core::CodeNoValue;
    bool ok = false;
    const uint raw = word.toUInt(&ok, 16);
    if (!ok) throw rt::RuntimeError(rt::ErrTypeMismatch, QStringLiteral("Bad sample word ") + word);
    const float value = core::ScaleRawValue(static_cast<float>(raw), decimals);
    if (core::IsReadingCode(value)) return value;
    return isGas5 ? value - offset : value;
}

void clsInterval::writeSamples(const QString& words, int channel) {
    // A record whose header line never came has no name, date or folder: its samples have
    // nowhere to go.
    if (name_.isEmpty())
        throw rt::RuntimeError(rt::ErrInvalidCall,
                               QStringLiteral("Data line before the header line"));
    core::TrendFile file(TrendFilePath());
    for (qsizetype at = 0; at + 4 <= words.size(); at += 4) {
        const QString word = words.mid(at, 4);
        const int32_t k = ++sampleCounters_[channel];
        const rt::OleDate time = date_.addSeconds(static_cast<qint64>(k) * interval_);
        if (channel < 5) {
            const Gas& g = gas_[channel];
            core::PutSample(k, file, static_cast<int16_t>(channel + 1),
                            sampleValue(word, g.name, g.point, g.fullScale, channel == 4), time);
        } else {
            const QChar first = word.at(1), second = word.at(3);
            if (!first.isDigit() || !second.isDigit() || first.unicode() > 127 ||
                second.unicode() > 127)
                throw rt::RuntimeError(rt::ErrTypeMismatch,
                                       QStringLiteral("Bad status word ") + word);
            core::PutRecordTail(k, file,
                                {static_cast<uint8_t>(first.digitValue()),
                                 static_cast<uint8_t>(second.digitValue())});
        }
    }
    file.close();
}

void clsInterval::addPlainEvent(const QString& line, int channel) {
    const QString offsetText = text(line, 24, 4);
    const qint64 offset = rt::IsNumeric(offsetText) ? rt::CLng(offsetText) : 0;
    const int16_t code = core::StatusNumberToCode(text(line, 5, 2));
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
    if (duplicate_ || error_) return true;
    const QString code = compress ? previousDataCode_ : text(vData, 3, 2);
    if ((!compress && vData.size() < 24) || testFlag) {
        previousDataCode_ = code;
        return true;
    }
    try {
        const int channel = rt::Mid(code, 2, 1).toInt() - 1;
        if (compress) {
            if (channel < 0 || channel > 5)
                throw rt::RuntimeError(rt::ErrSubscript, QStringLiteral("Subscript out of range"));
            writeSamples(core::RunLengthDecode(vData), channel);
        } else if (channel != 5) {
            addPlainEvent(vData, channel);
        }
        previousDataCode_ = code;
    } catch (const rt::RuntimeError& e) {
        WriteSerialLog(QStringLiteral("<<< error catch in SetDataA0() >>> ") +
                       QString::number(e.number()) + QLatin1Char(':') + e.description());
        error_ = true;
    }
    return true;
}

}  // namespace records
