#include "engine/value_ops.h"

#include "engine/conversions.h"
#include "engine/errors.h"

#include <cmath>

namespace veranth::engine {

namespace {

enum class Op { Add, Subtract, Multiply };

// Rank of the kinds arithmetic works in; a result takes the wider rank of its operands.
int rank(ValueType t) {
    switch (t) {
    case ValueType::Byte: return 1;
    case ValueType::Empty:
    case ValueType::Boolean:
    case ValueType::Integer: return 2;
    case ValueType::Long: return 3;
    case ValueType::Currency: return 4;
    case ValueType::Single: return 5;
    case ValueType::Double: return 6;
    case ValueType::Date: return 7;
    default: return 0;
    }
}

// Text in arithmetic is read as a number (Double), as Basic's variants do.
Value numericOperand(const Value& v) {
    if (v.isText()) return Value::doubleValue(toDouble(v));
    if (v.type() == ValueType::Binary) throw EngineError(err::kTypeMismatch, QStringLiteral("binary data"),
                                                         QStringLiteral("a number"));
    if (v.isEmpty()) return Value::integer(0);
    if (v.type() == ValueType::Boolean) return Value::integer(static_cast<std::int16_t>(v.rawInteger()));
    return v;
}

Value wholeNumberResult(std::int64_t r, int minimumRank) {
    if (minimumRank <= 1 && r >= 0 && r <= 255) return Value::byte(static_cast<std::uint8_t>(r));
    if (minimumRank <= 2 && r >= -32768 && r <= 32767) return Value::integer(static_cast<std::int16_t>(r));
    if (r >= INT32_MIN && r <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(r));
    return Value::doubleValue(static_cast<double>(r));
}

Currency checkedCurrency(__int128 scaled) {
    if (scaled > INT64_MAX || scaled < INT64_MIN)
        throw EngineError(err::kOverflow, QString::number(static_cast<double>(scaled) / Currency::kScale, 'g', 15));
    return Currency{static_cast<std::int64_t>(scaled)};
}

__int128 roundedQuotient(__int128 numerator, __int128 denominator) {
    __int128 q = numerator / denominator;
    const __int128 r = numerator % denominator;
    const __int128 twice = 2 * (r < 0 ? -r : r);
    if (twice > denominator || (twice == denominator && q % 2 != 0)) q += numerator < 0 ? -1 : 1;
    return q;
}

Value currencyArithmetic(Op op, const Value& a, const Value& b) {
    const __int128 x = toCurrency(a).scaled;
    const __int128 y = toCurrency(b).scaled;
    switch (op) {
    case Op::Add: return Value::currency(checkedCurrency(x + y));
    case Op::Subtract: return Value::currency(checkedCurrency(x - y));
    case Op::Multiply: return Value::currency(checkedCurrency(roundedQuotient(x * y, Currency::kScale)));
    }
    return Value();
}

double applyDouble(Op op, double x, double y) {
    switch (op) {
    case Op::Add: return x + y;
    case Op::Subtract: return x - y;
    case Op::Multiply: return x * y;
    }
    return 0;
}

Value arithmetic(Op op, const Value& rawA, const Value& rawB) {
    if (rawA.isNull() || rawB.isNull()) return Value::null();
    const Value a = numericOperand(rawA);
    const Value b = numericOperand(rawB);
    const int ra = rank(a.type());
    const int rb = rank(b.type());
    const int r = std::max(ra, rb);
    if (r == 7) {
        const double x = toDouble(a), y = toDouble(b);
        if (op == Op::Subtract && ra == 7 && rb == 7) return Value::doubleValue(x - y);
        if (op == Op::Multiply) return Value::doubleValue(x * y);
        return Value::date(applyDouble(op, x, y));
    }
    if (r == 4) {
        const bool withFloat = (ra == 5 || ra == 6 || rb == 5 || rb == 6);
        if (!withFloat) return currencyArithmetic(op, a, b);
    }
    if (r >= 4) {
        const double result = applyDouble(op, toDouble(a), toDouble(b));
        if (r == 5) return Value::single(static_cast<float>(result));
        return Value::doubleValue(result);
    }
    const std::int64_t x = a.rawInteger(), y = b.rawInteger();
    const std::int64_t result = op == Op::Add ? x + y : op == Op::Subtract ? x - y : x * y;
    return wholeNumberResult(result, r);
}

void requireNonZero(double divisor) {
    if (divisor == 0) throw EngineError(err::kDivisionByZero);
}

int sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

bool isDateLike(const Value& v) { return v.type() == ValueType::Date; }

}  // namespace

Value add(const Value& a, const Value& b) {
    if (a.isText() && b.isText()) return Value(a.rawString() + b.rawString());
    if (a.isText() && b.isEmpty()) return a;
    if (b.isText() && a.isEmpty()) return b;
    return arithmetic(Op::Add, a, b);
}

Value subtract(const Value& a, const Value& b) { return arithmetic(Op::Subtract, a, b); }

Value multiply(const Value& a, const Value& b) { return arithmetic(Op::Multiply, a, b); }

Value divide(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    const double y = toDouble(numericOperand(b));
    requireNonZero(y);
    return Value::doubleValue(toDouble(numericOperand(a)) / y);
}

Value intDivide(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    const std::int64_t y = toLong(numericOperand(b));
    requireNonZero(static_cast<double>(y));
    const std::int64_t x = toLong(numericOperand(a));
    return wholeNumberResult(x / y, std::max(rank(a.type()), rank(b.type())) >= 3 ? 3 : 2);
}

Value modulo(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    const std::int64_t y = toLong(numericOperand(b));
    requireNonZero(static_cast<double>(y));
    const std::int64_t x = toLong(numericOperand(a));
    return wholeNumberResult(x % y, std::max(rank(a.type()), rank(b.type())) >= 3 ? 3 : 2);
}

Value power(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    return Value::doubleValue(std::pow(toDouble(numericOperand(a)), toDouble(numericOperand(b))));
}

Value negate(const Value& a) {
    if (a.isNull()) return a;
    return subtract(Value::integer(0), a);
}

Value concatenate(const Value& a, const Value& b) {
    if (a.isNull() && b.isNull()) return Value::null();
    return Value(toDisplayText(a) + toDisplayText(b));
}

int compareText(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::optional<int> compare(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    if (a.isText() && b.isText()) return compareText(a.rawString(), b.rawString());
    if (a.type() == ValueType::Binary || b.type() == ValueType::Binary) {
        const QByteArray x = a.type() == ValueType::Binary ? a.rawBinary() : toText(a).toUtf8();
        const QByteArray y = b.type() == ValueType::Binary ? b.rawBinary() : toText(b).toUtf8();
        return x < y ? -1 : x == y ? 0 : 1;
    }
    if (a.isText() || b.isText()) {
        const Value& text = a.isText() ? a : b;
        const Value& other = a.isText() ? b : a;
        const int flip = a.isText() ? -1 : 1;  // result is "other versus text", turned round when text is left
        if (other.isEmpty()) return flip * compareText(QString(), text.rawString());
        std::optional<double> textNumber = isDateLike(other) ? parseDateText(text.rawString()) : std::nullopt;
        if (!textNumber) textNumber = parseNumber(text.rawString());
        // A number is less than any text that is not a number.
        if (!textNumber) return -flip;
        return flip * sign(toDouble(other) - *textNumber);
    }
    if (a.type() == ValueType::Currency && b.type() == ValueType::Currency) {
        const auto x = a.rawCurrency().scaled, y = b.rawCurrency().scaled;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = toDouble(numericOperand(a)), y = toDouble(numericOperand(b));
    return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace veranth::engine
