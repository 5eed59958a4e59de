#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

namespace rt {

// Error numbers of the Basic-style runtime that callers test for.
enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrDivisionByZero = 11,
    ErrSubscript = 9,
    ErrTypeMismatch = 13,
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrDiskFull = 61,
    ErrPathAccess = 75,
    ErrInvalidNull = 94,
    ErrResourceNotFound = 326,
    ErrKeyNotFound = 457,
    ErrDatabase = 3000,
};

// A run-time error that a routine lets reach its caller.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const QString& description);
    explicit RuntimeError(int number);

    int number() const noexcept { return number_; }
    QString description() const { return description_; }

    // The standard text of a Basic error number ("Overflow", "Type mismatch", ...).
    static QString standardDescription(int number);

  private:
    int number_;
    QString description_;
};

// One step of a sequence whose steps each go on after a failed one (a window's loading): a
// step that raises is noted in the program's warnings, and the caller runs the next.
void RunStep(const char* sequence, const char* step, const std::function<void()>& work);

}  // namespace rt
