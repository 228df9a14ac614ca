#pragma once

#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/isam/table_file_registry.h"
#include "engine/isam/table_format.h"
#include "engine/schema_store.h"

namespace veranth::engine::isam {

// A folder of table files opened as a database: its tables are the files of one format.
// Writes go to the files at once; there are no transactions (levels are counted so the
// workspace can span such a folder with its other databases, and nothing is undone).
class FolderDatabase : public Database, public SchemaStore, public std::enable_shared_from_this<FolderDatabase> {
public:
    // 3024 when the folder does not exist. A file's path opens the folder that holds it.
    static std::shared_ptr<FolderDatabase> open(std::shared_ptr<EngineContext> context,
                                                std::shared_ptr<const TableFormat> format,
                                                std::shared_ptr<TableFileRegistry> registry, const QString& folder,
                                                QString connect, bool readOnly);

    // Database
    QString name() const override { return folder_; }
    QString connect() const override { return connect_; }
    bool isReadOnly() const override { return readOnly_; }
    bool transactions() const override { return false; }
    QString version() const override { return format_->name(); }
    Collection<TableDef>& tableDefs() override;
    Collection<QueryDef>& queryDefs() override { return queryDefs_; }
    void execute(const QString& sql, int options = 0) override;
    std::shared_ptr<Recordset> openRecordset(const QString& source, RecordsetType type = RecordsetType::Default,
                                             int options = 0) override;
    std::shared_ptr<QueryDef> createQueryDef(const QString& name = QString(), const QString& sql = QString()) override;
    void close() override;
    bool isOpen() const override { return open_; }
    void beginLevel() override { ++level_; }
    void commitLevel() override { level_ = std::max(0, level_ - 1); }
    void rollbackLevel() override { level_ = std::max(0, level_ - 1); }
    int transactionLevel() const override { return level_; }

    // SchemaStore
    void createTable(const TableInfo& table) override;
    void dropTable(const QString& table) override;
    void renameTable(const QString& from, const QString& to) override;
    void updateTable(const TableInfo& table) override;
    void addField(const QString& table, const FieldInfo& field) override;
    void dropField(const QString& table, const QString& field) override;
    void renameField(const QString& table, const QString& from, const QString& to) override;
    void updateField(const QString& table, const FieldInfo& field) override;
    void addIndex(const QString& table, const IndexInfo& index) override;
    void dropIndex(const QString& table, const QString& index) override;
    void renameIndex(const QString& table, const QString& from, const QString& to) override;
    std::int64_t countRows(const QString& table) override;

    // The open file of a table, shared with every other object on it (the SQL layer's
    // external tables read and write through this too).
    std::shared_ptr<TableFile> tableFile(const QString& table);

private:
    FolderDatabase() = default;
    void requireOpen() const;
    void requireWritable() const;
    QString existingTablePath(const QString& table) const;
    void reload();
    // Writes the table anew with `design`, each new field filled from the old field named
    // in `sourceOf` (or Null), then puts it in place of the old one.
    void rewriteTable(const QString& table, const TableInfo& design, const std::vector<QString>& sourceOf);
    void changeDesign(const QString& table, const std::function<void(TableInfo&)>& change);
    template <class F> auto recorded(F&& f) -> decltype(f()) { return context_->recorded(std::forward<F>(f)); }

    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<const TableFormat> format_;
    std::shared_ptr<TableFileRegistry> registry_;
    QString folder_;
    QString connect_;
    bool readOnly_ = false;
    bool open_ = true;
    int level_ = 0;
    Collection<TableDef> tableDefs_{err::kTableExists};
    Collection<QueryDef> queryDefs_;
};

}  // namespace veranth::engine::isam
