#pragma once

#include <QString>
#include <QStringList>

#include "core/ClsInstrument.h"
#include "runtime/OleDate.h"

namespace settings {

// A value of the instrument held as text, as a number (0 when it is none).
int32_t SettingNumber(const QString& text);

// The settings record file of the program folder: "QM-73_Setting" and the record suffix (made a
// safe file name) and ".csv".
QString SettingsRecordPath(const QString& programFolder, const QString& suffix);
// The header and one instrument's line, as written (fields joined by commas; a field with a
// comma, a quote or a line break quoted).
QStringList SettingsRecordCaptions();
QStringList SettingsRecordFields(const core::clsInstrument& inst, rt::OleDate now);
QString CsvLine(const QStringList& fields);

// Appends the instrument's line (the header first when the file is new): UTF-8, CR LF. True
// once the line is on the disk; a last line that an earlier write cut short is ended first, so
// that the new line stands on its own. False, with the reason, when the file cannot be written
// or synced.
bool AppendSettingsRecord(const QString& path, const core::clsInstrument& inst, rt::OleDate now,
                          QString* error);

}  // namespace settings
