#include "engine/schema.h"

#include "engine/errors.h"
#include "engine/sql/parser.h"
#include "engine/sql/query_type.h"
#include "engine/sql/statement_context.h"


namespace veranth::engine {

QString IndexInfo::fieldsText() const {
    QStringList parts;
    for (const auto& k : keys) parts << (k.descending ? QStringLiteral("-") : QString()) + k.field;
    return parts.join(QLatin1Char(';'));
}

std::vector<IndexKey> IndexInfo::parseFields(const QString& text) {
    std::vector<IndexKey> keys;
    for (QString part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        part = part.trimmed();
        IndexKey key;
        if (part.startsWith(QLatin1Char('+')) || part.startsWith(QLatin1Char('-'))) {
            key.descending = part.startsWith(QLatin1Char('-'));
            part = part.mid(1).trimmed();
        }
        if (part.startsWith(QLatin1Char('[')) && part.endsWith(QLatin1Char(']'))) part = part.mid(1, part.size() - 2);
        if (part.isEmpty()) continue;
        key.field = part;
        keys.push_back(key);
    }
    if (keys.empty()) throw EngineError(err::kSyntaxErrorInExpression, text);
    return keys;
}

const FieldInfo* TableInfo::field(const QString& name) const {
    for (const auto& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const IndexInfo* TableInfo::primaryIndex() const {
    for (const auto& i : indexes)
        if (i.primary) return &i;
    return nullptr;
}

namespace {
// Listings ask for the type and parameters of every stored query: a text that does not read
// is still listed, as the select query it most likely is.
std::optional<sql::Statement> parsedQuery(const QString& text) {
    try {
        return sql::parseStatement(text);
    } catch (const sql::SqlSyntaxError&) {
        return std::nullopt;
    }
}
}  // namespace

std::vector<ParameterInfo> declaredParameters(const QString& text) {
    std::vector<ParameterInfo> out;
    const auto statement = parsedQuery(text);
    if (!statement) return out;
    for (const sql::ParameterDeclaration& p : sql::declaredParameters(*statement))
        out.push_back({p.name, sql::fieldFromDeclaration(p.name, p.type).type});
    return out;
}

int queryTypeOf(const QString& text, const QString& connect) {
    if (connect.trimmed().startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) return query_type::kPassThrough;
    const auto statement = parsedQuery(text);
    return statement ? static_cast<int>(sql::queryTypeOf(*statement)) : query_type::kSelect;
}

QString queryTypeName(int type) {
    switch (type) {
    case query_type::kSelect: return QStringLiteral("Select");
    case query_type::kCrossTab: return QStringLiteral("Cross Tab");
    case query_type::kDelete: return QStringLiteral("Delete");
    case query_type::kUpdate: return QStringLiteral("Update");
    case query_type::kAppend: return QStringLiteral("Append");
    case query_type::kMakeTable: return QStringLiteral("Make Table");
    case query_type::kDdl: return QStringLiteral("DDL");
    case query_type::kPassThrough: return QStringLiteral("SQLPassThrough");
    case query_type::kSetOperation: return QStringLiteral("Set Operation");
    case 144: return QStringLiteral("SPT Bulk");
    default: return QString();
    }
}

}  // namespace veranth::engine
