#include "engine/direct/resultset.h"

#include "engine/errors.h"

#include <QRegularExpression>

namespace veranth::engine::direct {

namespace {

// The one table a plain "SELECT ... FROM table [WHERE ...] [ORDER BY ...]" reads, as written.
QString singleBaseTable(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*SELECT\s+.+?\s+FROM\s+((?:\[[^\]]+\]|"[^"]+"|[\w$#@]+)(?:\.(?:\[[^\]]+\]|"[^"]+"|[\w$#@]+))*)\s*(?:(?:WHERE|ORDER)\b.*)?;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = pattern.match(sql);
    if (!m.hasMatch()) return QString();
    static const QRegularExpression join(QStringLiteral(R"(\bJOIN\b)"), QRegularExpression::CaseInsensitiveOption);
    if (join.match(sql).hasMatch()) return QString();
    return m.captured(1);
}

bool comparable(const odbc::ColumnInfo& c) {
    return c.type != FieldType::Memo && c.type != FieldType::LongBinary && c.type != FieldType::Binary;
}

}  // namespace

Resultset::Resultset(std::shared_ptr<odbc::DriverConnection> link, const QString& sql, int cursorType, int lockType,
                     int queryTimeout)
    : link_(std::move(link)), forwardOnly_(cursorType == cursor::kForwardOnly) {
    statement_ = std::make_unique<odbc::Statement>(link_);
    statement_->setQueryTimeout(queryTimeout);
    statement_->execute(sql);
    columns_ = statement_->columns();
    if (forwardOnly_) {
        position_ = 0;
        fetchNext();
    } else {
        while (statement_->fetch()) {
            std::vector<Value> row;
            row.reserve(columns_.size());
            for (int i = 0; i < columnCount(); ++i) row.push_back(statement_->value(i));
            rows_.push_back(std::move(row));
        }
        read_ = static_cast<std::int64_t>(rows_.size());
        exhausted_ = true;
        statement_.reset();
        position_ = 0;
        if (lockType != lock::kReadOnly && lockType != lock::kBatch) {
            baseTable_ = singleBaseTable(sql);
            updatable_ = !baseTable_.isEmpty() && !columns_.empty();
        }
    }
}

Resultset::~Resultset() = default;

bool Resultset::fetchNext() {
    rows_.clear();
    if (exhausted_ || !statement_) return false;
    if (!statement_->fetch()) {
        exhausted_ = true;
        statement_->closeCursor();
        return false;
    }
    std::vector<Value> row;
    row.reserve(columns_.size());
    for (int i = 0; i < columnCount(); ++i) row.push_back(statement_->value(i));
    rows_.push_back(std::move(row));
    ++read_;
    return true;
}

QString Resultset::columnName(int column) const {
    if (column < 0 || column >= columnCount()) throw EngineError(err::kItemNotFound, QString::number(column));
    return columns_[static_cast<size_t>(column)].name;
}

int Resultset::columnIndex(const QString& name) const {
    for (int i = 0; i < columnCount(); ++i)
        if (columns_[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    throw EngineError(err::kItemNotFound, name);
}

bool Resultset::bof() const { return forwardOnly_ ? rows_.empty() && read_ == 0 : rows_.empty() || position_ < 0; }

bool Resultset::eof() const {
    if (forwardOnly_) return rows_.empty();
    return rows_.empty() || position_ >= static_cast<std::int64_t>(rows_.size());
}

std::int64_t Resultset::rowCount() const { return read_; }

void Resultset::requireCurrent() const {
    if (!open_) throw EngineError(err::kInvalidOperation, QStringLiteral("The result set is closed."));
    if (eof() || (!forwardOnly_ && position_ < 0)) throw EngineError(err::kNoCurrentRecord);
}

const std::vector<Value>& Resultset::current() const {
    requireCurrent();
    return forwardOnly_ ? rows_.front() : rows_[static_cast<size_t>(position_)];
}

void Resultset::moveNext() {
    if (editing_) cancelUpdate();
    if (forwardOnly_) {
        if (rows_.empty()) throw EngineError(err::kNoCurrentRecord);
        fetchNext();
        return;
    }
    if (eof()) throw EngineError(err::kNoCurrentRecord);
    ++position_;
}

void Resultset::movePrevious() {
    if (forwardOnly_) throw EngineError(err::kNotSupported, QStringLiteral("A forward-only result set moves forward only."));
    if (editing_) cancelUpdate();
    if (position_ < 0) throw EngineError(err::kNoCurrentRecord);
    --position_;
}

void Resultset::moveFirst() {
    if (forwardOnly_) throw EngineError(err::kNotSupported, QStringLiteral("A forward-only result set moves forward only."));
    if (editing_) cancelUpdate();
    position_ = 0;
}

void Resultset::moveLast() {
    if (forwardOnly_) throw EngineError(err::kNotSupported, QStringLiteral("A forward-only result set moves forward only."));
    if (editing_) cancelUpdate();
    position_ = rows_.empty() ? 0 : static_cast<std::int64_t>(rows_.size()) - 1;
}

Value Resultset::value(int column) const {
    const auto& row = current();
    if (column < 0 || column >= columnCount()) throw EngineError(err::kItemNotFound, QString::number(column));
    if (editing_) return buffer_[static_cast<size_t>(column)];
    return row[static_cast<size_t>(column)];
}

void Resultset::edit() {
    requireCurrent();
    if (!updatable_)
        throw EngineError(err::kRecordsetNotUpdatable,
                          QStringLiteral("Open it with a dynamic or keyset cursor and value locking, on one table."));
    buffer_ = current();
    changed_.assign(columns_.size(), false);
    editing_ = true;
}

void Resultset::setValue(int column, const Value& value) {
    if (column < 0 || column >= columnCount()) throw EngineError(err::kItemNotFound, QString::number(column));
    if (!editing_) throw EngineError(err::kUpdateWithoutEdit);
    buffer_[static_cast<size_t>(column)] = value;
    changed_[static_cast<size_t>(column)] = true;
}

void Resultset::cancelUpdate() {
    editing_ = false;
    buffer_.clear();
    changed_.clear();
}

void Resultset::update() {
    if (!editing_) throw EngineError(err::kUpdateWithoutEdit);
    std::vector<Value>& row = rows_[static_cast<size_t>(position_)];
    const QString q = link_->identifierQuote();
    auto quoted = [&](const QString& name) {
        QString inner = name;
        inner.replace(q, q + q);
        return q + inner + q;
    };
    QStringList sets, where;
    odbc::Statement statement(link_);
    for (int i = 0; i < columnCount(); ++i) {
        if (!changed_[static_cast<size_t>(i)]) continue;
        sets << quoted(columns_[static_cast<size_t>(i)].name) + QStringLiteral(" = ?");
        statement.parameters().bind(buffer_[static_cast<size_t>(i)], columns_[static_cast<size_t>(i)].type);
    }
    if (sets.isEmpty()) {
        cancelUpdate();
        return;
    }
    for (int i = 0; i < columnCount(); ++i) {
        const auto& c = columns_[static_cast<size_t>(i)];
        if (!comparable(c)) continue;
        const Value& before = row[static_cast<size_t>(i)];
        if (before.isMissing()) {
            where << quoted(c.name) + QStringLiteral(" IS NULL");
        } else {
            where << quoted(c.name) + QStringLiteral(" = ?");
            statement.parameters().bind(before, c.type);
        }
    }
    QString sql = QStringLiteral("UPDATE ") + baseTable_ + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    statement.execute(sql);
    const std::int64_t n = statement.rowCount();
    if (n == 0) {
        bool alreadyWritten = false;
        for (const Written& w : written_)
            if (w.before == row && w.after == buffer_) alreadyWritten = true;
        if (!alreadyWritten)
            throw EngineError::withDescription(
                err::kOdbcCallFailed,
                QStringLiteral("ODBC--call failed. The row was changed or deleted since it was read; nothing was "
                               "updated."));
    }
    written_.push_back({row, buffer_});
    row = buffer_;
    cancelUpdate();
}

void Resultset::close() {
    statement_.reset();
    rows_.clear();
    open_ = false;
    editing_ = false;
}

}  // namespace veranth::engine::direct
