#include "records/RecordLines.h"

namespace records {

QString CleanRecordLine(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() <= 126) out += c;
    return out;
}

FramedLine LineRouting::frame(const QString& cleaned, bool (*startsRecord)(const QString&)) const {
    FramedLine f;
    if (cleaned.startsWith(QLatin1Char('/'))) {
        const QString rest = cleaned.mid(1);
        if (startsRecord(rest)) {
            f.number = rest.left(2);
            f.code = rest.mid(2, 2);
            f.line = rest;
        } else {
            f.number = previousNumber;
            f.code = previousCode;
            f.line = previousNumber + previousCode + rest;
        }
        f.compress = false;
    } else {
        f.number = previousNumber;
        f.code = previousCode;
        f.line = cleaned;
        f.compress = true;
    }
    return f;
}

}  // namespace records
