#include "engine/native/row_backends.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/native/catalog.h"
#include "engine/sql/parser.h"
#include "engine/write_rules.h"

#include <sqlite3.h>

#include <cstring>

namespace veranth::engine::native {

namespace {

constexpr int kChunk = 1000;

QByteArray encodeIndex(std::int64_t n) { return QByteArray(reinterpret_cast<const char*>(&n), sizeof n); }

std::optional<std::int64_t> decodeIndex(const QByteArray& b) {
    if (b.size() != sizeof(std::int64_t)) return std::nullopt;
    std::int64_t n = 0;
    std::memcpy(&n, b.constData(), sizeof n);
    return n;
}

const FieldInfo* findField(const std::vector<FieldInfo>& fields, const QString& name) {
    for (const auto& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

QString orderTerm(const FieldInfo& f, bool descending) {
    return quoteName(f.name) + (isTextual(f.type) ? QStringLiteral(" COLLATE ") + QLatin1String(kCollation) : QString()) +
           (descending ? QStringLiteral(" DESC") : QString());
}

QString andJoin(const QString& a, const QString& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return QStringLiteral("(%1) AND (%2)").arg(a, b);
}

}  // namespace

void bindAll(Statement& statement, const BoundValues& values, int first) {
    for (size_t i = 0; i < values.size(); ++i) {
        const int index = first + static_cast<int>(i);
        if (values[i].second) statement.bind(index, values[i].first, *values[i].second);
        else statement.bind(index, values[i].first);
    }
}

WhereOrder translateFilterAndSort(const std::vector<FieldInfo>& fields, const QString& filter, const QString& sort) {
    WhereOrder out;
    if (!filter.trimmed().isEmpty()) {
        const auto sql = Criteria::parse(filter).toSql([&](const QString& name) -> std::optional<FieldType> {
            if (const FieldInfo* f = findField(fields, name)) return f->type;
            return std::nullopt;
        });
        out.where = sql.text;
        out.parameters = sql.parameters;
    }
    QStringList terms;
    if (sort.trimmed().isEmpty()) return out;
    std::vector<sql::OrderItem> items;
    try {
        items = sql::parseOrderList(sort);
    } catch (const sql::SqlSyntaxError& error) {
        throw EngineError::withDescription(error.errorNumber(), error.message());
    }
    // A Sort names fields of the recordset, as an ORDER BY of its query would.
    for (const sql::OrderItem& item : items) {
        const bool named = item.expression->kind == sql::ExpressionKind::Name;
        const QString name = named ? item.expression->as<sql::NameReference>().name() : sort.trimmed();
        const FieldInfo* f = named ? findField(fields, name) : nullptr;
        if (!f)
            throw EngineError::withDescription(
                err::kTooFewParameters, QStringLiteral("The sort column '%1' is not a field of the recordset.").arg(name));
        terms << orderTerm(*f, item.descending);
    }
    out.orderBy = terms.join(QStringLiteral(", "));
    return out;
}

// ---- KeysetBackend -------------------------------------------------------------------------

KeysetBackend::KeysetBackend(std::shared_ptr<SharedFile> file, TableInfo table, WhereOrder selection, bool updatable,
                             QString whyNot, TablePlace place)
    : file_(std::move(file)), table_(std::move(table)), place_(std::move(place)), selection_(std::move(selection)),
      updatable_(updatable), whyNot_(std::move(whyNot)) {
    if (place_.table.isEmpty()) place_.table = table_.name;
}

QString KeysetBackend::columnList() const {
    QStringList names;
    for (const auto& f : table_.fields) names << quoteName(f.name);
    return names.join(QStringLiteral(", "));
}

void KeysetBackend::remember(std::int64_t rowid) {
    if (positionsBuilt_) positions_.insert(rowid, static_cast<std::int64_t>(keys_.size()));
    keys_.push_back(rowid);
}

void KeysetBackend::fillChunk() {
    Connection& c = file_->connection();
    const QString table = place_.sql();
    if (selection_.orderBy.isEmpty()) {
        // Rowid order: each chunk is a finished statement, so no lock is held between them.
        const QString where = andJoin(selection_.where, QStringLiteral("rowid > ?"));
        Statement s = c.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid LIMIT %3").arg(table, where).arg(kChunk));
        bindAll(s, selection_.parameters);
        s.bindInt64(static_cast<int>(selection_.parameters.size()) + 1, lastRowid_);
        int read = 0;
        while (s.step()) {
            lastRowid_ = s.int64(0);
            ++read;
            if (!added_.count(lastRowid_)) remember(lastRowid_);
        }
        if (read < kChunk) complete_ = true;
        return;
    }
    const QString where = selection_.where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + selection_.where;
    Statement s = c.prepare(QStringLiteral("SELECT rowid FROM %1%2 ORDER BY %3, rowid").arg(table, where, selection_.orderBy));
    bindAll(s, selection_.parameters);
    while (s.step())
        if (!added_.count(s.int64(0))) remember(s.int64(0));
    complete_ = true;
}

bool KeysetBackend::ensure(std::int64_t index) {
    while (index >= knownCount() && !complete_) fillChunk();
    return index >= 0 && index < knownCount();
}

void KeysetBackend::readRow(std::int64_t index, std::vector<Value>& values) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    if (!fetch_)
        fetch_.emplace(file_->connection().prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columnList(), place_.sql())));
    fetch_->reset();
    fetch_->bindInt64(1, keys_[static_cast<size_t>(index)]);
    if (!fetch_->step()) {
        fetch_->reset();
        throw EngineError(err::kRecordDeleted);  // deleted by another statement since it was listed
    }
    values.resize(table_.fields.size());
    for (size_t i = 0; i < table_.fields.size(); ++i) values[i] = fetch_->value(static_cast<int>(i), table_.fields[i].type);
    fetch_->reset();
}

QByteArray KeysetBackend::bookmarkOf(std::int64_t index) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    return encodeIndex(keys_[static_cast<size_t>(index)]);
}

std::optional<std::int64_t> KeysetBackend::indexOfBookmark(const QByteArray& bookmark) {
    const auto rowid = decodeIndex(bookmark);
    if (!rowid) return std::nullopt;
    if (!positionsBuilt_) {
        for (size_t i = 0; i < keys_.size(); ++i) positions_.insert(keys_[i], static_cast<std::int64_t>(i));
        positionsBuilt_ = true;
    }
    for (;;) {
        if (auto it = positions_.constFind(*rowid); it != positions_.constEnd()) return *it;
        if (complete_) return std::nullopt;
        fillChunk();
    }
}

Value nextCounter(Connection& c, const TablePlace& place, const FieldInfo& field) {
    const QString columns = quoteName(place.schema) + QStringLiteral(".MSysColumns");
    Statement s = c.prepare(QStringLiteral(
        "SELECT max(IFNULL((SELECT AutoNext FROM %3 WHERE TableName = ? AND Name = ?), 1), "
        "IFNULL((SELECT max(%1) FROM %2), 0) + 1)").arg(quoteName(field.name), place.sql(), columns));
    s.bindText(1, place.table);
    s.bindText(2, field.name);
    s.step();
    const std::int64_t next = s.int64(0);
    Statement save = c.prepare(QStringLiteral("UPDATE %1 SET AutoNext = ? WHERE TableName = ? AND Name = ?").arg(columns));
    save.bindInt64(1, next + 1);
    save.bindText(2, place.table);
    save.bindText(3, field.name);
    save.step();
    return Value::longValue(static_cast<std::int32_t>(next));
}

std::int64_t KeysetBackend::insert(const std::vector<Value>& given) {
    std::vector<Value> values = given;
    checkRow(table_, values);  // before a counter value is drawn for the row
    file_->beforeWrite();
    for (size_t i = 0; i < table_.fields.size(); ++i)
        if (table_.fields[i].isAutoIncrement() && values[i].isNull())
            values[i] = nextCounter(file_->connection(), place_, table_.fields[i]);
    if (!insert_) {
        QStringList marks;
        for (size_t i = 0; i < table_.fields.size(); ++i) marks << QStringLiteral("?");
        insert_.emplace(file_->connection().prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                        .arg(place_.sql(), columnList(), marks.join(QStringLiteral(", ")))));
    }
    insert_->reset();
    for (size_t i = 0; i < table_.fields.size(); ++i) insert_->bind(static_cast<int>(i + 1), values[i], table_.fields[i].type);
    insert_->step();
    insert_->reset();
    const std::int64_t rowid = file_->connection().lastInsertRowid();
    if (!complete_) added_.insert(rowid);  // so the listing still to come does not list it twice
    remember(rowid);
    return knownCount() - 1;
}

void KeysetBackend::update(std::int64_t index, const std::vector<Value>& values, const std::vector<bool>& changed) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    file_->beforeWrite();
    checkRow(table_, values);
    QStringList sets;
    std::vector<size_t> columns;
    for (size_t i = 0; i < table_.fields.size(); ++i)
        if (changed[i]) {
            sets << quoteName(table_.fields[i].name) + QStringLiteral(" = ?");
            columns.push_back(i);
        }
    if (columns.empty()) return;
    Statement s = file_->connection().prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(place_.sql(), sets.join(QStringLiteral(", "))));
    int n = 1;
    for (size_t column : columns) s.bind(n++, values[column], table_.fields[column].type);
    s.bindInt64(n, keys_[static_cast<size_t>(index)]);
    s.step();
    if (file_->connection().changes() == 0) throw EngineError(err::kRecordDeleted);
}

void KeysetBackend::remove(std::int64_t index) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    file_->beforeWrite();
    Statement s = file_->connection().prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(place_.sql()));
    s.bindInt64(1, keys_[static_cast<size_t>(index)]);
    s.step();
    deleted_.insert(index);
}

std::shared_ptr<RecordsetBackend> KeysetBackend::reopen(const QString& filter, const QString& sort) {
    WhereOrder extra = translateFilterAndSort(table_.fields, filter, sort);
    WhereOrder combined = selection_;
    combined.where = andJoin(selection_.where, extra.where);
    combined.parameters.insert(combined.parameters.end(), extra.parameters.begin(), extra.parameters.end());
    if (!extra.orderBy.isEmpty()) combined.orderBy = extra.orderBy;
    auto fresh = std::make_shared<KeysetBackend>(file_, table_, combined, updatable_, whyNot_, place_);
    if (index_)  // the fresh set has its own copy of the table's indexes
        for (const auto& i : fresh->table_.indexes)
            if (i.name == index_->name) fresh->index_ = &i;
    return fresh;
}

std::shared_ptr<RecordsetBackend> KeysetBackend::withIndex(const QString& indexName) {
    const IndexInfo* chosen = nullptr;
    for (const auto& i : table_.indexes)
        if (i.name.compare(indexName, Qt::CaseInsensitive) == 0) chosen = &i;
    if (!chosen) throw EngineError(err::kItemNotFound, indexName);
    WhereOrder selection = selection_;
    QStringList terms;
    for (const auto& key : chosen->keys) {
        const FieldInfo* f = findField(table_.fields, key.field);
        if (!f) throw EngineError(err::kItemNotFound, key.field);
        terms << orderTerm(*f, key.descending);
    }
    selection.orderBy = terms.join(QStringLiteral(", "));
    auto fresh = std::make_shared<KeysetBackend>(file_, table_, selection, updatable_, whyNot_, place_);
    for (const auto& i : fresh->table_.indexes)
        if (i.name.compare(indexName, Qt::CaseInsensitive) == 0) fresh->index_ = &i;
    return fresh;
}

std::optional<std::int64_t> KeysetBackend::seek(const QString& op, const std::vector<Value>& keys) {
    if (!index_) throw EngineError(err::kNoCurrentIndex);
    if (keys.empty() || keys.size() > index_->keys.size())
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("Seek needs from 1 to %1 key values").arg(index_->keys.size()));
    std::vector<const FieldInfo*> keyFields;
    for (size_t i = 0; i < keys.size(); ++i) keyFields.push_back(findField(table_.fields, index_->keys[i].field));
    BoundValues bound = selection_.parameters;
    QStringList left, right;
    for (size_t i = 0; i < keys.size(); ++i) {
        const Value converted = coerceForField(keys[i], keyFields[i]->type, keyFields[i]->name);
        left << quoteName(keyFields[i]->name);
        right << QStringLiteral("?");
        bound.emplace_back(converted, keyFields[i]->type);
    }
    QString condition;
    if (op == QLatin1String("=")) {
        QStringList parts;
        for (int i = 0; i < left.size(); ++i) parts << left[i] + QStringLiteral(" = ?");
        condition = parts.join(QStringLiteral(" AND "));
    } else {
        condition = QStringLiteral("(%1) %2 (%3)").arg(left.join(QStringLiteral(", ")), op, right.join(QStringLiteral(", ")));
    }
    const bool backwards = op.startsWith(QLatin1Char('<'));
    QStringList order;
    for (const auto* f : keyFields) order << orderTerm(*f, backwards);
    order << (backwards ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
    Statement s = file_->connection().prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY %3 LIMIT 1")
                                                  .arg(place_.sql(), andJoin(selection_.where, condition),
                                                       order.join(QStringLiteral(", "))));
    bindAll(s, bound);
    if (!s.step()) return std::nullopt;
    return indexOfBookmark(encodeIndex(s.int64(0)));
}

// ---- MaterialisedBackend -------------------------------------------------------------------

MaterialisedBackend::MaterialisedBackend(std::shared_ptr<SharedFile> file, QString sql, BoundValues parameters,
                                         std::optional<std::vector<FieldInfo>> knownFields, bool forwardOnly,
                                         std::vector<bool> typedColumns)
    : file_(std::move(file)), sql_(std::move(sql)), parameters_(std::move(parameters)), forwardOnly_(forwardOnly) {
    statement_.emplace(file_->connection().prepare(sql_));
    const int expected = sqlite3_bind_parameter_count(statement_->handle());
    if (expected > static_cast<int>(parameters_.size()))
        throw EngineError(err::kTooFewParameters, QString::number(expected - static_cast<int>(parameters_.size())));
    bindAll(*statement_, parameters_);
    if (knownFields) {
        fields_ = *knownFields;
        typed_ = typedColumns.empty() ? std::vector<bool>(fields_.size(), true) : std::move(typedColumns);
    } else {
        for (int i = 0; i < statement_->columnCount(); ++i) {
            FieldInfo f;
            f.name = statement_->columnName(i);
            int size = 0;
            const char* declared = sqlite3_column_decltype(statement_->handle(), i);
            f.type = declared ? catalog::typeFromStorage(QString::fromUtf8(declared), &size) : FieldType::Memo;
            f.size = size > 0 ? size : defaultFieldSize(f.type);
            f.sourceTable = QString::fromUtf8(sqlite3_column_table_name(statement_->handle(), i));
            f.sourceField = QString::fromUtf8(sqlite3_column_origin_name(statement_->handle(), i));
            typed_.push_back(declared != nullptr);
            fields_.push_back(f);
        }
    }
    file_->addReader(this);
}

MaterialisedBackend::~MaterialisedBackend() { finish(); }

void MaterialisedBackend::finish() {
    if (statement_) {
        statement_.reset();
        file_->removeReader(this);
    }
}

bool MaterialisedBackend::readOne() {
    if (!statement_) return false;
    if (!statement_->step()) {
        finish();
        return false;
    }
    std::vector<Value> values = std::move(spare_);
    values.resize(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i) {
        const int column = static_cast<int>(i);
        values[i] = typed_[i] ? statement_->value(column, fields_[i].type) : statement_->dynamicValue(column);
    }
    spare_ = std::vector<Value>();
    rows_.push_back(std::move(values));
    return true;
}

void MaterialisedBackend::readRest() {
    while (readOne()) {
    }
}

bool MaterialisedBackend::ensure(std::int64_t index) {
    if (index < 0) return false;
    if (forwardOnly_)
        while (!rows_.empty() && base_ < index) {
            spare_ = std::move(rows_.front());
            rows_.pop_front();
            ++base_;
        }
    while (index >= knownCount())
        if (!readOne()) break;
    return index < knownCount();
}

void MaterialisedBackend::readRow(std::int64_t index, std::vector<Value>& out) {
    if (index < base_) throw EngineError(err::kNotSupported, QStringLiteral("A forward-only recordset cannot go back."));
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    out = rows_[static_cast<size_t>(index - base_)];
}

QByteArray MaterialisedBackend::bookmarkOf(std::int64_t index) { return encodeIndex(index); }

std::optional<std::int64_t> MaterialisedBackend::indexOfBookmark(const QByteArray& bookmark) {
    const auto index = decodeIndex(bookmark);
    if (!index || !ensure(*index)) return std::nullopt;
    return index;
}

QString MaterialisedBackend::whyNotUpdatable() const {
    return QStringLiteral("Its rows do not come from one stored table.");
}

std::int64_t MaterialisedBackend::insert(const std::vector<Value>&) {
    throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable());
}

void MaterialisedBackend::update(std::int64_t, const std::vector<Value>&, const std::vector<bool>&) {
    throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable());
}

void MaterialisedBackend::remove(std::int64_t) { throw EngineError(err::kRecordsetNotUpdatable, whyNotUpdatable()); }

std::shared_ptr<RecordsetBackend> MaterialisedBackend::reopen(const QString& filter, const QString& sort) {
    const WhereOrder extra = translateFilterAndSort(fields_, filter, sort);
    QString sql = sql_;
    BoundValues parameters = parameters_;
    if (!extra.where.isEmpty() || !extra.orderBy.isEmpty()) {
        sql = QStringLiteral("SELECT * FROM (%1)").arg(sql_);
        if (!extra.where.isEmpty()) sql += QStringLiteral(" WHERE ") + extra.where;
        if (!extra.orderBy.isEmpty()) sql += QStringLiteral(" ORDER BY ") + extra.orderBy;
        parameters.insert(parameters.end(), extra.parameters.begin(), extra.parameters.end());
    }
    auto fresh = std::make_shared<MaterialisedBackend>(file_, sql, parameters, fields_, forwardOnly_);
    fresh->typed_ = typed_;
    return fresh;
}

std::shared_ptr<RecordsetBackend> MaterialisedBackend::withIndex(const QString&) {
    throw EngineError(err::kNotSupported, QStringLiteral("Only a table-type recordset has an index."));
}

std::optional<std::int64_t> MaterialisedBackend::seek(const QString&, const std::vector<Value>&) {
    throw EngineError(err::kNotSupported, QStringLiteral("Seek needs a table-type recordset."));
}

}  // namespace veranth::engine::native
