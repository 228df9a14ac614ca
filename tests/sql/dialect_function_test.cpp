// The dialect's functions evaluated by SQLite through the registered implementations.
#include <gtest/gtest.h>

#include "engine/conversions.h"
#include "engine/errors.h"
#include "tests/sql/dialect_database.h"

namespace veranth::engine::sql {
namespace {

using testing::DialectDatabase;

struct FunctionCase {
    const char* expression;
    Value expected;
};

TEST(SqlFunctions, GiveTheDialectsValues) {
    DialectDatabase db;
    const double jan5 = dateSerial(2004, 1, 5);
    const std::vector<FunctionCase> cases = {
        {"Left('Corvane', 3)", Value("Cor")},
        {"Right('12345 PD', 3)", Value(" PD")},
        {"Mid('Corvane', 2, 3)", Value("orv")},
        {"Len(Format(12000123))", Value::longValue(8)},
        {"InStr('abcABC', 'C')", Value::longValue(3)},
        {"InStr(4, 'abcABC', 'b')", Value::longValue(5)},
        {"UCase('a') & LCase('B')", Value("Ab")},
        {"'[' & Trim('  x  ') & LTrim(' y') & RTrim('z ') & ']'", Value("[xyz]")},
        {"Val(Trim(' 0123456 '))", Value::doubleValue(123456)},
        {"Val('')", Value::doubleValue(0)},
        {"Str(12)", Value(" 12")},
        {"CStr(1.5)", Value("1.5")},
        {"CLng(2.5)", Value::longValue(2)},
        {"CInt(3.5)", Value::integer(4)},
        {"CCur(1234.5)", Value::currency(Currency{12345000})},
        {"CBool(5)", Value::boolean(true)},
        {"Int(-2.5)", Value::doubleValue(-3)},
        {"Fix(-2.5)", Value::doubleValue(-2)},
        {"Abs(-3)", Value::integer(3)},
        {"Sgn(-0.5)", Value::integer(-1)},
        {"Round(2.5) + Round(3.5) * 10 + Round(1.26, 1)", Value::doubleValue(43.3)},
        {"Year(#05 Jan 2004#) * 100 + Month(#05 Jan 2004#)", Value::longValue(200401)},
        {"Weekday(#05 Jan 2004#)", Value::integer(2)},
        {"DateAdd(\"n\", 90, #2004-01-05 09:00:00#)", Value::date(dateSerial(2004, 1, 5, 10, 30))},
        {"DateAdd(\"m\", 1, #31 Jan 2004#)", Value::date(dateSerial(2004, 2, 29))},
        {"DateDiff(\"n\", #2004-01-05 09:00:59#, #2004-01-05 09:01:00#)", Value::longValue(1)},
        {"DateDiff(\"yyyy\", #31 Dec 2003#, #01 Jan 2004#)", Value::longValue(1)},
        {"DateDiff(\"d\", #05 Jan 2004#, #2004-01-06 00:00:01#)", Value::longValue(1)},
        {"DatePart(\"q\", #16 Apr 2004#)", Value::integer(2)},
        {"DateSerial(2004, 13, 1)", Value::date(dateSerial(2005, 1, 1))},
        {"DateValue('16/Apr/2004')", Value::date(dateSerial(2004, 4, 16))},
        {"Format(#05 Jan 2004#, 'dd mmm yyyy')", Value("05 Jan 2004")},
        {"Format(7, '000')", Value("007")},
        {"IIf(Null Is Null, 'yes', 'no')", Value("yes")},
        {"Nz(Null, 5)", Value::integer(5)},
        {"IsNumeric('12a')", Value::boolean(false)},
        {"Chr(65) & Chr(97)", Value("Aa")},
        {"Asc('abc') + Asc(Chr(200))", Value::longValue(297)},
        {"Space(2) & String(3, 'x')", Value("  xxx")},
        {"Replace('a-b-c', '-', '+')", Value("a+b+c")},
        {"'a' & Null", Value("a")},
        {"7 \\ 2", Value::longValue(3)},
        {"7 Mod 4", Value::longValue(3)},
        {"#05 Jan 2004# + 1", Value::date(jan5 + 1)},
    };
    for (const FunctionCase& c : cases) {
        SCOPED_TRACE(c.expression);
        try {
            EXPECT_EQ(db.scalar(QStringLiteral("SELECT %1").arg(QLatin1String(c.expression))), c.expected);
        } catch (const EngineError& e) {
            ADD_FAILURE() << e.number() << " " << e.description().toStdString();
        }
    }
}

TEST(SqlFunctions, RaiseTheEnginesErrors) {
    DialectDatabase db;
    struct ErrorCase {
        const char* expression;
        int number;
    };
    for (const ErrorCase& c : {ErrorCase{"1 / 0", err::kDivisionByZero}, ErrorCase{"CLng('abc')", err::kTypeMismatch},
                               ErrorCase{"CInt(40000)", err::kOverflow}, ErrorCase{"CLng(Null)", err::kInvalidUseOfNull},
                               ErrorCase{"Left('x')", 3075}, ErrorCase{"NoSuchFunction(1)", 3085}}) {
        SCOPED_TRACE(c.expression);
        try {
            db.run(QStringLiteral("SELECT %1").arg(QLatin1String(c.expression)));
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.number(), c.number) << e.description().toStdString();
        }
    }
}

}  // namespace
}  // namespace veranth::engine::sql
