#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

#include "platform/Dialogs.h"
#include "trendview/ExportText.h"

// The export command's dialogs and files, one flow for the data page and the alarm-trend
// window: the proposed name, the save dialog, the overwrite question, and a write that
// replaces an existing file only when the new one is whole.
namespace trendview {

// The export command: the save dialog (titled "Export", with the filter list of that text id)
// proposing a name from the last export's, the overwrite question, then `write` with the file
// and the filter entry taken, which writes it (telling its own failures) and says whether it
// did. False when the dialog was cancelled or the write failed; `lastExportFile` becomes the
// file written.
bool RunExport(platform::Dialogs& dialogs, QString& lastExportFile, const QString& programFolder,
               const QString& extension, int filterText,
               const std::function<bool(const QString& path, int filter)>& write);

// The file the save dialog proposes: "Sample.<extension>" in the program folder before the
// first export, else the last export's name with its last three characters replaced by the
// extension (kept when they already are it, in any case).
QString ProposedExportName(const QString& lastExportFile, const QString& programFolder,
                           const QString& extension);

// The file and the filter entry (from 1) the user chose; nullopt when the dialog was cancelled.
struct ExportChoice {
    QString path;
    int filter = 1;
};
// The save dialog titled "Export" with the filter list of that text id.
std::optional<ExportChoice> AskExportFile(platform::Dialogs& dialogs, const QString& proposed,
                                          int filterText);

// "File Found. Over Write OK?" when the file exists: whether it may be replaced.
bool MayReplace(platform::Dialogs& dialogs, const QString& path);

// The separator of a text export by its filter entry: TAB for "Tab csv", else a comma.
QString ExportSeparator(int filter);

// Writes the file through `write` into a new file beside it, which then replaces it. A failure
// (the exception `write` raises included) is told to the user and leaves the old file as it
// was; whether the file was written.
bool WriteExportFile(platform::Dialogs& dialogs, const QString& path,
                     const std::function<void(LineSink&)>& write);
// The picture as a Windows bitmap file, the same way.
bool WriteBitmapFile(platform::Dialogs& dialogs, const QString& path, const QImage& picture);

}  // namespace trendview
