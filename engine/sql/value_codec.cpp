#include "engine/sql/value_codec.h"

#include "engine/conversions.h"

#include <sqlite3.h>

namespace veranth::engine::sql {

namespace {

QString textOf(sqlite3_value* value) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
}

Value dynamicValue(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return Value::null();
    case SQLITE_INTEGER: {
        const sqlite3_int64 n = sqlite3_value_int64(value);
        if (n >= INT32_MIN && n <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(n));
        return Value::doubleValue(static_cast<double>(n));
    }
    case SQLITE_FLOAT: return Value::doubleValue(sqlite3_value_double(value));
    case SQLITE_BLOB:
        return Value::binary(QByteArray(static_cast<const char*>(sqlite3_value_blob(value)), sqlite3_value_bytes(value)));
    default: return Value(textOf(value));
    }
}

}  // namespace

Value decodeValue(sqlite3_value* value, SqlType type) {
    const int stored = sqlite3_value_type(value);
    if (stored == SQLITE_NULL) return Value::null();
    // Text where a number is expected came from a column holding text: convert it by the rules.
    if (stored == SQLITE_TEXT && type != SqlType::Text && type != SqlType::Variant)
        return convertTo(Value(textOf(value)), valueTypeOf(type));
    switch (type) {
    case SqlType::Boolean: return Value::boolean(sqlite3_value_double(value) != 0);
    case SqlType::Byte:
    case SqlType::Integer:
    case SqlType::Long:
        if (stored == SQLITE_INTEGER) return convertTo(dynamicValue(value), valueTypeOf(type));
        return convertTo(Value::doubleValue(sqlite3_value_double(value)), valueTypeOf(type));
    case SqlType::Currency:
        if (stored == SQLITE_INTEGER) return Value::currency(Currency{sqlite3_value_int64(value)});
        // A scaled sum that outgrew 64 bits arrives as a real of units.
        return convertTo(Value::doubleValue(sqlite3_value_double(value) / Currency::kScale), ValueType::Currency);
    case SqlType::Single: return Value::single(static_cast<float>(sqlite3_value_double(value)));
    case SqlType::Double: return Value::doubleValue(sqlite3_value_double(value));
    case SqlType::Date: return Value::date(sqlite3_value_double(value));
    case SqlType::Text: return stored == SQLITE_TEXT ? Value(textOf(value)) : convertTo(dynamicValue(value), ValueType::String);
    case SqlType::Binary: return convertTo(dynamicValue(value), ValueType::Binary);
    case SqlType::Null:
    case SqlType::Variant: return dynamicValue(value);
    }
    return dynamicValue(value);
}

Value toStorageKind(const Value& value, SqlType type) {
    if (value.isMissing()) return Value::null();
    if (type == SqlType::Variant || type == SqlType::Null) return value;
    return convertTo(value, valueTypeOf(type));
}

void encodeResult(sqlite3_context* context, const Value& value, SqlType type) {
    const Value v = toStorageKind(value, type);
    switch (v.type()) {
    case ValueType::Empty:
    case ValueType::Null: sqlite3_result_null(context); return;
    case ValueType::Boolean: sqlite3_result_int(context, v.rawBool() ? -1 : 0); return;
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: sqlite3_result_int64(context, v.rawInteger()); return;
    case ValueType::Currency:
        if (type == SqlType::Currency) sqlite3_result_int64(context, v.rawCurrency().scaled);
        else sqlite3_result_double(context, v.rawCurrency().toDouble());
        return;
    case ValueType::Single:
    case ValueType::Double:
    case ValueType::Date: sqlite3_result_double(context, v.rawDouble()); return;
    case ValueType::String: {
        const QByteArray bytes = v.rawString().toUtf8();
        sqlite3_result_text(context, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    case ValueType::Binary:
        sqlite3_result_blob(context, v.rawBinary().constData(), static_cast<int>(v.rawBinary().size()), SQLITE_TRANSIENT);
        return;
    }
}

}  // namespace veranth::engine::sql
