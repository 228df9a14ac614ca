// INSERT INTO, UPDATE and DELETE.
#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

InsertStatement Parser::insertStatement() {
    AreaScope scope(*this, SyntaxArea::InsertInto);
    InsertStatement insert;
    take();  // INSERT
    expect(Keyword::Into);
    insert.target = tableName();
    insert.external = optionalExternalDatabase();
    if (at(TokenKind::LeftParen) && !atParenthesisedQuery()) insert.columns = nameList("a column name");
    if (accept(Keyword::Values)) {
        expect(TokenKind::LeftParen, "'(' after VALUES");
        {
            AreaScope values(*this, SyntaxArea::Expression);
            insert.values = expressionList();
        }
        expect(TokenKind::RightParen, "')' to close the VALUES list");
        if (!insert.columns.isEmpty() && insert.columns.size() != static_cast<qsizetype>(insert.values.size()))
            failAt(tokens_[current_ - 1], QStringLiteral("%1 columns are named but %2 values are given")
                                              .arg(insert.columns.size())
                                              .arg(insert.values.size()));
        return insert;
    }
    if (!at(Keyword::Select) && !atParenthesisedQuery()) fail(QStringLiteral("VALUES or SELECT"));
    insert.query = query();
    return insert;
}

UpdateStatement Parser::updateStatement() {
    AreaScope scope(*this, SyntaxArea::Update);
    UpdateStatement update;
    take();  // UPDATE
    update.table = tableExpression();
    expect(Keyword::Set);
    do {
        update.assignments.push_back(assignment());
    } while (accept(TokenKind::Comma));
    if (accept(Keyword::Where)) update.where = expression();
    return update;
}

Assignment Parser::assignment() {
    Assignment assignment;
    assignment.position = peek().position;
    assignment.column = qualifiedName("a column name");
    expect(TokenKind::Equal, "'='");
    assignment.value = expression();
    return assignment;
}

DeleteStatement Parser::deleteStatement() {
    AreaScope scope(*this, SyntaxArea::Delete);
    DeleteStatement statement;
    take();  // DELETE
    while (!at(Keyword::From)) {
        if (accept(TokenKind::Star))
            statement.targets.push_back({});
        else if (atQualifiedStar())
            statement.targets.push_back(qualifiedStar());
        else
            fail(QStringLiteral("FROM"));
        if (!accept(TokenKind::Comma)) break;
    }
    expect(Keyword::From);
    fromClause(statement.from, statement.fromExternal);
    if (accept(Keyword::Where)) statement.where = expression();
    return statement;
}

}  // namespace veranth::engine::sql
