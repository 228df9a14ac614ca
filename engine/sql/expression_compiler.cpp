#include "engine/sql/expression_compiler.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/sql/function_library.h"
#include "engine/value_ops.h"

namespace veranth::engine::sql {

namespace {

constexpr const char* kCollate = " COLLATE VNOCASE";
constexpr int kWrongArgumentCount = 3075;
constexpr int kUndefinedFunction = 3085;

QString typeCode(SqlType t) { return QString::number(static_cast<int>(t)); }

bool isTextual(SqlType t) { return t == SqlType::Text; }

const char* comparisonOperator(BinaryOperator op) {
    switch (op) {
    case BinaryOperator::Equal: return "=";
    case BinaryOperator::NotEqual: return "<>";
    case BinaryOperator::Less: return "<";
    case BinaryOperator::LessEqual: return "<=";
    case BinaryOperator::Greater: return ">";
    case BinaryOperator::GreaterEqual: return ">=";
    default: return nullptr;
    }
}

Emitted conditionOf(QString sql) {
    Emitted e;
    e.sql = std::move(sql);
    e.type = SqlType::Boolean;
    e.condition = true;
    return e;
}

Emitted typed(QString sql, SqlType type) {
    Emitted e;
    e.sql = std::move(sql);
    e.type = type;
    return e;
}

bool isMinusOneOrZero(const Emitted& e) {
    if (!e.constant || !isIntegral(e.type)) return false;
    const auto n = e.constant->rawInteger();
    return n == 0 || n == -1;
}

}  // namespace

// ---- Forms --------------------------------------------------------------------------------

QString ExpressionCompiler::value(const Emitted& e) {
    return e.condition ? QStringLiteral("(-(%1))").arg(e.sql) : e.sql;
}

QString ExpressionCompiler::condition(const Emitted& e) {
    if (e.condition || isNumeric(e.type) || e.type == SqlType::Null || e.type == SqlType::Date) return e.sql;
    return convert(e, SqlType::Boolean);
}

QString ExpressionCompiler::collated(const Emitted& e) {
    return isTextual(e.type) ? value(e) + QLatin1String(kCollate) : value(e);
}

Emitted ExpressionCompiler::helper(const QString& name, SqlType result, const std::vector<Emitted>& arguments) {
    QString sql = QStringLiteral("vx_op_%1(%2").arg(name, typeCode(result));
    for (const Emitted& a : arguments) sql += QLatin1Char(',') + value(a) + QLatin1Char(',') + typeCode(a.type);
    return typed(sql + QLatin1Char(')'), result);
}

QString ExpressionCompiler::convert(const Emitted& e, SqlType target) {
    if (e.type == target || target == SqlType::Variant || e.type == SqlType::Null) return value(e);
    if (e.constant) return context_.constant(*e.constant, target);
    const bool plain = isPlainNumber(e.type) || e.type == SqlType::Date;
    if (target == SqlType::Currency && isIntegral(e.type)) return QStringLiteral("(%1 * 10000)").arg(value(e));
    if (e.type == SqlType::Currency && (target == SqlType::Double || target == SqlType::Single || target == SqlType::Date))
        return QStringLiteral("(%1 / 10000.0)").arg(e.sql);
    // Plain numbers and dates are numbers to SQLite already; only narrowing needs the rules.
    if (plain && (target == SqlType::Double || target == SqlType::Date || (target == SqlType::Single && e.type != SqlType::Double)))
        return value(e);
    if (plain && isIntegral(e.type) && isIntegral(target) && target != SqlType::Boolean &&
        static_cast<int>(e.type) <= static_cast<int>(target))
        return value(e);
    return helper(QStringLiteral("convert"), target, {e}).sql;
}

QString ExpressionCompiler::assign(const Emitted& e, SqlType target) {
    // Arithmetic on whole numbers is done in 64 bits: storing it checks the field's range.
    if (e.type == target && isIntegral(target) && !e.plainColumn && !e.constant && target != SqlType::Boolean)
        return helper(QStringLiteral("convert"), target, {typed(e.sql, SqlType::Variant)}).sql;
    return convert(e, target);
}

// ---- Leaves -------------------------------------------------------------------------------

Emitted ExpressionCompiler::constantOf(const Value& v) {
    Emitted e;
    e.type = sqlTypeOf(v.type());
    e.constant = v;
    e.neverNull = !v.isNull();
    e.sql = v.isNull() ? QStringLiteral("NULL") : context_.constant(v, e.type);
    return e;
}

Emitted ExpressionCompiler::literal(const Literal& l) {
    switch (l.literalKind) {
    case LiteralKind::Integer:
        if (l.integer >= INT16_MIN && l.integer <= INT16_MAX)
            return constantOf(Value::integer(static_cast<std::int16_t>(l.integer)));
        if (l.integer >= INT32_MIN && l.integer <= INT32_MAX)
            return constantOf(Value::longValue(static_cast<std::int32_t>(l.integer)));
        return constantOf(Value::doubleValue(static_cast<double>(l.integer)));
    case LiteralKind::Decimal: return constantOf(Value::doubleValue(l.text.toDouble()));
    case LiteralKind::String: return constantOf(Value(l.text));
    case LiteralKind::Date: {
        const DateLiteralValue& d = l.date;
        return constantOf(Value::date(dateSerial(d.year, d.month, d.day, d.hour, d.minute, d.second)));
    }
    case LiteralKind::Boolean: return constantOf(Value::boolean(l.boolean));
    case LiteralKind::Null: return constantOf(Value::null());
    }
    return constantOf(Value::null());
}

Emitted ExpressionCompiler::name(const NameReference& n, const Scope& scope) {
    if (auto r = scope.resolve(n.parts)) {
        Emitted e;
        e.sql = r->qualify ? quoted(r->source->qualifier) + QLatin1Char('.') + quoted(r->column->name)
                           : quoted(r->column->name);
        e.type = r->column->type;
        e.plainColumn = true;
        return e;
    }
    if (n.parts.size() == 1)
        for (const auto& [alias, emitted] : aliases)
            if (alias.compare(n.name(), Qt::CaseInsensitive) == 0) return emitted;
    // A name that is no column is a parameter, asked for when the statement runs.
    SqlType type = SqlType::Variant;
    const QString sql = context_.parameter(n.parts.join(QLatin1Char('.')), &type);
    return typed(sql, type);
}

// ---- Operators ----------------------------------------------------------------------------

Emitted ExpressionCompiler::unary(const Unary& u, const Scope& scope) {
    Emitted operand = compile(*u.operand, scope);
    switch (u.op) {
    case UnaryOperator::Plus: return operand;
    case UnaryOperator::Not: return conditionOf(QStringLiteral("(NOT %1)").arg(condition(operand)));
    case UnaryOperator::Negate:
        if (operand.constant && !operand.constant->isNull()) {
            if (isNumeric(operand.type) || operand.type == SqlType::Date) {
                const Value negated = negate(*operand.constant);
                return constantOf(negated);
            }
        }
        if (isNumeric(operand.type) || operand.type == SqlType::Date)
            return typed(QStringLiteral("(-%1)").arg(value(operand)), operand.type == SqlType::Boolean ? SqlType::Integer : operand.type);
        if (operand.type == SqlType::Null) return operand;
        return helper(QStringLiteral("negate"), operand.type == SqlType::Variant ? SqlType::Variant : SqlType::Double, {operand});
    }
    return operand;
}

std::pair<QString, QString> ExpressionCompiler::comparable(const Emitted& l, const Emitted& r, bool* collate) {
    *collate = false;
    const SqlType a = l.type, b = r.type;
    if (isTextual(a) && isTextual(b)) {
        *collate = true;
        return {value(l), value(r)};
    }
    // A literal meets the other side's type: a date text becomes a date, a number text a number.
    if (r.constant && !l.constant && a != SqlType::Variant) {
        if (a == SqlType::Currency && isNumeric(b)) {
            const Currency c = toCurrency(*r.constant);
            if (c.toDouble() == toDouble(*r.constant)) return {value(l), context_.constant(Value::currency(c), SqlType::Currency)};
            return {convert(l, SqlType::Double), value(r)};
        }
        if (a == SqlType::Single && isNumeric(b))
            return {value(l), context_.constant(Value::single(toSingle(*r.constant)), SqlType::Double)};
        if (isTextual(a)) {
            *collate = true;
            return {value(l), convert(r, SqlType::Text)};
        }
        return {value(l), convert(r, a == SqlType::Boolean ? SqlType::Integer : a)};
    }
    if (l.constant && !r.constant && b != SqlType::Variant) {
        auto [y, x] = comparable(r, l, collate);
        return {x, y};
    }
    if (a == SqlType::Currency || b == SqlType::Currency) {
        const SqlType other = a == SqlType::Currency ? b : a;
        if (other == SqlType::Currency) return {value(l), value(r)};
        if (isIntegral(other)) return {convert(l, SqlType::Currency), convert(r, SqlType::Currency)};
        if (isNumeric(other) || other == SqlType::Date) return {convert(l, SqlType::Double), convert(r, SqlType::Double)};
    }
    if (a == SqlType::Variant && b != SqlType::Variant && b != SqlType::Text && b != SqlType::Null)
        return {convert(l, b), value(r)};
    if (b == SqlType::Variant && a != SqlType::Variant && a != SqlType::Text && a != SqlType::Null)
        return {value(l), convert(r, a)};
    if (isTextual(a) && b == SqlType::Date) return {convert(l, SqlType::Date), value(r)};
    if (isTextual(b) && a == SqlType::Date) return {value(l), convert(r, SqlType::Date)};
    return {value(l), value(r)};
}

Emitted ExpressionCompiler::comparison(BinaryOperator op, const Emitted& l, const Emitted& r) {
    const QString sqlOp = QString::fromLatin1(comparisonOperator(op));
    if (l.type == SqlType::Null || r.type == SqlType::Null) return conditionOf(QStringLiteral("NULL"));
    // Text against a number, or two values only known at run time: the engine's comparison.
    const bool mixed = (isTextual(l.type) && (isNumeric(r.type) || r.type == SqlType::Variant) && !r.constant) ||
                       (isTextual(r.type) && (isNumeric(l.type) || l.type == SqlType::Variant) && !l.constant) ||
                       (l.type == SqlType::Variant && r.type == SqlType::Variant);
    if (mixed) return conditionOf(QStringLiteral("(%1 %2 0)").arg(helper(QStringLiteral("compare"), SqlType::Integer, {l, r}).sql, sqlOp));
    bool collate = false;
    const auto [x, y] = comparable(l, r, &collate);
    return conditionOf(QStringLiteral("(%1 %2 %3%4)").arg(x, sqlOp, y, collate ? QLatin1String(kCollate) : QLatin1String("")));
}

Emitted ExpressionCompiler::concatenation(const Emitted& l, const Emitted& r) {
    // Null counts as "" unless both sides are Null: when one side is never Null the result
    // never is either, and SQLite's || does it.
    if (l.neverNull || r.neverNull) {
        const auto piece = [this](const Emitted& e) {
            const QString text = convert(e, SqlType::Text);
            return e.neverNull ? text : QStringLiteral("COALESCE(%1,'')").arg(text);
        };
        Emitted e = typed(QStringLiteral("(%1 || %2)").arg(piece(l), piece(r)), SqlType::Text);
        e.neverNull = true;
        return e;
    }
    return helper(QStringLiteral("concat"), SqlType::Text, {l, r});
}

Emitted ExpressionCompiler::arithmetic(BinaryOperator op, const Emitted& l, const Emitted& r) {
    const SqlType a = l.type, b = r.type;
    if (a == SqlType::Null || b == SqlType::Null) return typed(QStringLiteral("NULL"), SqlType::Null);
    const char* sqlOp = op == BinaryOperator::Add ? "+" : op == BinaryOperator::Subtract ? "-" : "*";
    const QString helperName = op == BinaryOperator::Add ? QStringLiteral("add")
                               : op == BinaryOperator::Subtract ? QStringLiteral("subtract")
                                                                : QStringLiteral("multiply");
    const auto native = [&](const QString& x, const QString& y, SqlType type) {
        return typed(QStringLiteral("(%1 %2 %3)").arg(x, QLatin1String(sqlOp), y), type);
    };
    if (isTextual(a) && isTextual(b) && op == BinaryOperator::Add)
        return typed(QStringLiteral("(%1 || %2)").arg(value(l), value(r)), SqlType::Text);
    if (a == SqlType::Variant || b == SqlType::Variant) return helper(helperName, SqlType::Variant, {l, r});
    if (isTextual(a) || isTextual(b) || a == SqlType::Binary || b == SqlType::Binary)
        return helper(helperName, SqlType::Double, {l, r});
    if (a == SqlType::Date || b == SqlType::Date) {
        if (op == BinaryOperator::Multiply) return native(convert(l, SqlType::Double), convert(r, SqlType::Double), SqlType::Double);
        const bool bothDates = a == SqlType::Date && b == SqlType::Date;
        const SqlType type = bothDates ? (op == BinaryOperator::Subtract ? SqlType::Double : SqlType::Date) : SqlType::Date;
        return native(convert(l, SqlType::Double), convert(r, SqlType::Double), type);
    }
    if (a == SqlType::Currency || b == SqlType::Currency) {
        const SqlType other = a == SqlType::Currency ? b : a;
        if (other == SqlType::Single || other == SqlType::Double)
            return native(convert(l, SqlType::Double), convert(r, SqlType::Double), SqlType::Double);
        if (op != BinaryOperator::Multiply) return native(convert(l, SqlType::Currency), convert(r, SqlType::Currency), SqlType::Currency);
        // Scaled units times a whole number stay scaled; two Currencies need rescaling.
        if (other == SqlType::Currency) return helper(helperName, SqlType::Currency, {l, r});
        return native(value(l), value(r), SqlType::Currency);
    }
    if (isIntegral(a) && isIntegral(b)) return native(value(l), value(r), SqlType::Long);
    return native(value(l), value(r), commonType(a, b));
}

Emitted ExpressionCompiler::binary(const Binary& b, const Scope& scope) {
    const Emitted l = compile(*b.left, scope);
    const Emitted r = compile(*b.right, scope);
    switch (b.op) {
    case BinaryOperator::And: return conditionOf(QStringLiteral("(%1 AND %2)").arg(condition(l), condition(r)));
    case BinaryOperator::Or: return conditionOf(QStringLiteral("(%1 OR %2)").arg(condition(l), condition(r)));
    case BinaryOperator::Xor:
        return conditionOf(QStringLiteral("((%1 <> 0) <> (%2 <> 0))").arg(condition(l), condition(r)));
    case BinaryOperator::Eqv:
        return conditionOf(QStringLiteral("((%1 <> 0) = (%2 <> 0))").arg(condition(l), condition(r)));
    case BinaryOperator::Imp: return conditionOf(QStringLiteral("((NOT %1) OR %2)").arg(condition(l), condition(r)));
    case BinaryOperator::Equal:
    case BinaryOperator::NotEqual:
    case BinaryOperator::Less:
    case BinaryOperator::LessEqual:
    case BinaryOperator::Greater:
    case BinaryOperator::GreaterEqual: return comparison(b.op, l, r);
    case BinaryOperator::Concat: return concatenation(l, r);
    case BinaryOperator::Add:
    case BinaryOperator::Subtract:
    case BinaryOperator::Multiply: return arithmetic(b.op, l, r);
    case BinaryOperator::Divide: return helper(QStringLiteral("divide"), SqlType::Double, {l, r});
    case BinaryOperator::IntDivide: return helper(QStringLiteral("intdivide"), SqlType::Long, {l, r});
    case BinaryOperator::Mod: return helper(QStringLiteral("mod"), SqlType::Long, {l, r});
    case BinaryOperator::Power: return helper(QStringLiteral("power"), SqlType::Double, {l, r});
    }
    return l;
}

// ---- Predicates ---------------------------------------------------------------------------

Emitted ExpressionCompiler::inList(const InList& in, const Scope& scope) {
    const Emitted operand = compile(*in.operand, scope);
    QStringList values;
    bool collate = false;
    QString subject;
    for (const ExpressionPtr& v : in.values) {
        const auto [x, y] = comparable(operand, compile(*v, scope), &collate);
        subject = x;
        values << y;
    }
    return conditionOf(QStringLiteral("(%1%2 %3IN (%4))")
                           .arg(subject, collate ? QLatin1String(kCollate) : QLatin1String(""),
                                in.negated ? QLatin1String("NOT ") : QLatin1String(""), values.join(QLatin1String(", "))));
}

Emitted ExpressionCompiler::inSubquery(const InSubquery& in, const Scope& scope) {
    const Emitted operand = compile(*in.operand, scope);
    const CompiledQuery q = subquery_(*in.query, scope);
    const SqlType column = q.types.empty() ? SqlType::Variant : q.types.front();
    QString subject = value(operand);
    if ((operand.type == SqlType::Currency) != (column == SqlType::Currency) && isNumeric(operand.type) && isNumeric(column))
        subject = convert(operand, column == SqlType::Currency ? SqlType::Currency : SqlType::Double);
    if (isTextual(operand.type)) subject += QLatin1String(kCollate);
    return conditionOf(QStringLiteral("(%1 %2IN (%3))").arg(subject, in.negated ? QLatin1String("NOT ") : QLatin1String(""), q.sql));
}

// ---- Calls --------------------------------------------------------------------------------

Emitted ExpressionCompiler::aggregate(const QString& fn, const Call& c, const Scope& scope) {
    Emitted result;
    result.aggregate = true;
    if (c.star || c.arguments.empty()) {
        result.sql = QStringLiteral("count(*)");
        result.type = SqlType::Long;
        return result;
    }
    if (c.arguments.size() != 1)
        throw EngineError::withDescription(kWrongArgumentCount, QStringLiteral("Wrong number of arguments used with function %1.").arg(c.name));
    const Emitted x = compile(*c.arguments[0], scope);
    const QString v = value(x);
    if (fn == QLatin1String("count")) {
        result.sql = QStringLiteral("count(%1)").arg(v);
        result.type = SqlType::Long;
    } else if (fn == QLatin1String("sum")) {
        // Currency sums its scaled units: exact, however many rows.
        const bool keeps = x.type == SqlType::Currency || x.type == SqlType::Date || x.type == SqlType::Single || x.type == SqlType::Double;
        result.type = keeps ? x.type : SqlType::Double;
        result.sql = QStringLiteral("sum(%1)").arg(keeps || isIntegral(x.type) ? v : convert(x, SqlType::Double));
    } else if (fn == QLatin1String("avg")) {
        result.type = x.type == SqlType::Date ? SqlType::Date : SqlType::Double;
        result.sql = QStringLiteral("avg(%1)").arg(convert(x, SqlType::Double));
    } else if (fn == QLatin1String("min") || fn == QLatin1String("max")) {
        result.type = x.type;
        result.sql = QStringLiteral("%1(%2)").arg(fn, collated(x));
    } else if (fn == QLatin1String("first") || fn == QLatin1String("last")) {
        result.type = x.type;
        result.sql = QStringLiteral("vx_%1(%2)").arg(fn, v);
    } else {
        result.type = SqlType::Double;
        result.sql = QStringLiteral("vx_%1(%2)").arg(fn, convert(x, SqlType::Double));
    }
    return result;
}

Emitted ExpressionCompiler::call(const Call& c, const Scope& scope) {
    const QString fn = c.name.toLower().remove(QLatin1Char('$'));
    static const QStringList aggregates = {QStringLiteral("count"), QStringLiteral("sum"), QStringLiteral("avg"),
                                           QStringLiteral("min"),   QStringLiteral("max"), QStringLiteral("first"),
                                           QStringLiteral("last"),  QStringLiteral("stdev"), QStringLiteral("stdevp"),
                                           QStringLiteral("var"),   QStringLiteral("varp")};
    if (aggregates.contains(fn)) return aggregate(fn, c, scope);
    std::vector<Emitted> args;
    for (const ExpressionPtr& a : c.arguments) args.push_back(compile(*a, scope));
    const auto requireCount = [&](size_t low, size_t high) {
        if (args.size() < low || args.size() > high)
            throw EngineError::withDescription(kWrongArgumentCount,
                                               QStringLiteral("Wrong number of arguments used with function %1.").arg(c.name));
    };
    const auto anyAggregate = [&] {
        for (const Emitted& a : args)
            if (a.aggregate) return true;
        return false;
    };
    if (fn == QLatin1String("iif")) {
        requireCount(3, 3);
        // IIf(test, -1, 0) is how the program writes a Boolean.
        const SqlType type = isMinusOneOrZero(args[1]) && isMinusOneOrZero(args[2]) ? SqlType::Boolean
                                                                                     : commonType(args[1].type, args[2].type);
        Emitted e = typed(QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)")
                              .arg(condition(args[0]), convert(args[1], type), convert(args[2], type)),
                          type);
        e.aggregate = anyAggregate();
        return e;
    }
    if (fn == QLatin1String("nz")) {
        requireCount(1, 2);
        const SqlType type = args.size() == 2 ? commonType(args[0].type, args[1].type) : args[0].type;
        const Emitted fallback = args.size() == 2 ? args[1]
                                 : isTextual(type) || type == SqlType::Variant ? constantOf(Value(QString()))
                                                                               : constantOf(Value::integer(0));
        Emitted e = typed(QStringLiteral("COALESCE(%1, %2)").arg(convert(args[0], type), convert(fallback, type)), type);
        e.aggregate = anyAggregate();
        return e;
    }
    if (fn == QLatin1String("isnull")) {
        requireCount(1, 1);
        return conditionOf(QStringLiteral("(%1 IS NULL)").arg(value(args[0])));
    }
    const FunctionSpec* function = findFunction(c.name);
    if (!function) throw EngineError::withDescription(kUndefinedFunction, QStringLiteral("Undefined function '%1' in expression.").arg(c.name));
    requireCount(static_cast<size_t>(function->minArguments), static_cast<size_t>(function->maxArguments));
    ArgumentTypes types;
    for (const Emitted& a : args) types.push_back(a.type);
    const SqlType result = function->resultType(types);
    QString sql = QStringLiteral("%1(%2").arg(registeredName(*function), typeCode(result));
    for (const Emitted& a : args) sql += QLatin1Char(',') + value(a) + QLatin1Char(',') + typeCode(a.type);
    Emitted e = typed(sql + QLatin1Char(')'), result);
    e.aggregate = anyAggregate();
    return e;
}

// ---- Dispatch -----------------------------------------------------------------------------

Emitted ExpressionCompiler::compile(const Expression& e, const Scope& scope) {
    switch (e.kind) {
    case ExpressionKind::Literal: return literal(e.as<Literal>());
    case ExpressionKind::Name: return name(e.as<NameReference>(), scope);
    case ExpressionKind::Unary: return unary(e.as<Unary>(), scope);
    case ExpressionKind::Binary: return binary(e.as<Binary>(), scope);
    case ExpressionKind::Like: {
        const auto& l = e.as<Like>();
        const Emitted match = helper(QStringLiteral("like"), SqlType::Boolean, {compile(*l.operand, scope), compile(*l.pattern, scope)});
        return l.negated ? conditionOf(QStringLiteral("(NOT %1)").arg(match.sql)) : match;
    }
    case ExpressionKind::Between: {
        const auto& b = e.as<Between>();
        const Emitted x = compile(*b.operand, scope);
        const Emitted low = comparison(BinaryOperator::GreaterEqual, x, compile(*b.low, scope));
        const Emitted high = comparison(BinaryOperator::LessEqual, x, compile(*b.high, scope));
        return conditionOf(QStringLiteral("(%1(%2 AND %3))").arg(b.negated ? QLatin1String("NOT ") : QLatin1String(""), low.sql, high.sql));
    }
    case ExpressionKind::IsNull: {
        const auto& n = e.as<IsNull>();
        return conditionOf(QStringLiteral("(%1 IS %2NULL)").arg(value(compile(*n.operand, scope)), n.negated ? QLatin1String("NOT ") : QLatin1String("")));
    }
    case ExpressionKind::InList: return inList(e.as<InList>(), scope);
    case ExpressionKind::InSubquery: return inSubquery(e.as<InSubquery>(), scope);
    case ExpressionKind::Exists:
        return conditionOf(QStringLiteral("(EXISTS (%1))").arg(subquery_(*e.as<Exists>().query, scope).sql));
    case ExpressionKind::Subquery: {
        const CompiledQuery q = subquery_(*e.as<Subquery>().query, scope);
        return typed(QStringLiteral("(%1)").arg(q.sql), q.types.empty() ? SqlType::Variant : q.types.front());
    }
    case ExpressionKind::Call: return call(e.as<Call>(), scope);
    }
    return typed(QStringLiteral("NULL"), SqlType::Null);
}

}  // namespace veranth::engine::sql
