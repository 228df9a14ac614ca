#include "engine/odbc/odbc_backends.h"

#include "engine/errors.h"
#include "engine/odbc/odbc_dialect.h"

#include <QDataStream>
#include <QIODevice>

namespace veranth::engine::odbc {

namespace {

QByteArray indexBookmark(std::int64_t index) {
    QByteArray b;
    QDataStream(&b, QIODevice::WriteOnly) << static_cast<qint64>(index);
    return b;
}

std::optional<std::int64_t> bookmarkIndex(const QByteArray& bookmark) {
    if (bookmark.size() != 8) return std::nullopt;
    qint64 index = 0;
    QDataStream(bookmark) >> index;
    return index;
}

[[noreturn]] void notUpdatable(const QString& why) { throw EngineError(err::kRecordsetNotUpdatable, why); }
[[noreturn]] void noSeek() {
    throw EngineError(err::kNotSupported, QStringLiteral("Seek and Index need a table-type recordset on a native table."));
}

}  // namespace

// ---- ResultBackend --------------------------------------------------------------------------

ResultBackend::ResultBackend(std::unique_ptr<Statement> statement, Reopen reopen)
    : statement_(std::move(statement)), reopen_(std::move(reopen)) {
    int ordinal = 0;
    for (const ColumnInfo& c : statement_->columns()) fields_.push_back(fieldInfoOf(c, ordinal++));
}

bool ResultBackend::fetchOne() {
    if (!statement_) return false;
    if (!statement_->fetch()) {
        statement_.reset();
        return false;
    }
    std::vector<Value> row;
    row.reserve(fields_.size());
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i) row.push_back(statement_->value(i));
    rows_.push_back(std::move(row));
    return true;
}

bool ResultBackend::ensure(std::int64_t index) {
    while (static_cast<std::int64_t>(rows_.size()) <= index)
        if (!fetchOne()) return false;
    return true;
}

void ResultBackend::readRest() {
    while (fetchOne()) {
    }
}

void ResultBackend::readRow(std::int64_t index, std::vector<Value>& out) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    out = rows_[static_cast<size_t>(index)];
}

QByteArray ResultBackend::bookmarkOf(std::int64_t index) { return indexBookmark(index); }
std::optional<std::int64_t> ResultBackend::indexOfBookmark(const QByteArray& bookmark) { return bookmarkIndex(bookmark); }
QString ResultBackend::whyNotUpdatable() const { return QStringLiteral("Snapshots and forward-only recordsets are read-only."); }
std::int64_t ResultBackend::insert(const std::vector<Value>&) { notUpdatable(whyNotUpdatable()); }
void ResultBackend::update(std::int64_t, const std::vector<Value>&, const std::vector<bool>&) { notUpdatable(whyNotUpdatable()); }
void ResultBackend::remove(std::int64_t) { notUpdatable(whyNotUpdatable()); }
std::shared_ptr<RecordsetBackend> ResultBackend::reopen(const QString& filter, const QString& sort) { return reopen_(filter, sort); }
std::shared_ptr<RecordsetBackend> ResultBackend::withIndex(const QString&) { noSeek(); }
std::optional<std::int64_t> ResultBackend::seek(const QString&, const std::vector<Value>&) { noSeek(); }

// ---- KeyedTableBackend ----------------------------------------------------------------------

KeyedTableBackend::KeyedTableBackend(std::shared_ptr<DriverConnection> connection, Source source, Reopen reopen,
                                     std::function<void()> beforeWrite)
    : connection_(std::move(connection)), source_(std::move(source)), reopen_(std::move(reopen)),
      beforeWrite_(std::move(beforeWrite)) {
    QStringList keyColumns;
    for (const QString& k : source_.keys) keyColumns << column(k);
    QString sql = QStringLiteral("SELECT ") + keyColumns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                  column(source_.table);
    if (!source_.where.isEmpty()) sql += QStringLiteral(" WHERE ") + source_.where;
    if (!source_.orderBy.isEmpty()) sql += QStringLiteral(" ORDER BY ") + source_.orderBy;
    keyStatement_ = std::make_unique<Statement>(connection_);
    keyStatement_->setQueryTimeout(source_.queryTimeout);
    keyStatement_->execute(sql);
}

QString KeyedTableBackend::column(const QString& name) const { return quoteIdentifier(name, source_.quote); }

int KeyedTableBackend::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < source_.fields.size(); ++i)
        if (source_.fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

bool KeyedTableBackend::fetchKey() {
    if (!keyStatement_) return false;
    if (!keyStatement_->fetch()) {
        keyStatement_.reset();
        return false;
    }
    std::vector<Value> key;
    for (int i = 0; i < static_cast<int>(source_.keys.size()); ++i) key.push_back(keyStatement_->value(i));
    keys_.push_back(std::move(key));
    return true;
}

bool KeyedTableBackend::ensure(std::int64_t index) {
    while (static_cast<std::int64_t>(keys_.size()) <= index)
        if (!fetchKey()) return false;
    return true;
}

QString KeyedTableBackend::keyCondition(ParameterBinder& binder, const std::vector<Value>& key) const {
    QStringList parts;
    for (size_t i = 0; i < source_.keys.size(); ++i) {
        const int f = fieldIndex(source_.keys[i]);
        parts << column(source_.keys[i]) + QStringLiteral(" = ?");
        binder.bind(key[i], f >= 0 ? source_.fields[static_cast<size_t>(f)].type : FieldType::Text);
    }
    return parts.join(QStringLiteral(" AND "));
}

void KeyedTableBackend::readRow(std::int64_t index, std::vector<Value>& out) {
    if (!ensure(index)) throw EngineError(err::kNoCurrentRecord);
    if (deleted_.count(index)) throw EngineError(err::kRecordDeleted);
    if (index == cachedIndex_) {
        out = cachedRow_;
        return;
    }
    QStringList columns;
    for (const FieldInfo& f : source_.fields) columns << column(f.name);
    Statement s(connection_);
    s.setQueryTimeout(source_.queryTimeout);
    const QString where = keyCondition(s.parameters(), keys_[static_cast<size_t>(index)]);
    s.execute(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + column(source_.table) +
              QStringLiteral(" WHERE ") + where);
    if (!s.fetch()) throw EngineError(err::kRecordDeleted);
    out.clear();
    for (int i = 0; i < static_cast<int>(source_.fields.size()); ++i) out.push_back(s.value(i));
    cachedIndex_ = index;
    cachedRow_ = out;
}

QByteArray KeyedTableBackend::bookmarkOf(std::int64_t index) { return indexBookmark(index); }
std::optional<std::int64_t> KeyedTableBackend::indexOfBookmark(const QByteArray& bookmark) { return bookmarkIndex(bookmark); }

std::vector<Value> KeyedTableBackend::lastInsertedKey(const std::vector<Value>& values) {
    std::vector<Value> key;
    bool missing = false;
    for (const QString& k : source_.keys) {
        const int f = fieldIndex(k);
        key.push_back(f >= 0 ? values[static_cast<size_t>(f)] : Value::null());
        missing = missing || key.back().isMissing();
    }
    if (!missing || source_.keys.size() != 1) return key;
    // The server numbered the new row: ask it which number it gave.
    const QString dbms = source_.dbms.toLower();
    QString ask;
    if (dbms.contains(QLatin1String("postgres"))) ask = QStringLiteral("SELECT lastval()");
    else if (dbms.contains(QLatin1String("sqlite"))) ask = QStringLiteral("SELECT last_insert_rowid()");
    else ask = QStringLiteral("SELECT @@IDENTITY");
    Statement s(connection_);
    if (s.execute(ask) && s.fetch()) key[0] = s.value(0);
    return key;
}

std::int64_t KeyedTableBackend::insert(const std::vector<Value>& values) {
    if (source_.readOnly) notUpdatable(source_.whyNot);
    if (beforeWrite_) beforeWrite_();
    while (fetchKey()) {
    }
    QStringList columns, markers;
    Statement s(connection_);
    s.setQueryTimeout(source_.queryTimeout);
    for (size_t i = 0; i < source_.fields.size(); ++i) {
        const FieldInfo& f = source_.fields[i];
        if (values[i].isMissing() && (f.isAutoIncrement() || !f.defaultValue.isEmpty())) continue;
        if (values[i].isEmpty()) continue;
        columns << column(f.name);
        markers << QStringLiteral("?");
        s.parameters().bind(values[i], f.type);
    }
    QString sql = QStringLiteral("INSERT INTO ") + column(source_.table);
    sql += columns.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                             : QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                                   markers.join(QStringLiteral(", ")) + QLatin1Char(')');
    s.execute(sql);
    keys_.push_back(lastInsertedKey(values));
    cachedIndex_ = -1;
    return static_cast<std::int64_t>(keys_.size()) - 1;
}

void KeyedTableBackend::update(std::int64_t index, const std::vector<Value>& values, const std::vector<bool>& changed) {
    if (source_.readOnly) notUpdatable(source_.whyNot);
    if (beforeWrite_) beforeWrite_();
    QStringList sets;
    Statement s(connection_);
    s.setQueryTimeout(source_.queryTimeout);
    for (size_t i = 0; i < source_.fields.size(); ++i) {
        if (i >= changed.size() || !changed[i]) continue;
        sets << column(source_.fields[i].name) + QStringLiteral(" = ?");
        s.parameters().bind(values[i].isEmpty() ? Value::null() : values[i], source_.fields[i].type);
    }
    cachedIndex_ = -1;
    if (sets.isEmpty()) return;
    std::vector<Value>& key = keys_[static_cast<size_t>(index)];
    const QString where = keyCondition(s.parameters(), key);
    s.execute(QStringLiteral("UPDATE ") + column(source_.table) + QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
              QStringLiteral(" WHERE ") + where);
    if (s.rowCount() == 0) throw EngineError(err::kRecordDeleted);
    for (size_t k = 0; k < source_.keys.size(); ++k) {
        const int f = fieldIndex(source_.keys[k]);
        if (f >= 0 && static_cast<size_t>(f) < changed.size() && changed[static_cast<size_t>(f)]) key[k] = values[static_cast<size_t>(f)];
    }
}

void KeyedTableBackend::remove(std::int64_t index) {
    if (source_.readOnly) notUpdatable(source_.whyNot);
    if (beforeWrite_) beforeWrite_();
    Statement s(connection_);
    s.setQueryTimeout(source_.queryTimeout);
    const QString where = keyCondition(s.parameters(), keys_[static_cast<size_t>(index)]);
    s.execute(QStringLiteral("DELETE FROM ") + column(source_.table) + QStringLiteral(" WHERE ") + where);
    deleted_.insert(index);
    cachedIndex_ = -1;
}

std::shared_ptr<RecordsetBackend> KeyedTableBackend::reopen(const QString& filter, const QString& sort) {
    return reopen_(filter, sort);
}
std::shared_ptr<RecordsetBackend> KeyedTableBackend::withIndex(const QString&) { noSeek(); }
std::optional<std::int64_t> KeyedTableBackend::seek(const QString&, const std::vector<Value>&) { noSeek(); }

}  // namespace veranth::engine::odbc
