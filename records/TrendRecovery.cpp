#include "records/TrendRecovery.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <set>
#include <vector>

#include "core/Schema.h"
#include "core/TrendFile.h"
#include "platform/Database.h"
#include "platform/FileReplacement.h"
#include "records/TrendLines.h"
#include "runtime/RuntimeError.h"

namespace records {

namespace {

// Whether the header row of a kept file stands and names its trend file.
bool rowStands(const platform::Database& db, const QString& dataFolder,
               const core::KeptTrendFile& kept) {
    const platform::ResultSet head =
        db.query(QStringLiteral("Select SeqNo, Types, FolderID, Names From Log_Head Where SeqNo=?"),
                 {kept.seqNo})
            .lenient();
    for (int row = 0; row < head.rowCount(); ++row) {
        const int32_t types = head.longValue(row, QStringLiteral("Types"), 0);
        if (types != static_cast<int32_t>(core::LogKind::IntervalTrend) &&
            types != static_cast<int32_t>(core::LogKind::AlarmTrend))
            continue;
        if (QDir::cleanPath(TrendFileIn(dataFolder, head, row)) == QDir::cleanPath(kept.trendPath))
            return true;
    }
    return false;
}

bool exists(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

TrendRecovery RecoverTrendFiles(const QString& dataFolder, const QString& databasePath) {
    TrendRecovery done;
    // Never whole for sure, never put in place: they go whatever the database holds.
    core::RemoveTrendLeftovers(dataFolder);
    const std::vector<core::KeptTrendFile> kept = core::KeptTrendFiles(dataFolder);
    if (kept.empty()) return done;

    // Decided for all before anything is done: a database that fails half way decides none.
    std::vector<bool> stands;
    try {
        if (!QFileInfo(databasePath).isFile())
            throw rt::RuntimeError(rt::ErrFileNotFound,
                                   QStringLiteral("%1 does not exist").arg(databasePath));
        const platform::Database db = platform::Database::open(databasePath);
        for (const core::KeptTrendFile& file : kept)
            stands.push_back(rowStands(db, dataFolder, file));
    } catch (const rt::RuntimeError& e) {
        qWarning("The trend files kept aside stay until the database can tell their rows: %s",
                 qPrintable(e.description()));
        done.left = static_cast<int>(kept.size());
        return done;
    }

    std::set<QString> folders;
    for (size_t i = 0; i < kept.size(); ++i) {
        const core::KeptTrendFile& file = kept[i];
        try {
            // A file of a deletion is put back only where no trend file stands: a trend file
            // there is the row's own.
            const bool back = stands[i] && (!file.deleted || !exists(file.trendPath));
            if (back) {
                platform::RenameFile(file.path, file.trendPath);
                folders.insert(QFileInfo(file.trendPath).absolutePath());
                ++(file.deleted ? done.putBack : done.putInPlace);
                continue;
            }
            QString reason;
            if (!platform::RemoveFile(file.path, &reason))
                throw rt::RuntimeError(rt::ErrPathAccess,
                                       QStringLiteral("%1: %2").arg(file.path, reason));
            ++done.removed;
        } catch (const rt::RuntimeError& e) {
            qWarning("A trend file kept aside stays: %s", qPrintable(e.description()));
            ++done.left;
        }
    }
    for (const QString& folder : folders) {
        try {
            platform::SyncFolder(folder);
        } catch (const rt::RuntimeError& e) {
            qWarning("%s", qPrintable(e.description()));
        }
    }
    return done;
}

}  // namespace records
