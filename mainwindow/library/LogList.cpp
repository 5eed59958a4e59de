#include "core/ModMain.h"
#include "core/StoredDamage.h"
#include "mainwindow/library/LogLibrary.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"

namespace library {

namespace {

constexpr int TextKindHeader = 5667;

// The picture of a stored download by its kind and sampling; empty: the download is not
// listed (an interval trend of a sampling this program does not know).
QString downloadImage(const KindInfo& kind, int32_t sampling) {
    switch (kind.types) {
        case 1:
            if (sampling >= 0 && sampling <= 2) return QStringLiteral("Interval%1").arg(sampling);
            return QString();
        case 2:
            return sampling == 2 ? QStringLiteral("Interval0") : QStringLiteral("Alarm0");
        default:
            return QString::fromLatin1(kind.image);
    }
}

}  // namespace

void LogLibrary::ShowLogList(const QString& key) {
    const QChar letter = KeyLetter(key);
    if (IsGroupLetter(letter))
        groupList(key);
    else if (IsKindLetter(letter))
        downloadList(key);
    else
        return;
    listedKey_ = key;
}

void LogLibrary::groupList(const QString& key) {
    platform::KeyedList& list = *w_.page.lvwLog;
    const platform::KeyedTree& tree = *w_.page.tvwLog;
    list.setUpdatesEnabled(false);
    const auto shown = qScopeGuard([&list] { list.setUpdatesEnabled(true); });
    list.ClearItems();
    list.ClearColumns();
    list.AddColumn(QStringLiteral("DataName"), 0.3);
    list.AddColumn(QStringLiteral("Type"), 0.25);
    list.AddColumn(QStringLiteral("Date/Time"), 0.44);
    const QTreeWidgetItem* node = tree.Node(key);
    if (!node) return;
    if (node->childCount() == 0) {
        unreadableKindList(key);
        return;
    }
    list.setSorted(false);  // the items keep the tree's order
    // A node's children are all of one grouping level, or all kinds: one header over them.
    const QChar childrenLetter = KeyLetter(tree.KeyOf(node->child(0)));
    if (const std::optional<Level> level = LevelOfLetter(childrenLetter)) {
        const int header = InfoOf(*level).headerText;
        list.setColumnText(0, header ? core::LoadResText(header) : QStringLiteral("(MM/YY)"));
    } else if (KindOfLetter(childrenLetter)) {
        list.setColumnText(0, core::LoadResText(TextKindHeader));
    }
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        const QString childKey = tree.KeyOf(child);
        const KindInfo* kind = KindOfLetter(KeyLetter(childKey));
        list.AddItem(childKey, kind ? core::LoadResText(kind->text) : child->text(0),
                     QStringLiteral("OpenFolder"), QStringLiteral("CloseFolder"));
    }
    unreadableKindList(key);
}

void LogLibrary::unreadableKindList(const QString& key) {
    const auto found = unreadableKinds_.find(key);
    if (found == unreadableKinds_.end()) return;
    // After the kinds: the downloads whose kind cannot be read, by their names.
    platform::KeyedList& list = *w_.page.lvwLog;
    const platform::Database db = platform::Database::open(w_.paths.database());
    for (const int64_t seqNo : found->second)
        list.AddItem(MakeKey(QString::number(seqNo), UnreadableKindLetter), DownloadName(db, seqNo),
                     QStringLiteral("Unreadable"), QStringLiteral("Unreadable"));
}

void LogLibrary::downloadList(const QString& key) {
    platform::KeyedList& list = *w_.page.lvwLog;
    const KindInfo& kind = *KindOfLetter(KeyLetter(key));
    const NodeCondition condition = NodeWhereClause(key);
    list.setUpdatesEnabled(false);
    const auto shown = qScopeGuard([&list] { list.setUpdatesEnabled(true); });
    list.ClearItems();
    list.ClearColumns();
    list.AddColumn(QStringLiteral("Name"), 0.25);
    list.AddColumn(QStringLiteral("SerialNo"), 0.25);
    list.AddColumn(QStringLiteral("UserID"), 0.25);
    list.AddColumn(QStringLiteral("Date/Time"), 0.24);

    const platform::Database db = platform::Database::open(w_.paths.database());
    // A value that cannot be read shows empty, and the downloads after it are listed all the
    // same; listing them tells nothing.
    const platform::ResultSet rows =
        db.query(QStringLiteral("Select SeqNo, Names, SerialNo, UserID, Dates, Sampling From "
                                "Log_Head Where ") +
                     condition.sql + QStringLiteral(" Order By SeqNo"),
                 condition.values)
            .lenient();
    // Filled unsorted and sorted once: a sorted insertion per item costs more.
    list.setSorted(false);
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QString name = rows.text(row, QStringLiteral("Names"));
        // A sampling that cannot be read is listed, as a download that cannot be opened, with
        // the kind's first picture; none stored is the first sampling.
        const std::optional<int32_t> sampling =
            rows.isNull(row, QStringLiteral("Sampling"))
                ? std::optional<int32_t>(0)
                : StoredKey(rows, row, rows.column(QStringLiteral("Sampling")));
        const rt::OleDate date = rows.requiredDate(row, QStringLiteral("Dates"));
        const bool dateRead = !rows.unreadable(row, QStringLiteral("Dates"));
        // The key names the row, however large its number: a download whose SeqNo lies
        // beyond a Long is listed, and shown as one that cannot be read.
        const std::optional<int64_t> seqNo = rows.wholeNumber(row, QStringLiteral("SeqNo"));
        if (!seqNo) continue;
        // An alarm trend kept with the interval sampling is a working copy, shown only when
        // debugging.
        if (kind.types == 2 && sampling == 2 && !core::DebugMode) continue;
        const QString image = downloadImage(kind, sampling.value_or(0));
        if (image.isEmpty()) continue;
        QTreeWidgetItem* item =
            list.AddItem(MakeKey(QString::number(*seqNo), kind.downloadLetter), name, image, image);
        list.setSubItem(item, 1, rows.text(row, QStringLiteral("SerialNo")));
        list.setSubItem(item, 2, rows.text(row, QStringLiteral("UserID")));
        list.setSubItem(item, 3, dateRead ? rt::GeneralDate(date) : QString());
    }
    list.setSortOrder(platform::KeyedList::Ascending);
    list.setSorted(true);
    if (list.Count() > 0) {
        list.SelectItem(list.Item(0));
        return;
    }
    placeholderDetail();
    list.setCurrentItem(nullptr);
}

void LogLibrary::lvwLog_ColumnClick(int) {
    platform::KeyedList& list = *w_.page.lvwLog;
    if (!list.Sorted()) {
        list.setSortOrder(platform::KeyedList::Ascending);
        list.setSorted(true);
    } else {
        list.setSortOrder(list.SortOrder() == platform::KeyedList::Ascending
                              ? platform::KeyedList::Descending
                              : platform::KeyedList::Ascending);
    }
    list.update();
}

void LogLibrary::lvwLog_ItemClick(QTreeWidgetItem* item) {
    if (!item) return;
    platform::KeyedList& list = *w_.page.lvwLog;
    const QString key = list.KeyOf(item);
    ShowLogDetail(key);
    list.SelectItem(item);
    selectDownload(key);
}

void LogLibrary::lvwLog_DblClick() {
    const QString key = RememberedLogKey;
    if (key.isEmpty()) return;
    const QChar letter = KeyLetter(key);
    if (IsGroupLetter(letter) || IsKindLetter(letter)) {
        QTreeWidgetItem* node = w_.page.tvwLog->Node(key);
        if (!node) return;  // a key of a tree built before: nothing to go down to
        // The node comes into sight in the tree; what the tree selects stays.
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            up->setExpanded(true);
        ShowLogList(key);
        platform::KeyedList& list = *w_.page.lvwLog;
        if (list.Count() > 0) ShowLogDetail(list.KeyOf(list.Item(0)));
        return;
    }
    // A download that cannot be opened is told why.
    if ((w_.dataView.SelectedLogType != 0 && w_.dataView.SelectedLogSeqNo != 0) || unusable_)
        cmdDetail_Click();
}

void LogLibrary::lvwLog_MouseDown(int button, int, const QPoint& point) {
    platform::KeyedList& list = *w_.page.lvwLog;
    QTreeWidgetItem* item = list.HitTest(point);
    if (!item) return;
    const QString key = list.KeyOf(item);
    if (button == platform::LeftButton) {
        RememberedLogKey = key;
    } else if (button == platform::RightButton) {
        list.SelectItem(item);
        ShowLogDetail(key);
        offerDeleteMenu(key, list.viewport(), point);
    }
}

}  // namespace library
