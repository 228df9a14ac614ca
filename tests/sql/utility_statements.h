#pragma once

#include <QString>
#include <vector>

#include "engine/sql/query_type.h"

namespace veranth::engine::sql::testing {

// A statement exactly as one of the program's routines writes it, with typical values filled in.
struct UtilityStatement {
    const char* source;  // the routine that writes it
    QueryType type;
    QString text;
};

// Every fixed statement the program's utilities, views and query builder write.
const std::vector<UtilityStatement>& utilityStatements();

}  // namespace veranth::engine::sql::testing
