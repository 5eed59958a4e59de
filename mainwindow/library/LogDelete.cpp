#include <QFile>
#include <QFileInfo>

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
    if (!ask(w_.dialogs, core::LoadResText(TextDeleteAll), TextDeleteAllTitle)) return;
    rebuildingAfter(RootKey, [this] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        // All or nothing: the calibration list (cLatestHist) stays.
        platform::Transaction transaction(db);
        for (const QString& table : QStringList{"Log_head"} + detailTables())
            db.exec(QStringLiteral("Delete From ") + table);
        transaction.commit();
        forgetSelection(std::nullopt);
    });
    // The trend files go only once their downloads are gone from the database.
    std::vector<core::RemovalFailure> stayed;
    if (core::EmptyDataFolder(core::DataFolder, core::AppPath, &stayed)) return;
    // Nothing named: the data folder itself was not one to empty.
    if (stayed.empty())
        stayed.push_back({core::DataFolder, core::LoadResText(TextNotOwnDataFolder)});
    QStringList kept;
    for (const core::RemovalFailure& entry : stayed)
        kept << core::LoadResText(TextFileKept, {entry.path, entry.reason});
    tellKept(kept, TextDeleteAllTitle);
}

void LogLibrary::deleteNode(const QString& key) {
    if (!ask(w_.dialogs, core::LoadResText(TextDeleteNode), TextDeleteNodeTitle)) return;
    const NodeCondition condition = NodeWhereClause(key);
    const QString parentKey = w_.page.tvwLog->ParentKey(key);
    platform::ResultSet heads;
    rebuildingAfter(parentKey, [&] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        heads =
            db.query(QStringLiteral("Select SeqNo, Types, Names, FolderID From Log_Head Where ") +
                         condition.sql,
                     condition.values)
                .lenient();
        platform::Transaction transaction(db);
        const QString under =
            QStringLiteral(" Where RelNo In (Select SeqNo From Log_Head Where %1)")
                .arg(condition.sql);
        for (const QString& table : detailTables())
            db.exec(QStringLiteral("Delete From ") + table + under, condition.values);
        db.exec(QStringLiteral("Delete From Log_Head Where ") + condition.sql, condition.values);
        transaction.commit();
        std::vector<int64_t> deleted;
        for (int row = 0; row < heads.rowCount(); ++row)
            if (const auto seqNo = heads.wholeNumber(row, QStringLiteral("SeqNo")))
                deleted.push_back(*seqNo);
        forgetSelection(deleted);
    });
    removeTrendFiles(heads, TextDeleteNodeTitle);
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

    platform::ResultSet heads;
    const auto work = [&] {
        const platform::Database db = platform::Database::open(w_.paths.database());
        const QString where = kind ? QStringLiteral(" Where Types = ? And SeqNo = ?")
                                   : QStringLiteral(" Where SeqNo = ?");
        std::vector<platform::DbParam> which = {seqNo};
        if (kind) which.insert(which.begin(), static_cast<int32_t>(kind->types));
        heads =
            db.query(QStringLiteral("Select SeqNo, Types, Names, FolderID From Log_Head") + where,
                     which)
                .lenient();
        platform::Transaction transaction(db);
        db.exec(QStringLiteral("Delete From Log_Head") + where, which);
        for (const QString& table : kind ? detailTablesOf(*kind) : detailTables())
            db.exec(QStringLiteral("Delete From %1 Where RelNo = ?").arg(table), {seqNo});
        transaction.commit();
    };
    // On success only the list loses the item; on failure the library shows what is stored.
    rebuildingAfter(listedKey_, work, false);
    forgetSelection(std::vector<int64_t>{seqNo});
    list.RemoveItem(key);
    list.update();
    // The tree stays as it is; the next opening of the page builds it again.
    w_.fields.LogTreeDirty = true;
    removeTrendFiles(heads, TextDeleteOneTitle);
}

void LogLibrary::removeTrendFiles(const platform::ResultSet& heads, int title) {
    QStringList kept;
    for (int row = 0; row < heads.rowCount(); ++row) {
        const int32_t types = heads.longValue(row, QStringLiteral("Types"));
        if (types != 1 && types != 2) continue;
        // Exactly the file the trend was written to: never a pattern, never a name that
        // only begins the same way. A header that names no trend file inside the data folder
        // (a Null or damaged folder ID or name) has none: nothing outside is ever touched.
        const QString path = records::TrendFileOf(heads, row);
        if (path.isEmpty()) continue;
        // The file itself, a link as a link, and nothing that a linked folder leads to out of
        // the data folder: what emptying the data folder would remove, and no more.
        QString reason;
        if (!core::RemoveStoredTrendFile(path, core::DataFolder, reason))
            kept << core::LoadResText(TextFileKept, {path, reason});
    }
    tellKept(kept, title);
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
