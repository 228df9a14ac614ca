#pragma once

#include "engine/criteria.h"
#include "engine/native/shared_file.h"
#include "engine/recordset_backend.h"

#include <QHash>

#include <deque>
#include <optional>
#include <set>

namespace veranth::engine::native {

using BoundValues = std::vector<std::pair<Value, std::optional<FieldType>>>;

// A filter and an order turned into SQLite text, values bound.
struct WhereOrder {
    QString where;
    BoundValues parameters;
    QString orderBy;
};
// Filter text (criteria) and Sort text ("Name DESC, City") for the given fields; unknown
// names fail with the error a user can act on.
WhereOrder translateFilterAndSort(const std::vector<FieldInfo>& fields, const QString& filter, const QString& sort);

// Where a table's rows are: the SQLite schema ("main", or the alias of an attached file)
// and the table's name there (an attached table's source name).
struct TablePlace {
    QString schema = QStringLiteral("main");
    QString table;
    QString sql() const { return quoteName(schema) + QLatin1Char('.') + quoteName(table); }
};

// Table and dynaset sets over one stored table: a keyset of rowids, read 1000 at a time in
// rowid order (or all at once for another order), rows fetched by key when shown. Writes go
// to the table by key after the write rules.
class KeysetBackend : public RecordsetBackend {
public:
    KeysetBackend(std::shared_ptr<SharedFile> file, TableInfo table, WhereOrder selection, bool updatable,
                  QString whyNot = QString(), TablePlace place = TablePlace());

    const std::vector<FieldInfo>& fields() const override { return table_.fields; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return static_cast<std::int64_t>(keys_.size()); }
    bool complete() const override { return complete_; }
    void readRow(std::int64_t index, std::vector<Value>& out) override;
    bool isDeleted(std::int64_t index) override { return deleted_.count(index) != 0; }
    QByteArray bookmarkOf(std::int64_t index) override;
    std::optional<std::int64_t> indexOfBookmark(const QByteArray& bookmark) override;
    bool updatable() const override { return updatable_; }
    QString whyNotUpdatable() const override { return whyNot_; }
    std::int64_t insert(const std::vector<Value>& values) override;
    void update(std::int64_t index, const std::vector<Value>& values, const std::vector<bool>& changed) override;
    void remove(std::int64_t index) override;
    std::shared_ptr<RecordsetBackend> reopen(const QString& filter, const QString& sort) override;
    bool canSeek() const override { return true; }
    std::shared_ptr<RecordsetBackend> withIndex(const QString& indexName) override;
    std::optional<std::int64_t> seek(const QString& op, const std::vector<Value>& keys) override;

    // An append-only set lists none of the existing rows, only those added through it.
    void startEmpty() { complete_ = true; }

private:
    void fillChunk();
    void remember(std::int64_t rowid);
    QString columnList() const;

    std::shared_ptr<SharedFile> file_;
    TableInfo table_;
    TablePlace place_;
    WhereOrder selection_;
    bool updatable_;
    QString whyNot_;
    const IndexInfo* index_ = nullptr;
    std::vector<std::int64_t> keys_;
    std::set<std::int64_t> deleted_;
    std::set<std::int64_t> added_;
    QHash<std::int64_t, std::int64_t> positions_;  // rowid -> index, built on first need
    bool positionsBuilt_ = false;
    bool complete_ = false;
    std::int64_t lastRowid_ = std::numeric_limits<std::int64_t>::min();
    std::optional<Statement> fetch_;
    std::optional<Statement> insert_;
};

// Snapshot and forward-only sets, and sets over statements with no single keyed table:
// rows read lazily from a statement and kept, made static by reading the rest before any
// write on the file. Forward-only sets keep only the rows from the current one on.
class MaterialisedBackend : public RecordsetBackend, public StaticReader {
public:
    // With `knownFields`, `typedColumns` (when given) says which columns are read in their
    // field's type; the others are read as SQLite holds them.
    MaterialisedBackend(std::shared_ptr<SharedFile> file, QString sql, BoundValues parameters,
                        std::optional<std::vector<FieldInfo>> knownFields, bool forwardOnly,
                        std::vector<bool> typedColumns = {});
    ~MaterialisedBackend() override;

    const std::vector<FieldInfo>& fields() const override { return fields_; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return base_ + static_cast<std::int64_t>(rows_.size()); }
    bool complete() const override { return !statement_; }
    void readRow(std::int64_t index, std::vector<Value>& out) override;
    bool isDeleted(std::int64_t) override { return false; }
    QByteArray bookmarkOf(std::int64_t index) override;
    std::optional<std::int64_t> indexOfBookmark(const QByteArray& bookmark) override;
    bool updatable() const override { return false; }
    QString whyNotUpdatable() const override;
    std::int64_t insert(const std::vector<Value>&) override;
    void update(std::int64_t, const std::vector<Value>&, const std::vector<bool>&) override;
    void remove(std::int64_t) override;
    std::shared_ptr<RecordsetBackend> reopen(const QString& filter, const QString& sort) override;
    std::shared_ptr<RecordsetBackend> withIndex(const QString&) override;
    std::optional<std::int64_t> seek(const QString&, const std::vector<Value>&) override;

    void readRest() override;

private:
    bool readOne();
    void finish();

    std::shared_ptr<SharedFile> file_;
    QString sql_;
    BoundValues parameters_;
    std::vector<FieldInfo> fields_;
    std::optional<Statement> statement_;
    std::deque<std::vector<Value>> rows_;
    std::int64_t base_ = 0;  // index of rows_.front()
    std::vector<Value> spare_;  // a row left behind by a forward-only set, reused for the next
    bool forwardOnly_;
    std::vector<bool> typed_;  // per column: read in its field type, or as SQLite holds it
};

void bindAll(Statement& statement, const BoundValues& values, int first = 1);

// The next value of an auto-increment field, drawn (and recorded) for a new row.
Value nextCounter(Connection& connection, const TablePlace& place, const FieldInfo& field);

}  // namespace veranth::engine::native
