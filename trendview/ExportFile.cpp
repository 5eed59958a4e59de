#include "trendview/ExportFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include "core/ModMain.h"
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

// The lines of an export into the file that replaces the old one when it is whole.
class FileSink : public LineSink {
  public:
    explicit FileSink(QSaveFile& file) : file_(file) {}
    void write(const QString& text) override { file_.write(text.toUtf8()); }

  private:
    QSaveFile& file_;
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

QString ExportSeparator(int filter) {
    return filter == TabFilter ? QStringLiteral("\t") : QStringLiteral(",");
}

bool WriteExportFile(platform::Dialogs& dialogs, const QString& path,
                     const std::function<void(LineSink&)>& write) {
    QSaveFile file(path);
    try {
        if (!file.open(QIODevice::WriteOnly))
            throw rt::RuntimeError(rt::ErrPathAccess, file.errorString());
        FileSink sink(file);
        write(sink);
        if (!file.commit()) throw rt::RuntimeError(rt::ErrPathAccess, file.errorString());
    } catch (const std::exception& e) {
        file.cancelWriting();
        notWritten(dialogs, path, QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

bool WriteBitmapFile(platform::Dialogs& dialogs, const QString& path, const QImage& picture) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "BMP") || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        notWritten(dialogs, path, reason);
        return false;
    }
    return true;
}

}  // namespace trendview
