#pragma once

#include "engine/native/shared_file.h"
#include "engine/sql/catalog_view.h"

#include <memory>
#include <vector>

namespace veranth::engine::native {

// The catalog one statement is translated against: the database's own tables and queries,
// and every other native file the statement names (IN 'file', IN '' 'path', [;database=file]).
// Naming another file attaches it to the database's connection, so one statement reads and
// writes both and the workspace transaction covers both.
class StatementCatalog : public sql::CatalogView {
public:
    StatementCatalog(std::shared_ptr<const sql::StaticCatalog> home, SharedFile& file, FileRegistry& files);

    const TableInfo* table(const QString& name) const override { return home_->table(name); }
    std::optional<QString> querySql(const QString& name) const override { return home_->querySql(name); }
    const CatalogView* external(const QString& database, const QString& connect) const override;

    struct AttachedFile {
        QString path;
        QString connect;
    };
    // The file this statement attached under `schema`, and its catalog; none when it did not.
    std::optional<AttachedFile> fileOfSchema(const QString& schema) const;
    const sql::CatalogView* bySchema(const QString& schema) const;

private:
    struct Other {
        AttachedFile file;
        std::unique_ptr<sql::StaticCatalog> catalog;
    };
    std::shared_ptr<const sql::StaticCatalog> home_;
    SharedFile& file_;
    FileRegistry& files_;
    mutable std::vector<Other> others_;
};

// The catalog of a native file as the dialect reads it: every table (attached ones as their
// links) and every stored query.
std::shared_ptr<sql::StaticCatalog> catalogOf(Connection& connection);

}  // namespace veranth::engine::native
