#include "engine/sql/dialect_translator.h"

#include "engine/sql/engine_error.h"
#include "engine/sql/parser.h"
#include "engine/sql/query_compiler.h"
#include "engine/sql/statement_compiler.h"

namespace veranth::engine::sql {

namespace {

Statement parsed(const QString& text) {
    try {
        return parseStatement(text);
    } catch (const SqlSyntaxError& error) {
        throw toEngineError(error);
    }
}

// SELECT * FROM one stored table, WHERE and ORDER BY at most: what a keyed dynaset can serve.
const TableReference* singleStoredTable(const Statement& statement) {
    const auto* query = std::get_if<QueryPtr>(&statement.body);
    if (!query) return nullptr;
    const SelectQuery* s = (*query)->select();
    if (!s || s->into || s->top || s->quantifier != SelectQuantifier::All || !s->groupBy.empty() || s->having ||
        s->fromExternal || s->from.size() != 1 || s->items.size() != 1 || !s->items.front().isStar() ||
        !s->items.front().starQualifier.isEmpty() || s->from.front()->kind != TableSourceKind::Table)
        return nullptr;
    const auto& table = s->from.front()->as<TableReference>();
    return table.name.connect ? nullptr : &table;
}

}  // namespace

Translation DialectTranslator::translate(const QString& statement) const {
    return translateStatement(parsed(statement), *catalog_, LiteralMode::Bound);
}

Translation DialectTranslator::translateCondition(const QString& expression, const TableInfo& table) const {
    ExpressionPtr tree;
    try {
        tree = parseExpression(expression);
    } catch (const SqlSyntaxError& error) {
        throw toEngineError(error);
    }
    StatementContext context(*catalog_, LiteralMode::Bound, {});
    QueryCompiler queries(context);
    Scope scope;
    scope.add(Source{table.name, table.name, columnsOf(table)});
    Translation out;
    out.sql = context.finish(queries.expressions().condition(queries.expressions().compile(*tree, scope)));
    out.parameters = context.parameters();
    out.constants = context.constants();
    return out;
}

std::optional<SingleTableSelect> DialectTranslator::singleTableSelect(const QString& statement) const {
    const Statement tree = parsed(statement);
    const TableReference* table = singleStoredTable(tree);
    if (!table) return std::nullopt;
    const TableInfo* info = catalog_->table(table->name.parts.join(QLatin1Char('.')));
    if (!info || info->isAttached()) return std::nullopt;
    const SelectQuery& s = *std::get<QueryPtr>(tree.body)->select();
    StatementContext context(*catalog_, LiteralMode::Bound, tree.parameters);
    QueryCompiler queries(context);
    ExpressionCompiler& ex = queries.expressions();
    Scope scope;
    scope.add(Source{table->alias.isEmpty() ? info->name : table->alias, info->name, columnsOf(*info)});
    SingleTableSelect out{info->name, {}, {}, {}, {}};
    if (s.where) out.where = ex.condition(ex.compile(*s.where, scope));
    QStringList order;
    for (const OrderItem& o : s.orderBy)
        order << ex.collated(ex.compile(*o.expression, scope)) + (o.descending ? QStringLiteral(" DESC") : QString());
    out.where = context.finish(out.where);
    out.orderBy = context.finish(order.join(QStringLiteral(", ")));
    out.parameters = context.parameters();
    out.constants = context.constants();
    return out;
}

}  // namespace veranth::engine::sql
