#include "engine/field_type.h"

#include "engine/conversions.h"
#include "engine/errors.h"

namespace veranth::engine {

bool isKnownFieldType(int code) { return code >= 1 && code <= 12; }

ValueType valueTypeOf(FieldType type) {
    switch (type) {
    case FieldType::Boolean: return ValueType::Boolean;
    case FieldType::Byte: return ValueType::Byte;
    case FieldType::Integer: return ValueType::Integer;
    case FieldType::Long: return ValueType::Long;
    case FieldType::Currency: return ValueType::Currency;
    case FieldType::Single: return ValueType::Single;
    case FieldType::Double: return ValueType::Double;
    case FieldType::Date: return ValueType::Date;
    case FieldType::Binary:
    case FieldType::LongBinary: return ValueType::Binary;
    case FieldType::Text:
    case FieldType::Memo: return ValueType::String;
    }
    return ValueType::String;
}

QString fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Boolean: return QStringLiteral("Boolean");
    case FieldType::Byte: return QStringLiteral("Byte");
    case FieldType::Integer: return QStringLiteral("Integer");
    case FieldType::Long: return QStringLiteral("Long");
    case FieldType::Currency: return QStringLiteral("Currency");
    case FieldType::Single: return QStringLiteral("Single");
    case FieldType::Double: return QStringLiteral("Double");
    case FieldType::Date: return QStringLiteral("Date/Time");
    case FieldType::Binary: return QStringLiteral("Binary");
    case FieldType::Text: return QStringLiteral("Text");
    case FieldType::LongBinary: return QStringLiteral("Long Binary");
    case FieldType::Memo: return QStringLiteral("Memo");
    }
    return QString();
}

int defaultFieldSize(FieldType type) {
    switch (type) {
    case FieldType::Boolean:
    case FieldType::Byte: return 1;
    case FieldType::Integer: return 2;
    case FieldType::Long:
    case FieldType::Single: return 4;
    case FieldType::Currency:
    case FieldType::Double:
    case FieldType::Date: return 8;
    case FieldType::Text: return 50;
    default: return 0;
    }
}

bool isTextual(FieldType type) { return type == FieldType::Text || type == FieldType::Memo; }

Value coerceForField(const Value& value, FieldType type, const QString& fieldName) {
    if (value.isNull()) return value;
    if (value.isEmpty()) return Value::null();
    // A cleared box in a form gives "": for anything but text that means "no value".
    if (!isTextual(type) && value.isText() && value.rawString().trimmed().isEmpty()) return Value::null();
    try {
        return convertTo(value, valueTypeOf(type));
    } catch (const EngineError& e) {
        if (e.number() != err::kTypeMismatch) throw;
        throw EngineError(err::kConversionError, toDisplayText(value),
                          QStringLiteral("the %1 field '%2'").arg(fieldTypeName(type), fieldName));
    }
}

}  // namespace veranth::engine
