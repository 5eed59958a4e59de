#pragma once

#include <QTest>
#include <optional>

#include <QDirIterator>
#include <map>

#include "core/ModMain.h"
#include "records/TrendLines.h"
#include "runtime/Format.h"
#include "tests/support/InstrumentWindow.h"

namespace testsupport {

inline QStringList lines(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

// One stored download's header row; a value left unset is stored as Null.
struct StoredHead {
    int32_t seqNo = 0;  // 0: the next free one
    QString names = QStringLiteral("Download");
    std::optional<QString> serial = QStringLiteral("A1");
    std::optional<QString> station = std::nullopt;
    std::optional<QString> user = QStringLiteral("U1");
    std::optional<QString> folder = QStringLiteral("05/26");
    int types = 1;
    int sampling = 0;
    rt::OleDate date = rt::OleDate::DateSerial(2026, 5, 14);
    int32_t count = 0;
    int32_t interval = 10;
    // Gas position 4.
    QString gasName = QStringLiteral("CO"), gasUnit = QStringLiteral("ppm");
    float full = 500, average = 0, maximum = 0;
    int16_t point = 0;
    bool enabled = true;
    rt::OleDate maximumDate = rt::OleDate();
};

// A main window (no instrument connected) whose database holds the downloads a test stores,
// showing its Data page.
struct LibraryWindow : InstrumentWindow {
    // `prepare` sets the program folder up before the start.
    explicit LibraryWindow(const std::function<void(WindowRig&)>& prepare = {})
        : InstrumentWindow(FakeQM73::Typical(), prepare) {}

    library::LogLibrary& lib() { return *window->logLibrary; }
    library::LibraryPage& page() { return *window->libraryPage; }
    platform::KeyedTree& tree() { return *window->libraryPage->tvwLog; }
    platform::KeyedList& list() { return *window->libraryPage->lvwLog; }
    platform::FlexGrid& grid() { return *window->libraryPage->vfgLog; }

    int32_t add(const StoredHead& h) {
        const auto text = [](const std::optional<QString>& v) {
            return v ? platform::DbParam(*v) : platform::DbParam(nullptr);
        };
        const platform::Database d = db();
        const int32_t seqNo = h.seqNo ? h.seqNo : d.MaxSeq(QStringLiteral("Log_Head"));
        d.exec(QStringLiteral("Insert Into Log_Head (SeqNo, Names, SerialNo, StationID, UserID, "
                              "FolderID, Types, Sampling, Dates, DCount, Interval, Gas4Name, "
                              "Gas4Unit, Gas4Full, Gas4Avr, Gas4Max, Gas4Point, Gas4Enable, "
                              "Gas4MaxDate) Values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {seqNo, h.names, text(h.serial), text(h.station), text(h.user), text(h.folder),
                static_cast<int32_t>(h.types), static_cast<int32_t>(h.sampling), h.date, h.count,
                h.interval, h.gasName, h.gasUnit, h.full, h.average, h.maximum, h.point, h.enabled,
                h.maximumDate});
        return seqNo;
    }

    void group(bool serial, bool station, bool user) {
        const QSignalBlocker b0(page().chkLog[0]), b1(page().chkLog[1]), b2(page().chkLog[2]);
        page().chkLog[0]->setChecked(serial);
        page().chkLog[1]->setChecked(station);
        page().chkLog[2]->setChecked(user);
    }
    // The Data page opened after a download (the tree is built again).
    void openDataPage() {
        window->fields.LogTreeDirty = true;
        window->cmdInst_Click(2);
        settle();
    }

    // The tree as indented lines: two blanks per level.
    QStringList treeLines() {
        QStringList lines;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* node, int depth) {
            lines << QString(depth * 2, QLatin1Char(' ')) + node->text(0);
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i), depth + 1);
        };
        for (int i = 0; i < tree().topLevelItemCount(); ++i)
            walk(tree().topLevelItem(i), 0);
        return lines;
    }
    // The node whose texts from the root's first level down are these.
    QTreeWidgetItem* node(const QStringList& path) {
        QTreeWidgetItem* at = tree().Node(QStringLiteral("0 #"));
        for (const QString& text : path) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; at && i < at->childCount() && !next; ++i)
                if (at->child(i)->text(0) == text) next = at->child(i);
            at = next;
        }
        return at;
    }
    void clickNode(const QStringList& path) {
        QTreeWidgetItem* n = node(path);
        EXPECT_NE(n, nullptr) << path.join('/').toStdString();
        if (n) lib().tvwLog_NodeClick(n);
    }
    // The list's items: the first column and the sub-items, joined by " | ".
    QStringList listLines() {
        QStringList lines;
        for (int i = 0; i < list().Count(); ++i) {
            QStringList cells;
            for (int c = 0; c < list().columnCount(); ++c)
                cells << list().Item(i)->text(c);
            lines << cells.join(QStringLiteral(" | "));
        }
        return lines;
    }
    QStringList headers() {
        QStringList texts;
        for (int c = 0; c < list().ColumnCount(); ++c)
            texts << list().ColumnText(c);
        return texts;
    }
    QStringList gridRow(int row) {
        QStringList cells;
        for (int c = 0; c < grid().Cols(); ++c)
            cells << grid().TextMatrix(row, c);
        return cells;
    }
    QStringList gridColumn(int col) {
        QStringList cells;
        for (int r = 0; r < grid().Rows(); ++r)
            cells << grid().TextMatrix(r, col);
        return cells;
    }
    // A stored download with two rows in each table of its kind and, for a trend, its file.
    int32_t storeDownload(int types, const QString& serial, const QString& name,
                          const QString& folder = QStringLiteral("05/26")) {
        const int32_t seqNo =
            add({.names = name, .serial = serial, .folder = folder, .types = types});
        static const std::map<int, QStringList> tables = {{1, {"Interval_Data", "Interval_Event"}},
                                                          {2, {"Alarm_Data"}},
                                                          {3, {"cHistory"}},
                                                          {5, {"Alarm_Event"}},
                                                          {6, {"Trouble_Event"}},
                                                          {7, {"Power_Event"}},
                                                          {8, {"SensorHistory"}}};
        const platform::Database d = db();
        for (const QString& table : tables.at(types))
            for (int i = 0; i < 2; ++i)
                d.exec(QStringLiteral("Insert Into %1 (RelNo) Values (?)").arg(table), {seqNo});
        if (types == 1 || types == 2) {
            const QString path = records::TrendFileOf(folder, name);
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name.toUtf8());
        }
        return seqNo;
    }
    // The rows of every table and the files of the program folder (but the serial log).
    struct Stored {
        std::map<QString, int> rows;
        QStringList files;
        bool operator==(const Stored&) const = default;
    };
    Stored stored() {
        Stored s;
        for (const char* table :
             {"Log_Head", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
              "Alarm_Event", "Trouble_Event", "Power_Event", "SensorHistory", "cLatestHist"})
            s.rows[table] = rows(table);
        const QString root = rig.folder.path();
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.endsWith(".log")) s.files << QDir(root).relativeFilePath(path);
        }
        s.files.sort();
        return s;
    }
    // Every byte of the database (its log included) and of the data folder. The engine's
    // shared-memory index of the log is no stored data: readers change it.
    QByteArray bytes() {
        QByteArray all;
        const QString root = rig.folder.path();
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths << it.next();
        paths.sort();
        for (const QString& path : paths) {
            if (path.endsWith(".log") || path.endsWith(".ini") || path.endsWith(".lock") ||
                path.endsWith("-shm"))
                continue;
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) all += path.toUtf8() + '\0' + f.readAll();
        }
        return all;
    }
    // The password the dialog is answered with, and how often it was asked.
    int passwordAsked = 0;
    void answerPassword(bool given) {
        window->askPassword = [this, given] {
            ++passwordAsked;
            return given;
        };
    }

    // The centre of an item in its widget's viewport.
    static QPoint centreOf(QTreeWidget& widget, QTreeWidgetItem* item) {
        return widget.visualItemRect(item).center();
    }
};

}  // namespace testsupport
