#pragma once

#include "engine/sql/expression_compiler.h"

namespace veranth::engine::sql {

// SELECT and UNION queries: FROM sources resolved against the catalog (stored queries become
// derived tables, unknown names raise 3078), * expanded to typed columns, every result column
// named so the engine reads it back by name and type.
class QueryCompiler {
public:
    explicit QueryCompiler(StatementContext& context);

    CompiledQuery compile(const QueryExpression& query, const Scope* outer = nullptr);
    CompiledQuery compileSelect(const SelectQuery& select, const Scope* outer);

    // The table an action statement writes, as a source named by its alias or name, and the
    // SQLite text that names its table (and, when asked, the schema it is in).
    Source targetSource(const TableName& name, const QString& alias, const std::optional<ExternalDatabase>& external,
                        QString* place, QString* schema = nullptr);
    ExpressionCompiler& expressions() { return expressions_; }
    // The SQLite FROM text of a table or join, its tables added to `scope`.
    QString fromClause(const TableSource& source, const std::optional<ExternalDatabase>& external, Scope& scope);

private:
    void addSources(const TableSource& source, const std::optional<ExternalDatabase>& external, Scope& scope,
                    std::vector<QString>& texts);
    QString fromText(const TableSource& source, const Scope& scope, std::vector<QString>::const_iterator& text);
    Source tableSource(const TableName& name, const QString& alias, const std::optional<ExternalDatabase>& external,
                       QString* sql);
    CompiledQuery compileUnion(const SetOperation& set, const Scope* outer);

    StatementContext& context_;
    ExpressionCompiler expressions_;
};

std::vector<SourceColumn> columnsOf(const TableInfo& table);

}  // namespace veranth::engine::sql
