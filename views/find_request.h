#pragma once

#include "engine/field_type.h"

#include <QString>

namespace veranth::views {

// What frmFindForm collected for a field-form view's Find.
struct FindRequest {
    enum class Type { First = 0, Next = 1, Previous = 2, Last = 3 };
    QString fieldName;
    int fieldIndex = -1;  // the field list's selected position
    QString op;
    QString value;
    Type findType = Type::First;  // keeps the last choice
    bool cancelled = false;
};

// What frmSeek collected for the table view's Seek: an empty value means cancelled.
struct SeekRequest {
    QString op = QStringLiteral("=");
    QString value;
};

// The zoom result that means "nothing to save".
inline constexpr auto kZoomCancelled = "__CANCELLED__";

// The search criteria for a Find: "[Last Name] Like 'A*'" for text, "Amount>=5" for the rest.
// An apostrophe in a text value is doubled so the value stays one literal.
QString FindCriteria(const QString& fieldName, engine::FieldType type, const QString& op, const QString& value);

}  // namespace veranth::views
