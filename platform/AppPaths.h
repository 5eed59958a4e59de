#pragma once

#include <QString>

namespace platform {

// Every file and folder of the program derives from one program folder: the per-user data
// folder (~/.local/share/QM73), wherever the executable lies. Tests pass their own folder.
class AppPaths {
  public:
    explicit AppPaths(QString programFolder);
    // The per-user data folder, created when missing (a folder that cannot be created shows
    // when the lock file cannot be made in it). Raises rt::RuntimeError when the system names
    // no such folder.
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
