#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/value_ops.h"

#include <gtest/gtest.h>

using namespace veranth::engine;

namespace {

TEST(EngineValueOps, WholeNumbersWidenInsteadOfOverflowing) {
    EXPECT_EQ(add(Value::integer(32767), Value::integer(1)), Value::longValue(32768));
    EXPECT_EQ(add(Value::longValue(INT32_MAX), Value::integer(1)), Value::doubleValue(2147483648.0));
    EXPECT_EQ(add(Value::byte(200), Value::byte(100)), Value::integer(300));
    EXPECT_EQ(subtract(Value::byte(1), Value::byte(2)), Value::integer(-1));
    EXPECT_EQ(add(Value::boolean(true), Value::boolean(true)), Value::integer(-2));
}

TEST(EngineValueOps, CurrencyStaysExact) {
    Value sum = Value::currency(Currency{});
    for (int i = 0; i < 10; ++i) sum = add(sum, Value::currency(Currency{1000}));  // ten times 0.10
    EXPECT_EQ(sum, Value::currency(Currency{10000}));
    EXPECT_EQ(add(Value::currency(Currency{1000}), Value::longValue(2)), Value::currency(Currency{21000}));
    // 1.5 * 1.0001 = 1.50015 -> halves to even at 4 places
    EXPECT_EQ(multiply(Value::currency(Currency{15000}), Value::currency(Currency{10001})),
              Value::currency(Currency{15002}));
    // With a float operand the result is a Double, as Basic gives.
    EXPECT_EQ(add(Value::currency(Currency{10000}), Value::doubleValue(0.5)).type(), ValueType::Double);
    try {
        add(Value::currency(Currency{INT64_MAX}), Value::currency(Currency{1}));
        FAIL() << "no overflow";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kOverflow);
    }
}

TEST(EngineValueOps, NullPropagatesAndConcatenationSkipsIt) {
    for (auto op : {add, subtract, multiply, divide, intDivide, modulo, power})
        EXPECT_TRUE(op(Value::null(), Value::integer(1)).isNull());
    EXPECT_TRUE(negate(Value::null()).isNull());
    EXPECT_EQ(concatenate(Value("a"), Value::null()), Value("a"));
    EXPECT_TRUE(concatenate(Value::null(), Value::null()).isNull());
    EXPECT_EQ(concatenate(Value("n="), Value::integer(5)), Value("n=5"));
    EXPECT_EQ(add(Value("ab"), Value("cd")), Value("abcd"));
    EXPECT_EQ(add(Value("2"), Value::integer(3)), Value::doubleValue(5));
}

TEST(EngineValueOps, DatesAndDivision) {
    const Value day = Value::date(dateSerial(2004, 4, 16));
    EXPECT_EQ(add(day, Value::integer(1)), Value::date(dateSerial(2004, 4, 17)));
    EXPECT_EQ(subtract(Value::date(dateSerial(2004, 4, 20)), day), Value::doubleValue(4));
    EXPECT_EQ(divide(Value::integer(7), Value::integer(2)), Value::doubleValue(3.5));
    EXPECT_EQ(intDivide(Value::integer(7), Value::integer(2)), Value::integer(3));
    EXPECT_EQ(modulo(Value::longValue(7), Value::integer(3)), Value::longValue(1));
    for (auto op : {divide, intDivide, modulo}) {
        try {
            op(Value::integer(1), Value::integer(0));
            FAIL() << "no division error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.number(), err::kDivisionByZero);
        }
    }
    try {
        add(Value("abc"), Value::integer(1));
        FAIL() << "no mismatch";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.number(), err::kTypeMismatch);
    }
}

TEST(EngineValueCompare, BasicOrdering) {
    struct Case {
        Value a, b;
        int expected;
    };
    const Case cases[] = {
        {Value("Jones"), Value("JONES"), 0},
        {Value(QStringLiteral("éclair")), Value(QStringLiteral("ÉCLAIR")), 0},
        {Value("apple"), Value("Banana"), -1},
        {Value::integer(10), Value::doubleValue(9.5), 1},
        {Value::currency(Currency{10000}), Value::integer(1), 0},
        {Value::integer(5), Value("5"), 0},
        {Value("10"), Value::integer(9), 1},
        {Value::integer(5), Value("abc"), -1},  // numbers before non-numeric text
        {Value("abc"), Value::integer(5), 1},
        {Value::date(dateSerial(2004, 4, 16)), Value("16/Apr/2004"), 0},
        {Value::date(dateSerial(2004, 4, 16)), Value("2004-04-17"), -1},
        {Value::boolean(true), Value::integer(-1), 0},
        {Value(), Value::integer(0), 0},
        {Value(), Value(""), 0},
    };
    for (const auto& c : cases) {
        const auto r = compare(c.a, c.b);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(*r, c.expected) << toDisplayText(c.a).toStdString() << " vs " << toDisplayText(c.b).toStdString();
    }
    EXPECT_FALSE(compare(Value::null(), Value::integer(1)).has_value());
    EXPECT_FALSE(compare(Value::null(), Value::null()).has_value());
}

}  // namespace
