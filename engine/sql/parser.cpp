#include "engine/sql/parser.h"

#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

Statement Parser::statement() {
    Statement result;
    if (at(Keyword::Parameters)) result.parameters = parameterDeclarations();
    result.body = statementBody();
    // Text after the closing ';' is extra; text before it belongs to the clause it follows.
    AreaScope scope(*this, accept(TokenKind::Semicolon) ? SyntaxArea::TrailingText : lastArea_);
    expectEnd("statement");
    return result;
}

StatementBody Parser::statementBody() {
    AreaScope scope(*this, SyntaxArea::Statement);
    if (at(Keyword::Select) || at(TokenKind::LeftParen)) return query();
    if (at(Keyword::Insert)) return insertStatement();
    if (at(Keyword::Update)) return updateStatement();
    if (at(Keyword::Delete)) return deleteStatement();
    if (at(Keyword::Transform)) return transformStatement();
    if (accept(Keyword::Create)) {
        if (at(Keyword::Table)) return createTable();
        const bool unique = accept(Keyword::Unique);
        if (unique || at(Keyword::Index)) return createIndex(unique);
        fail(QStringLiteral("TABLE or INDEX after CREATE"));
    }
    if (accept(Keyword::Drop)) return dropStatement();
    if (accept(Keyword::Alter)) return alterTable();
    fail(QStringLiteral("SELECT, INSERT, UPDATE, DELETE, TRANSFORM, CREATE, DROP or ALTER"));
}

ExpressionPtr Parser::standaloneExpression() {
    ExpressionPtr result = expression();
    AreaScope scope(*this, SyntaxArea::Expression);
    expectEnd("expression");
    return result;
}

std::vector<OrderItem> Parser::standaloneOrderList() {
    std::vector<OrderItem> result = orderList();
    AreaScope scope(*this, SyntaxArea::OrderBy);
    expectEnd("sort order");
    return result;
}

Statement parseStatement(QStringView text) { return Parser(text).statement(); }

ExpressionPtr parseExpression(QStringView text) { return Parser(text).standaloneExpression(); }

ExpressionPtr parseRule(QStringView text, const QString& implicitField) {
    Parser parser(text);
    parser.setImplicitOperand(implicitField);
    return parser.standaloneExpression();
}

std::vector<OrderItem> parseOrderList(QStringView text) { return Parser(text).standaloneOrderList(); }

}  // namespace veranth::engine::sql
