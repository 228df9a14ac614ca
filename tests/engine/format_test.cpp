#include "engine/conversions.h"
#include "engine/format.h"

#include <gtest/gtest.h>

using namespace veranth::engine;

namespace {

TEST(EngineFormat, PatternsTheProgramWrites) {
    const Value stamp = Value::date(dateSerial(2004, 4, 5, 9, 7, 3));
    struct Case {
        Value value;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {stamp, "dd mmm yyyy", "05 Apr 2004"},
        {stamp, "dd/mmm/yyyy", "05/Apr/2004"},
        {stamp, "dd-mm-yyyy", "05-04-2004"},
        {stamp, "hh:mm:ss", "09:07:03"},
        {stamp, "hh:nn", "09:07"},
        {stamp, "d mmmm yy", "5 April 04"},
        {stamp, "dddd", "Monday"},
        {stamp, "yyyy-mm-dd hh:mm", "2004-04-05 09:07"},
        {stamp, "h:mm AM/PM", "9:07 AM"},
        {Value("16/Apr/2004"), "dd mmm yyyy", "16 Apr 2004"},
        {Value::doubleValue(3.14159), "0.00", "3.14"},
        {Value::doubleValue(2.5), "0", "3"},  // Format rounds halves away from zero
        {Value::doubleValue(0.125), "0.00", "0.13"},
        {Value::doubleValue(1.005), "0.00", "1.01"},
        {Value::doubleValue(-1.5), "0.00", "-1.50"},
        {Value::doubleValue(-0.001), "0.00", "0.00"},
        {Value::integer(7), "000", "007"},
        {Value::longValue(1234), "0000000000", "0000001234"},
        {Value::longValue(12345678), "0000000000", "0012345678"},
        {Value::doubleValue(1234567.891), "#,##0.00", "1,234,567.89"},
        {Value::currency(Currency{1234500}), "0.00", "123.45"},
        {Value::currency(Currency{-5}), "0.000", "-0.001"},
        {Value("12.345"), "0.00", "12.35"},
        {Value("abc"), "0.00", "abc"},
        {Value::doubleValue(0.5), "#.##", ".5"},
        {Value::doubleValue(0.256), "0.0%", "25.6%"},
        {Value::doubleValue(1234.5), "Fixed", "1234.50"},
        {Value::boolean(true), "Yes/No", "Yes"},
        {Value::doubleValue(12.5), "", "12.5"},
        {Value::boolean(false), "", "False"},
        {Value::null(), "0.00", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatValue(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected))
            << c.pattern << " -> " << c.expected;
}

}  // namespace
