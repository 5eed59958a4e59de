#include <QHash>
#include <algorithm>

#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "mainwindow/library/LogLibrary.h"
#include "runtime/RuntimeError.h"

namespace library {

namespace {

// The database compares grouping texts without regard to the case of ASCII letters
// (COLLATE NOCASE); the tree groups and sorts them the same way, so that a node's condition
// finds exactly the rows it was made of.
QString foldAscii(const QString& text) {
    const auto upper = [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); };
    // Most texts have nothing to fold: they are shared, not copied.
    if (std::none_of(text.cbegin(), text.cend(), upper)) return text;
    QString folded = text;
    for (QChar& c : folded)
        if (upper(c)) c = QChar(c.unicode() + 32);
    return folded;
}

QString groupingValue(const platform::ResultSet& rows, int row, int column) {
    return core::EmptyToAsterisk(rows.text(row, column));
}

}  // namespace

LogHeadIndex ReadLogHeadIndex(const platform::Database& db) {
    LogHeadIndex index;
    // The columns' places, looked up at the first row.
    std::array<int, 4> columns{};
    int types = -1, seqNo = -1;
    // Row by row as the database reads them, only the columns the tree is made of: the tree of a
    // large library is built while the window waits.
    db.forEachRow(
        QStringLiteral("Select SerialNo, StationID, UserID, FolderID, Types, SeqNo From "
                       "Log_Head Order By SeqNo"),
        {}, true, [&](const platform::ResultSet& row) {
            if (types < 0) {
                for (Level level : {Level::Serial, Level::Station, Level::User, Level::Folder})
                    columns[static_cast<size_t>(level)] =
                        row.column(QString::fromLatin1(InfoOf(level).column));
                types = row.column(QStringLiteral("Types"));
                seqNo = row.column(QStringLiteral("SeqNo"));
            }
            LogHeadIndex::Entry entry;
            for (size_t level = 0; level < columns.size(); ++level)
                entry.values[level] = groupingValue(row, 0, columns[level]);
            // A kind that cannot be read is none: the download is listed with its folder's kinds.
            const std::optional<int32_t> kind = StoredKey(row, 0, types);
            entry.types = kind.value_or(0);
            entry.kindRead = kind.has_value();
            entry.seqNo = row.wholeNumber(0, seqNo).value_or(0);
            index.entries.push_back(std::move(entry));
        });
    return index;
}

std::optional<int32_t> StoredKey(const platform::ResultSet& rows, int row, int column) {
    const std::optional<int64_t> n = rows.wholeNumber(row, column);
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(*n);
}

QString DownloadName(const platform::Database& db, int64_t seqNo) {
    return db.query(QStringLiteral("Select Names From Log_Head Where SeqNo = ?"), {seqNo})
        .text(0, QStringLiteral("Names"));
}

std::vector<Level> LogLibrary::chosenLevels() const {
    std::vector<Level> levels;
    for (Level level : {Level::Serial, Level::Station, Level::User})
        if (w_.page.chkLog[static_cast<int>(level)]->isChecked()) levels.push_back(level);
    levels.push_back(Level::Folder);
    return levels;
}

void LogLibrary::BuildLogTree() {
    platform::KeyedTree& tree = *w_.page.tvwLog;
    if (!w_.fields.LogTreeDirty) {
        tree.update();
        return;
    }
    tree.setUpdatesEnabled(false);
    const auto shown = qScopeGuard([&tree] { tree.setUpdatesEnabled(true); });
    tree.ClearNodes();
    unreadableKinds_.clear();
    tree.setIndentationTwips(100);
    tree.AddNode(QString(), RootKey, core::LoadResText(5107), QStringLiteral("QM-73"),
                 QStringLiteral("QM-73"));
    const LogHeadIndex db = ReadLogHeadIndex(platform::Database::open(w_.paths.database()));
    std::vector<int> all(db.entries.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    AddLogTreeChildren(db, RootKey, all, chosenLevels());
    tree.Node(RootKey)->setExpanded(true);
    w_.fields.LogTreeDirty = false;
    tree.update();
}

void LogLibrary::AddLogTreeChildren(const LogHeadIndex& db, const QString& key,
                                    const std::vector<int>& rows,
                                    const std::vector<Level>& levels) {
    platform::KeyedTree& tree = *w_.page.tvwLog;
    const QChar letter = KeyLetter(key);
    const QString value = KeyValue(key);
    if (letter == InfoOf(Level::Folder).letter) {
        for (int row : rows)
            if (const LogHeadIndex::Entry& entry = db.entries[static_cast<size_t>(row)];
                !entry.kindRead)
                unreadableKinds_[key].push_back(entry.seqNo);
        // One node per kind that has downloads in this folder, in the kinds' order.
        for (const KindInfo& kind : Kinds()) {
            const bool present = std::any_of(rows.begin(), rows.end(), [&](int row) {
                return db.entries[static_cast<size_t>(row)].types == kind.types;
            });
            if (present)
                tree.AddNode(key, MakeKey(value, kind.letter), core::LoadResText(kind.text),
                             QStringLiteral("CloseFolder"), QStringLiteral("OpenFolder"));
        }
        return;
    }
    // The next grouping level below this node's.
    auto next = levels.begin();
    if (letter != QLatin1Char('#')) {
        const std::optional<Level> own = LevelOfLetter(letter);
        if (!own) return;
        next = std::find(levels.begin(), levels.end(), *own);
        if (next == levels.end()) return;
        ++next;
        if (next == levels.end()) return;
    }
    const auto column = static_cast<size_t>(*next);

    // The distinct values of that level among the rows, each with its rows, in the order of
    // their folded text.
    struct Group {
        QString text, folded;
        std::vector<int> rows;
    };
    std::vector<Group> groups;
    QHash<QString, size_t> groupOf;
    for (int row : rows) {
        const QString& text = db.entries[static_cast<size_t>(row)].values[column];
        const QString folded = foldAscii(text);
        auto found = groupOf.constFind(folded);
        if (found == groupOf.constEnd()) {
            found = groupOf.insert(folded, groups.size());
            groups.push_back({text, folded, {}});
        }
        groups[*found].rows.push_back(row);
    }
    std::sort(groups.begin(), groups.end(),
              [](const Group& a, const Group& b) { return a.folded < b.folded; });

    const QChar childLetter = InfoOf(*next).letter;
    const QString prefix = letter == QLatin1Char('#') ? QString() : value + ValueSeparator;
    for (const Group& group : groups) {
        const QString childKey = MakeKey(prefix + group.text, childLetter);
        if (tree.AddNode(key, childKey, group.text, QStringLiteral("CloseFolder"),
                         QStringLiteral("OpenFolder")))
            AddLogTreeChildren(db, childKey, group.rows, levels);
    }
}

NodeCondition LogLibrary::NodeWhereClause(const QString& key) const {
    const QChar letter = KeyLetter(key);
    if (KindOfDownloadLetter(letter)) {
        // However large the number: a download beyond a Long is found by its key too.
        if (const std::optional<int64_t> seqNo = KeyWholeNumber(key))
            return {QStringLiteral("SeqNo = ?"), {platform::DbParam(*seqNo)}};
        return {QStringLiteral("SeqNo = ?"), {core::LeadingNumber(key)}};
    }
    const platform::KeyedTree& tree = *w_.page.tvwLog;
    const QTreeWidgetItem* node = tree.Node(key);
    if (!node) throw rt::RuntimeError(rt::ErrKeyNotFound, QStringLiteral("No node ") + key);

    // One term per node from this one up to the root, each put in front of the others.
    QStringList terms;
    std::vector<platform::DbParam> values;
    for (; node; node = node->parent()) {
        const QChar nodeLetter = KeyLetter(tree.KeyOf(node));
        if (nodeLetter == QLatin1Char('#')) break;
        if (const KindInfo* kind = KindOfLetter(nodeLetter)) {
            terms.prepend(QStringLiteral("Types = ?"));
            values.insert(values.begin(), platform::DbParam(static_cast<int32_t>(kind->types)));
            continue;
        }
        const std::optional<Level> level = LevelOfLetter(nodeLetter);
        if (!level) continue;
        const QString column = QString::fromLatin1(InfoOf(*level).column);
        const QString text = node->text(0);
        if (text == QLatin1String("*")) {
            // A "*" node holds the downloads stored without that value, however kept.
            terms.prepend(
                QStringLiteral("(%1 Is Null Or Trim(%1) = '' Or Trim(%1) = '*')").arg(column));
        } else {
            terms.prepend(QStringLiteral("Trim(%1) = ? COLLATE NOCASE").arg(column));
            values.insert(values.begin(), platform::DbParam(text));
        }
    }
    return {terms.join(QStringLiteral(" And ")), std::move(values)};
}

void LogLibrary::tvwLog_MouseDown(int button, int, const QPoint& point) {
    platform::KeyedTree& tree = *w_.page.tvwLog;
    QTreeWidgetItem* node = tree.HitTest(point);
    if (!node) return;
    const QString key = tree.KeyOf(node);
    if (button == platform::RightButton) {
        tree.SelectNode(node);
        ShowLogList(key);
        offerDeleteMenu(key, tree.viewport(), point);
    } else {
        RememberedLogKey = key;
    }
}

void LogLibrary::tvwLog_NodeClick(QTreeWidgetItem* node) {
    if (!node) return;
    ShowLogList(w_.page.tvwLog->KeyOf(node));
    platform::KeyedList& list = *w_.page.lvwLog;
    if (list.Count() == 0) return;
    const QString first = list.KeyOf(list.Item(0));
    ShowLogDetail(first);
    selectDownload(first);
}

void LogLibrary::selectDownload(const QString& key) {
    const QChar letter = KeyLetter(key);
    const KindInfo* kind = KindOfDownloadLetter(letter);
    if (!kind && letter != UnreadableKindLetter) return;
    dataview::DataView& view = w_.dataView;
    view.SelectedLogType = 0;
    view.SelectedLogSeqNo = 0;
    unusable_ = unusableOf(platform::Database::open(w_.paths.database()), key);
    if (unusable_) return;
    // Both halves of the selection come from this one key, or neither: never the kind of one
    // download with the number of another.
    const std::optional<int32_t> seqNo = KeySeqNo(key);
    if (!kind || !seqNo) return;
    view.SelectedLogType = kind->types;
    view.SelectedLogSeqNo = *seqNo;
}

void LogLibrary::offerDeleteMenu(const QString& key, QWidget* where, const QPoint& point) {
    w_.page.mnuDelete->setData(key);
    w_.dialogs.popup(*w_.page.mnuDeletes, where->mapToGlobal(point));
}

QString LogLibrary::DeleteMenuKey() const {
    return w_.page.mnuDelete->data().toString();
}

}  // namespace library
