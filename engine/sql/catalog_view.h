#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "engine/schema.h"
#include "engine/sql/ast.h"

namespace veranth::engine::sql {

// What the translator needs to know of a database: its tables (stored name, fields with their
// types and sizes) and its stored queries' SQL, looked up without regard to case.
class CatalogView {
public:
    virtual ~CatalogView() = default;

    virtual const TableInfo* table(const QString& name) const = 0;
    virtual std::optional<QString> querySql(const QString& name) const = 0;

    // The SQLite schema the tables are reached through: empty for the connection's own
    // ("main"), or the name the engine attached another file under.
    virtual QString schemaName() const { return {}; }

    // Where the rows of one of this catalog's tables are when that is not its own name in
    // schemaName() (an attached table's source), as SQLite text; none for an ordinary table.
    virtual std::optional<QString> storedPlace(const TableInfo& table) const {
        (void)table;
        return std::nullopt;
    }

    // Where a make-table writes the rows of the table it creates in this catalog, as SQLite text.
    virtual QString newTablePlace(const QString& name) const;

    // The catalog of another database named by IN 'file', IN '' 'connect' or a [connect] prefix,
    // which the engine makes reachable (attached) under that catalog's schemaName(). Null when
    // it cannot; the translator then reports the failure.
    virtual const CatalogView* external(const QString& database, const QString& connect) const {
        (void)database;
        (void)connect;
        return nullptr;
    }
};

// A catalog held in memory: for tests, and for the engine to fill from its TableDefs.
class StaticCatalog : public CatalogView {
public:
    void addTable(TableInfo table) { tables_.push_back(std::move(table)); }
    void addQuery(QString name, QString sql) { queries_.push_back({std::move(name), std::move(sql)}); }
    void setSchemaName(QString schema) { schema_ = std::move(schema); }

    const TableInfo* table(const QString& name) const override;
    std::optional<QString> querySql(const QString& name) const override;
    QString schemaName() const override { return schema_; }

private:
    std::vector<TableInfo> tables_;
    std::vector<std::pair<QString, QString>> queries_;
    QString schema_;
};

}  // namespace veranth::engine::sql
