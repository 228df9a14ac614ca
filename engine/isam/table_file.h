#pragma once

#include "engine/schema.h"
#include "engine/value.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace veranth::engine::isam {

// A recordset that must keep what it showed at open: before the file changes it reads the
// rest of its rows.
class StaticRowReader {
public:
    virtual ~StaticRowReader() = default;
    virtual void readRest() = 0;
};

// One table kept in a file of some format: records by number (in file order, deleted ones
// included), read and written one at a time. Recordsets of every database object open on
// the file share one TableFile, so they see each other's writes.
class TableFile {
public:
    virtual ~TableFile() = default;

    virtual const QString& path() const = 0;
    // The table's design as the engine sees it: fields with engine types, and the indexes
    // and rules the driver keeps beside the file.
    virtual const TableInfo& design() const = 0;
    virtual std::int64_t recordCount() = 0;
    virtual bool isDeleted(std::int64_t record) = 0;
    // The values of a record in design().fields order, into `out` (its storage is reused).
    virtual void read(std::int64_t record, std::vector<Value>& out) = 0;

    // Whether records can be changed and deleted where they are (text files only grow).
    virtual bool canChangeRecords() const = 0;
    // The record number of the new record.
    virtual std::int64_t append(const std::vector<Value>& values) = 0;
    virtual void overwrite(std::int64_t record, const std::vector<Value>& values) = 0;
    virtual void markDeleted(std::int64_t record) = 0;
    // Writes out what is held back; called before others read the file and at the end.
    virtual void flush() = 0;

    // Recordsets that must stay as they were are told before each change.
    void watchForChanges(const std::shared_ptr<StaticRowReader>& reader) { readers_.push_back(reader); }

protected:
    void beforeChange() {
        auto readers = std::move(readers_);
        readers_.clear();
        for (const auto& weak : readers)
            if (auto r = weak.lock()) r->readRest();
    }

private:
    std::vector<std::weak_ptr<StaticRowReader>> readers_;
};

}  // namespace veranth::engine::isam
