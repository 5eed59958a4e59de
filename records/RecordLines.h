#pragma once

#include <QString>

namespace records {

// Keeps the characters of codes 32..126 (the event lines; trend lines keep 127, a repeat count).
QString CleanRecordLine(const QString& text);

// One record line after framing: its record number KK, its record code TT and the line with
// KK and TT at its front (positions count from KK), and whether it is a compressed
// continuation line.
struct FramedLine {
    QString number;
    QString code;
    QString line;
    bool compress = false;
};

// The routing state a collection keeps between lines: the record number and code of the
// line handled last.
struct LineRouting {
    QString previousNumber;
    QString previousCode;

    // Frames a cleaned line. A "/" line whose third character after the "/" passes
    // `startsRecord` names its own number and code; any other "/" line continues the previous
    // record and code with KK and TT put in front; a line without "/" is a compressed
    // continuation of the previous record and code.
    FramedLine frame(const QString& cleaned, bool (*startsRecord)(const QString&)) const;
    void remember(const FramedLine& framed) {
        previousNumber = framed.number;
        previousCode = framed.code;
    }
};

// The record key of a record number: KK followed by " L".
inline QString RecordKey(const QString& number) {
    return number + QStringLiteral(" L");
}

}  // namespace records
