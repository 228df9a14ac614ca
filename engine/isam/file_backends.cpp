#include "engine/isam/file_backends.h"

#include "engine/errors.h"
#include "engine/field_type.h"
#include "engine/isam/file_row_rules.h"
#include "engine/value_ops.h"

namespace veranth::engine::isam {

namespace {

QByteArray numberBookmark(std::int64_t n) {
    QByteArray b(8, '\0');
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((static_cast<std::uint64_t>(n) >> (8 * i)) & 0xFF);
    return b;
}

std::optional<std::int64_t> bookmarkNumber(const QByteArray& b) {
    if (b.size() != 8) return std::nullopt;
    std::uint64_t n = 0;
    for (int i = 7; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(b[i]);
    return static_cast<std::int64_t>(n);
}

// Whether a row that compares `c` with the sought keys satisfies the Seek comparison.
bool satisfies(int c, const QString& op) {
    if (op == QLatin1String("=")) return c == 0;
    if (op == QLatin1String(">=")) return c >= 0;
    if (op == QLatin1String(">")) return c > 0;
    if (op == QLatin1String("<=")) return c <= 0;
    return c < 0;
}

}  // namespace

FileKeysetBackend::FileKeysetBackend(std::shared_ptr<TableFile> file, RowSelection selection, bool updatable, QString whyNot,
                                     const IndexInfo* index)
    : file_(std::move(file)), selection_(std::move(selection)), updatable_(updatable), whyNot_(std::move(whyNot)) {
    if (index) index_ = *index;
    if (!selection_.isPlain()) {
        records_ = selection_.chooseRecords(*file_);
        scanned_ = file_->recordCount();
    }
}

bool FileKeysetBackend::ensure(std::int64_t index) {
    const std::int64_t count = file_->recordCount();
    while (static_cast<std::int64_t>(records_.size()) <= index && scanned_ < count) {
        if (!file_->isDeleted(scanned_)) records_.push_back(scanned_);
        ++scanned_;
    }
    return index < static_cast<std::int64_t>(records_.size());
}

void FileKeysetBackend::readRow(std::int64_t index, std::vector<Value>& out) {
    if (deleted_.count(index)) throw EngineError(err::kRecordDeleted);
    const std::int64_t record = records_.at(static_cast<size_t>(index));
    if (file_->isDeleted(record)) throw EngineError(err::kRecordDeleted);
    file_->read(record, out);
}

QByteArray FileKeysetBackend::bookmarkOf(std::int64_t index) { return numberBookmark(records_.at(static_cast<size_t>(index))); }

std::optional<std::int64_t> FileKeysetBackend::indexOfBookmark(const QByteArray& bookmark) {
    const auto record = bookmarkNumber(bookmark);
    if (!record) return std::nullopt;
    ensure(std::numeric_limits<std::int64_t>::max() - 1);
    for (size_t i = 0; i < records_.size(); ++i)
        if (records_[i] == *record) return static_cast<std::int64_t>(i);
    return std::nullopt;
}

std::int64_t FileKeysetBackend::insert(const std::vector<Value>& given) {
    if (!updatable_) throw EngineError(err::kRecordsetNotUpdatable, whyNot_);
    std::vector<Value> values = given;
    prepareFileRow(*file_, values, std::nullopt);
    const bool wasComplete = complete();
    const std::int64_t record = file_->append(values);
    // A set that has not reached the end yet will meet the record when it gets there.
    if (wasComplete || !selection_.isPlain()) {
        records_.push_back(record);
        scanned_ = std::max(scanned_, record + 1);
        return static_cast<std::int64_t>(records_.size()) - 1;
    }
    ensure(std::numeric_limits<std::int64_t>::max() - 1);
    return static_cast<std::int64_t>(records_.size()) - 1;
}

void FileKeysetBackend::update(std::int64_t index, const std::vector<Value>& given, const std::vector<bool>&) {
    if (!updatable_) throw EngineError(err::kRecordsetNotUpdatable, whyNot_);
    if (!file_->canChangeRecords()) throw EngineError(err::kNotSupported, QStringLiteral("Rows of this table can be added, not changed."));
    const std::int64_t record = records_.at(static_cast<size_t>(index));
    if (deleted_.count(index) || file_->isDeleted(record)) throw EngineError(err::kRecordDeleted);
    std::vector<Value> values = given;
    prepareFileRow(*file_, values, record);
    file_->overwrite(record, values);
}

void FileKeysetBackend::remove(std::int64_t index) {
    if (!updatable_) throw EngineError(err::kRecordsetNotUpdatable, whyNot_);
    if (!file_->canChangeRecords()) throw EngineError(err::kNotSupported, QStringLiteral("Rows of this table can be added, not deleted."));
    const std::int64_t record = records_.at(static_cast<size_t>(index));
    if (file_->isDeleted(record)) throw EngineError(err::kRecordDeleted);
    file_->markDeleted(record);
    deleted_.insert(index);
}

std::shared_ptr<RecordsetBackend> FileKeysetBackend::reopen(const QString& filter, const QString& sort) {
    if (filter.trimmed().isEmpty() && sort.trimmed().isEmpty())
        return std::make_shared<FileKeysetBackend>(file_, selection_, updatable_, whyNot_, index_ ? &*index_ : nullptr);
    return std::make_shared<FileKeysetBackend>(file_, selection_.narrowed(file_->design(), filter, sort), updatable_, whyNot_);
}

std::shared_ptr<RecordsetBackend> FileKeysetBackend::withIndex(const QString& indexName) {
    for (const auto& i : file_->design().indexes)
        if (i.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return std::make_shared<FileKeysetBackend>(file_, RowSelection::ofIndex(file_->design(), selection_, i), updatable_,
                                                       whyNot_, &i);
    throw EngineError(err::kItemNotFound, indexName);
}

std::optional<std::int64_t> FileKeysetBackend::seek(const QString& op, const std::vector<Value>& keys) {
    if (!index_) throw EngineError(err::kNoCurrentIndex);
    if (keys.empty() || keys.size() > index_->keys.size())
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("Seek needs from 1 to %1 key values").arg(index_->keys.size()));
    const auto& order = selection_.order();
    std::vector<Value> converted;
    for (size_t i = 0; i < keys.size(); ++i) {
        const FieldInfo& f = fields()[static_cast<size_t>(order[i].column)];
        converted.push_back(coerceForField(keys[i], f.type, f.name));
    }
    ensure(std::numeric_limits<std::int64_t>::max() - 1);
    std::vector<Value> row;
    // Compare the row's keys with the sought ones in the index's own direction.
    auto relation = [&](std::int64_t index) {
        readRow(index, row);
        for (size_t i = 0; i < converted.size(); ++i) {
            int c = compareForOrder(row[static_cast<size_t>(order[i].column)], converted[i]);
            if (order[i].descending) c = -c;
            if (c != 0) return c;
        }
        return 0;
    };
    const auto n = static_cast<std::int64_t>(records_.size());
    if (op.startsWith(QLatin1Char('<'))) {
        for (std::int64_t i = n - 1; i >= 0; --i)
            if (!deleted_.count(i) && satisfies(relation(i), op)) return i;
        return std::nullopt;
    }
    for (std::int64_t i = 0; i < n; ++i)
        if (!deleted_.count(i) && satisfies(relation(i), op)) return i;
    return std::nullopt;
}

std::shared_ptr<FileSnapshotBackend> FileSnapshotBackend::open(std::shared_ptr<TableFile> file, RowSelection selection, bool forwardOnly) {
    std::shared_ptr<FileSnapshotBackend> b(new FileSnapshotBackend());
    b->file_ = file;
    b->source_ = file;
    b->fields_ = file->design().fields;
    b->selection_ = std::move(selection);
    b->forwardOnly_ = forwardOnly;
    if (!b->selection_.isPlain()) {
        b->chosen_ = b->selection_.chooseRecords(*file);
        b->usesChosen_ = true;
    }
    file->watchForChanges(b);
    return b;
}

bool FileSnapshotBackend::readOne() {
    if (!file_) return false;
    std::vector<Value> row;
    if (usesChosen_) {
        if (next_ >= static_cast<std::int64_t>(chosen_.size())) {
            file_.reset();
            return false;
        }
        file_->read(chosen_[static_cast<size_t>(next_++)], row);
    } else {
        while (next_ < file_->recordCount() && file_->isDeleted(next_)) ++next_;
        if (next_ >= file_->recordCount()) {
            file_.reset();
            return false;
        }
        file_->read(next_++, row);
    }
    rows_.push_back(std::move(row));
    return true;
}

bool FileSnapshotBackend::ensure(std::int64_t index) {
    while (knownCount() <= index)
        if (!readOne()) return false;
    if (forwardOnly_)
        while (base_ < index && !rows_.empty()) {
            rows_.pop_front();
            ++base_;
        }
    return index >= base_ || !forwardOnly_;
}

void FileSnapshotBackend::readRest() {
    while (readOne()) {
    }
}

void FileSnapshotBackend::readRow(std::int64_t index, std::vector<Value>& out) {
    if (index < base_ || index >= knownCount())
        throw EngineError(err::kNotSupported, QStringLiteral("A forward-only recordset cannot go back to an earlier row."));
    out = rows_[static_cast<size_t>(index - base_)];
}

QByteArray FileSnapshotBackend::bookmarkOf(std::int64_t index) { return numberBookmark(index); }

std::optional<std::int64_t> FileSnapshotBackend::indexOfBookmark(const QByteArray& bookmark) {
    const auto n = bookmarkNumber(bookmark);
    if (!n || !ensure(*n)) return std::nullopt;
    return n;
}

QString FileSnapshotBackend::whyNotUpdatable() const { return QStringLiteral("Snapshots and forward-only sets cannot be changed."); }

std::int64_t FileSnapshotBackend::insert(const std::vector<Value>&) { throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable()); }
void FileSnapshotBackend::update(std::int64_t, const std::vector<Value>&, const std::vector<bool>&) {
    throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable());
}
void FileSnapshotBackend::remove(std::int64_t) { throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable()); }

std::shared_ptr<RecordsetBackend> FileSnapshotBackend::reopen(const QString& filter, const QString& sort) {
    return open(source_, selection_.narrowed(source_->design(), filter, sort), forwardOnly_);
}

std::shared_ptr<RecordsetBackend> FileSnapshotBackend::withIndex(const QString&) {
    throw EngineError(err::kNotSupported, QStringLiteral("Only a table-type recordset has an index."));
}

std::optional<std::int64_t> FileSnapshotBackend::seek(const QString&, const std::vector<Value>&) {
    throw EngineError(err::kNotSupported, QStringLiteral("Seek needs a table-type recordset."));
}

}  // namespace veranth::engine::isam
