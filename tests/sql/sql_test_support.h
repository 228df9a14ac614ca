#pragma once

#include <string>

#include "engine/sql/parser.h"
#include "engine/sql/printer.h"

namespace veranth::engine::sql::testing {

// How an expression nests, every operation in brackets: "a Or b And c" -> "(a OR (b AND c))".
inline std::string shapeOf(QStringView expression) {
    return printExpression(*parseExpression(expression), {.parenthesiseAll = true}).toStdString();
}

// A statement's tree as text that shows its nesting.
inline std::string shapeOfStatement(QStringView statement) {
    return printStatement(parseStatement(statement), {.parenthesiseAll = true}).toStdString();
}

}  // namespace veranth::engine::sql::testing
