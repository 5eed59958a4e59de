#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "core/RecordLines.h"
#include "records/RecordBase.h"
#include "records/RecordLines.h"
#include "runtime/RuntimeError.h"

namespace records {

// The contract every record collection offers: records in order of creation, 1-based
// positions, lookup by key (without regard to case), the selected record, the failed lines
// and the message for the user, and the instrument given to new records.
template <class Record>
class RecordCollection : public core::RecordLines {
  public:
    using Items = std::vector<std::unique_ptr<Record>>;

    // Removes every record, from the last to the first.
    void Clear() override {
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

    QString FailLine() const override { return failLine_; }
    void setFailLine(const QString& text) override { failLine_ = text; }
    QString MessageString() const override { return messageString_; }
    void setMessageString(const QString& text) override { messageString_ = text; }
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

// A collection whose lines carry a record number and a record code, with continuation lines
// that belong to the record and code of the line before them.
template <class Record>
class RoutedCollection : public RecordCollection<Record> {
  public:
    // The routing state (previous record number and code, each record's previous data-line
    // code) taken when a check pass starts and put back before the apply pass and before a
    // block is asked for again, so a check pass never shifts where the apply pass starts.
    void SaveRoutingState() override {
        savedRouting_ = routing_;
        savedDataCodes_.clear();
        for (const auto& record : this->items_)
            savedDataCodes_.insert(record->Key(), record->previousDataCode());
    }
    void RestoreRoutingState() override {
        routing_ = savedRouting_;
        for (const auto& record : this->items_)
            if (const auto it = savedDataCodes_.constFind(record->Key());
                it != savedDataCodes_.constEnd())
                record->setPreviousDataCode(*it);
    }

  protected:
    // The record of a line's number, created (with the collection's instrument) when new.
    Record& recordOf(const QString& number) {
        const QString key = RecordKey(number);
        Record* record = this->Item(key);
        if (!record) {
            record = &this->Add(key, 0);
            record->setInstrument(this->instruments_);
        }
        return *record;
    }

    LineRouting routing_;

  private:
    LineRouting savedRouting_;
    QHash<QString, QString> savedDataCodes_;
};

// Only the record whose data lines arrive keeps its trend file open, so a download of many
// records holds one file at a time. `writing` is the key of the record that may hold its file.
template <class Record>
void TurnTrendFileTo(const RecordCollection<Record>& collection, QString& writing, Record& next) {
    if (writing == next.Key()) return;
    if (Record* before = collection.Item(writing)) before->closeTrendFile();
    writing = next.Key();
}

}  // namespace records
