#pragma once

#include <QString>
#include <cstdint>

#include "core/Schema.h"

namespace core {

// What the instrument link needs of a record collection: it empties it before a download,
// hands it every record line of every answer block in two passes (check, then apply), and
// passes its messages on to the host.
class RecordLines {
  public:
    virtual ~RecordLines() = default;

    // The log the collection gathers: a download accepts only its own kind.
    virtual LogKind Kind() const = 0;
    virtual void Clear() = 0;
    virtual QString FailLine() const = 0;
    virtual void setFailLine(const QString& text) = 0;
    virtual QString MessageString() const = 0;
    virtual void setMessageString(const QString& text) = 0;
    // One record line; `requestNo` is the calibration-history request number (the other
    // collections do not use it). True when the line was accepted.
    virtual bool SetRecordLine(int16_t requestNo, const QString& line, bool testFlag) = 0;
    // The routing state kept across a check pass (collections without continuation lines
    // have none).
    virtual void SaveRoutingState() {}
    virtual void RestoreRoutingState() {}
};

}  // namespace core
