#include "engine/value.h"

namespace veranth::engine {

bool Value::isNumeric() const {
    switch (type_) {
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long:
    case ValueType::Currency:
    case ValueType::Single:
    case ValueType::Double:
        return true;
    default:
        return false;
    }
}

QString Value::typeName(ValueType type) {
    switch (type) {
    case ValueType::Empty: return QStringLiteral("Empty");
    case ValueType::Null: return QStringLiteral("Null");
    case ValueType::Boolean: return QStringLiteral("Boolean");
    case ValueType::Byte: return QStringLiteral("Byte");
    case ValueType::Integer: return QStringLiteral("Integer");
    case ValueType::Long: return QStringLiteral("Long");
    case ValueType::Currency: return QStringLiteral("Currency");
    case ValueType::Single: return QStringLiteral("Single");
    case ValueType::Double: return QStringLiteral("Double");
    case ValueType::Date: return QStringLiteral("Date");
    case ValueType::String: return QStringLiteral("String");
    case ValueType::Binary: return QStringLiteral("Byte()");
    }
    return QString();
}

}  // namespace veranth::engine
