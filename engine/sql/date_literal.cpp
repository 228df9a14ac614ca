#include "engine/sql/date_literal.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <array>

namespace veranth::engine::sql {

namespace {

constexpr std::array<const char*, 12> kMonthNames{"january", "february", "march",     "april",
                                                  "may",     "june",     "july",      "august",
                                                  "september", "october", "november", "december"};

// 1-12 for a month name or its abbreviation of three letters or more, else 0.
int monthFromName(const QString& word) {
    if (word.size() < 3) return 0;
    const QString lower = word.toLower();
    for (int i = 0; i < 12; ++i)
        if (QString::fromLatin1(kMonthNames[static_cast<size_t>(i)]).startsWith(lower)) return i + 1;
    return 0;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

bool isValidDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

int fullYear(const QString& digits) {
    const int value = digits.toInt();
    if (digits.size() > 2) return value;
    return value < 30 ? 2000 + value : 1900 + value;
}

bool isNumber(const QString& part) {
    if (part.isEmpty()) return false;
    for (QChar c : part)
        if (!c.isDigit()) return false;
    return true;
}

// Splits "10:30:15 PM" off the end (or the whole) of the text.
bool readTime(QString& text, DateLiteralValue& value) {
    static const QRegularExpression timePattern(
        QStringLiteral(R"((?:^|[\sT])(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?\s*$)"));
    const QRegularExpressionMatch match = timePattern.match(text);
    if (!match.hasMatch()) return true;
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    const QString meridiem = match.captured(4).toUpper();
    if (!meridiem.isEmpty()) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (meridiem == u"PM" ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    value.hour = hour;
    value.minute = minute;
    value.second = second;
    value.hasTime = true;
    text.truncate(match.capturedStart(0));
    return true;
}

bool assignDate(DateLiteralValue& value, int year, int month, int day, DateReading reading) {
    if (!isValidDate(year, month, day)) return false;
    value.year = year;
    value.month = month;
    value.day = day;
    value.reading = reading;
    value.hasDate = true;
    return true;
}

bool readNumericDate(const QStringList& parts, QChar separator, DateLiteralValue& value) {
    if (parts[0].size() >= 3)
        return assignDate(value, parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), DateReading::YearFirst);
    const int first = parts[0].toInt();
    const int second = parts[1].toInt();
    const int year = fullYear(parts[2]);
    const bool monthFirst = separator == u'/';
    const int month = monthFirst ? first : second;
    const int day = monthFirst ? second : first;
    if (month > 12 && day <= 12)
        return assignDate(value, year, day, month, monthFirst ? DateReading::DayFirst : DateReading::MonthFirst);
    return assignDate(value, year, month, day, monthFirst ? DateReading::MonthFirst : DateReading::DayFirst);
}

bool readNamedMonthDate(const QStringList& parts, DateLiteralValue& value) {
    int monthAt = -1;
    for (int i = 0; i < 3; ++i) {
        if (isNumber(parts[i])) continue;
        if (monthAt >= 0 || monthFromName(parts[i]) == 0) return false;
        monthAt = i;
    }
    const int month = monthFromName(parts[monthAt]);
    switch (monthAt) {
        case 0:  // Jan 5, 2004
            return assignDate(value, fullYear(parts[2]), month, parts[1].toInt(), DateReading::NamedMonth);
        case 1:  // 05 Jan 2004, or 2004-Jan-05
            if (parts[0].size() >= 3)
                return assignDate(value, parts[0].toInt(), month, parts[2].toInt(), DateReading::NamedMonth);
            return assignDate(value, fullYear(parts[2]), month, parts[0].toInt(), DateReading::NamedMonth);
        default:
            return false;
    }
}

}  // namespace

std::optional<DateLiteralValue> readDateLiteral(QStringView raw) {
    DateLiteralValue value;
    QString text = raw.toString().trimmed();
    if (!readTime(text, value)) return std::nullopt;
    text = text.trimmed();
    if (text.isEmpty()) {
        if (!value.hasTime) return std::nullopt;
        return value;
    }

    static const QRegularExpression separators(QStringLiteral(R"([\s,]*[-/.\s,][\s,]*)"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 3) return std::nullopt;
    bool ok = true;
    if (isNumber(parts[0]) && isNumber(parts[1]) && isNumber(parts[2])) {
        // All numbers: the one separator used decides the order; mixing them is not a date.
        static const QRegularExpression numericDate(QStringLiteral(R"(^\d+([-/.])\d+\1\d+$)"));
        const QRegularExpressionMatch match = numericDate.match(text);
        ok = match.hasMatch() && readNumericDate(parts, match.captured(1).at(0), value);
    } else {
        ok = readNamedMonthDate(parts, value);
    }
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace veranth::engine::sql
