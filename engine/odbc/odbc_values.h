#pragma once

#include "engine/field_type.h"
#include "engine/schema.h"
#include "engine/value.h"

#include <sql.h>
#include <sqlext.h>

#include <deque>
#include <vector>

// Values between the engine and a driver: a server's column types as the engine's field
// types, columns read into Values, Values bound as statement parameters (never pasted into
// the text).
namespace veranth::engine::odbc {

struct ColumnInfo {
    QString name;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT decimals = 0;
    bool nullable = true;
    FieldType type = FieldType::Text;
    int size = 0;  // the engine's field size
};

// The engine's type for a server column: a 32-bit integer is Long (4), exact numbers with up
// to four decimals and 19 digits are Currency, long or large texts are Memo.
FieldType fieldTypeOfSql(SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimals);
int fieldSizeOf(FieldType type, SQLULEN columnSize);
ColumnInfo describedColumn(QString name, SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimals, bool nullable);
// The result columns of an executed statement (none for an action statement).
std::vector<ColumnInfo> describeResult(SQLHSTMT statement);
FieldInfo fieldInfoOf(const ColumnInfo& column, int ordinal);

// Column `column` (1-based) of the current row, converted to its field type.
Value readColumn(SQLHSTMT statement, SQLUSMALLINT column, const ColumnInfo& info);

// Binds input parameters and keeps their buffers alive until the statement has run.
class ParameterBinder {
public:
    explicit ParameterBinder(SQLHSTMT statement) : statement_(statement) {}
    // Binds the next parameter marker; the SQL type follows the value (or `hint` for Null).
    void bind(const Value& value, FieldType hint = FieldType::Text);

private:
    SQLHSTMT statement_;
    SQLUSMALLINT next_ = 1;
    std::deque<QByteArray> bytes_;
    std::deque<SQLLEN> lengths_;
    std::deque<std::int64_t> integers_;
    std::deque<double> doubles_;
    std::deque<SQL_TIMESTAMP_STRUCT> stamps_;
};

}  // namespace veranth::engine::odbc
