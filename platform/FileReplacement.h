#pragma once

#include <QFile>
#include <QString>
#include <memory>

namespace platform {

// ---- steps that keep a file on the disk ---------------------------------------------------
// Each raises rt::RuntimeError (error 75) with the system's reason, and goes through the
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
// the system's reason when it stays.
bool RemoveFile(const QString& path, QString* reason = nullptr);
// The file a path leads to through its symbolic links (the path itself when it is none); a
// link whose target does not exist leads to where the target would be.
QString LinkTargetOf(const QString& path);

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
    // program's start-up knows as its own temporary; without one it gets a name nobody else
    // has, `<file>.XXXXXX`. Raises error 75 with the system's reason.
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
    QString target_;
    QString temporary_;
    std::unique_ptr<QFile> file_;  // the temporary file, while the replacement writes it
};

}  // namespace platform
