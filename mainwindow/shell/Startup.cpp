#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "core/ModMain.h"
#include "core/Schema.h"
#include "core/Settings.h"
#include "link/Frame.h"
#include "mainwindow/shell/Captions.h"
#include "mainwindow/shell/FrmMain.h"
#include "mainwindow/shell/SerialLogs.h"
#include "platform/Database.h"
#include "platform/FileReplacement.h"
#include "platform/TerminationSignals.h"
#include "records/TrendRecovery.h"
#include "runtime/RuntimeError.h"

// The window's start-up: its folders, the database, the defaults and the settings file, the link
// and its port, the serial logs; and what it tells of a database or a settings file it cannot use.
namespace shell {

namespace {

enum StartupText : int {
    TextSettingsDamaged = 5490,
    TextSettingsUnreadable = 5861,
    TextDatabaseNotOurs = 5496,
    TextDatabaseFolder = 5497,
    TextDatabaseDamaged = 5498,
    TextDatabaseLocked = 5481,
    TextDatabaseNotUpdated = 5482,
    TextDatabaseColumns = 5846,
    TextDatabasePermission = 5847,
    TextLinkLeadsNowhere = 5880,
    TextDatabaseReadOnly = 5882,
    TextDatabaseNotMade = 5885,
    TextSettingsNotSavedAtTheEnd = 5900,
    TextSettingsBackupCut = 5901,
};

// The engine's own words of a database error, without the statement it ran.
QString engineWords(const rt::RuntimeError& error) {
    const auto* db = dynamic_cast<const platform::DatabaseError*>(&error);
    return db && !db->engineText().isEmpty() ? db->engineText() : error.description();
}

}  // namespace

// ---- Form_Load ----------------------------------------------------------------------------

void FrmMain::step(const char* name, const std::function<void()>& work) {
    rt::RunStep("Start-up", name, work);
}

void FrmMain::Form_Load() {
    step("version", [] { core::DetectWindowsVersion(); });
    step("data folder", [this] {
        core::AppPath = services_.paths.programFolder();
        core::DataFolder = services_.paths.dataFolder();
        if (tellLinkLeadingNowhere(services_.paths.dataFolder())) return;
        if (!QDir(services_.paths.dataFolder()).exists())
            QDir().mkpath(services_.paths.dataFolder());
    });
    // A store or a deletion cut short (a kill, a power cut, a failed rename) is finished as its
    // rows in the database tell, before the database is touched.
    step("trend leftovers", [this] {
        records::RecoverTrendFiles(services_.paths.dataFolder(), services_.paths.database());
    });
    step("database", [this] {
        const QString path = services_.paths.database();
        // What a first start cut short left under the temporary name is no one's database.
        try {
            core::RemoveUnfinishedDatabase(path);
        } catch (const rt::RuntimeError& e) {
            qWarning("%s", qPrintable(e.description()));
        }
        if (tellLinkLeadingNowhere(path)) return;
        if (!QFileInfo::exists(path)) {
            try {
                core::CreateDatabase(path);
            } catch (const rt::RuntimeError& e) {
                AppendStatusLog(core::LoadResText(TextDatabaseNotMade, {path, engineWords(e)}),
                                download::ColorStatusFailed);
                throw;
            }
            return;
        }
        std::optional<platform::Database> db;
        try {
            db = platform::Database::open(path);
        } catch (const rt::RuntimeError& e) {
            // A file of that name that is not our database is never replaced: it is told, as
            // is one that another program keeps locked, which the next action tries again.
            tellUnusableDatabase(path, e);
            throw;
        }
        // Opened for reading alone, it stays so for the run: nothing downloaded can be saved.
        if (db->readOnly())
            AppendStatusLog(core::LoadResText(TextDatabaseReadOnly, {path}),
                            download::ColorStatusFailed);
        try {
            core::UpgradeDatabase(*db);
        } catch (const platform::DatabaseError& e) {
            if (e.kind() == platform::DatabaseError::Kind::Locked)
                AppendStatusLog(core::LoadResText(TextDatabaseNotUpdated, {path, engineWords(e)}),
                                download::ColorStatusFailed);
            throw;
        }
        tellMissingColumns(*db);
    });
    fields.ActivationPending = true;
    step("span gas values", [] {
        for (int g = 0; g < 4; ++g)
            core::AutoCalibSnapshot[g] = -101.0f;
    });
    step("gas presets", [] {
        for (auto& channel : core::GasPresetTable)
            for (int entry = 0; entry < 8; ++entry)
                channel[entry] = core::GasPreset{};
    });
    step("defaults", [this] { SetDefaults(); });
    step("link defaults", [] {
        core::TrendSearchBefore = -30;
        core::TrendSearchAfter = 45;
        core::RetryLimit = 3;
        core::TimeoutSeconds = 3;
    });
    // A save that was cut short (the program killed, the power lost) leaves its temporary file.
    step("temporary settings files",
         [this] { core::RemoveTemporarySettingsFiles(services_.paths.settingsFile()); });
    step("settings file", [this] { readSettingsFile(); });
    step("display settings", [this] { showDisplaySettings(); });
    step("fonts", [this] { applyDisplayFont(); });
    step("captions", [this] { SetCaptions(*this, registry_); });
    step("link", [this] {
        uclVY5103.setRetry(core::RetryLimit);
        uclVY5103.setTimeout(core::TimeoutSeconds);
        uclVY5103.setSerialComm(false);
    });
    step("port", [this] { OpenInstrumentPort(); });
    step("clock", [this] { setPage->lblOption[5]->setProperty("tag", comm::NowText()); });
    step("settings view", [this] {
        setPage->fraOption[1]->show();
        setPage->fraOption[2]->hide();
    });
    fields.SettingsGridFilling = false;
    fields.HistoryGridFilling = false;
    step("serial logs", [this] {
        if (core::SerialLogEnabled) RotateSerialLogs();
    });
    step("serial log", [this] {
        if (!tellLinkLeadingNowhere(services_.paths.serialLog()))
            DeleteAndWait(services_.paths.serialLog());
    });
    step("serial log on", [this] {
        uclVY5103.setSerialLogPath(services_.paths.serialLog());
        uclVY5103.setSerialFileNo(1);
        uclVY5103.setDumpListFileNo(2);
    });
    step("suffix", [this] { downloadPage->txtSuffix->setText(core::FactoryRecordSuffix); });
    loaded_ = true;
    // From now on the settings of this session are in memory only: an end at the limit says
    // that they are lost.
    platform::setUnsavedAtTheEnd(core::LoadResText(
        TextSettingsNotSavedAtTheEnd,
        {services_.paths.settingsFile(), platform::TerminationSignals::EndLimitMs / 1000}));
}

void FrmMain::readSettingsFile() {
    const auto damage = core::LoadSettings(services_.paths.settingsFile(), *this);
    showAutomaticMode();
    if (damage && damage->unreadable)
        AppendStatusLog(core::LoadResText(TextSettingsUnreadable,
                                          {services_.paths.settingsFile(), damage->reason}),
                        download::ColorStatusFailed);
    else if (damage) {
        AppendStatusLog(core::LoadResText(TextSettingsDamaged,
                                          {damage->lineNumber, damage->line, damage->reason}),
                        download::ColorStatusFailed);
        const qint64 size = QFileInfo(services_.paths.settingsFile()).size();
        if (size > core::SettingsBackupLimit)
            AppendStatusLog(core::LoadResText(TextSettingsBackupCut,
                                              {QString::number(size),
                                               QString::number(core::SettingsBackupLimit)}),
                            download::ColorStatusFailed);
    }
}

void FrmMain::tellMissingColumns(const platform::Database& db) {
    // Told, never added: the user decides what becomes of a database that lost them.
    for (const core::MissingColumns& missing : core::FindMissingColumns(db))
        AppendStatusLog(
            core::LoadResText(TextDatabaseColumns, {db.path(), missing.table,
                                                    missing.columns.join(QStringLiteral(", "))}),
            download::ColorStatusFailed);
}

bool FrmMain::tellLinkLeadingNowhere(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink() || info.exists()) return false;
    AppendStatusLog(core::LoadResText(TextLinkLeadsNowhere, {path, platform::LinkTargetOf(path)}),
                    download::ColorStatusFailed);
    return true;
}

void FrmMain::tellUnusableDatabase(const QString& path, const rt::RuntimeError& refusal) {
    const auto* error = dynamic_cast<const platform::DatabaseError*>(&refusal);
    if (error && error->kind() == platform::DatabaseError::Kind::Locked) {
        AppendStatusLog(core::LoadResText(TextDatabaseLocked, {path, engineWords(*error)}),
                        download::ColorStatusFailed);
        return;
    }
    const platform::DatabaseFileCheck check = platform::CheckDatabaseFile(path);
    int text = 0;
    switch (check.state) {
        case platform::DatabaseFile::NotDatabase:
            text = TextDatabaseNotOurs;
            break;
        case platform::DatabaseFile::Folder:
            text = TextDatabaseFolder;
            break;
        case platform::DatabaseFile::Damaged:
            text = TextDatabaseDamaged;
            break;
        case platform::DatabaseFile::Locked:
            text = TextDatabaseLocked;
            break;
        case platform::DatabaseFile::NoPermission:
            text = TextDatabasePermission;
            break;
        case platform::DatabaseFile::Missing:
        case platform::DatabaseFile::Ours:
            return;  // gone meanwhile, or refused for a passing reason: the log line tells it
    }
    AppendStatusLog(core::LoadResText(text, {path, check.reason}), download::ColorStatusFailed);
}

}  // namespace shell
