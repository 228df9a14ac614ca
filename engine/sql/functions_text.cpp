// Text functions: Left, Right, Mid, Len, InStr, case, trimming, Chr/Asc, Space, String,
// Replace, Format, Str, CStr.
#include "engine/sql/function_library.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/format.h"

namespace veranth::engine::sql::fn {

namespace {

SqlType text(const ArgumentTypes&) { return SqlType::Text; }
SqlType longResult(const ArgumentTypes&) { return SqlType::Long; }
SqlType integerResult(const ArgumentTypes&) { return SqlType::Integer; }

// Blanks only, as Basic trims: tabs and line breaks stay.
QString trimLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
    return s.mid(i);
}
QString trimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
    return s.left(n);
}

// Functions of one text that give Null for Null.
template <QString (*F)(const QString&)>
Value onText(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value(F(toText(a[0])));
}

QString upper(const QString& s) { return s.toUpper(); }
QString lower(const QString& s) { return s.toLower(); }
QString trimBoth(const QString& s) { return trimRight(trimLeft(s)); }

Value left(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value(toText(a[0]).left(countArgument(a[1], 0)));
}

Value right(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value(toText(a[0]).right(countArgument(a[1], 0)));
}

Value mid(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const int start = countArgument(a[1], 1);
    const QString s = toText(a[0]);
    if (a.size() < 3 || a[2].isMissing()) return Value(s.mid(start - 1));
    return Value(s.mid(start - 1, countArgument(a[2], 0)));
}

Value len(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value::longValue(static_cast<std::int32_t>(toText(a[0]).size()));
}

// InStr([start,] text, sought[, compare]): 1-based position, 0 when absent. Text compares
// without regard to case, as everywhere in the engine, unless compare is 0 (binary).
Value inStr(const Arguments& a) {
    const bool hasStart = a.size() >= 3;
    const Value& start = hasStart ? a[0] : Value::longValue(1);
    const Value& haystack = hasStart ? a[1] : a[0];
    const Value& needle = hasStart ? a[2] : a[1];
    if (start.isNull() || haystack.isNull() || needle.isNull()) return Value::null();
    const bool binary = a.size() >= 4 && !a[3].isMissing() && toLong(a[3]) == 0;
    const int from = countArgument(start, 1);
    const QString h = toText(haystack);
    const QString n = toText(needle);
    if (from > h.size()) return Value::longValue(0);
    if (n.isEmpty()) return Value::longValue(from);
    const qsizetype at = h.indexOf(n, from - 1, binary ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return Value::longValue(static_cast<std::int32_t>(at + 1));
}

Value chr(const Arguments& a) {
    if (a[0].isNull()) throw EngineError(err::kInvalidUseOfNull);
    const std::int32_t code = toLong(a[0]);
    if (code < 0 || code > 0xFFFF) throw EngineError(err::kInvalidArgument);
    return Value(QString(QChar(static_cast<char16_t>(code))));
}

Value asc(const Arguments& a) {
    if (a[0].isNull()) throw EngineError(err::kInvalidUseOfNull);
    const QString s = toText(a[0]);
    if (s.isEmpty()) throw EngineError(err::kInvalidArgument);
    return Value::integer(static_cast<std::int16_t>(s[0].unicode()));
}

Value space(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    return Value(QString(countArgument(a[0], 0), QLatin1Char(' ')));
}

// String(n, c): c is a character code or a text whose first character repeats.
Value repeated(const Arguments& a) {
    if (anyNull(a)) return Value::null();
    const int n = countArgument(a[0], 0);
    QChar c;
    if (a[1].isText()) {
        if (a[1].rawString().isEmpty()) throw EngineError(err::kInvalidArgument);
        c = a[1].rawString()[0];
    } else {
        c = QChar(static_cast<char16_t>(toLong(a[1]) & 0xFF));
    }
    return Value(QString(n, c));
}

// Replace(text, find, with[, start[, count[, compare]]]): the text from start on, with up to
// count (all when -1) replacements; letters compare without regard to case unless compare is 0.
Value replace(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    QString s = toText(a[0]);
    const QString find = a[1].isNull() ? QString() : toText(a[1]);
    const QString with = a[2].isNull() ? QString() : toText(a[2]);
    const int start = a.size() > 3 && !a[3].isMissing() ? countArgument(a[3], 1) : 1;
    int count = a.size() > 4 && !a[4].isMissing() ? countArgument(a[4], -1) : -1;
    const bool binary = a.size() > 5 && !a[5].isMissing() && toLong(a[5]) == 0;
    s = s.mid(start - 1);
    if (find.isEmpty()) return Value(s);
    QString out;
    qsizetype from = 0;
    while (count != 0) {
        const qsizetype at = s.indexOf(find, from, binary ? Qt::CaseSensitive : Qt::CaseInsensitive);
        if (at < 0) break;
        out += s.mid(from, at - from) + with;
        from = at + find.size();
        if (count > 0) --count;
    }
    return Value(out + s.mid(from));
}

Value format(const Arguments& a) {
    return Value(formatValue(a[0], a.size() > 1 && !a[1].isMissing() ? toText(a[1]) : QString()));
}

// Str: numbers with a leading blank where the sign would be.
Value str(const Arguments& a) {
    if (a[0].isNull()) return Value::null();
    const Value n = a[0].isNumeric() || a[0].type() == ValueType::Date ? a[0] : Value::doubleValue(toDouble(a[0]));
    const QString t = toText(n);
    return Value(t.startsWith(QLatin1Char('-')) ? t : QLatin1Char(' ') + t);
}

Value cstr(const Arguments& a) { return Value(toText(a[0])); }

}  // namespace

void addTextFunctions(std::vector<FunctionSpec>& out) {
    out.push_back({QStringLiteral("left"), 2, 2, text, left});
    out.push_back({QStringLiteral("right"), 2, 2, text, right});
    out.push_back({QStringLiteral("mid"), 2, 3, text, mid});
    out.push_back({QStringLiteral("len"), 1, 1, longResult, len});
    out.push_back({QStringLiteral("instr"), 2, 4, longResult, inStr});
    out.push_back({QStringLiteral("ucase"), 1, 1, text, onText<upper>});
    out.push_back({QStringLiteral("lcase"), 1, 1, text, onText<lower>});
    out.push_back({QStringLiteral("trim"), 1, 1, text, onText<trimBoth>});
    out.push_back({QStringLiteral("ltrim"), 1, 1, text, onText<trimLeft>});
    out.push_back({QStringLiteral("rtrim"), 1, 1, text, onText<trimRight>});
    out.push_back({QStringLiteral("chr"), 1, 1, text, chr});
    out.push_back({QStringLiteral("asc"), 1, 1, integerResult, asc});
    out.push_back({QStringLiteral("space"), 1, 1, text, space});
    out.push_back({QStringLiteral("string"), 2, 2, text, repeated});
    out.push_back({QStringLiteral("replace"), 3, 6, text, replace});
    out.push_back({QStringLiteral("format"), 1, 4, text, format});
    out.push_back({QStringLiteral("str"), 1, 1, text, str});
    out.push_back({QStringLiteral("cstr"), 1, 1, text, cstr});
}

}  // namespace veranth::engine::sql::fn
