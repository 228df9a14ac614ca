#include "engine/statement_translator.h"

#include "engine/schema.h"

#include <QRegularExpression>

namespace veranth::engine {

QString PassThroughTranslator::toSqlite(const QString& statement) const {
    QString text = withoutParameterDeclaration(statement);
    // Declared parameters are written [Name] in the statement; SQLite binds them as ?N.
    const auto parameters = declaredParameters(statement);
    for (size_t i = 0; i < parameters.size(); ++i)
        text.replace(QLatin1Char('[') + parameters[i].name + QLatin1Char(']'), QStringLiteral("?%1").arg(i + 1),
                     Qt::CaseInsensitive);
    return text;
}

std::optional<SingleTableSelect> PassThroughTranslator::singleTableSelect(const QString& statement) const {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+FROM\s+(\[[^\]]+\]|"[^"]+"|[A-Za-z_][A-Za-z0-9_]*)\s*)"
                       R"((?:WHERE\s+(.*?))?\s*(?:ORDER\s+BY\s+(.*?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(statement);
    if (!m.hasMatch()) return std::nullopt;
    QString table = m.captured(1);
    if (table.startsWith(QLatin1Char('[')) || table.startsWith(QLatin1Char('"'))) table = table.mid(1, table.size() - 2);
    const QString where = m.captured(2);
    // Anything that could join or group is beyond a single keyed table.
    static const QRegularExpression beyond(QStringLiteral(R"(\b(JOIN|GROUP|UNION|HAVING|LIMIT)\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (beyond.match(where).hasMatch() || beyond.match(m.captured(3)).hasMatch()) return std::nullopt;
    return SingleTableSelect{table, where, m.captured(3)};
}

}  // namespace veranth::engine
