#pragma once

#include "engine/field_type.h"
#include "views/data_control_types.h"

#include <QString>

#include <cstdint>

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class EngineError;
class Recordset;
}  // namespace veranth::engine

namespace veranth::views {

// The data-control form view's rules, apart from its window.

// Geometry of frmDataControl, in twips.
inline constexpr int kDataFormWidthTwips = 5868;
inline constexpr int kDataFieldRowTwips = 340;

// The message of a parameterized query's view, whose record source cannot be refreshed.
inline constexpr auto kNotForParameterized = "Function not available for paramaterized query!";

// The bound control for a field: a check box for Boolean, a picture box or (tag "OLE") an OLE box
// for Long Binary, a text box for the rest.
BoundKind ControlKindFor(engine::FieldType type, const QString& binaryTag);

struct DataFormSize {
    int width = kDataFormWidthTwips;
    int height = 0;
    bool scrollBar = false;
};
DataFormSize DataControlFormSize(int fieldCount);

// The data control's position caption: "(BOF)/25", "(EOF)/25", "25 Rows" for a table-type set of
// a table without indexes, "25 Rows (Forward Only Recordset)", else "3/25"; "  [Not Updatable]"
// after it for a set that cannot be changed.
QString DataControlCaption(bool bof, bool eof, double percentPosition, std::int64_t rows, bool countOnly,
                           bool forwardOnly, bool updatable);

// The table of a table-type recordset has no indexes (or cannot be found): its position shows as
// a row count only.
bool TableWithoutIndexes(db::Session& session, const QString& tableName);
// The name of the table's first index, empty when it has none.
QString FirstIndexName(db::Session& session, const QString& tableName);

// The question Validate asks before the row is left with changed data, empty when none.
QString ValidateQuestion(int action, bool adding);

// "Error:3021 No current record.": the view windows' own error message.
QString ViewErrorMessage(const engine::EngineError& error);
// The data control's Error event: a picture the box cannot show (481) passes quietly; anything
// else is shown as "Data error event hit Err:" and its text. False when nothing is to be shown.
bool DataErrorShown(int dataError, const QString& description, QString* message);

}  // namespace veranth::views
