// SELECT, its FROM clause with the dialect's parenthesised joins, and UNION.
#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

namespace {

QueryPtr wrap(SelectQuery select) {
    auto query = std::make_unique<QueryExpression>();
    query->body = std::move(select);
    return query;
}

bool makesTable(const QueryExpression& query) {
    const SelectQuery* select = query.select();
    return select && select->into;
}

SelectQuery& leftmostSelect(QueryExpression& query) {
    QueryExpression* node = &query;
    while (auto* operation = std::get_if<SetOperation>(&node->body)) node = operation->left.get();
    return std::get<SelectQuery>(node->body);
}

}  // namespace

QueryPtr Parser::query() {
    DepthGuard guard(*this);
    AreaScope scope(*this, SyntaxArea::Select);
    QueryPtr result = queryTerm();
    while (at(Keyword::Union)) {
        const Token& unionToken = take();
        SetOperation operation;
        operation.position = unionToken.position;
        operation.all = accept(Keyword::All);
        operation.left = std::move(result);
        operation.right = queryTerm();
        if (makesTable(*operation.left) || makesTable(*operation.right))
            failAt(unionToken, QStringLiteral("a union cannot make a table with INTO"));
        result = std::make_unique<QueryExpression>();
        result->body = std::move(operation);
    }
    if (at(Keyword::Order)) {
        const Token& orderToken = take();
        expect(Keyword::By);
        std::vector<OrderItem>& target = result->isUnion() ? std::get<SetOperation>(result->body).orderBy
                                                           : std::get<SelectQuery>(result->body).orderBy;
        if (!target.empty()) failAt(orderToken, QStringLiteral("the query already has an ORDER BY"));
        target = orderList();
    }
    if (accept(Keyword::With)) {
        expect(Keyword::OwnerAccess);
        expect(Keyword::Option);
        leftmostSelect(*result).ownerAccess = true;
    }
    return result;
}

QueryPtr Parser::queryTerm() {
    if (at(TokenKind::LeftParen)) {
        take();
        QueryPtr inner = query();
        expect(TokenKind::RightParen, "')'");
        return inner;
    }
    return wrap(selectCore());
}

SelectQuery Parser::selectCore() {
    SelectQuery select;
    select.position = peek().position;
    expect(Keyword::Select);
    selectHead(select);
    select.items = selectList();
    if (accept(Keyword::Into)) {
        IntoTarget into;
        into.table = tableName();
        into.external = optionalExternalDatabase();
        select.into = std::move(into);
    }
    if (accept(Keyword::From)) fromClause(select.from, select.fromExternal);
    if (accept(Keyword::Where)) select.where = expression();
    if (accept(Keyword::Group)) {
        expect(Keyword::By);
        AreaScope scope(*this, SyntaxArea::Expression);
        select.groupBy = expressionList();
    }
    if (accept(Keyword::Having)) select.having = expression();
    return select;
}

// DISTINCT / DISTINCTROW / ALL and TOP n [PERCENT], in either order.
void Parser::selectHead(SelectQuery& select) {
    bool quantified = false;
    while (true) {
        if (!quantified && (at(Keyword::Distinct) || at(Keyword::DistinctRow) || at(Keyword::All))) {
            const Keyword word = take().keyword;
            select.quantifier = word == Keyword::Distinct      ? SelectQuantifier::Distinct
                                : word == Keyword::DistinctRow ? SelectQuantifier::DistinctRow
                                                               : SelectQuantifier::All;
            quantified = true;
            continue;
        }
        if (!select.top && accept(Keyword::Top)) {
            const Token& count = expect(TokenKind::Number, "a number after TOP");
            TopClause top{count.string(), accept(Keyword::Percent)};
            if (!top.percent && (count.text.contains(u'.') || count.text.contains(u'e', Qt::CaseInsensitive)))
                failAt(count, QStringLiteral("TOP needs a whole number of rows, not %1").arg(describe(count)));
            select.top = std::move(top);
            continue;
        }
        return;
    }
}

std::vector<SelectItem> Parser::selectList() {
    std::vector<SelectItem> items;
    do {
        items.push_back(selectItem());
    } while (accept(TokenKind::Comma));
    return items;
}

SelectItem Parser::selectItem() {
    SelectItem item;
    item.position = peek().position;
    if (accept(TokenKind::Star)) return item;
    if (atQualifiedStar()) {
        item.starQualifier = qualifiedStar();
        return item;
    }
    item.expression = expression();
    item.alias = optionalAlias();
    return item;
}

// IN 'file', IN '' 'connect', IN '' [connect]
std::optional<ExternalDatabase> Parser::optionalExternalDatabase() {
    if (!at(Keyword::In) || !at(TokenKind::String, 1)) return std::nullopt;
    ExternalDatabase external;
    external.position = take().position;
    external.database = take().string();
    if (at(TokenKind::String) || at(TokenKind::BracketedName)) external.connect = take().string();
    return external;
}

void Parser::fromClause(std::vector<TableSourcePtr>& from, std::optional<ExternalDatabase>& external) {
    AreaScope scope(*this, SyntaxArea::From);
    do {
        from.push_back(tableExpression());
    } while (accept(TokenKind::Comma));
    external = optionalExternalDatabase();
}

TableSourcePtr Parser::tableExpression() {
    TableSourcePtr left = tablePrimary();
    while (true) {
        const SourcePosition position = peek().position;
        const std::optional<JoinKind> kind = joinOperator();
        if (!kind) return left;
        AreaScope scope(*this, SyntaxArea::Join);
        auto join = std::make_unique<Join>(*kind, position);
        join->left = std::move(left);
        join->right = tablePrimary();
        expect(Keyword::On);
        join->on = expression();
        left = std::move(join);
    }
}

TableSourcePtr Parser::tablePrimary() {
    DepthGuard guard(*this);
    const SourcePosition position = peek().position;
    if (at(TokenKind::LeftParen)) {
        if (atParenthesisedQuery()) {
            auto derived = std::make_unique<DerivedTable>(position);
            derived->query = parenthesisedQuery();
            derived->alias = optionalAlias();
            return derived;
        }
        take();
        TableSourcePtr inner = tableExpression();
        expect(TokenKind::RightParen, "')'");
        return inner;
    }
    auto table = std::make_unique<TableReference>(position);
    table->name = tableName();
    table->alias = optionalAlias();
    return table;
}

std::optional<JoinKind> Parser::joinOperator() {
    JoinKind kind = JoinKind::Inner;
    if (accept(Keyword::Inner)) {
        kind = JoinKind::Inner;
    } else if (at(Keyword::Left) || at(Keyword::Right)) {
        kind = take().keyword == Keyword::Left ? JoinKind::Left : JoinKind::Right;
        accept(Keyword::Outer);
    } else if (!at(Keyword::Join)) {
        return std::nullopt;
    }
    AreaScope scope(*this, SyntaxArea::Join);
    expect(Keyword::Join);
    return kind;
}

std::vector<OrderItem> Parser::orderList() {
    std::vector<OrderItem> items;
    do {
        items.push_back(orderItem());
    } while (accept(TokenKind::Comma));
    return items;
}

OrderItem Parser::orderItem() {
    AreaScope scope(*this, SyntaxArea::OrderBy);
    OrderItem item;
    item.expression = impExpression();
    if (accept(Keyword::Desc))
        item.descending = true;
    else
        accept(Keyword::Asc);
    return item;
}

}  // namespace veranth::engine::sql
