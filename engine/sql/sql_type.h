#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "engine/field_type.h"
#include "engine/value.h"

namespace veranth::engine::sql {

// The static type of an expression. The codes 1..10 are the field type codes, so a column's type
// is its field's; Memo reads as Text and Long Binary as Binary, because they behave alike in
// expressions. Variant is a value whose kind is only known at run time (an undeclared parameter).
enum class SqlType : int {
    Variant = 0,
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
    Null = 13,  // the literal Null: takes the type of whatever it meets
};

SqlType sqlTypeOf(FieldType type);
SqlType sqlTypeOf(ValueType type);
// The field type a result column of this type is stored and read back as (Variant and Null: none).
std::optional<FieldType> fieldTypeOf(SqlType type);
ValueType valueTypeOf(SqlType type);

bool isIntegral(SqlType type);  // Boolean, Byte, Integer, Long
bool isNumeric(SqlType type);   // integral, Currency, Single, Double
// Numbers whose storage SQLite compares and adds as plain numbers (everything numeric but
// Currency, which is stored scaled).
bool isPlainNumber(SqlType type);

// The type both branches of an IIf, both sides of a UNION, or the two operands of arithmetic
// meet in: the wider number, a Date when a number meets a date, otherwise Text.
SqlType commonType(SqlType a, SqlType b);
SqlType commonType(const std::vector<SqlType>& types);

// The type's name as messages show it ("Currency", "Variant").
QString sqlTypeName(SqlType type);

}  // namespace veranth::engine::sql
