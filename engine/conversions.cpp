#include "engine/conversions.h"

#include "engine/errors.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace veranth::engine {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Basic's date range: 1 Jan 100 to 31 Dec 9999.
constexpr double kFirstSerial = -657434.0;
constexpr double kLastSerial = 2958465.99999;

qint64 julianDayOfSerialZero() {
    static const qint64 julian = QDate(1899, 12, 30).toJulianDay();
    return julian;
}

[[noreturn]] void throwMismatch(const Value& value, ValueType target) {
    QString shown = value.isText() ? value.rawString() : Value::typeName(value.type());
    throw EngineError(err::kTypeMismatch, shown, Value::typeName(target));
}

[[noreturn]] void throwOverflow(double x) {
    throw EngineError(err::kOverflow, QString::number(x, 'g', 15));
}

void requireValue(const Value& value) {
    if (value.isNull()) throw EngineError(err::kInvalidUseOfNull);
}

// Basic writes exponents as "1E+20", never "1e+20".
QString numberText(double x, int significantDigits) {
    if (x == 0) return QStringLiteral("0");
    QString text = QString::number(x, 'g', significantDigits);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

double rangeChecked(double x, double low, double high) {
    if (std::isnan(x) || x < low || x > high) throwOverflow(x);
    return x;
}

int expandTwoDigitYear(int year, qsizetype digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

int monthFromName(const QString& name) {
    const QString lower = name.toLower();
    if (lower.size() < 3) return 0;
    for (int m = 1; m <= 12; ++m) {
        const QString full = monthName(m, false).toLower();
        if (full.startsWith(lower)) return m;
    }
    if (lower == QStringLiteral("sept")) return 9;
    return 0;
}

std::optional<double> serialIfValid(int year, int month, int day) {
    if (!QDate::isValid(year, month, day)) return std::nullopt;
    return dateSerial(year, month, day);
}

std::optional<double> parseDatePart(const QString& text) {
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})$)"));
    static const QRegularExpression dayFirst(QStringLiteral(R"(^(\d{1,2})[-/.](\d{1,2})[-/.](\d{2}|\d{4})$)"));
    static const QRegularExpression dayName(
        QStringLiteral(R"(^(\d{1,2})[-/ ]+([A-Za-z]+)\.?[-/ ,]+(\d{2}|\d{4})$)"));
    static const QRegularExpression nameDay(
        QStringLiteral(R"(^([A-Za-z]+)\.?[-/ ]+(\d{1,2})(?:st|nd|rd|th)?[-/ ,]+(\d{2}|\d{4})$)"));

    if (auto m = iso.match(text); m.hasMatch())
        return serialIfValid(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (auto m = dayFirst.match(text); m.hasMatch())
        return serialIfValid(expandTwoDigitYear(m.captured(3).toInt(), m.capturedLength(3)), m.captured(2).toInt(),
                             m.captured(1).toInt());
    if (auto m = dayName.match(text); m.hasMatch()) {
        const int month = monthFromName(m.captured(2));
        if (month == 0) return std::nullopt;
        return serialIfValid(expandTwoDigitYear(m.captured(3).toInt(), m.capturedLength(3)), month,
                             m.captured(1).toInt());
    }
    if (auto m = nameDay.match(text); m.hasMatch()) {
        const int month = monthFromName(m.captured(1));
        if (month == 0) return std::nullopt;
        return serialIfValid(expandTwoDigitYear(m.captured(3).toInt(), m.capturedLength(3)), month,
                             m.captured(2).toInt());
    }
    return std::nullopt;
}

// Signed-overflow aware reading of "&H" / "&O" literals: four hex digits are an Integer,
// eight a Long, as Basic reads them (&HFFFF is -1).
std::optional<double> parseRadixLiteral(const QString& digits, int base) {
    if (digits.isEmpty()) return std::nullopt;
    bool ok = false;
    const qulonglong raw = digits.toULongLong(&ok, base);
    if (!ok) return std::nullopt;
    const bool fitsInteger = base == 16 ? digits.size() <= 4 : raw <= 0177777;
    if (fitsInteger && raw <= 0xFFFF) return static_cast<double>(static_cast<std::int16_t>(raw));
    if (raw <= 0xFFFFFFFFull) return static_cast<double>(static_cast<std::int32_t>(raw));
    return static_cast<double>(raw);
}

std::optional<double> parseRadixPrefixed(const QString& text) {
    if (text.size() < 2 || text[0] != QLatin1Char('&')) return std::nullopt;
    const QChar kind = text[1].toUpper();
    if (kind == QLatin1Char('H')) return parseRadixLiteral(text.mid(2), 16);
    if (kind == QLatin1Char('O')) return parseRadixLiteral(text.mid(2), 8);
    return std::nullopt;
}

std::int64_t divideHalfEven(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    const std::int64_t remainder = numerator % denominator;
    const std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > denominator || (twice == denominator && (quotient % 2 != 0))) quotient += numerator < 0 ? -1 : 1;
    return quotient;
}

}  // namespace

// ---- Text ----------------------------------------------------------------------------------

QString toText(const Value& value) {
    switch (value.type()) {
    case ValueType::Empty: return QString();
    case ValueType::Null: throw EngineError(err::kInvalidUseOfNull);
    case ValueType::Boolean: return value.rawBool() ? QStringLiteral("True") : QStringLiteral("False");
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: return QString::number(value.rawInteger());
    case ValueType::Currency: return currencyToText(value.rawCurrency());
    case ValueType::Single: return numberText(value.rawDouble(), 7);
    case ValueType::Double: return numberText(value.rawDouble(), 15);
    case ValueType::Date: return dateToText(value.rawDouble());
    case ValueType::String: return value.rawString();
    case ValueType::Binary: {
        const QByteArray& bytes = value.rawBinary();
        return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    }
    }
    return QString();
}

QString toDisplayText(const Value& value) { return value.isNull() ? QString() : toText(value); }

// ---- Numbers -------------------------------------------------------------------------------

double val(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            compact.append(c);
    static const QRegularExpression radix(QStringLiteral(R"(^&([Hh][0-9A-Fa-f]+|[Oo]?[0-7]+))"));
    if (auto m = radix.match(compact); m.hasMatch()) {
        QString literal = m.captured(1);
        if (literal[0].isDigit()) literal.prepend(QLatin1Char('O'));
        return parseRadixPrefixed(QLatin1Char('&') + literal).value_or(0);
    }
    static const QRegularExpression decimal(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?)"));
    const auto m = decimal.match(compact);
    if (!m.hasMatch()) return 0;
    QString number = m.captured(0);
    number.replace(QLatin1Char('D'), QLatin1Char('E')).replace(QLatin1Char('d'), QLatin1Char('e'));
    return number.toDouble();
}

std::optional<double> parseNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (auto radixValue = parseRadixPrefixed(trimmed)) return radixValue;
    static const QRegularExpression number(
        QStringLiteral(R"(^[+-]?(\d{1,3}(,\d{3})+|\d+)?(\.\d*)?([EeDd][+-]?\d+)?$)"));
    const auto m = number.match(trimmed);
    if (!m.hasMatch()) return std::nullopt;
    if (m.capturedLength(1) == 0 && m.capturedLength(3) <= 1) return std::nullopt;  // no digit at all
    QString plain = trimmed;
    plain.remove(QLatin1Char(','));
    plain.replace(QLatin1Char('D'), QLatin1Char('E')).replace(QLatin1Char('d'), QLatin1Char('e'));
    bool ok = false;
    const double x = plain.toDouble(&ok);
    if (!ok) return std::nullopt;
    return x;
}

double roundHalfEven(double x) {
    const double floor = std::floor(x);
    const double diff = x - floor;
    if (diff > 0.5) return floor + 1;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

double toDouble(const Value& value) {
    requireValue(value);
    switch (value.type()) {
    case ValueType::Empty: return 0;
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: return static_cast<double>(value.rawInteger());
    case ValueType::Currency: return value.rawCurrency().toDouble();
    case ValueType::Single:
    case ValueType::Double:
    case ValueType::Date: return value.rawDouble();
    case ValueType::String:
        if (auto x = parseNumber(value.rawString())) return *x;
        throwMismatch(value, ValueType::Double);
    default: throwMismatch(value, ValueType::Double);
    }
}

namespace {
// Whole-number conversions share one path: integer kinds exactly, Currency by its scaled
// units, everything else through Double; all round halves to even, then check the range.
std::int64_t toRoundedInteger(const Value& value, double low, double high, ValueType target) {
    requireValue(value);
    switch (value.type()) {
    case ValueType::Empty: return 0;
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: {
        const auto n = value.rawInteger();
        rangeChecked(static_cast<double>(n), low, high);
        return n;
    }
    case ValueType::Currency: {
        const auto n = divideHalfEven(value.rawCurrency().scaled, Currency::kScale);
        rangeChecked(static_cast<double>(n), low, high);
        return n;
    }
    case ValueType::String:
    case ValueType::Single:
    case ValueType::Double:
    case ValueType::Date: break;
    default: throwMismatch(value, target);
    }
    double x = 0;
    if (value.isText()) {
        auto parsed = parseNumber(value.rawString());
        if (!parsed) throwMismatch(value, target);
        x = *parsed;
    } else {
        x = value.rawDouble();
    }
    return static_cast<std::int64_t>(rangeChecked(roundHalfEven(x), low, high));
}
}  // namespace

bool toBoolean(const Value& value) {
    requireValue(value);
    if (value.isText()) {
        const QString t = value.rawString().trimmed();
        for (const char* yes : {"True", "Yes", "On"})
            if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return true;
        for (const char* no : {"False", "No", "Off"})
            if (t.compare(QLatin1String(no), Qt::CaseInsensitive) == 0) return false;
        if (auto x = parseNumber(t)) return *x != 0;
        throwMismatch(value, ValueType::Boolean);
    }
    if (value.type() == ValueType::Binary) throwMismatch(value, ValueType::Boolean);
    if (value.type() == ValueType::Currency) return value.rawCurrency().scaled != 0;
    return toDouble(value) != 0;
}

std::uint8_t toByte(const Value& value) {
    return static_cast<std::uint8_t>(toRoundedInteger(value, 0, 255, ValueType::Byte));
}

std::int16_t toInteger(const Value& value) {
    return static_cast<std::int16_t>(toRoundedInteger(value, -32768, 32767, ValueType::Integer));
}

std::int32_t toLong(const Value& value) {
    return static_cast<std::int32_t>(toRoundedInteger(value, -2147483648.0, 2147483647.0, ValueType::Long));
}

Currency toCurrency(const Value& value) {
    requireValue(value);
    switch (value.type()) {
    case ValueType::Currency: return value.rawCurrency();
    case ValueType::Empty: return Currency{};
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: return Currency::fromUnits(value.rawInteger());
    case ValueType::String:
        if (auto c = parseCurrency(value.rawString())) return *c;
        break;
    case ValueType::Binary: throwMismatch(value, ValueType::Currency);
    default: break;
    }
    const double x = toDouble(value);
    const double scaled = roundHalfEven(x * Currency::kScale);
    rangeChecked(scaled, -9.2233720368547758e18, 9.2233720368547748e18);
    return Currency{static_cast<std::int64_t>(scaled)};
}

float toSingle(const Value& value) {
    const double x = toDouble(value);
    if (std::isfinite(x) && std::fabs(x) > std::numeric_limits<float>::max()) throwOverflow(x);
    return static_cast<float>(x);
}

double toDate(const Value& value) {
    requireValue(value);
    if (value.type() == ValueType::Date) return value.rawDouble();
    if (value.isText()) {
        if (auto serial = parseDateText(value.rawString())) return *serial;
        if (auto number = parseNumber(value.rawString())) return rangeChecked(*number, kFirstSerial, kLastSerial);
        throwMismatch(value, ValueType::Date);
    }
    if (value.type() == ValueType::Binary) throwMismatch(value, ValueType::Date);
    return rangeChecked(toDouble(value), kFirstSerial, kLastSerial);
}

Value convertTo(const Value& value, ValueType target) {
    if (value.isMissing() || value.type() == target) return value;
    switch (target) {
    case ValueType::Empty: return Value();
    case ValueType::Null: return Value::null();
    case ValueType::Boolean: return Value::boolean(toBoolean(value));
    case ValueType::Byte: return Value::byte(toByte(value));
    case ValueType::Integer: return Value::integer(toInteger(value));
    case ValueType::Long: return Value::longValue(toLong(value));
    case ValueType::Currency: return Value::currency(toCurrency(value));
    case ValueType::Single: return Value::single(toSingle(value));
    case ValueType::Double: return Value::doubleValue(toDouble(value));
    case ValueType::Date: return Value::date(toDate(value));
    case ValueType::String: return Value(toText(value));
    case ValueType::Binary:
        if (value.isText()) {
            const QString& s = value.rawString();
            return Value::binary(QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2));
        }
        throwMismatch(value, target);
    }
    return value;
}

QString currencyToText(Currency c) {
    const bool negative = c.scaled < 0;
    // Work on the unsigned magnitude so the most negative value prints too.
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
    QString text = QString::number(magnitude / Currency::kScale);
    const auto fraction = magnitude % Currency::kScale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

std::optional<Currency> parseCurrency(const QString& text) {
    static const QRegularExpression plain(QStringLiteral(R"(^([+-])?(\d{1,3}(?:,\d{3})+|\d*)(?:\.(\d*))?$)"));
    const auto m = plain.match(text.trimmed());
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0)) return std::nullopt;
    QString whole = m.captured(2);
    whole.remove(QLatin1Char(','));
    if (whole.size() > 15) throwOverflow(whole.toDouble());
    const QString fraction = m.captured(3);
    std::int64_t scaled = whole.toLongLong() * Currency::kScale;
    std::int64_t kept = fraction.left(4).leftJustified(4, QLatin1Char('0')).toLongLong();
    scaled += kept;
    if (fraction.size() > 4) {
        const QString rest = fraction.mid(4);
        const int first = rest[0].digitValue();
        const bool beyondHalf = first > 5 || (first == 5 && rest.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]"))));
        const bool exactlyHalf = first == 5 && !beyondHalf;
        if (beyondHalf || (exactlyHalf && (scaled % 2 != 0))) scaled += 1;
    }
    if (m.captured(1) == QLatin1String("-")) scaled = -scaled;
    return Currency{scaled};
}

// ---- Dates ---------------------------------------------------------------------------------

double dateSerial(int year, int month, int day, int hour, int minute, int second) {
    const double days = static_cast<double>(QDate(year, month, day).toJulianDay() - julianDayOfSerialZero());
    const double time = (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
    // Before day 0 the fraction still counts forward from midnight: -1.25 is 29 Dec 1899 06:00.
    return days >= 0 ? days + time : days - time;
}

DateParts splitDate(double serial) {
    double whole = std::trunc(serial);
    long long seconds = std::llround(std::fabs(serial - whole) * kSecondsPerDay);
    if (seconds >= 86400) {
        seconds = 0;
        whole += serial >= 0 ? 1 : -1;
    }
    const QDate date = QDate::fromJulianDay(julianDayOfSerialZero() + static_cast<qint64>(whole));
    DateParts parts;
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    parts.dayOfWeek = date.dayOfWeek() % 7 + 1;
    return parts;
}

std::optional<double> parseDateText(const QString& text) {
    QString rest = text.trimmed();
    if (rest.isEmpty()) return std::nullopt;
    static const QRegularExpression timeAtEnd(
        QStringLiteral(R"((?:^|[\sT])(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?$)"));
    double time = 0;
    bool hasTime = false;
    if (auto m = timeAtEnd.match(rest); m.hasMatch()) {
        int hour = m.captured(1).toInt();
        const int minute = m.captured(2).toInt();
        const int second = m.captured(3).toInt();
        const QString half = m.captured(4).toUpper();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12) return std::nullopt;
            hour = (hour % 12) + (half == QLatin1String("PM") ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
        time = (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
        hasTime = true;
        rest = rest.left(m.capturedStart(0)).trimmed();
    }
    if (rest.isEmpty()) return hasTime ? std::optional<double>(time) : std::nullopt;
    const auto day = parseDatePart(rest);
    if (!day) return std::nullopt;
    return *day >= 0 ? *day + time : *day - time;
}

QString dateToText(double serial) {
    const DateParts p = splitDate(serial);
    const bool hasDate = std::trunc(serial) != 0;
    const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
    const QString date = QStringLiteral("%1/%2/%3")
                             .arg(p.day, 2, 10, QLatin1Char('0'))
                             .arg(p.month, 2, 10, QLatin1Char('0'))
                             .arg(p.year, 4, 10, QLatin1Char('0'));
    const QString time = QStringLiteral("%1:%2:%3")
                             .arg(p.hour, 2, 10, QLatin1Char('0'))
                             .arg(p.minute, 2, 10, QLatin1Char('0'))
                             .arg(p.second, 2, 10, QLatin1Char('0'));
    // Day 0 is "no date": Basic shows the time alone, midnight included.
    if (!hasDate) return time;
    return hasTime ? date + QLatin1Char(' ') + time : date;
}

double currentDateSerial() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return dateSerial(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QString monthName(int month, bool abbreviated) {
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    if (month < 1 || month > 12) return QString();
    const QString full = QString::fromLatin1(names[month - 1]);
    return abbreviated ? full.left(3) : full;
}

}  // namespace veranth::engine
