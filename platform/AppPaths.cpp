#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

AppPaths::AppPaths(QString programFolder) : folder_(QDir::cleanPath(std::move(programFolder))) {}

AppPaths AppPaths::forProgram() {
    const QString exeFolder = QCoreApplication::applicationDirPath();
    const QFileInfo info(exeFolder);
    if (info.isDir() && info.isWritable()) return AppPaths(exeFolder);
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userFolder);
    return AppPaths(userFolder);
}

QString AppPaths::file(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

}  // namespace platform
