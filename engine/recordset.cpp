#include "engine/recordset.h"

#include "engine/conversions.h"
#include "engine/criteria.h"
#include "engine/errors.h"
#include "engine/field_type.h"
#include "engine/write_rules.h"

#include <cmath>
#include <limits>

namespace veranth::engine {

namespace {
constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max() - 1;
}

template <class F>
auto Recordset::recorded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EngineError& e) {
        if (errors_) errors_->record(e);
        throw;
    }
}

std::shared_ptr<Recordset> Recordset::open(RecordsetType type, const QString& name,
                                           std::shared_ptr<RecordsetBackend> backend, bool readOnly,
                                           std::shared_ptr<ErrorList> errors) {
    std::shared_ptr<Recordset> rs(new Recordset());
    rs->type_ = type == RecordsetType::Default ? RecordsetType::Dynaset : type;
    rs->name_ = name;
    rs->backend_ = std::move(backend);
    rs->readOnly_ = readOnly || rs->type_ == RecordsetType::Snapshot || rs->type_ == RecordsetType::ForwardOnly;
    rs->lockEdits_ = !rs->readOnly_;
    rs->errors_ = std::move(errors);
    rs->bindFields();
    rs->moveTo(0);
    return rs;
}

void Recordset::bindFields() {
    std::vector<std::shared_ptr<Field>> fields;
    int column = 0;
    for (const auto& info : backend().fields()) {
        auto f = std::make_shared<Field>(info);
        f->bindToRecordset(shared_from_this(), column++);
        fields.push_back(f);
    }
    fields_.load(std::move(fields));
}

RecordsetBackend& Recordset::backend() const {
    if (!backend_) throw EngineError(err::kInvalidOperation, QStringLiteral("The recordset is closed."));
    return *backend_;
}

bool Recordset::updatable() const { return !readOnly_ && backend_ && backend_->updatable(); }

// An empty set is at both ends at once.
bool Recordset::bof() const { return position_ < 0 || (atEnd_ && position_ == 0); }

bool Recordset::eof() const { return atEnd_ || (position_ < 0 && backend_ && !backend_->ensure(0)); }

bool Recordset::hasCurrent() const { return backend_ && position_ >= 0 && !atEnd_; }

void Recordset::requireCurrent() const {
    if (!hasCurrent()) throw EngineError(err::kNoCurrentRecord);
}

void Recordset::requireUpdatable() const {
    backend();
    if (readOnly_ || !backend_->updatable()) {
        const QString why = readOnly_ ? QStringLiteral("Snapshots, forward-only sets and read-only databases cannot be changed.")
                                      : backend_->whyNotUpdatable();
        throw EngineError(err::kRecordsetNotUpdatable, why);
    }
}

void Recordset::requireScrollable() const {
    if (type_ == RecordsetType::ForwardOnly)
        throw EngineError(err::kNotSupported, QStringLiteral("A forward-only recordset only moves to the next row."));
}

std::int64_t Recordset::recordCount() const {
    return const_cast<Recordset*>(this)->recorded([&] {
        if (type_ == RecordsetType::Table) backend().ensure(kAll);
        return backend().knownCount();
    });
}

void Recordset::moveTo(std::int64_t position) {
    editMode_ = EditMode::None;
    cachedRowIndex_ = -1;
    noMatch_ = false;
    if (position < 0) {
        position_ = -1;
        atEnd_ = false;
        return;
    }
    if (backend().ensure(position)) {
        position_ = position;
        atEnd_ = false;
        return;
    }
    position_ = backend().knownCount();
    atEnd_ = true;
}

const std::vector<Value>& Recordset::currentRow() {
    requireCurrent();
    if (cachedRowIndex_ != position_) {
        if (backend().isDeleted(position_)) throw EngineError(err::kRecordDeleted);
        backend().readRow(position_, cachedRow_);
        cachedRowIndex_ = position_;
    }
    return cachedRow_;
}

void Recordset::moveFirst() {
    recorded([&] {
        if (type_ == RecordsetType::ForwardOnly && position_ > 0) requireScrollable();
        std::int64_t p = 0;
        while (backend().ensure(p) && backend().isDeleted(p)) ++p;
        moveTo(p);
    });
}

void Recordset::moveLast() {
    recorded([&] {
        requireScrollable();
        backend().ensure(kAll);
        std::int64_t p = backend().knownCount() - 1;
        while (p >= 0 && backend().isDeleted(p)) --p;
        if (p < 0) {
            moveTo(backend().knownCount());
            return;
        }
        moveTo(p);
    });
}

void Recordset::moveNext() {
    recorded([&] {
        if (eof()) throw EngineError(err::kNoCurrentRecord);
        std::int64_t p = position_ + 1;
        while (backend().ensure(p) && backend().isDeleted(p)) ++p;
        moveTo(p);
    });
}

void Recordset::movePrevious() {
    recorded([&] {
        requireScrollable();
        if (bof()) throw EngineError(err::kNoCurrentRecord);
        std::int64_t p = position_ - 1;
        while (p >= 0 && backend().isDeleted(p)) --p;
        moveTo(p);
    });
}

void Recordset::move(std::int64_t rows) {
    recorded([&] {
        if (rows < 0) requireScrollable();
        if (rows != 0 && !hasCurrent()) throw EngineError(err::kNoCurrentRecord);
        const std::int64_t target = position_ + rows;
        moveTo(target < 0 ? -1 : target);
    });
}

std::int64_t Recordset::absolutePosition() const { return hasCurrent() ? position_ : -1; }

void Recordset::setAbsolutePosition(std::int64_t position) {
    recorded([&] {
        requireScrollable();
        if (position < 0 || !backend().ensure(position))
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("there is no row %1").arg(position));
        moveTo(position);
    });
}

double Recordset::percentPosition() const {
    if (!hasCurrent()) return 0;
    const auto count = backend().knownCount();
    return count > 0 ? static_cast<double>(position_) / static_cast<double>(count) * 100.0 : 0;
}

void Recordset::setPercentPosition(double percent) {
    recorded([&] {
        requireScrollable();
        if (percent < 0 || percent > 100)
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("PercentPosition must be from 0 to 100"));
        backend().ensure(kAll);
        const auto count = backend().knownCount();
        if (count == 0) return moveTo(0);
        auto target = static_cast<std::int64_t>(std::floor(percent / 100.0 * static_cast<double>(count)));
        moveTo(std::min(target, count - 1));
    });
}

QByteArray Recordset::bookmark() const {
    return const_cast<Recordset*>(this)->recorded([&] {
        if (!bookmarkable()) requireScrollable();
        requireCurrent();
        return backend().bookmarkOf(position_);
    });
}

void Recordset::setBookmark(const QByteArray& bookmark) {
    recorded([&] {
        requireScrollable();
        const auto index = backend().indexOfBookmark(bookmark);
        if (!index) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("not a valid bookmark"));
        moveTo(*index);
    });
}

QByteArray Recordset::lastModified() const {
    if (lastModified_ < 0) throw EngineError(err::kNoCurrentRecord);
    return backend().bookmarkOf(lastModified_);
}

void Recordset::find(const QString& text, bool forward, std::int64_t start) {
    recorded([&] {
        requireScrollable();
        const Criteria criteria = Criteria::parse(text);
        for (const auto& name : criteria.fieldNames()) fields_.item(name);  // unknown names fail before searching
        const auto& infos = backend().fields();
        std::vector<Value> row;
        auto lookup = [&](const QString& name) -> Value {
            for (size_t i = 0; i < infos.size(); ++i)
                if (infos[i].name.compare(name, Qt::CaseInsensitive) == 0) return row[i];
            throw EngineError(err::kItemNotFound, name);
        };
        const std::int64_t step = forward ? 1 : -1;
        for (std::int64_t p = start; p >= 0 && backend().ensure(p); p += step) {
            if (backend().isDeleted(p)) continue;
            backend().readRow(p, row);
            if (criteria.matches(lookup)) {
                moveTo(p);
                noMatch_ = false;
                return;
            }
        }
        noMatch_ = true;
    });
}

void Recordset::findFirst(const QString& criteria) { find(criteria, true, 0); }

void Recordset::findNext(const QString& criteria) { find(criteria, true, hasCurrent() ? position_ + 1 : 0); }

void Recordset::findLast(const QString& criteria) {
    recorded([&] { backend().ensure(kAll); });
    find(criteria, false, backend().knownCount() - 1);
}

void Recordset::findPrevious(const QString& criteria) {
    const std::int64_t start = hasCurrent() ? position_ - 1 : (atEnd_ ? backend().knownCount() - 1 : -1);
    find(criteria, false, start);
}

void Recordset::setIndex(const QString& name) {
    recorded([&] {
        if (type_ != RecordsetType::Table)
            throw EngineError(err::kNotSupported, QStringLiteral("Only a table-type recordset has a current index."));
        backend_ = backend().withIndex(name);
        index_ = name;
        cachedRowIndex_ = -1;
        moveTo(0);
    });
}

void Recordset::seek(const QString& op, const std::vector<Value>& keys) {
    recorded([&] {
        if (type_ != RecordsetType::Table)
            throw EngineError(err::kNotSupported, QStringLiteral("Seek needs a table-type recordset."));
        if (index_.isEmpty()) throw EngineError(err::kNoCurrentIndex);
        static const QStringList ops = {"=", ">=", "<=", ">", "<"};
        if (!ops.contains(op.trimmed()))
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("'%1' is not a Seek comparison").arg(op));
        const auto found = backend().seek(op.trimmed(), keys);
        if (!found) {
            noMatch_ = true;
            return;
        }
        moveTo(*found);
        noMatch_ = false;
    });
}

std::shared_ptr<Recordset> Recordset::openRecordset(RecordsetType type, int options) {
    return recorded([&] {
        auto fresh = backend().reopen(filter_, sort_);
        const RecordsetType t = type == RecordsetType::Default ? type_ : type;
        return Recordset::open(t, name_, fresh, readOnly_ || (options & rs_option::kReadOnly), errors_);
    });
}

std::shared_ptr<Recordset> Recordset::clone() {
    return recorded([&] {
        requireScrollable();
        std::shared_ptr<Recordset> copy(new Recordset());
        copy->type_ = type_;
        copy->name_ = name_;
        copy->backend_ = backend_;
        copy->readOnly_ = readOnly_;
        copy->lockEdits_ = lockEdits_;
        copy->errors_ = errors_;
        copy->index_ = index_;
        copy->bindFields();
        copy->position_ = -1;  // a clone starts without a current row
        return copy;
    });
}

void Recordset::requery() {
    recorded([&] {
        backend_ = backend().reopen(QString(), QString());
        cachedRowIndex_ = -1;
        lastModified_ = -1;
        moveTo(0);
    });
}

void Recordset::close() {
    backend_.reset();
    editMode_ = EditMode::None;
    position_ = -1;
    atEnd_ = false;
}

std::vector<Value> Recordset::defaultValues() const {
    std::vector<Value> values;
    for (const auto& info : backend().fields()) values.push_back(defaultValueFor(info));
    return values;
}

void Recordset::addNew() {
    recorded([&] {
        requireUpdatable();
        buffer_ = defaultValues();
        changed_.assign(buffer_.size(), false);
        editMode_ = EditMode::Add;
    });
}

void Recordset::edit() {
    recorded([&] {
        requireUpdatable();
        buffer_ = currentRow();
        changed_.assign(buffer_.size(), false);
        editMode_ = EditMode::InProgress;
    });
}

void Recordset::update() {
    recorded([&] {
        if (editMode_ == EditMode::None) throw EngineError(err::kUpdateWithoutEdit);
        if (editMode_ == EditMode::Add) {
            lastModified_ = backend().insert(buffer_);
        } else {
            backend().update(position_, buffer_, changed_);
            lastModified_ = position_;
        }
        editMode_ = EditMode::None;
        cachedRowIndex_ = -1;
    });
}

void Recordset::cancelUpdate() {
    recorded([&] {
        if (editMode_ == EditMode::None) throw EngineError(err::kUpdateWithoutEdit);
        editMode_ = EditMode::None;
        buffer_.clear();
    });
}

void Recordset::remove() {
    recorded([&] {
        requireUpdatable();
        requireCurrent();
        if (backend().isDeleted(position_)) throw EngineError(err::kRecordDeleted);
        backend().remove(position_);
        editMode_ = EditMode::None;
        cachedRowIndex_ = -1;
    });
}

Value Recordset::fieldValue(int column) {
    return recorded([&] {
        if (editMode_ != EditMode::None) return buffer_.at(static_cast<size_t>(column));
        return currentRow().at(static_cast<size_t>(column));
    });
}

void Recordset::setFieldValue(int column, const Value& value) {
    recorded([&] {
        if (editMode_ == EditMode::None) throw EngineError(err::kUpdateWithoutEdit);
        const FieldInfo& info = backend().fields().at(static_cast<size_t>(column));
        if (info.isAutoIncrement() && editMode_ == EditMode::InProgress)
            throw EngineError(err::kPropertyReadOnly,
                              QStringLiteral("The AutoIncrement field '%1' cannot be changed.").arg(info.name));
        Value converted = coerceForField(value, info.type, info.name);
        checkFits(info, converted);
        buffer_[static_cast<size_t>(column)] = converted;
        changed_[static_cast<size_t>(column)] = true;
    });
}

}  // namespace veranth::engine
