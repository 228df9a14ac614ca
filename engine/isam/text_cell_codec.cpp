#include "engine/isam/text_cell_codec.h"

#include "engine/conversions.h"
#include "engine/isam/decimal_text.h"

#include <QDate>
#include <QLocale>

#include <charconv>
#include <cmath>

namespace veranth::engine::isam {

namespace {

constexpr int kLongestText = 255;

std::optional<bool> booleanOf(const QString& text) {
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("TRUE") || t == QLatin1String("YES") || t == QLatin1String("-1") || t == QLatin1String("1")) return true;
    if (t == QLatin1String("FALSE") || t == QLatin1String("NO") || t == QLatin1String("0")) return false;
    return std::nullopt;
}

// A date is only taken for one when it is written as a date (not a bare number).
bool looksLikeDate(const QString& t) {
    for (QChar c : t)
        if (c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char(':') || c.isLetter()) return true;
    return false;
}

std::optional<QByteArray> fromHex(const QString& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    for (QChar c : text)
        if (!c.isDigit() && !(c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'))) return std::nullopt;
    return QByteArray::fromHex(text.toLatin1());
}

int digitsAt(const char* p, int count) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss".
std::optional<Value> isoDate(const char* p, qsizetype n) {
    if ((n != 10 && n != 19) || p[4] != '-' || p[7] != '-') return std::nullopt;
    const int year = digitsAt(p, 4), month = digitsAt(p + 5, 2), day = digitsAt(p + 8, 2);
    if (year < 100 || !QDate::isValid(year, month, day)) return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    if (n == 19) {
        if (p[10] != ' ' || p[13] != ':' || p[16] != ':') return std::nullopt;
        hour = digitsAt(p + 11, 2);
        minute = digitsAt(p + 14, 2);
        second = digitsAt(p + 17, 2);
        if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
    }
    return Value::date(dateSerial(year, month, day, hour, minute, second));
}

void appendDigits(QByteArray& out, int value, int width) {
    char buffer[8];
    for (int i = width - 1; i >= 0; --i, value /= 10) buffer[i] = static_cast<char>('0' + value % 10);
    out.append(buffer, width);
}

}  // namespace

std::optional<Value> fastTextToValue(const char* p, qsizetype n, FieldType type) {
    switch (type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        const auto d = parseDecimal(p, n);
        if (!d || d->scale > 0) return std::nullopt;
        const auto v = scaledValue(*d, 0);
        if (!v) return std::nullopt;
        if (type == FieldType::Byte && *v >= 0 && *v <= 255) return Value::byte(static_cast<std::uint8_t>(*v));
        if (type == FieldType::Integer && *v >= -32768 && *v <= 32767) return Value::integer(static_cast<std::int16_t>(*v));
        if (type == FieldType::Long && *v >= INT32_MIN && *v <= INT32_MAX) return Value::longValue(static_cast<std::int32_t>(*v));
        return std::nullopt;
    }
    case FieldType::Currency: {
        const auto d = parseDecimal(p, n);
        if (!d) return std::nullopt;
        const auto v = scaledValue(*d, 4);
        return v ? std::optional<Value>(Value::currency(Currency{*v})) : std::nullopt;
    }
    case FieldType::Single:
    case FieldType::Double: {
        qsizetype i = 0;
        if (i < n && p[i] == '+') ++i;
        if (type == FieldType::Single) {
            float f = 0;
            const auto r = std::from_chars(p + i, p + n, f);
            if (r.ec != std::errc() || r.ptr != p + n || !std::isfinite(f)) return std::nullopt;
            return Value::single(f);
        }
        double d = 0;
        const auto r = std::from_chars(p + i, p + n, d);
        if (r.ec != std::errc() || r.ptr != p + n || !std::isfinite(d)) return std::nullopt;
        return Value::doubleValue(d);
    }
    case FieldType::Date: return isoDate(p, n);
    case FieldType::Boolean:
        if (n == 4 && std::equal(p, p + 4, "True")) return Value::boolean(true);
        if (n == 5 && std::equal(p, p + 5, "False")) return Value::boolean(false);
        return std::nullopt;
    default: return std::nullopt;
    }
}

void appendValueText(QByteArray& out, const Value& v, FieldType type) {
    if (v.isMissing()) return;
    char buffer[64];
    switch (type) {
    case FieldType::Boolean: out += toBoolean(v) ? "True" : "False"; return;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, toLong(v));
        out.append(buffer, r.ptr - buffer);
        return;
    }
    case FieldType::Currency: {
        int n = formatScaled(toCurrency(v).scaled, 4, 4, buffer);
        while (buffer[n - 1] == '0') --n;  // "12.5000" -> "12.5", "3.0000" -> "3"
        if (buffer[n - 1] == '.') --n;
        out.append(buffer, n);
        return;
    }
    case FieldType::Single: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, toSingle(v));
        out.append(buffer, r.ptr - buffer);
        return;
    }
    case FieldType::Double: {
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, toDouble(v));
        out.append(buffer, r.ptr - buffer);
        return;
    }
    case FieldType::Date: {
        const DateParts p = splitDate(toDate(v));
        if (p.year < 0 || p.year > 9999) break;
        appendDigits(out, p.year, 4);
        out += '-';
        appendDigits(out, p.month, 2);
        out += '-';
        appendDigits(out, p.day, 2);
        if (p.hour || p.minute || p.second) {
            out += ' ';
            appendDigits(out, p.hour, 2);
            out += ':';
            appendDigits(out, p.minute, 2);
            out += ':';
            appendDigits(out, p.second, 2);
        }
        return;
    }
    default: break;
    }
    out += valueToText(v, type).toLatin1();
}

std::optional<Value> textToValue(const QString& text, bool quoted, FieldType type) {
    if (text.isEmpty() && quoted) {
        if (isTextual(type)) return Value(QString());
        if (type == FieldType::Binary || type == FieldType::LongBinary) return Value::binary(QByteArray());
    }
    if (text.isEmpty()) return Value::null();
    if (isTextual(type)) return Value(text);
    const QString t = text.trimmed();
    if (t.isEmpty()) return Value::null();
    switch (type) {
    case FieldType::Boolean: {
        const auto b = booleanOf(t);
        return b ? std::optional<Value>(Value::boolean(*b)) : std::nullopt;
    }
    case FieldType::Currency: {
        const auto c = parseCurrency(t);
        return c ? std::optional<Value>(Value::currency(*c)) : std::nullopt;
    }
    case FieldType::Date: {
        const auto d = parseDateText(t);
        return d ? std::optional<Value>(Value::date(*d)) : std::nullopt;
    }
    case FieldType::Binary:
    case FieldType::LongBinary: {
        const auto b = fromHex(t);
        return b ? std::optional<Value>(Value::binary(*b)) : std::nullopt;
    }
    default: break;
    }
    const auto n = parseNumber(t);
    if (!n || !std::isfinite(*n)) return std::nullopt;
    auto whole = [&](double low, double high) { return *n == std::floor(*n) && *n >= low && *n <= high; };
    switch (type) {
    case FieldType::Byte: return whole(0, 255) ? std::optional<Value>(Value::byte(static_cast<std::uint8_t>(*n))) : std::nullopt;
    case FieldType::Integer:
        return whole(-32768, 32767) ? std::optional<Value>(Value::integer(static_cast<std::int16_t>(*n))) : std::nullopt;
    case FieldType::Long:
        return whole(-2147483648.0, 2147483647.0) ? std::optional<Value>(Value::longValue(static_cast<std::int32_t>(*n))) : std::nullopt;
    case FieldType::Single: return Value::single(static_cast<float>(*n));
    default: return Value::doubleValue(*n);
    }
}

QString valueToText(const Value& v, FieldType type) {
    if (v.isMissing()) return QString();
    switch (type) {
    case FieldType::Boolean: return toBoolean(v) ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: return QString::number(toLong(v));
    case FieldType::Currency: return currencyToText(toCurrency(v));
    case FieldType::Single: return QString::number(static_cast<double>(toSingle(v)), 'g', QLocale::FloatingPointShortest);
    case FieldType::Double: return QString::number(toDouble(v), 'g', QLocale::FloatingPointShortest);
    case FieldType::Date: {
        const DateParts p = splitDate(toDate(v));
        QString text = QStringLiteral("%1-%2-%3")
                           .arg(p.year, 4, 10, QLatin1Char('0'))
                           .arg(p.month, 2, 10, QLatin1Char('0'))
                           .arg(p.day, 2, 10, QLatin1Char('0'));
        if (p.hour || p.minute || p.second)
            text += QStringLiteral(" %1:%2:%3")
                        .arg(p.hour, 2, 10, QLatin1Char('0'))
                        .arg(p.minute, 2, 10, QLatin1Char('0'))
                        .arg(p.second, 2, 10, QLatin1Char('0'));
        return text;
    }
    case FieldType::Binary:
    case FieldType::LongBinary: return QString::fromLatin1(v.rawBinary().toHex().toUpper());
    default: return toText(v);
    }
}

void TextTypeGuess::see(const QString& text) {
    longest_ = std::max(longest_, static_cast<int>(text.size()));
    const QString t = text.trimmed();
    if (t.isEmpty()) return;
    any_ = true;
    const auto n = parseNumber(t);
    const bool isNumber = n && std::isfinite(*n) && !t.contains(QLatin1Char(','));
    number_ = number_ && isNumber;
    whole_ = whole_ && isNumber && *n == std::floor(*n) && std::fabs(*n) <= 2147483647.0 && !t.contains(QLatin1Char('.'));
    date_ = date_ && !isNumber && looksLikeDate(t) && parseDateText(t).has_value();
    const QString upper = t.toUpper();
    boolean_ = boolean_ && (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE"));
}

FieldType TextTypeGuess::type() const {
    if (!any_) return FieldType::Text;
    if (whole_) return FieldType::Long;
    if (number_) return FieldType::Double;
    if (date_) return FieldType::Date;
    if (boolean_) return FieldType::Boolean;
    return longest_ > kLongestText ? FieldType::Memo : FieldType::Text;
}

int TextTypeGuess::textSize() const { return kLongestText; }

}  // namespace veranth::engine::isam
