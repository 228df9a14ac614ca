#include "engine/isam/dbf_cell_codec.h"

#include "engine/conversions.h"
#include "engine/isam/decimal_text.h"
#include "engine/isam/isam_errors.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace veranth::engine::isam {

namespace {

// Julian day number of the engine's day 0, 30 Dec 1899.
constexpr std::int64_t kJulianDayZero = 2415019;
constexpr std::int64_t kMillisecondsPerDay = 86400000;

std::int32_t le32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return static_cast<std::int32_t>(v);
}
std::int64_t le64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return static_cast<std::int64_t>(v);
}
void putLe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putLe64(char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool allOf(const char* p, int n, char c) {
    for (int i = 0; i < n; ++i)
        if (p[i] != c) return false;
    return true;
}

bool isBlank(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\0') return false;
    return true;
}

// Days since 30 Dec 1899 of a calendar date, exact for every date of the Gregorian calendar.
std::int64_t daySerial(const QDate& date) { return date.toJulianDay() - kJulianDayZero; }

struct CivilDate {
    int year, month, day;
};

// The calendar date of a whole day serial, by the days-to-civil algorithm of the proleptic
// Gregorian calendar (the date field is written for every record: no calendar objects here).
CivilDate civilOfSerial(std::int64_t serial) {
    const std::int64_t z = serial - 25569 + 719468;  // 25569: the serial of 1 Jan 1970
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const auto y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    return {y, static_cast<int>(m), static_cast<int>(d)};
}

struct Cell {
    const DbfFieldDescriptor& field;
    FieldType type;
    std::int64_t record;
    const DbfCellContext& context;

    EngineError bad(const QString& fault) const { return badStoredValue(context.path, field.name, record, fault); }
    EngineError doesNotFit(const QString& fault) const { return valueDoesNotFit(context.path, field.name, fault); }
};

// Numeric text as dBase writes it: blanks, a sign, digits, a point, and (F fields written by
// some programs) an exponent.
std::optional<QString> numericText(const char* p, int n) {
    QString text = QString::fromLatin1(p, n).trimmed();
    if (text.isEmpty()) return QString();
    static const auto isNumeric = [](const QString& t) {
        int i = 0;
        if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) ++i;
        int digits = 0;
        while (i < t.size() && t[i].isDigit()) ++i, ++digits;
        if (i < t.size() && t[i] == QLatin1Char('.')) {
            ++i;
            while (i < t.size() && t[i].isDigit()) ++i, ++digits;
        }
        if (digits == 0) return false;
        if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
            ++i;
            if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) ++i;
            int exponent = 0;
            while (i < t.size() && t[i].isDigit()) ++i, ++exponent;
            if (exponent == 0) return false;
        }
        return i == t.size();
    };
    if (!isNumeric(text)) return std::nullopt;
    return text;
}

Value numberOfType(const Cell& cell, const QString& text) {
    if (cell.type == FieldType::Currency) {
        if (auto c = parseCurrency(text)) return Value::currency(*c);
        throw cell.bad(QStringLiteral("'%1' is outside the range of Currency").arg(text));
    }
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (!ok || !std::isfinite(d)) throw cell.bad(QStringLiteral("'%1' is not a number").arg(text));
    switch (cell.type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        const double whole = std::round(d);
        const double low = cell.type == FieldType::Byte ? 0 : cell.type == FieldType::Integer ? -32768 : -2147483648.0;
        const double high = cell.type == FieldType::Byte ? 255 : cell.type == FieldType::Integer ? 32767 : 2147483647.0;
        if (whole != d || whole < low || whole > high)
            throw cell.bad(QStringLiteral("'%1' is not a whole number that a %2 field holds").arg(text, fieldTypeName(cell.type)));
        if (cell.type == FieldType::Byte) return Value::byte(static_cast<std::uint8_t>(whole));
        if (cell.type == FieldType::Integer) return Value::integer(static_cast<std::int16_t>(whole));
        return Value::longValue(static_cast<std::int32_t>(whole));
    }
    case FieldType::Single: return Value::single(static_cast<float>(d));
    default: return Value::doubleValue(d);
    }
}

// The common case of a numeric field read without building any text; nullopt sends the
// field down the slow path, which also words the errors.
std::optional<Value> fastNumber(const Cell& cell, const char* p, int n) {
    const auto d = parseDecimal(p, n);
    if (!d) return std::nullopt;
    switch (cell.type) {
    case FieldType::Currency: {
        const auto scaled = scaledValue(*d, 4);
        if (!scaled) return std::nullopt;
        return Value::currency(Currency{*scaled});
    }
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        const auto whole = scaledValue(*d, 0);
        if (!whole || d->scale > 0) return std::nullopt;  // "12.00" and the like: the slow path checks
        const std::int64_t v = *whole;
        if (cell.type == FieldType::Byte) {
            if (v < 0 || v > 255) return std::nullopt;
            return Value::byte(static_cast<std::uint8_t>(v));
        }
        if (cell.type == FieldType::Integer) {
            if (v < -32768 || v > 32767) return std::nullopt;
            return Value::integer(static_cast<std::int16_t>(v));
        }
        if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
        return Value::longValue(static_cast<std::int32_t>(v));
    }
    default: {
        int i = 0, end = n;
        while (i < end && p[i] == ' ') ++i;
        while (end > i && p[end - 1] == ' ') --end;
        if (i < end && p[i] == '+') ++i;
        double value = 0;
        const auto result = std::from_chars(p + i, p + end, value);
        if (result.ec != std::errc() || result.ptr != p + end) return std::nullopt;
        if (cell.type == FieldType::Single) return Value::single(static_cast<float>(value));
        return Value::doubleValue(value);
    }
    }
}

// Writes a number right-aligned into the field, or refuses it.
void encodeNumber(const Cell& cell, const Value& v, char* out) {
    char text[512];
    int length = 0;
    switch (v.type()) {
    case ValueType::Boolean:
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: length = formatScaled(v.rawInteger(), 0, cell.field.decimals, text); break;
    case ValueType::Currency: length = formatScaled(v.rawCurrency().scaled, 4, cell.field.decimals, text); break;
    default: {
        double d = v.type() == ValueType::Single ? static_cast<double>(static_cast<float>(v.rawDouble())) : toDouble(v);
        if (!std::isfinite(d)) throw cell.doesNotFit(QStringLiteral("the number is not finite"));
        length = std::snprintf(text, sizeof text, "%.*f", cell.field.decimals, d);
        if (text[0] == '-') {  // no "-0.00"
            bool zero = true;
            for (int i = 1; i < length; ++i) zero = zero && (text[i] == '0' || text[i] == '.');
            if (zero) {
                std::memmove(text, text + 1, static_cast<size_t>(length));
                --length;
            }
        }
        break;
    }
    }
    if (length > cell.field.length)
        throw cell.doesNotFit(QStringLiteral("the number %1 needs %2 characters and the field is %3 wide")
                                  .arg(QString::fromLatin1(text, length)).arg(length).arg(cell.field.length));
    std::memset(out, ' ', static_cast<size_t>(cell.field.length - length));
    std::memcpy(out + cell.field.length - length, text, static_cast<size_t>(length));
}

void encodeText(const Cell& cell, const QString& text, char* out) {
    QChar bad;
    if (!cell.context.codePage.isUtf8()) {
        const qsizetype written = cell.context.codePage.encodeInto(text, out, cell.field.length, &bad);
        if (written >= 0) {
            std::memset(out + written, ' ', static_cast<size_t>(cell.field.length - written));
            return;
        }
        if (written == -1)
            throw cell.doesNotFit(QStringLiteral("the text takes %1 bytes and the field holds %2").arg(text.size()).arg(cell.field.length));
    }
    QByteArray bytes;
    if (!cell.context.codePage.encode(text, bytes, &bad))
        throw EngineError::withDescription(
            err::kConversionError,
            QStringLiteral("The field '%1' of '%2' cannot hold the character '%3' (U+%4): code page %5 has no place for it.")
                .arg(cell.field.name, cell.context.path, QString(bad))
                .arg(bad.unicode(), 4, 16, QLatin1Char('0'))
                .arg(cell.context.codePage.name()));
    if (bytes.size() > cell.field.length)
        throw cell.doesNotFit(QStringLiteral("the text takes %1 bytes and the field holds %2").arg(bytes.size()).arg(cell.field.length));
    std::memcpy(out, bytes.constData(), static_cast<size_t>(bytes.size()));
    std::memset(out + bytes.size(), ' ', static_cast<size_t>(cell.field.length - bytes.size()));
}

MemoFile& memoOf(const Cell& cell) {
    if (!cell.context.memo)
        throw malformedFile(cell.context.path, QStringLiteral("the field '%1' needs a memo file and there is none").arg(cell.field.name));
    return *cell.context.memo;
}

Value decodeMemo(const Cell& cell, const char* p) {
    std::int64_t block = 0;
    if (cell.field.length == 4) {
        block = static_cast<std::uint32_t>(le32(p));
    } else {
        if (isBlank(p, cell.field.length)) return Value::null();
        bool ok = false;
        block = QString::fromLatin1(p, cell.field.length).trimmed().toLongLong(&ok);
        if (!ok || block < 0 || block > std::numeric_limits<std::uint32_t>::max())
            throw cell.bad(QStringLiteral("'%1' is not a memo block number").arg(QString::fromLatin1(p, cell.field.length).trimmed()));
    }
    if (block == 0) return Value::null();
    const MemoFile::Entry entry = memoOf(cell).read(static_cast<std::uint32_t>(block));
    if (cell.type == FieldType::Memo) return Value(cell.context.codePage.decode(entry.data));
    return Value::binary(entry.data);
}

void encodeMemo(const Cell& cell, const Value& v, char* out) {
    std::uint32_t block = 0;
    if (!v.isNull()) {
        QByteArray bytes;
        bool isText = v.type() != ValueType::Binary;
        if (isText) {
            QChar bad;
            if (!cell.context.codePage.encode(toText(v), bytes, &bad))
                throw EngineError::withDescription(
                    err::kConversionError, QStringLiteral("The memo '%1' of '%2' cannot hold the character '%3': code page %4 has no place for it.")
                                               .arg(cell.field.name, cell.context.path, QString(bad), cell.context.codePage.name()));
        } else {
            bytes = v.rawBinary();
        }
        block = memoOf(cell).write(bytes, isText);
    }
    if (cell.field.length == 4) {
        putLe32(out, block);
        return;
    }
    const QByteArray digits = block == 0 ? QByteArray() : QByteArray::number(block);
    std::memset(out, ' ', static_cast<size_t>(cell.field.length));
    std::memcpy(out + cell.field.length - digits.size(), digits.constData(), static_cast<size_t>(digits.size()));
}

}  // namespace

Value decodeDbfCell(const DbfFieldDescriptor& field, FieldType type, const char* p, std::int64_t record,
                    const DbfCellContext& context) {
    const Cell cell{field, type, record, context};
    switch (field.type) {
    case 'C': {
        int n = field.length;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
        if (n == 0) return Value::null();
        return Value(context.codePage.decode(p, n));
    }
    case 'N':
    case 'F': {
        if (isBlank(p, field.length)) return Value::null();
        if (auto fast = fastNumber(cell, p, field.length)) return *fast;
        const auto text = numericText(p, field.length);
        if (!text) throw cell.bad(QStringLiteral("'%1' is not a number").arg(QString::fromLatin1(p, field.length).trimmed()));
        if (text->isEmpty()) return Value::null();
        return numberOfType(cell, *text);
    }
    case 'L':
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y': return Value::boolean(true);
        case 'F': case 'f': case 'N': case 'n': return Value::boolean(false);
        case ' ': case '?': case '\0': return Value::null();
        default: throw cell.bad(QStringLiteral("'%1' is not a logical value").arg(QString::fromLatin1(p, 1)));
        }
    case 'D': {
        if (isBlank(p, 8) || allOf(p, 8, '0')) return Value::null();
        int digits[8];
        bool allDigits = true;
        for (int i = 0; i < 8; ++i) {
            allDigits = allDigits && p[i] >= '0' && p[i] <= '9';
            digits[i] = p[i] - '0';
        }
        const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int month = digits[4] * 10 + digits[5], day = digits[6] * 10 + digits[7];
        if (!allDigits || !QDate::isValid(year, month, day))
            throw cell.bad(QStringLiteral("'%1' is not a date").arg(QString::fromLatin1(p, 8).trimmed()));
        return Value::date(static_cast<double>(daySerial(QDate(year, month, day))));
    }
    case 'T': {
        const std::int32_t day = le32(p);
        const std::int32_t ms = le32(p + 4);
        if (day == 0 && ms == 0) return Value::null();
        if (ms < 0 || ms >= kMillisecondsPerDay || day < 1721426 || day > 5373484)  // years 1 to 9999
            throw cell.bad(QStringLiteral("day %1, millisecond %2 is not a date and time").arg(day).arg(ms));
        const QDate date = QDate::fromJulianDay(day);
        const int seconds = static_cast<int>(std::lround(ms / 1000.0));
        return Value::date(dateSerial(date.year(), date.month(), date.day(), seconds / 3600, seconds / 60 % 60, seconds % 60));
    }
    case 'I': {
        const std::int32_t v = le32(p);
        if (type == FieldType::Long) return Value::longValue(v);
        return numberOfType(cell, QString::number(v));
    }
    case 'Y': return Value::currency(Currency{le64(p)});
    case 'B':
        if (!field.isMemo()) {
            double d;
            const std::int64_t bits = le64(p);
            std::memcpy(&d, &bits, sizeof d);
            if (!std::isfinite(d)) throw cell.bad(QStringLiteral("the stored double is not a finite number"));
            return type == FieldType::Single ? Value::single(static_cast<float>(d)) : Value::doubleValue(d);
        }
        return decodeMemo(cell, p);
    default: return decodeMemo(cell, p);  // M, G, P
    }
}

void encodeDbfCell(const DbfFieldDescriptor& field, FieldType type, const Value& value, char* out,
                   const DbfCellContext& context) {
    const Cell cell{field, type, -1, context};
    const Value& v = value;
    switch (field.type) {
    case 'C':
        if (v.isNull()) {
            std::memset(out, ' ', static_cast<size_t>(field.length));
            return;
        }
        return encodeText(cell, toText(v), out);
    case 'N':
    case 'F': {
        if (v.isNull()) {
            std::memset(out, ' ', static_cast<size_t>(field.length));
            return;
        }
        return encodeNumber(cell, v, out);
    }
    case 'L':
        out[0] = v.isNull() ? '?' : (toBoolean(v) ? 'T' : 'F');
        return;
    case 'D': {
        if (v.isNull()) {
            std::memset(out, ' ', 8);
            return;
        }
        const double serial = toDate(v);
        if (serial != std::trunc(serial) || !std::isfinite(serial))
            throw cell.doesNotFit(QStringLiteral("%1 has a time of day, which a date field cannot keep").arg(dateToText(serial)));
        const CivilDate parts = civilOfSerial(static_cast<std::int64_t>(serial));
        if (parts.year < 1 || parts.year > 9999) throw cell.doesNotFit(QStringLiteral("the year %1 has no 4-digit form").arg(parts.year));
        const int numbers[] = {parts.year / 1000, parts.year / 100 % 10, parts.year / 10 % 10, parts.year % 10,
                               parts.month / 10,  parts.month % 10,     parts.day / 10,       parts.day % 10};
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>('0' + numbers[i]);
        return;
    }
    case 'T': {
        if (v.isNull()) {
            std::memset(out, 0, 8);
            return;
        }
        const DateParts parts = splitDate(toDate(v));
        const QDate date(parts.year, parts.month, parts.day);
        if (!date.isValid() || parts.year < 1) throw cell.doesNotFit(QStringLiteral("the date is outside the years 1 to 9999"));
        putLe32(out, static_cast<std::uint32_t>(date.toJulianDay()));
        putLe32(out + 4, static_cast<std::uint32_t>((parts.hour * 3600 + parts.minute * 60 + parts.second) * 1000));
        return;
    }
    case 'I':
        // Null has no form of its own here; 0 is what the format's tools store.
        putLe32(out, static_cast<std::uint32_t>(v.isNull() ? 0 : toLong(v)));
        return;
    case 'Y':
        putLe64(out, static_cast<std::uint64_t>(v.isNull() ? 0 : toCurrency(v).scaled));
        return;
    case 'B':
        if (!field.isMemo()) {
            const double d = v.isNull() ? 0.0 : toDouble(v);
            std::uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            putLe64(out, bits);
            return;
        }
        return encodeMemo(cell, v, out);
    default: return encodeMemo(cell, v, out);
    }
}

}  // namespace veranth::engine::isam
