#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/FileReplacement.h"
#include "platform/FileSteps.h"
#include "runtime/RuntimeError.h"
#include "tests/support/Files.h"
#include "tests/support/KillPoints.h"
#include "tests/support/SlowSteps.h"

using platform::FileReplacement;
using platform::FileStep;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// Watches the file steps while it lives.
struct Watching {
    explicit Watching(platform::FileStepWatcher watcher) {
        platform::setFileStepWatcher(std::move(watcher));
    }
    ~Watching() { platform::setFileStepWatcher({}); }
};

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

// The umask of the process while it lives.
struct Umask {
    explicit Umask(mode_t mask) : before(::umask(mask)) {}
    ~Umask() { ::umask(before); }
    mode_t before;
};

}  // namespace

// At every step of a replacement, what a kill there leaves is the old file whole; after the
// last, the new one. The content reaches the disk before it takes the name, the rename before
// the replacement is done.
TEST(FileReplacement, TheOldFileStaysWholeUntilTheNewOneTakesItsPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.txt");
    writeFile(path, "old contents");
    std::vector<FileStep> steps;
    std::vector<QByteArray> seen;
    {
        const Watching watching([&](FileStep step, const QString&) {
            steps.push_back(step);
            seen.push_back(readFile(path));
            return 0;
        });
        FileReplacement file(path, ".tmp");
        EXPECT_EQ(file.temporaryPath(), path + ".tmp");
        file.write("new ");
        file.write("contents");
        file.commit();
    }
    EXPECT_EQ(steps,
              (std::vector<FileStep>{FileStep::Remove, FileStep::Write, FileStep::Write,
                                     FileStep::SyncFile, FileStep::Rename, FileStep::SyncFolder}));
    for (size_t i = 0; i + 1 < seen.size(); ++i)
        EXPECT_EQ(seen[i], "old contents") << i;
    EXPECT_EQ(seen.back(), "new contents");
    EXPECT_EQ(readFile(path), "new contents");
    EXPECT_EQ(entries(dir.path()), QStringList{"report.txt"});
}

TEST(FileReplacement, AStepThatFailsLeavesTheOldFileAndNoTemporaryFile) {
    const struct {
        FileStep step;
        bool replaced;  // the new content is in place all the same
    } cases[] = {
        {FileStep::Write, false},
        {FileStep::SyncFile, false},
        {FileStep::Rename, false},
        {FileStep::SyncFolder, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        writeFile(path, "old");
        const Watching watching(
            [&](FileStep step, const QString&) { return step == c.step ? EIO : 0; });
        try {
            FileReplacement file(path);
            file.write("new");
            file.commit();
            ADD_FAILURE() << "no failure";
        } catch (const rt::RuntimeError& e) {
            EXPECT_TRUE(e.description().contains(qt_error_string(EIO))) << e.what();
        }
        EXPECT_EQ(readFile(path), c.replaced ? "new" : "old");
        EXPECT_EQ(entries(dir.path()), QStringList{"settings.ini"});
    }
}

// A file that is a symbolic link stays one: the file it leads to gets the content, and the
// temporary file lies beside that file, on its file system.
TEST(FileReplacement, ALinkStaysALinkAndWhatItLeadsToIsReplaced) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("real"));
    QDir().mkpath(dir.filePath("links"));
    const QString target = dir.filePath("real/settings.ini");
    const struct {
        const char* what;
        std::function<QString()> make;  // the link written to
        bool targetExists;
    } cases[] = {
        {"absolute link",
         [&] {
             QFile::link(target, dir.filePath("links/a.ini"));
             return dir.filePath("links/a.ini");
         },
         true},
        {"relative link",
         [&] {
             ::symlink("../real/settings.ini", QFile::encodeName(dir.filePath("links/r.ini")));
             return dir.filePath("links/r.ini");
         },
         true},
        {"a link to a link",
         [&] {
             QFile::link(dir.filePath("links/a.ini"), dir.filePath("links/twice.ini"));
             return dir.filePath("links/twice.ini");
         },
         true},
        {"a link to no file yet",
         [&] {
             ::symlink("../real/new.ini", QFile::encodeName(dir.filePath("links/n.ini")));
             return dir.filePath("links/n.ini");
         },
         false},
    };
    writeFile(target, "old");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString link = c.make();
        const QString linkTarget = QFileInfo(link).symLinkTarget();
        QString synced;
        {
            const Watching watching([&](FileStep step, const QString& path) {
                if (step == FileStep::SyncFile) synced = path;
                return 0;
            });
            FileReplacement file(link);
            file.write(c.what);
            file.commit();
        }
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), linkTarget);
        EXPECT_EQ(readFile(link), c.what);
        EXPECT_EQ(QFileInfo(synced).absolutePath(), dir.filePath("real"));
        EXPECT_EQ(entries(dir.filePath("real")).size(), c.targetExists ? 1 : 2);
        EXPECT_EQ(entries(dir.filePath("links")).filter(".ini.").size(), 0);
    }
    EXPECT_EQ(readFile(target), "a link to a link");
}

// A new file gets the permissions the user's files usually get; a file replaced keeps its own.
TEST(FileReplacement, PermissionsOfANewFileFollowTheUmaskAndAReplacedFileKeepsItsOwn) {
    QTemporaryDir dir;
    for (const mode_t mask : {mode_t(022), mode_t(077), mode_t(002)}) {
        SCOPED_TRACE(mask);
        const Umask umask(mask);
        const QString path = dir.filePath(QStringLiteral("new%1.pdf").arg(mask));
        FileReplacement file(path);
        const QString temporary = file.handOver();
        writeFile(temporary, "%PDF");  // as a printer writes it, by its path
        file.commit();
        EXPECT_EQ(modeOf(path), 0666 & ~mask);
    }
    const Umask umask(022);
    const QString kept = dir.filePath("kept.csv");
    writeFile(kept, "old");
    ASSERT_TRUE(
        QFile::setPermissions(kept, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    FileReplacement file(kept);
    file.write("new");
    file.commit();
    EXPECT_EQ(modeOf(kept), mode_t(0640));
}

// A temporary file left by a kill, or something else of that name, never takes the new
// content's way: it is removed, and the new one made by the writer alone.
TEST(FileReplacement, WhatLiesAtTheTemporaryNameIsNeverWrittenThrough) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QM73.ini");
    const QString elsewhere = dir.filePath("elsewhere.txt");
    writeFile(elsewhere, "not to be touched");
    ASSERT_TRUE(QFile::link(elsewhere, path + ".tmp"));
    FileReplacement file(path, ".tmp");
    file.write("new");
    file.commit();
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(readFile(elsewhere), "not to be touched");
    EXPECT_FALSE(QFileInfo::exists(path + ".tmp"));
    EXPECT_FALSE(QFileInfo(path + ".tmp").isSymLink());
}

// A sync that takes long (a slow disk) runs while the window's events go on.
TEST(FileReplacement, ASlowSyncLetsTheWindowRun) {
    QTemporaryDir dir;
    const QString path = dir.filePath("slow.txt");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    const Watching watching([](FileStep step, const QString&) {
        if (step == FileStep::SyncFile || step == FileStep::SyncFolder)
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        return 0;
    });
    FileReplacement file(path);
    file.write("x");
    QElapsedTimer took;
    took.start();
    file.commit();
    EXPECT_GE(took.elapsed(), 300);
    // The window's timer went on all the while (some ticks may merge on a loaded machine).
    EXPECT_GE(ticks, 5);
}

TEST(FileReplacement, ASlowWriteLetsTheWindowRun) {
    // An export is written in pieces, each of which a slow disk makes long: each is written off
    // the window thread, whose events go on meanwhile.
    QTemporaryDir dir;
    const QString path = dir.filePath("export.csv");
    {
        FileReplacement file(path);
        testsupport::SlowSteps slow(FileStep::Write);
        file.write(QByteArray(64 * 1024, 'a'));
        file.write("end");
        EXPECT_EQ(slow.steps(), 2);
        EXPECT_EQ(slow.onWindowThread(), 0);
        EXPECT_EQ(slow.windowHeld(), 0);
        file.commit();
    }
    EXPECT_EQ(readFile(path), QByteArray(64 * 1024, 'a') + "end");
}

// The two halves of a replacement, for content that must be on the disk before a database row
// names it: kept under a name of its own, then put in place; a failed rename can leave it
// kept for a later start.
TEST(FileReplacement, ContentKeptAsideIsPutInPlaceOrKeptForLater) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.Dat");
    for (const bool renameFails : {false, true}) {
        SCOPED_TRACE(renameFails);
        writeFile(path, "old");
        {
            FileReplacement file(path, ".part", FileReplacement::Links::Replace);
            file.write("new");
            file.makeWhole(path + ".7.ready");
            EXPECT_EQ(readFile(path + ".7.ready"), "new");
            EXPECT_FALSE(QFileInfo::exists(path + ".part"));
            const Watching watching([&](FileStep step, const QString&) {
                return renameFails && step == FileStep::Rename ? EACCES : 0;
            });
            EXPECT_EQ(
                [&] {
                    try {
                        file.putInPlace(true);
                        return true;
                    } catch (const rt::RuntimeError&) {
                        return false;
                    }
                }(),
                !renameFails);
        }
        EXPECT_EQ(readFile(path), renameFails ? "old" : "new");
        EXPECT_EQ(QFileInfo::exists(path + ".7.ready"), renameFails);
        QFile::remove(path + ".7.ready");
    }
}

namespace {

// The folder as a kill leaves it at the first step of the kind: copied to `to` as it lies then.
struct KilledAt {
    KilledAt(FileStep at, const QString& folder, const QString& to) {
        platform::setFileStepWatcher([=, this](FileStep step, const QString&) {
            if (step == at && !killed) {
                testsupport::copyFolder(folder, to);
                killed = true;
            }
            return 0;
        });
    }
    ~KilledAt() { platform::setFileStepWatcher({}); }
    bool killed = false;
};

void replace(const QString& path, const QByteArray& content) {
    FileReplacement file(path);
    file.write(content);
    file.commit();
}

}  // namespace

// A replacement killed at any step while its temporary file lies beside the file leaves it
// there; the next replacement of that file removes it.
TEST(FileReplacement, WhatAKilledReplacementLeftGoesWithTheNextOne) {
    for (const FileStep kill : {FileStep::Write, FileStep::SyncFile, FileStep::Rename}) {
        SCOPED_TRACE(static_cast<int>(kill));
        QTemporaryDir dir;
        const QString out = dir.filePath("out"), killed = dir.filePath("killed");
        QDir().mkpath(out);
        writeFile(out + "/report.pdf", "old");
        {
            const KilledAt at(kill, out, killed);
            replace(out + "/report.pdf", "new");
            ASSERT_TRUE(at.killed);
        }
        ASSERT_EQ(entries(killed).size(), 2) << entries(killed).join(' ').toStdString();
        replace(killed + "/report.pdf", "newer");
        EXPECT_EQ(entries(killed), QStringList{"report.pdf"});
        EXPECT_EQ(readFile(killed + "/report.pdf"), "newer");
    }
}

// What a killed write left beside the file goes; what merely looks like it stays as it is: a
// name not of the exact pattern, another file's, and under the pattern anything but a plain
// file of the user's own (a link, a folder, a second name of a file, a pipe, another user's
// file).
TEST(FileReplacement, OnlyTheProgramsOwnLeftTemporariesAreRemoved) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    const QString mine = dir.filePath("mine.txt");
    writeFile(path, "old");
    writeFile(mine, "the user's own");
    const QString left = path + ".~QM73-aB3dE9";
    writeFile(left, "%PDF cut short");
    const struct {
        const char* name;
        std::function<bool(const QString&)> make;  // false: cannot be made here
    } lookAlikes[] = {
        {"report.pdf.bzZfbS", [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"report.pdf.~QM73-abc12",
         [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"report.pdf.~QM73-abc1234",
         [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"report.pdf.~QM73-ab.123",
         [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"report.pdf.~qm73-abc123",
         [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"Report.pdf.~QM73-abc123",
         [](const QString& p) { return QFile(p).open(QIODevice::WriteOnly); }},
        {"report.pdf.~QM73-Link01", [&](const QString& p) { return QFile::link(mine, p); }},
        {"report.pdf.~QM73-Dangle", [&](const QString& p) { return QFile::link(left, p); }},
        {"report.pdf.~QM73-Fold01",
         [](const QString& p) {
             return QDir().mkpath(p) && QFile(p + "/inside.txt").open(QIODevice::WriteOnly);
         }},
        {"report.pdf.~QM73-Hard01",
         [&](const QString& p) {
             return ::link(QFile::encodeName(mine).constData(), QFile::encodeName(p).constData()) ==
                    0;
         }},
        {"report.pdf.~QM73-Pipe01",
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }},
        {"report.pdf.~QM73-Other1",
         [](const QString& p) {
             // Only the superuser can give a file to another user.
             return ::geteuid() == 0 && QFile(p).open(QIODevice::WriteOnly) &&
                    ::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0;
         }},
    };
    QStringList made;
    for (const auto& l : lookAlikes)
        if (l.make(dir.filePath(l.name))) made << l.name;
    EXPECT_GE(made.size(), 11);
    const QStringList before = entries(dir.path());
    replace(path, "new");
    QStringList expected = before;
    expected.removeAll(QFileInfo(left).fileName());
    EXPECT_EQ(entries(dir.path()), expected);
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(readFile(mine), "the user's own");
    EXPECT_TRUE(QFileInfo(dir.filePath("report.pdf.~QM73-Link01")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("report.pdf.~QM73-Fold01/inside.txt")));
}

// Two writers of the same file at once: neither takes the other's temporary file for one left
// by a kill, and each puts its content in place whole.
TEST(FileReplacement, ALivingWritersTemporaryIsLeftAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath("export.txt");
    FileReplacement first(path);
    first.write("first");
    const QString printer = first.handOver();  // a printer's writer lets its handle go
    {
        platform::OwnTemporaryFile spool(path, 0600);
        replace(path, "second");
        EXPECT_TRUE(QFileInfo::exists(spool.path()));
        EXPECT_EQ(modeOf(spool.path()), mode_t(0600));
    }
    EXPECT_EQ(readFile(path), "second");
    ASSERT_TRUE(QFileInfo::exists(printer));
    writeFile(printer, "first, whole");
    first.commit();
    EXPECT_EQ(readFile(path), "first, whole");
    EXPECT_EQ(entries(dir.path()), QStringList{"export.txt"});
}

// A rename to a new name never replaces what stands there: a file, a folder, a link (even one
// that leads nowhere) stay as they are, and so does the file renamed.
TEST(FileReplacement, ARenameToANewNameReplacesNothing) {
    const struct {
        const char* what;
        std::function<void(const QString& at)> make;  // what stands at the new name
    } cases[] = {
        {"nothing", [](const QString&) {}},
        {"a file", [](const QString& at) { writeFile(at, "the user's"); }},
        {"a folder", [](const QString& at) { ASSERT_TRUE(QDir().mkpath(at)); }},
        {"a link that leads nowhere",
         [](const QString& at) { ASSERT_TRUE(QFile::link(at + ".gone", at)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString from = dir.filePath("new.tmp"), to = dir.filePath("new");
        writeFile(from, "made whole");
        c.make(to);
        const bool free = QString(c.what) == "nothing";
        if (free) {
            EXPECT_NO_THROW(platform::RenameToNewName(from, to));
            EXPECT_EQ(readFile(to), "made whole");
            EXPECT_FALSE(QFileInfo::exists(from));
            continue;
        }
        const QFileInfo before(to);
        EXPECT_THROW(platform::RenameToNewName(from, to), rt::RuntimeError);
        EXPECT_EQ(readFile(from), "made whole");
        const QFileInfo after(to);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        if (after.isFile() && !after.isSymLink()) {
            EXPECT_EQ(readFile(to), "the user's");
        }
        EXPECT_FALSE(QFileInfo::exists(to + ".gone"));
    }
}
