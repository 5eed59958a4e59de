#include "trendview/ExportFile.h"

#include <QBuffer>
#include <QFileInfo>

#include "core/ModMain.h"
#include "platform/FileReplacement.h"
#include "runtime/RuntimeError.h"

namespace trendview {

namespace {

enum Text : int {
    TextExport = 5158,
    TextReplace = 5307,
    TextReplaceTitle = 5308,
    TextNotWritten = 5791,
};

constexpr int TabFilter = 2;  // "Tab csv" in the text filter list

// The lines of an export into the file that replaces the old one when it is whole, written
// in pieces of some 64 KB.
class FileSink : public LineSink {
  public:
    explicit FileSink(platform::FileReplacement& file) : file_(file) {}
    void write(const QString& text) override {
        pending_ += text.toUtf8();
        if (pending_.size() >= Piece) finish();
    }
    void finish() {
        file_.write(pending_);
        pending_.clear();
    }

  private:
    static constexpr qsizetype Piece = 64 * 1024;
    platform::FileReplacement& file_;
    QByteArray pending_;
};

// Tells the user that a file was not written, and why; the old file is still there.
void notWritten(platform::Dialogs& dialogs, const QString& path, const QString& reason) {
    dialogs.message(core::LoadResText(TextNotWritten, {path, reason}),
                    core::LoadResText(TextExport), platform::MsgIcon::Critical);
}

}  // namespace

QString ProposedExportName(const QString& last, const QString& programFolder,
                           const QString& extension) {
    if (last.isEmpty()) {
        QString folder = programFolder;
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        return folder + QStringLiteral("Sample.") + extension;
    }
    if (last.right(3).toUpper() == extension.toUpper()) return last;
    return last.left(last.size() - 3) + extension;
}

std::optional<ExportChoice> AskExportFile(platform::Dialogs& dialogs, const QString& proposed,
                                          int filterText) {
    ExportChoice choice;
    const std::optional<QString> name = dialogs.saveFileName(
        core::LoadResText(TextExport), proposed, core::LoadResText(filterText), choice.filter);
    if (!name) return std::nullopt;
    choice.path = *name;
    return choice;
}

bool MayReplace(platform::Dialogs& dialogs, const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    return dialogs.message(core::LoadResText(TextReplace), core::LoadResText(TextReplaceTitle),
                           platform::MsgIcon::Question,
                           platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

bool RunExport(platform::Dialogs& dialogs, QString& lastExportFile, const QString& programFolder,
               const QString& extension, int filterText,
               const std::function<bool(const QString& path, int filter)>& write) {
    const std::optional<ExportChoice> choice = AskExportFile(
        dialogs, ProposedExportName(lastExportFile, programFolder, extension), filterText);
    if (!choice) return false;
    // "No" ends the command as done, nothing written.
    if (!MayReplace(dialogs, choice->path)) return true;
    if (!write(choice->path, choice->filter)) return false;
    lastExportFile = choice->path;
    return true;
}

QString ExportSeparator(int filter) {
    return filter == TabFilter ? QStringLiteral("\t") : QStringLiteral(",");
}

namespace {

// Writes the file through `write` into a new file beside it, which then replaces it; a
// failure is told and leaves the old file as it was.
bool replaceFile(platform::Dialogs& dialogs, const QString& path,
                 const std::function<void(platform::FileReplacement&)>& write) {
    try {
        platform::FileReplacement file(path);
        write(file);
        file.commit();
    } catch (const std::exception& e) {
        notWritten(dialogs, path, QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

}  // namespace

bool WriteExportFile(platform::Dialogs& dialogs, const QString& path,
                     const std::function<void(LineSink&)>& write) {
    return replaceFile(dialogs, path, [&](platform::FileReplacement& file) {
        FileSink sink(file);
        write(sink);
        sink.finish();
    });
}

bool WriteBitmapFile(platform::Dialogs& dialogs, const QString& path, const QImage& picture) {
    // Encoded first, so that the one write to the file can be checked.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) {
        notWritten(dialogs, path, QStringLiteral("The picture could not be made"));
        return false;
    }
    return replaceFile(dialogs, path, [&](platform::FileReplacement& file) { file.write(bytes); });
}

}  // namespace trendview
