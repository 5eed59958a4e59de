#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "records/ClsAlarm.h"
#include "records/ClsHistory.h"
#include "records/ClsInterval.h"

namespace trendview {

// What an export reads: the kind, the stored download, its record (loaded by the caller; kinds
// 5 to 8 read the database instead), and whether the fifth gas's column is written.
struct ExportSource {
    int32_t type = 0;
    int32_t seqNo = 0;
    const records::clsInterval* interval = nullptr;
    const records::clsAlarm* alarm = nullptr;
    const records::clsHistory* history = nullptr;
    QString database;
    bool debug = false;
    // An alarm trend's title names its kind by the trend's sampling flag (2: "Interval Trend");
    // its labels stay those of an alarm trend.
    bool kindBySampling = false;
};

// Where an interval trend's lines go when it is written to a file.
class LineSink {
  public:
    virtual ~LineSink() = default;
    // One write: the text as it stands (its lines end in CR LF).
    virtual void write(const QString& text) = 0;
};

// The download as lines of separated text, every line ending in CR LF: a title line, header
// lines and one line per sample, event or entry. With a sink, an interval trend writes its
// lines into it (header block in one write, then a write per line) and the result is empty;
// every other kind returns its text. `yield` runs once per line of an interval trend (the
// caller decides how often it lets events through). Fields are not quoted.
QString ExportBrowseData(const ExportSource& source, const QString& separator, LineSink* sink,
                         const std::function<void()>& yield = {});

}  // namespace trendview
