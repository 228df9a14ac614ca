#include "engine/isam/text_cell_codec.h"

#include "engine/conversions.h"

#include <QLocale>

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

}  // namespace

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
