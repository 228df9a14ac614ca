#include "engine/odbc/odbc_values.h"

#include "engine/conversions.h"
#include "engine/odbc/odbc_handles.h"

#include <cmath>

namespace veranth::engine::odbc {

namespace {

constexpr SQLULEN kLongestText = 255;

Value textValue(const QByteArray& bytes, FieldType type) {
    const QString text = QString::fromUtf8(bytes);
    if (type == FieldType::Currency) {
        if (auto c = parseCurrency(text)) return Value::currency(*c);
    }
    return Value::string(text);
}

// Reads a character or binary column whole, in pieces as the driver hands them over.
std::optional<QByteArray> readBytes(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType) {
    QByteArray out;
    char buffer[8192];
    // A character piece ends in a terminator the driver counts out of the room it has.
    const SQLLEN room = static_cast<SQLLEN>(sizeof buffer) - (cType == SQL_C_CHAR ? 1 : 0);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, statement);
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool truncated = rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        out.append(buffer, static_cast<qsizetype>(truncated ? room : indicator));
        if (!truncated) break;
    }
    return out;
}

}  // namespace

FieldType fieldTypeOfSql(SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimals) {
    switch (sqlType) {
    case SQL_BIT:
        return FieldType::Boolean;
    case SQL_TINYINT:
        return FieldType::Byte;
    case SQL_SMALLINT:
        return FieldType::Integer;
    case SQL_INTEGER:
        return FieldType::Long;
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return FieldType::Double;
    case SQL_REAL:
        return FieldType::Single;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        if (decimals == 0 && columnSize > 0 && columnSize <= 9) return FieldType::Long;
        if (decimals <= 4 && columnSize > 0 && columnSize <= 19) return FieldType::Currency;
        return FieldType::Double;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
        return FieldType::Date;
    case SQL_BINARY:
    case SQL_VARBINARY:
        return columnSize > 0 && columnSize <= kLongestText ? FieldType::Binary : FieldType::LongBinary;
    case SQL_LONGVARBINARY:
        return FieldType::LongBinary;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return FieldType::Memo;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return columnSize > 0 && columnSize <= kLongestText ? FieldType::Text : FieldType::Memo;
    default:
        return FieldType::Text;
    }
}

int fieldSizeOf(FieldType type, SQLULEN columnSize) {
    switch (type) {
    case FieldType::Text:
    case FieldType::Binary:
        return static_cast<int>(columnSize);
    case FieldType::Memo:
    case FieldType::LongBinary:
        return 0;
    default:
        return defaultFieldSize(type);
    }
}

ColumnInfo describedColumn(QString name, SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimals, bool nullable) {
    ColumnInfo c;
    c.name = std::move(name);
    c.sqlType = sqlType;
    c.columnSize = columnSize;
    c.decimals = decimals;
    c.nullable = nullable;
    c.type = fieldTypeOfSql(sqlType, columnSize, decimals);
    c.size = fieldSizeOf(c.type, columnSize);
    return c;
}

std::vector<ColumnInfo> describeResult(SQLHSTMT statement) {
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(statement, &count), SQL_HANDLE_STMT, statement);
    std::vector<ColumnInfo> out;
    for (SQLUSMALLINT i = 1; i <= count; ++i) {
        SQLCHAR name[512] = {0};
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeCol(statement, i, name, sizeof name, &nameLength, &sqlType, &size, &decimals, &nullable),
              SQL_HANDLE_STMT, statement);
        out.push_back(describedColumn(QString::fromUtf8(reinterpret_cast<const char*>(name)), sqlType, size, decimals,
                                      nullable != SQL_NO_NULLS));
    }
    return out;
}

FieldInfo fieldInfoOf(const ColumnInfo& column, int ordinal) {
    FieldInfo f;
    f.name = column.name;
    f.type = column.type;
    f.size = column.size;
    f.attributes = column.type == FieldType::Text ? field_attr::kVariable : field_attr::kFixed;
    f.required = !column.nullable;
    f.allowZeroLength = isTextual(column.type);
    f.ordinalPosition = ordinal;
    return f;
}

Value readColumn(SQLHSTMT statement, SQLUSMALLINT column, const ColumnInfo& info) {
    SQLLEN indicator = 0;
    switch (info.type) {
    case FieldType::Boolean:
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        SQLBIGINT v = 0;
        check(SQLGetData(statement, column, SQL_C_SBIGINT, &v, 0, &indicator), SQL_HANDLE_STMT, statement);
        if (indicator == SQL_NULL_DATA) return Value::null();
        if (info.type == FieldType::Boolean) return Value::boolean(v != 0);
        if (info.type == FieldType::Byte) return Value::byte(static_cast<std::uint8_t>(v));
        if (info.type == FieldType::Integer) return Value::integer(static_cast<std::int16_t>(v));
        return Value::longValue(static_cast<std::int32_t>(v));
    }
    case FieldType::Single:
    case FieldType::Double: {
        double v = 0;
        check(SQLGetData(statement, column, SQL_C_DOUBLE, &v, 0, &indicator), SQL_HANDLE_STMT, statement);
        if (indicator == SQL_NULL_DATA) return Value::null();
        return info.type == FieldType::Single ? Value::single(static_cast<float>(v)) : Value::doubleValue(v);
    }
    case FieldType::Date: {
        SQL_TIMESTAMP_STRUCT ts{};
        check(SQLGetData(statement, column, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator), SQL_HANDLE_STMT,
              statement);
        if (indicator == SQL_NULL_DATA) return Value::null();
        double serial = info.sqlType == SQL_TYPE_TIME || info.sqlType == SQL_TIME
                            ? dateSerial(1899, 12, 30, ts.hour, ts.minute, ts.second)
                            : dateSerial(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);
        const double fraction = ts.fraction / 1e9 / 86400.0;
        serial += serial < 0 ? -fraction : fraction;
        return Value::date(serial);
    }
    case FieldType::Binary:
    case FieldType::LongBinary: {
        auto bytes = readBytes(statement, column, SQL_C_BINARY);
        return bytes ? Value::binary(*bytes) : Value::null();
    }
    default: {
        auto bytes = readBytes(statement, column, SQL_C_CHAR);
        return bytes ? textValue(*bytes, info.type) : Value::null();
    }
    }
}

void ParameterBinder::bind(const Value& value, FieldType hint) {
    const SQLUSMALLINT index = next_++;
    SQLLEN& length = lengths_.emplace_back(0);
    SQLRETURN rc = SQL_SUCCESS;
    auto bindText = [&](const QString& text, SQLSMALLINT sqlType) {
        QByteArray& b = bytes_.emplace_back(utf8(text));
        length = b.size();
        const SQLULEN size = std::max<SQLULEN>(1, static_cast<SQLULEN>(b.size()));
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, size, 0, b.data(), b.size(),
                              &length);
    };
    switch (value.type()) {
    case ValueType::Empty:
    case ValueType::Null: {
        length = SQL_NULL_DATA;
        SQLSMALLINT sqlType = SQL_VARCHAR;
        switch (hint) {
        case FieldType::Boolean: case FieldType::Byte: case FieldType::Integer: case FieldType::Long:
            sqlType = SQL_INTEGER; break;
        case FieldType::Currency: case FieldType::Single: case FieldType::Double: sqlType = SQL_DOUBLE; break;
        case FieldType::Date: sqlType = SQL_TYPE_TIMESTAMP; break;
        case FieldType::Binary: case FieldType::LongBinary: sqlType = SQL_VARBINARY; break;
        default: break;
        }
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, 1, 0, nullptr, 0, &length);
        break;
    }
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: {
        std::int64_t& v = integers_.emplace_back(value.type() == ValueType::Boolean ? (value.rawBool() ? 1 : 0)
                                                                                     : value.rawInteger());
        // A Boolean goes to a bit column as 1; the engine reads it back as True (-1).
        const SQLSMALLINT sqlType = value.type() == ValueType::Boolean ? SQL_BIT : SQL_INTEGER;
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, sqlType, 0, 0, &v, 0, &length);
        break;
    }
    case ValueType::Currency:
        bindText(currencyToText(value.rawCurrency()), SQL_DECIMAL);
        break;
    case ValueType::Single:
    case ValueType::Double: {
        double& v = doubles_.emplace_back(value.rawDouble());
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &v, 0, &length);
        break;
    }
    case ValueType::Date: {
        const DateParts p = splitDate(value.rawDouble());
        SQL_TIMESTAMP_STRUCT& ts = stamps_.emplace_back();
        ts.year = static_cast<SQLSMALLINT>(p.year);
        ts.month = static_cast<SQLUSMALLINT>(p.month);
        ts.day = static_cast<SQLUSMALLINT>(p.day);
        ts.hour = static_cast<SQLUSMALLINT>(p.hour);
        ts.minute = static_cast<SQLUSMALLINT>(p.minute);
        ts.second = static_cast<SQLUSMALLINT>(p.second);
        ts.fraction = 0;
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0, &ts,
                              sizeof ts, &length);
        break;
    }
    case ValueType::String:
        bindText(value.rawString(), hint == FieldType::Memo || value.rawString().size() > 255 ? SQL_LONGVARCHAR
                                                                                              : SQL_VARCHAR);
        break;
    case ValueType::Binary: {
        QByteArray& b = bytes_.emplace_back(value.rawBinary());
        length = b.size();
        rc = SQLBindParameter(statement_, index, SQL_PARAM_INPUT, SQL_C_BINARY,
                              b.size() > 255 ? SQL_LONGVARBINARY : SQL_VARBINARY,
                              std::max<SQLULEN>(1, static_cast<SQLULEN>(b.size())), 0, b.data(), b.size(), &length);
        break;
    }
    }
    check(rc, SQL_HANDLE_STMT, statement_);
}

}  // namespace veranth::engine::odbc
