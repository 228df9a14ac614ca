#pragma once

#include "engine/database.h"
#include "engine/engine_context.h"
#include "engine/isam/workbook.h"
#include "engine/schema_store.h"

namespace veranth::engine::isam {

// A spreadsheet workbook opened as a database ("Excel 5.0;" with the file's path): its sheets
// and named ranges are its tables. The file's name says its format: .xlsx (and .xlsm) is
// Office Open XML, anything else the Excel 97 binary format; an existing file is read as its
// first bytes say. Workbooks keep no indexes: creating one is accepted and nothing is kept,
// so an export that re-creates its source's indexes succeeds.
class WorkbookDatabase : public Database, public SchemaStore, public std::enable_shared_from_this<WorkbookDatabase> {
public:
    static std::shared_ptr<WorkbookDatabase> open(std::shared_ptr<EngineContext> context, const QString& file, QString connect,
                                                  bool readOnly);

    QString name() const override { return book_->path(); }
    QString connect() const override { return connect_; }
    bool isReadOnly() const override { return readOnly_; }
    bool transactions() const override { return false; }
    QString version() const override;
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

    std::shared_ptr<TableFile> tableFile(const QString& table);

private:
    WorkbookDatabase() = default;
    void requireOpen() const;
    void requireWritable() const;
    void reload();
    const TableInfo& designOf(const QString& table);
    template <class F> auto recorded(F&& f) -> decltype(f()) { return context_->recorded(std::forward<F>(f)); }

    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<Workbook> book_;
    QString connect_;
    bool readOnly_ = false;
    bool open_ = true;
    int level_ = 0;
    Collection<TableDef> tableDefs_{err::kTableExists};
    Collection<QueryDef> queryDefs_;
};

}  // namespace veranth::engine::isam
