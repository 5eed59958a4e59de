#pragma once

#include <QGroupBox>
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/dataview/DataView.h"
#include "mainwindow/dataview/DataViewPage.h"
#include "mainwindow/library/LibraryKeys.h"
#include "mainwindow/library/LibraryPage.h"
#include "platform/AppPaths.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/gui/KeyCodes.h"

namespace library {

// What the library needs of the rest of the window.
class LibraryHost {
  public:
    virtual ~LibraryHost() = default;
    virtual void Form_Resize() = 0;
    // The object a stored download's instrument is loaded into, and the page that shows it.
    virtual core::clsInstrument& storedInstrument() = 0;
    virtual void ShowInstrumentInfo(const core::clsInstrument& instrument) = 0;
};

struct LibraryWiring {
    LibraryPage& page;
    mainwindow::ControlArray<QGroupBox>& fraMenu;
    mainwindow::WindowFields& fields;
    platform::Dialogs& dialogs;
    platform::AppPaths paths;
    // The settings password asked of the user: true when it was given.
    const std::function<bool()>& askPassword;
    dataview::DataView& dataView;  // holds the selection, shows the download
    dataview::DataViewPage& dataPage;
    LibraryHost& host;
};

// The condition that selects the Log_Head rows under a node or item: SQL with a `?` for each
// value, and the values in their order.
struct NodeCondition {
    QString sql;
    std::vector<platform::DbParam> values;
};

// The grouping values of every stored download, read once per build of the tree: what the
// tree is made of. Values are trimmed, "*" for Null or blank.
struct LogHeadIndex {
    struct Entry {
        std::array<QString, 4> values;  // by Level: serial number, station, user, folder
        int32_t types = 0;
        bool kindRead = true;  // false: Types is Null or no whole number of a Long
        int64_t seqNo = 0;
    };
    std::vector<Entry> entries;
};
LogHeadIndex ReadLogHeadIndex(const platform::Database& db);

// The stored name of download `seqNo` (its key read whole, however large).
QString DownloadName(const platform::Database& db, int64_t seqNo);
// A key column of a stored download (Types, Sampling) as the whole Long it must be; nullopt
// when it is Null or none (text, a fraction, a number beyond a Long).
std::optional<int32_t> StoredKey(const platform::ResultSet& rows, int row, int column);

// The Data page's library: the tree of stored downloads, the list under a node, the details
// of one item, and the command that opens the selected download in the data view.
class LogLibrary {
  public:
    explicit LogLibrary(LibraryWiring wiring);

    // The key of the node or item under the pointer at the last left-button press.
    QString RememberedLogKey;
    // The alarm points of the last alarm trend shown (gas positions 1 to 5; -101 none).
    std::array<float, 6> AlarmPoints{};

    // The key the delete menu was opened on (the menu item's tag).
    QString DeleteMenuKey() const;

    void BuildLogTree();
    // Adds the children of the node of `key` made of the rows `rows` of `db`, and theirs,
    // grouped by `levels` (the chosen grouping levels).
    void AddLogTreeChildren(const LogHeadIndex& db, const QString& key,
                            const std::vector<int>& rows, const std::vector<Level>& levels);
    // Raises rt::RuntimeError (ErrKeyNotFound) for a group or kind key that names no node.
    NodeCondition NodeWhereClause(const QString& key) const;

    void tvwLog_MouseDown(int button, int shift, const QPoint& point);
    void tvwLog_NodeClick(QTreeWidgetItem* node);

    void ShowLogList(const QString& key);
    void lvwLog_ColumnClick(int column);
    void lvwLog_ItemClick(QTreeWidgetItem* item);
    void lvwLog_DblClick();
    void lvwLog_MouseDown(int button, int shift, const QPoint& point);

    void ShowLogDetail(const QString& key);

    // "View Data": the selected download in the data view.
    void cmdDetail_Click();
    // "Instrument": the instrument the selected download came from, on the Instrument
    // Information page.
    void cmdLogInst_Click();

    // Deletes what the delete menu was opened on, behind the settings password: everything,
    // the downloads under a node, or one download.
    void mnuDelete_Click();

  private:
    void groupList(const QString& key);
    void downloadList(const QString& key);
    // The selection follows a stored download's key (other keys leave it).
    void selectDownload(const QString& key);
    void offerDeleteMenu(const QString& key, QWidget* where, const QPoint& point);
    void placeholderDetail();
    // That page of the window (fraMenu) shown in place of the others.
    void showOnly(int frame);
    void deleteEverything();
    void deleteNode(const QString& key);
    void deleteDownload(const QString& key);
    // One message of the lines (message 5793 each) that say what stayed; none when none did.
    void tellKept(QStringList kept, int title);
    // Runs a deletion; the tree is built again and the node of `parentKey` listed when it
    // failed, and when it succeeded too unless `afterSuccess` is false.
    void rebuildingAfter(const QString& parentKey, const std::function<void()>& work,
                         bool afterSuccess = true);
    // The tree built again with the node of `parentKey` listed (the root when it is gone).
    void showTreeAfterDeletion(const QString& parentKey);
    // The selection let go when its download is among `deleted` (every download: nullopt).
    void forgetSelection(const std::optional<std::vector<int64_t>>& deleted);
    // When the download chosen in the list cannot be used, the user is told why (under the
    // title `title`) and true is returned.
    bool refuseUnusable(int title);
    // The grouping levels the boxes choose, in their order; the folder level always last.
    std::vector<Level> chosenLevels() const;

    LibraryWiring w_;
    QString listedKey_ = RootKey;  // the node the list shows
    // A stored download that cannot be opened: its SeqNo lies beyond a Long, or its kind or (a
    // trend's) sampling cannot be read. It is listed and shown as one that cannot be read, its
    // commands refuse with the reason, and it is deleted by its key.
    struct UnusableDownload {
        QString name;
        int64_t seqNo = 0;
        QString refusal;  // what its commands say
        QString state;    // what its details show
    };
    // The download of `key`, when it is one that cannot be opened.
    static std::optional<UnusableDownload> unusableOf(const platform::Database& db,
                                                      const QString& key);
    // The downloads of a folder node whose kind cannot be read, after its kinds in its list.
    void unreadableKindList(const QString& key);
    // The download chosen in the list when it cannot be opened, while nothing counts as
    // selected.
    std::optional<UnusableDownload> unusable_;
    // By the key of each folder node, its downloads whose kind cannot be read.
    std::map<QString, std::vector<int64_t>> unreadableKinds_;
};

}  // namespace library
