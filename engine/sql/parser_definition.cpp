// PARAMETERS declarations, data types, CREATE TABLE / INDEX, DROP, ALTER TABLE and TRANSFORM.
#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

std::vector<ParameterDeclaration> Parser::parameterDeclarations() {
    AreaScope scope(*this, SyntaxArea::Parameters);
    take();  // PARAMETERS
    std::vector<ParameterDeclaration> declarations;
    do {
        ParameterDeclaration declaration;
        declaration.position = peek().position;
        declaration.name = namePart("a parameter name");
        declaration.type = typeDeclaration();
        declarations.push_back(std::move(declaration));
    } while (accept(TokenKind::Comma));
    accept(TokenKind::Semicolon);
    return declarations;
}

TypeDeclaration Parser::typeDeclaration() {
    TypeDeclaration declared;
    const std::optional<ColumnType> type =
        at(TokenKind::Identifier) ? columnTypeFromName(peek().text) : std::nullopt;
    if (!type) fail(QStringLiteral("a data type"));
    declared.type = *type;
    declared.spelling = take().string();
    if (accept(TokenKind::LeftParen)) {
        do {
            const Token& number = expect(TokenKind::Number, "a whole number");
            bool whole = false;
            const int value = number.text.toInt(&whole);
            if (!whole) failAt(number, QStringLiteral("%1 is not a whole number").arg(describe(number)));
            declared.arguments.append(value);
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RightParen, "')'");
    }
    return declared;
}

ColumnDefinition Parser::columnDefinition() {
    AreaScope scope(*this, SyntaxArea::FieldDefinition);
    ColumnDefinition column;
    column.position = peek().position;
    column.name = namePart("a column name");
    column.type = typeDeclaration();
    while (true) {
        if (at(Keyword::Not) && at(Keyword::Null, 1)) {
            take();
            take();
            column.notNull = true;
        } else if (accept(Keyword::Null)) {
            column.notNull = false;
        } else if (accept(Keyword::Default)) {
            column.defaultValue = expression();
        } else if (!column.constraint && atColumnConstraint()) {
            column.constraint = columnConstraint();
        } else {
            return column;
        }
    }
}

bool Parser::atTableConstraint() const {
    return at(Keyword::Constraint) || (at(Keyword::Primary) && at(Keyword::Key, 1)) ||
           (at(Keyword::Unique) && at(TokenKind::LeftParen, 1)) || (at(Keyword::Foreign) && at(Keyword::Key, 1));
}

ConstraintDefinition Parser::tableConstraint() {
    AreaScope scope(*this, SyntaxArea::Constraint);
    ConstraintDefinition constraint;
    constraint.position = peek().position;
    if (accept(Keyword::Constraint)) constraint.name = namePart("a constraint name");
    constraintBody(constraint, true);
    return constraint;
}

bool Parser::atColumnConstraint() const {
    return at(Keyword::Constraint) || at(Keyword::Primary) || at(Keyword::Unique) || at(Keyword::References);
}

ConstraintDefinition Parser::columnConstraint() {
    AreaScope scope(*this, SyntaxArea::Constraint);
    ConstraintDefinition constraint;
    constraint.position = peek().position;
    if (accept(Keyword::Constraint)) constraint.name = namePart("a constraint name");
    constraintBody(constraint, false);
    return constraint;
}

// PRIMARY KEY, UNIQUE, [FOREIGN KEY] REFERENCES: a table's constraint names its columns, a
// column's own constraint does not.
void Parser::constraintBody(ConstraintDefinition& constraint, bool withColumns) {
    if (accept(Keyword::Primary)) {
        expect(Keyword::Key);
        constraint.kind = ConstraintKind::PrimaryKey;
    } else if (accept(Keyword::Unique)) {
        constraint.kind = ConstraintKind::Unique;
    } else if (withColumns && accept(Keyword::Foreign)) {
        expect(Keyword::Key);
        constraint.kind = ConstraintKind::ForeignKey;
    } else if (!withColumns && at(Keyword::References)) {
        constraint.kind = ConstraintKind::ForeignKey;
    } else {
        fail(withColumns ? QStringLiteral("PRIMARY KEY, UNIQUE or FOREIGN KEY")
                         : QStringLiteral("PRIMARY KEY, UNIQUE or REFERENCES"));
    }
    if (withColumns) constraint.columns = nameList("a column name");
    if (constraint.kind == ConstraintKind::ForeignKey) {
        expect(Keyword::References);
        constraint.referencedTable = tableName();
        if (at(TokenKind::LeftParen)) constraint.referencedColumns = nameList("a column name");
    }
}

CreateTableStatement Parser::createTable() {
    AreaScope scope(*this, SyntaxArea::CreateTable);
    CreateTableStatement create;
    expect(Keyword::Table);
    create.table = tableName();
    expect(TokenKind::LeftParen, "'(' before the column definitions");
    do {
        if (atTableConstraint())
            create.constraints.push_back(tableConstraint());
        else
            create.columns.push_back(columnDefinition());
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RightParen, "')' after the column definitions");
    return create;
}

CreateIndexStatement Parser::createIndex(bool unique) {
    AreaScope scope(*this, SyntaxArea::CreateIndex);
    CreateIndexStatement create;
    create.unique = unique;
    expect(Keyword::Index);
    create.name = namePart("an index name");
    expect(Keyword::On);
    create.table = tableName();
    expect(TokenKind::LeftParen, "'(' before the indexed columns");
    do {
        IndexColumn column;
        column.name = namePart("a column name");
        if (accept(Keyword::Desc))
            column.descending = true;
        else
            accept(Keyword::Asc);
        create.columns.push_back(std::move(column));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RightParen, "')' after the indexed columns");
    if (accept(Keyword::With)) {
        do {
            if (accept(Keyword::Primary)) {
                create.primary = true;
            } else if (accept(Keyword::Disallow)) {
                expect(Keyword::Null);
                create.disallowNull = true;
            } else if (accept(Keyword::Ignore)) {
                expect(Keyword::Null);
                create.ignoreNull = true;
            } else {
                fail(QStringLiteral("PRIMARY, DISALLOW NULL or IGNORE NULL"));
            }
        } while (at(Keyword::Primary) || at(Keyword::Disallow) || at(Keyword::Ignore));
    }
    return create;
}

DropStatement Parser::dropStatement() {
    AreaScope scope(*this, SyntaxArea::Drop);
    DropStatement drop;
    if (accept(Keyword::Table)) {
        drop.object = DropStatement::Object::Table;
        drop.table = tableName();
        return drop;
    }
    if (!accept(Keyword::Index)) fail(QStringLiteral("TABLE or INDEX"));
    drop.object = DropStatement::Object::Index;
    drop.index = namePart("an index name");
    expect(Keyword::On);
    drop.table = tableName();
    return drop;
}

AlterTableStatement Parser::alterTable() {
    AreaScope scope(*this, SyntaxArea::AlterTable);
    AlterTableStatement alter;
    expect(Keyword::Table);
    alter.table = tableName();
    if (accept(Keyword::Add)) {
        if (atTableConstraint()) {
            alter.action = AlterTableStatement::Action::AddConstraint;
            alter.constraint = tableConstraint();
        } else {
            accept(Keyword::Column);
            alter.action = AlterTableStatement::Action::AddColumn;
            alter.column = columnDefinition();
        }
    } else if (accept(Keyword::Alter)) {
        accept(Keyword::Column);
        alter.action = AlterTableStatement::Action::AlterColumn;
        alter.column = columnDefinition();
    } else if (accept(Keyword::Drop)) {
        if (accept(Keyword::Constraint)) {
            alter.action = AlterTableStatement::Action::DropConstraint;
            alter.name = namePart("a constraint name");
        } else {
            accept(Keyword::Column);
            alter.action = AlterTableStatement::Action::DropColumn;
            alter.name = namePart("a column name");
        }
    } else {
        fail(QStringLiteral("ADD, ALTER or DROP"));
    }
    return alter;
}

TransformStatement Parser::transformStatement() {
    AreaScope scope(*this, SyntaxArea::Transform);
    TransformStatement transform;
    take();  // TRANSFORM
    transform.aggregate = expression();
    transform.aggregateAlias = optionalAlias();
    if (!at(Keyword::Select)) fail(QStringLiteral("SELECT"));
    transform.select = query();
    expect(Keyword::Pivot);
    {
        // Read below comparisons, so that IN starts the column list instead of an In predicate.
        AreaScope pivot(*this, SyntaxArea::Expression);
        transform.pivot = concatenation();
    }
    if (accept(Keyword::In)) {
        expect(TokenKind::LeftParen, "'(' after IN");
        {
            AreaScope values(*this, SyntaxArea::Expression);
            transform.pivotValues = expressionList();
        }
        expect(TokenKind::RightParen, "')'");
    }
    return transform;
}

}  // namespace veranth::engine::sql
