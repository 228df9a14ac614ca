#include "engine/schema.h"

#include "engine/errors.h"

#include <QRegularExpression>

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
const QRegularExpression& parametersClause() {
    static const QRegularExpression re(QStringLiteral(R"(^\s*PARAMETERS\s+([^;]*);)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

FieldType parameterType(const QString& name) {
    const QString t = name.trimmed().toUpper();
    static const QList<std::pair<QString, FieldType>> names = {
        {"BIT", FieldType::Boolean},       {"YESNO", FieldType::Boolean},   {"BOOLEAN", FieldType::Boolean},
        {"BYTE", FieldType::Byte},         {"SHORT", FieldType::Integer},   {"SMALLINT", FieldType::Integer},
        {"LONG", FieldType::Long},         {"INTEGER", FieldType::Long},    {"INT", FieldType::Long},
        {"CURRENCY", FieldType::Currency}, {"MONEY", FieldType::Currency},  {"SINGLE", FieldType::Single},
        {"REAL", FieldType::Single},       {"DOUBLE", FieldType::Double},   {"FLOAT", FieldType::Double},
        {"DATETIME", FieldType::Date},     {"DATE", FieldType::Date},       {"TIME", FieldType::Date},
        {"BINARY", FieldType::Binary},     {"LONGBINARY", FieldType::LongBinary},
        {"MEMO", FieldType::Memo},         {"LONGTEXT", FieldType::Memo},
    };
    for (const auto& [key, type] : names)
        if (t == key) return type;
    return FieldType::Text;
}
}  // namespace

std::vector<ParameterInfo> declaredParameters(const QString& sql) {
    std::vector<ParameterInfo> out;
    const auto m = parametersClause().match(sql);
    if (!m.hasMatch()) return out;
    static const QRegularExpression item(QStringLiteral(R"(\s*(\[[^\]]+\]|[^\s,]+)\s*([A-Za-z]*)\s*(?:\(\s*\d+\s*\))?\s*(,|$))"));
    auto it = item.globalMatch(m.captured(1));
    while (it.hasNext()) {
        const auto p = it.next();
        QString name = p.captured(1);
        if (name.isEmpty()) continue;
        if (name.startsWith(QLatin1Char('['))) name = name.mid(1, name.size() - 2);
        out.push_back({name, parameterType(p.captured(2))});
    }
    return out;
}

QString withoutParameterDeclaration(const QString& sql) {
    const auto m = parametersClause().match(sql);
    return m.hasMatch() ? sql.mid(m.capturedEnd(0)).trimmed() : sql;
}

int queryTypeOf(const QString& sql, const QString& connect) {
    if (connect.trimmed().startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) return query_type::kPassThrough;
    const QString body = withoutParameterDeclaration(sql).trimmed();
    const QString first = body.section(QRegularExpression(QStringLiteral("[\\s(]+")), 0, 0, QString::SectionSkipEmpty).toUpper();
    if (first == QLatin1String("TRANSFORM")) return query_type::kCrossTab;
    if (first == QLatin1String("DELETE")) return query_type::kDelete;
    if (first == QLatin1String("UPDATE")) return query_type::kUpdate;
    if (first == QLatin1String("INSERT")) return query_type::kAppend;
    if (first == QLatin1String("CREATE") || first == QLatin1String("ALTER") || first == QLatin1String("DROP"))
        return query_type::kDdl;
    if (first == QLatin1String("SELECT")) {
        static const QRegularExpression into(QStringLiteral(R"(\bINTO\b)"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression unionWord(QStringLiteral(R"(\bUNION\b)"), QRegularExpression::CaseInsensitiveOption);
        if (unionWord.match(body).hasMatch()) return query_type::kSetOperation;
        if (into.match(body).hasMatch()) return query_type::kMakeTable;
    }
    return query_type::kSelect;
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
