#pragma once

#include <QString>
#include <stdexcept>

#include "engine/sql/token.h"

namespace veranth::engine::sql {

// The part of a statement a syntax error was found in; the engine reports each with its own error
// number and text.
enum class SyntaxArea {
    Statement,           // not a statement the dialect knows
    TrailingText,        // something after the end of a complete statement
    Expression,
    Select,
    From,
    Join,
    OrderBy,
    InsertInto,
    Update,
    Delete,
    CreateTable,
    CreateIndex,
    AlterTable,
    Drop,
    Constraint,
    FieldDefinition,
    Parameters,
    Transform,
};

// The engine's error number for a syntax error in that area.
int engineErrorNumber(SyntaxArea area);

// "Syntax error in FROM clause", "Invalid SQL statement", ...: the lead of the message.
QString areaDescription(SyntaxArea area);

class SqlSyntaxError : public std::runtime_error {
public:
    // detail: what was wrong, e.g. "expected a table name but found 'WHERE'".
    SqlSyntaxError(SyntaxArea area, QString detail, SourcePosition position);

    SyntaxArea area() const { return area_; }
    const QString& detail() const { return detail_; }
    const SourcePosition& position() const { return position_; }
    // "<area description>: <detail> at line L, column C"
    const QString& message() const { return message_; }
    int errorNumber() const { return engineErrorNumber(area_); }

private:
    SyntaxArea area_;
    QString detail_;
    SourcePosition position_;
    QString message_;
};

}  // namespace veranth::engine::sql
