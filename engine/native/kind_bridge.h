#pragma once

#include "engine/schema.h"
#include "engine/sql/catalog_view.h"

#include <QString>

#include <memory>
#include <vector>

namespace veranth::engine {
class Database;
struct EngineContext;
}

namespace veranth::engine::native {

class Connection;

// A database of another kind (a dBase or text folder, a spreadsheet, an ODBC source) whose tables
// one native file's connection reaches as virtual tables, so a single statement can copy rows
// between them and native tables: the imports, the exports and the attached tables of those kinds.
// The virtual tables live in the connection's temp schema, which needs no ATTACH and so works
// inside an open transaction too; the other database's own rules apply to every row written to it,
// and its writes are not part of this file's transaction (most of those kinds have none).
class BridgedDatabase {
public:
    BridgedDatabase(Connection& connection, std::shared_ptr<Database> database, int number);
    ~BridgedDatabase();
    BridgedDatabase(const BridgedDatabase&) = delete;
    BridgedDatabase& operator=(const BridgedDatabase&) = delete;

    Database& database() { return *database_; }
    // The name statements know this database by (their CREATE steps and write targets carry it).
    const QString& schema() const { return schema_; }
    // The name, in the temp schema, of the virtual table showing a table's rows, made when
    // first asked for; and the SQLite text naming those rows.
    QString virtualTable(const QString& table);
    QString placeOf(const QString& table);
    // Where a table about to be made will be reached, before it exists.
    QString placeForNew(const QString& table) const;
    // A make-table into this database, and its undoing.
    void createTable(const TableInfo& design);
    void dropTable(const QString& name);
    // The tables as the dialect sees them, read afresh.
    std::unique_ptr<sql::CatalogView> catalog();

private:
    QString virtualName(const QString& table) const;

    Connection& connection_;
    std::shared_ptr<Database> database_;
    QString schema_;
    QStringList made_;  // virtual tables created on the connection
    std::vector<long long> descriptions_;  // what they show, kept while the connection may reconnect them
};

// Opens the database a statement or an attached table names by another kind's connect string
// ("dBase IV;database=...", "Text;...", "ODBC;..."): for writing where it can be, else read-only.
std::shared_ptr<Database> openOtherKind(const std::shared_ptr<EngineContext>& context, const QString& name,
                                        const QString& connect);
// What tells two such databases apart on one connection.
QString bridgeKey(const QString& name, const QString& connect);

}  // namespace veranth::engine::native
