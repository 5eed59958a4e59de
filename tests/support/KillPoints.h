#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "platform/FileSteps.h"

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

// Every state a kill leaves on the disk while the program changes what the disk keeps: before
// each step (a write, a sync, a rename, a removal, a database COMMIT), a copy of the program
// folder as it lies there then (the database with its journal, the data folder, the settings
// file). The program goes on as if nothing happened; each copy is then what the next start
// finds after a kill at that step.
class KillPoints {
  public:
    struct Point {
        platform::FileStep step;
        QString path;  // what the step changes
        QString copy;  // the program folder as a kill before the step leaves it
    };

    // `refuse`, when given, makes a step fail with the error number it returns (0: none).
    explicit KillPoints(QString programFolder,
                        std::function<int(platform::FileStep, const QString&)> refuse = {})
        : program_(std::move(programFolder)), refuse_(std::move(refuse)) {
        platform::setFileStepWatcher([this](platform::FileStep step, const QString& path) {
            const QString copy = copies_.filePath(QString::number(points_.size()));
            copyFolder(program_, copy);
            points_.push_back({step, path, copy});
            return refuse_ ? refuse_(step, path) : 0;
        });
    }
    ~KillPoints() { platform::setFileStepWatcher({}); }
    KillPoints(const KillPoints&) = delete;
    KillPoints& operator=(const KillPoints&) = delete;

    // Stops watching; the copies stay while the object lives.
    void stop() { platform::setFileStepWatcher({}); }
    const std::vector<Point>& points() const { return points_; }
    size_t count(platform::FileStep step) const {
        size_t n = 0;
        for (const Point& p : points_)
            n += p.step == step ? 1 : 0;
        return n;
    }

  private:
    QString program_;
    std::function<int(platform::FileStep, const QString&)> refuse_;
    QTemporaryDir copies_;
    std::vector<Point> points_;
};

}  // namespace testsupport
