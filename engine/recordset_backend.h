#pragma once

#include "engine/schema.h"
#include "engine/value.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace veranth::engine {

// Where a recordset's rows come from. A Recordset keeps the position, the edit buffer and
// the rules of moving; the backend of its database kind keeps the rows. Clones share one
// backend, so bookmarks work across them.
class RecordsetBackend {
public:
    virtual ~RecordsetBackend() = default;

    virtual const std::vector<FieldInfo>& fields() const = 0;
    // True when row `index` exists, reading further rows only as far as needed.
    virtual bool ensure(std::int64_t index) = 0;
    // Rows known so far; all of them once `complete()`.
    virtual std::int64_t knownCount() const = 0;
    virtual bool complete() const = 0;
    // The row's values in field order, into `out` (its storage is reused); 3167 for a row
    // deleted since it was listed.
    virtual void readRow(std::int64_t index, std::vector<Value>& out) = 0;
    virtual bool isDeleted(std::int64_t index) = 0;
    virtual QByteArray bookmarkOf(std::int64_t index) = 0;
    virtual std::optional<std::int64_t> indexOfBookmark(const QByteArray& bookmark) = 0;

    virtual bool updatable() const = 0;
    virtual QString whyNotUpdatable() const { return QString(); }
    // Writes go to the base table; an added row joins the end of the set.
    virtual std::int64_t insert(const std::vector<Value>& values) = 0;
    virtual void update(std::int64_t index, const std::vector<Value>& values, const std::vector<bool>& changed) = 0;
    virtual void remove(std::int64_t index) = 0;

    // A fresh set of the same source with an extra filter and a new order (either may be
    // empty); with both empty this is Requery.
    virtual std::shared_ptr<RecordsetBackend> reopen(const QString& filter, const QString& sort) = 0;

    // Table-type sets: the current index, and Seek on it (the row found, if any).
    virtual bool canSeek() const { return false; }
    virtual std::shared_ptr<RecordsetBackend> withIndex(const QString& indexName) = 0;
    virtual std::optional<std::int64_t> seek(const QString& op, const std::vector<Value>& keys) = 0;
};

}  // namespace veranth::engine
