#include "engine/sql/catalog_view.h"

#include "engine/sql/statement_context.h"

namespace veranth::engine::sql {

QString CatalogView::newTablePlace(const QString& name) const {
    const QString schema = schemaName();
    return schema.isEmpty() ? quoted(name) : quoted(schema) + QLatin1Char('.') + quoted(name);
}

const TableInfo* StaticCatalog::table(const QString& name) const {
    for (const TableInfo& t : tables_)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

std::optional<QString> StaticCatalog::querySql(const QString& name) const {
    for (const auto& [queryName, sql] : queries_)
        if (queryName.compare(name, Qt::CaseInsensitive) == 0) return sql;
    return std::nullopt;
}

}  // namespace veranth::engine::sql
