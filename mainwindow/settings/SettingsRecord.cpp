#include "mainwindow/settings/SettingsRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/CalDue.h"
#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "platform/FileReplacement.h"
#include "platform/FileSteps.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace settings {

namespace {

constexpr int16_t Gas = 3;

QString res(int id) {
    return core::LoadResText(id);
}

QString stamp(rt::OleDate date) {
    return rt::FormatDate(date, QStringLiteral("yyyy/mm/dd hh:nn:ss"));
}

QString onOff(int32_t value) {
    return value != 0 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

}  // namespace

int32_t SettingNumber(const QString& text) {
    bool ok = false;
    const int32_t n = rt::Trim(text).toInt(&ok);
    return ok ? n : 0;
}

QString SettingsRecordPath(const QString& programFolder, const QString& suffix) {
    return QDir(programFolder)
        .filePath(QStringLiteral("QM-73_Setting") + core::SanitizeFileName(suffix) +
                  QStringLiteral(".csv"));
}

QStringList SettingsRecordCaptions() {
    QStringList captions;
    for (int id : {5212, 5213, 5608, 5610, 5223, 8002, 8003, 8004, 8008, 8009, 8010, 8011,
                   8015, 8018, 5655, 5648, 5650, 5651, 5652, 5653, 5654, 9001, 9002, 9003})
        captions << res(id);
    return captions;
}

QStringList SettingsRecordFields(const core::clsInstrument& inst, rt::OleDate now) {
    const int16_t point = inst.GasPoint(Gas);
    const auto value = [point](float v) { return core::ValueText(v, point); };
    const int32_t check = inst.CalCheck();
    return {stamp(now),
            // The instrument's clock as the Set page shows it.
            stamp(rt::OleDate(now.value() - inst.SysDateOffset().value())), inst.SerialNo(),
            inst.UserID(), QString::number(inst.Intervals()), inst.SensorID(Gas),
            inst.DummySerial(), res(inst.AlarmMode() == 0 ? 8005 : 8006),
            QString::number(inst.Confermation()), onOff(inst.LogOverWrite()),
            onOff(inst.DispCalLimit()),
            res(check == 0   ? 8012
                : check == 1 ? 8013
                             : 8014),
            res(SettingNumber(inst.SpecType()) == 0 ? 8016 : 8017),
            onOff(SettingNumber(inst.SpanOffset())), QString::number(inst.CalLimit()),
            core::GasCaption(&inst, Gas, true), value(inst.Warning(Gas)), value(inst.Alarm(Gas)),
            value(inst.Stel(Gas)), value(inst.Twa(Gas)), value(inst.AutoCalib(Gas)),
            core::FormatValidDate(inst.CalibDate(Gas)), value(inst.CalibBefore(Gas)),
            value(inst.CalibAfter(Gas))};
}

QString CsvLine(const QStringList& fields) {
    QStringList out;
    for (QString f : fields) {
        if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) ||
            f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r'))) {
            f.replace(QLatin1String("\""), QLatin1String("\"\""));
            f = QLatin1Char('"') + f + QLatin1Char('"');
        }
        out << f;
    }
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

namespace {

// What the line appended must start with so that it stands on a line of its own: a write cut
// short (a kill, a full disk) may have left the file's last line without its end. Only the
// last byte is read.
QByteArray lineStart(const QString& path, qint64 size) {
    if (size == 0) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(size - 1)) return {};
    const QByteArray last = file.read(1);
    if (last == "\n") return {};
    return last == "\r" ? QByteArray("\n") : QByteArray("\r\n");
}

}  // namespace

bool AppendSettingsRecord(const QString& path, const core::clsInstrument& inst, rt::OleDate now,
                          QString* error) {
    const auto failed = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return failed(file.errorString());
    const qint64 size = file.size();
    QByteArray text = lineStart(path, size);
    if (size == 0) text += CsvLine(SettingsRecordCaptions()).toUtf8();
    text += CsvLine(SettingsRecordFields(inst, now)).toUtf8();
    if (const int refused = platform::FileStepRefusal(platform::FileStep::Write, path))
        return failed(qt_error_string(refused));
    if (file.write(text) != text.size() || !file.flush()) return failed(file.errorString());
    file.close();
    // The line counts as written once it is on the disk, and a new file once its name is.
    try {
        platform::SyncFile(path);
        if (size == 0) platform::SyncFolder(QFileInfo(platform::LinkTargetOf(path)).absolutePath());
    } catch (const rt::RuntimeError& e) {
        return failed(e.description());
    }
    return true;
}

}  // namespace settings
