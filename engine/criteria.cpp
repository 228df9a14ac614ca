#include "engine/criteria.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/like.h"
#include "engine/native/sqlite_db.h"
#include "engine/value_ops.h"

namespace veranth::engine {

enum class NodeKind { Literal, Field, Not, Negate, Binary, Like, Between, In, IsNull };

struct CriteriaNode {
    NodeKind kind = NodeKind::Literal;
    Value literal;
    QString name;  // field name, or the binary operator ("=", "And", "+", ...)
    bool negated = false;
    std::vector<std::shared_ptr<const CriteriaNode>> children;
};

namespace {

using NodePtr = std::shared_ptr<const CriteriaNode>;

enum class TokenKind { End, Number, Text, Date, Name, Word, Symbol };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;  // upper-cased for words
    Value value;
};

class Lexer {
public:
    explicit Lexer(const QString& source) : source_(source) {}

    std::vector<Token> tokens() {
        std::vector<Token> out;
        for (;;) {
            Token t = next();
            out.push_back(t);
            if (t.kind == TokenKind::End) return out;
        }
    }

private:
    [[noreturn]] void fail() const { throw EngineError(err::kSyntaxErrorInExpression, source_); }

    Token next() {
        while (pos_ < source_.size() && source_[pos_].isSpace()) ++pos_;
        if (pos_ >= source_.size()) return {};
        const QChar c = source_[pos_];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) return quoted(c);
        if (c == QLatin1Char('#')) {
            const qsizetype close = source_.indexOf(QLatin1Char('#'), pos_ + 1);
            if (close < 0) fail();
            const auto serial = parseDateText(source_.mid(pos_ + 1, close - pos_ - 1));
            if (!serial) fail();
            pos_ = close + 1;
            return {TokenKind::Date, QString(), Value::date(*serial)};
        }
        if (c == QLatin1Char('[')) {
            QString name;
            // A qualified name [T].[F] keeps its last part: criteria run over one source.
            do {
                const qsizetype close = source_.indexOf(QLatin1Char(']'), pos_ + 1);
                if (close < 0) fail();
                name = source_.mid(pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
            } while (pos_ + 1 < source_.size() && source_[pos_] == QLatin1Char('.') && source_[pos_ + 1] == QLatin1Char('[') && ++pos_);
            return {TokenKind::Name, name, Value()};
        }
        if (c.isDigit() || (c == QLatin1Char('.') && pos_ + 1 < source_.size() && source_[pos_ + 1].isDigit()))
            return number();
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = pos_;
            while (pos_ < source_.size() && (source_[pos_].isLetterOrNumber() || source_[pos_] == QLatin1Char('_') ||
                                             source_[pos_] == QLatin1Char('.')))
                ++pos_;
            QString word = source_.mid(start, pos_ - start);
            static const QStringList keywords = {"AND", "OR", "NOT", "LIKE", "BETWEEN", "IN", "IS",
                                                 "NULL", "TRUE", "FALSE", "MOD", "XOR"};
            if (keywords.contains(word.toUpper())) return {TokenKind::Word, word.toUpper(), Value()};
            if (word.contains(QLatin1Char('.'))) word = word.section(QLatin1Char('.'), -1);
            return {TokenKind::Name, word, Value()};
        }
        static const QStringList twoChar = {"<>", "<=", ">=", "=<", "=>"};
        const QString pair = source_.mid(pos_, 2);
        if (twoChar.contains(pair)) {
            pos_ += 2;
            QString op = pair == QLatin1String("=<") ? QStringLiteral("<=") : pair == QLatin1String("=>") ? QStringLiteral(">=") : pair;
            return {TokenKind::Symbol, op, Value()};
        }
        if (QStringLiteral("=<>+-*/\\&^(),").contains(c)) {
            ++pos_;
            return {TokenKind::Symbol, QString(c), Value()};
        }
        fail();
    }

    Token quoted(QChar quote) {
        QString text;
        ++pos_;
        for (;;) {
            if (pos_ >= source_.size()) fail();
            if (source_[pos_] == quote) {
                if (pos_ + 1 < source_.size() && source_[pos_ + 1] == quote) {
                    text += quote;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return {TokenKind::Text, text, Value(text)};
            }
            text += source_[pos_++];
        }
    }

    Token number() {
        const qsizetype start = pos_;
        while (pos_ < source_.size() && (source_[pos_].isDigit() || source_[pos_] == QLatin1Char('.'))) ++pos_;
        if (pos_ < source_.size() && source_[pos_].toUpper() == QLatin1Char('E')) {
            qsizetype p = pos_ + 1;
            if (p < source_.size() && (source_[p] == QLatin1Char('+') || source_[p] == QLatin1Char('-'))) ++p;
            if (p < source_.size() && source_[p].isDigit()) {
                pos_ = p;
                while (pos_ < source_.size() && source_[pos_].isDigit()) ++pos_;
            }
        }
        const QString text = source_.mid(start, pos_ - start);
        const auto x = parseNumber(text);
        if (!x) fail();
        const bool whole = !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'), Qt::CaseInsensitive);
        if (whole && *x <= INT32_MAX) return {TokenKind::Number, text, Value::longValue(static_cast<std::int32_t>(*x))};
        return {TokenKind::Number, text, Value::doubleValue(*x)};
    }

    QString source_;
    qsizetype pos_ = 0;
};

NodePtr makeNode(NodeKind kind, QString name, std::vector<NodePtr> children, bool negated = false) {
    auto n = std::make_shared<CriteriaNode>();
    n->kind = kind;
    n->name = std::move(name);
    n->children = std::move(children);
    n->negated = negated;
    return n;
}

NodePtr literalNode(const Value& v) {
    auto n = std::make_shared<CriteriaNode>();
    n->kind = NodeKind::Literal;
    n->literal = v;
    return n;
}

NodePtr fieldNode(const QString& name) { return makeNode(NodeKind::Field, name, {}); }

class Parser {
public:
    Parser(const QString& text, QString implicitField)
        : text_(text), tokens_(Lexer(text).tokens()), implicitField_(std::move(implicitField)) {}

    NodePtr parseAll() {
        NodePtr root = orExpr();
        if (peek().kind != TokenKind::End) fail();
        return root;
    }

private:
    [[noreturn]] void fail() const { throw EngineError(err::kSyntaxErrorInExpression, text_); }
    const Token& peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
    bool isWord(const char* w, size_t ahead = 0) const {
        return peek(ahead).kind == TokenKind::Word && peek(ahead).text == QLatin1String(w);
    }
    bool isSymbol(const char* s) const { return peek().kind == TokenKind::Symbol && peek().text == QLatin1String(s); }
    Token take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
    void expectSymbol(const char* s) {
        if (!isSymbol(s)) fail();
        take();
    }

    NodePtr orExpr() {
        NodePtr left = andExpr();
        while (isWord("OR") || isWord("XOR")) {
            const QString op = take().text == QLatin1String("OR") ? QStringLiteral("Or") : QStringLiteral("Xor");
            left = makeNode(NodeKind::Binary, op, {left, andExpr()});
        }
        return left;
    }

    NodePtr andExpr() {
        NodePtr left = notExpr();
        while (isWord("AND")) {
            take();
            left = makeNode(NodeKind::Binary, QStringLiteral("And"), {left, notExpr()});
        }
        return left;
    }

    NodePtr notExpr() {
        if (isWord("NOT")) {
            take();
            return makeNode(NodeKind::Not, QString(), {notExpr()});
        }
        return comparison();
    }

    NodePtr comparison() {
        NodePtr left = additive();
        static const QStringList ops = {"=", "<>", "<", ">", "<=", ">="};
        if (peek().kind == TokenKind::Symbol && ops.contains(peek().text)) {
            const QString op = take().text;
            return makeNode(NodeKind::Binary, op, {left, additive()});
        }
        bool negated = false;
        if (isWord("NOT") && (isWord("LIKE", 1) || isWord("BETWEEN", 1) || isWord("IN", 1))) {
            take();
            negated = true;
        }
        if (isWord("LIKE")) {
            take();
            return makeNode(NodeKind::Like, QString(), {left, additive()}, negated);
        }
        if (isWord("BETWEEN")) {
            take();
            NodePtr low = additive();
            if (!isWord("AND")) fail();
            take();
            return makeNode(NodeKind::Between, QString(), {left, low, additive()}, negated);
        }
        if (isWord("IN")) {
            take();
            expectSymbol("(");
            std::vector<NodePtr> items{left};
            items.push_back(additive());
            while (isSymbol(",")) {
                take();
                items.push_back(additive());
            }
            expectSymbol(")");
            return makeNode(NodeKind::In, QString(), items, negated);
        }
        if (isWord("IS")) {
            take();
            bool isNot = false;
            if (isWord("NOT")) {
                take();
                isNot = true;
            }
            if (!isWord("NULL")) fail();
            take();
            return makeNode(NodeKind::IsNull, QString(), {left}, isNot);
        }
        if (negated) fail();
        return left;
    }

    NodePtr additive() {
        NodePtr left = multiplicative();
        while (isSymbol("+") || isSymbol("-") || isSymbol("&")) {
            const QString op = take().text;
            left = makeNode(NodeKind::Binary, op, {left, multiplicative()});
        }
        return left;
    }

    NodePtr multiplicative() {
        NodePtr left = unary();
        while (isSymbol("*") || isSymbol("/") || isSymbol("\\") || isWord("MOD") || isSymbol("^")) {
            const QString op = take().text;
            left = makeNode(NodeKind::Binary, op == QLatin1String("MOD") ? QStringLiteral("Mod") : op, {left, unary()});
        }
        return left;
    }

    NodePtr unary() {
        if (isSymbol("-")) {
            take();
            return makeNode(NodeKind::Negate, QString(), {unary()});
        }
        if (isSymbol("+")) take();
        return primary();
    }

    bool startsComparison() const {
        static const QStringList ops = {"=", "<>", "<", ">", "<=", ">="};
        if (peek().kind == TokenKind::Symbol && ops.contains(peek().text)) return true;
        return isWord("LIKE") || isWord("BETWEEN") || isWord("IN") || isWord("IS");
    }

    NodePtr primary() {
        if (!implicitField_.isEmpty() && startsComparison()) return fieldNode(implicitField_);
        const Token t = take();
        switch (t.kind) {
        case TokenKind::Number:
        case TokenKind::Text:
        case TokenKind::Date: return literalNode(t.value);
        case TokenKind::Name: return fieldNode(t.text);
        case TokenKind::Word:
            if (t.text == QLatin1String("NULL")) return literalNode(Value::null());
            if (t.text == QLatin1String("TRUE")) return literalNode(Value::boolean(true));
            if (t.text == QLatin1String("FALSE")) return literalNode(Value::boolean(false));
            fail();
        case TokenKind::Symbol:
            if (t.text == QLatin1String("(")) {
                NodePtr inner = orExpr();
                expectSymbol(")");
                return inner;
            }
            fail();
        case TokenKind::End: fail();
        }
        fail();
    }

    QString text_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    QString implicitField_;
};

// Three-valued logic: False And Null is False, True Or Null is True.
enum class Truth { False, True, Unknown };

Truth truthOf(const Value& v) {
    if (v.isNull()) return Truth::Unknown;
    return toBoolean(v) ? Truth::True : Truth::False;
}

Value valueOf(Truth t) { return t == Truth::Unknown ? Value::null() : Value::boolean(t == Truth::True); }

Value logical(const QString& op, const Value& a, const Value& b) {
    const Truth x = truthOf(a), y = truthOf(b);
    if (op == QLatin1String("And")) {
        if (x == Truth::False || y == Truth::False) return Value::boolean(false);
        return valueOf(x == Truth::Unknown || y == Truth::Unknown ? Truth::Unknown : Truth::True);
    }
    if (op == QLatin1String("Or")) {
        if (x == Truth::True || y == Truth::True) return Value::boolean(true);
        return valueOf(x == Truth::Unknown || y == Truth::Unknown ? Truth::Unknown : Truth::False);
    }
    if (x == Truth::Unknown || y == Truth::Unknown) return Value::null();
    return Value::boolean(x != y);
}

Value comparisonResult(const QString& op, const Value& a, const Value& b) {
    const auto c = compare(a, b);
    if (!c) return Value::null();
    bool r = false;
    if (op == QLatin1String("=")) r = *c == 0;
    else if (op == QLatin1String("<>")) r = *c != 0;
    else if (op == QLatin1String("<")) r = *c < 0;
    else if (op == QLatin1String(">")) r = *c > 0;
    else if (op == QLatin1String("<=")) r = *c <= 0;
    else r = *c >= 0;
    return Value::boolean(r);
}

bool isComparison(const QString& op) {
    return op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") ||
           op == QLatin1String(">") || op == QLatin1String("<=") || op == QLatin1String(">=");
}

Value evaluateNode(const CriteriaNode& n, const Criteria::FieldLookup& field) {
    auto child = [&](size_t i) { return evaluateNode(*n.children[i], field); };
    auto maybeNot = [&](const Value& v) {
        if (!n.negated || v.isNull()) return v;
        return Value::boolean(!toBoolean(v));
    };
    switch (n.kind) {
    case NodeKind::Literal: return n.literal;
    case NodeKind::Field: return field(n.name);
    case NodeKind::Not: {
        const Value v = child(0);
        return v.isNull() ? v : Value::boolean(!toBoolean(v));
    }
    case NodeKind::Negate: return negate(child(0));
    case NodeKind::Binary: {
        const Value a = child(0), b = child(1);
        const QString& op = n.name;
        if (op == QLatin1String("And") || op == QLatin1String("Or") || op == QLatin1String("Xor"))
            return logical(op, a, b);
        if (isComparison(op)) return comparisonResult(op, a, b);
        if (op == QLatin1String("+")) return add(a, b);
        if (op == QLatin1String("-")) return subtract(a, b);
        if (op == QLatin1String("*")) return multiply(a, b);
        if (op == QLatin1String("/")) return divide(a, b);
        if (op == QLatin1String("\\")) return intDivide(a, b);
        if (op == QLatin1String("Mod")) return modulo(a, b);
        if (op == QLatin1String("^")) return power(a, b);
        return concatenate(a, b);
    }
    case NodeKind::Like: {
        const Value a = child(0), p = child(1);
        if (a.isNull() || p.isNull()) return Value::null();
        return maybeNot(Value::boolean(likeMatch(toText(a), toText(p))));
    }
    case NodeKind::Between: {
        const Value a = child(0);
        const Value low = comparisonResult(QStringLiteral(">="), a, child(1));
        const Value high = comparisonResult(QStringLiteral("<="), a, child(2));
        return maybeNot(logical(QStringLiteral("And"), low, high));
    }
    case NodeKind::In: {
        const Value a = child(0);
        if (a.isNull()) return a;
        bool sawNull = false;
        for (size_t i = 1; i < n.children.size(); ++i) {
            const Value r = comparisonResult(QStringLiteral("="), a, child(i));
            if (r.isNull()) sawNull = true;
            else if (r.rawBool()) return maybeNot(Value::boolean(true));
        }
        return sawNull ? Value::null() : maybeNot(Value::boolean(false));
    }
    case NodeKind::IsNull: {
        const bool isNull = child(0).isNull();
        return Value::boolean(n.negated ? !isNull : isNull);
    }
    }
    return Value::null();
}

class SqlWriter {
public:
    explicit SqlWriter(const Criteria::FieldTypeLookup& types) : types_(types) {}
    Criteria::Sql sql;

    std::optional<FieldType> typeOf(const CriteriaNode& n) {
        if (n.kind != NodeKind::Field) return std::nullopt;
        auto t = types_(n.name);
        if (!t) throw EngineError::withDescription(
            err::kTooFewParameters, QStringLiteral("Too few parameters. Expected 1. ('%1' is not a field of the source.)").arg(n.name));
        return t;
    }

    // A value placed beside a field is bound in that field's storage form; a field compared
    // with such values (or with a field of its own type) is used as stored.
    QString operand(const CriteriaNode& n, std::optional<FieldType> partner, bool direct) {
        if (n.kind == NodeKind::Literal) {
            sql.parameters.emplace_back(n.literal, partner);
            return QStringLiteral("?");
        }
        if (n.kind == NodeKind::Field) return field(n, direct);
        return write(n);
    }

    QString field(const CriteriaNode& n, bool comparedDirectly) {
        const auto t = typeOf(n);
        const QString quoted = native::quoteName(n.name);
        // Currency is stored in 1/10000 units: outside a direct comparison it is shown as money.
        if (t == FieldType::Currency && !comparedDirectly) return QStringLiteral("(%1 / 10000.0)").arg(quoted);
        return quoted;
    }

    bool textual(const CriteriaNode& n) {
        if (n.kind == NodeKind::Literal) return n.literal.isText();
        if (n.kind == NodeKind::Field) return isTextual(*typeOf(n));
        return false;
    }

    QString collated(const CriteriaNode& a, const CriteriaNode& b) {
        return textual(a) || textual(b) ? QStringLiteral(" COLLATE ") + QLatin1String(native::kCollation) : QString();
    }

    std::pair<QString, QString> pair(const CriteriaNode& a, const CriteriaNode& b) {
        const auto ta = typeOf(a), tb = typeOf(b);
        const bool direct = a.kind == NodeKind::Literal || b.kind == NodeKind::Literal || (ta && tb && *ta == *tb);
        const QString left = operand(a, tb, direct);
        const QString right = operand(b, ta, direct);
        return {left, right};
    }

    // Between and In: the subject is used as stored when every other operand is a value.
    bool allLiteralsAfterFirst(const CriteriaNode& n) {
        for (size_t i = 1; i < n.children.size(); ++i)
            if (n.children[i]->kind != NodeKind::Literal) return false;
        return true;
    }

    QString write(const CriteriaNode& n) {
        switch (n.kind) {
        case NodeKind::Literal: return operand(n, std::nullopt, false);
        case NodeKind::Field: return field(n, false);
        case NodeKind::Not: return QStringLiteral("(NOT %1)").arg(write(*n.children[0]));
        case NodeKind::Negate: return QStringLiteral("(-%1)").arg(write(*n.children[0]));
        case NodeKind::Binary: {
            const CriteriaNode& a = *n.children[0];
            const CriteriaNode& b = *n.children[1];
            const QString& op = n.name;
            if (isComparison(op)) {
                const auto [l, r] = pair(a, b);
                return QStringLiteral("(%1 %2 %3%4)").arg(l, op, r, collated(a, b));
            }
            // Operands are written left to right: the bound values follow the same order.
            const QString l = write(a);
            const QString r = write(b);
            if (op == QLatin1String("And") || op == QLatin1String("Or"))
                return QStringLiteral("(%1 %2 %3)").arg(l, op.toUpper(), r);
            if (op == QLatin1String("Xor")) return QStringLiteral("((%1) <> (%2))").arg(l, r);
            if (op == QLatin1String("&")) return QStringLiteral("(IFNULL(%1,'') || IFNULL(%2,''))").arg(l, r);
            if (op == QLatin1String("\\")) return QStringLiteral("(CAST(%1 AS INTEGER) / CAST(%2 AS INTEGER))").arg(l, r);
            if (op == QLatin1String("Mod")) return QStringLiteral("(%1 % %2)").arg(l, r);
            if (op == QLatin1String("^")) return QStringLiteral("pow(%1, %2)").arg(l, r);
            if (op == QLatin1String("/")) return QStringLiteral("(CAST(%1 AS REAL) / %2)").arg(l, r);
            return QStringLiteral("(%1 %2 %3)").arg(l, op, r);
        }
        case NodeKind::Like: {
            const QString text = write(*n.children[0]);
            const QString pattern = write(*n.children[1]);  // after the text: bound in order
            return QStringLiteral("(%1%2(%3, %4))")
                .arg(n.negated ? QStringLiteral("NOT ") : QString(), QLatin1String(native::kLikeFunction), text, pattern);
        }
        case NodeKind::Between: {
            const CriteriaNode& a = *n.children[0];
            const auto ta = typeOf(a);
            const bool direct = allLiteralsAfterFirst(n);
            const QString subject = operand(a, std::nullopt, direct);
            const QString low = operand(*n.children[1], ta, direct);
            const QString high = operand(*n.children[2], ta, direct);
            return QStringLiteral("(%1 %2BETWEEN %3 AND %4%5)")
                .arg(subject, n.negated ? QStringLiteral("NOT ") : QString(), low, high, collated(a, *n.children[1]));
        }
        case NodeKind::In: {
            const CriteriaNode& a = *n.children[0];
            const auto ta = typeOf(a);
            const bool direct = allLiteralsAfterFirst(n);
            const QString subject = operand(a, std::nullopt, direct);
            QStringList items;
            for (size_t i = 1; i < n.children.size(); ++i) items << operand(*n.children[i], ta, direct);
            return QStringLiteral("(%1%2 %3IN (%4))")
                .arg(subject, collated(a, *n.children[1]), n.negated ? QStringLiteral("NOT ") : QString(),
                     items.join(QStringLiteral(", ")));
        }
        case NodeKind::IsNull:
            return QStringLiteral("(%1 IS %2NULL)").arg(write(*n.children[0]), n.negated ? QStringLiteral("NOT ") : QString());
        }
        return QString();
    }

private:
    const Criteria::FieldTypeLookup& types_;
};

void collectNames(const CriteriaNode& n, QStringList& names) {
    if (n.kind == NodeKind::Field && !names.contains(n.name, Qt::CaseInsensitive)) names << n.name;
    for (const auto& c : n.children) collectNames(*c, names);
}

}  // namespace

Criteria Criteria::parse(const QString& text) { return Criteria(Parser(text, QString()).parseAll(), text); }

Criteria Criteria::parseRule(const QString& text, const QString& implicitField) {
    return Criteria(Parser(text, implicitField).parseAll(), text);
}

Value Criteria::evaluate(const FieldLookup& field) const { return evaluateNode(*root_, field); }

bool Criteria::matches(const FieldLookup& field) const {
    const Value v = evaluate(field);
    return !v.isNull() && toBoolean(v);
}

Criteria::Sql Criteria::toSql(const FieldTypeLookup& fieldType) const {
    SqlWriter writer(fieldType);
    writer.sql.text = writer.write(*root_);
    return writer.sql;
}

QStringList Criteria::fieldNames() const {
    QStringList names;
    collectNames(*root_, names);
    return names;
}

}  // namespace veranth::engine
