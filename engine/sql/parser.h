#pragma once

#include <QStringView>
#include <vector>

#include "engine/sql/ast.h"
#include "engine/sql/syntax_error.h"

namespace veranth::engine::sql {

// Each entry point reads the whole text and throws SqlSyntaxError when it is not well formed.

// One statement, optionally ended by ';' (blanks, tabs and line breaks are free).
Statement parseStatement(QStringView text);

// A bare expression: Find criteria, Filter, ValidationRule, DefaultValue.
ExpressionPtr parseExpression(QStringView text);
// A validation rule, which may leave out its field before a comparison ("> 0 And < 10",
// "Is Not Null", "Between 1 And 9"): the field is `implicitField` there.
ExpressionPtr parseRule(QStringView text, const QString& implicitField);

// A Sort string: "[F] desc, G".
std::vector<OrderItem> parseOrderList(QStringView text);

}  // namespace veranth::engine::sql
