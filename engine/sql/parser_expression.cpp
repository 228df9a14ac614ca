// Expressions, loosest binding first: Imp, Eqv, Xor, Or, And, Not, comparisons and predicates,
// &, + -, Mod, \, * /, unary - +, ^.
#include "engine/sql/parser_core.h"

namespace veranth::engine::sql {

namespace {

ExpressionPtr binary(BinaryOperator op, ExpressionPtr left, ExpressionPtr right, SourcePosition position) {
    return std::make_unique<Binary>(op, std::move(left), std::move(right), position);
}

std::optional<BinaryOperator> comparisonOperator(TokenKind kind) {
    switch (kind) {
        case TokenKind::Equal: return BinaryOperator::Equal;
        case TokenKind::NotEqual: return BinaryOperator::NotEqual;
        case TokenKind::Less: return BinaryOperator::Less;
        case TokenKind::LessEqual: return BinaryOperator::LessEqual;
        case TokenKind::Greater: return BinaryOperator::Greater;
        case TokenKind::GreaterEqual: return BinaryOperator::GreaterEqual;
        default: return std::nullopt;
    }
}

}  // namespace

ExpressionPtr Parser::expression() {
    AreaScope scope(*this, SyntaxArea::Expression);
    return impExpression();
}

// A left-associative chain of one keyword operator over the next tighter level.
ExpressionPtr Parser::keywordChain(Keyword keyword, BinaryOperator op, ExpressionPtr (Parser::*next)()) {
    ExpressionPtr left = (this->*next)();
    while (at(keyword)) {
        const SourcePosition position = take().position;
        left = binary(op, std::move(left), (this->*next)(), position);
    }
    return left;
}

// Every bracketed expression and argument comes back here, so this is where nesting is counted.
ExpressionPtr Parser::impExpression() {
    DepthGuard guard(*this);
    return keywordChain(Keyword::Imp, BinaryOperator::Imp, &Parser::eqvExpression);
}
ExpressionPtr Parser::eqvExpression() { return keywordChain(Keyword::Eqv, BinaryOperator::Eqv, &Parser::xorExpression); }
ExpressionPtr Parser::xorExpression() { return keywordChain(Keyword::Xor, BinaryOperator::Xor, &Parser::orExpression); }
ExpressionPtr Parser::orExpression() { return keywordChain(Keyword::Or, BinaryOperator::Or, &Parser::andExpression); }
ExpressionPtr Parser::andExpression() { return keywordChain(Keyword::And, BinaryOperator::And, &Parser::notExpression); }
ExpressionPtr Parser::modulo() { return keywordChain(Keyword::Mod, BinaryOperator::Mod, &Parser::integerDivision); }

ExpressionPtr Parser::notExpression() {
    DepthGuard guard(*this);
    if (at(Keyword::Not)) {
        const SourcePosition position = take().position;
        return std::make_unique<Unary>(UnaryOperator::Not, notExpression(), position);
    }
    return comparison();
}

ExpressionPtr Parser::comparison() {
    ExpressionPtr left = concatenation();
    while (true) {
        if (const auto op = comparisonOperator(peek().kind)) {
            const SourcePosition position = take().position;
            left = binary(*op, std::move(left), concatenation(), position);
            continue;
        }
        const bool negatedPredicate =
            at(Keyword::Not) && (at(Keyword::Like, 1) || at(Keyword::Between, 1) || at(Keyword::In, 1));
        if (!negatedPredicate && !at(Keyword::Like) && !at(Keyword::Between) && !at(Keyword::In) &&
            !at(Keyword::Is))
            return left;
        left = predicateAfter(std::move(left));
    }
}

// Like, Between, In and Is Null, each optionally negated, after their operand.
ExpressionPtr Parser::predicateAfter(ExpressionPtr operand) {
    const SourcePosition position = peek().position;
    if (accept(Keyword::Is)) {
        auto node = std::make_unique<IsNull>(position);
        node->negated = accept(Keyword::Not);
        expect(Keyword::Null);
        node->operand = std::move(operand);
        return node;
    }
    const bool negated = accept(Keyword::Not);
    if (accept(Keyword::Like)) {
        auto node = std::make_unique<Like>(position);
        node->operand = std::move(operand);
        node->pattern = concatenation();
        node->negated = negated;
        return node;
    }
    if (accept(Keyword::Between)) {
        auto node = std::make_unique<Between>(position);
        node->operand = std::move(operand);
        node->low = concatenation();
        expect(Keyword::And);
        node->high = concatenation();
        node->negated = negated;
        return node;
    }
    expect(Keyword::In);
    if (atParenthesisedQuery()) {
        auto node = std::make_unique<InSubquery>(position);
        node->operand = std::move(operand);
        node->query = parenthesisedQuery();
        node->negated = negated;
        return node;
    }
    auto node = std::make_unique<InList>(position);
    node->operand = std::move(operand);
    expect(TokenKind::LeftParen, "'(' after IN");
    node->values = expressionList();
    expect(TokenKind::RightParen, "')'");
    node->negated = negated;
    return node;
}

ExpressionPtr Parser::concatenation() {
    ExpressionPtr left = additive();
    while (at(TokenKind::Ampersand)) {
        const SourcePosition position = take().position;
        left = binary(BinaryOperator::Concat, std::move(left), additive(), position);
    }
    return left;
}

ExpressionPtr Parser::additive() {
    ExpressionPtr left = modulo();
    while (at(TokenKind::Plus) || at(TokenKind::Minus)) {
        const Token& token = take();
        const BinaryOperator op = token.kind == TokenKind::Plus ? BinaryOperator::Add : BinaryOperator::Subtract;
        left = binary(op, std::move(left), modulo(), token.position);
    }
    return left;
}

ExpressionPtr Parser::integerDivision() {
    ExpressionPtr left = multiplicative();
    while (at(TokenKind::Backslash)) {
        const SourcePosition position = take().position;
        left = binary(BinaryOperator::IntDivide, std::move(left), multiplicative(), position);
    }
    return left;
}

ExpressionPtr Parser::multiplicative() {
    ExpressionPtr left = unary();
    while (at(TokenKind::Star) || at(TokenKind::Slash)) {
        const Token& token = take();
        const BinaryOperator op = token.kind == TokenKind::Star ? BinaryOperator::Multiply : BinaryOperator::Divide;
        left = binary(op, std::move(left), unary(), token.position);
    }
    return left;
}

ExpressionPtr Parser::unary() {
    DepthGuard guard(*this);
    if (at(TokenKind::Minus) || at(TokenKind::Plus)) {
        const Token& token = take();
        const UnaryOperator op = token.kind == TokenKind::Minus ? UnaryOperator::Negate : UnaryOperator::Plus;
        return std::make_unique<Unary>(op, unary(), token.position);
    }
    // "a = Not b": Not also stands as an operand.
    if (at(Keyword::Not)) return notExpression();
    return power();
}

// ^ binds tighter than unary minus (-2 ^ 2 is -4) and takes a signed right operand (2 ^ -1).
ExpressionPtr Parser::power() {
    ExpressionPtr left = primary();
    while (at(TokenKind::Caret)) {
        const SourcePosition position = take().position;
        left = binary(BinaryOperator::Power, std::move(left), powerOperand(), position);
    }
    return left;
}

ExpressionPtr Parser::powerOperand() {
    DepthGuard guard(*this);
    if (at(TokenKind::Minus) || at(TokenKind::Plus)) {
        const Token& token = take();
        const UnaryOperator op = token.kind == TokenKind::Minus ? UnaryOperator::Negate : UnaryOperator::Plus;
        return std::make_unique<Unary>(op, powerOperand(), token.position);
    }
    return primary();
}

ExpressionPtr Parser::primary() {
    if (!implicitOperand_.isEmpty() && (comparisonOperator(peek().kind) || at(Keyword::Like) || at(Keyword::Between) ||
                                        at(Keyword::In) || at(Keyword::Is)))
        return std::make_unique<NameReference>(QStringList{implicitOperand_}, peek().position);
    switch (peek().kind) {
        case TokenKind::Number:
        case TokenKind::String:
        case TokenKind::DateLiteral: return literal();
        case TokenKind::LeftParen: return parenthesised();
        case TokenKind::BracketedName: return nameOrCall();
        case TokenKind::Identifier: break;
        default: fail(QStringLiteral("an expression"));
    }
    switch (peek().keyword) {
        case Keyword::True:
        case Keyword::False:
        case Keyword::Null: return literal();
        case Keyword::Exists: {
            auto node = std::make_unique<Exists>(take().position);
            if (!atParenthesisedQuery()) fail(QStringLiteral("a subquery after EXISTS"));
            node->query = parenthesisedQuery();
            return node;
        }
        default: break;
    }
    // Left and Right are join words, Asc an ORDER BY word, and all three are functions too.
    const bool keywordAsFunction =
        (at(Keyword::Left) || at(Keyword::Right) || at(Keyword::Asc)) && at(TokenKind::LeftParen, 1);
    if (atNamePart() || keywordAsFunction) return nameOrCall();
    fail(QStringLiteral("an expression"));
}

ExpressionPtr Parser::literal() {
    const Token& token = take();
    switch (token.kind) {
        case TokenKind::Number: {
            bool integral = !token.text.contains(u'.') && !token.text.contains(u'e', Qt::CaseInsensitive);
            auto node = std::make_unique<Literal>(LiteralKind::Integer, token.position);
            if (integral) node->integer = token.text.toLongLong(&integral);
            if (!integral) {  // decimals, and integers too large for 64 bits
                node = std::make_unique<Literal>(LiteralKind::Decimal, token.position);
                node->text = token.string();
            }
            return node;
        }
        case TokenKind::String: {
            auto node = std::make_unique<Literal>(LiteralKind::String, token.position);
            node->text = token.value;
            return node;
        }
        case TokenKind::DateLiteral: {
            const std::optional<DateLiteralValue> date = readDateLiteral(token.text);
            if (!date) failAt(token, QStringLiteral("%1 is not a valid date").arg(describe(token)));
            auto node = std::make_unique<Literal>(LiteralKind::Date, token.position);
            node->text = token.string();
            node->date = *date;
            return node;
        }
        default: break;
    }
    if (token.keyword == Keyword::Null) return std::make_unique<Literal>(LiteralKind::Null, token.position);
    auto node = std::make_unique<Literal>(LiteralKind::Boolean, token.position);
    node->boolean = token.keyword == Keyword::True;
    return node;
}

ExpressionPtr Parser::nameOrCall() {
    const SourcePosition position = peek().position;
    if (at(TokenKind::Identifier) && at(TokenKind::LeftParen, 1)) {
        auto call = std::make_unique<Call>(take().string(), position);
        take();
        if (at(TokenKind::Star) && at(TokenKind::RightParen, 1)) {
            take();
            call->star = true;
        } else if (!at(TokenKind::RightParen)) {
            call->arguments = expressionList();
        }
        expect(TokenKind::RightParen, "')' to close the argument list");
        return call;
    }
    return std::make_unique<NameReference>(qualifiedName("a name"), position);
}

ExpressionPtr Parser::parenthesised() {
    if (atParenthesisedQuery()) {
        auto node = std::make_unique<Subquery>(peek().position);
        node->query = parenthesisedQuery();
        return node;
    }
    take();
    ExpressionPtr inner = impExpression();
    expect(TokenKind::RightParen, "')'");
    return inner;
}

std::vector<ExpressionPtr> Parser::expressionList() {
    std::vector<ExpressionPtr> list;
    do {
        list.push_back(impExpression());
    } while (accept(TokenKind::Comma));
    return list;
}

bool Parser::atParenthesisedQuery() const {
    size_t ahead = 0;
    while (at(TokenKind::LeftParen, ahead)) ++ahead;
    return ahead > 0 && at(Keyword::Select, ahead);
}

QueryPtr Parser::parenthesisedQuery() {
    expect(TokenKind::LeftParen, "'('");
    QueryPtr inner = query();
    expect(TokenKind::RightParen, "')' to close the subquery");
    return inner;
}

}  // namespace veranth::engine::sql
