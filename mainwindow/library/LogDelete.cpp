#include <QFile>
#include <QFileInfo>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "mainwindow/library/LogLibrary.h"
#include "records/TrendLines.h"
#include "runtime/RuntimeError.h"

namespace library {

namespace {

enum Text : int {
    TextDeleteAll = 5317,
    TextDeleteAllTitle = 5318,
    TextDeleteOne = 5327,
    TextDeleteOneTitle = 5328,
    TextDeleteNode = 5339,
    TextDeleteNodeTitle = 5340,
    TextFileKept = 5793,
    TextNotOwnDataFolder = 5781,
    TextNothingDeleted = 5863,
};

// At most this many lines of what stayed are shown; the rest is summed up by "...".
constexpr int KeptLinesShown = 20;

// The tables of a kind's downloads.
QStringList detailTablesOf(const KindInfo& kind) {
    QStringList tables;
    for (const char* table : kind.tables)
        if (table) tables << QString::fromLatin1(table);
    return tables;
}

// The tables that hold the rows of every download.
const QStringList& detailTables() {
    static const QStringList tables = [] {
        QStringList all;
        for (const KindInfo& kind : Kinds())
            all << detailTablesOf(kind);
        return all;
    }();
    return tables;
}

// The downloads a question is about, by their keys: those stored when it is asked. Whatever is
// stored while it is open (a download the user started before) is not part of the answer.
using Keys = std::set<int64_t>;

Keys keysOf(const platform::ResultSet& heads) {
    Keys keys;
    for (int row = 0; row < heads.rowCount(); ++row)
        if (const std::optional<int64_t> seqNo = heads.wholeNumber(row, QStringLiteral("SeqNo")))
            keys.insert(*seqNo);
    return keys;
}

// Runs `statement` (which ends in "In (") for the keys, a bounded number of them at a time.
void execForKeys(const platform::Database& db, const QString& statement, const Keys& keys) {
    constexpr size_t PerStatement = 500;
    std::vector<platform::DbParam> values;
    const auto flush = [&] {
        if (values.empty()) return;
        QStringList marks;
        for (size_t i = 0; i < values.size(); ++i)
            marks << QStringLiteral("?");
        db.exec(statement + marks.join(QLatin1Char(',')) + QLatin1Char(')'), values);
        values.clear();
    };
    for (const int64_t key : keys) {
        values.push_back(key);
        if (values.size() == PerStatement) flush();
    }
    flush();
}

// The trend files of the downloads among `heads` whose keys are among `keys`: exactly the file
// each trend was written to, never a pattern, never a name that only begins the same way. A
// header that names no trend file inside the data folder (a Null or damaged folder ID or name)
// has none: nothing outside is ever touched.
std::vector<core::TrendFileDeletion::File> trendFilesOf(const platform::ResultSet& heads,
                                                        const Keys& keys) {
    std::vector<core::TrendFileDeletion::File> files;
    for (int row = 0; row < heads.rowCount(); ++row) {
        const int32_t types = heads.longValue(row, QStringLiteral("Types"));
        if (types != 1 && types != 2) continue;
        const QString path = records::TrendFileOf(heads, row);
        const std::optional<int64_t> seqNo = heads.wholeNumber(row, QStringLiteral("SeqNo"));
        if (!path.isEmpty() && seqNo && keys.contains(*seqNo)) files.push_back({path, *seqNo});
    }
    return files;
}

// Deletes rows with the trend files of `heads` (those of `keys`), all or nothing: the files
// are kept aside while `deleteRows` deletes the rows in one transaction, and go once it is
// committed; a failure puts them back. A file that cannot be kept aside deletes nothing. What
// stayed is returned.
std::vector<core::RemovalFailure> deleteWithTrendFiles(const platform::ResultSet& heads,
                                                       const Keys& keys,
                                                       const std::function<void()>& deleteRows) {
    core::TrendFileDeletion files;
    try {
        files.setAside(trendFilesOf(heads, keys), core::DataFolder);
    } catch (const rt::RuntimeError& e) {
        throw rt::RuntimeError(e.number(),
                               core::LoadResText(TextNothingDeleted, {e.description()}));
    }
    deleteRows();
    return files.rowsDeleted();
}

QStringList keptLines(const std::vector<core::RemovalFailure>& stayed) {
    QStringList kept;
    for (const core::RemovalFailure& entry : stayed)
        kept << core::LoadResText(TextFileKept, {entry.path, entry.reason});
    kept.removeDuplicates();
    return kept;
}

bool ask(platform::Dialogs& dialogs, const QString& text, int title) {
    return dialogs.message(text, core::LoadResText(title), platform::MsgIcon::Question,
                           platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

}  // namespace

void LogLibrary::mnuDelete_Click() {
    if (!w_.askPassword()) return;
    const QString key = DeleteMenuKey();
    if (key.isEmpty()) return;
    const QChar letter = KeyLetter(key);
    if (letter == QLatin1Char('#'))
        deleteEverything();
    else if (IsGroupLetter(letter) || IsKindLetter(letter))
        deleteNode(key);
    else if (KindOfDownloadLetter(letter) || letter == UnreadableKindLetter)
        deleteDownload(key);
}

void LogLibrary::deleteEverything() {
    const Keys keys = keysOf(platform::Database::open(w_.paths.database())
                                 .query(QStringLiteral("Select SeqNo From Log_Head"))
                                 .lenient());
    if (!ask(w_.dialogs, core::LoadResText(TextDeleteAll), TextDeleteAllTitle)) return;
    std::vector<core::RemovalFailure> stayed;
    bool othersStored = false;
    rebuildingAfter(RootKey, [&] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        const platform::ResultSet heads =
            db.query(QStringLiteral("Select SeqNo, Types, Names, FolderID From Log_Head Where "
                                    "Types In (1, 2)"))
                .lenient();
        stayed = deleteWithTrendFiles(heads, keys, [&] {
            // All or nothing: the calibration list (cLatestHist) stays.
            platform::Transaction transaction(db);
            execForKeys(db, QStringLiteral("Delete From Log_Head Where SeqNo In ("), keys);
            othersStored =
                db.query(QStringLiteral("Select Count(*) As n From Log_Head")).longValue(0, "n") >
                0;
            // The rows of the downloads deleted, and those that belong to none.
            for (const QString& table : detailTables())
                db.exec(QStringLiteral("Delete From ") + table +
                        (othersStored
                             ? QStringLiteral(" Where RelNo Not In (Select SeqNo From Log_Head)")
                             : QString()));
            transaction.commit();
        });
        forgetSelection(std::vector<int64_t>(keys.begin(), keys.end()));
    });
    // What else the data folder holds goes only once the downloads are gone from the database,
    // and only when none came meanwhile: their trend files are in it.
    std::vector<core::RemovalFailure> inFolder;
    if (!othersStored && !core::EmptyDataFolder(core::DataFolder, core::AppPath, &inFolder) &&
        inFolder.empty())
        // Nothing named: the data folder itself was not one to empty.
        inFolder.push_back({core::DataFolder, core::LoadResText(TextNotOwnDataFolder)});
    // A trend file left where a linked folder leads went with the link.
    std::erase_if(stayed, [](const core::RemovalFailure& entry) {
        return !QFileInfo(entry.path).exists() && !QFileInfo(entry.path).isSymLink();
    });
    stayed.insert(stayed.end(), inFolder.begin(), inFolder.end());
    tellKept(keptLines(stayed), TextDeleteAllTitle);
}

void LogLibrary::deleteNode(const QString& key) {
    const NodeCondition condition = NodeWhereClause(key);
    const Keys keys =
        keysOf(platform::Database::open(w_.paths.database())
                   .query(QStringLiteral("Select SeqNo From Log_Head Where ") + condition.sql,
                          condition.values)
                   .lenient());
    if (!ask(w_.dialogs, core::LoadResText(TextDeleteNode), TextDeleteNodeTitle)) return;
    const QString parentKey = w_.page.tvwLog->ParentKey(key);
    std::vector<core::RemovalFailure> stayed;
    rebuildingAfter(parentKey, [&] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        const platform::ResultSet heads =
            db.query(QStringLiteral("Select SeqNo, Types, Names, FolderID From Log_Head Where ") +
                         condition.sql,
                     condition.values)
                .lenient();
        stayed = deleteWithTrendFiles(heads, keys, [&] {
            platform::Transaction transaction(db);
            for (const QString& table : detailTables())
                execForKeys(
                    db,
                    QStringLiteral("Delete From ") + table + QStringLiteral(" Where RelNo In ("),
                    keys);
            execForKeys(db, QStringLiteral("Delete From Log_Head Where SeqNo In ("), keys);
            transaction.commit();
        });
        forgetSelection(std::vector<int64_t>(keys.begin(), keys.end()));
    });
    tellKept(keptLines(stayed), TextDeleteNodeTitle);
}

void LogLibrary::deleteDownload(const QString& key) {
    // A download whose kind cannot be read goes by its key alone, with its rows of every kind.
    const KindInfo* kind = KindOfDownloadLetter(KeyLetter(key));
    // The row of this key, however large its number: one whose SeqNo lies beyond a Long
    // cannot be opened, but it can be deleted.
    const std::optional<int64_t> number = KeyWholeNumber(key);
    if (!number) return;
    const int64_t seqNo = *number;
    platform::KeyedList& list = *w_.page.lvwLog;
    QTreeWidgetItem* item = list.ItemOf(key);
    const QString name = item ? item->text(0) : QString();
    if (!ask(w_.dialogs, core::LoadResText(TextDeleteOne, {name}), TextDeleteOneTitle)) return;

    std::vector<core::RemovalFailure> stayed;
    const auto work = [&] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        const QString where = kind ? QStringLiteral(" Where Types = ? And SeqNo = ?")
                                   : QStringLiteral(" Where SeqNo = ?");
        std::vector<platform::DbParam> which = {seqNo};
        if (kind) which.insert(which.begin(), static_cast<int32_t>(kind->types));
        const platform::ResultSet heads =
            db.query(QStringLiteral("Select SeqNo, Types, Names, FolderID From Log_Head") + where,
                     which)
                .lenient();
        stayed = deleteWithTrendFiles(heads, Keys{seqNo}, [&] {
            platform::Transaction transaction(db);
            db.exec(QStringLiteral("Delete From Log_Head") + where, which);
            for (const QString& table : kind ? detailTablesOf(*kind) : detailTables())
                db.exec(QStringLiteral("Delete From %1 Where RelNo = ?").arg(table), {seqNo});
            transaction.commit();
        });
    };
    // On success only the list loses the item; on failure the library shows what is stored.
    rebuildingAfter(listedKey_, work, false);
    forgetSelection(std::vector<int64_t>{seqNo});
    list.RemoveItem(key);
    list.update();
    // The tree stays as it is; the next opening of the page builds it again.
    w_.fields.LogTreeDirty = true;
    tellKept(keptLines(stayed), TextDeleteOneTitle);
}

void LogLibrary::tellKept(QStringList kept, int title) {
    if (kept.isEmpty()) return;
    if (kept.size() > KeptLinesShown) {
        kept.erase(kept.begin() + KeptLinesShown, kept.end());
        kept << QStringLiteral("...");
    }
    w_.dialogs.message(kept.join(QStringLiteral("\r\n")), core::LoadResText(title),
                       platform::MsgIcon::Exclamation);
}

void LogLibrary::rebuildingAfter(const QString& parentKey, const std::function<void()>& work,
                                 bool afterSuccess) {
    try {
        work();
    } catch (...) {
        // What the database holds after the failure is shown; the failure is what the user
        // is told.
        try {
            showTreeAfterDeletion(parentKey);
        } catch (const std::exception& e) {
            qWarning("The library could not be shown again: %s", e.what());
        }
        throw;
    }
    if (afterSuccess) showTreeAfterDeletion(parentKey);
}

void LogLibrary::showTreeAfterDeletion(const QString& parentKey) {
    w_.fields.LogTreeDirty = true;
    BuildLogTree();
    platform::KeyedTree& tree = *w_.page.tvwLog;
    // The former parent, found by its key: the same node again, not whatever now stands at
    // its old place in the tree.
    if (QTreeWidgetItem* parent = tree.Node(parentKey); parent && !parentKey.isEmpty()) {
        tree.SelectNode(parent);
        ShowLogList(parentKey);
    } else {
        ShowLogList(RootKey);
    }
}

void LogLibrary::forgetSelection(const std::optional<std::vector<int64_t>>& deleted) {
    dataview::DataView& view = w_.dataView;
    const auto gone = [&deleted](int64_t seqNo) {
        return !deleted || std::find(deleted->begin(), deleted->end(), seqNo) != deleted->end();
    };
    const bool selectedGone = view.SelectedLogSeqNo != 0 && gone(view.SelectedLogSeqNo);
    const bool unusableGone = unusable_ && gone(unusable_->seqNo);
    if (!selectedGone && !unusableGone) return;
    // The selected download is gone: nothing can be opened until another is chosen.
    view.SelectedLogType = 0;
    view.SelectedLogSeqNo = 0;
    unusable_.reset();
    placeholderDetail();
}

}  // namespace library
