#include "engine/conversions.h"
#include "engine/errors.h"

#include <gtest/gtest.h>

#include <functional>

using namespace veranth::engine;

namespace {

int errorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.number();
    }
    return 0;
}

TEST(EngineValueText, FollowsBasicCStrRules) {
    struct Case {
        Value value;
        const char* text;
    };
    const Case cases[] = {
        {Value::boolean(true), "True"},
        {Value::boolean(false), "False"},
        {Value::integer(-12), "-12"},
        {Value::doubleValue(0.1 + 0.2), "0.3"},
        {Value::doubleValue(1.0 / 3), "0.333333333333333"},
        {Value::doubleValue(1e20), "1E+20"},
        {Value::single(1.1f), "1.1"},
        {Value::currency(Currency{125000}), "12.5"},
        {Value::currency(Currency{-1}), "-0.0001"},
        {Value::currency(Currency{INT64_MIN}), "-922337203685477.5808"},
        {Value::date(dateSerial(2004, 4, 16)), "16/04/2004"},
        {Value::date(dateSerial(2004, 4, 16, 13, 5, 9)), "16/04/2004 13:05:09"},
        {Value::date(0.5), "12:00:00"},
        {Value(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(toText(c.value), QString::fromUtf8(c.text)) << c.text;
    EXPECT_EQ(errorNumberOf([] { toText(Value::null()); }), err::kInvalidUseOfNull);
    EXPECT_EQ(toDisplayText(Value::null()), QString());
}

TEST(EngineValueVal, ReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"  42abc", 42},   {"1 2 3", 123},    {"-3.5e2x", -350}, {"&H1F", 31},  {"&HFFFF", -1},
        {"&O17", 15},      {"abc", 0},        {"", 0},           {"1,000", 1},  {".5", 0.5},
        {"12.5.6", 12.5},  {"+7", 7},         {"1e", 1},         {"0001234", 1234},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(val(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(EngineValueNumbers, RoundHalvesToEvenAndCheckRanges) {
    EXPECT_EQ(toInteger(Value::doubleValue(2.5)), 2);
    EXPECT_EQ(toInteger(Value::doubleValue(3.5)), 4);
    EXPECT_EQ(toInteger(Value::doubleValue(-2.5)), -2);
    EXPECT_EQ(toLong(Value("  1,234.5 ")), 1234);
    EXPECT_EQ(toLong(Value::currency(Currency{25000})), 2);  // 2.5 -> 2
    EXPECT_EQ(toLong(Value::currency(Currency{35000})), 4);
    EXPECT_EQ(toLong(Value::boolean(true)), -1);
    EXPECT_EQ(toCurrency(Value("1.00005")).scaled, 10000);   // exact half, rounds to even
    EXPECT_EQ(toCurrency(Value("1.00015")).scaled, 10002);
    EXPECT_EQ(toCurrency(Value("1.000051")).scaled, 10001);
    EXPECT_EQ(toCurrency(Value("-12.34")).scaled, -123400);
    EXPECT_EQ(toCurrency(Value::doubleValue(0.1)).scaled, 1000);

    struct Failure {
        std::function<void()> call;
        int number;
    };
    const Failure failures[] = {
        {[] { toInteger(Value::doubleValue(32767.5)); }, err::kOverflow},
        {[] { toInteger(Value::longValue(40000)); }, err::kOverflow},
        {[] { toLong(Value::doubleValue(3e9)); }, err::kOverflow},
        {[] { toByte(Value::integer(-1)); }, err::kOverflow},
        {[] { toCurrency(Value::doubleValue(1e300)); }, err::kOverflow},
        {[] { toLong(Value("twelve")); }, err::kTypeMismatch},
        {[] { toDouble(Value("1.2.3")); }, err::kTypeMismatch},
        {[] { toLong(Value::null()); }, err::kInvalidUseOfNull},
        {[] { toBoolean(Value("maybe")); }, err::kTypeMismatch},
    };
    for (const auto& f : failures) EXPECT_EQ(errorNumberOf(f.call), f.number);
}

TEST(EngineValueNumbers, BooleansFromTextAndNumbers) {
    EXPECT_TRUE(toBoolean(Value("true")));
    EXPECT_FALSE(toBoolean(Value("False")));
    EXPECT_TRUE(toBoolean(Value("-1")));
    EXPECT_FALSE(toBoolean(Value("0")));
    EXPECT_TRUE(toBoolean(Value::currency(Currency{1})));
    EXPECT_EQ(convertTo(Value("yes"), ValueType::Boolean), Value::boolean(true));
}

TEST(EngineValueDates, SerialZeroIsThirtiethDecember1899) {
    EXPECT_DOUBLE_EQ(dateSerial(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(dateSerial(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(dateSerial(2004, 4, 16), 38093);
    EXPECT_DOUBLE_EQ(dateSerial(1899, 12, 29, 6), -1.25);  // time counts forward before day 0
    const DateParts p = splitDate(-1.25);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    const DateParts q = splitDate(dateSerial(2004, 4, 16, 23, 59, 59));
    EXPECT_EQ(q.second, 59);
    EXPECT_EQ(q.dayOfWeek, 6);  // a Friday
}

TEST(EngineValueDates, ParsesTheFormsTheProgramWrites) {
    const double april16 = dateSerial(2004, 4, 16);
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"16/Apr/2004", april16},
        {"16-Apr-2004", april16},
        {"16 April 2004", april16},
        {"April 16, 2004", april16},
        {"05 Jan 2004", dateSerial(2004, 1, 5)},
        {"05/01/2004", dateSerial(2004, 1, 5)},  // day first
        {"5-1-04", dateSerial(2004, 1, 5)},
        {"31/12/99", dateSerial(1999, 12, 31)},
        {"2004-04-16", april16},
        {"2004-04-16 08:30", dateSerial(2004, 4, 16, 8, 30)},
        {"2004-04-16T08:30:15", dateSerial(2004, 4, 16, 8, 30, 15)},
        {"16/Apr/2004 1:15 PM", dateSerial(2004, 4, 16, 13, 15)},
        {"12:00:00", 0.5},
    };
    for (const auto& c : cases) {
        const auto parsed = parseDateText(QString::fromUtf8(c.text));
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_NEAR(*parsed, c.expected, 1e-9) << c.text;
    }
    for (const char* bad : {"31/02/2004", "16/Foo/2004", "hello", "", "25:00", "13/13/2004"})
        EXPECT_FALSE(parseDateText(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(EngineValueDates, CDateAcceptsDateTextAndSerials) {
    EXPECT_DOUBLE_EQ(toDate(Value("16/Apr/2004")), 38093);
    EXPECT_DOUBLE_EQ(toDate(Value::longValue(38093)), 38093);
    EXPECT_EQ(errorNumberOf([] { toDate(Value("not a date")); }), err::kTypeMismatch);
    // A text date survives the round trip through its own text.
    const double stamp = dateSerial(2011, 11, 3, 7, 4, 2);
    EXPECT_NEAR(toDate(Value(dateToText(stamp))), stamp, 1e-9);
}

}  // namespace
