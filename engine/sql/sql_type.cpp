#include "engine/sql/sql_type.h"

namespace veranth::engine::sql {

SqlType sqlTypeOf(FieldType type) {
    switch (type) {
    case FieldType::Memo: return SqlType::Text;
    case FieldType::LongBinary: return SqlType::Binary;
    default: return static_cast<SqlType>(static_cast<int>(type));
    }
}

SqlType sqlTypeOf(ValueType type) {
    switch (type) {
    case ValueType::Empty:
    case ValueType::Null: return SqlType::Null;
    case ValueType::Boolean: return SqlType::Boolean;
    case ValueType::Byte: return SqlType::Byte;
    case ValueType::Integer: return SqlType::Integer;
    case ValueType::Long: return SqlType::Long;
    case ValueType::Currency: return SqlType::Currency;
    case ValueType::Single: return SqlType::Single;
    case ValueType::Double: return SqlType::Double;
    case ValueType::Date: return SqlType::Date;
    case ValueType::String: return SqlType::Text;
    case ValueType::Binary: return SqlType::Binary;
    }
    return SqlType::Variant;
}

std::optional<FieldType> fieldTypeOf(SqlType type) {
    if (type == SqlType::Variant || type == SqlType::Null) return std::nullopt;
    return static_cast<FieldType>(static_cast<int>(type));
}

ValueType valueTypeOf(SqlType type) {
    switch (type) {
    case SqlType::Boolean: return ValueType::Boolean;
    case SqlType::Byte: return ValueType::Byte;
    case SqlType::Integer: return ValueType::Integer;
    case SqlType::Long: return ValueType::Long;
    case SqlType::Currency: return ValueType::Currency;
    case SqlType::Single: return ValueType::Single;
    case SqlType::Double: return ValueType::Double;
    case SqlType::Date: return ValueType::Date;
    case SqlType::Binary: return ValueType::Binary;
    case SqlType::Text: return ValueType::String;
    case SqlType::Null: return ValueType::Null;
    case SqlType::Variant: return ValueType::Empty;
    }
    return ValueType::Empty;
}

bool isIntegral(SqlType type) {
    return type == SqlType::Boolean || type == SqlType::Byte || type == SqlType::Integer || type == SqlType::Long;
}

bool isNumeric(SqlType type) {
    return isIntegral(type) || type == SqlType::Currency || type == SqlType::Single || type == SqlType::Double;
}

bool isPlainNumber(SqlType type) { return isNumeric(type) && type != SqlType::Currency; }

namespace {
// Basic's order of widening; Single meeting Long or Currency widens to Double.
int numericRank(SqlType type) {
    switch (type) {
    case SqlType::Boolean: return 0;
    case SqlType::Byte: return 1;
    case SqlType::Integer: return 2;
    case SqlType::Long: return 3;
    case SqlType::Currency: return 4;
    case SqlType::Single: return 5;
    case SqlType::Double: return 6;
    default: return -1;
    }
}
}  // namespace

SqlType commonType(SqlType a, SqlType b) {
    if (a == b) return a;
    if (a == SqlType::Null) return b;
    if (b == SqlType::Null) return a;
    if (a == SqlType::Variant || b == SqlType::Variant) return SqlType::Variant;
    if (isNumeric(a) && isNumeric(b)) {
        if ((a == SqlType::Single && (b == SqlType::Long || b == SqlType::Currency)) ||
            (b == SqlType::Single && (a == SqlType::Long || a == SqlType::Currency)))
            return SqlType::Double;
        return numericRank(a) >= numericRank(b) ? a : b;
    }
    if ((a == SqlType::Date && isNumeric(b)) || (b == SqlType::Date && isNumeric(a))) return SqlType::Date;
    return SqlType::Text;
}

SqlType commonType(const std::vector<SqlType>& types) {
    SqlType result = SqlType::Null;
    for (SqlType t : types) result = commonType(result, t);
    return result;
}

QString sqlTypeName(SqlType type) {
    if (auto field = fieldTypeOf(type)) return fieldTypeName(*field);
    return type == SqlType::Null ? QStringLiteral("Null") : QStringLiteral("Variant");
}

}  // namespace veranth::engine::sql
