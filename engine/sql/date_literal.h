#pragma once

#include <QStringView>
#include <optional>

namespace veranth::engine::sql {

// How the numbers of a #date# literal were assigned to day, month and year.
enum class DateReading {
    NamedMonth,  // #05 Jan 2004#, #Jan 5, 2004#, #16-Apr-2004#: unambiguous
    YearFirst,   // #2004-01-05#
    DayFirst,    // #09-12-2026#, #09.12.2026#: dashes and dots put the day first
    MonthFirst,  // #12/09/2026#: slashes put the month first
    TimeOnly,    // #10:30#: a time on the zero date
};

// A date literal's calendar reading. The tree keeps the raw text as well; this is what it means.
// A literal without a date part lies on the zero date, 30 Dec 1899; one without a time at midnight.
struct DateLiteralValue {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool hasDate = false;
    bool hasTime = false;
    DateReading reading = DateReading::TimeOnly;

    bool operator==(const DateLiteralValue&) const = default;
};

// Reads the text between the # marks. Numeric dates separated by slashes are month first, as the
// dialect always reads them; separated by dashes or dots they are day first, because that is how
// the program writes today's date (dd-mm-yyyy) and a month-first reading would stamp the wrong
// day whenever the day is 12 or less. When the first reading gives a month above 12 and the other
// order is a valid date, the other order is used. Two-digit years 00-29 are 2000-2029, 30-99 are
// 1930-1999. nullopt when the text is not a valid date or time.
std::optional<DateLiteralValue> readDateLiteral(QStringView text);

}  // namespace veranth::engine::sql
