#include "records/RecordLines.h"

namespace records {

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
