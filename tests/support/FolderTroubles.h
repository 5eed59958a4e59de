#pragma once

#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <functional>
#include <vector>

#include "platform/FileSteps.h"
#include "tests/support/Files.h"

namespace testsupport {

// A data folder whose trend files cannot be stored, in each of the ways a user meets: the
// folder refused to this user, a file system mounted read-only, a linked folder on a disk that
// is not mounted, a file where a folder must be made. Tests run as root, whom the system refuses
// nothing: a refusal comes from the file-step seam, as the system would give it, and a missing
// or impossible folder is made for real.
struct FolderTrouble {
    const char* name;
    // Sets the trouble up in the data folder `data`; what it returns undoes what must be undone
    // before the window goes (the file-step watcher).
    std::function<std::function<void()>(const QString& data)> make;
    // The folder the user is told of, for a record whose month folder is `month`.
    std::function<QString(const QString& data, const QString& month)> folder;
    // What the user is told of it, in English and in Japanese.
    QString cause, causeJa;
};

// The reason line of a download that could not store its trend files there.
inline QString FolderTroubleReason(const QString& folder, const QString& cause) {
    return QStringLiteral("Reason: The trend files cannot be stored in the folder %1: %2")
        .arg(folder, cause);
}
inline QString FolderTroubleReasonJa(const QString& folder, const QString& cause) {
    return QStringLiteral("原因：トレンドファイルをフォルダー %1 に保存できません。%2")
        .arg(folder, cause);
}

// The year folder of the typical instrument's recordings.
inline const char* TroubleYear = "24";

inline const std::vector<FolderTrouble>& folderTroubles() {
    static const auto refuse = [](std::function<int(platform::FileStep, const QString&)> how) {
        platform::setFileStepWatcher(std::move(how));
        return std::function<void()>([] { platform::setFileStepWatcher({}); });
    };
    static const std::vector<FolderTrouble> all = {
        {"a folder this user may not write in",
         [](const QString&) {
             return refuse([](platform::FileStep step, const QString& path) {
                 return step == platform::FileStep::Write && path.contains(".Dat") ? EACCES : 0;
             });
         },
         [](const QString&, const QString& month) { return month; },
         "this user may not write there. Give the user write access to it, then download again.",
         "このユーザーにはそこへの書き込みが許可されていません。ユーザーに書き込みを許可してから、"
         "もう一度ダウンロードしてください。"},
        {"a file system mounted read-only",
         [](const QString& data) {
             return refuse([data](platform::FileStep, const QString& path) {
                 return path.startsWith(data) ? EROFS : 0;
             });
         },
         // The first step refused is the first write, in the month folder.
         [](const QString&, const QString& month) { return month; },
         "its file system is read-only. Mount it for writing, then download again.",
         "そのファイルシステムは読み取り専用です。書き込みできるようにマウントしてから、もう一度"
         "ダウンロードしてください。"},
        {"a linked data folder on a disk that is not mounted",
         [](const QString& data) {
             QDir(data).removeRecursively();
             EXPECT_TRUE(QFile::link(data + ".disk/Data", data));
             return std::function<void()>([] {});
         },
         [](const QString& data, const QString&) { return data; },
         "it is not there, or a link on its way leads to a folder that is not there (a disk that "
         "is not mounted?). Mount the disk or mend the link, then download again.",
         "フォルダーがないか、途中のリンクの先のフォルダーがありません（ディスクがマウントされて"
         "いない可能性があります）。ディスクをマウントするかリンクを直してから、もう一度ダウンロー"
         "ドしてください。"},
        {"a file where the year folder must be made",
         [](const QString& data) {
             writeFile(data + "/" + TroubleYear, "kept");
             return std::function<void()>([] {});
         },
         [](const QString& data, const QString&) { return data + "/" + TroubleYear; },
         "a file that is no folder stands in its place. Move that file away, then download again.",
         "その場所にフォルダーではないファイルがあります。そのファイルを移動してから、もう一度ダウ"
         "ン"
         "ロードしてください。"},
    };
    return all;
}

// Nothing of the download was left in the data folder, and what the trouble put there stays
// as it was: a link stays the link it was, leading where it did, and nothing is made there.
inline void ExpectDataFolderUntouched(const QString& data) {
    const QFileInfo info(data);
    if (info.isSymLink()) {
        EXPECT_EQ(info.symLinkTarget(), data + ".disk/Data");
        EXPECT_FALSE(QFileInfo::exists(data + ".disk"));
        return;
    }
    const QString year = data + "/" + TroubleYear;
    QStringList files;
    QDirIterator it(data, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next(); path != year) files << path;
    EXPECT_TRUE(files.isEmpty()) << files.join(", ").toStdString();
    if (QFileInfo(year).isFile()) {
        EXPECT_EQ(readFile(year), "kept");
    }
}

}  // namespace testsupport
