#pragma once

#include <QString>
#include <vector>

#include "engine/sql/ast.h"

namespace veranth::engine::sql {

struct PrintOptions {
    // Put every operation in parentheses, so the text shows how the tree nests.
    bool parenthesiseAll = false;
};

// The tree written back as dialect text that parses to the same tree. Keywords are written in
// upper case; names are bracketed when they need it; parentheses only where precedence needs
// them, unless parenthesiseAll.
QString printStatement(const Statement& statement, PrintOptions options = {});
QString printQuery(const QueryExpression& query, PrintOptions options = {});
QString printExpression(const Expression& expression, PrintOptions options = {});
QString printOrderList(const std::vector<OrderItem>& items, PrintOptions options = {});

// A name as the dialect must write it: "Clients", "[Order Details]", "[Select]".
QString printName(const QString& name);

}  // namespace veranth::engine::sql
