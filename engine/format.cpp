#include "engine/format.h"

#include "engine/conversions.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>

namespace veranth::engine {

namespace {

QString weekdayName(int dayOfWeek, bool abbreviated) {
    static const char* const names[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    const QString full = QString::fromLatin1(names[(dayOfWeek - 1) % 7]);
    return abbreviated ? full.left(3) : full;
}

QString twoDigits(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }

int runLength(const QString& pattern, qsizetype at) {
    const QChar c = pattern[at].toLower();
    qsizetype end = at;
    while (end < pattern.size() && pattern[end].toLower() == c) ++end;
    return static_cast<int>(end - at);
}

bool isDatePattern(const QString& pattern) {
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"')) quoted = !quoted;
        if (quoted) continue;
        if (c == QLatin1Char('\\')) { ++i; continue; }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) return false;
        if (QStringLiteral("dmyhnsqw").contains(c.toLower())) return true;
    }
    return false;
}

QString formatDate(double serial, const QString& pattern) {
    const DateParts p = splitDate(serial);
    QString out;
    bool afterHour = false;  // "m" straight after an hour token means minutes
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lower = c.toLower();
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (pattern.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            const bool upper = c.isUpper();
            out += p.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        const int run = QStringLiteral("dmyhns").contains(lower) ? runLength(pattern, i) : 1;
        if (lower == QLatin1Char('d')) {
            out += run == 1 ? QString::number(p.day)
                   : run == 2 ? twoDigits(p.day)
                   : weekdayName(p.dayOfWeek, run == 3);
            afterHour = false;
        } else if (lower == QLatin1Char('m') && afterHour && run <= 2) {
            out += run == 1 ? QString::number(p.minute) : twoDigits(p.minute);
            afterHour = false;
        } else if (lower == QLatin1Char('m')) {
            out += run == 1 ? QString::number(p.month)
                   : run == 2 ? twoDigits(p.month)
                   : monthName(p.month, run == 3);
        } else if (lower == QLatin1Char('y')) {
            if (run >= 3) out += QString::number(p.year).rightJustified(4, QLatin1Char('0'));
            else if (run == 2) out += twoDigits(p.year % 100);
            else out += QString::number(static_cast<int>(std::trunc(serial) - dateSerial(p.year, 1, 1)) + 1);
            afterHour = false;
        } else if (lower == QLatin1Char('h')) {
            const bool twelveHour = pattern.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive);
            const int hour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
            out += run == 1 ? QString::number(hour) : twoDigits(hour);
            afterHour = true;
        } else if (lower == QLatin1Char('n')) {
            out += run == 1 ? QString::number(p.minute) : twoDigits(p.minute);
        } else if (lower == QLatin1Char('s')) {
            out += run == 1 ? QString::number(p.second) : twoDigits(p.second);
            afterHour = false;
        } else {
            out += c;
            if (c != QLatin1Char(':')) afterHour = afterHour && c.isSpace();
        }
        i += run;
    }
    return out;
}

// A number as decimal digit strings (no sign), from at most 15 significant digits, the
// precision Basic shows; Currency comes in exact.
struct DecimalText {
    QString whole;
    QString fraction;
};

DecimalText decimalText(double magnitude) {
    const QString e = QString::number(magnitude, 'e', 14);  // d.dddddddddddddde±XX
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    const QString digits = e.left(1) + e.mid(2, ePos - 2);
    const int exponent = e.mid(ePos + 1).toInt();
    if (exponent >= 0) {
        const QString padded = digits.leftJustified(exponent + 1, QLatin1Char('0'));
        return {padded.left(exponent + 1), padded.mid(exponent + 1)};
    }
    return {QStringLiteral("0"), QString(-exponent - 1, QLatin1Char('0')) + digits};
}

// Rounds to `decimals` places, halves away from zero, on the digit strings.
DecimalText roundDecimal(DecimalText d, int decimals) {
    if (d.fraction.size() <= decimals) return d;
    const bool up = d.fraction[decimals] >= QLatin1Char('5');
    QString kept = d.whole + d.fraction.left(decimals);
    if (up) {
        qsizetype i = kept.size() - 1;
        while (i >= 0 && kept[i] == QLatin1Char('9')) kept[i--] = QLatin1Char('0');
        if (i < 0) kept.prepend(QLatin1Char('1'));
        else kept[i] = QChar(kept[i].unicode() + 1);
    }
    return {kept.left(kept.size() - decimals), kept.right(decimals)};
}

QString groupThousands(const QString& whole) {
    QString out;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += QLatin1Char(',');
        out += whole[i];
    }
    return out;
}

QString formatNumber(const Value& value, const QString& pattern) {
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i)
        if (pattern[i] == QLatin1Char('0') || pattern[i] == QLatin1Char('#')) {
            if (first < 0) first = i;
            last = i;
        }
    const QString prefix = pattern.left(first);
    const QString suffix = pattern.mid(last + 1);
    const QString core = pattern.mid(first, last - first + 1);
    const qsizetype point = core.indexOf(QLatin1Char('.'));
    const QString wholePattern = point < 0 ? core : core.left(point);
    const QString fractionPattern = point < 0 ? QString() : core.mid(point + 1);
    const int minWhole = static_cast<int>(wholePattern.count(QLatin1Char('0')));
    const int decimals = static_cast<int>(fractionPattern.count(QLatin1Char('0')) + fractionPattern.count(QLatin1Char('#')));
    const int minDecimals = static_cast<int>(fractionPattern.count(QLatin1Char('0')));
    const bool grouped = wholePattern.contains(QLatin1Char(','));
    const bool percent = pattern.contains(QLatin1Char('%'));

    bool negative = false;
    DecimalText d;
    if (value.type() == ValueType::Currency && !percent) {
        const Currency c = value.rawCurrency();
        negative = c.scaled < 0;
        const QString text = currencyToText(Currency{negative ? -c.scaled : c.scaled});
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        d = dot < 0 ? DecimalText{text, QString()} : DecimalText{text.left(dot), text.mid(dot + 1)};
    } else {
        double x = toDouble(value) * (percent ? 100 : 1);
        negative = x < 0;
        d = decimalText(std::fabs(x));
    }
    d = roundDecimal(d, decimals);
    while (d.whole.size() > 1 && d.whole.startsWith(QLatin1Char('0'))) d.whole.remove(0, 1);
    if (d.whole == QLatin1String("0") && minWhole == 0) d.whole.clear();
    d.whole = d.whole.rightJustified(minWhole, QLatin1Char('0'));
    while (d.fraction.size() > minDecimals && d.fraction.endsWith(QLatin1Char('0'))) d.fraction.chop(1);
    d.fraction = d.fraction.leftJustified(minDecimals, QLatin1Char('0'));

    const bool allZero = !(d.whole + d.fraction).contains(QRegularExpression(QStringLiteral("[1-9]")));
    QString out = grouped ? groupThousands(d.whole) : d.whole;
    if (point >= 0) out += QLatin1Char('.') + d.fraction;
    return (negative && !allZero ? QStringLiteral("-") : QString()) + prefix + out + suffix;
}

const QHash<QString, QString>& namedPatterns() {
    static const QHash<QString, QString> named = {
        {QStringLiteral("short date"), QStringLiteral("dd/mm/yyyy")},
        {QStringLiteral("medium date"), QStringLiteral("dd-mmm-yy")},
        {QStringLiteral("long date"), QStringLiteral("dd mmmm yyyy")},
        {QStringLiteral("short time"), QStringLiteral("hh:nn")},
        {QStringLiteral("medium time"), QStringLiteral("hh:nn AM/PM")},
        {QStringLiteral("long time"), QStringLiteral("hh:nn:ss")},
        {QStringLiteral("fixed"), QStringLiteral("0.00")},
        {QStringLiteral("standard"), QStringLiteral("#,##0.00")},
        {QStringLiteral("percent"), QStringLiteral("0.00%")},
    };
    return named;
}

}  // namespace

QString formatValue(const Value& value, const QString& pattern) {
    if (value.isMissing()) return QString();
    if (pattern.isEmpty()) return toText(value);
    const QString key = pattern.toLower();
    if (key == QLatin1String("general date")) return dateToText(toDate(value));
    if (key == QLatin1String("general number")) return toText(Value::doubleValue(toDouble(value)));
    if (key == QLatin1String("yes/no")) return toBoolean(value) ? QStringLiteral("Yes") : QStringLiteral("No");
    if (key == QLatin1String("true/false")) return toBoolean(value) ? QStringLiteral("True") : QStringLiteral("False");
    if (key == QLatin1String("on/off")) return toBoolean(value) ? QStringLiteral("On") : QStringLiteral("Off");
    if (auto named = namedPatterns().constFind(key); named != namedPatterns().constEnd())
        return formatValue(value, *named);
    if (isDatePattern(pattern)) return formatDate(toDate(value), pattern);
    if (pattern.contains(QLatin1Char('0')) || pattern.contains(QLatin1Char('#'))) {
        // Text that is not a number is shown as it is, as Basic does for a string argument.
        if (value.isText() && !parseNumber(value.rawString())) return value.rawString();
        return formatNumber(value, pattern);
    }
    return toText(value);
}

}  // namespace veranth::engine
