// Numeric functions and conversions: Val, the C* conversions, Int, Fix, Abs, Sgn, Round,
// IsNull, IsNumeric.
#include "engine/sql/function_library.h"

#include "engine/conversions.h"
#include "engine/errors.h"

#include <cmath>

namespace veranth::engine::sql::fn {

namespace {

template <SqlType T>
SqlType fixed(const ArgumentTypes&) { return T; }

// Int, Fix, Abs and Round keep a number's own type; text and variants become Double.
SqlType sameNumber(const ArgumentTypes& a) {
    if (isNumeric(a[0]) || a[0] == SqlType::Date) return a[0] == SqlType::Boolean ? SqlType::Integer : a[0];
    return SqlType::Double;
}

Value numberOf(const Value& v) {
    if (v.isNumeric() || v.type() == ValueType::Date) return v;
    return Value::doubleValue(toDouble(v));
}

// A conversion raises 94 for Null, as Basic's conversion functions do.
template <ValueType T>
Value convert(const Arguments& a) {
    if (a[0].isNull()) throw EngineError(err::kInvalidUseOfNull);
    return convertTo(a[0], T);
}

Value valOf(const Arguments& a) {
    if (a[0].isNull()) throw EngineError(err::kInvalidUseOfNull);
    return Value::doubleValue(val(toText(a[0])));
}

// Applies a rounding rule to a number of any kind: Currency exactly on its units.
template <double (*Rule)(double)>
Value wholePart(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const Value n = numberOf(a[0]);
    switch (n.type()) {
    case ValueType::Currency: {
        const double units = Rule(static_cast<double>(n.rawCurrency().scaled) / Currency::kScale);
        return Value::currency(Currency{static_cast<std::int64_t>(units) * Currency::kScale});
    }
    case ValueType::Single: return Value::single(static_cast<float>(Rule(n.rawDouble())));
    case ValueType::Double: return Value::doubleValue(Rule(n.rawDouble()));
    case ValueType::Date: return Value::date(Rule(n.rawDouble()));
    default: return n;
    }
}

double floorOf(double x) { return std::floor(x); }
double truncOf(double x) { return std::trunc(x); }

Value absOf(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const Value n = numberOf(a[0]);
    switch (n.type()) {
    case ValueType::Currency: return Value::currency(Currency{std::llabs(n.rawCurrency().scaled)});
    case ValueType::Single: return Value::single(std::fabs(static_cast<float>(n.rawDouble())));
    case ValueType::Double:
    case ValueType::Date: return Value::doubleValue(std::fabs(n.rawDouble()));
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer: return Value::integer(static_cast<std::int16_t>(std::llabs(n.rawInteger())));
    default: return Value::longValue(static_cast<std::int32_t>(std::llabs(n.rawInteger())));
    }
}

Value sgn(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const double x = toDouble(numberOf(a[0]));
    return Value::integer(static_cast<std::int16_t>(x > 0 ? 1 : x < 0 ? -1 : 0));
}

// Round(x[, places]): halves to even, as Basic rounds. Currency rounds on its exact units.
Value roundOf(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const int places = a.size() > 1 && !a[1].isMissing() ? countArgument(a[1], 0) : 0;
    const Value n = numberOf(a[0]);
    if (n.type() == ValueType::Currency) {
        if (places >= 4) return n;
        const std::int64_t step = static_cast<std::int64_t>(std::pow(10, 4 - places));
        const double units = roundHalfEven(static_cast<double>(n.rawCurrency().scaled) / static_cast<double>(step));
        return Value::currency(Currency{static_cast<std::int64_t>(units) * step});
    }
    if (n.type() != ValueType::Single && n.type() != ValueType::Double && n.type() != ValueType::Date) return n;
    const double scale = std::pow(10.0, places);
    const double rounded = roundHalfEven(n.rawDouble() * scale) / scale;
    if (n.type() == ValueType::Single) return Value::single(static_cast<float>(rounded));
    return n.type() == ValueType::Date ? Value::date(rounded) : Value::doubleValue(rounded);
}

Value isNull(const Arguments& a) { return Value::boolean(a[0].isNull()); }

Value isNumericValue(const Arguments& a) {
    const Value& v = a[0];
    if (v.isNull()) return Value::boolean(false);
    if (v.isText()) return Value::boolean(parseNumber(v.rawString()).has_value());
    return Value::boolean(v.isNumeric() || v.isEmpty());
}

Value sqr(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const double x = toDouble(a[0]);
    if (x < 0) throw EngineError(err::kInvalidArgument);
    return Value::doubleValue(std::sqrt(x));
}

}  // namespace

void addNumberFunctions(std::vector<FunctionSpec>& out) {
    out.push_back({QStringLiteral("val"), 1, 1, fixed<SqlType::Double>, valOf});
    out.push_back({QStringLiteral("cbool"), 1, 1, fixed<SqlType::Boolean>, convert<ValueType::Boolean>});
    out.push_back({QStringLiteral("cbyte"), 1, 1, fixed<SqlType::Byte>, convert<ValueType::Byte>});
    out.push_back({QStringLiteral("cint"), 1, 1, fixed<SqlType::Integer>, convert<ValueType::Integer>});
    out.push_back({QStringLiteral("clng"), 1, 1, fixed<SqlType::Long>, convert<ValueType::Long>});
    out.push_back({QStringLiteral("ccur"), 1, 1, fixed<SqlType::Currency>, convert<ValueType::Currency>});
    out.push_back({QStringLiteral("csng"), 1, 1, fixed<SqlType::Single>, convert<ValueType::Single>});
    out.push_back({QStringLiteral("cdbl"), 1, 1, fixed<SqlType::Double>, convert<ValueType::Double>});
    out.push_back({QStringLiteral("cdate"), 1, 1, fixed<SqlType::Date>, convert<ValueType::Date>});
    out.push_back({QStringLiteral("cvdate"), 1, 1, fixed<SqlType::Date>, convert<ValueType::Date>});
    out.push_back({QStringLiteral("int"), 1, 1, sameNumber, wholePart<floorOf>});
    out.push_back({QStringLiteral("fix"), 1, 1, sameNumber, wholePart<truncOf>});
    out.push_back({QStringLiteral("abs"), 1, 1, sameNumber, absOf});
    out.push_back({QStringLiteral("sgn"), 1, 1, fixed<SqlType::Integer>, sgn});
    out.push_back({QStringLiteral("round"), 1, 2, sameNumber, roundOf});
    out.push_back({QStringLiteral("isnull"), 1, 1, fixed<SqlType::Boolean>, isNull});
    out.push_back({QStringLiteral("isnumeric"), 1, 1, fixed<SqlType::Boolean>, isNumericValue});
    out.push_back({QStringLiteral("sqr"), 1, 1, fixed<SqlType::Double>, sqr});
}

}  // namespace veranth::engine::sql::fn
