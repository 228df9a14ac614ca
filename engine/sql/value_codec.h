#pragma once

#include "engine/sql/sql_type.h"
#include "engine/value.h"

struct sqlite3_value;
struct sqlite3_context;

// Values cross into and out of SQLite in the storage form of their static type: Currency as an
// integer of 1/10000 units, Booleans as -1/0, dates as day numbers. The functions registered on
// a connection read their arguments and write their results through here only.
namespace veranth::engine::sql {

Value decodeValue(sqlite3_value* value, SqlType type);
// Converts to the type with Basic's rules first (raising the engine's error when it cannot).
void encodeResult(sqlite3_context* context, const Value& value, SqlType type);
// The value converted to the storage form of a type, as it is bound to a statement.
Value toStorageKind(const Value& value, SqlType type);

}  // namespace veranth::engine::sql
