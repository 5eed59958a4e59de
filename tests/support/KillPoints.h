#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <set>
#include <vector>

#include "platform/FileSteps.h"
#include "tests/support/DiskModel.h"

namespace testsupport {

// Copies what a folder holds into another (made when missing): files with their bytes, links
// as links, folders with what they hold.
inline void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString copy = to + '/' + QDir(from).relativeFilePath(path);
        if (info.isSymLink()) {
            QFile::link(info.symLinkTarget(), copy);
        } else if (info.isDir()) {
            QDir().mkpath(copy);
        } else {
            QDir().mkpath(QFileInfo(copy).path());
            QFile::copy(path, copy);
        }
    }
}

// Every state a kill or a power cut leaves on the disk while the program changes what the
// disk keeps: before each step (a write, a sync, a rename, a removal, a database COMMIT; the
// database engine's own syncs and removals among them), a copy of the program folder as it lies
// there then (the database with its log or journal, the data folder, the settings file), which
// is what a kill leaves; and the folders a power cut may leave then (DiskModel): only what was
// synced, or that with one folder's entries as they are. The program goes on as if nothing
// happened; each copy is then what the next start finds after a kill or a power cut at that
// step.
class KillPoints {
  public:
    struct Point {
        platform::FileStep step;
        QString path;               // what the step changes
        QString copy;               // the program folder as a kill before the step leaves it
        std::vector<QString> cuts;  // the program folder as a power cut before it may leave it
        // Every state of the point: the kill's, then the power cuts'.
        std::vector<QString> states() const {
            std::vector<QString> all{copy};
            all.insert(all.end(), cuts.begin(), cuts.end());
            return all;
        }
    };

    // `refuse`, when given, makes a step fail with the error number it returns (0: none).
    explicit KillPoints(QString programFolder,
                        std::function<int(platform::FileStep, const QString&)> refuse = {})
        : program_(std::move(programFolder)), refuse_(std::move(refuse)), disk_(program_) {
        platform::setFileStepWatcher([this](platform::FileStep step, const QString& path) {
            const QString copy = copies_.filePath(QString::number(points_.size()));
            copyFolder(program_, copy);
            points_.push_back({step, path, copy, powerCutsNow()});
            if ((step == platform::FileStep::SyncFile || step == platform::FileStep::SyncFolder) &&
                QThread::currentThread() == QCoreApplication::instance()->thread())
                ++syncsOnWindowThread_;
            const int refused = refuse_ ? refuse_(step, path) : 0;
            if (!refused) disk_.step(step, path);
            return refused;
        });
    }
    ~KillPoints() {
        if (!stopped_) platform::setFileStepWatcher({});
    }
    KillPoints(const KillPoints&) = delete;
    KillPoints& operator=(const KillPoints&) = delete;

    // Stops watching, and keeps what a power cut leaves then, after the last step: the copies
    // stay while the object lives.
    void stop() {
        if (stopped_) return;
        platform::setFileStepWatcher({});
        stopped_ = true;
        end_ = powerCutsNow();
    }
    // What a power cut leaves once the run has ended (after stop()).
    const std::vector<QString>& endStates() const { return end_; }
    const std::vector<Point>& points() const { return points_; }
    // The syncs taken on the window thread, which a slow disk would hold up.
    int syncsOnWindowThread() const { return syncsOnWindowThread_; }
    size_t count(platform::FileStep step) const {
        size_t n = 0;
        for (const Point& p : points_)
            n += p.step == step ? 1 : 0;
        return n;
    }
    // The program folders a power cut may leave now: only what was synced, and that with each
    // folder whose entries changed since its sync as it is.
    std::vector<QString> powerCutsNow() {
        std::vector<QString> cuts;
        const auto add = [&](const std::set<QString>& asIs) {
            const QString cut = copies_.filePath(QStringLiteral("cut-%1").arg(++cuts_));
            disk_.build(cut, asIs);
            cuts.push_back(cut);
        };
        add({});
        for (const QString& folder : disk_.unsyncedFolders())
            add({folder});
        return cuts;
    }

  private:
    QString program_;
    std::function<int(platform::FileStep, const QString&)> refuse_;
    QTemporaryDir copies_;
    std::vector<Point> points_;
    DiskModel disk_;
    int cuts_ = 0;
    int syncsOnWindowThread_ = 0;
    bool stopped_ = false;
    std::vector<QString> end_;
};

}  // namespace testsupport
