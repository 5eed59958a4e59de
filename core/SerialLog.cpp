#include "core/SerialLog.h"

#include <QFile>
#include <QTime>

#include "core/ModMain.h"
#include "runtime/RuntimeError.h"

namespace core {

void AppendRawLogLine(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
        file.write((text + QStringLiteral("\r\n")).toUtf8()) < 0)
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write the log %1: %2").arg(path, file.errorString()));
}

void AppendLogLine(const QString& path, const QString& text) {
    AppendRawLogLine(
        path, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + text);
}

QString SerialLogPath() {
    return AppPath + QStringLiteral("/SerialLog.log");
}

QString DatabasePath() {
    return AppPath + QStringLiteral("/QM73.mdb");
}

}  // namespace core
