#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "engine/native/sqlite_db.h"
#include "engine/sql/catalog_view.h"
#include "engine/sql/translation.h"
#include "engine/value.h"

namespace veranth::engine::sql::testing {

// An in-memory native database with the dialect's functions, tables declared in the native
// storage conventions, and a catalog describing them: statements are translated and run for
// real, rows read back in their result types.
class DialectDatabase {
public:
    DialectDatabase();

    // "Name Type[(size)], ..." with the engine's type names: Long, Currency, Text(20), Date ...
    void createTable(const QString& name, const QString& columns);
    // Rows as values in the columns' own types.
    void insert(const QString& table, const std::vector<std::vector<Value>>& rows);

    // Another database, attached as "ext", that IN clauses and [connect] prefixes reach.
    void attachExternal();
    void createExternalTable(const QString& name, const std::vector<FieldInfo>& fields);

    Translation translate(const QString& statement) const;
    // Translates and runs; parameters bound in order; make-table steps carried out first.
    std::vector<std::vector<Value>> run(const QString& statement, const std::vector<Value>& parameters = {});
    // The single value of a one-row, one-column statement.
    Value scalar(const QString& statement, const std::vector<Value>& parameters = {});

    const StaticCatalog& catalog() const { return *catalog_; }
    native::Connection& connection() { return *connection_; }

private:
    std::unique_ptr<native::Connection> connection_;
    std::shared_ptr<StaticCatalog> catalog_;
    std::shared_ptr<StaticCatalog> external_;
};

// The tables and columns of the Corvane databases the utilities' statements name.
void createCorvaneSchema(DialectDatabase& db);

}  // namespace veranth::engine::sql::testing
