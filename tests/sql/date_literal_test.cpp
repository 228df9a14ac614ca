#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "engine/sql/date_literal.h"

namespace veranth::engine::sql {
namespace {

struct DateCase {
    const char16_t* text;
    int year, month, day, hour, minute, second;
    DateReading reading;
};

TEST(SqlDateLiteral, ReadsTheFormsTheProgramAndUsersWrite) {
    using R = DateReading;
    const std::vector<DateCase> cases = {
        {u"05 Jan 2004", 2004, 1, 5, 0, 0, 0, R::NamedMonth},
        {u"5 january 2004", 2004, 1, 5, 0, 0, 0, R::NamedMonth},
        {u"Jan 5, 2004", 2004, 1, 5, 0, 0, 0, R::NamedMonth},
        {u"16-Apr-2004", 2004, 4, 16, 0, 0, 0, R::NamedMonth},
        {u"16/Apr/2004", 2004, 4, 16, 0, 0, 0, R::NamedMonth},
        {u"2004-Apr-16", 2004, 4, 16, 0, 0, 0, R::NamedMonth},
        // Today's stamp and the cut-off are written dd-mm-yyyy: the day comes first even when it
        // could be a month, or 9 Dec would be stamped as 12 Sep.
        {u"09-12-2026", 2026, 12, 9, 0, 0, 0, R::DayFirst},
        {u"01-02-2026", 2026, 2, 1, 0, 0, 0, R::DayFirst},
        {u"31-12-2025", 2025, 12, 31, 0, 0, 0, R::DayFirst},
        {u"09.12.2026", 2026, 12, 9, 0, 0, 0, R::DayFirst},
        // Slashes keep the dialect's month-first reading, unless that gives no valid date.
        {u"12/09/2026", 2026, 12, 9, 0, 0, 0, R::MonthFirst},
        {u"13/09/2026", 2026, 9, 13, 0, 0, 0, R::DayFirst},
        {u"09-13-2026", 2026, 9, 13, 0, 0, 0, R::MonthFirst},
        {u"1/5/04", 2004, 1, 5, 0, 0, 0, R::MonthFirst},
        {u"1/5/45", 1945, 1, 5, 0, 0, 0, R::MonthFirst},
        {u"2004-01-05", 2004, 1, 5, 0, 0, 0, R::YearFirst},
        {u"2004-01-05 10:30:15", 2004, 1, 5, 10, 30, 15, R::YearFirst},
        {u"2004-01-05T09:05", 2004, 1, 5, 9, 5, 0, R::YearFirst},
        {u"05 Jan 2004 10:30 PM", 2004, 1, 5, 22, 30, 0, R::NamedMonth},
        {u"12/31/1999 12:00:00 AM", 1999, 12, 31, 0, 0, 0, R::MonthFirst},
        {u"29-02-2024", 2024, 2, 29, 0, 0, 0, R::DayFirst},
        {u" 10:30 ", 1899, 12, 30, 10, 30, 0, R::TimeOnly},
        {u"12:00 pm", 1899, 12, 30, 12, 0, 0, R::TimeOnly},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        const std::optional<DateLiteralValue> value = readDateLiteral(QStringView(c.text));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->year, c.year);
        EXPECT_EQ(value->month, c.month);
        EXPECT_EQ(value->day, c.day);
        EXPECT_EQ(value->hour, c.hour);
        EXPECT_EQ(value->minute, c.minute);
        EXPECT_EQ(value->second, c.second);
        EXPECT_EQ(value->reading, c.reading);
        EXPECT_EQ(value->hasDate, c.reading != R::TimeOnly);
    }
}

TEST(SqlDateLiteral, RejectsTextThatIsNoDate) {
    const std::vector<const char16_t*> invalid = {
        u"31-02-2024", u"29-02-2023", u"2004-13-01", u"13/13/2004", u"0 Jan 2004", u"32 Jan 2004",
        u"05 Foo 2004", u"05 Jan Feb", u"05-01/2004", u"25:00", u"12:60", u"13:00 PM", u"hello",
        u"2004", u"1/5", u"05 Jan 2004 10:30 xyz",
    };
    for (const char16_t* text : invalid) {
        SCOPED_TRACE(QString::fromUtf16(text).toStdString());
        EXPECT_FALSE(readDateLiteral(QStringView(text)).has_value());
    }
}

}  // namespace
}  // namespace veranth::engine::sql
