#include "runtime/RuntimeError.h"

#include <QtGlobal>

namespace rt {

QString RuntimeError::standardDescription(int number) {
    switch (number) {
        case ErrInvalidCall:
            return QStringLiteral("Invalid procedure call or argument");
        case ErrOverflow:
            return QStringLiteral("Overflow");
        case ErrDivisionByZero:
            return QStringLiteral("Division by zero");
        case ErrSubscript:
            return QStringLiteral("Subscript out of range");
        case ErrTypeMismatch:
            return QStringLiteral("Type mismatch");
        case ErrBadFileName:
            return QStringLiteral("Bad file name or number");
        case ErrFileNotFound:
            return QStringLiteral("File not found");
        case ErrPathAccess:
            return QStringLiteral("Path/File access error");
        case ErrInvalidNull:
            return QStringLiteral("Invalid use of Null");
        case ErrResourceNotFound:
            return QStringLiteral("Resource with identifier not found");
        case ErrKeyNotFound:
            return QStringLiteral(
                "This key is already associated with an element of this collection");
        case ErrDatabase:
            return QStringLiteral("Database error");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

RuntimeError::RuntimeError(int number) : RuntimeError(number, standardDescription(number)) {}

void RunStep(const char* sequence, const char* step, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        qWarning("%s, %s: %s", sequence, step, e.what());
    }
}

}  // namespace rt
