#include "core/SerialLog.h"

#include <QFile>
#include <QFileInfo>
#include <QTime>

#include "core/ModMain.h"
#include "platform/FileReplacement.h"
#include "runtime/RuntimeError.h"

namespace core {

void AppendRawLogLine(const QString& path, const QString& text) {
    // The user's link whose target is missing (a disk that is away): no log is made where it
    // leads.
    if (const QFileInfo info(path); info.isSymLink() && !info.exists())
        throw rt::RuntimeError(
            rt::ErrPathAccess,
            QStringLiteral("Cannot write the log %1: it is a link to %2, which is not there")
                .arg(path, platform::LinkTargetOf(path)));
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
