#pragma once

#include "engine/value.h"

#include <QString>

namespace veranth::engine {

// Basic's Format for the patterns the program writes: date patterns ("dd mmm yyyy",
// "dd/mmm/yyyy", "dd-mm-yyyy", "hh:mm:ss", ...), number patterns ("0.00", "000",
// "0000000000", "#,##0.00"), a few named formats ("Short Date", "Fixed", ...), or no
// pattern (the value's text). Null and Empty give "". Numbers round halves away from zero.
QString formatValue(const Value& value, const QString& pattern = QString());

}  // namespace veranth::engine
