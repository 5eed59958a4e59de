#pragma once

#include <QString>
#include <QStringList>
#include <QTextEdit>
#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/Color.h"

namespace download {

// The colours of the status log's lines (Basic RGB Longs).
inline constexpr int32_t ColorStatusProgress = rt::RGB(0, 192, 0);    // starts, progress, success
inline constexpr int32_t ColorStatusFailed = rt::RGB(255, 0, 0);      // failures, port errors
inline constexpr int32_t ColorStatusConnected = rt::RGB(0, 0, 255);   // a new connection
inline constexpr int32_t ColorStatusInstrument = rt::RGB(0, 0, 192);  // the link's progress
inline constexpr int32_t ColorStatusStart = rt::RGB(128, 32, 0);      // an automatic run starts
inline constexpr int32_t ColorStatusDone = rt::RGB(32, 128, 0);       // its result
inline constexpr int32_t ColorStatusNoData = rt::RGB(192, 64, 64);    // a download of nothing
inline constexpr int32_t ColorStatusAnalog = rt::RGB(0, 128, 64);     // the converter list

// The status log: coloured lines that only ever grow at the end, whatever the user selects or
// clicks in the box, with the view kept at the end.
class StatusLog {
  public:
    explicit StatusLog(QTextEdit* box) : box_(box) {}
    // Writes the text and a line break in one colour (a text that ends in a line break leaves
    // an empty line after it).
    void append(const QString& text, int32_t color);
    // Every line with the colour it was written in.
    std::vector<std::pair<QString, int32_t>> lines() const;
    // Puts the box's tab stops just beyond the widest of these texts, in the box's font now
    // and in any font it is given later: what follows a TAB after any of them starts at one
    // place, as in a list of names and values.
    void alignTabsAfter(const QStringList& texts);

  private:
    QTextEdit* box_;
};

}  // namespace download
