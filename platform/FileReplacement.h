#pragma once

#include <sys/types.h>

#include <QFile>
#include <QString>
#include <memory>

namespace platform {

// ---- steps that keep a file on the disk ---------------------------------------------------
// Each raises FileStepError (error 75) with the system's reason, and goes through the
// file-step watcher. A sync can take long on a slow disk: it runs off the window thread while
// the window waits for it.

// Syncs a file's content to the disk.
void SyncFile(const QString& path);
// Syncs a folder's entries (the names created, renamed and removed in it) to the disk.
void SyncFolder(const QString& folder);
// Renames a file in one step; a file at `to` is replaced whole (a link there is replaced as
// the link, never followed).
void RenameFile(const QString& from, const QString& to);
// Renames a file in one step to a name at which nothing stands: a file, a folder or a link
// that is there (however it came) is never replaced, and the rename fails with EEXIST.
void RenameToNewName(const QString& from, const QString& to);
// Removes a file, a link as the link; one that is not there counts as removed. False with
// the system's reason (and its error number) when it stays.
bool RemoveFile(const QString& path, QString* reason = nullptr, int* systemError = nullptr);
// The file a path leads to through its symbolic links (the path itself when it is none); a
// link whose target does not exist leads to where the target would be.
QString LinkTargetOf(const QString& path);

// ---- the program's own temporary files -------------------------------------------------------

// A temporary file the program writes for a file (a replacement's new content, a printer's
// spool file) is named after it, `<file>.~QM73-` and six letters or digits at random, and is
// locked for as long as its writer lives. A kill leaves it behind; the next writer for the same
// file removes it (RemoveLeftTemporaries).
class OwnTemporaryFile {
  public:
    // Removes what killed writers for `path` left, then makes a new temporary file for it,
    // empty, by this process alone, with `mode` less the umask. Raises error 75 with the
    // system's reason.
    explicit OwnTemporaryFile(const QString& path, mode_t mode = 0666);
    // Removes the file, unless it was let go.
    ~OwnTemporaryFile();
    OwnTemporaryFile(const OwnTemporaryFile&) = delete;
    OwnTemporaryFile& operator=(const OwnTemporaryFile&) = delete;

    const QString& path() const { return path_; }
    // Open for writing; it holds the lock, and stays open until the file is removed or let go.
    int descriptor() const { return fd_; }
    // The name is no longer this file's to remove (renamed, or removed by its owner): the lock
    // goes, the name stays as it is.
    void letGo() noexcept;

  private:
    QString path_;
    int fd_ = -1;
};

// Removes the temporary files beside `path` that writers for it left when they were killed:
// only a regular file of this user, of the exact pattern, that no living writer holds; never a
// link, a folder or anything else of such a name. One that cannot be removed stays, with a
// warning in the log: the next writer tries again.
void RemoveLeftTemporaries(const QString& path);

// ---- the one writer that replaces a file whole --------------------------------------------

// Replaces a file whole: what is written goes to a temporary file beside the file, which takes
// the file's place only once it is whole and on the disk. A kill, a power cut or a failure
// leaves the old file or the new one, never a part of either, and never no file.
class FileReplacement {
  public:
    // Whether a symbolic link at the path stays a link whose target gets the new content, or
    // is replaced by the file itself (files of the program's own folders).
    enum class Links { Follow, Replace };

    // Makes the temporary file, empty, beside the file (with Links::Follow: beside the file
    // its links lead to). It gets the permissions the file has; a new file gets the user's
    // usual ones (the umask). `temporarySuffix` names it `<file><suffix>`, a name the
    // program's start-up knows as its own temporary; without one it is an OwnTemporaryFile, which
    // first removes what killed replacements of the file left. Raises error 75 with the
    // system's reason.
    explicit FileReplacement(const QString& path, const QString& temporarySuffix = QString(),
                             Links links = Links::Follow);
    // What was not put in place is removed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The file that is replaced: the path given, or where its links lead.
    const QString& filePath() const { return target_; }
    // Where the new content is until it is put in place.
    const QString& temporaryPath() const { return temporary_; }

    // Writes bytes to the temporary file, whole, or raises error 75 with the system's reason.
    void write(const QByteArray& bytes);
    // For a writer that opens the temporary file by its path itself (a printer, a trend file):
    // the replacement lets its own handle go and gives the path.
    QString handOver();

    // Puts the new content in the file's place: synced to the disk, renamed over the file in
    // one step, and the rename synced with the folder. Raises error 75 with the reason; the
    // temporary file is then removed and the file is as it was (a failure of the last sync
    // alone leaves the new file in place, not yet known to be on the disk).
    void commit();
    // The two halves of commit(), for content that must be on the disk before something else
    // is (a trend file before its database row). Syncs the temporary file and, with a name
    // given, renames it to that name beside it and syncs the folder: the content keeps that
    // name until it is put in place. Raises as commit() does, the temporary file removed.
    void makeWhole(const QString& keptAs = QString());
    // Renames what makeWhole kept over the file and syncs the folder. With `keepOnFailure`
    // a failed rename leaves the content where it is, for a later start to put in place, and
    // the replacement lets it go; otherwise it is removed. Raises error 75 with the reason.
    void putInPlace(bool keepOnFailure = false);
    // Removes the temporary file; the file stays as it was.
    void discard() noexcept;

  private:
    // The own temporary file's lock goes: its name is no longer the replacement's.
    void letGoOwn() noexcept;

    QString target_;
    QString temporary_;
    std::unique_ptr<QFile> file_;            // the temporary file, while the replacement writes it
    std::unique_ptr<OwnTemporaryFile> own_;  // its lock, when it is one of the own pattern
};

}  // namespace platform
