#include "engine/sql/query_compiler.h"

#include "engine/errors.h"
#include "engine/sql/parser.h"

namespace veranth::engine::sql {

namespace {

constexpr int kMaxQueryNesting = 32;

const CatalogView& catalogFor(StatementContext& context, const TableName& name,
                              const std::optional<ExternalDatabase>& external) {
    if (name.connect) return context.external(QString(), *name.connect);
    if (external) return context.external(external->database, external->connect.value_or(QString()));
    return context.catalog();
}

// The SQLite text naming a table's rows. An attached table's rows are under its source's name,
// so they are given the table's own name (or the statement's alias) as their alias.
QString placeOf(const CatalogView& catalog, const TableInfo& table, const QString& alias) {
    const QString as = alias.isEmpty() ? QString() : QStringLiteral(" AS ") + quoted(alias);
    if (auto stored = catalog.storedPlace(table)) return *stored + (alias.isEmpty() ? QStringLiteral(" AS ") + quoted(table.name) : as);
    const QString schema = catalog.schemaName();
    return (schema.isEmpty() ? quoted(table.name) : quoted(schema) + QLatin1Char('.') + quoted(table.name)) + as;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

std::vector<SourceColumn> columnsOf(const TableInfo& table) {
    std::vector<SourceColumn> columns;
    for (const FieldInfo& f : table.fields) columns.push_back({f.name, sqlTypeOf(f.type), f.type, f.size});
    return columns;
}

QueryCompiler::QueryCompiler(StatementContext& context)
    : context_(context),
      expressions_(context, [this](const QueryExpression& q, const Scope& scope) { return compile(q, &scope); }) {}

Source QueryCompiler::tableSource(const TableName& name, const QString& alias,
                                  const std::optional<ExternalDatabase>& external, QString* sql) {
    const CatalogView& catalog = catalogFor(context_, name, external);
    const QString tableName = name.parts.join(QLatin1Char('.'));
    Source source;
    if (const TableInfo* table = catalog.table(tableName)) {
        source.key = alias.isEmpty() ? table->name : alias;
        source.qualifier = source.key;
        source.columns = columnsOf(*table);
        *sql = placeOf(catalog, *table, alias);
        return source;
    }
    if (auto stored = catalog.querySql(tableName)) {
        if (++context_.queryDepth > kMaxQueryNesting)
            throw EngineError(err::kInvalidOperation, QStringLiteral("Query '%1' refers to itself.").arg(tableName));
        const Statement statement = parseStatement(*stored);
        const auto* query = std::get_if<QueryPtr>(&statement.body);
        if (!query) throw EngineError(err::kInputTableNotFound, tableName);
        const CompiledQuery q = compile(**query);
        --context_.queryDepth;
        source.key = alias.isEmpty() ? tableName : alias;
        source.qualifier = source.key;
        for (size_t i = 0; i < q.columns.size(); ++i)
            source.columns.push_back({q.columns[i].name, q.types[i], q.columns[i].type, q.columns[i].size});
        *sql = QStringLiteral("(%1) AS %2").arg(q.sql, quoted(source.key));
        return source;
    }
    throw EngineError(err::kInputTableNotFound, tableName);
}

Source QueryCompiler::targetSource(const TableName& name, const QString& alias,
                                   const std::optional<ExternalDatabase>& external, QString* place, QString* schema) {
    const CatalogView& catalog = catalogFor(context_, name, external);
    if (schema) *schema = catalog.schemaName();
    const TableInfo* table = catalog.table(name.parts.join(QLatin1Char('.')));
    if (!table) throw EngineError(err::kInputTableNotFound, name.parts.join(QLatin1Char('.')));
    Source source;
    source.key = alias.isEmpty() ? table->name : alias;
    source.qualifier = table->name;
    *place = placeOf(catalog, *table, QString());
    source.columns = columnsOf(*table);
    return source;
}

void QueryCompiler::addSources(const TableSource& source, const std::optional<ExternalDatabase>& external, Scope& scope,
                               std::vector<QString>& texts) {
    switch (source.kind) {
    case TableSourceKind::Table: {
        const auto& t = source.as<TableReference>();
        QString sql;
        scope.add(tableSource(t.name, t.alias, external, &sql));
        texts.push_back(sql);
        return;
    }
    case TableSourceKind::Join: {
        const auto& j = source.as<Join>();
        addSources(*j.left, external, scope, texts);
        addSources(*j.right, external, scope, texts);
        return;
    }
    case TableSourceKind::Derived: {
        const auto& d = source.as<DerivedTable>();
        const CompiledQuery q = compile(*d.query, scope.parent());
        Source s;
        s.key = d.alias.isEmpty() ? context_.nextExpressionName() : d.alias;
        s.qualifier = s.key;
        for (size_t i = 0; i < q.columns.size(); ++i)
            s.columns.push_back({q.columns[i].name, q.types[i], q.columns[i].type, q.columns[i].size});
        texts.push_back(QStringLiteral("(%1) AS %2").arg(q.sql, quoted(s.key)));
        scope.add(std::move(s));
        return;
    }
    }
}

QString QueryCompiler::fromClause(const TableSource& source, const std::optional<ExternalDatabase>& external, Scope& scope) {
    std::vector<QString> texts;
    addSources(source, external, scope, texts);
    auto text = std::cbegin(texts);
    return fromText(source, scope, text);
}

QString QueryCompiler::fromText(const TableSource& source, const Scope& scope, std::vector<QString>::const_iterator& text) {
    if (source.kind != TableSourceKind::Join) return *text++;
    const auto& j = source.as<Join>();
    const QString left = fromText(*j.left, scope, text);
    const QString right = fromText(*j.right, scope, text);
    const char* kind = j.joinKind == JoinKind::Inner ? "INNER" : j.joinKind == JoinKind::Left ? "LEFT" : "RIGHT";
    return QStringLiteral("(%1 %2 JOIN %3 ON %4)")
        .arg(left, QLatin1String(kind), right, expressions_.condition(expressions_.compile(*j.on, scope)));
}

CompiledQuery QueryCompiler::compileSelect(const SelectQuery& select, const Scope* outer) {
    Scope scope(outer);
    std::vector<QString> texts;
    for (const TableSourcePtr& s : select.from) addSources(*s, select.fromExternal, scope, texts);
    QStringList from;
    auto text = std::cbegin(texts);
    for (const TableSourcePtr& s : select.from) from << fromText(*s, scope, text);

    CompiledQuery out;
    QStringList items;
    const auto addColumn = [&](const QString& name, const QString& sql, SqlType type, std::optional<FieldType> field, int size) {
        items << sql + QStringLiteral(" AS ") + quoted(name);
        out.columns.push_back({name, field ? field : fieldTypeOf(type), size});
        out.types.push_back(type);
    };
    const auto addSourceColumns = [&](const Source& s) {
        for (const SourceColumn& c : s.columns) {
            bool duplicate = false;
            for (const ResultColumn& r : out.columns) duplicate = duplicate || sameName(r.name, c.name);
            const bool qualify = scope.sources().size() > 1;
            const QString sql = (qualify ? quoted(s.qualifier) + QLatin1Char('.') : QString()) + quoted(c.name);
            addColumn(duplicate ? s.key + QLatin1Char('.') + c.name : c.name, sql, c.type, c.field, c.size);
        }
    };
    ExpressionCompiler& ex = expressions_;
    const auto savedAliases = std::move(ex.aliases);
    ex.aliases.clear();
    for (const SelectItem& item : select.items) {
        if (item.isStar()) {
            if (item.starQualifier.isEmpty()) {
                for (const Source& s : scope.sources()) addSourceColumns(s);
            } else {
                const Source* s = scope.source(item.starQualifier.join(QLatin1Char('.')));
                if (!s) throw EngineError(err::kInputTableNotFound, item.starQualifier.join(QLatin1Char('.')));
                addSourceColumns(*s);
            }
            continue;
        }
        const Emitted e = ex.compile(*item.expression, scope);
        QString name = item.alias;
        if (name.isEmpty() && item.expression->kind == ExpressionKind::Name)
            name = item.expression->as<NameReference>().name();
        if (name.isEmpty()) name = context_.nextExpressionName();
        int size = 0;
        std::optional<FieldType> field;
        if (item.expression->kind == ExpressionKind::Name && e.plainColumn) {
            if (auto r = scope.resolve(item.expression->as<NameReference>().parts)) {
                size = r->column->size;
                field = r->column->field;
                if (item.alias.isEmpty()) name = r->column->name;
            }
        }
        addColumn(name, ex.value(e), e.type, field, size);
        ex.aliases.emplace_back(name, e);
    }

    QString sql = QStringLiteral("SELECT ");
    if (select.quantifier == SelectQuantifier::Distinct) sql += QStringLiteral("DISTINCT ");
    sql += items.join(QStringLiteral(", "));
    if (!from.isEmpty()) sql += QStringLiteral(" FROM ") + from.join(QStringLiteral(", "));
    if (select.where) sql += QStringLiteral(" WHERE ") + ex.condition(ex.compile(*select.where, scope));
    if (!select.groupBy.empty()) {
        QStringList groups;
        for (const ExpressionPtr& g : select.groupBy) groups << ex.collated(ex.compile(*g, scope));
        sql += QStringLiteral(" GROUP BY ") + groups.join(QStringLiteral(", "));
    }
    if (select.having) sql += QStringLiteral(" HAVING ") + ex.condition(ex.compile(*select.having, scope));
    if (!select.orderBy.empty()) {
        QStringList order;
        for (const OrderItem& o : select.orderBy)
            order << ex.collated(ex.compile(*o.expression, scope)) + (o.descending ? QStringLiteral(" DESC") : QString());
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    }
    ex.aliases = std::move(savedAliases);
    if (select.top) {
        const QString count = select.top->count;
        if (!select.top->percent) {
            sql += QStringLiteral(" LIMIT ") + QString::number(count.toDouble(), 'f', 0);
        } else {
            // A percentage of the rows, rounded up, as TOP n PERCENT counts them.
            sql = QStringLiteral("SELECT * FROM (%1) LIMIT (SELECT CAST(count(*) * %2 / 100.0 + 0.9999999 AS INTEGER) FROM (%1))")
                      .arg(sql, QString::number(count.toDouble(), 'g', 17));
        }
    }
    out.sql = sql;
    return out;
}

CompiledQuery QueryCompiler::compileUnion(const SetOperation& set, const Scope* outer) {
    const auto member = [&](const QueryExpression& q) {
        CompiledQuery c = compile(q, outer);
        const SelectQuery* s = q.select();
        // SQLite takes LIMIT and ORDER BY only on the whole compound.
        if (s && (s->top || !s->orderBy.empty())) c.sql = QStringLiteral("SELECT * FROM (%1)").arg(c.sql);
        return c;
    };
    CompiledQuery left = member(*set.left);
    const CompiledQuery right = member(*set.right);
    for (size_t i = 0; i < left.types.size() && i < right.types.size(); ++i) {
        left.types[i] = commonType(left.types[i], right.types[i]);
        left.columns[i].type = fieldTypeOf(left.types[i]);
    }
    QString sql = left.sql + (set.all ? QStringLiteral(" UNION ALL ") : QStringLiteral(" UNION ")) + right.sql;
    if (!set.orderBy.empty()) {
        Scope scope(outer);
        Source result;
        for (size_t i = 0; i < left.columns.size(); ++i) result.columns.push_back({left.columns[i].name, left.types[i], left.columns[i].type, 0});
        scope.add(result);
        QStringList order;
        for (const OrderItem& o : set.orderBy)
            order << expressions_.collated(expressions_.compile(*o.expression, scope)) + (o.descending ? QStringLiteral(" DESC") : QString());
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    }
    left.sql = sql;
    return left;
}

CompiledQuery QueryCompiler::compile(const QueryExpression& query, const Scope* outer) {
    if (const SelectQuery* s = query.select()) return compileSelect(*s, outer);
    return compileUnion(*query.setOperation(), outer);
}

}  // namespace veranth::engine::sql
