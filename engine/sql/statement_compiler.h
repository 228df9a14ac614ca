#pragma once

#include "engine/sql/ast.h"
#include "engine/sql/catalog_view.h"
#include "engine/sql/statement_context.h"
#include "engine/sql/translation.h"

namespace veranth::engine::sql {

// A parsed statement translated for SQLite against a catalog: the semantic rules applied,
// the SQLite text written, and schema changes described for the engine to carry out.
Translation translateStatement(const Statement& statement, const CatalogView& catalog, LiteralMode mode = LiteralMode::Bound);

}  // namespace veranth::engine::sql
