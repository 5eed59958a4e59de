#pragma once

#include <QString>

namespace core {

// Appends one line to the communication log: the present time as "hh:nn:ss", a blank, the
// text and CR LF. The file is opened and closed for every line, so other writers can add
// lines between two and the file is complete after each. Raises error 75 when the file cannot
// be written.
void AppendLogLine(const QString& path, const QString& text);
// Appends the text as one line (CR LF) without a time: the record decoders' notes.
void AppendRawLogLine(const QString& path, const QString& text);
// SerialLog.log in the program folder.
QString SerialLogPath();
// QM73.mdb in the program folder.
QString DatabasePath();

}  // namespace core
