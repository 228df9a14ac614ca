#include "engine/odbc/odbc_dialect.h"

#include "engine/sql/date_literal.h"
#include "engine/sql/lexer.h"

#include <QHash>

#include <vector>

namespace veranth::engine::odbc {

namespace {

using sql::Keyword;
using sql::Token;
using sql::TokenKind;

QString quotedText(const QString& text) {
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// The dialect's wildcards as SQL's; characters that are wildcards in SQL but not in the
// dialect are kept literal through the escape clause.
QString likePattern(const QString& pattern, bool* needsEscape) {
    QString out;
    for (QChar c : pattern) {
        if (c == QLatin1Char('*')) out += QLatin1Char('%');
        else if (c == QLatin1Char('?')) out += QLatin1Char('_');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
            *needsEscape = true;
        } else out += c;
    }
    return out;
}

// Dialect function -> the ODBC scalar function with the same meaning and arguments.
const QHash<QString, QString>& scalarFunctions() {
    static const QHash<QString, QString> map = {
        {QStringLiteral("ucase"), QStringLiteral("UCASE")},   {QStringLiteral("lcase"), QStringLiteral("LCASE")},
        {QStringLiteral("len"), QStringLiteral("LENGTH")},    {QStringLiteral("left"), QStringLiteral("LEFT")},
        {QStringLiteral("right"), QStringLiteral("RIGHT")},   {QStringLiteral("mid"), QStringLiteral("SUBSTRING")},
        {QStringLiteral("ltrim"), QStringLiteral("LTRIM")},   {QStringLiteral("rtrim"), QStringLiteral("RTRIM")},
        {QStringLiteral("now"), QStringLiteral("NOW")},       {QStringLiteral("date"), QStringLiteral("CURDATE")},
        {QStringLiteral("year"), QStringLiteral("YEAR")},     {QStringLiteral("month"), QStringLiteral("MONTH")},
        {QStringLiteral("day"), QStringLiteral("DAYOFMONTH")}, {QStringLiteral("abs"), QStringLiteral("ABS")},
        {QStringLiteral("sqr"), QStringLiteral("SQRT")},      {QStringLiteral("int"), QStringLiteral("FLOOR")},
    };
    return map;
}

bool untranslatable(const QString& lower) {
    static const char* names[] = {"iif", "val", "format", "nz", "datediff", "dateadd", "datepart", "instr", "cstr",
                                  "clng", "cint", "cdbl", "ccur", "cdate", "str", "space", "string", "first", "last"};
    for (const char* n : names)
        if (lower == QLatin1String(n)) return true;
    return false;
}

QString dateEscape(const sql::DateLiteralValue& d) {
    const QString date = QStringLiteral("%1-%2-%3").arg(d.year, 4, 10, QLatin1Char('0')).arg(d.month, 2, 10, QLatin1Char('0')).arg(d.day, 2, 10, QLatin1Char('0'));
    if (!d.hasTime) return QStringLiteral("{d '%1'}").arg(date);
    return QStringLiteral("{ts '%1 %2:%3:%4'}")
        .arg(date)
        .arg(d.hour, 2, 10, QLatin1Char('0'))
        .arg(d.minute, 2, 10, QLatin1Char('0'))
        .arg(d.second, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString quoteIdentifier(const QString& name, const QString& identifierQuote) {
    const QString q = identifierQuote.isEmpty() ? QStringLiteral("\"") : identifierQuote;
    QString inner = name;
    inner.replace(q, q + q);
    return q + inner + q;
}

std::optional<QString> toDriverSql(const QString& statement, const QString& identifierQuote, QString* why) {
    auto refuse = [&](const QString& construct) -> std::optional<QString> {
        if (why) *why = construct;
        return std::nullopt;
    };
    const std::vector<Token> tokens = sql::tokenize(statement);
    QString out;
    // For each open parenthesis: what closes it (")" or ")}" after an escape clause).
    std::vector<QString> closers;
    qsizetype copied = 0;  // source text up to here is in `out`
    auto emit = [&](const Token& t, const QString& text) {
        out += statement.mid(copied, t.position.offset - copied);  // the blanks before it
        out += text;
        copied = t.position.offset + t.length;
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        const Token* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
        switch (t.kind) {
        case TokenKind::End:
            break;
        case TokenKind::Error:
            return refuse(t.value);
        case TokenKind::BracketedName:
            emit(t, quoteIdentifier(t.text.toString(), identifierQuote));
            break;
        case TokenKind::String: {
            const Token* before = i > 0 ? &tokens[i - 1] : nullptr;
            if (before && before->keyword == Keyword::Like) {
                bool escape = false;
                const QString pattern = likePattern(t.value, &escape);
                emit(t, quotedText(pattern) + (escape ? QStringLiteral(" {escape '\\'}") : QString()));
            } else {
                emit(t, quotedText(t.value));
            }
            break;
        }
        case TokenKind::DateLiteral: {
            const auto d = sql::readDateLiteral(t.text);
            if (!d) return refuse(QStringLiteral("the date #%1#").arg(t.text.toString()));
            emit(t, dateEscape(*d));
            break;
        }
        case TokenKind::Ampersand:
            return refuse(QStringLiteral("the & operator"));
        case TokenKind::Bang:
            return refuse(QStringLiteral("the ! operator"));
        case TokenKind::LeftParen:
            closers.push_back(QStringLiteral(")"));
            emit(t, QStringLiteral("("));
            break;
        case TokenKind::RightParen:
            if (closers.empty()) return refuse(QStringLiteral("an unbalanced parenthesis"));
            emit(t, closers.back());
            closers.pop_back();
            break;
        case TokenKind::Identifier: {
            if (t.keyword == Keyword::True) {
                emit(t, QStringLiteral("1"));
                break;
            }
            if (t.keyword == Keyword::False) {
                emit(t, QStringLiteral("0"));
                break;
            }
            if (t.keyword == Keyword::DistinctRow) {
                emit(t, QStringLiteral("DISTINCT"));
                break;
            }
            if (t.keyword == Keyword::In && next && next->kind == TokenKind::String)
                return refuse(QStringLiteral("an external database (IN '...')"));
            const QString lower = t.text.toString().toLower();
            const bool call = next && next->kind == TokenKind::LeftParen;
            if (call && untranslatable(lower)) return refuse(QStringLiteral("the function %1").arg(t.text.toString()));
            if (call && lower == QLatin1String("trim")) {
                emit(t, QStringLiteral("{fn LTRIM({fn RTRIM"));
                emit(*next, QStringLiteral("("));
                closers.push_back(QStringLiteral(")})}"));
                ++i;
                break;
            }
            if (call && scalarFunctions().contains(lower)) {
                emit(t, QStringLiteral("{fn ") + scalarFunctions().value(lower));
                emit(*next, QStringLiteral("("));
                closers.push_back(QStringLiteral(")}"));
                ++i;
                break;
            }
            emit(t, t.text.toString());
            break;
        }
        default:
            emit(t, statement.mid(t.position.offset, t.length));
            break;
        }
    }
    out += statement.mid(copied);
    return out.trimmed();
}

}  // namespace veranth::engine::odbc
