#pragma once

#include "engine/errors.h"
#include "engine/sql/syntax_error.h"

namespace veranth::engine::sql {

// The engine's error for a statement that does not parse: the area's number, and a description
// that names what was met and where.
EngineError toEngineError(const SqlSyntaxError& error);

}  // namespace veranth::engine::sql
