#include "platform/AppPaths.h"

#include <QDir>
#include <QStandardPaths>

#include "runtime/RuntimeError.h"

namespace platform {

AppPaths::AppPaths(QString programFolder) : folder_(QDir::cleanPath(std::move(programFolder))) {}

AppPaths AppPaths::forProgram() {
    // Never the executable's folder, even when it is writable: a build folder is rebuilt or
    // removed with everything in it, the stored downloads included.
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (userFolder.isEmpty())
        throw rt::RuntimeError(rt::ErrPathAccess,
                               QStringLiteral("The system names no data folder for this user"));
    QDir().mkpath(userFolder);
    return AppPaths(userFolder);
}

QString AppPaths::file(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

}  // namespace platform
