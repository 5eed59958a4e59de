#include "core/SerialLog.h"

#include <QFile>
#include <QTime>

#include "runtime/RuntimeError.h"

namespace core {

void AppendLogLine(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write the log %1: %2").arg(path, file.errorString()));
    const QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) +
                         QLatin1Char(' ') + text + QStringLiteral("\r\n");
    if (file.write(line.toUtf8()) < 0)
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write the log %1: %2").arg(path, file.errorString()));
}

}  // namespace core
