#pragma once

#include "engine/isam/row_selection.h"
#include "engine/isam/table_file.h"
#include "engine/recordset_backend.h"

#include <deque>
#include <set>

namespace veranth::engine::isam {

// Table and dynaset sets over a table file: the live record numbers, found in file order as
// far as the set has been moved (all at once when a filter or an order applies), rows read
// from the file when shown, writes made in the file after the write rules.
class FileKeysetBackend : public RecordsetBackend {
public:
    FileKeysetBackend(std::shared_ptr<TableFile> file, RowSelection selection, bool updatable, QString whyNot,
                      const IndexInfo* index = nullptr);

    const std::vector<FieldInfo>& fields() const override { return file_->design().fields; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return static_cast<std::int64_t>(records_.size()); }
    bool complete() const override { return scanned_ >= file_->recordCount(); }
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
    void startEmpty() { scanned_ = file_->recordCount(); }

private:
    std::shared_ptr<TableFile> file_;
    RowSelection selection_;
    bool updatable_;
    QString whyNot_;
    std::optional<IndexInfo> index_;
    std::vector<std::int64_t> records_;
    std::set<std::int64_t> deleted_;
    std::int64_t scanned_ = 0;  // records of the file looked at so far
};

// Snapshot and forward-only sets: rows read from the file as the set moves and kept, all
// of the rest read before anything changes the file, so the set stays as it was opened.
// Forward-only sets keep only the rows from the current one on.
class FileSnapshotBackend : public RecordsetBackend,
                            public StaticRowReader,
                            public std::enable_shared_from_this<FileSnapshotBackend> {
public:
    static std::shared_ptr<FileSnapshotBackend> open(std::shared_ptr<TableFile> file, RowSelection selection, bool forwardOnly);

    const std::vector<FieldInfo>& fields() const override { return fields_; }
    bool ensure(std::int64_t index) override;
    std::int64_t knownCount() const override { return base_ + static_cast<std::int64_t>(rows_.size()); }
    bool complete() const override { return !file_; }
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
    FileSnapshotBackend() = default;
    bool readOne();

    std::shared_ptr<TableFile> file_;  // released once every row is read
    std::shared_ptr<TableFile> source_;
    RowSelection selection_;
    std::vector<FieldInfo> fields_;
    std::vector<std::int64_t> chosen_;  // with a filter or an order: the records, chosen at open
    bool usesChosen_ = false;
    std::int64_t next_ = 0;             // next record (or entry of chosen_) to read
    std::deque<std::vector<Value>> rows_;
    std::int64_t base_ = 0;
    bool forwardOnly_ = false;
};

}  // namespace veranth::engine::isam
