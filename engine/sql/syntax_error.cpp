#include "engine/sql/syntax_error.h"

namespace veranth::engine::sql {

namespace {

struct AreaInfo {
    int number;
    const char* description;
};

AreaInfo infoFor(SyntaxArea area) {
    switch (area) {
        case SyntaxArea::Statement:
            return {3129, "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'"};
        case SyntaxArea::TrailingText: return {3142, "Characters found after end of SQL statement"};
        case SyntaxArea::Expression: return {3075, "Syntax error in query expression"};
        case SyntaxArea::Select:
            return {3141, "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the punctuation is incorrect"};
        case SyntaxArea::From: return {3131, "Syntax error in FROM clause"};
        case SyntaxArea::Join: return {3135, "Syntax error in JOIN operation"};
        case SyntaxArea::OrderBy: return {3138, "Syntax error in ORDER BY clause"};
        case SyntaxArea::InsertInto: return {3134, "Syntax error in INSERT INTO statement"};
        case SyntaxArea::Update: return {3144, "Syntax error in UPDATE statement"};
        // The dialect has no DELETE-specific number; its generic statement error stands in.
        case SyntaxArea::Delete: return {3129, "Syntax error in DELETE statement"};
        case SyntaxArea::CreateTable: return {3290, "Syntax error in CREATE TABLE statement"};
        case SyntaxArea::CreateIndex: return {3291, "Syntax error in CREATE INDEX statement"};
        case SyntaxArea::AlterTable: return {3293, "Syntax error in ALTER TABLE statement"};
        case SyntaxArea::Drop: return {3295, "Syntax error in DROP TABLE or DROP INDEX"};
        case SyntaxArea::Constraint: return {3289, "Syntax error in CONSTRAINT clause"};
        case SyntaxArea::FieldDefinition: return {3292, "Syntax error in field definition"};
        case SyntaxArea::Parameters: return {3129, "Syntax error in PARAMETERS declaration"};
        case SyntaxArea::Transform: return {3129, "Syntax error in TRANSFORM statement"};
    }
    return {3129, "Invalid SQL statement"};
}

QString composeMessage(SyntaxArea area, const QString& detail, const SourcePosition& position) {
    return QStringLiteral("%1: %2 at line %3, column %4")
        .arg(QString::fromLatin1(infoFor(area).description), detail)
        .arg(position.line)
        .arg(position.column);
}

}  // namespace

int engineErrorNumber(SyntaxArea area) { return infoFor(area).number; }

QString areaDescription(SyntaxArea area) { return QString::fromLatin1(infoFor(area).description); }

SqlSyntaxError::SqlSyntaxError(SyntaxArea area, QString detail, SourcePosition position)
    : std::runtime_error(composeMessage(area, detail, position).toStdString()),
      area_(area),
      detail_(std::move(detail)),
      position_(position),
      message_(QString::fromStdString(what())) {}

}  // namespace veranth::engine::sql
