#include "engine/sql/statement_context.h"

#include "engine/errors.h"
#include "engine/sql/value_codec.h"

namespace veranth::engine::sql {

namespace {
// Constants are numbered only when the statement is complete (parameters come first), so they
// are written as this marker and their index until then.
constexpr QChar kConstantMark = QChar(0x1);
}  // namespace

StatementContext::StatementContext(const CatalogView& catalog, LiteralMode mode,
                                   const std::vector<ParameterDeclaration>& declared)
    : catalog_(catalog), mode_(mode) {
    for (const ParameterDeclaration& p : declared) {
        const FieldInfo f = fieldFromDeclaration(p.name, p.type);
        parameters_.push_back({p.name, p.type.type == ColumnType::Value ? SqlType::Variant : sqlTypeOf(f.type)});
    }
}

QString StatementContext::constant(const Value& value, SqlType storage) {
    const Value stored = toStorageKind(value, storage);
    if (stored.isNull()) return QStringLiteral("NULL");
    if (mode_ == LiteralMode::Inline) return sqliteLiteral(stored);
    constants_.emplace_back(stored, fieldTypeOf(sqlTypeOf(stored.type())));
    return kConstantMark + QString::number(constants_.size() - 1) + kConstantMark;
}

QString StatementContext::parameter(const QString& name, SqlType* type) {
    for (size_t i = 0; i < parameters_.size(); ++i) {
        if (parameters_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            *type = parameters_[i].type;
            return QStringLiteral("?%1").arg(i + 1);
        }
    }
    parameters_.push_back({name, SqlType::Variant});
    *type = SqlType::Variant;
    return QStringLiteral("?%1").arg(parameters_.size());
}

const CatalogView& StatementContext::external(const QString& database, const QString& connect) {
    const CatalogView* other = catalog_.external(database, connect);
    if (!other) throw EngineError(err::kFileNotFound, database.isEmpty() ? connect : database);
    for (const ExternalReference& e : externals_)
        if (e.schema == other->schemaName()) return *other;
    externals_.push_back({database, connect, other->schemaName()});
    return *other;
}

QString StatementContext::finish(const QString& sql) const {
    if (constants_.empty()) return sql;
    QString out;
    out.reserve(sql.size());
    const qsizetype first = static_cast<qsizetype>(parameters_.size()) + 1;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] != kConstantMark) {
            out += sql[i];
            continue;
        }
        const qsizetype end = sql.indexOf(kConstantMark, i + 1);
        out += QLatin1Char('?') + QString::number(first + sql.mid(i + 1, end - i - 1).toLongLong());
        i = end;
    }
    return out;
}

std::vector<StatementParameter> StatementContext::parameters() const {
    std::vector<StatementParameter> out;
    for (const Parameter& p : parameters_) out.push_back({p.name, fieldTypeOf(p.type)});
    return out;
}

QString sqliteLiteral(const Value& v) {
    switch (v.type()) {
    case ValueType::Empty:
    case ValueType::Null: return QStringLiteral("NULL");
    case ValueType::Boolean: return v.rawBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case ValueType::Byte:
    case ValueType::Integer:
    case ValueType::Long: return QString::number(v.rawInteger());
    case ValueType::Currency: return QString::number(v.rawCurrency().scaled);
    case ValueType::Single:
    case ValueType::Double:
    case ValueType::Date: return QString::number(v.rawDouble(), 'g', 17);
    case ValueType::String: {
        QString text = v.rawString();
        text.replace(QLatin1Char('\''), QStringLiteral("''"));
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    }
    case ValueType::Binary: return QStringLiteral("X'") + QString::fromLatin1(v.rawBinary().toHex()) + QLatin1Char('\'');
    }
    return QStringLiteral("NULL");
}

QString quoted(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

FieldInfo fieldFromDeclaration(const QString& name, const TypeDeclaration& type) {
    FieldInfo f;
    f.name = name;
    switch (type.type) {
    case ColumnType::Boolean: f.type = FieldType::Boolean; break;
    case ColumnType::Byte: f.type = FieldType::Byte; break;
    case ColumnType::Integer: f.type = FieldType::Integer; break;
    case ColumnType::Long: f.type = FieldType::Long; break;
    case ColumnType::Counter:
        f.type = FieldType::Long;
        f.attributes = field_attr::kFixed | field_attr::kAutoIncrement;
        break;
    case ColumnType::Currency: f.type = FieldType::Currency; break;
    case ColumnType::Single: f.type = FieldType::Single; break;
    case ColumnType::Double:
    case ColumnType::Decimal: f.type = FieldType::Double; break;
    case ColumnType::DateTime: f.type = FieldType::Date; break;
    case ColumnType::Text: f.type = FieldType::Text; break;
    case ColumnType::Memo:
    case ColumnType::Value: f.type = FieldType::Memo; break;
    case ColumnType::Binary: f.type = FieldType::Binary; break;
    case ColumnType::LongBinary: f.type = FieldType::LongBinary; break;
    case ColumnType::Guid:
        f.type = FieldType::Text;
        f.size = 38;
        break;
    }
    if (f.type == FieldType::Text || f.type == FieldType::Binary) f.size = type.size().value_or(f.type == FieldType::Text && type.type != ColumnType::Guid ? 255 : f.size);
    else f.size = defaultFieldSize(f.type);
    if (f.type != FieldType::Text && f.type != FieldType::Memo && f.type != FieldType::Binary && !(f.attributes & field_attr::kAutoIncrement))
        f.attributes = field_attr::kFixed;
    return f;
}

}  // namespace veranth::engine::sql
