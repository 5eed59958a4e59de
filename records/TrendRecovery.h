#pragma once

#include <QString>

// What a start finds of the trend files that a store or a deletion, cut short, left behind.
namespace records {

// What RecoverTrendFiles did.
struct TrendRecovery {
    int putInPlace = 0;  // samples whose header row was stored took the trend file's name
    int putBack = 0;     // files of a deletion that did not happen took their names again
    int removed = 0;     // kept files whose row is not stored
    int left = 0;        // kept files that stay for a later start
};

// Finishes what a store or a deletion of trend files left undone (a kill, a power cut, a
// failed rename): a temporary file of samples still being written is removed; a trend file
// kept aside for its header row (core::KeptTrendFiles) takes its place when that row stands in
// the database, and is removed when it does not. When the database cannot tell (missing,
// locked, not readable), every kept file stays for a later start.
TrendRecovery RecoverTrendFiles(const QString& dataFolder, const QString& databasePath);

}  // namespace records
