#include "records/RecordBase.h"

#include "core/ModMain.h"
#include "platform/Database.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"

namespace records {

namespace {

enum Text : int {
    TextHeadBeyondALong = 5841,
};

}  // namespace

int32_t HeadToAddTo(const platform::ResultSet& heads, const QString& serialNo,
                    const QString& userID) {
    for (int row = 0; row < heads.rowCount(); ++row) {
        const std::optional<int64_t> key = heads.wholeNumber(row, QStringLiteral("SeqNo"));
        if (key && *key >= INT32_MIN && *key <= INT32_MAX) return static_cast<int32_t>(*key);
    }
    if (heads.rowCount() == 0) return -1;
    const std::optional<int64_t> key = heads.wholeNumber(0, QStringLiteral("SeqNo"));
    throw rt::RuntimeError(
        rt::ErrOverflow,
        core::LoadResText(TextHeadBeyondALong, {heads.text(0, QStringLiteral("Names")), serialNo,
                                                userID, key ? QString::number(*key) : QString()}));
}

rt::Variant RecordBase::headerField(int types, unsigned fields, bool keyFormOnRead,
                                    const rt::Variant& none) const {
    if (types < 0 || types > 8 || !(fields & (1u << types))) return none;
    const auto identity = [keyFormOnRead](const QString& text) {
        return keyFormOnRead ? core::EmptyToAsterisk(text) : text;
    };
    switch (types) {
        case 0:
            return name_;
        case 1:
            return date_;
        case 2:
            return identity(userID_);
        case 3:
            return identity(stationID_);
        case 4:
            return identity(serialNo_);
        case 5:
            return folderID_;
        case 6:
            return interval_;
        case 7:
            return sampling_;
        default:
            return spare_;
    }
}

void RecordBase::setHeaderField(int types, const rt::Variant& value, unsigned fields) {
    if (types < 0 || types > 8 || !(fields & (1u << types))) return;
    switch (types) {
        case 0:
            name_ = value.toText();
            break;
        case 1:
            if (value.isDate()) {
                date_ = value.toDate();
                dateRead_ = true;
            }
            break;
        case 2:
            userID_ = core::EmptyToAsterisk(value.toText());
            break;
        case 3:
            stationID_ = core::EmptyToAsterisk(value.toText());
            break;
        case 4:
            serialNo_ = core::EmptyToAsterisk(value.toText());
            break;
        case 5:
            folderID_ = value.toText();
            break;
        case 6:
            if (value.isNumeric()) interval_ = value.toLong();
            break;
        case 7:
            if (value.isNumeric()) sampling_ = rt::CInt(value.toLong());
            break;
        default:
            if (value.isNumeric()) spare_ = value.toInteger();
            break;
    }
}

void RecordBase::lineFailed(const rt::RuntimeError& e) {
    error_ = true;
    // Only the trend file and its folders raise these: the store, not the line, is at fault.
    const bool store = e.number() == rt::ErrDiskFull || e.number() == rt::ErrPathAccess;
    if (store && !fileError_) fileError_ = e;
}

void RecordBase::raiseFileError() const {
    if (fileError_) throw *fileError_;
}

void RecordBase::clearHeader() {
    seqNo_ = 0;
    dateRead_ = true;
    name_.clear();
    folderID_.clear();
    interval_ = 0;
    spare_ = 0;
    userID_ = serialNo_ = QStringLiteral("*");
}

}  // namespace records
