// Date functions: Now, Date, Time, the parts of a date, Weekday, DateAdd, DateDiff (which
// counts the boundaries crossed, not whole periods elapsed), DatePart, DateSerial, DateValue.
#include "engine/sql/function_library.h"

#include "engine/conversions.h"
#include "engine/errors.h"

#include <QDate>

#include <cmath>

namespace veranth::engine::sql::fn {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

template <SqlType T>
SqlType fixed(const ArgumentTypes&) { return T; }

double dateArgument(const Value& v) { return toDate(v); }

// A day number with its time as one count of seconds since day 0, so that minutes and hours
// before and after midnight and before 1900 line up on one axis.
std::int64_t absoluteSeconds(double serial) {
    const double whole = std::trunc(serial);
    const std::int64_t time = std::llround(std::fabs(serial - whole) * kSecondsPerDay);
    return static_cast<std::int64_t>(whole) * kSecondsPerDay + time;
}

double serialFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const double time = static_cast<double>(rest) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// The day a date lies on, counted from day 0 (floor, so times before day 0 stay on their day).
std::int64_t dayNumber(double serial) { return floorDivide(absoluteSeconds(serial), kSecondsPerDay); }

// A calendar date that may run past the end of its month or year, as DateSerial allows.
double normalisedDate(std::int64_t year, std::int64_t month, std::int64_t day) {
    if (year >= 0 && year <= 29) year += 2000;
    else if (year >= 30 && year <= 99) year += 1900;
    const std::int64_t months = year * 12 + (month - 1);
    const QDate first(static_cast<int>(floorDivide(months, 12)), static_cast<int>(months - floorDivide(months, 12) * 12) + 1, 1);
    if (!first.isValid()) throw EngineError(err::kInvalidArgument);
    return dateSerial(first.year(), first.month(), 1) + static_cast<double>(day - 1);
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval intervalOf(const Value& v) {
    const QString s = toText(v).trimmed().toLower();
    static const std::pair<const char*, Interval> names[] = {
        {"yyyy", Interval::Year}, {"q", Interval::Quarter}, {"m", Interval::Month}, {"y", Interval::DayOfYear},
        {"d", Interval::Day},     {"w", Interval::Weekday}, {"ww", Interval::Week}, {"h", Interval::Hour},
        {"n", Interval::Minute},  {"s", Interval::Second},
    };
    for (const auto& [name, interval] : names)
        if (s == QLatin1String(name)) return interval;
    throw EngineError(err::kInvalidArgument);
}

double addMonths(double serial, std::int64_t months) {
    const DateParts p = splitDate(serial);
    const std::int64_t total = std::int64_t{p.year} * 12 + (p.month - 1) + months;
    const int year = static_cast<int>(floorDivide(total, 12));
    const int month = static_cast<int>(total - floorDivide(total, 12) * 12) + 1;
    const QDate first(year, month, 1);
    if (!first.isValid() || year < 100 || year > 9999) throw EngineError(err::kInvalidArgument);
    return dateSerial(year, month, std::min(p.day, first.daysInMonth()), p.hour, p.minute, p.second);
}

Value dateAdd(const Arguments& a) {
    if (a[1].isNull() || a[2].isNull()) return Value::null();
    const Interval interval = intervalOf(a[0]);
    const double serial = dateArgument(a[2]);
    const std::int64_t n = static_cast<std::int64_t>(std::trunc(toDouble(a[1])));
    switch (interval) {
    case Interval::Year: return Value::date(addMonths(serial, n * 12));
    case Interval::Quarter: return Value::date(addMonths(serial, n * 3));
    case Interval::Month: return Value::date(addMonths(serial, n));
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return Value::date(serialFromSeconds(absoluteSeconds(serial) + n * kSecondsPerDay));
    case Interval::Week: return Value::date(serialFromSeconds(absoluteSeconds(serial) + n * 7 * kSecondsPerDay));
    case Interval::Hour: return Value::date(serialFromSeconds(absoluteSeconds(serial) + n * 3600));
    case Interval::Minute: return Value::date(serialFromSeconds(absoluteSeconds(serial) + n * 60));
    case Interval::Second: return Value::date(serialFromSeconds(absoluteSeconds(serial) + n));
    }
    return Value::null();
}

int firstDayOfWeek(const Arguments& a, size_t index) {
    if (a.size() <= index || a[index].isMissing()) return 1;  // Sunday
    const int day = toInteger(a[index]);
    if (day == 0) return 1;  // the system's setting, which is Sunday here
    if (day < 1 || day > 7) throw EngineError(err::kInvalidArgument);
    return day;
}

// Day 1 (31 Dec 1899) was a Sunday; a week starting on day `first` (1 = Sunday) begins on
// every day number congruent to first modulo 7.
std::int64_t weekIndex(std::int64_t day, int first) { return floorDivide(day - first, 7); }

Value dateDiff(const Arguments& a) {
    if (a[1].isNull() || a[2].isNull()) return Value::null();
    const Interval interval = intervalOf(a[0]);
    const double from = dateArgument(a[1]);
    const double to = dateArgument(a[2]);
    const DateParts p = splitDate(from), q = splitDate(to);
    std::int64_t result = 0;
    switch (interval) {
    case Interval::Year: result = q.year - p.year; break;
    case Interval::Quarter: result = (q.year * 4 + (q.month - 1) / 3) - (p.year * 4 + (p.month - 1) / 3); break;
    case Interval::Month: result = (q.year * 12 + q.month) - (p.year * 12 + p.month); break;
    case Interval::DayOfYear:
    case Interval::Day: result = dayNumber(to) - dayNumber(from); break;
    case Interval::Weekday: result = (dayNumber(to) - dayNumber(from)) / 7; break;
    case Interval::Week: {
        const int first = firstDayOfWeek(a, 3);
        result = weekIndex(dayNumber(to), first) - weekIndex(dayNumber(from), first);
        break;
    }
    case Interval::Hour: result = floorDivide(absoluteSeconds(to), 3600) - floorDivide(absoluteSeconds(from), 3600); break;
    case Interval::Minute: result = floorDivide(absoluteSeconds(to), 60) - floorDivide(absoluteSeconds(from), 60); break;
    case Interval::Second: result = absoluteSeconds(to) - absoluteSeconds(from); break;
    }
    if (result < INT32_MIN || result > INT32_MAX) throw EngineError(err::kOverflow, QString::number(result));
    return Value::longValue(static_cast<std::int32_t>(result));
}

int weekdayOf(double serial, int first) {
    const int sundayBased = splitDate(serial).dayOfWeek;  // 1 = Sunday
    return (sundayBased - first + 7) % 7 + 1;
}

Value datePart(const Arguments& a) {
    if (a[1].isNull()) return Value::null();
    const Interval interval = intervalOf(a[0]);
    const double serial = dateArgument(a[1]);
    const DateParts p = splitDate(serial);
    const int first = firstDayOfWeek(a, 2);
    const std::int64_t dayOfYear = dayNumber(serial) - dayNumber(dateSerial(p.year, 1, 1)) + 1;
    switch (interval) {
    case Interval::Year: return Value::integer(static_cast<std::int16_t>(p.year));
    case Interval::Quarter: return Value::integer(static_cast<std::int16_t>((p.month - 1) / 3 + 1));
    case Interval::Month: return Value::integer(static_cast<std::int16_t>(p.month));
    case Interval::DayOfYear: return Value::integer(static_cast<std::int16_t>(dayOfYear));
    case Interval::Day: return Value::integer(static_cast<std::int16_t>(p.day));
    case Interval::Weekday: return Value::integer(static_cast<std::int16_t>(weekdayOf(serial, first)));
    case Interval::Week: {
        // Week 1 is the week holding 1 January.
        const std::int64_t jan1 = dayNumber(dateSerial(p.year, 1, 1));
        return Value::integer(static_cast<std::int16_t>(weekIndex(dayNumber(serial), first) - weekIndex(jan1, first) + 1));
    }
    case Interval::Hour: return Value::integer(static_cast<std::int16_t>(p.hour));
    case Interval::Minute: return Value::integer(static_cast<std::int16_t>(p.minute));
    case Interval::Second: return Value::integer(static_cast<std::int16_t>(p.second));
    }
    return Value::null();
}

template <int DateParts::*Part>
Value part(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value::integer(static_cast<std::int16_t>(splitDate(dateArgument(a[0])).*Part));
}

Value weekday(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value::integer(static_cast<std::int16_t>(weekdayOf(dateArgument(a[0]), firstDayOfWeek(a, 1))));
}

Value now(const Arguments&) { return Value::date(currentDateSerial()); }
Value today(const Arguments&) { return Value::date(std::floor(currentDateSerial())); }
Value timeOfDay(const Arguments&) {
    const double n = currentDateSerial();
    return Value::date(n - std::floor(n));
}

Value dateSerialOf(const Arguments& a) {
    if (anyNull(a)) return Value::null();
    return Value::date(normalisedDate(toLong(a[0]), toLong(a[1]), toLong(a[2])));
}

Value timeSerialOf(const Arguments& a) {
    if (anyNull(a)) return Value::null();
    const std::int64_t seconds = std::int64_t{toLong(a[0])} * 3600 + std::int64_t{toLong(a[1])} * 60 + toLong(a[2]);
    return Value::date(serialFromSeconds(seconds));
}

Value dateValueOf(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value::date(static_cast<double>(dayNumber(dateArgument(a[0]))));
}

}  // namespace

void addDateFunctions(std::vector<FunctionSpec>& out) {
    const auto integer = fixed<SqlType::Integer>;
    const auto date = fixed<SqlType::Date>;
    out.push_back({QStringLiteral("now"), 0, 0, date, now, false});
    out.push_back({QStringLiteral("date"), 0, 0, date, today, false});
    out.push_back({QStringLiteral("time"), 0, 0, date, timeOfDay, false});
    out.push_back({QStringLiteral("year"), 1, 1, integer, part<&DateParts::year>});
    out.push_back({QStringLiteral("month"), 1, 1, integer, part<&DateParts::month>});
    out.push_back({QStringLiteral("day"), 1, 1, integer, part<&DateParts::day>});
    out.push_back({QStringLiteral("hour"), 1, 1, integer, part<&DateParts::hour>});
    out.push_back({QStringLiteral("minute"), 1, 1, integer, part<&DateParts::minute>});
    out.push_back({QStringLiteral("second"), 1, 1, integer, part<&DateParts::second>});
    out.push_back({QStringLiteral("weekday"), 1, 2, integer, weekday});
    out.push_back({QStringLiteral("dateadd"), 3, 3, date, dateAdd});
    out.push_back({QStringLiteral("datediff"), 3, 5, fixed<SqlType::Long>, dateDiff});
    out.push_back({QStringLiteral("datepart"), 2, 4, integer, datePart});
    out.push_back({QStringLiteral("dateserial"), 3, 3, date, dateSerialOf});
    out.push_back({QStringLiteral("timeserial"), 3, 3, date, timeSerialOf});
    out.push_back({QStringLiteral("datevalue"), 1, 1, date, dateValueOf});
}

}  // namespace veranth::engine::sql::fn
