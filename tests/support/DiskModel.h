#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <compare>
#include <map>
#include <optional>
#include <set>

#include "platform/FileSteps.h"

namespace testsupport {

// What a power cut leaves of a folder tree, on a disk that keeps only what was synced: a
// file's data as at its last sync (a file never synced holds nothing), a folder's entries as at
// its last sync (a folder never synced holds none). The tree as it lay when the model began
// counts as synced. The program's syncs are told to the model as they are taken.
//
// A disk may also have written some of the changes not yet synced: each folder's entries may
// be as they are now (a removal or a rename on the disk) while the rest is as synced. Those
// states are built too, one folder at a time.
class DiskModel {
  public:
    explicit DiskModel(QString root) : root_(QDir::cleanPath(std::move(root))) {
        record(QString());
    }

    // A step the program is about to take; a sync takes effect (the step was not refused).
    void step(platform::FileStep step, const QString& path) {
        const std::optional<QString> inside = relative(path);
        if (!inside) return;
        if (step == platform::FileStep::SyncFile) {
            const std::optional<Id> id = idOf(path);
            QFile file(path);
            if (id && file.open(QIODevice::ReadOnly)) data_[*id] = file.readAll();
        } else if (step == platform::FileStep::SyncFolder) {
            folders_[*inside] = entriesNow(*inside);
        }
    }

    // The folders (relative to the root, "" for the root) whose entries now differ from what
    // was synced of them.
    std::set<QString> unsyncedFolders() const {
        std::set<QString> found;
        collectUnsynced(QString(), found);
        return found;
    }

    // Builds into `to` (made when missing) the tree a power cut leaves now; the folders in
    // `asIs` have their entries as they are now.
    void build(const QString& to, const std::set<QString>& asIs = {}) const {
        QDir().mkpath(to);
        buildFolder(QString(), to, asIs);
    }

  private:
    struct Id {
        uint64_t device = 0, inode = 0;
        int64_t bornSeconds = 0;
        uint32_t bornNanoseconds = 0;
        auto operator<=>(const Id&) const = default;
    };
    enum class Kind { File, Folder, Link };
    struct Entry {
        Kind kind = Kind::File;
        Id id;
        QString target;  // a link's
        bool operator==(const Entry&) const = default;
    };
    using Entries = std::map<QString, Entry>;

    // A file's identity: its number on its device and when it was made, so that a number the
    // system hands on to a new file after a removal is told apart.
    static std::optional<Id> idOf(const QString& path) {
        struct statx st {};
        if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW,
                    STATX_INO | STATX_BTIME, &st) != 0)
            return std::nullopt;
        Id id;
        id.device = (uint64_t(st.stx_dev_major) << 32) | st.stx_dev_minor;
        id.inode = st.stx_ino;
        if (st.stx_mask & STATX_BTIME) {
            id.bornSeconds = st.stx_btime.tv_sec;
            id.bornNanoseconds = st.stx_btime.tv_nsec;
        }
        return id;
    }

    // A link's own text, as it was written (not resolved).
    static QString linkText(const QString& path) {
        char buffer[4096];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
        return n > 0 ? QFile::decodeName(QByteArray(buffer, int(n))) : QString();
    }

    std::optional<QString> relative(const QString& path) const {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (clean == root_) return QString();
        if (clean.startsWith(root_ + QLatin1Char('/'))) return clean.mid(root_.size() + 1);
        return std::nullopt;
    }

    QString pathOf(const QString& rel) const {
        return rel.isEmpty() ? root_ : root_ + QLatin1Char('/') + rel;
    }

    static QString join(const QString& rel, const QString& name) {
        return rel.isEmpty() ? name : rel + QLatin1Char('/') + name;
    }

    Entries entriesNow(const QString& rel) const {
        Entries entries;
        const QFileInfoList infos = QDir(pathOf(rel))
                                        .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                       QDir::Hidden | QDir::System);
        for (const QFileInfo& info : infos) {
            const std::optional<Id> id = idOf(info.absoluteFilePath());
            if (!id) continue;
            Entry e;
            e.id = *id;
            if (info.isSymLink()) {
                e.kind = Kind::Link;
                e.target = linkText(info.absoluteFilePath());
            } else {
                e.kind = info.isDir() ? Kind::Folder : Kind::File;
            }
            entries[info.fileName()] = e;
        }
        return entries;
    }

    // The tree as it lies now counts as synced.
    void record(const QString& rel) {
        const Entries entries = entriesNow(rel);
        folders_[rel] = entries;
        for (const auto& [name, e] : entries) {
            if (e.kind == Kind::Folder) {
                record(join(rel, name));
            } else if (e.kind == Kind::File) {
                QFile file(pathOf(join(rel, name)));
                if (file.open(QIODevice::ReadOnly)) data_[e.id] = file.readAll();
            }
        }
    }

    Entries synced(const QString& rel) const {
        const auto found = folders_.find(rel);
        return found == folders_.end() ? Entries() : found->second;
    }

    void collectUnsynced(const QString& rel, std::set<QString>& found) const {
        const Entries now = entriesNow(rel);
        if (now != synced(rel)) found.insert(rel);
        for (const auto& [name, e] : now)
            if (e.kind == Kind::Folder) collectUnsynced(join(rel, name), found);
    }

    void buildFolder(const QString& rel, const QString& to, const std::set<QString>& asIs) const {
        const Entries entries = asIs.count(rel) ? entriesNow(rel) : synced(rel);
        for (const auto& [name, e] : entries) {
            const QString path = to + QLatin1Char('/') + name;
            switch (e.kind) {
                case Kind::Folder:
                    QDir().mkpath(path);
                    buildFolder(join(rel, name), path, asIs);
                    break;
                case Kind::Link:
                    QFile::link(e.target, path);
                    break;
                case Kind::File: {
                    QFile file(path);
                    file.open(QIODevice::WriteOnly);
                    const auto data = data_.find(e.id);
                    if (data != data_.end()) file.write(data->second);
                    break;
                }
            }
        }
    }

    QString root_;
    std::map<QString, Entries> folders_;  // what was synced of each folder, by relative path
    std::map<Id, QByteArray> data_;       // what was synced of each file
};

}  // namespace testsupport
