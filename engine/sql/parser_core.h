#pragma once

// The recursive-descent parser behind parser.h. Its grammar is split by subject:
// parser_core.cpp (tokens, names, errors), parser_expression.cpp, parser_query.cpp (SELECT,
// FROM, UNION), parser_action.cpp (INSERT, UPDATE, DELETE), parser_definition.cpp (PARAMETERS,
// data types, CREATE, DROP, ALTER, TRANSFORM) and parser.cpp (statements and entry points).

#include <vector>

#include "engine/sql/ast.h"
#include "engine/sql/syntax_error.h"
#include "engine/sql/token.h"

namespace veranth::engine::sql {

class Parser {
public:
    explicit Parser(QStringView source);

    Statement statement();
    ExpressionPtr standaloneExpression();
    std::vector<OrderItem> standaloneOrderList();
    // A validation rule may leave out the field it belongs to before each comparison.
    void setImplicitOperand(QString field) { implicitOperand_ = std::move(field); }

private:
    // Errors are reported in the area of the clause being read.
    class AreaScope {
    public:
        AreaScope(Parser& parser, SyntaxArea area) : parser_(parser), saved_(parser.area_) { parser.area_ = area; }
        ~AreaScope() { parser_.area_ = saved_; }
        AreaScope(const AreaScope&) = delete;
        AreaScope& operator=(const AreaScope&) = delete;

    private:
        Parser& parser_;
        SyntaxArea saved_;
    };

    // Statements are typed by users, so nesting is bounded: a deep enough one would exhaust the
    // stack. Each recursive rule holds a guard while it runs.
    class DepthGuard {
    public:
        explicit DepthGuard(Parser& parser);
        ~DepthGuard() { --parser_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        Parser& parser_;
    };

    // ---- tokens (parser_core.cpp)
    const Token& peek(size_t ahead = 0) const {
        const size_t index = current_ + ahead;
        return index < tokens_.size() ? tokens_[index] : tokens_.back();
    }
    const Token& take();
    bool at(TokenKind kind, size_t ahead = 0) const { return peek(ahead).kind == kind; }
    bool at(Keyword keyword, size_t ahead = 0) const {
        const Token& token = peek(ahead);
        return token.kind == TokenKind::Identifier && token.keyword == keyword;
    }
    bool accept(TokenKind kind);
    bool accept(Keyword keyword);
    const Token& expect(TokenKind kind, const char* what);
    void expect(Keyword keyword);
    [[noreturn]] void fail(const QString& expected) const;
    [[noreturn]] void failAt(const Token& token, const QString& detail) const;
    QString describe(const Token& token) const;
    void expectEnd(const char* what);

    // ---- names (parser_core.cpp)
    bool atNamePart(size_t ahead = 0) const;  // an unreserved identifier or a [name]
    QString namePart(const char* what);
    bool atQualifiedStar() const;             // name(.name)*.*
    QStringList qualifiedStar();
    QStringList qualifiedName(const char* what);
    TableName tableName();
    QString optionalAlias();
    QStringList nameList(const char* what);   // ( a, b, ... )

    // ---- expressions (parser_expression.cpp)
    ExpressionPtr expression();
    ExpressionPtr keywordChain(Keyword keyword, BinaryOperator op, ExpressionPtr (Parser::*next)());
    ExpressionPtr impExpression();
    ExpressionPtr eqvExpression();
    ExpressionPtr xorExpression();
    ExpressionPtr orExpression();
    ExpressionPtr andExpression();
    ExpressionPtr notExpression();
    ExpressionPtr comparison();
    ExpressionPtr predicateAfter(ExpressionPtr operand);
    ExpressionPtr concatenation();
    ExpressionPtr additive();
    ExpressionPtr modulo();
    ExpressionPtr integerDivision();
    ExpressionPtr multiplicative();
    ExpressionPtr unary();
    ExpressionPtr power();
    ExpressionPtr powerOperand();
    ExpressionPtr primary();
    ExpressionPtr literal();
    ExpressionPtr nameOrCall();
    ExpressionPtr parenthesised();
    std::vector<ExpressionPtr> expressionList();
    QueryPtr parenthesisedQuery();
    bool atParenthesisedQuery() const;

    // ---- queries (parser_query.cpp)
    QueryPtr query();
    QueryPtr queryTerm();
    SelectQuery selectCore();
    void selectHead(SelectQuery& select);
    std::vector<SelectItem> selectList();
    SelectItem selectItem();
    std::optional<ExternalDatabase> optionalExternalDatabase();
    void fromClause(std::vector<TableSourcePtr>& from, std::optional<ExternalDatabase>& external);
    TableSourcePtr tableExpression();
    TableSourcePtr tablePrimary();
    std::optional<JoinKind> joinOperator();
    std::vector<OrderItem> orderList();
    OrderItem orderItem();

    // ---- action statements (parser_action.cpp)
    InsertStatement insertStatement();
    UpdateStatement updateStatement();
    Assignment assignment();
    DeleteStatement deleteStatement();

    // ---- definitions (parser_definition.cpp)
    std::vector<ParameterDeclaration> parameterDeclarations();
    TypeDeclaration typeDeclaration();
    ColumnDefinition columnDefinition();
    bool atTableConstraint() const;
    ConstraintDefinition tableConstraint();
    bool atColumnConstraint() const;
    ConstraintDefinition columnConstraint();
    void constraintBody(ConstraintDefinition& constraint, bool withColumns);
    CreateTableStatement createTable();
    CreateIndexStatement createIndex(bool unique);
    DropStatement dropStatement();
    AlterTableStatement alterTable();
    TransformStatement transformStatement();

    // ---- statements (parser.cpp)
    StatementBody statementBody();

    QStringView source_;
    std::vector<Token> tokens_;
    size_t current_ = 0;
    SyntaxArea area_ = SyntaxArea::Statement;
    SyntaxArea lastArea_ = SyntaxArea::Statement;  // where the last token taken was read
    int depth_ = 0;
    QString implicitOperand_;
};

}  // namespace veranth::engine::sql
