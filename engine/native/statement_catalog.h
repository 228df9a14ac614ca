#pragma once

#include "engine/native/row_backends.h"
#include "engine/native/shared_file.h"
#include "engine/sql/catalog_view.h"

#include <functional>
#include <memory>
#include <vector>

namespace veranth::engine::native {

// The catalog one statement is translated against: the database's own tables and queries,
// and every other native file the statement names (IN 'file', IN '' 'path', [;database=file]).
// Naming another file attaches it to the database's connection, so one statement reads and
// writes both and the workspace transaction covers both.
class StatementCatalog : public sql::CatalogView {
public:
    // An attached table's source: its design (under the attached table's name) and where its
    // rows are, as SQLite text.
    struct Source {
        TableInfo design;
        TablePlace place;
    };
    using SourceOfLink = std::function<Source(const TableInfo& link)>;
    // Opens a database of another kind (name and connect string as the statement gives them).
    using OpenOther = std::function<std::shared_ptr<Database>(const QString& name, const QString& connect)>;

    StatementCatalog(std::shared_ptr<const sql::StaticCatalog> home, SharedFile& file, FileRegistry& files,
                     SourceOfLink sourceOfLink, OpenOther openOther = {});

    // An attached table is described by its source, so statements read and write its rows.
    const TableInfo* table(const QString& name) const override;
    std::optional<QString> querySql(const QString& name) const override { return home_->querySql(name); }
    std::optional<QString> storedPlace(const TableInfo& table) const override;
    const CatalogView* external(const QString& database, const QString& connect) const override;

    struct AttachedFile {
        QString path;
        QString connect;
    };
    // The file this statement attached under `schema`, and its catalog; none when it did not.
    std::optional<AttachedFile> fileOfSchema(const QString& schema) const;
    const sql::CatalogView* bySchema(const QString& schema) const;
    // The database of another kind this statement reaches under `schema`; none when it is not one.
    BridgedDatabase* bridgeOfSchema(const QString& schema) const;
    // Where a table this statement names keeps its rows; `schema` is the catalog it came from.
    TablePlace placeOf(const TableInfo& table, const QString& schema) const;

private:
    struct Other {
        AttachedFile file;
        std::unique_ptr<sql::StaticCatalog> catalog;
    };
    std::shared_ptr<const sql::StaticCatalog> home_;
    SharedFile& file_;
    FileRegistry& files_;
    SourceOfLink sourceOfLink_;
    OpenOther openOther_;
    mutable std::vector<Other> others_;
    mutable std::vector<std::unique_ptr<sql::CatalogView>> bridged_;
    mutable std::vector<std::unique_ptr<Source>> links_;
};

// The catalog of a native file as the dialect reads it: every table (attached ones as their
// links) and every stored query.
std::shared_ptr<sql::StaticCatalog> catalogOf(Connection& connection);

}  // namespace veranth::engine::native
