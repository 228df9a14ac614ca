#pragma once

#include "engine/schema.h"
#include "engine/value.h"

#include <vector>

// The rules every write of a row obeys, whichever way it comes: Size, Required,
// AllowZeroLength, the field and table validation rules.
namespace veranth::engine {

// 3163 when a text is longer than the field's Size: a value is refused, never cut.
void checkFits(const FieldInfo& field, const Value& value);
// Checks a whole row in field order of `table.fields`: Size, Required (3314),
// AllowZeroLength (3315), field then table ValidationRule (3317, with the ValidationText
// as the description when there is one). Auto-increment fields still Null are let through.
void checkRow(const TableInfo& table, const std::vector<Value>& values);
// The same for a row changed by a statement: only the fields it assigned (`assigned`, in
// field order) are held to their own rules; the table rule always applies.
void checkAssigned(const TableInfo& table, const std::vector<Value>& values, const std::vector<bool>& assigned);
// Whether writing `assigned` fields of `table` can break a rule, so the rows must be checked.
bool hasRulesFor(const TableInfo& table, const std::vector<bool>& assigned);
// The DefaultValue of a field as a value: literals ("0", "'abc'", "\"x\"", "True", "#date#")
// and the functions Date() and Now(); Null when there is none.
Value defaultValueFor(const FieldInfo& field);

}  // namespace veranth::engine
