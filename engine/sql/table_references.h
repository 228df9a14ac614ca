#pragma once

#include <optional>
#include <vector>

#include "engine/sql/ast.h"

namespace veranth::engine::sql {

enum class TableUse {
    Read,    // FROM, joins and subqueries of a query, and the tables an action only reads
    Write,   // the target of INSERT INTO, SELECT ... INTO, UPDATE and DELETE
    Define,  // the table a CREATE, DROP or ALTER statement works on
};

struct TableUsage {
    TableName name;
    QString alias;                             // empty when the statement gives none
    std::optional<ExternalDatabase> external;  // the IN clause that applies to it
    TableUse use = TableUse::Read;
};

// Every table the statement names, in the order they appear, subqueries included. A table named
// twice (a self-join, or a table in a subquery too) is listed each time.
std::vector<TableUsage> tableUsages(const Statement& statement);

}  // namespace veranth::engine::sql
