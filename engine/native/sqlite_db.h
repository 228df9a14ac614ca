#pragma once

#include "engine/field_type.h"
#include "engine/value.h"

#include <QString>

#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// Thin RAII layer over the SQLite C API. Every SQLite failure becomes an EngineError here,
// in one place, with the number a user of the engine expects.
namespace veranth::engine::native {

class Statement;

class Connection {
public:
    // Opens (or creates) the file and prepares it for the engine: collation, functions,
    // journal and locking settings.
    static std::unique_ptr<Connection> open(const QString& path, bool readOnly, bool create);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const QString& sql);
    Statement prepare(const QString& sql);
    std::int64_t lastInsertRowid() const;
    int changes() const;
    bool isReadOnly() const { return readOnly_; }
    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    // Raises the EngineError for the connection's last failure; `context` names the object.
    [[noreturn]] void fail(int code, const QString& context) const;

private:
    Connection(sqlite3* db, QString path, bool readOnly) : db_(db), path_(std::move(path)), readOnly_(readOnly) {}
    sqlite3* db_;
    QString path_;
    bool readOnly_;
};

class Statement {
public:
    Statement(Connection& connection, sqlite3_stmt* stmt) : connection_(&connection), stmt_(stmt) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    ~Statement();

    // Binds a Value in the storage form of a field type (Currency as scaled integer, Date
    // as a day serial, Boolean as -1/0).
    void bind(int index, const Value& value, FieldType storage);
    // Binds a Value by its own kind.
    void bind(int index, const Value& value);
    void bindInt64(int index, std::int64_t v);
    void bindText(int index, const QString& text);
    void bindNull(int index);
    // Steps once; false at the end.
    bool step();
    void reset();
    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    std::int64_t int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // Reads a column as the field type stores it.
    Value value(int column, FieldType storage) const;
    // Reads a column by what SQLite holds (for results with no known field types).
    Value dynamicValue(int column) const;
    // The declared type of a result column, mapped to the engine's field types.
    FieldType declaredType(int column) const;
    sqlite3_stmt* handle() const { return stmt_; }

private:
    Connection* connection_;
    sqlite3_stmt* stmt_;
};

// A field type from a declared SQLite column type ("INTEGER", "VARCHAR(20)", "REAL", ...),
// for tables the engine's catalog does not describe.
FieldType fieldTypeFromDeclared(const QString& declared);

// "name" with embedded quotes doubled: the only way names enter SQL text.
QString quoteName(const QString& name);

inline constexpr const char* kCollation = "VNOCASE";
inline constexpr const char* kLikeFunction = "veranth_like";

}  // namespace veranth::engine::native
