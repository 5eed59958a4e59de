#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "records/RecordBase.h"
#include "runtime/RuntimeError.h"

namespace records {

// The contract every record collection offers: records in order of creation, 1-based
// positions, lookup by key (without regard to case), the selected record, the failed lines
// and the message for the user, and the instrument given to new records.
template <class Record>
class RecordCollection {
  public:
    using Items = std::vector<std::unique_ptr<Record>>;

    virtual ~RecordCollection() = default;

    // Removes every record, from the last to the first.
    void Clear() {
        while (!items_.empty())
            Remove(items_.back()->Key());
    }

    // Raises error 457 when the key is already present.
    Record& Add(const QString& key, int32_t seqNos) {
        if (index_.contains(key.toLower())) throw rt::RuntimeError(rt::ErrKeyNotFound);
        auto record = std::make_unique<Record>();
        record->setKey(key);
        record->setSeqNo(seqNos);
        record->setError(false);
        if (instruments_) record->setInstrument(instruments_);
        Record& added = *record;
        items_.push_back(std::move(record));
        index_.insert(key.toLower(), &added);
        return added;
    }

    // nullptr when no record has that position (1-based) or key.
    Record* Item(int position) const {
        return position >= 1 && position <= Count() ? items_[position - 1].get() : nullptr;
    }
    Record* Item(const QString& key) const { return index_.value(key.toLower(), nullptr); }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }

    // Error 9 for a position, error 5 for a key that is not present.
    void Remove(int position) {
        if (position < 1 || position > Count()) throw rt::RuntimeError(rt::ErrSubscript);
        index_.remove(items_[position - 1]->Key().toLower());
        items_.erase(items_.begin() + (position - 1));
    }
    void Remove(const QString& key) {
        Record* record = Item(key);
        if (!record) throw rt::RuntimeError(rt::ErrInvalidCall);
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == record) {
                Remove(static_cast<int>(i) + 1);
                return;
            }
    }

    typename Items::const_iterator begin() const { return items_.begin(); }
    typename Items::const_iterator end() const { return items_.end(); }

    // nullptr when nothing is selected; error 5 when the selected key is gone.
    Record* SelectedItem() const {
        if (selectedKey_.isEmpty()) return nullptr;
        Record* record = Item(selectedKey_);
        if (!record) throw rt::RuntimeError(rt::ErrInvalidCall);
        return record;
    }
    void setSelectedItem(const Record* record) {
        selectedKey_ = record ? record->Key() : QString();
    }

    QString FailLine() const { return failLine_; }
    void setFailLine(const QString& text) { failLine_ = text; }
    QString MessageString() const { return messageString_; }
    void setMessageString(const QString& text) { messageString_ = text; }
    core::clsInstrument* Instruments() const { return instruments_; }
    void setInstruments(core::clsInstrument* instrument) { instruments_ = instrument; }

  protected:
    Items items_;
    QHash<QString, Record*> index_;
    QString selectedKey_;
    QString messageString_;
    QString failLine_;
    core::clsInstrument* instruments_ = nullptr;
};

}  // namespace records
