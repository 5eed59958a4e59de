#pragma once

#include <QString>

namespace platform {

// Every file and folder of the program derives from one program folder: the executable's
// folder when it is writable, else the per-user data folder. Tests pass their own folder.
class AppPaths {
  public:
    explicit AppPaths(QString programFolder);
    static AppPaths forProgram();

    QString programFolder() const { return folder_; }
    QString file(const QString& name) const;

    QString database() const { return file(QStringLiteral("QM73.mdb")); }
    QString settingsFile() const { return file(QStringLiteral("QM73.ini")); }
    QString dataFolder() const { return file(QStringLiteral("Data")); }
    QString serialLog() const { return file(QStringLiteral("SerialLog.log")); }
    QString errorLogsFolder() const { return file(QStringLiteral("ErrorLogs")); }
    QString lockFile() const { return file(QStringLiteral("QM73.lock")); }

  private:
    QString folder_;
};

}  // namespace platform
