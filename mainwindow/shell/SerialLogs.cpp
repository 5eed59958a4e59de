#include "mainwindow/shell/SerialLogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"

namespace shell {

bool DeleteAndWait(const QString& path, int waitMs, bool yield) {
    if (!QFile::exists(path)) return true;
    QFile::remove(path);
    QElapsedTimer waited;
    waited.start();
    const auto present = [&] { return QFile::exists(path) && waited.elapsed() < waitMs; };
    if (yield) {
        platform::WaitWhile(present);
    } else {
        while (present())
            QThread::msleep(10);
    }
    if (!QFile::exists(path)) return true;
    qWarning("%s could not be deleted; going on", qPrintable(path));
    return false;
}

namespace {

QString logName(const QString& folder, int number) {
    return QDir(folder).filePath(number == 0 ? QStringLiteral("SerialLog.log")
                                             : QStringLiteral("SerialLog%1.log").arg(number));
}

void moveLog(const QString& source, const QString& target) {
    if (QFile::exists(target)) DeleteAndWait(target, 2000, false);
    if (!QFile::rename(source, target))
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("Cannot move %1 to %2").arg(source, target));
}

}  // namespace

void RotateSerialLogFiles(const QString& folder) {
    for (int i = 8; i >= 1; --i) {
        const QString source = logName(folder, i);
        if (QFile::exists(source)) moveLog(source, logName(folder, i + 1));
    }
    const QString current = logName(folder, 0);
    if (!QFile::exists(current)) return;
    moveLog(current, logName(folder, 1));
}

}  // namespace shell
