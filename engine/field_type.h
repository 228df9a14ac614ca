#pragma once

#include "engine/value.h"

#include <QString>

namespace veranth::engine {

// Field type codes as the program stores and compares them.
enum class FieldType : int {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Binary = 9,
    Text = 10,
    LongBinary = 11,
    Memo = 12,
};

// Field attribute bits.
namespace field_attr {
inline constexpr int kFixed = 1;
inline constexpr int kVariable = 2;
inline constexpr int kAutoIncrement = 16;
}  // namespace field_attr

bool isKnownFieldType(int code);
ValueType valueTypeOf(FieldType type);
QString fieldTypeName(FieldType type);  // "Long", "Text", "Date/Time", ...
int defaultFieldSize(FieldType type);   // Text 50, Long 4, Memo 0, ...
bool isTextual(FieldType type);          // Text or Memo

// Converts a value (often text typed by a user) into the kind the field holds, with the
// error a user sees when it cannot be: 3421 for text that is no such value, 6 for a number
// out of range. Null stays Null.
Value coerceForField(const Value& value, FieldType type, const QString& fieldName);

}  // namespace veranth::engine
