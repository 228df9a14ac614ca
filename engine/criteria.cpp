#include "engine/criteria.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/like.h"
#include "engine/native/sqlite_db.h"
#include "engine/sql/parser.h"
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

// The dialect's expression tree as criteria nodes: Find, Filter and validation rules read with
// the same grammar as statements, and are evaluated row by row or written as bound SQLite text.
class FromTree {
public:
    explicit FromTree(const QString& text) : text_(text) {}

    NodePtr node(const sql::Expression& e) const {
        switch (e.kind) {
        case sql::ExpressionKind::Literal: return literalNode(literal(e.as<sql::Literal>()));
        case sql::ExpressionKind::Name: return fieldNode(e.as<sql::NameReference>().name());
        case sql::ExpressionKind::Unary: {
            const auto& u = e.as<sql::Unary>();
            if (u.op == sql::UnaryOperator::Plus) return node(*u.operand);
            return makeNode(u.op == sql::UnaryOperator::Not ? NodeKind::Not : NodeKind::Negate, QString(), {node(*u.operand)});
        }
        case sql::ExpressionKind::Binary: {
            const auto& b = e.as<sql::Binary>();
            return makeNode(NodeKind::Binary, binaryName(b.op), {node(*b.left), node(*b.right)});
        }
        case sql::ExpressionKind::Like: {
            const auto& l = e.as<sql::Like>();
            return makeNode(NodeKind::Like, QString(), {node(*l.operand), node(*l.pattern)}, l.negated);
        }
        case sql::ExpressionKind::Between: {
            const auto& b = e.as<sql::Between>();
            return makeNode(NodeKind::Between, QString(), {node(*b.operand), node(*b.low), node(*b.high)}, b.negated);
        }
        case sql::ExpressionKind::IsNull: {
            const auto& n = e.as<sql::IsNull>();
            return makeNode(NodeKind::IsNull, QString(), {node(*n.operand)}, n.negated);
        }
        case sql::ExpressionKind::InList: {
            const auto& in = e.as<sql::InList>();
            std::vector<NodePtr> items{node(*in.operand)};
            for (const auto& v : in.values) items.push_back(node(*v));
            return makeNode(NodeKind::In, QString(), std::move(items), in.negated);
        }
        default: break;
        }
        // Functions and subqueries need a statement: they are refused rather than guessed at.
        throw EngineError::withDescription(
            err::kSyntaxErrorInExpression,
            QStringLiteral("Functions and subqueries cannot be used in '%1'; write a query instead.").arg(text_));
    }

private:
    static Value literal(const sql::Literal& l) {
        switch (l.literalKind) {
        case sql::LiteralKind::Integer:
            if (l.integer >= INT32_MIN && l.integer <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(l.integer));
            return Value::doubleValue(static_cast<double>(l.integer));
        case sql::LiteralKind::Decimal: return Value::doubleValue(l.text.toDouble());
        case sql::LiteralKind::String: return Value(l.text);
        case sql::LiteralKind::Date:
            return Value::date(dateSerial(l.date.year, l.date.month, l.date.day, l.date.hour, l.date.minute, l.date.second));
        case sql::LiteralKind::Boolean: return Value::boolean(l.boolean);
        case sql::LiteralKind::Null: break;
        }
        return Value::null();
    }

    QString binaryName(sql::BinaryOperator op) const {
        using O = sql::BinaryOperator;
        switch (op) {
        case O::Xor: return QStringLiteral("Xor");
        case O::Or: return QStringLiteral("Or");
        case O::And: return QStringLiteral("And");
        case O::Equal: return QStringLiteral("=");
        case O::NotEqual: return QStringLiteral("<>");
        case O::Less: return QStringLiteral("<");
        case O::LessEqual: return QStringLiteral("<=");
        case O::Greater: return QStringLiteral(">");
        case O::GreaterEqual: return QStringLiteral(">=");
        case O::Concat: return QStringLiteral("&");
        case O::Add: return QStringLiteral("+");
        case O::Subtract: return QStringLiteral("-");
        case O::Mod: return QStringLiteral("Mod");
        case O::IntDivide: return QStringLiteral("\\");
        case O::Multiply: return QStringLiteral("*");
        case O::Divide: return QStringLiteral("/");
        case O::Power: return QStringLiteral("^");
        case O::Imp:
        case O::Eqv: break;
        }
        throw EngineError::withDescription(err::kSyntaxErrorInExpression,
                                           QStringLiteral("Imp and Eqv cannot be used in '%1'.").arg(text_));
    }

    const QString& text_;
};

NodePtr parsed(const QString& text, const QString& implicitField) {
    try {
        const sql::ExpressionPtr tree = implicitField.isEmpty() ? sql::parseExpression(text) : sql::parseRule(text, implicitField);
        return FromTree(text).node(*tree);
    } catch (const sql::SqlSyntaxError& error) {
        throw EngineError::withDescription(err::kSyntaxErrorInExpression, error.message());
    }
}

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

Criteria Criteria::parse(const QString& text) { return Criteria(parsed(text, QString()), text); }

Criteria Criteria::parseRule(const QString& text, const QString& implicitField) {
    return Criteria(parsed(text, implicitField), text);
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
