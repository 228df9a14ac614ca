#pragma once

#include "engine/field_type.h"

#include <QString>

#include <memory>
#include <optional>

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

// The grid view's rules, apart from its window.

// The sort a click on a column header asks for: "[Name]", or "[Name] desc" with a key held;
// nothing on a table-type set or on a column of a type above Text (Long Binary, Memo).
std::optional<QString> HeaderSort(bool tableType, engine::FieldType type, const QString& fieldName, bool keyHeld);

enum class Reorder { Sort, Filter };

// A table-type set can be neither sorted nor filtered: beeps and warns, and says so.
bool RefusedOnTableRecordset(db::Session& session, const engine::Recordset& recordset, Reorder what);

// A new set of the same type with the recordset's Sort or Filter set to the text, under the
// status line's "Setting New Sort Order" / "Setting New Filter". The engine's error is thrown and
// the recordset the caller has stays as it was.
std::shared_ptr<engine::Recordset> ReorderedRecordset(db::Session& session, engine::Recordset& recordset, Reorder what,
                                                      const QString& text);

}  // namespace veranth::views
