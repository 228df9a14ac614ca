#include "engine/isam/dbf_cell_codec.h"

#include "engine/conversions.h"
#include "engine/isam/isam_errors.h"

#include <QDate>

#include <cmath>
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

// Text of a number with exactly `decimals` places. Places beyond the field's are rounded:
// the field's scale is its declared precision, as Currency's four places are.
QString fixedText(const Value& v, int decimals) {
    if (v.type() == ValueType::Currency) {
        const Currency c = v.rawCurrency();
        if (decimals >= 4) {
            QString text = currencyToText(c);
            const qsizetype point = text.indexOf(QLatin1Char('.'));
            const int have = point < 0 ? 0 : static_cast<int>(text.size() - point - 1);
            if (point < 0 && decimals > 0) text += QLatin1Char('.');
            return text + QString(decimals - have, QLatin1Char('0'));
        }
        return QString::number(roundHalfEven(c.toDouble() * std::pow(10.0, decimals)) / std::pow(10.0, decimals), 'f', decimals);
    }
    if (v.type() == ValueType::Boolean || v.type() == ValueType::Byte || v.type() == ValueType::Integer ||
        v.type() == ValueType::Long) {
        QString text = QString::number(v.rawInteger());
        if (decimals > 0) text += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
        return text;
    }
    const double d = v.type() == ValueType::Single ? static_cast<double>(static_cast<float>(v.rawDouble())) : toDouble(v);
    QString text = QString::number(d, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) + 1 + (decimals > 0 ? 1 : 0) == text.size())
        text.remove(0, 1);  // no "-0.00"
    return text;
}

void encodeText(const Cell& cell, const QString& text, char* out) {
    QByteArray bytes;
    QChar bad;
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
        const QString text = QString::fromLatin1(p, 8);
        const QDate date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
        bool digits = true;
        for (QChar c : text) digits = digits && c.isDigit();
        if (!digits || !date.isValid()) throw cell.bad(QStringLiteral("'%1' is not a date").arg(text.trimmed()));
        return Value::date(static_cast<double>(daySerial(date)));
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
        std::memset(out, ' ', static_cast<size_t>(field.length));
        if (v.isNull()) return;
        if (v.type() == ValueType::Double || v.type() == ValueType::Single)
            if (!std::isfinite(v.rawDouble())) throw cell.doesNotFit(QStringLiteral("the number is not finite"));
        const QByteArray text = fixedText(v, field.decimals).toLatin1();
        if (text.size() > field.length)
            throw cell.doesNotFit(QStringLiteral("the number %1 needs %2 characters and the field is %3 wide")
                                      .arg(QString::fromLatin1(text)).arg(text.size()).arg(field.length));
        std::memcpy(out + field.length - text.size(), text.constData(), static_cast<size_t>(text.size()));
        return;
    }
    case 'L':
        out[0] = v.isNull() ? '?' : (toBoolean(v) ? 'T' : 'F');
        return;
    case 'D': {
        if (v.isNull()) {
            std::memset(out, ' ', 8);
            return;
        }
        const DateParts parts = splitDate(toDate(v));
        if (parts.hour || parts.minute || parts.second)
            throw cell.doesNotFit(QStringLiteral("%1 has a time of day, which a date field cannot keep").arg(dateToText(toDate(v))));
        if (parts.year < 1 || parts.year > 9999) throw cell.doesNotFit(QStringLiteral("the year %1 has no 4-digit form").arg(parts.year));
        const QByteArray text = QStringLiteral("%1%2%3")
                                    .arg(parts.year, 4, 10, QLatin1Char('0'))
                                    .arg(parts.month, 2, 10, QLatin1Char('0'))
                                    .arg(parts.day, 2, 10, QLatin1Char('0'))
                                    .toLatin1();
        std::memcpy(out, text.constData(), 8);
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
