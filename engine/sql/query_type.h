#pragma once

#include <vector>

#include "engine/sql/ast.h"

namespace veranth::engine::sql {

// The kinds of stored query, numbered as QueryDef.Type reports them. Pass-through (112) is a
// property of the stored query, not of its text, so no statement classifies as it.
enum class QueryType : int {
    Select = 0,
    CrossTab = 16,
    Delete = 32,
    Update = 48,
    Append = 64,
    MakeTable = 80,
    DataDefinition = 96,
    PassThrough = 112,
    Union = 128,
};

QueryType queryTypeOf(const Statement& statement);

// Whether running the statement yields rows (select, union and cross-tab queries) rather than
// changing data or the schema.
bool returnsRecords(const Statement& statement);

// The PARAMETERS declarations, in the order they were written.
const std::vector<ParameterDeclaration>& declaredParameters(const Statement& statement);

}  // namespace veranth::engine::sql
