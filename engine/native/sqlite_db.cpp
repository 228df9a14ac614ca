#include "engine/native/sqlite_db.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/like.h"
#include "engine/sql/dialect_functions.h"
#include "engine/value_ops.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cstring>

namespace veranth::engine::native {

namespace {

QString utf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

bool isAscii(const void* data, int length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int i = 0; i < length; ++i)
        if (bytes[i] & 0x80) return false;
    return true;
}

int asciiFold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// The collation of every stored text. Pure ASCII takes a fast path that orders exactly as
// compareText does (case folding of ASCII is lower-casing), so indexes stay consistent.
int compareCollated(void*, int lengthA, const void* a, int lengthB, const void* b) {
    if (isAscii(a, lengthA) && isAscii(b, lengthB)) {
        const auto* x = static_cast<const unsigned char*>(a);
        const auto* y = static_cast<const unsigned char*>(b);
        const int n = std::min(lengthA, lengthB);
        for (int i = 0; i < n; ++i) {
            const int d = asciiFold(x[i]) - asciiFold(y[i]);
            if (d != 0) return d;
        }
        return lengthA - lengthB;
    }
    return compareText(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                       QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

void likeFunction(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL || sqlite3_value_type(args[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QString text = utf8(reinterpret_cast<const char*>(sqlite3_value_text(args[0])));
    const QString pattern = utf8(reinterpret_cast<const char*>(sqlite3_value_text(args[1])));
    sqlite3_result_int(context, likeMatch(text, pattern) ? -1 : 0);
}

// Names inside SQLite's messages, e.g. "UNIQUE constraint failed: Clients.Code".
QString firstNameAfter(const QString& message, const QString& marker) {
    const qsizetype at = message.indexOf(marker);
    if (at < 0) return QString();
    QString rest = message.mid(at + marker.size()).trimmed();
    const qsizetype end = rest.indexOf(QRegularExpression(QStringLiteral("[\\s,.]")));
    return end < 0 ? rest : rest.left(end);
}

}  // namespace

std::unique_ptr<Connection> Connection::open(const QString& path, bool readOnly, bool create) {
    sqlite3* db = nullptr;
    // One connection is only ever used by one thread at a time, so SQLite's own per-call
    // locking is left out (the file locks between processes stay).
    const int flags = SQLITE_OPEN_NOMUTEX |
                      (readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0)));
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    std::unique_ptr<Connection> connection(new Connection(db, path, readOnly));
    if (rc != SQLITE_OK) connection->fail(rc, path);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, compareCollated, nullptr);
    sqlite3_create_function_v2(db, kLikeFunction, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                               nullptr, nullptr, nullptr);
    sql::registerDialectFunctions(db);
    // A busy file waits a little for another process's write to finish, then reports 3260.
    sqlite3_busy_timeout(db, 3000);
    // Reading the schema is the first touch of the file: a foreign or damaged file fails here.
    connection->exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!readOnly) {
        // Rollback journal, never WAL: WAL needs shared memory that network file systems
        // cannot provide safely, and Corvane files live on shared folders. FULL sync keeps a
        // committed transaction on disk through a power cut.
        connection->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        connection->exec(QStringLiteral("PRAGMA synchronous=FULL"));
    }
    return connection;
}

Connection::~Connection() { sqlite3_close_v2(db_); }

void Connection::exec(const QString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) fail(rc, sql);
}

Statement Connection::prepare(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) fail(rc, sql);
    return Statement(*this, stmt);
}

std::int64_t Connection::lastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

int Connection::changes() const { return sqlite3_changes(db_); }

void Connection::fail(int code, const QString& context) const {
    const QString message = db_ ? utf8(sqlite3_errmsg(db_)) : QString();
    // A dialect function that failed carries the engine's own error inside SQLite's message.
    if (auto own = sql::engineErrorFromSqliteMessage(message)) throw *own;
    switch (code & 0xFF) {
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_NOTNULL)
            throw EngineError(err::kRequiredIsNull, firstNameAfter(message, QStringLiteral("failed:")));
        throw EngineError(err::kDuplicateKey, firstNameAfter(message, QStringLiteral("failed:")).section('.', 0, 0));
    case SQLITE_BUSY:
    case SQLITE_LOCKED: throw EngineError(err::kLocked, path_);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: throw EngineError(err::kDamagedDatabase, path_, message);
    case SQLITE_FULL: throw EngineError(err::kDiskFull);
    case SQLITE_READONLY: throw EngineError(err::kReadOnly, path_);
    case SQLITE_CANTOPEN: throw EngineError(err::kFileNotFound, path_);
    default: break;
    }
    if (message.startsWith(QStringLiteral("no such table:")))
        throw EngineError(err::kInputTableNotFound, message.mid(14).trimmed());
    if (message.contains(QStringLiteral("already exists")) && message.startsWith(QStringLiteral("table")))
        throw EngineError(err::kTableExists, message.section(' ', 1, 1));
    if (message.startsWith(QStringLiteral("no such column:")))
        throw EngineError::withDescription(
            err::kTooFewParameters,
            QStringLiteral("Too few parameters. Expected 1. ('%1' is not a field of the source.)")
                .arg(message.mid(15).trimmed()));
    if (message.contains(QStringLiteral("syntax error")))
        throw EngineError::withDescription(err::kSyntaxErrorInExpression,
                                           QStringLiteral("Syntax error (%1) in '%2'.").arg(message, context));
    throw EngineError(err::kInvalidOperation, message);
}

Statement::Statement(Statement&& other) noexcept : connection_(other.connection_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        connection_ = other.connection_;
        stmt_ = other.stmt_;
        other.stmt_ = nullptr;
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bindInt64(int index, std::int64_t v) { sqlite3_bind_int64(stmt_, index, v); }

void Statement::bindText(int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(stmt_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void Statement::bindNull(int index) { sqlite3_bind_null(stmt_, index); }

void Statement::bind(int index, const Value& value, FieldType storage) {
    if (value.isMissing()) return bindNull(index);
    switch (storage) {
    case FieldType::Boolean: return bindInt64(index, toBoolean(value) ? -1 : 0);
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: return bindInt64(index, toLong(value));
    case FieldType::Currency: return bindInt64(index, toCurrency(value).scaled);
    case FieldType::Single:
    case FieldType::Double: sqlite3_bind_double(stmt_, index, toDouble(value)); return;
    case FieldType::Date: sqlite3_bind_double(stmt_, index, toDate(value)); return;
    case FieldType::Text:
    case FieldType::Memo: return bindText(index, toText(value));
    case FieldType::Binary:
    case FieldType::LongBinary: {
        const QByteArray bytes = convertTo(value, ValueType::Binary).rawBinary();
        sqlite3_bind_blob(stmt_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

void Statement::bind(int index, const Value& value) {
    switch (value.type()) {
    case ValueType::Empty:
    case ValueType::Null: return bindNull(index);
    case ValueType::Boolean: return bindInt64(index, value.rawBool() ? -1 : 0);
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: return bindInt64(index, value.rawInteger());
    case ValueType::Currency: sqlite3_bind_double(stmt_, index, value.rawCurrency().toDouble()); return;
    case ValueType::Single:
    case ValueType::Double:
    case ValueType::Date: sqlite3_bind_double(stmt_, index, value.rawDouble()); return;
    case ValueType::String: return bindText(index, value.rawString());
    case ValueType::Binary: return bind(index, value, FieldType::LongBinary);
    }
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    connection_->fail(rc, utf8(sqlite3_sql(stmt_)));
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

QString Statement::columnName(int column) const { return utf8(sqlite3_column_name(stmt_, column)); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t Statement::int64(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

QString Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(stmt_, column));
}

Value Statement::dynamicValue(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL: return Value::null();
    case SQLITE_INTEGER: {
        const auto n = int64(column);
        if (n >= INT32_MIN && n <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(n));
        return Value::doubleValue(static_cast<double>(n));
    }
    case SQLITE_FLOAT: return Value::doubleValue(real(column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return Value::binary(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    default: return Value(text(column));
    }
}

Value Statement::value(int column, FieldType storage) const {
    const int stored = sqlite3_column_type(stmt_, column);
    if (stored == SQLITE_NULL) return Value::null();
    const bool integer = stored == SQLITE_INTEGER;
    switch (storage) {
    case FieldType::Boolean: return Value::boolean(int64(column) != 0);
    case FieldType::Byte:
        if (integer) return Value::byte(static_cast<std::uint8_t>(int64(column)));
        break;
    case FieldType::Integer:
        if (integer) return Value::integer(static_cast<std::int16_t>(int64(column)));
        break;
    case FieldType::Long:
        if (integer) {
            // Files made by other tools may hold wider integers than a Long: keep them whole.
            const auto n = int64(column);
            if (n >= INT32_MIN && n <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(n));
            return Value::doubleValue(static_cast<double>(n));
        }
        break;
    case FieldType::Currency:
        if (integer) return Value::currency(Currency{int64(column)});
        break;
    case FieldType::Single:
        if (stored != SQLITE_TEXT) return Value::single(static_cast<float>(real(column)));
        break;
    case FieldType::Double:
        if (stored != SQLITE_TEXT) return Value::doubleValue(real(column));
        break;
    case FieldType::Date:
        if (stored != SQLITE_TEXT) return Value::date(real(column));
        break;
    case FieldType::Text:
    case FieldType::Memo: return Value(text(column));
    case FieldType::Binary:
    case FieldType::LongBinary: return dynamicValue(column).isText() ? Value::binary(text(column).toUtf8())
                                                                     : dynamicValue(column);
    }
    // Data written by other tools in another storage class: convert it when it can be,
    // otherwise show it as it is rather than fail the whole row.
    const Value raw = dynamicValue(column);
    try {
        return coerceForField(raw, storage, columnName(column));
    } catch (const EngineError&) {
        return raw;
    }
}

FieldType Statement::declaredType(int column) const {
    return fieldTypeFromDeclared(utf8(sqlite3_column_decltype(stmt_, column)));
}

FieldType fieldTypeFromDeclared(const QString& declared) {
    const QString t = declared.toUpper();
    if (t.contains(QStringLiteral("BOOL")) || t == QStringLiteral("BIT")) return FieldType::Boolean;
    if (t.contains(QStringLiteral("CURRENCY")) || t.contains(QStringLiteral("MONEY"))) return FieldType::Double;
    if (t.contains(QStringLiteral("DATE")) || t.contains(QStringLiteral("TIME"))) return FieldType::Date;
    if (t.contains(QStringLiteral("INT"))) return FieldType::Long;
    if (t.contains(QStringLiteral("CHAR")) || t.contains(QStringLiteral("TEXT")) || t.contains(QStringLiteral("CLOB")))
        return t.contains(QStringLiteral("(")) && !t.contains(QStringLiteral("TEXT")) ? FieldType::Text : FieldType::Memo;
    if (t.contains(QStringLiteral("BLOB")) || t.isEmpty()) return t.isEmpty() ? FieldType::Memo : FieldType::LongBinary;
    if (t.contains(QStringLiteral("REAL")) || t.contains(QStringLiteral("FLOA")) || t.contains(QStringLiteral("DOUB")) ||
        t.contains(QStringLiteral("NUM")) || t.contains(QStringLiteral("DEC")))
        return FieldType::Double;
    return FieldType::Memo;
}

QString quoteName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

}  // namespace veranth::engine::native
